// The main window and its secondary windows, offscreen, on the recording sound output: what the
// user sees and hears through the controls. Expected sounds come from synth::generate, which the
// synthesis tests check against an independent implementation.
#include "app/MainWindow.h"

#include "MainWindowFixture.h"
#include "audio/Mixer.h"
#include "files/Settings.h"
#include "files/SoundFile.h"
#include "sound/Controls.h"
#include "ui/Controls.h"
#include "ui/ExportDialog.h"
#include "ui/Toast.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <gtest/gtest.h>

inline std::ostream& operator<<(std::ostream& os, const QString& s) {
    return os << '"' << s.toStdString() << '"';
}

namespace tarmel {
namespace {

using Events = std::vector<std::string>;

// Runs act, answering every modal message box that comes up meanwhile with answer, making the
// export dialog's choice as exportAs says and giving a file dialog the file; what the message
// boxes said.
template <class Act>
QStringList answering(QMessageBox::StandardButton answer, const Act& act, const QString& file = {},
                      ui::ExportChoice exportAs = {}) {
    QStringList seen;
    QTimer timer;
    timer.callOnTimeout([&] {
        if (auto* dialog = qobject_cast<ui::ExportDialog*>(QApplication::activeModalWidget())) {
            const auto button = [dialog](const QString& name) {
                return dialog->findChild<QAbstractButton*>(name);
            };
            button(QStringLiteral("exportSound%1").arg(exportAs.oscillator))->click();
            if (button("exportNormalise")->isChecked() != exportAs.normalise) {
                button("exportNormalise")->click();
            }
            for (QPushButton* b : dialog->findChildren<QPushButton*>()) {
                if (b->text() == "Choose &file…") {
                    b->click();
                }
            }
        }
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            test::acceptFile(*dialog, file);
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
                   QMessageBox::StandardButton answer = QMessageBox::Yes,
                   ui::ExportChoice exportAs = {}) {
    for (QAction* a : window.actions()) {
        if (a->text() == QString::fromUtf8(action)) {
            return answering(
                answer, [a] { a->trigger(); }, file, exportAs);
        }
    }
    return {QStringLiteral("no action ") + action};
}

using test::topLevel;

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

class MainWindowTest : public test::MainWindowFixture {
protected:
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
    // The settings as "Save settings…" writes them now.
    files::Settings saved() {
        const QTemporaryDir dir;
        choose(window_, "Save settings…", dir.filePath("now.tarmel"));
        return files::readSettings(dir.filePath("now.tarmel").toStdString());
    }
    void activate(QWidget* window) {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }
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
    // Counting writes would not do: a generation at the pitch the voices hold writes nothing.
    EXPECT_EQ(takeEvents(), Events{}) << "only letters on the main window play";
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

// Every way of changing a modulator box sets the fifteen outputs back to 1 as a click does: undo,
// redo, random, mutate and a screen reader's Toggle action. Each sound heard is then exactly the
// one the same controls give after reset then generate: outputs at 1, the noise where it was.
TEST_F(MainWindowTest, EveryWayOfChangingABoxResetsTheOutputsAsAClickDoes) {
    const auto expectFresh = [&](const synth::SynthState& before, const std::string& what) {
        const files::Settings now = saved();
        synth::SynthState state = before;
        state.setFifteenOutputs();
        auto waves = std::make_unique<synth::Waves>();
        synth::generate(sound::parametersOf(now), state, *waves);
        const std::vector<int16_t> expected = synth::heardMix(*waves, now.play);
        EXPECT_EQ(heard(*log_, now.play), expected) << what;
        EXPECT_GT(*std::ranges::max_element(expected), 100) << what << ": not a silent sound";
    };
    const auto step = [&](const std::string& what, const std::function<void()>& act) {
        const synth::SynthState before = saved().state;
        // The offscreen platform gives the activation back to no window after a dialog.
        activate(&window_);
        act();
        click("Play");
        expectFresh(before, what);
    };
    click("ChkFm(0)");
    click("Play");
    step("undo", [&] { QTest::keyClick(&window_, Qt::Key_Backspace, Qt::AltModifier); });
    EXPECT_FALSE(control<QAbstractButton>("ChkFm(0)")->isChecked());
    EXPECT_EQ(log_->voices[0], expectedVoice(0)) << "the plain start sound";
    step("redo", [&] {
        QTest::keyClick(&window_, Qt::Key_Backspace, Qt::AltModifier | Qt::ShiftModifier);
    });
    EXPECT_TRUE(control<QAbstractButton>("ChkFm(0)")->isChecked());
    window_.seedDraws(7);
    for (int i = 1; i <= 4; ++i) {
        step("random " + std::to_string(i), [&] { choose(window_, "Random", {}); });
    }
    for (int i = 1; i <= 3; ++i) {
        step("mutate " + std::to_string(i), [&] { choose(window_, "Mutate", {}); });
    }
    // The screen reader's action on a box: Qt's Toggle, which raises no click.
    QAccessibleActionInterface* box =
        QAccessible::queryAccessibleInterface(control("ChkFm(1)"))->actionInterface();
    ASSERT_NE(box, nullptr);
    auto* checkBox = control<QAbstractButton>("ChkFm(1)");
    for (const char* what : {"toggled by a screen reader", "toggled back by a screen reader"}) {
        const bool was = checkBox->isChecked();
        step(what, [&] { box->doAction(QAccessibleActionInterface::toggleAction()); });
        EXPECT_NE(checkBox->isChecked(), was) << what;
        EXPECT_EQ(saved().modulators[1].on, checkBox->isChecked()) << "the sound follows the box";
    }
}

// The window opens on "generate", so that Space plays at once, and Tab goes on in reading order;
// "Keyboard Active" shows whether the letters play in the window now active.
TEST_F(MainWindowTest, OpensOnGenerateAndKeyboardActiveFollowsTheLetters) {
    ASSERT_EQ(QApplication::focusWidget(), control("Play"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(log_->count("play 0"), 1);
    EXPECT_EQ(log_->voices[0], expectedVoice(0));
    // Enter and the keypad's Enter press the focused button too.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return log_->count("play 0") == 2; }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return log_->count("play 0") == 3; }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "ChkFm(0)");

    QWidget* label = control("Lblkeys");
    EXPECT_TRUE(label->isVisible());
    click("CmdOsc2");
    activate(topLevel("FrmOsc2"));
    EXPECT_FALSE(label->isVisible()) << "oscillator 2's window";
    window_.showSoundView();
    activate(topLevel("SoundView"));
    EXPECT_TRUE(label->isVisible()) << "the Sound window, where the letters play";
    click("Cmdhelp");
    activate(topLevel("Dialog"));
    EXPECT_FALSE(label->isVisible()) << "the help window";
    activate(&window_);
    EXPECT_TRUE(label->isVisible());
}

// The first start only says where the menu is; the main window's description always does.
TEST_F(MainWindowTest, TheFirstStartSaysWhereTheMenuIs) {
    const QString hint = "The right mouse button, the Menu key or Shift+F10 opens the menu: save "
                         "and open settings, export, undo, random, presets and the Sound window.";
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&window_)->text(QAccessible::Description),
              hint);
    QSettings().remove("hints/menuShown");
    window_.showFirstStartHint();
    auto* toast = window_.findChild<ui::Toast*>();
    ASSERT_NE(toast, nullptr);
    EXPECT_TRUE(toast->isVisible());
    EXPECT_EQ(toast->text(), hint);
    toast->hide();
    window_.showFirstStartHint(); // the next start
    EXPECT_FALSE(toast->isVisible());
}

TEST_F(MainWindowTest, RepeatGoesOnAfterResetAndAfterNoToExitAndStopsAtAFailure) {
    click("Cmdstart");
    EXPECT_TRUE(QTest::qWaitFor([&] { return log_->count("play 0") >= 1; }));
    setValue("VScroll1", 200);
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return log_->voices[0] == expectedVoice(0, {200, 200, 200});
    }));
    click("CmdReset");
    const Events reset{"stop 0", "stop 1", "stop 2", "close", "open"};
    EXPECT_FALSE(std::ranges::search(log_->events, reset).empty());
    takeEvents();
    // Repeat goes on; nothing changes, so the sound is computed once and the ticked voice then
    // plays again by itself.
    EXPECT_TRUE(QTest::qWaitFor([&] { return log_->repeating[0]; })) << "repeat goes on";
    EXPECT_EQ(log_->count("write 0"), 1);
    EXPECT_EQ(log_->count("play 0"), 1);
    EXPECT_FALSE(log_->repeating[1]) << "only ticked voices repeat";

    // Exit asks; after No the other windows are closed and repeat goes on.
    click("CmdOsc2");
    click("Cmdhelp");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !control("Lblkeys")->isVisible(); }))
        << "hidden while another window is active";
    // While the question waits for its answer, repeat makes no sound; after No it goes on.
    Events whileAsked;
    QString asked;
    QTimer::singleShot(100, [&] {
        whileAsked = takeEvents();
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        asked = box->windowTitle() + ": " + box->text();
        box->button(QMessageBox::No)->click();
    });
    click("CmdExit");
    EXPECT_EQ(asked, "Quit: Exit?");
    EXPECT_FALSE(topLevel("FrmOsc2")->isVisible() || topLevel("Dialog")->isVisible());
    EXPECT_TRUE(window_.isVisible());
    EXPECT_TRUE(control<QTimer>("Timer2")->isActive()) << "repeat goes on after No";
    const Events exited{"stop 0", "stop 1", "stop 2", "close", "open"};
    ASSERT_GE(whileAsked.size(), exited.size());
    EXPECT_EQ(Events(whileAsked.end() - 5, whileAsked.end()), exited)
        << "nothing played behind the question";
    EXPECT_TRUE(QTest::qWaitFor([&] { return log_->count("play 0") > 0; }));
    window_.activateWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return control("Lblkeys")->isVisible(); }));
    click("Cmdstop");
    EXPECT_FALSE(control<QTimer>("Timer2")->isActive());

    // Behind an error message too: with the noise never at rest (pitch 4, its ratio 16), every
    // block would bring a new sound, yet none comes while the message waits; after it, they do.
    setValue("VScroll1", 4);
    QWidget* osc2 = topLevel("FrmOsc2");
    control<QAbstractSlider>("sliderharmon(2)", osc2)->setValue(16);
    click("ChkFm(2)", osc2);
    click("Cmdstart");
    EXPECT_TRUE(QTest::qWaitFor([&] { return log_->count("write 0") > 3; }));
    Events behindError;
    QTimer::singleShot(50, [&] { takeEvents(); });
    QTimer::singleShot(300, [&] {
        behindError = takeEvents();
        qobject_cast<QMessageBox*>(QApplication::activeModalWidget())->button(QMessageBox::Ok)->click();
    });
    window_.openSettings(QStringLiteral("/nonexistent/none.tarmel"));
    EXPECT_EQ(behindError, Events{}) << "nothing played behind the error message";
    EXPECT_TRUE(QTest::qWaitFor([&] { return log_->count("write 0") > 3; }));
    click("Cmdstop");

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

