// The main window and its secondary windows, offscreen, on the recording sound output: what the
// user sees and hears through the controls. The rules about the sound's values live in
// sound::Document and are checked there; here, that each door of the windows reaches them.
// Expected sounds come from synth::generate, which the synthesis tests check against an
// independent implementation, or are the sounds played before.
#include "MainWindowFixture.h"
#include "files/Normalise.h"
#include "files/Settings.h"
#include "files/SoundFile.h"
#include "sound/Controls.h"
#include "ui/ExportDialog.h"
#include "ui/Toast.h"

namespace tarmel {
namespace {

using Events = std::vector<std::string>;

class MainWindowTest : public test::MainWindowFixture {
protected:
    Events takeEvents() { return std::exchange(log_->events, {}); }
};

// The windows as documented, in pixels of 15 twips, written out here rather than read from the
// layout table so that a moved control fails. (The Tab order is the reading order:
// AccessibilityTest walks it.)
TEST_F(MainWindowTest, StartsWithTheDocumentedLayout) {
    QWidget* osc3 = open("CmdOsc3", "FrmOsc3");
    EXPECT_EQ(window_.windowTitle() + "|" + osc3->windowTitle(), "Brennick  Tarmel1.0|Oscilator3");
    EXPECT_EQ(window_.size(), QSize(656, 272));
    EXPECT_EQ(control("Cmdstart")->geometry(), QRect(600, 40, 41, 33));
    EXPECT_EQ(control("sliderFm(0)", osc3)->pos(), QPoint(24, 48));
}

// The keypad's Enter presses the focused button (the window opens on "generate"; Enter takes the
// same path, Space is Qt's own). Each letter sets pitch 1 and plays; letters play only on the
// main and the Sound window, which "Keyboard Active" shows.
TEST_F(MainWindowTest, KeysPressButtonsAndLettersPlayWhereKeyboardActiveSaysSo) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return log_->count("play 0") == 1; })) << "Enter";
    // The keyboard note map as documented: bottom, middle and top letter rows, the semitones C2
    // to C#4 (440 * 2^((n - 69) / 12) for n = 36 to 61, worked out on a calculator), each rounded
    // or with its fraction dropped. (MIDI notes are checked in NotesTest.)
    const std::string letters = "ZXCVBNMASDFGHJKLQWERTYUIOP";
    const std::vector<int> hertz{65,  69,  73,  77,  82,  87,  92,  98,  104, 110, 116, 123, 130,
                                 138, 146, 155, 164, 174, 185, 196, 207, 220, 233, 246, 261, 277};
    takeEvents();
    for (std::size_t i = 0; i < letters.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), letters[i]);
        EXPECT_EQ(control<QLabel>("Lblos1(0)")->text().toInt(), hertz[i]) << letters[i];
        EXPECT_EQ(takeEvents(), (Events{"write 0", "write 1", "write 2", "play 0"})) << letters[i];
    }
    open("CmdOsc2", "FrmOsc2");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_D);
    // Counting writes would not do: a generation at the pitch the voices hold writes nothing.
    EXPECT_EQ(takeEvents(), Events{}) << "only letters on the main window play";
    EXPECT_FALSE(control("Lblkeys")->isVisible()) << "oscillator 2's window";
    window_.showSoundView();
    activate(test::topLevel("SoundView"));
    EXPECT_TRUE(control("Lblkeys")->isVisible()) << "the Sound window, where the letters play";
}

// Generate plays the ticked voices and writes only waves the voices do not hold; a box changes
// the sound also by a screen reader's Toggle, which raises no click.
TEST_F(MainWindowTest, GeneratePlaysTheTickedVoicesAndAScreenReadersToggleChangesTheSound) {
    click("Play");
    click("Check1(0)");
    click("Check1(2)");
    takeEvents();
    click("Play"); // the voices hold this very sound already
    EXPECT_EQ(takeEvents(), (Events{"play 2"}));

    const auto plain = log_->voices;
    click("ChkFm(2)");
    QAccessible::queryAccessibleInterface(control("ChkFm(2)"))
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::toggleAction());
    click("Play");
    EXPECT_EQ(log_->voices[0], plain[0]) << "toggled off by a screen reader";
}

