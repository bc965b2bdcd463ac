// The main window and its secondary windows, offscreen, on the recording sound output: what the
// user sees and hears through the controls. Expected sounds come from synth::generate, which the
// synthesis tests check against an independent implementation.
#include "app/MainWindow.h"

#include "RecordingOutput.h"
#include "files/Settings.h"
#include "files/SoundFile.h"
#include "ui/Controls.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

inline std::ostream& operator<<(std::ostream& os, const QString& s) {
    return os << '"' << s.toStdString() << '"';
}

namespace tarmel {
namespace {

using Events = std::vector<std::string>;

// Runs act, answering every modal message box that comes up meanwhile with answer and giving a
// file dialog the file; what the message boxes said.
template <class Act>
QStringList answering(QMessageBox::StandardButton answer, const Act& act,
                      const QString& file = {}) {
    QStringList seen;
    QTimer timer;
    timer.callOnTimeout([&] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            dialog->selectFile(file);
            static_cast<QDialog*>(dialog)->accept();
        }
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box != nullptr && box->isVisible()) {
            seen << box->windowTitle() + ": " + box->text() +
                        (box->icon() == QMessageBox::Critical ? " [critical]" : "") +
                        (box->defaultButton() == box->button(QMessageBox::No) ? " [No]" : "");
            QAbstractButton* button = box->button(answer);
            (button != nullptr ? button : box->buttons().front())->click();
        }
    });
    timer.start(5);
    act();
    return seen;
}

// Chooses the action of the window's context menu as answering does.
QStringList choose(QWidget& window, const char* action, const QString& file,
                   QMessageBox::StandardButton answer = QMessageBox::Yes) {
    for (QAction* a : window.actions()) {
        if (a->text() == QString::fromUtf8(action)) {
            return answering(
                answer, [a] { a->trigger(); }, file);
        }
    }
    return {QStringLiteral("no action ") + action};
}

// The program's top-level window of that name; windows closed by the user are gone first.
QWidget* topLevel(const char* name) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QWidgetList all = QApplication::topLevelWidgets();
    const auto it = std::find_if(
        all.begin(), all.end(), [&](QWidget* w) { return w->objectName() == QLatin1String(name); });
    return it != all.end() ? *it : nullptr;
}

// Voice v of the first generation from the start at these pitches, with at most one modulator
// on: its oscillator (0 for none), index, F and H.
std::vector<int16_t> expectedVoice(int v, std::array<int16_t, 3> pitch = {98, 98, 98},
                                   std::array<int, 4> on = {}) {
    synth::Parameters p{pitch[0], pitch[1], pitch[2], 0, {}};
    if (on[0] != 0) {
        p.modulator(on[0], on[1]) = {true, static_cast<int16_t>(on[2]), int16_t(on[3])};
    }
    synth::SynthState state;
    auto waves = std::make_unique<synth::Waves>();
    synth::generate(p, state, *waves);
    const auto& w = (*waves)[static_cast<std::size_t>(v)];
    return {w.begin(), w.begin() + audio::kVoiceFrames};
}

// The sound as heard: the voices played, summed and clamped to 16 bits.
std::vector<int16_t> heard(const test::SoundLog& log, std::array<bool, 3> play) {
    std::vector<int16_t> mix(audio::kVoiceFrames);
    for (std::size_t n = 0; n < mix.size(); ++n) {
        const int sum = (play[0] ? log.voices[0][n] : 0) + (play[1] ? log.voices[1][n] : 0) +
                        (play[2] ? log.voices[2][n] : 0);
        mix[n] = static_cast<int16_t>(std::clamp(sum, -32768, 32767));
    }
    return mix;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_.load();
        window_.show();
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    }

    template <class T = QWidget> T* control(const QString& name, const QWidget* in = nullptr) {
        return ui::child<T>(in != nullptr ? *in : window_, name);
    }
    void click(const QString& name, const QWidget* in = nullptr) {
        QTest::mouseClick(control<QAbstractButton>(name, in), Qt::LeftButton);
    }
    void setValue(const char* name, int value) { control<QAbstractSlider>(name)->setValue(value); }
    QString readouts() {
        return control<QLabel>("Lblos1(0)")->text() + " " + control<QLabel>("Lblos1(1)")->text() +
               " " + control<QLabel>("Lblos1(2)")->text();
    }
    Events takeEvents() { return std::exchange(log_->events, {}); }

    std::shared_ptr<test::SoundLog> log_ = std::make_shared<test::SoundLog>();
    app::MainWindow window_{test::recordingOutputs(log_)};
};