// The modulator outputs go back to 1 on a click of any box of the main window, for all three
// oscillators, and when the oscillator 2 window itself loses the focus, not when one of its
// controls does.
TEST_F(MainWindowTest, BoxClicksAndTheOscillatorTwoWindowsFocusLossResetAllFifteenOutputs) {
    const auto allOne = [](const files::Settings& s) {
        return std::ranges::all_of(s.state.modOut, [](double out) { return out == 1.0; });
    };
    click("CmdOsc2");
    click("CmdOsc3");
    QWidget* osc2 = topLevel("FrmOsc2");
    QWidget* osc3 = topLevel("FrmOsc3");
    click("ChkFm(0)", osc2);
    click("ChkFm(3)", osc3);
    const auto play = [&] {
        click("Play");
        const files::Settings s = saved();
        EXPECT_NE(s.state.modOut[5], 1.0);
        EXPECT_NE(s.state.modOut[13], 1.0);
    };
    play();
    click("ChkFm(4)");
    click("ChkFm(4)");
    EXPECT_TRUE(allOne(saved())) << "a main-window box resets oscillators 2 and 3 too";

    play();
    activate(osc2);
    control("sliderFm(0)", osc2)->setFocus();
    control("ChkFm(1)", osc2)->setFocus();
    activate(&window_);
    EXPECT_FALSE(allOne(saved())) << "the focus of the window's controls moved, not its own";
    activate(osc2);
    osc2->setFocus();
    activate(&window_);
    EXPECT_TRUE(allOne(saved())) << "the oscillator 2 window itself lost the focus";
    activate(osc3);
    osc3->setFocus();
    play();
    activate(&window_);
    EXPECT_FALSE(allOne(saved())) << "only the oscillator 2 window has the rule";
}