// The first start only says where the menu is; the main window's description always does.
TEST_F(MainWindowTest, TheFirstStartSaysWhereTheMenuIs) {
    const QString hint =
        QAccessible::queryAccessibleInterface(&window_)->text(QAccessible::Description);
    EXPECT_TRUE(hint.contains("right mouse button") && hint.contains("Shift+F10")) << hint;
    QSettings().remove("hints/menuShown");
    window_.showFirstStartHint();
    auto* toast = window_.findChild<ui::Toast*>();
    ASSERT_TRUE(toast != nullptr && toast->isVisible());
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
    // plays again by itself. It sleeps while nothing changes: no tick plays the same second
    // again. A change wakes it at once. (How a repeating voice sounds is the mixer's, checked in
    // the audio tests.)
    EXPECT_TRUE(QTest::qWaitFor([&] { return log_->repeating[0]; })) << "repeat goes on";
    EXPECT_FALSE(log_->repeating[1]) << "only ticked voices repeat";
    QTest::qWait(100);
    EXPECT_EQ(takeEvents(), (Events{"write 0", "write 1", "write 2", "play 0"}));
    setValue("VScroll1", 200);
    EXPECT_FALSE(log_->repeating[0]);
    EXPECT_TRUE(QTest::qWaitFor([&] { return log_->count("write 0") == 1; }, 200));

    // Exit asks (the words are checked below); while the question waits, repeat makes no sound;
    // after No the other windows are closed and repeat goes on (an exit would have ended it).
    click("CmdOsc2");
    click("Cmdhelp");
    Events whileAsked;
    QTimer::singleShot(100, [&] {
        whileAsked = takeEvents();
        QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); // No
    });
    click("CmdExit");
    EXPECT_FALSE(test::topLevel("FrmOsc2")->isVisible() || test::topLevel("Dialog")->isVisible());
    ASSERT_GE(whileAsked.size(), reset.size());
    EXPECT_EQ(Events(whileAsked.end() - 5, whileAsked.end()), reset)
        << "nothing played behind the question";
    EXPECT_TRUE(QTest::qWaitFor([&] { return log_->count("play 0") > 0; })) << "goes on after No";
    click("Cmdstop");

    // A failing tick ends the repetition and says so.
    log_->failNext = "play";
    const QStringList seen = test::answering(
        [&] { click("Cmdstart"); }, {.until = [](const QStringList& s) { return !s.isEmpty(); }});
    EXPECT_TRUE(seen.value(0).contains("press \"reset\"")) << seen.join("|");
    EXPECT_FALSE(control<QTimer>("Timer2")->isActive());
    // The question comes even when the sound output cannot be opened again, and Yes ends.
    log_->failNext = "open";
    const QStringList failed = test::answering([&] { window_.close(); }); // Yes
    EXPECT_TRUE(failed.size() == 2 &&
                failed[0].startsWith("Tarmel: Tarmel could not use the sound") &&
                failed[1] == "Quit: Exit?")
        << failed.join("|");
    EXPECT_FALSE(window_.isVisible());
}

// The fifteen outputs go back to 1 at "reset" and when the oscillator 2 window itself loses the
// focus; not when one of its controls loses it, and no other window has the rule.
TEST_F(MainWindowTest, ResetAndTheOscillatorTwoWindowLosingTheFocusSetTheOutputsToOne) {
    // Whether the window's sound has all fifteen outputs at 1 now.
    const auto allOne = [&] {
        return std::ranges::count(window_.model().document().state().modOut, 1.0) == 15;
    };
    QWidget* osc2 = open("CmdOsc2", "FrmOsc2");
    QWidget* osc3 = open("CmdOsc3", "FrmOsc3");
    click("ChkFm(0)", osc2);
    for (const auto& [w, itself] : {std::pair{osc2, false}, {osc3, true}, {osc2, true}}) {
        click("Play");
        activate(w);
        (itself ? w : control("ChkFm(1)", w))->setFocus();
        activate(&window_);
        EXPECT_EQ(allOne(), w == osc2 && itself) << w->objectName() << " itself " << itself;
    }
    click("Play");
    click("CmdReset");
    EXPECT_TRUE(allOne()) << "reset";
}

