// The Sound window on the main window, offscreen: it shows what the device got, costs nothing
// closed or when the sound is unchanged, ends a burst on its last sound, saves its picture; and
// tarmel-render draws the same picture without a display.
#include "RecordingOutput.h"
#include "app/MainWindow.h"
#include "synth/Synthesizer.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QImageReader>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace tarmel {
namespace {

using ui::SoundView;

class SoundViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_.load();
        window_.show();
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    }

    // Chooses the main window's context menu action; a file dialog gets the file.
    void choose(QWidget& window, const QString& text, const QString& file = {}) {
        QTimer timer;
        timer.callOnTimeout([&] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                dialog->selectFile(file);
                static_cast<QDialog*>(dialog)->accept();
            }
        });
        timer.start(5);
        for (QAction* a : window.actions()) {
            if (a->text() == text) {
                a->trigger();
                return;
            }
        }
        ADD_FAILURE() << "no action " << text.toStdString();
    }
    SoundView* openView() {
        choose(window_, QStringLiteral("Show sound view"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* view = qobject_cast<SoundView*>(w); view != nullptr && view->isVisible()) {
                return view;
            }
        }
        return nullptr;
    }

    // The min and max of each 100 samples of what the device got from the ticked voices, summed
    // and clamped to 16 bits as the mixer does: worked out here from the recorded voices.
    std::vector<analysis::Column> heardColumns(std::array<bool, 3> play) const {
        std::vector<analysis::Column> columns;
        for (int c = 0; c < 441; ++c) {
            analysis::Column col{INT16_MAX, INT16_MIN};
            for (int n = 100 * c; n < 100 * c + 100; ++n) {
                int sum = 0;
                for (std::size_t v = 0; v < 3; ++v) {
                    sum += play[v] ? log_->voices[v][static_cast<std::size_t>(n)] : 0;
                }
                const auto s = static_cast<int16_t>(std::clamp(sum, -32768, 32767));
                col = {std::min(col.min, s), std::max(col.max, s)};
            }
            columns.push_back(col);
        }
        return columns;
    }

    std::shared_ptr<test::SoundLog> log_ = std::make_shared<test::SoundLog>();
    app::MainWindow window_{test::recordingOutputs(log_)};
};

// A letter typed in the Sound window plays, with Shift held too, and the view then holds that
// sound; with oscillator 2 ticked as well the view holds the new mix.
TEST_F(SoundViewTest, LettersPlayInTheViewAndItShowsWhatTheDeviceGot) {
    SoundView* view = openView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->windowTitle(), "Sound");
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view));
    auto* box = view->findChild<QCheckBox*>(QStringLiteral("SoundTrace(1)"));
    box->setFocus();
    QSignalSpy shown(view, &SoundView::soundShown);
    QTest::keyClick(box, Qt::Key_D, Qt::ShiftModifier);
    EXPECT_EQ(log_->count("play 0"), 1);
    ASSERT_TRUE(shown.wait(5000));
    EXPECT_EQ(view->waveColumns(441), heardColumns({true, false, false}));
    EXPECT_FALSE(box->isChecked()); // the letter went to the main window, not the box

    window_.findChild<QCheckBox*>(QStringLiteral("Check1(1)"))->setChecked(true);
    QTest::keyClick(box, Qt::Key_Q);
    ASSERT_TRUE(shown.wait(5000));
    EXPECT_EQ(view->waveColumns(441), heardColumns({true, true, false}));
    EXPECT_NE(view->findChild<QWidget*>(QStringLiteral("SoundPicture"))->accessibleDescription(),
              "No sound yet.");
}

// Only a new sound costs an analysis: not the same sound again, and nothing while closed.
TEST_F(SoundViewTest, UnchangedSoundsAndAClosedViewCostNoAnalysis) {
    SoundView* view = openView();
    EXPECT_TRUE(SoundView::wasOpen());
    QSignalSpy shown(view, &SoundView::soundShown);
    const int before = SoundView::analysesStarted();
    window_.playNote(220);
    ASSERT_TRUE(shown.wait(5000));
    EXPECT_EQ(SoundView::analysesStarted(), before + 1);
    window_.playNote(220); // the waves the voices hold: nothing computed, nothing drawn
    QTest::qWait(50);
    EXPECT_EQ(SoundView::analysesStarted(), before + 1);
    view->close();
    EXPECT_FALSE(SoundView::wasOpen());
    for (int16_t pitch : {300, 400, 500}) {
        window_.playNote(pitch);
    }
    QTest::qWait(50);
    EXPECT_EQ(SoundView::analysesStarted(), before + 1);
    EXPECT_EQ(log_->count("write 0"), 4);
}