// With the random modulator on, every generation brings fresh noise, and settings opened again
// continue exactly as the program that saved them did, also when they put the state back to
// where the sound the voices hold was computed from.
TEST_F(MainWindowTest, ReopenedSettingsAndRepeatContinueAsPlainGenerations) {
    const QTemporaryDir dir;
    const QString file = dir.filePath("a.tarmel");
    // The random modulator, at a pitch, multiplier and ratio where its sine stays positive for
    // the whole second (4 x 2 / 16 of a cycle): a negative argument would seed the generator
    // afresh, and every second would end in the same state.
    setValue("VScroll1", 4);
    click("CmdOsc2");
    control<QAbstractSlider>("sliderharmon(2)", topLevel("FrmOsc2"))->setValue(16);
    click("ChkFm(2)", topLevel("FrmOsc2"));
    click("Play");
    choose(window_, "Save settings…", file);
    const files::Settings settings = files::readSettings(file.toStdString());

    // The same settings computed plainly, one generation after another, from the saved state.
    synth::Parameters p;
    p.pitch1 = p.pitch2 = p.pitch3 = settings.pitch1;
    p.modulators = settings.modulators;
    synth::SynthState state = settings.state;
    std::vector<std::vector<int16_t>> plain;
    auto waves = std::make_unique<synth::Waves>();
    for (int i = 0; i < 40; ++i) {
        synth::generate(p, state, *waves);
        plain.emplace_back((*waves)[1].begin(), (*waves)[1].begin() + audio::kVoiceFrames);
        ASSERT_TRUE(i == 0 || plain[i] != plain[i - 1]) << "the noise moves on";
    }
    const auto voice = [&] { return log_->voices[1]; };
    click("Play");
    EXPECT_EQ(voice(), plain[0]);
    click("Play");
    EXPECT_EQ(voice(), plain[1]);
    for (int again = 0; again < 2; ++again) {
        window_.openSettings(file);
        click("Play");
        EXPECT_EQ(voice(), plain[0]) << again;
    }
    click("Play");
    EXPECT_EQ(voice(), plain[1]);
    click("Play");
    EXPECT_EQ(voice(), plain[2]);

    // Repeat brings a new sound with every generation, each the next plain one.
    takeEvents();
    click("Cmdstart");
    EXPECT_TRUE(QTest::qWaitFor([&] { return log_->count("write 1") >= 6; }));
    click("Cmdstop");
    const auto writes = static_cast<std::size_t>(log_->count("write 1"));
    ASSERT_LT(writes + 2, plain.size());
    EXPECT_EQ(voice(), plain[writes + 2]) << "every write a generation, each the next one";
}

