// What the windows tell a listener and a keyboard user, offscreen: the Tab order walked by key
// presses against the reading order of docs/ACCESSIBILITY.md, the names, descriptions and spoken
// values a screen reader gets from Qt's accessibility interfaces, the tooltips, the focus mark
// and the context menu from the keyboard and from a bar.
#include "RecordingOutput.h"
#include "app/MainWindow.h"
#include "ui/Controls.h"

#include <QAbstractSlider>
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <cmath>
#include <gtest/gtest.h>
#include <iostream>

inline std::ostream& operator<<(std::ostream& os, const QString& s) {
    return os << '"' << s.toStdString() << '"';
}

namespace tarmel {
namespace {

using Names = std::vector<QString>;

QWidget* topLevel(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String(name) && w->isVisible()) {
            return w;
        }
    }
    return nullptr;
}

// The modulators' controls in reading order: per modulator its box, Multiply and Divide.
Names modulatorControls() {
    Names names;
    for (int k = 0; k < 5; ++k) {
        for (const char* base : {"ChkFm", "sliderFm", "sliderharmon"}) {
            names.push_back(QStringLiteral("%1(%2)").arg(QLatin1String(base)).arg(k));
        }
    }
    return names;
}

// The reading order documented in docs/ACCESSIBILITY.md.
Names mainReadingOrder() {
    Names names{"CmdReset", "Play"};
    const Names modulators = modulatorControls();
    names.insert(names.end(), modulators.begin(), modulators.end());
    for (const char* n :
         {"VScroll1", "Check1(0)", "VScroll2", "Check1(1)", "VScroll3", "Check1(2)", "Sliderattack",
          "Cmdstart", "Cmdstop", "CmdOsc2", "CmdOsc3", "Cmdhelp", "CmdExit"}) {
        names.emplace_back(QLatin1String(n));
    }
    return names;
}

// The accessible children of a window that a screen reader meets.
std::vector<QAccessibleInterface*> accessibleChildren(QWidget& window) {
    QAccessibleInterface* w = QAccessible::queryAccessibleInterface(&window);
    std::vector<QAccessibleInterface*> children;
    for (int i = 0; i < w->childCount(); ++i) {
        children.push_back(w->child(i));
    }
    return children;
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
            for (const QAction* a : menu->actions()) {
                offered << a->text();
            }
            menu->close();
        }
    });
    timer.start(5);
    act();
    QTest::qWait(50);
    return offered;
}

class AccessibilityTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_.load();
        window_.show();
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    }
    QWidget* open(const char* button, const char* window) {
        ui::child<QPushButton>(window_, QLatin1String(button))->click();
        QWidget* w = topLevel(window);
        EXPECT_TRUE(w != nullptr && QTest::qWaitForWindowActive(w)) << window;
        return w;
    }

    std::shared_ptr<test::SoundLog> log_ = std::make_shared<test::SoundLog>();
    app::MainWindow window_{test::recordingOutputs(log_)};
};

// Tab from the first control round the window and back to it, then Shift+Tab back once more.
TEST_F(AccessibilityTest, TabWalksEachWindowInItsReadingOrder) {
    const std::vector<std::pair<const char*, Names>> windows{
        {"Frmtarmel", mainReadingOrder()},
        {"FrmOsc2", modulatorControls()},
        {"FrmOsc3", modulatorControls()},
        {"Dialog", {"OKButton"}},
    };
    QWidget* help = nullptr;
    for (const auto& [name, order] : windows) {
        QWidget* w = name == std::string("Frmtarmel") ? &window_
                     : name == std::string("FrmOsc2") ? open("CmdOsc2", name)
                     : name == std::string("FrmOsc3") ? open("CmdOsc3", name)
                                                      : (help = open("Cmdhelp", name));
        ASSERT_NE(w, nullptr);
        // A window that opens has the focus on its first control.
        EXPECT_EQ(QApplication::focusWidget()->objectName(), order.front()) << name;
        Names walked;
        for (std::size_t i = 0; i < order.size(); ++i) {
            walked.push_back(QApplication::focusWidget()->objectName());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        EXPECT_EQ(walked, order) << name;
        EXPECT_EQ(QApplication::focusWidget()->objectName(), order.front()) << name << " wraps";
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), order.back()) << name;
    }
    help->close();
}