// Fifty notes in a row: the view ends on the last one's sound, and its picture can be saved.
TEST_F(SoundViewTest, ABurstEndsOnTheLastSoundWhosePictureSaves) {
    SoundView* view = openView();
    QSignalSpy shown(view, &SoundView::soundShown);
    for (int16_t pitch = 100; pitch < 150; ++pitch) {
        window_.playNote(pitch);
    }
    const auto last = heardColumns({true, false, false});
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->waveColumns(441) == last; }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(view->waveColumns(441), last);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("view.png"));
    choose(*view, QStringLiteral("Save picture…"), file);
    QImageReader reader(file);
    const QSize size = view->findChild<QWidget*>(QStringLiteral("SoundPicture"))->size();
    EXPECT_EQ(reader.size(), size * view->devicePixelRatioF());
    EXPECT_FALSE(reader.read().isNull()) << reader.errorString().toStdString();
}

// Each wheel notch shows 4/5 of the samples, keeping the one under the pointer there, down to 32
// samples; the readout names that sample's time and value; a double click shows the second.
TEST_F(SoundViewTest, WheelZoomsAroundThePointerAndTheReadoutReadsIt) {
    SoundView* view = openView();
    QSignalSpy shown(view, &SoundView::soundShown);
    window_.playNote(440);
    ASSERT_TRUE(shown.wait(5000));
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
    const auto n = static_cast<std::size_t>(std::lround(anchor));
    EXPECT_EQ(view->findChild<QLabel*>(QStringLiteral("SoundReadout"))->text(),
              QStringLiteral("Time %1 ms, level %2 (%3 of full scale)")
                  .arg(anchor / 44.1, 0, 'f', 2)
                  .arg(log_->voices[0][n])
                  .arg(log_->voices[0][n] / 32768.0, 0, 'f', 3));
    QTest::mouseDClick(picture, Qt::LeftButton, {}, pointer);
    EXPECT_EQ(view->pictureView(), ui::PictureView{});
    // The same from the keyboard, around the middle: + zooms in, Home shows the second.
    QTest::keyClick(picture, Qt::Key_Plus);
    EXPECT_NEAR(view->pictureView().end - view->pictureView().begin, 44100 * 0.8, 1e-6);
    EXPECT_NEAR(view->pictureView().begin, 44100 * 0.1, 1e-6);
    QTest::keyClick(picture, Qt::Key_Home);
    EXPECT_EQ(view->pictureView(), ui::PictureView{});
}

// tarmel-render --picture: an 800 x 500 PNG (or an SVG) that an image reader opens, showing the
// rendered mix; refused extensions and existing pictures leave everything alone.
TEST(RenderPicture, DrawsTheDocumentedPictureOrRefuses) {
    QTemporaryDir dir;
    const auto run = [&](const QString& args) {
        return std::system(
            ("cd '" + dir.path() + "' && " TARMEL_RENDER_PATH " " + args + " 2>/dev/null")
                .toLocal8Bit()
                .constData());
    };
    ASSERT_EQ(run("--pitch 440 --play 1,2 --picture a.png"), 0);
    QImageReader reader(dir.filePath(QStringLiteral("a.png")));
    EXPECT_EQ(reader.format(), "png");
    const QImage image = reader.read();
    EXPECT_EQ(image.size(), QSize(800, 500));
    // The same picture as the Sound window draws of the sound tarmel-render computes (whose
    // samples the render tests check): the mix of voices 1 and 2, not just voice 1.
    synth::SynthState state;
    auto waves = std::make_unique<synth::Waves>();
    synth::generate({440, 440, 440, 0, {}}, state, *waves);
    analysis::SpectrumAnalyser analyser;
    const QImage expected = ui::renderPicture(
        analysis::analyseSound(*waves, {true, true, false}, analyser), {}, QSize(800, 500));
    EXPECT_TRUE(image.convertToFormat(QImage::Format_RGB32) == expected);
    ASSERT_EQ(run("--picture b.SVG -o b.wav"), 0);
    QFile svg(dir.filePath(QStringLiteral("b.SVG")));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(svg.readAll().contains("<svg"));
    EXPECT_NE(run("--picture c.jpg"), 0);
    EXPECT_NE(run("--picture a.png -o d.wav"), 0); // a.png exists: d.wav is not written either
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).join(' '), "a.png b.SVG b.wav");
}

} // namespace
} // namespace tarmel
