// What the windows tell a listener and a keyboard user, offscreen: the Tab order walked by key
// presses against the reading order of docs/ACCESSIBILITY.md, the names, descriptions and spoken
// values a screen reader gets from Qt's accessibility interfaces, the tooltips, the focus mark
// and the windows' menu from a bar and in the Sound window. The real program's tree read through
// AT-SPI (every focusable control named once, with a control's role; the decorations left out; the
// menu from the keys; values set and spoken in their units) is checked by
// tests/e2e/accessibility.py.
#include "MainWindowFixture.h"
#include "ui/Toast.h"

namespace tarmel {
namespace {

// The modulators' controls in reading order: per modulator its box, Multiply and Divide.
const QStringList kModulatorControls =
    QStringLiteral("ChkFm(0) sliderFm(0) sliderharmon(0) ChkFm(1) sliderFm(1) sliderharmon(1) "
                   "ChkFm(2) sliderFm(2) sliderharmon(2) ChkFm(3) sliderFm(3) sliderharmon(3) "
                   "ChkFm(4) sliderFm(4) sliderharmon(4)")
        .split(' ');

// The names of the window's accessible children, in the order a screen reader reads them.
QStringList readingOrder(QWidget& window, bool focusableOnly) {
    QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(&window);
    QStringList names;
    for (int i = 0; i < frame->childCount(); ++i) {
        if (!focusableOnly || frame->child(i)->state().focusable) {
            names << frame->child(i)->object()->objectName();
        }
    }
    return names;
}

// The white frame with a black one inside that marks the keyboard's focus.
bool hasMark(QWidget& control) {
    const QImage image = control.grab().toImage();
    return image.pixelColor(0, 0) == QColor(Qt::white) &&
           image.pixelColor(1, 1) == QColor(Qt::black) &&
           image.pixelColor(image.width() - 1, image.height() - 1) == QColor(Qt::white);
}

using AccessibilityTest = test::MainWindowFixture;

// A window opens with the focus on its first control (the main window on "generate", so that
// Space plays at once); Tab walks round it in its reading order and back to where it began, then
// Shift+Tab goes back to the one before. The screen reader's tree holds the same controls in the
// same order. The focus mark shows on each control the keys focused, not on the one a window
// opens with.
TEST_F(AccessibilityTest, EachWindowIsWalkedAndReadInItsReadingOrder) {
    const QStringList main =
        QStringList{"CmdReset", "Play"} + kModulatorControls +
        QStringLiteral("VScroll1 Check1(0) VScroll2 Check1(1) VScroll3 Check1(2) Sliderattack "
                       "Cmdstart Cmdstop CmdOsc2 CmdOsc3 Cmdhelp CmdExit")
            .split(' ');
    const std::vector<std::tuple<const char*, const char*, QStringList>> windows{
        {nullptr, "Frmtarmel", main},
        {"CmdOsc2", "FrmOsc2", kModulatorControls},
        {"CmdOsc3", "FrmOsc3", kModulatorControls},
        {"Cmdhelp", "Dialog", {"OKButton"}},
    };
    for (const auto& [button, name, order] : windows) {
        QWidget* w = button ? open(button, name) : &window_;
        ASSERT_NE(w, nullptr);
        QStringList walked;
        for (qsizetype i = 0; i < order.size() + 2; ++i) {
            QWidget* focus = QApplication::focusWidget();
            walked << focus->objectName();
            EXPECT_EQ(hasMark(*focus), i > 0) << name << " " << focus->objectName();
            QTest::keyClick(focus, i < order.size() ? Qt::Key_Tab : Qt::Key_Backtab);
        }
        // The walk from the control focused at the opening, round to it and one back.
        const qsizetype first = button ? 0 : order.indexOf(QStringLiteral("Play"));
        const QStringList round = order.mid(first) + order.first(first);
        EXPECT_EQ(walked, round + QStringList({round.front(), round.back()})) << name;
        EXPECT_EQ(readingOrder(*w, true), order) << name;
    }
    // Names as the examples of docs/ACCESSIBILITY.md give them; a heading says what it is. (The
    // other kinds' names and roles are read through AT-SPI by the script; the oscillator
    // windows' names are in their tooltips, checked below.)
    QAccessibleInterface* heading = QAccessible::queryAccessibleInterface(control("Label5"));
    EXPECT_EQ(heading->role(), QAccessible::Heading);
    EXPECT_EQ(heading->text(QAccessible::Name), "Fm harmonics Osc1");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(control("Check1(1)"))->text(QAccessible::Name),
              "Play oscillator 2");
}

// Each modulator box's tooltip and "What's This" tell its kind from the computation's table, per
// oscillator and modulator: the wave (s a sine, t tangent of a sine, 1 oscillator 1's sine, c its
// cosine, n noise) and how Divide acts on the phase (* PM multiplies, / PD divides, 2 PH divides
// by twice Divide). The description read at every Tab says it in a dozen words or so.
TEST_F(AccessibilityTest, EveryModulatorSaysWhatItComputes) {
    const QStringList kinds =
        QStringLiteral("1* s2 t/ 1* t* 1* s2 n/ c* s2 s2 s2 s2 s* s2").split(' ');
    const QStringList wave{"a sine", "tangent of a sine", "oscillator 1's sine",
                           "oscillator 1's cosine", "noise"};
    const QStringList phase{"times Divide", "divided by Divide", "divided by twice Divide"};
    const QStringList inShort{"multiplied", "divided", "divided and halved"};
    QWidget* windows[] = {&window_, open("CmdOsc2", "FrmOsc2"), open("CmdOsc3", "FrmOsc3")};
    for (qsizetype i = 0; i < kinds.size(); ++i) {
        auto* box = ui::child<QWidget>(*windows[i / 5], QStringLiteral("ChkFm(%1)").arg(i % 5));
        const QString w = wave[QStringLiteral("st1cn").indexOf(kinds[i][0])];
        const auto p = QStringLiteral("*/2").indexOf(kinds[i][1]);
        const QString about =
            QAccessible::queryAccessibleInterface(box)->text(QAccessible::Description);
        for (const QString& text : {box->whatsThis(), box->toolTip()}) {
            EXPECT_TRUE(text.contains(w) && text.contains(phase[p])) << text;
        }
        EXPECT_TRUE(about.toLower().contains(w) && about.contains(", " + inShort[p] + ".") &&
                    about.split(' ').size() <= 15 &&
                    (w == "tangent of a sine" || !about.contains("tangent")) &&
                    (w != "a sine" || !about.contains("oscillator 1's")))
            << about;
        EXPECT_TRUE(box->toolTip().startsWith(
            QStringLiteral("Modulator %1 of oscillator %2, off: ").arg(i % 5 + 1).arg(i / 5 + 1)))
            << box->toolTip();
    }
}

// The arrow keys move a scroll bar the way its arrow buttons do (Qt's: the right or lower arrow
// raises the value): Right and Down raise it, Left and Up lower it, by one step, and neither
// goes past an end; the value shows beside the bar, in its unit. One bar of each orientation,
// one with a step of 2. A value set through the value interface, as a screen reader sets it, is
// read in its unit, and the tooltip follows. (The words are the sound's controls', checked
// there; the description and the read-outs through AT-SPI are checked by the script.)
TEST_F(AccessibilityTest, BarsMoveByTheirArrowKeysAndSpeakTheirValuesInTheirUnits) {
    // Each bar with its minimum, maximum, step and the keys that raise and lower it.
    for (const auto& [name, low, high, step, raise, lower] :
         {std::tuple{"sliderFm(1)", 2, 10, 1, Qt::Key_Right, Qt::Key_Left},
          std::tuple{"sliderharmon(3)", 2, 16, 2, Qt::Key_Down, Qt::Key_Up}}) {
        auto* bar = control<QScrollBar>(name);
        bar->setFocus();
        bar->setValue(low);
        QTest::keyClick(bar, lower);
        QTest::keyClick(bar, raise);
        EXPECT_EQ(bar->value(), low + step) << name << ": one step up, and not below the end";
        bar->setValue(high - step);
        QTest::keyClick(bar, raise);
        QTest::keyClick(bar, raise);
        EXPECT_EQ(bar->value(), high) << name << ": not past the end";
    }
    // Modulator 4 of oscillator 1 multiplies by its ratio.
    EXPECT_TRUE(QToolTip::isVisible() && QToolTip::text() == "times 16") << QToolTip::text();
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(control("VScroll2"));
    a->valueInterface()->setCurrentValue(-170);
    EXPECT_EQ(a->text(QAccessible::Value), "minus 170 hertz");
    EXPECT_EQ(control("VScroll2")->toolTip(), "Oscillator 2 pitch offset: minus 170 hertz");
}

// Shift+F10 opens the windows' shared menu, its entries in groups between lines (|): on a bar of
// an oscillator window (the window's menu, not the bar's own), and in the Sound window with its
// own entry first. (The main window's, from the keys, is read through AT-SPI by the script.)
TEST_F(AccessibilityTest, TheWindowsMenuOpensOnABarAndInTheSoundWindow) {
    const QStringList menu =
        QStringLiteral("Save picture…,Save settings…,Open settings…,Export sound…,Copy render "
                       "command,|,Undo,Redo,|,Random,Mutate,Match a sound…,|,Presets,Next preset,"
                       "Previous preset,Save as preset…,Export all presets…,|,Show sound view")
            .split(',');
    QWidget* bar = control("sliderFm(4)", open("CmdOsc3", "FrmOsc3"));
    window_.showSoundView();
    QWidget* view = test::topLevel("SoundView");
    ASSERT_NE(view, nullptr);
    for (QWidget* at : {bar, ui::child<QWidget>(*view, "SoundPicture")}) {
        activate(at->window());
        at->setFocus();
        // What the popup menu offers; it is closed at once.
        QStringList offered;
        QTimer timer;
        timer.callOnTimeout([&] {
            if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                for (const QAction* action : popup->actions()) {
                    offered << (action->isSeparator() ? QStringLiteral("|") : action->text());
                }
                popup->close();
            }
        });
        timer.start(5);
        QTest::keyClick(at, Qt::Key_F10, Qt::ShiftModifier);
        QTest::qWait(50);
        EXPECT_EQ(offered, menu.mid(at == bar ? 1 : 0)) << at->objectName();
    }
}

// A message (a preset opened, a command copied) is the window's last accessible child: a shown
// notification named with its text, a new one for each message, so that it appears anew even when
// one follows another (Orca speaks a notification when it appears, and keeps the names of the
// objects it knows: heard with Orca itself, see docs/ACCESSIBILITY.md). The controls keep their
// reading order before it.
TEST_F(AccessibilityTest, EachMessageAppearsToTheScreenReaderAsANewNotification) {
    QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(&window_);
    const QStringList controls = readingOrder(window_, false);
    QPointer<QObject> before;
    for (const QString text : {"Preset: Laser (Effects)", "Preset: Pluck (Plucked)"}) {
        ui::Toast::show(window_, text);
        QAccessibleInterface* last = frame->child(frame->childCount() - 1);
        EXPECT_EQ(last->role(), QAccessible::Notification) << text;
        EXPECT_EQ(last->text(QAccessible::Name), text);
        EXPECT_FALSE(last->state().invisible || last->state().focusable) << text;
        EXPECT_TRUE(before.isNull()) << "the message before is gone";
        before = last->object();
    }
    EXPECT_EQ(readingOrder(window_, false), controls + QStringList{"Announcement"});
}

} // namespace
} // namespace tarmel
