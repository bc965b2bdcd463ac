// The main window and its secondary windows, offscreen, on the recording sound output: what the
// user sees and hears through the controls. The rules about the sound's values live in
// sound::Document and are checked there; here, that each door of the windows reaches them.
// Expected sounds come from synth::generate, which the synthesis tests check against an
// independent implementation.
#include "MainWindowFixture.h"
#include "files/Settings.h"
#include "files/SoundFile.h"
#include "sound/Controls.h"
#include "ui/ExportDialog.h"
#include "ui/Toast.h"

#include <cmath>

namespace tarmel {
namespace {

using Events = std::vector<std::string>;
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

class MainWindowTest : public test::MainWindowFixture {
protected:
    QString readouts() {
        return control<QLabel>("Lblos1(0)")->text() + " " + control<QLabel>("Lblos1(1)")->text() +
               " " + control<QLabel>("Lblos1(2)")->text();
    }
    Events takeEvents() { return std::exchange(log_->events, {}); }
    // The settings as "Save settings…" writes them now.
    files::Settings saved() {
        const QTemporaryDir dir;
        test::choose(window_, "Save settings…", {.file = dir.filePath("now.tarmel")});
        return files::readSettings(dir.filePath("now.tarmel").toStdString());
    }
};

// The windows as documented, in pixels of 15 twips, written out here rather than read from the
// layout table so that a moved control fails.
TEST_F(MainWindowTest, StartsWithTheDocumentedLayout) {
    EXPECT_EQ(takeEvents(), Events{"open"});
    // The Tab order is the reading order: AccessibilityTest walks it.
    QWidget* osc3 = open("CmdOsc3", "FrmOsc3");
    QWidget* help = open("Cmdhelp", "Dialog");
    EXPECT_EQ(window_.windowTitle() + "|" + osc3->windowTitle() + "|" + help->windowTitle(),
              "Brennick  Tarmel1.0|Oscilator3|Tarmel Help");
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

// Generate plays the ticked voices and writes only waves the voices do not hold; every box, of
// either window, by a click or a screen reader's Toggle (which raises no click), changes the
// sound, and a window closed drops its settings.
TEST_F(MainWindowTest, GeneratePlaysTheTickedVoicesAndEveryBoxChangesTheSound) {
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
    QAccessible::queryAccessibleInterface(control("ChkFm(2)"))
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_FALSE(control<QAbstractButton>("ChkFm(2)")->isChecked());
    click("Play");
    EXPECT_EQ(log_->voices[0], expectedVoice(0)) << "toggled off by a screen reader";

    QWidget* osc2 = open("CmdOsc2", "FrmOsc2");
    setValue("sliderFm(0)", 5, osc2);
    click("ChkFm(0)", osc2);
    click("Play");
    EXPECT_EQ(log_->voices[1], expectedVoice(1, {98, 98, 98}, {2, 0, 5, 2}));
    osc2->close();
    click("Play");
    EXPECT_EQ(log_->voices[1], expectedVoice(1));
}

// Enter and the keypad's Enter press the focused button, as Space does (the window opens on
// "generate"); "Keyboard Active" shows whether the letters play in the window now active.
TEST_F(MainWindowTest, EnterPressesAButtonAndKeyboardActiveFollowsTheLetters) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(log_->voices[0], expectedVoice(0));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return log_->count("play 0") == 2; }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return log_->count("play 0") == 3; }));

    QWidget* label = control("Lblkeys");
    EXPECT_TRUE(label->isVisible());
    open("CmdOsc2", "FrmOsc2");
    EXPECT_FALSE(label->isVisible()) << "oscillator 2's window";
    window_.showSoundView();
    activate(topLevel("SoundView"));
    EXPECT_TRUE(label->isVisible()) << "the Sound window, where the letters play";
    open("Cmdhelp", "Dialog");
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
    // It sleeps while nothing changes: no tick plays the same second again. A change wakes it at
    // once. (How a repeating voice sounds is the mixer's, checked in the audio tests.)
    QTest::qWait(100);
    EXPECT_EQ(log_->count("play 0"), 1);
    setValue("VScroll1", 200);
    EXPECT_FALSE(log_->repeating[0]);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return log_->voices[0] == expectedVoice(0, {200, 200, 200});
        },
        200));

    // Exit asks; while the question waits, repeat makes no sound; after No the other windows are
    // closed and repeat goes on.
    click("CmdOsc2");
    click("Cmdhelp");
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
    ASSERT_GE(whileAsked.size(), reset.size());
    EXPECT_EQ(Events(whileAsked.end() - 5, whileAsked.end()), reset)
        << "nothing played behind the question";
    EXPECT_TRUE(QTest::qWaitFor([&] { return log_->count("play 0") > 0; })) << "goes on after No";
    click("Cmdstop");

    // A failing tick ends the repetition and says so once.
    const QStringList seen = test::answering(
        [&] {
            click("Cmdstart");
            log_->failNext = "play";
            EXPECT_TRUE(QTest::qWaitFor([&] { return !control<QTimer>("Timer2")->isActive(); }));
            QTest::qWait(50);
        },
        {.button = QMessageBox::Ok});
    EXPECT_TRUE(seen.size() == 1 && seen[0].contains("could not use the sound output") &&
                seen[0].contains("press \"reset\""))
        << seen.join("|");
    // The question comes even when the sound output cannot be opened again.
    log_->failNext = "open";
    const QStringList failed =
        test::answering([&] { window_.close(); }, {.button = QMessageBox::No});
    EXPECT_TRUE(failed.size() == 2 &&
                failed[0].startsWith("Tarmel: Tarmel could not use the sound"))
        << failed.join("|");
    test::answering([&] { click("CmdExit"); });
    EXPECT_FALSE(window_.isVisible());
}