// Names a listener understands, unique in the window; the labels that only repeat them are left
// out; headings and read-outs say what they are. Expected texts are the examples of
// docs/ACCESSIBILITY.md.
TEST_F(AccessibilityTest, ControlsHaveUniqueNamesAndTheWindowIsAFrame) {
    QWidget* osc2 = open("CmdOsc2", "FrmOsc2");
    for (QWidget* w : {static_cast<QWidget*>(&window_), osc2}) {
        EXPECT_EQ(QAccessible::queryAccessibleInterface(w)->role(), QAccessible::Window);
        EXPECT_EQ(QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name),
                  w->windowTitle());
        QSet<QString> names;
        Names focusable;
        for (QAccessibleInterface* c : accessibleChildren(*w)) {
            if (c->state().focusable) {
                focusable.push_back(c->object()->objectName());
            }
            const QString name = c->text(QAccessible::Name);
            EXPECT_FALSE(name.trimmed().isEmpty()) << c->object()->objectName();
            EXPECT_FALSE(names.contains(name)) << name;
            names.insert(name);
            // Row numbers, "Multiply", "Divide", the pitch marks and the lines stay out.
            EXPECT_FALSE(c->object()->objectName().startsWith("Label1(") ||
                         c->object()->objectName().startsWith("Line") || name == "Multiply" ||
                         name == "-")
                << c->object()->objectName();
        }
        // The screen reader's tree is in reading order too.
        EXPECT_EQ(focusable, w == osc2 ? modulatorControls() : mainReadingOrder());
    }
    EXPECT_EQ(accessibleChildren(window_)[4]->text(QAccessible::Name), "Fm harmonics Osc1");
    const std::vector<std::tuple<QWidget*, const char*, QString, QAccessible::Role>> named{
        {&window_, "VScroll1", "Oscillator 1 pitch", QAccessible::Slider},
        {&window_, "ChkFm(2)", "Modulator 3 of oscillator 1", QAccessible::CheckBox},
        {&window_, "sliderFm(2)", "Multiply, modulator 3 of oscillator 1", QAccessible::Slider},
        {&window_, "sliderharmon(4)", "Divide, modulator 5 of oscillator 1", QAccessible::Slider},
        {&window_, "Sliderattack", "Envelope, decay to attack", QAccessible::Slider},
        {&window_, "Check1(1)", "Play oscillator 2", QAccessible::CheckBox},
        {&window_, "Play", "generate", QAccessible::Button},
        {&window_, "Label5", "Fm harmonics Osc1", QAccessible::Heading},
        {&window_, "Lblos1(1)", "Pitch of oscillator 2: 98 hertz", QAccessible::StaticText},
        {osc2, "ChkFm(2)", "Modulator 3 of oscillator 2", QAccessible::CheckBox},
        {osc2, "sliderharmon(0)", "Divide, modulator 1 of oscillator 2", QAccessible::Slider},
    };
    for (const auto& [w, control, name, role] : named) {
        QAccessibleInterface* a = accessible(*w, control);
        EXPECT_EQ(a->text(QAccessible::Name), name) << control;
        EXPECT_EQ(a->role(), role) << control;
    }
}

// The modulator kinds of the computation's table, each told in its box's description: the
// waveform (sine, tangent of a sine, gated by oscillator 1's sine or cosine, noise) and how Divide
// acts (the phase PM multiplies, PD divides, PH divides by twice Divide).
TEST_F(AccessibilityTest, EveryModulatorSaysWhatItComputes) {
    const std::vector<std::pair<const char*, const char*>> kinds[] = {
        {{"oscillator 1's sine", "times Divide"},
         {"a sine", "divided by twice Divide"},
         {"tangent of a sine", "divided by Divide"},
         {"oscillator 1's sine", "times Divide"},
         {"tangent of a sine", "times Divide"}},
        {{"oscillator 1's sine", "times Divide"},
         {"a sine", "divided by twice Divide"},
         {"noise", "divided by Divide"},
         {"oscillator 1's cosine", "times Divide"},
         {"a sine", "divided by twice Divide"}},
        {{"a sine", "divided by twice Divide"},
         {"a sine", "divided by twice Divide"},
         {"a sine", "divided by twice Divide"},
         {"a sine", "times Divide"},
         {"a sine", "divided by twice Divide"}},
    };
    QWidget* windows[] = {&window_, open("CmdOsc2", "FrmOsc2"), open("CmdOsc3", "FrmOsc3")};
    for (int j = 0; j < 3; ++j) {
        for (int k = 0; k < 5; ++k) {
            const QString box = QStringLiteral("ChkFm(%1)").arg(k);
            const QString about =
                QAccessible::queryAccessibleInterface(ui::child<QWidget>(*windows[j], box))
                    ->text(QAccessible::Description);
            const auto& [wave, phase] = kinds[j][static_cast<std::size_t>(k)];
            EXPECT_TRUE(about.contains(QLatin1String(wave)) &&
                        about.contains(QLatin1String(phase)) &&
                        (QString(wave) == "tangent of a sine" || !about.contains("tangent")) &&
                        (QString(wave) != "a sine" || !about.contains("oscillator 1's")))
                << about << " for oscillator " << j + 1 << " modulator " << k + 1;
            // The tooltip names the box and what it computes, as docs/ACCESSIBILITY.md gives it.
            const QString tip = ui::child<QWidget>(*windows[j], box)->toolTip();
            EXPECT_TRUE(
                tip.startsWith(
                    QStringLiteral("Modulator %1 of oscillator %2, off: ").arg(k + 1).arg(j + 1)) &&
                tip.contains(wave) && tip.contains(phase))
                << tip;
        }
    }
    EXPECT_TRUE(accessible(window_, "ChkFm(2)")
                    ->text(QAccessible::Description)
                    .startsWith("Tangent of a sine, divided. "));
    EXPECT_EQ(ui::child<QWidget>(window_, "ChkFm(2)")->toolTip(),
              "Modulator 3 of oscillator 1, off: tangent of a sine at pitch 1 times Multiply "
              "divided by Divide");
    // A Divide bar speaks what it does: it multiplies on the PM modulators.
    ui::child<QAbstractSlider>(window_, "sliderharmon(0)")->setValue(8);
    EXPECT_EQ(accessible(window_, "sliderharmon(0)")->text(QAccessible::Value), "times 8");
}