// The windows as documented, in pixels of 15 twips, written out here rather than read from the
// layout table so that a moved control fails; then the start values.
TEST_F(MainWindowTest, StartsWithTheDocumentedLayoutAndStartValues) {
    EXPECT_EQ(takeEvents(), Events{"open"});
    // The Tab order is the reading order: AccessibilityTest walks it.
    click("CmdOsc3");
    click("Cmdhelp");
    QWidget* osc3 = topLevel("FrmOsc3");
    QWidget* help = topLevel("Dialog");
    EXPECT_EQ(window_.windowTitle() + "|" + osc3->windowTitle() + "|" + help->windowTitle(),
              "Brennick  Tarmel1.0|Oscilator3|Tarmel Help");
    QString buttons;
    for (const char* name :
         {"CmdReset", "Play", "Cmdstart", "Cmdstop", "CmdOsc2", "CmdOsc3", "Cmdhelp", "CmdExit"}) {
        const auto* b = control<QAbstractButton>(name);
        buttons += QStringLiteral("%1 %2,%3 ").arg(b->text()).arg(b->x()).arg(b->y());
    }
    EXPECT_EQ(buttons, "reset 216,16 generate 216,40 repeat 600,40 stop 600,80 Osc2 600,152 "
                       "Osc3 600,176 Help 600,208 Exit 600,240 ");
    // Each modulator's ratio bar stands above its box in columns 40 pixels apart, each multiplier
    // bar in the row of its number; the pitch columns line up, 48 pixels apart.
    for (const QWidget* w : {static_cast<QWidget*>(&window_), osc3}) {
        for (int i = 0; i < 5; ++i) {
            const auto at = [&](const char* name) {
                return control(QStringLiteral("%1(%2)").arg(name).arg(i), w)->pos();
            };
            EXPECT_EQ(at("ChkFm").x(), 176 + 40 * i);
            EXPECT_EQ(at("sliderharmon").x(), at("ChkFm").x());
            EXPECT_EQ(at("sliderFm").y(), at("Label1").y());
            EXPECT_EQ(at("Label1").y(), at("sliderharmon").y() + 24 * i);
        }
    }
    for (int k = 0; k < 3; ++k) {
        for (const char* column : {"Check1", "Label2", "Lblos1"}) {
            EXPECT_EQ(control(QStringLiteral("%1(%2)").arg(column).arg(k))->x(), 384 + 48 * k);
        }
    }
    EXPECT_EQ(window_.size(), QSize(656, 272));
    EXPECT_EQ(control("Cmdstart")->geometry(), QRect(600, 40, 41, 33));
    EXPECT_EQ(control("sliderharmon(4)")->geometry(), QRect(336, 112, 17, 97));
    EXPECT_EQ(control("sliderFm(0)", osc3)->pos(), QPoint(24, 48));
    EXPECT_EQ(help->geometry(), QRect(184, 250, 353, 370));
    EXPECT_EQ(control<QLabel>("Label7")->alignment(), Qt::AlignRight | Qt::AlignTop);
    EXPECT_EQ(control<QLabel>("Lblos1(1)")->alignment(), Qt::AlignHCenter | Qt::AlignTop);
    // The help text keeps its runs of blanks.
    EXPECT_TRUE(control<QLabel>("Label2(2)", help)->text().contains("boxes      named"));
    EXPECT_TRUE(control<QLabel>("Label2(1)", help)->text().contains("decay  that"));

    // The start pitches and boxes show in the first sounds of the other tests; the multiplier bars'
    // ranges do not.
    EXPECT_EQ(control<QAbstractSlider>("sliderFm(1)")->minimum(), 2);
    EXPECT_EQ(control<QAbstractSlider>("sliderFm(3)")->minimum(), 0);
    EXPECT_EQ(control<QAbstractSlider>("sliderharmon(0)")->singleStep(), 2);
}