// The oscillator 2 window losing the focus sets the fifteen outputs back to 1; one of its controls
// losing it does not, and no other window has the rule.
TEST_F(MainWindowTest, TheOscillatorTwoWindowLosingTheFocusResetsTheOutputs) {
    const auto allOne = [&] {
        return std::ranges::all_of(saved().state.modOut, [](double out) { return out == 1.0; });
    };
    click("CmdOsc2");
    click("CmdOsc3");
    QWidget* osc2 = topLevel("FrmOsc2");
    QWidget* osc3 = topLevel("FrmOsc3");
    click("ChkFm(0)", osc2);
    click("ChkFm(3)", osc3);
    click("Play");
    activate(osc2);
    control("sliderFm(0)", osc2)->setFocus();
    control("ChkFm(1)", osc2)->setFocus();
    activate(&window_);
    EXPECT_FALSE(allOne()) << "the focus of the window's controls moved, not its own";
    activate(osc2);
    osc2->setFocus();
    activate(&window_);
    EXPECT_TRUE(allOne()) << "the oscillator 2 window itself lost the focus";
    activate(osc3);
    osc3->setFocus();
    click("Play");
    activate(&window_);
    EXPECT_FALSE(allOne()) << "only the oscillator 2 window has the rule";
}

// With the random modulator on, every generation brings fresh noise. Settings saved from an
// oscillator window's menu carry the next sound: dropped on the window, they go on exactly as
// plain generations from the saved state, also when they put the state back to where the sound
// the voices hold was computed from; every tick of repeat plays the next one. A refused file
// changes nothing, and "reset" puts every modulator output back to 1.
TEST_F(MainWindowTest, SettingsFilesCarryTheNextSoundAndRepeatPlaysEachNextOne) {
    const QTemporaryDir dir;
    const QString file = dir.filePath("a.tarmel");
    // The random modulator, at a pitch, multiplier and ratio where its sine stays positive for
    // the whole second (4 x 2 / 16 of a cycle): a negative argument would seed the generator
    // afresh, and every second would end in the same state.
    setValue("VScroll1", 4);
    setValue("Sliderattack", 300);
    click("Check1(2)");
    QWidget* osc2 = open("CmdOsc2", "FrmOsc2");
    setValue("sliderharmon(2)", 16, osc2);
    click("ChkFm(2)", osc2);
    click("Play");
    test::choose(*osc2, "Save settings…", {.file = file});
    const files::Settings settings = files::readSettings(file.toStdString());

    // The same settings computed plainly, one generation after another, from the saved state.
    synth::SynthState state = settings.state;
    std::vector<std::vector<int16_t>> plain;
    auto waves = std::make_unique<synth::Waves>();
    for (int i = 0; i < 40; ++i) {
        synth::generate(sound::parametersOf(settings), state, *waves);
        plain.emplace_back((*waves)[1].begin(), (*waves)[1].begin() + audio::kVoiceFrames);
    }
    ASSERT_NE(plain[0], plain[1]) << "the noise moves on";
    click("Play");
    EXPECT_EQ(log_->voices[1], plain[0]);

    // Dropped on the window, the file puts the state back to where plain[0] was computed from,
    // which the voices hold.
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(file)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window_, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window_, &drop);
    click("Play");
    EXPECT_EQ(log_->voices[1], plain[0]);
    click("Play");
    EXPECT_EQ(log_->voices[1], plain[1]);
    takeEvents();
    click("Cmdstart");
    EXPECT_TRUE(QTest::qWaitFor([&] { return log_->count("write 1") >= 6; }));
    click("Cmdstop");
    const auto writes = static_cast<std::size_t>(log_->count("write 1"));
    ASSERT_LT(writes + 1, plain.size());
    EXPECT_EQ(log_->voices[1], plain[writes + 1]) << "every write a generation, each the next one";

    const QStringList seen = test::answering(
        [&] { window_.openSettings(QStringLiteral(TARMEL_SETTINGS_CORPUS "/bad-ratio.tarmel")); },
        {.button = QMessageBox::Ok});
    EXPECT_EQ(seen.size(), 1);
    click("CmdReset");
    files::Settings after = saved();
    EXPECT_TRUE(std::ranges::all_of(after.state.modOut, [](double out) { return out == 1.0; }));
    after.state = settings.state; // the generations since the save moved the state on
    EXPECT_EQ(after, settings);
}