// Values in their units, at both ends of each range, set through the value interface as a screen
// reader sets them; the tooltip follows.
TEST_F(AccessibilityTest, ValuesAreSpokenInTheirUnitsAndSetThroughTheValueInterface) {
    const std::vector<std::tuple<const char*, int, QString>> values{
        {"VScroll1", 1, "1 hertz"},
        {"VScroll1", 1000, "1000 hertz"},
        {"VScroll2", 12, "plus 12 hertz"},
        {"VScroll2", -170, "minus 170 hertz"},
        {"VScroll3", 170, "plus 170 hertz"},
        {"sliderFm(2)", 4, "times 4"},
        {"sliderFm(0)", 0, "times 0"},
        {"sliderharmon(2)", 8, "divided by 8"},
        {"sliderharmon(1)", 16, "divided by 16"},
        {"Sliderattack", 300, "attack 300 of 1500"},
        {"Sliderattack", 1500, "attack 1500 of 1500"},
    };
    for (const auto& [name, value, spoken] : values) {
        QAccessibleInterface* a = accessible(window_, name);
        ASSERT_NE(a->valueInterface(), nullptr) << name;
        a->valueInterface()->setCurrentValue(value);
        EXPECT_EQ(ui::child<QAbstractSlider>(window_, QLatin1String(name))->value(), value);
        EXPECT_EQ(a->text(QAccessible::Value), spoken) << name;
        EXPECT_TRUE(a->text(QAccessible::Description).startsWith(spoken + ". ")) << name;
        EXPECT_EQ(ui::child<QWidget>(window_, QLatin1String(name))->toolTip(),
                  a->text(QAccessible::Name) + ": " + spoken);
    }
    // The read-out of oscillator 2 now shows 1000 - 170.
    EXPECT_EQ(accessible(window_, "Lblos1(1)")->text(QAccessible::Name),
              "Pitch of oscillator 2: 830 hertz");
    // Home and End go to the ends; the value shows beside the bar that a key moves.
    auto* bar = ui::child<QAbstractSlider>(window_, "sliderFm(1)");
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key_End);
    EXPECT_EQ(bar->value(), 10);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), "times 10");
    QTest::keyClick(bar, Qt::Key_Home);
    EXPECT_EQ(bar->value(), 2);
}

// Right-click on a bar and Shift+F10 anywhere open the window's own menu.
TEST_F(AccessibilityTest, TheWindowsMenuOpensFromABarAndFromTheKeyboard) {
    const QStringList menu{"Save settings…",
                           "Open settings…",
                           "Export sound…",
                           "Copy render command",
                           "Undo",
                           "Redo",
                           "Random",
                           "Mutate",
                           "Presets",
                           "Next preset",
                           "Previous preset",
                           "Save as preset…",
                           "Export all presets…",
                           "Show sound view"};
    QWidget* osc3 = open("CmdOsc3", "FrmOsc3");
    for (QWidget* bar :
         {ui::child<QWidget>(window_, "sliderharmon(3)"), ui::child<QWidget>(window_, "VScroll2"),
          ui::child<QWidget>(*osc3, "sliderFm(4)")}) {
        EXPECT_EQ(menuDuring([bar] {
                      QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(3, 3),
                                              bar->mapToGlobal(QPoint(3, 3)));
                      QApplication::sendEvent(bar, &click);
                  }),
                  menu)
            << bar->objectName();
    }
    window_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    QWidget* focus = ui::child<QWidget>(window_, "Check1(2)");
    focus->setFocus();
    EXPECT_EQ(menuDuring([focus] { QTest::keyClick(focus, Qt::Key_F10, Qt::ShiftModifier); }),
              menu);
}