TEST_F(MainWindowTest, LetterKeysSetPitchOneAndPlayAtOnce) {
    // The keyboard note map as documented: bottom, middle and top letter rows.
    const std::string letters = "ZXCVBNMASDFGHJKLQWERTYUIOP";
    const std::vector<int> hertz{65,  69,  73,  77,  82,  87,  92,  98,  104, 110, 116, 123, 130,
                                 138, 146, 155, 164, 174, 185, 196, 207, 220, 233, 246, 261, 277};
    takeEvents();
    const char* focused[] = {"Play", "sliderFm(2)", "VScroll2", "Check1(1)"};
    for (std::size_t i = 0; i < letters.size(); ++i) {
        control(focused[i % 4])->setFocus();
        QTest::keyClick(control(focused[i % 4]), letters[i]);
        const QString p = QString::number(hertz[i]);
        EXPECT_EQ(readouts(), p + " " + p + " " + p) << letters[i];
        EXPECT_EQ(takeEvents(), (Events{"write 0", "write 1", "write 2", "play 0"})) << letters[i];
    }
    // The offset sliders only show pitches; a key, modifiers or not, plays oscillators 2 and 3 at
    // their offsets.
    setValue("VScroll2", -170);
    setValue("VScroll3", -10);
    EXPECT_EQ(readouts(), "277 107 267");
    EXPECT_TRUE(log_->events.empty());
    setValue("VScroll2", 12);
    control("Play")->setFocus();
    QTest::keyClick(control("Play"), Qt::Key_D, Qt::ShiftModifier);
    EXPECT_EQ(readouts(), "110 122 100");
    EXPECT_EQ(log_->voices[1], expectedVoice(1, {110, 122, 100}));
    takeEvents();
    control("VScroll1")->setFocus();
    for (Qt::Key other : {Qt::Key_1, Qt::Key_Space, Qt::Key_Left, Qt::Key_Escape}) {
        QTest::keyClick(control("VScroll1"), other);
    }
    click("CmdOsc2");
    QTest::keyClick(topLevel("FrmOsc2"), Qt::Key_D);
    EXPECT_EQ(log_->count("write 0"), 0) << "only letters on the main window play";
}

TEST_F(MainWindowTest, GeneratePlaysTheTickedVoicesAndBoxClicksResetTheOutputs) {
    // The letters show what a first generation writes and plays.
    click("Play");
    click("Check1(0)");
    click("Check1(2)");
    takeEvents();
    click("Play"); // the voices hold this very sound already
    EXPECT_EQ(takeEvents(), (Events{"play 2"}));

    click("ChkFm(2)");
    click("Play");
    EXPECT_EQ(log_->voices[0], expectedVoice(0, {98, 98, 98}, {1, 2, 2, 2}));
    // Cleared, its output goes back to 1 with all the others: a plain sine again.
    click("ChkFm(2)");
    click("Play");
    EXPECT_EQ(log_->voices[0], expectedVoice(0));

    click("CmdOsc2");
    QWidget* osc2 = topLevel("FrmOsc2");
    control<QAbstractSlider>("sliderFm(0)", osc2)->setValue(5);
    click("ChkFm(0)", osc2);
    click("Play");
    EXPECT_EQ(log_->voices[1], expectedVoice(1, {98, 98, 98}, {2, 0, 5, 2}));
    // Closing a window discards its settings and resets the outputs.
    osc2->close();
    click("Play");
    EXPECT_EQ(log_->voices[1], expectedVoice(1));
}