// With the random modulator on, every generation brings fresh noise. Settings saved from an
// oscillator window's menu carry the next sound: dropped on the window, they go on exactly as
// plain generations from the saved state, also when they put the state back to where the sound
// the voices hold was computed from; every tick of repeat plays the next one.
TEST_F(MainWindowTest, SettingsFilesCarryTheNextSoundAndRepeatPlaysEachNextOne) {
    const QTemporaryDir dir;
    // The random modulator, at a pitch, multiplier and ratio where its sine stays positive for
    // the whole second (4 x 2 / 16 of a cycle): a negative argument would seed the generator
    // afresh, and every second would end in the same state.
    setValue("VScroll1", 4);
    QWidget* osc2 = open("CmdOsc2", "FrmOsc2");
    setValue("sliderharmon(2)", 16, osc2);
    click("ChkFm(2)", osc2);
    click("Play");
    test::choose(*osc2, "Save settings…", {.file = dir.filePath("a.tarmel")});
    const files::Settings settings = files::readSettings(dir.filePath("a.tarmel").toStdString());

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
    mime.setUrls({QUrl::fromLocalFile(dir.filePath("a.tarmel"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window_, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window_, &drop);
    click("Play");
    EXPECT_EQ(log_->voices[1], plain[0]);
    takeEvents();
    click("Cmdstart");
    EXPECT_TRUE(QTest::qWaitFor([&] { return log_->count("write 1") >= 6; }));
    click("Cmdstop");
    EXPECT_EQ(log_->voices[1], plain.at(static_cast<std::size_t>(log_->count("write 1"))))
        << "every write a generation, each the next one";
}

// Each export choice writes its own wave, normalised when asked (files::normalised, checked
// against worked values in the files tests); the sound played is not changed by an export.
TEST_F(MainWindowTest, ExportWritesTheChosenSoundPlainOrNormalised) {
    const QTemporaryDir dir;
    setValue("VScroll3", -20);
    click("ChkFm(2)");
    click("Check1(2)");
    click("Play");
    const auto voices = log_->voices;
    for (const auto& [choice, plain] :
         std::vector<std::pair<ui::ExportChoice, std::vector<int16_t>>>{
             {{0, true}, log_->heard({true, false, true})},
             {{1, false}, voices[0]},
             {{3, true}, voices[2]}}) {
        const auto pick = [&, choice](QWidget& modal) {
            modal
                .findChild<QAbstractButton*>(QStringLiteral("exportSound%1").arg(choice.oscillator))
                ->click();
            modal.findChild<QAbstractButton*>("exportNormalise")->setChecked(choice.normalise);
            static_cast<QDialog&>(modal).accept();
        };
        const QString file = dir.filePath(QStringLiteral("%1.wav").arg(choice.oscillator));
        test::choose(window_, "Export sound…", {.file = file, .other = pick});
        EXPECT_EQ(files::readSoundFile(file.toStdString()),
                  choice.normalise ? files::normalised(plain) : plain)
            << "oscillator " << choice.oscillator;
    }
    EXPECT_EQ(log_->voices, voices) << "the voices play on as they were";
}

// "Copy render command" copies the command for the sound now and says what it copied, on the
// window whose menu was used; the message goes away by itself.
// (The command's words are the sound's, checked in the sound tests; what tarmel-render makes of
// them in the command line's tests; the message's accessible name in AccessibilityTest.)
TEST_F(MainWindowTest, CopyRenderCommandSaysWhatItCopied) {
    QWidget* osc2 = open("CmdOsc2", "FrmOsc2");
    setValue("VScroll1", 200);
    test::choose(*osc2, "Copy render command");
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(copied.startsWith("tarmel-render --pitch 200 ")) << copied;
    auto* toast = osc2->findChild<ui::Toast*>();
    EXPECT_EQ(toast->text(), "Copied to the clipboard: " + copied);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !toast->isVisible(); }, 10000));
}

// A settings file that cannot be opened is described as what it is, with what to do about it.
// (It is read whole before anything changes: nothing can change when it is refused.)
TEST_F(MainWindowTest, SettingsFilesThatCannotBeOpenedSayWhatIsWrongWithThem) {
    const QTemporaryDir dir;
    QDir(dir.path()).mkdir("folder.tarmel");
    for (const auto& [file, advice] : std::vector<std::pair<QString, QString>>{
             {dir.filePath("none.tarmel"), "There is no file by that name"},
             {dir.filePath("folder.tarmel"), "Tarmel may not read it"},
             {TARMEL_SETTINGS_CORPUS "/bad-ratio.tarmel",
              "Tarmel cannot use this file as settings"}}) {
        const QStringList seen = test::answering([&, f = file] { window_.openSettings(f); });
        EXPECT_TRUE(seen.size() == 1 && seen[0].contains(advice) &&
                    seen[0].contains(QFileInfo(file).fileName()))
            << seen.join('|');
    }
}

} // namespace
} // namespace tarmel