// Each export choice writes its own wave; normalised, the loudest sample is at -1 dBFS
// (32767 * 10^(-1/20) = 29203.6, within one step) and every sample keeps its proportion. The sound
// played is not changed by an export.
TEST_F(MainWindowTest, ExportWritesTheChosenSoundPlainOrNormalised) {
    const QTemporaryDir dir;
    setValue("VScroll1", 146);
    setValue("VScroll3", -20);
    click("ChkFm(2)");
    click("Check1(2)");
    click("Play");
    const auto voices = log_->voices;
    const std::vector<std::pair<ui::ExportChoice, std::vector<int16_t>>> cases{
        {{0, false}, log_->heard({true, false, true})},
        {{1, false}, voices[0]},
        {{3, false}, voices[2]},
        {{0, true}, log_->heard({true, false, true})},
        {{3, true}, voices[2]},
    };
    const double target = 32767 * std::pow(10.0, -1.0 / 20);
    for (const auto& [choice, plain] : cases) {
        const QString file =
            dir.filePath(QStringLiteral("%1-%2.wav").arg(choice.oscillator).arg(choice.normalise));
        const auto pick = [choice](QWidget& modal) {
            const auto button = [&](const QString& name) {
                return modal.findChild<QAbstractButton*>(name);
            };
            button(QStringLiteral("exportSound%1").arg(choice.oscillator))->click();
            if (button("exportNormalise")->isChecked() != choice.normalise) {
                button("exportNormalise")->click();
            }
            for (QPushButton* b : modal.findChildren<QPushButton*>()) {
                if (b->text() == "Choose &file…") {
                    b->click();
                }
            }
        };
        test::choose(window_, "Export sound…", {.file = file, .other = pick});
        const std::vector<int16_t> written = files::readSoundFile(file.toStdString());
        const auto what = testing::Message() << "oscillator " << choice.oscillator << " normalised "
                                             << choice.normalise;
        ASSERT_EQ(written.size(), plain.size()) << what;
        const int plainPeak = std::ranges::max(plain, {}, [](int16_t v) { return std::abs(v); });
        const double gain = choice.normalise ? target / std::abs(plainPeak) : 1.0;
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

// "Copy render command" copies the command for the sound now and says what it copied, on the
// window whose menu was used, covering none of its controls; the message goes away by itself.
// (The command's words are the sound's, checked in the sound tests; what tarmel-render makes of
// them in the command line's tests.)
TEST_F(MainWindowTest, CopyRenderCommandSaysWhatItCopiedForAWhile) {
    QWidget* osc2 = open("CmdOsc2", "FrmOsc2");
    for (QWidget* w : {static_cast<QWidget*>(&window_), osc2}) {
        activate(w);
        setValue("VScroll1", w == osc2 ? 200 : 110);
        test::choose(*w, "Copy render command");
        const QString copied = QGuiApplication::clipboard()->text();
        EXPECT_TRUE(copied.startsWith(w == osc2 ? "tarmel-render --pitch 200 "
                                                : "tarmel-render --pitch 110 "))
            << copied;
        auto* toast = w->findChild<ui::Toast*>();
        ASSERT_NE(toast, nullptr) << w->objectName();
        EXPECT_TRUE(QTest::qWaitFor([&] { return toast->isVisible(); }));
        EXPECT_EQ(toast->text(), "Copied to the clipboard: " + copied);
        EXPECT_EQ(toast->accessibleName(), toast->text());
        for (const QWidget* c : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!c->isWindow() && c->isVisible()) {
                EXPECT_FALSE(
                    QRect(c->mapToGlobal(QPoint()), c->size()).intersects(toast->frameGeometry()))
                    << c->objectName();
            }
        }
        if (w == osc2) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return !toast->isVisible(); }, 10000));
        }
    }
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
        const QStringList seen = test::answering([&, f = file] { window_.openSettings(f); },
                                                 {.button = QMessageBox::Ok});
        ASSERT_EQ(seen.size(), 1) << file;
        for (int k = 0; k < advice.size(); ++k) {
            EXPECT_EQ(seen[0].contains(advice[k]), k == kind) << seen[0];
        }
        EXPECT_TRUE(seen[0].contains(QFileInfo(file).fileName())) << seen[0];
    }
}

} // namespace
} // namespace tarmel
