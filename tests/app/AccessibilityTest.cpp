// What the windows tell a listener and a keyboard user, offscreen: the Tab order walked by key
// presses against the reading order of docs/ACCESSIBILITY.md, the names, descriptions and spoken
// values a screen reader gets from Qt's accessibility interfaces, the tooltips, the focus mark
// and the context menu from a bar. The real program's tree read through AT-SPI (every focusable
// control named once, with a control's role; the decorations left out; the menu from the keys)
// is checked by tests/e2e/accessibility.py.
#include "MainWindowFixture.h"
#include "ui/Toast.h"

#include <cmath>

namespace tarmel {
namespace {

// The modulators' controls in reading order: per modulator its box, Multiply and Divide.
QStringList modulatorControls() {
    QStringList names;
    for (int k = 0; k < 5; ++k) {
        names << QStringLiteral("ChkFm(%1)").arg(k) << QStringLiteral("sliderFm(%1)").arg(k)
              << QStringLiteral("sliderharmon(%1)").arg(k);
    }
    return names;
}

QAccessibleInterface* accessible(QWidget& window, const char* name) {
    return QAccessible::queryAccessibleInterface(ui::child<QWidget>(window, QLatin1String(name)));
}

// What the popup menu that opens during act offers; it is closed at once.
QStringList menuDuring(const std::function<void()>& act) {
    QStringList offered;
    QTimer timer;
    timer.callOnTimeout([&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (const QAction* action : menu->actions()) {
                offered << (action->isSeparator() ? QStringLiteral("|") : action->text());
            }
            menu->close();
        }
    });
    timer.start(5);
    act();
    QTest::qWait(50);
    return offered;
}

using AccessibilityTest = test::MainWindowFixture;

// A window opens with the focus on its first control (the main window on "generate", so that
// Space plays at once); Tab walks round it in its reading order and back to where it began, then
// Shift+Tab goes back to the one before. The screen reader's tree holds the same controls in the
// same order.
TEST_F(AccessibilityTest, EachWindowIsWalkedAndReadInItsReadingOrder) {
    const QStringList main =
        QStringList{"CmdReset", "Play"} + modulatorControls() +
        QStringLiteral("VScroll1 Check1(0) VScroll2 Check1(1) VScroll3 Check1(2) Sliderattack "
                       "Cmdstart Cmdstop CmdOsc2 CmdOsc3 Cmdhelp CmdExit")
            .split(' ');
    const std::vector<std::tuple<const char*, const char*, QStringList>> windows{
        {nullptr, "Frmtarmel", main},
        {"CmdOsc2", "FrmOsc2", modulatorControls()},
        {"CmdOsc3", "FrmOsc3", modulatorControls()},
        {"Cmdhelp", "Dialog", {"OKButton"}},
    };
    for (const auto& [button, name, order] : windows) {
        QWidget* w = button ? open(button, name) : &window_;
        ASSERT_NE(w, nullptr);
        QStringList walked;
        for (qsizetype i = 0; i < order.size() + 2; ++i) {
            walked << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(),
                            i < order.size() ? Qt::Key_Tab : Qt::Key_Backtab);
        }
        // The walk from the control focused at the opening, round to it and one back.
        const qsizetype first = button ? 0 : order.indexOf(QStringLiteral("Play"));
        const QStringList round = order.mid(first) + order.first(first);
        EXPECT_EQ(walked, round + QStringList({round.front(), round.back()})) << name;

        QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(w);
        QStringList focusable;
        for (int i = 0; i < frame->childCount(); ++i) {
            if (frame->child(i)->state().focusable) {
                focusable << frame->child(i)->object()->objectName();
            }
        }
        EXPECT_EQ(focusable, order) << name;
    }
    test::topLevel("Dialog")->close();
    // Names as the examples of docs/ACCESSIBILITY.md give them, each kind's role; headings and
    // read-outs say what they are.
    const std::vector<std::tuple<QWidget*, const char*, QString, QAccessible::Role>> named{
        {&window_, "sliderharmon(4)", "Divide, modulator 5 of oscillator 1", QAccessible::Slider},
        {&window_, "Check1(1)", "Play oscillator 2", QAccessible::CheckBox},
        {&window_, "Play", "generate", QAccessible::Button},
        {&window_, "Label5", "Fm harmonics Osc1", QAccessible::Heading},
        {&window_, "Lblos1(1)", "Pitch of oscillator 2: 98 hertz", QAccessible::StaticText},
        {test::topLevel("FrmOsc3"), "ChkFm(2)", "Modulator 3 of oscillator 3",
         QAccessible::CheckBox},
    };
    for (const auto& [w, control, name, role] : named) {
        EXPECT_EQ(accessible(*w, control)->text(QAccessible::Name), name) << control;
        EXPECT_EQ(accessible(*w, control)->role(), role) << control;
    }
}