// The white frame with a black one inside that marks the keyboard's focus.
bool hasMark(QWidget& control) {
    const QImage image = control.grab().toImage();
    return image.pixelColor(0, 0) == QColor(Qt::white) &&
           image.pixelColor(1, 1) == QColor(Qt::black) &&
           image.pixelColor(image.width() - 1, image.height() - 1) == QColor(Qt::white);
}

// The focus mark shows on a bar, box or button that the keyboard focused, not on one a click
// focused; unfocused, each looks exactly as a plain control of its kind.
TEST_F(AccessibilityTest, TheKeyboardsFocusShowsAMarkAndNothingElseChangesTheLook) {
    auto* bar = ui::child<QScrollBar>(window_, "sliderharmon(2)");
    QScrollBar plainBar(Qt::Vertical, &window_);
    plainBar.setRange(bar->minimum(), bar->maximum());
    plainBar.setPageStep(bar->pageStep());
    plainBar.setValue(bar->value());
    auto* box = ui::child<QCheckBox>(window_, "ChkFm(3)");
    QCheckBox plainBox(box->text(), &window_);
    auto* button = ui::child<QPushButton>(window_, "Cmdstop");
    QPushButton plainButton(button->text(), &window_);
    const std::vector<std::pair<QWidget*, QWidget*>> pairs{
        {bar, &plainBar}, {box, &plainBox}, {button, &plainButton}};
    // The focus a window starts with, before any key moved it, shows no mark.
    ASSERT_FALSE(window_.testAttribute(Qt::WA_KeyboardFocusChange));
    bar->setFocus();
    EXPECT_FALSE(hasMark(*bar));
    for (const auto& [control, plain] : pairs) {
        plain->setPalette(control->palette());
        plain->setAutoFillBackground(control->autoFillBackground());
        plain->setFont(control->font());
        plain->setGeometry(control->geometry().translated(0, 400));
        plain->setFocusPolicy(Qt::NoFocus);
        plain->show();
        ui::child<QWidget>(window_, "Play")->setFocus();
        EXPECT_EQ(control->grab().toImage(), plain->grab().toImage()) << control->objectName();
        EXPECT_FALSE(hasMark(*control));
        control->setFocus(Qt::MouseFocusReason);
        EXPECT_FALSE(hasMark(*control)) << control->objectName();
        ui::child<QWidget>(window_, "Play")->setFocus();
        QTest::keyClick(ui::child<QWidget>(window_, "Play"), Qt::Key_Tab);
        control->setFocus(Qt::TabFocusReason);
        EXPECT_TRUE(hasMark(*control)) << control->objectName();
    }
}

// The contrast of every text against its background, by the WCAG formula: where it is below 4.5:1
// the text's meaning is also in the accessible name and in a tooltip, whose colours are the
// system's. The ratios found are printed and recorded.
double luminance(const QColor& c) {
    const auto channel = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(Contrast, TheFormulaGivesTheWorkedValues) {
    // Worked values: black on white 21:1; the program's green (0,128,0) on white 5.14:1.
    EXPECT_NEAR(contrast(Qt::black, Qt::white), 21.0, 1e-9);
    EXPECT_NEAR(contrast(QColor(0, 128, 0), Qt::white), 5.14, 0.01);
}

TEST_F(AccessibilityTest, TextBelowTheContrastRatioHasItsMeaningInTheName) {
    QWidget* help = open("Cmdhelp", "Dialog");
    for (QWidget* w : {static_cast<QWidget*>(&window_), help}) {
        for (QWidget* c : w->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            const auto* label = qobject_cast<QLabel*>(c);
            const auto* button = qobject_cast<QAbstractButton*>(c);
            const QString text = label ? label->text() : button ? button->text() : QString();
            if (text.isEmpty()) {
                continue;
            }
            const QPalette::ColorRole fore =
                qobject_cast<QPushButton*>(c) ? QPalette::ButtonText : QPalette::WindowText;
            const QPalette::ColorRole back =
                qobject_cast<QPushButton*>(c) ? QPalette::Button : QPalette::Window;
            const double ratio = contrast(c->palette().color(fore), c->palette().color(back));
            std::cout << w->objectName().toStdString() << " " << c->objectName().toStdString()
                      << " \"" << text.left(20).toStdString() << "\" "
                      << c->palette().color(fore).name().toStdString() << " on "
                      << c->palette().color(back).name().toStdString() << ": " << ratio << ":1\n";
            if (ratio >= 4.5) {
                continue;
            }
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(c);
            const bool leftOut = QAccessible::queryAccessibleInterface(w)->indexOfChild(a) < 0;
            // Left out of the tree, its words are in the names of the controls it stands by.
            EXPECT_TRUE(leftOut || !a->text(QAccessible::Name).isEmpty()) << c->objectName();
            EXPECT_TRUE(leftOut || label != nullptr || !c->toolTip().isEmpty()) << c->objectName();
        }
    }
    help->close();
}

} // namespace
} // namespace tarmel