// The program's voices on a mixer that the test renders block by block, as the device's callback
// would, running the program's event loop between blocks.
class MixerOutput final : public audio::SoundOutput {
public:
    MixerOutput(audio::Mixer& mixer, int& plays) : mixer_(mixer), plays_(plays) {}
    ~MixerOutput() override { mixer_.clear(); }
    void write(int voice, audio::VoiceSamples samples) override { mixer_.write(voice, samples); }
    void play(int voice) override {
        ++plays_;
        mixer_.play(voice);
    }
    void stop(int voice) noexcept override { mixer_.stop(voice); }
    void repeat(int voice, bool on) noexcept override { mixer_.repeat(voice, on); }

private:
    audio::Mixer& mixer_;
    int& plays_;
};

// A repeat that nothing changes sleeps: a handful of ticks in seconds, not one a millisecond.
// What is heard stays what a tick between every two blocks gives: the voice starts again at the
// block after each end, 173 blocks apart (44100 / 256 = 172.3), and a change is heard in the
// next block, rewritten in place.
TEST(QuietRepeat, SleepsWhileNothingChangesAndSoundsAsATickEveryBlockWould) {
    auto mixer = std::make_unique<audio::Mixer>();
    int plays = 0;
    app::MainWindow window([&] { return std::make_unique<MixerOutput>(*mixer, plays); });
    window.load();
    window.show();
    std::vector<int16_t> heard;
    std::vector<int16_t> block(audio::kBlockFrames);
    const auto renderBlock = [&] {
        // The program's turn between two blocks (5.8 ms apart on a device): a tick due within
        // a millisecond has run before the next block.
        QTest::qWait(2);
        QCoreApplication::processEvents();
        mixer->render(block.data(), audio::kBlockFrames);
        heard.insert(heard.end(), block.begin(), block.end());
    };
    ui::child<QAbstractButton>(window, "Cmdstart")->click();
    while (plays == 0) {
        renderBlock();
    }
    const std::size_t start = heard.size() - 256; // the first block after the first tick
    const int playsBefore = plays;
    const auto begun = std::chrono::steady_clock::now();
    constexpr int kBlocks = 5 * 44100 / 256; // five seconds
    constexpr int kChange = 600;
    for (int b = 1; b < kBlocks; ++b) {
        if (b == kChange) {
            ui::child<QAbstractSlider>(window, "VScroll1")->setValue(200);
        }
        renderBlock();
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
    EXPECT_LT((plays - playsBefore) / seconds, 20.0) << plays - playsBefore << " in " << seconds;

    const std::vector<int16_t> before = expectedVoice(0);
    const std::vector<int16_t> after = expectedVoice(0, {200, 200, 200});
    for (int b = 0; b < kBlocks; ++b) {
        const int frame = (b % 173) * 256; // where the voice stands at the block's start
        for (int i = 0; i < 256; ++i) {
            const auto& wave = b < kChange ? before : after;
            const int16_t expected = frame + i < audio::kVoiceFrames ? wave[frame + i] : 0;
            ASSERT_EQ(heard[start + b * 256 + i], expected) << "block " << b << " frame " << i;
        }
    }
}

// Each export choice writes its own wave; normalised, the loudest sample is at -1 dBFS
// (32767 * 10^(-1/20) = 29203.6, within one step) and every sample keeps its proportion. The sound
// played is not changed by an export.
TEST_F(MainWindowTest, ExportWritesTheChosenSoundPlainOrNormalised) {
    const QTemporaryDir temporary;
    setValue("VScroll1", 146);
    setValue("VScroll3", -20);
    click("ChkFm(2)");
    click("Check1(2)");
    click("Play");
    const auto voices = log_->voices;
    const std::vector<std::pair<ui::ExportChoice, std::vector<int16_t>>> cases{
        {{0, false}, heard(*log_, {true, false, true})},
        {{1, false}, {voices[0].begin(), voices[0].end()}},
        {{2, false}, {voices[1].begin(), voices[1].end()}},
        {{3, false}, {voices[2].begin(), voices[2].end()}},
        {{0, true}, heard(*log_, {true, false, true})},
        {{3, true}, {voices[2].begin(), voices[2].end()}},
    };
    const double target = 32767 * std::pow(10.0, -1.0 / 20);
    for (const auto& [choice, plain] : cases) {
        const QString file =
            temporary.path() +
            QStringLiteral("/%1-%2.wav").arg(choice.oscillator).arg(choice.normalise);
        choose(window_, "Export sound…", file, QMessageBox::Ok, choice);
        const std::vector<int16_t> written = files::readSoundFile(file.toStdString());
        const auto what = testing::Message() << "oscillator " << choice.oscillator << " normalised "
                                             << choice.normalise;
        if (!choice.normalise) {
            EXPECT_EQ(written, plain) << what;
            continue;
        }
        ASSERT_EQ(written.size(), plain.size()) << what;
        int plainPeak = 0;
        int peak = 0;
        for (std::size_t n = 0; n < plain.size(); ++n) {
            plainPeak = std::max(plainPeak, std::abs(int{plain[n]}));
            peak = std::max(peak, std::abs(int{written[n]}));
        }
        EXPECT_LE(std::abs(peak - target), 1.0) << what;
        const double gain = target / plainPeak;
        for (std::size_t n = 0; n < plain.size(); n += 97) {
            EXPECT_LE(std::abs(written[n] - plain[n] * gain), 0.5 + 1e-9) << what << " at " << n;
        }
    }
    EXPECT_EQ(log_->voices, voices) << "the voices play on as they were";
}

// The export dialog opens on the choice given, names its controls for a screen reader, and
// Escape leaves it.
TEST_F(MainWindowTest, ExportDialogOpensOnTheLastChoiceAndNamesItsControls) {
    ui::ExportDialog dialog({2, true}, &window_);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "exportSound2");
    EXPECT_TRUE(dialog.choice().normalise);
    for (const char* name : {"exportSound0", "exportSound1", "exportNormalise"}) {
        const QString said = QAccessible::queryAccessibleInterface(dialog.findChild<QWidget*>(name))
                                 ->text(QAccessible::Name);
        EXPECT_TRUE(said.contains(
            QRegularExpression("^(The sound as heard|Oscillator 1|Normalise to -1 dBFS)")))
            << said;
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

// "Copy render command" says what it copied, on the window whose menu was used, and the message
// goes away by itself.
TEST_F(MainWindowTest, CopyRenderCommandSaysWhatItCopiedForAWhile) {
    click("CmdOsc2");
    QWidget* osc2 = topLevel("FrmOsc2");
    for (QWidget* w : {static_cast<QWidget*>(&window_), osc2}) {
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
        setValue("VScroll1", w == osc2 ? 200 : 110);
        choose(*w, "Copy render command", {});
        const QString copied = QGuiApplication::clipboard()->text();
        EXPECT_TRUE(copied.startsWith(w == osc2 ? "tarmel-render --pitch 200 "
                                                : "tarmel-render --pitch 110 "))
            << copied;
        auto* toast = w->findChild<ui::Toast*>();
        ASSERT_NE(toast, nullptr) << w->objectName();
        EXPECT_TRUE(QTest::qWaitFor([&] { return toast->isVisible(); }));
        EXPECT_EQ(toast->text(), "Copied to the clipboard: " + copied);
        EXPECT_EQ(toast->accessibleName(), toast->text());
        // It covers none of the window's controls, and reads well: WCAG's contrast ratio of
        // its text on its background at least 4.5.
        for (const QWidget* c : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!c->isWindow() && c->isVisible()) {
                EXPECT_FALSE(
                    QRect(c->mapToGlobal(QPoint()), c->size()).intersects(toast->frameGeometry()))
                    << c->objectName();
            }
        }
        const auto luminance = [](const QColor& colour) {
            const auto linear = [](double c) {
                return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
            };
            return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
                   0.0722 * linear(colour.blueF());
        };
        const double text = luminance(toast->palette().color(QPalette::WindowText));
        const double back = luminance(toast->palette().color(QPalette::Window));
        EXPECT_GE((std::max(text, back) + 0.05) / (std::min(text, back) + 0.05), 4.5);
        if (w == osc2) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return !toast->isVisible(); }, 10000));
        }
    }
    // The copied command, run, writes the very second the window plays: pitches, envelope, the
    // modulators of every window (the noise among them) and the play boxes.
    setValue("VScroll3", -40);
    setValue("Sliderattack", 700);
    control<QAbstractSlider>("sliderFm(2)", osc2)->setValue(4);
    control<QAbstractSlider>("sliderharmon(2)", osc2)->setValue(8);
    click("ChkFm(2)", osc2);
    setValue("sliderFm(2)", 3);
    click("ChkFm(2)");
    click("Check1(0)");
    click("Check1(1)");
    click("Check1(2)");
    click("Play");
    choose(window_, "Copy render command", {});
    QStringList words = QGuiApplication::clipboard()->text().split(' ');
    const QTemporaryDir dir;
    ASSERT_EQ(words.takeFirst(), "tarmel-render");
    ASSERT_EQ(words.takeLast(), "sound.wav");
    words << dir.filePath("copied.wav");
    ASSERT_EQ(QProcess::execute(TARMEL_RENDER_PATH, words), 0) << words.join(' ');
    EXPECT_EQ(files::readSoundFile(dir.filePath("copied.wav").toStdString()),
              heard(*log_, {false, true, true}));
}

// A settings file that cannot be opened is described as what it is, with what to do about it.
TEST_F(MainWindowTest, SettingsFilesThatCannotBeOpenedSayWhatIsWrongWithThem) {
    const QTemporaryDir temporary;
    const QString dir = temporary.path() + "/";
    QDir(dir).mkdir("folder.tarmel");
    const QStringList advice{"There is no file by that name", "Tarmel may not read it",
                             "Tarmel cannot use this file as settings"};
    const std::vector<std::pair<QString, int>> cases{
        {dir + "none.tarmel", 0},
        {dir + "folder.tarmel", 1},
        {QStringLiteral(TARMEL_SETTINGS_CORPUS "/bad-ratio.tarmel"), 2},
    };
    for (const auto& [file, kind] : cases) {
        const QStringList seen =
            answering(QMessageBox::Ok, [&, f = file] { window_.openSettings(f); });
        ASSERT_EQ(seen.size(), 1) << file;
        for (int k = 0; k < advice.size(); ++k) {
            EXPECT_EQ(seen[0].contains(advice[k]), k == kind) << seen[0];
        }
        EXPECT_TRUE(seen[0].contains(QFileInfo(file).fileName())) << seen[0];
    }
}

} // namespace
} // namespace tarmel
