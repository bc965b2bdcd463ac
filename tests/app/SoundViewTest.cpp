// The Sound window on the main window, offscreen: it shows what the device got, costs nothing
// closed or when the sound is unchanged, ends a burst on its last sound, zooms and reads out; and
// tarmel-render draws the same picture without a display.
#include "MainWindowFixture.h"
#include "synth/Synthesizer.h"

namespace tarmel {
namespace {

using ui::SoundView;

class SoundViewTest : public test::MainWindowFixture {
protected:
    // The window, open; with a pitch, once it shows that note.
    SoundView* openView(int16_t pitch = 0) {
        test::choose(window_, "Show sound view");
        auto* view = qobject_cast<SoundView*>(test::topLevel("SoundView"));
        QSignalSpy shown(view, &SoundView::soundShown);
        if (pitch > 0) {
            window_.playNote(pitch);
            EXPECT_TRUE(shown.wait(5000));
        }
        return view;
    }
};

// Fifty notes in a row: the view ends on the last one's sound, as the device got it (the mix of
// the ticked oscillators 1 and 2). Only a new sound costs an analysis: not the same sound again,
// and nothing while the view is closed. (The letters reach the main window from the view as
// from the main window: "Keyboard Active" follows the same rule, checked in its tests.)
TEST_F(SoundViewTest, ABurstEndsOnTheLastSoundAndOnlyANewSoundCostsAnAnalysis) {
    SoundView* view = openView();
    control<QCheckBox>("Check1(1)")->setChecked(true);
    for (int16_t pitch = 100; pitch < 150; ++pitch) {
        window_.playNote(pitch);
    }
    // The min and max of each 100 samples of what the device got from the ticked voices.
    std::vector<analysis::Column> last(441, {INT16_MAX, INT16_MIN});
    const std::vector<int16_t> heard = log_->heard({true, true, false});
    for (std::size_t n = 0; n < heard.size(); ++n) {
        last[n / 100] = {std::min(last[n / 100].min, heard[n]),
                         std::max(last[n / 100].max, heard[n])};
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->waveColumns(441) == last; }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(view->waveColumns(441), last);
    const int settled = SoundView::analysesStarted();
    window_.playNote(149); // the waves the voices hold: nothing computed, nothing drawn
    QTest::qWait(50);
    EXPECT_EQ(SoundView::analysesStarted(), settled);

    view->close();
    EXPECT_FALSE(SoundView::wasOpen()) << "closed by the user";
    window_.playNote(300);
    QTest::qWait(50);
    EXPECT_EQ(SoundView::analysesStarted(), settled);
    EXPECT_EQ(log_->count("write 0"), 51);
}

// Each wheel notch (or +, around the middle) shows 4/5 of the samples, keeping the one under the
// pointer there, down to 32 samples; the readout names that sample's time and value; a double
// click shows the second. (Home takes the double click's path.)
TEST_F(SoundViewTest, WheelZoomsAroundThePointerAndTheReadoutReadsIt) {
    SoundView* view = openView(440);
    auto* picture = view->findChild<QWidget*>(QStringLiteral("SoundPicture"));
    const ui::PictureLayout at(picture->size());
    const QPoint pointer(qRound(at.wave().left() + at.wave().width() / 4),
                         qRound(at.wave().center().y()));
    const double anchor = at.sampleAt(pointer.x(), view->pictureView());
    for (int notch = 1; notch <= 40; ++notch) {
        QWheelEvent wheel(pointer, picture->mapToGlobal(pointer), {}, {0, 120}, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(picture, &wheel);
        const ui::PictureView& v = view->pictureView();
        ASSERT_NEAR(v.end - v.begin, std::max(32.0, 44100 * std::pow(0.8, notch)), 1e-6);
        ASSERT_NEAR(at.sampleAt(pointer.x(), v), anchor, 1e-6) << notch;
    }
    QTest::mouseMove(picture, pointer);
    const int16_t level = log_->voices[0][static_cast<std::size_t>(std::lround(anchor))];
    EXPECT_EQ(view->findChild<QLabel*>(QStringLiteral("SoundReadout"))->text(),
              QStringLiteral("Time %1 ms, level %2 (%3 of full scale)")
                  .arg(anchor / 44.1, 0, 'f', 2)
                  .arg(level)
                  .arg(level / 32768.0, 0, 'f', 3));
    // The whole second, its level axis fitted to the note: a plain sine from the start state
    // peaks at 1500, so the axis ends at the next of 1, 2, 5 times a power of ten, 2000.
    ui::PictureView whole;
    whole.levelTop = 2000;
    QTest::mouseDClick(picture, Qt::LeftButton, {}, pointer);
    EXPECT_EQ(view->pictureView(), whole);
    // Full scale again, and back.
    auto* fit = view->findChild<QCheckBox*>(QStringLiteral("SoundFitLevel"));
    fit->setChecked(false);
    EXPECT_EQ(view->pictureView(), ui::PictureView{});
    fit->setChecked(true);
    EXPECT_EQ(view->pictureView(), whole);
    // From the keyboard, around the middle: + zooms in.
    QTest::keyClick(picture, Qt::Key_Plus);
    EXPECT_NEAR(view->pictureView().end - view->pictureView().begin, 44100 * 0.8, 1e-6);
    EXPECT_NEAR(view->pictureView().begin, 44100 * 0.1, 1e-6);
}

// tarmel-render --picture: an SVG (its extension in any case) is written; refused extensions and
// existing pictures leave everything alone. (The PNG, and what it shows at its 800 x 500 pixels,
// is checked in the command line's tests.)
TEST(RenderPicture, DrawsTheDocumentedPictureOrRefuses) {
    QTemporaryDir dir;
    const auto run = [&](const QString& args) {
        return std::system(
            ("cd '" + dir.path() + "' && " TARMEL_RENDER_PATH " " + args + " 2>/dev/null")
                .toLocal8Bit()
                .constData());
    };
    ASSERT_EQ(run("--picture b.SVG -o b.wav"), 0);
    QFile svg(dir.filePath(QStringLiteral("b.SVG")));
    EXPECT_TRUE(svg.open(QIODevice::ReadOnly) && svg.readAll().contains("<svg"));
    EXPECT_NE(run("--picture c.jpg"), 0);
    EXPECT_NE(run("--picture b.SVG -o d.wav"), 0); // b.SVG exists: d.wav is not written either
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).join(' '), "b.SVG b.wav");
}

// With no place of its own yet, the window opens beside the main window, on the screen, and
// covers none of it; the program ended with it open, it opens again at the next start.
TEST_F(SoundViewTest, OpensBesideTheMainWindowAndAgainAfterAnExitWithItOpen) {
    QSettings().remove(QStringLiteral("soundView/geometry"));
    SoundView* view = openView();
    EXPECT_FALSE(view->frameGeometry().intersects(window_.frameGeometry()));
    // On the screen: all of it, but for what the window's narrowest size cannot give up on a
    // screen narrower than it (the test's is 800 pixels wide).
    const QRect room = view->screen()->availableGeometry();
    const QRect place = view->frameGeometry();
    EXPECT_TRUE(room.contains(place.topLeft()) && place.bottom() <= room.bottom());
    EXPECT_TRUE(place.right() <= room.right() || place.width() == view->minimumSizeHint().width())
        << place.width();
    test::answering([&] { window_.close(); }); // Exit, Yes
    EXPECT_TRUE(SoundView::wasOpen());
}

// A matched recording's spectrum (a 1000 Hz sine at a tenth of full scale) is drawn behind the
// sound's while the "Target" box is ticked; the box is there only with a target, and the
// picture's description names the target's loudest partial.
TEST_F(SoundViewTest, TheTargetIsDrawnBehindTheSoundWhileItsBoxIsTicked) {
    SoundView* view = openView(110);
    auto* picture = view->findChild<QWidget*>(QStringLiteral("SoundPicture"));
    auto* box = view->findChild<QCheckBox*>(QStringLiteral("SoundTarget"));
    const auto description = [picture] {
        return QAccessible::queryAccessibleInterface(picture)->text(QAccessible::Description);
    };
    EXPECT_TRUE(box->isHidden());
    const QImage without = picture->grab().toImage();
    std::vector<int16_t> sine(44100);
    for (std::size_t n = 0; n < sine.size(); ++n) {
        sine[n] =
            static_cast<int16_t>(std::lround(3276.7 * std::sin(2 * M_PI * 1000 * n / 44100.)));
    }
    analysis::SpectrumAnalyser analyser;
    view->showTarget(std::make_shared<const analysis::Spectrum>(analyser.analyse(sine)),
                     "sine.wav");
    EXPECT_TRUE(box->isVisibleTo(view) && box->isChecked());
    // On the documented axes (20 Hz to 22050 Hz logarithmic, 0 dB at the top to -100 dB at the
    // bottom) its peak is at x = left + width ln(1000 / 20) / ln(22050 / 20), y = top + height
    // 20 / 100: the sound's curve is drawn the same way.
    const QRectF spectrum = ui::PictureLayout(picture->size()).spectrum();
    const QPointF peak(spectrum.left() + spectrum.width() * std::log(50.0) / std::log(1102.5),
                       spectrum.top() + spectrum.height() * 0.2);
    const QRect around = QRectF(peak - QPointF(3, 3), QSizeF(6, 6)).toRect();
    EXPECT_NE(picture->grab().toImage().copy(around), without.copy(around));
    const QString partial = description().section("The target's loudest partial ", 1);
    EXPECT_NEAR(partial.section(' ', 0, 0).toDouble(), 1000, 0.6) << description().toStdString();

    box->setChecked(false);
    EXPECT_EQ(picture->grab().toImage(), without);
    EXPECT_FALSE(description().contains("target"));
    view->showTarget(nullptr, {});
    EXPECT_TRUE(box->isHidden());
}

} // namespace
} // namespace tarmel