// Each modulator box's tooltip and "What's This" tell its kind from the computation's table, per
// oscillator and modulator: the wave (s a sine, t tangent of a sine, 1 oscillator 1's sine, c its
// cosine, n noise) and how Divide acts on the phase (* PM multiplies, / PD divides, 2 PH divides
// by twice Divide). The description read at every Tab says it in a dozen words or so.
TEST_F(AccessibilityTest, EveryModulatorSaysWhatItComputes) {
    const char* kinds[] = {"1* s2 t/ 1* t*", "1* s2 n/ c* s2", "s2 s2 s2 s* s2"};
    const QString codes = "st1cn*/2";
    const QStringList told{
        "a sine", "tangent of a sine", "oscillator 1's sine", "oscillator 1's cosine",
        "noise",  "times Divide",      "divided by Divide",   "divided by twice Divide"};
    const QStringList inShort{
        "a sine",     "tangent of a sine", "oscillator 1's sine", "oscillator 1's cosine", "noise",
        "multiplied", "divided",           "divided and halved"};
    QWidget* windows[] = {&window_, open("CmdOsc2", "FrmOsc2"), open("CmdOsc3", "FrmOsc3")};
    for (int j = 0; j < 3; ++j) {
        for (int k = 0; k < 5; ++k) {
            auto* box = ui::child<QWidget>(*windows[j], QStringLiteral("ChkFm(%1)").arg(k));
            const auto wave = codes.indexOf(QChar(kinds[j][3 * k]));
            const auto phase = codes.indexOf(QChar(kinds[j][3 * k + 1]));
            const QString about =
                QAccessible::queryAccessibleInterface(box)->text(QAccessible::Description);
            for (const QString& text : {box->whatsThis(), box->toolTip()}) {
                EXPECT_TRUE(text.contains(told[wave]) && text.contains(told[phase])) << text;
            }
            EXPECT_TRUE(about.toLower().contains(inShort[wave]) &&
                        about.contains(", " + inShort[phase] + ".") &&
                        about.split(' ').size() <= 15)
                << about;
            EXPECT_TRUE(
                (told[wave] == "tangent of a sine" || !about.contains("tangent")) &&
                (told[wave] != "a sine" || !about.contains("oscillator 1's")) &&
                box->toolTip().startsWith(
                    QStringLiteral("Modulator %1 of oscillator %2, off: ").arg(k + 1).arg(j + 1)))
                << about << box->toolTip();
        }
    }
}

// A value set through the value interface, as a screen reader sets it, moves the bar and is spoken
// in its unit; the tooltip follows, and a key shows it beside the bar it moves. (The words are the
// sound's controls', checked there; the description and the read-outs through AT-SPI are checked
// by the accessibility script.)
TEST_F(AccessibilityTest, ValuesAreSpokenInTheirUnitsAndSetThroughTheValueInterface) {
    const std::vector<std::tuple<const char*, int, QString>> values{
        {"VScroll1", 1000, "1000 hertz"},
        {"VScroll2", -170, "minus 170 hertz"},
        {"sliderharmon(0)", 8, "times 8"},
        {"Sliderattack", 1500, "attack 1500 of 1500"}};
    for (const auto& [name, value, spoken] : values) {
        QAccessibleInterface* a = accessible(window_, name);
        a->valueInterface()->setCurrentValue(value);
        EXPECT_EQ(control<QAbstractSlider>(name)->value(), value);
        EXPECT_EQ(a->text(QAccessible::Value), spoken) << name;
        EXPECT_EQ(control(name)->toolTip(), a->text(QAccessible::Name) + ": " + spoken);
    }
    auto* bar = control<QAbstractSlider>("sliderFm(1)");
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key_End);
    EXPECT_TRUE(QToolTip::isVisible() && QToolTip::text() == "times 10");
}