TEST_F(MainWindowTest, RepeatGoesOnAfterResetAndAfterNoToExitAndStopsAtAFailure) {
    click("Cmdstart");
    EXPECT_TRUE(QTest::qWaitFor([&] { return log_->count("play 0") >= 3; }));
    setValue("VScroll1", 200);
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return log_->voices[0] == expectedVoice(0, {200, 200, 200});
    }));
    click("CmdReset");
    const Events reset{"stop 0", "stop 1", "stop 2", "close", "open"};
    EXPECT_FALSE(std::ranges::search(log_->events, reset).empty());
    takeEvents();
    // Repeat goes on; nothing changes, so the sound the voices hold plays again, computed once.
    EXPECT_TRUE(QTest::qWaitFor([&] { return log_->count("play 0") > 5; })) << "repeat goes on";
    EXPECT_EQ(log_->count("write 0"), 1);

    // Exit asks; after No the other windows are closed and repeat goes on.
    click("CmdOsc2");
    click("Cmdhelp");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !control("Lblkeys")->isVisible(); }))
        << "hidden while another window is active";
    EXPECT_EQ(answering(QMessageBox::No, [&] { click("CmdExit"); }),
              QStringList{"Quit: Exit? [critical] [No]"});
    EXPECT_FALSE(topLevel("FrmOsc2")->isVisible() || topLevel("Dialog")->isVisible());
    EXPECT_TRUE(window_.isVisible());
    EXPECT_TRUE(control<QTimer>("Timer2")->isActive()) << "repeat goes on after No";
    window_.activateWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return control("Lblkeys")->isVisible(); }));
    click("Cmdstop");
    EXPECT_FALSE(control<QTimer>("Timer2")->isActive());

    // A failing tick ends the repetition and says so once.
    const QStringList seen = answering(QMessageBox::Ok, [&] {
        click("Cmdstart");
        log_->failNext = "play";
        EXPECT_TRUE(QTest::qWaitFor([&] { return !control<QTimer>("Timer2")->isActive(); }));
        QTest::qWait(50);
    });
    EXPECT_TRUE(seen.size() == 1 && seen[0].contains("could not use the sound output") &&
                seen[0].contains("press \"reset\""))
        << seen.join("|");
    // The question comes even when the sound output cannot be opened again.
    log_->failNext = "open";
    const QStringList failed = answering(QMessageBox::No, [&] { window_.close(); });
    EXPECT_TRUE(failed.size() == 2 &&
                failed[0].startsWith("Tarmel: Tarmel could not use the sound"))
        << failed.join("|");
    answering(QMessageBox::Yes, [&] { click("CmdExit"); });
    EXPECT_FALSE(window_.isVisible());
}

TEST_F(MainWindowTest, SettingsFilesCarryTheNextSoundAndExportsTheLastOne) {
    const QTemporaryDir temporary;
    const QString dir = temporary.path() + "/";
    const std::string d = dir.toStdString();
    setValue("VScroll1", 146);
    setValue("VScroll3", -20);
    setValue("Sliderattack", 300);
    click("ChkFm(2)");
    click("Check1(2)");
    click("CmdOsc2");
    click("ChkFm(2)", topLevel("FrmOsc2")); // the random modulator: the state matters
    click("Play");
    choose(window_, "Export sound…", dir + "heard.wav");
    EXPECT_EQ(files::readSoundFile(d + "heard.wav"), heard(*log_, {true, false, true}));
    choose(*topLevel("FrmOsc2"), "Save settings…", dir + "a.tarmel");
    click("Play");

    // A second program opens the file by a drop and makes the same next sound, as does
    // tarmel-render.
    auto log = std::make_shared<test::SoundLog>();
    app::MainWindow other(test::recordingOutputs(log));
    other.load();
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(dir + "a.tarmel")});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&other, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&other, &drop);
    ui::child<QAbstractButton>(other, "Play")->click();
    EXPECT_EQ(log->voices, log_->voices);
    const std::string render =
        "'" TARMEL_RENDER_PATH "' --settings '" + d + "a.tarmel' -o '" + d + "rendered.wav'";
    ASSERT_EQ(std::system(render.c_str()), 0);
    EXPECT_EQ(files::readSoundFile(d + "rendered.wav"), heard(*log_, {true, false, true}));

    // A refused file changes nothing; "reset" puts every modulator output back to 1.
    const files::Settings before = files::readSettings(d + "a.tarmel");
    QFile::copy(QStringLiteral(TARMEL_SETTINGS_CORPUS "/bad-ratio.tarmel"), dir + "bad.tarmel");
    const QStringList seen = choose(window_, "Open settings…", dir + "bad.tarmel", QMessageBox::Ok);
    EXPECT_TRUE(seen.size() == 1 && seen[0].contains("bad.tarmel: line 12:")) << seen.join("|");
    click("CmdReset");
    choose(window_, "Save settings…", dir + "b.tarmel");
    files::Settings after = files::readSettings(d + "b.tarmel");
    EXPECT_TRUE(std::ranges::all_of(after.state.modOut, [](double out) { return out == 1.0; }));
    after.state = before.state; // the generation since the first save moved the state on
    EXPECT_EQ(after, before);
}

} // namespace
} // namespace tarmel