// The arrow keys move every scroll bar the way its arrow buttons do (Qt's: the right or lower
// arrow raises the value): Right and Down raise it, Left and Up lower it, by one step, and
// neither goes past an end.
TEST_F(AccessibilityTest, ArrowKeysMoveEveryBarAsItsArrowButtonsDo) {
    struct Case {
        const char* bar;
        int low;  // its minimum
        int high; // its maximum
        int step;
    };
    for (const auto& [name, low, high, step] :
         {Case{"sliderFm(0)", 0, 10, 1}, Case{"sliderFm(1)", 2, 10, 1},
          Case{"sliderharmon(3)", 2, 16, 2}, Case{"Sliderattack", 0, 1500, 1}}) {
        auto* bar = control<QScrollBar>(name);
        const bool horizontal = bar->orientation() == Qt::Horizontal;
        const auto move = [&](bool raise) {
            QTest::keyClick(bar, horizontal ? (raise ? Qt::Key_Right : Qt::Key_Left)
                                            : (raise ? Qt::Key_Down : Qt::Key_Up));
        };
        bar->setFocus();
        bar->setValue(low + step);
        move(true);
        EXPECT_EQ(bar->value(), low + 2 * step) << name;
        move(false);
        move(false);
        move(false);
        EXPECT_EQ(bar->value(), low) << name << ": not below the end";
        bar->setValue(high - step);
        move(true);
        move(true);
        EXPECT_EQ(bar->value(), high) << name << ": not past the end";
    }
}

// Every caption of a button or box fits its box whole, in every window: the style's indicator,
// its spacing and the text's width for a box; the text and the style's margins for a button.
TEST_F(AccessibilityTest, EveryCaptionFitsItsBox) {
    QWidget* windows[] = {&window_, open("CmdOsc2", "FrmOsc2"), open("Cmdhelp", "Dialog")};
    int measured = 0;
    for (QWidget* w : windows) {
        for (QAbstractButton* b : w->findChildren<QAbstractButton*>()) {
            if (b->text().isEmpty() || b->window() != w) {
                continue;
            }
            QStyle* style = b->style();
            const int text = QFontMetrics(b->font()).horizontalAdvance(b->text());
            const int needed =
                qobject_cast<QCheckBox*>(b) != nullptr
                    ? style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, b) +
                          style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, b) + text
                    : text + 2 * style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b);
            EXPECT_LE(needed, b->width()) << b->objectName() << " " << b->text();
            EXPECT_LE(QFontMetrics(b->font()).height(), b->height()) << b->objectName();
            ++measured;
        }
    }
    EXPECT_GE(measured, 21); // 11 buttons and 8 boxes on the main window, 5 boxes, OK
}

// Right-click on a bar opens the window's own menu, the same in every window, its entries in groups
// between lines (|); the Sound window's menu has its own entry first.
TEST_F(AccessibilityTest, TheWindowsMenuOpensFromABarAndInTheSoundWindow) {
    const QStringList menu =
        QStringLiteral("Save settings…,Open settings…,Export sound…,Copy render command,|,Undo,"
                       "Redo,|,Random,Mutate,Match a sound…,|,Presets,Next preset,Previous preset,"
                       "Save as preset…,Export all presets…,|,Show sound view")
            .split(',');
    QWidget* osc3 = open("CmdOsc3", "FrmOsc3");
    for (QWidget* bar :
         {control("sliderharmon(3)"), control("VScroll2"), control("sliderFm(4)", osc3)}) {
        EXPECT_EQ(menuDuring([bar] {
                      QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(3, 3),
                                              bar->mapToGlobal(QPoint(3, 3)));
                      QApplication::sendEvent(bar, &click);
                  }),
                  menu)
            << bar->objectName();
    }
    window_.showSoundView();
    QWidget* view = test::topLevel("SoundView");
    ASSERT_TRUE(view != nullptr && QTest::qWaitForWindowActive(view));
    QWidget* picture = ui::child<QWidget>(*view, "SoundPicture");
    picture->setFocus();
    EXPECT_EQ(menuDuring([picture] { QTest::keyClick(picture, Qt::Key_F10, Qt::ShiftModifier); }),
              QStringList{"Save picture…"} + menu);
}

// The white frame with a black one inside that marks the keyboard's focus.
bool hasMark(QWidget& control) {
    const QImage image = control.grab().toImage();
    return image.pixelColor(0, 0) == QColor(Qt::white) &&
           image.pixelColor(1, 1) == QColor(Qt::black) &&
           image.pixelColor(image.width() - 1, image.height() - 1) == QColor(Qt::white);
}

// The focus mark shows on a bar, box or button that the keyboard focused, not on one unfocused
// or one a click focused.
TEST_F(AccessibilityTest, OnlyTheKeyboardsFocusShowsAMark) {
    auto* play = control("Play");
    // The focus a window starts with, before any key moved it, shows no mark.
    ASSERT_FALSE(window_.testAttribute(Qt::WA_KeyboardFocusChange));
    control("sliderharmon(2)")->setFocus();
    EXPECT_FALSE(hasMark(*control("sliderharmon(2)")));
    for (const char* name : {"sliderharmon(2)", "ChkFm(3)", "Cmdstop"}) {
        QWidget* c = control(name);
        play->setFocus();
        EXPECT_FALSE(hasMark(*c)) << name;
        c->setFocus(Qt::MouseFocusReason);
        EXPECT_FALSE(hasMark(*c)) << name;
        play->setFocus();
        QTest::keyClick(play, Qt::Key_Tab);
        c->setFocus(Qt::TabFocusReason);
        EXPECT_TRUE(hasMark(*c)) << name;
    }
}

// The WCAG contrast of two colours (black on white gives 21:1, the program's green on white
// 5.14:1).
double contrast(const QColor& a, const QColor& b) {
    const auto f = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    const auto lum = [&](const QColor& c) {
        return 0.2126 * f(c.redF()) + 0.7152 * f(c.greenF()) + 0.0722 * f(c.blueF()) + 0.05;
    };
    return std::max(lum(a), lum(b)) / std::min(lum(a), lum(b));
}

// Where a text's contrast against its background is below 4.5:1, its meaning is also in the
// accessible name and in a tooltip, whose colours are the system's. The program's short messages
// (toasts) read well themselves.
TEST_F(AccessibilityTest, TextBelowTheContrastRatioHasItsMeaningInTheName) {
    QWidget* help = open("Cmdhelp", "Dialog");
    for (QWidget* w : {static_cast<QWidget*>(&window_), help}) {
        for (QWidget* c : w->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            const bool push = c->inherits("QPushButton");
            const QPalette& p = c->palette();
            if (c->property("text").toString().isEmpty() ||
                contrast(p.color(push ? QPalette::ButtonText : QPalette::WindowText),
                         p.color(push ? QPalette::Button : QPalette::Window)) >= 4.5) {
                continue;
            }
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(c);
            const bool leftOut = QAccessible::queryAccessibleInterface(w)->indexOfChild(a) < 0;
            // Left out of the tree, its words are in the names of the controls it stands by.
            EXPECT_TRUE(leftOut || (!a->text(QAccessible::Name).isEmpty() &&
                                    (c->inherits("QLabel") || !c->toolTip().isEmpty())))
                << c->objectName();
        }
    }
    help->close();
    QSettings().remove("hints/menuShown");
    window_.showFirstStartHint();
    const QPalette& toast = window_.findChild<ui::Toast*>()->palette();
    EXPECT_GE(contrast(toast.color(QPalette::WindowText), toast.color(QPalette::Window)), 4.5);
}

// A message (a preset opened, a command copied) is the window's last accessible child: a shown
// notification named with its text, a new one for each message, so that it appears anew even when
// one follows another (Orca speaks a notification when it appears, and keeps the names of the
// objects it knows: heard with Orca itself, see docs/ACCESSIBILITY.md). The controls keep their
// reading order before it.
TEST_F(AccessibilityTest, EachMessageAppearsToTheScreenReaderAsANewNotification) {
    QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(&window_);
    const auto notification = [frame]() -> QAccessibleInterface* {
        QAccessibleInterface* last = frame->child(frame->childCount() - 1);
        return last->role() == QAccessible::Notification ? last : nullptr;
    };
    const auto readingOrder = [frame] {
        QStringList order;
        for (int i = 0; i < frame->childCount(); ++i) {
            order << frame->child(i)->object()->objectName();
        }
        return order;
    };
    const QStringList controls = readingOrder();
    QPointer<QObject> before;
    for (const QString text : {"Preset: Laser (Effects)", "Preset: Pluck (Plucked)"}) {
        ui::Toast::show(window_, text);
        QAccessibleInterface* last = notification();
        ASSERT_NE(last, nullptr) << text;
        EXPECT_EQ(last->text(QAccessible::Name), text);
        EXPECT_FALSE(last->state().invisible || last->state().focusable) << text;
        EXPECT_TRUE(before.isNull()) << "the message before is gone";
        before = last->object();
    }
    EXPECT_EQ(readingOrder(), controls + QStringList{"Announcement"});
}

} // namespace
} // namespace tarmel
