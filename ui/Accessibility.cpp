// Names, descriptions and spoken values of the controls, and the accessible interfaces that
// carry them to a screen reader.
#include "ui/Accessibility.h"

#include "sound/Controls.h"
#include "synth/Parameters.h"
#include "ui/LineWidget.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QShortcut>
#include <QToolTip>
#include <algorithm>
#include <array>
#include <limits>
#include <mutex>

namespace tarmel::ui {

namespace {

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The control of the sound that a window's control shows; nothing for other controls.
const sound::Control* soundControl(std::string_view window, std::string_view control) {
    const int oscillator = oscillatorOfWindow(window);
    return oscillator == 0 ? nullptr : sound::findWidget(oscillator, control);
}

// What a control of a window says, where it is not made from a pattern (the modulators' controls
// are). An empty name keeps the control's own caption as its name. A label is read just before
// the control beside names, a read-out just after it.
struct Voice {
    std::string_view control;
    const char* name;
    const char* description;
    LabelRole role = LabelRole::Text;
    std::string_view beside = {};
};

using enum LabelRole;

constexpr std::array kMainVoices = std::to_array<Voice>({
    {"Picture1", "", "", Decoration},
    {"Label7", "", "The program's name.", Text, "CmdReset"},
    {"CmdReset", "reset", "Silences the sound and opens the sound output afresh."},
    {"Play", "generate",
     "Computes one second of sound from the settings and plays the oscillators whose Play box "
     "is ticked."},
    {"Lblkeys", "Keyboard Active",
     "Shown while the letter keys play notes: the rows Z to M, A to L and Q to P, from low to "
     "high.",
     Text, "ChkFm(0)"},
    {"Label5", "", "The five modulators of oscillator 1.", Heading, "ChkFm(0)"},
    {"Label3", "Tone", "The pitches of the three oscillators.", Heading, "VScroll1"},
    {"Lblos1(0)", "Pitch of oscillator 1", "", Readout, "VScroll1"},
    {"Lblos1(1)", "Pitch of oscillator 2", "", Readout, "VScroll2"},
    {"Lblos1(2)", "Pitch of oscillator 3", "", Readout, "VScroll3"},
    {"Label6", "envelope", "How the loudness moves over the second.", Heading, "Sliderattack"},
    {"Label4(2)", "Timer", "Playing again and again.", Heading, "Cmdstart"},
    {"Cmdstart", "repeat", "Computes and plays the sound again and again until stop."},
    {"Cmdstop", "stop", "Stops the repetition."},
    {"Label2(9)", "Fm", "The windows of the modulators of oscillators 2 and 3.", Heading,
     "CmdOsc2"},
    {"CmdOsc2", "Osc2, oscillator 2 modulators",
     "Opens the window of the five modulators of oscillator 2."},
    {"CmdOsc3", "Osc3, oscillator 3 modulators",
     "Opens the window of the five modulators of oscillator 3."},
    {"Cmdhelp", "Help", "Opens the help window."},
    {"CmdExit", "Exit", "Asks whether to end Tarmel."},
    // The envelope's ends only repeat what the slider's name says.
    {"Label4(0)", "", "", Decoration},
    {"Label4(1)", "", "", Decoration},
});

constexpr std::array kOscillatorVoices = std::to_array<Voice>({
    {"Label5", "", "The five modulators of this oscillator.", Heading, "ChkFm(0)"},
    {"Label3", "", "", Decoration},
});

// The labels of every oscillator's window (the main window too) that only repeat what the
// controls' names say: the modulators' row numbers, "Multiply", "Divide", "Fm" beside the boxes,
// the pitch sliders' marks and captions.
constexpr std::array kModulatorDecoration = std::to_array<Voice>({
    {"Label1(0)", "", "", Decoration},
    {"Label1(1)", "", "", Decoration},
    {"Label1(2)", "", "", Decoration},
    {"Label1(3)", "", "", Decoration},
    {"Label1(4)", "", "", Decoration},
    {"Label2(0)", "", "", Decoration},
    {"Label2(1)", "", "", Decoration},
    {"Label2(2)", "", "", Decoration},
    {"Label2(3)", "", "", Decoration},
    {"Label2(4)", "", "", Decoration},
    {"Label2(5)", "", "", Decoration},
    {"Label2(6)", "", "", Decoration},
    {"Label2(7)", "", "", Decoration},
    {"Label2(8)", "", "", Decoration},
});

constexpr std::array kHelpVoices = std::to_array<Voice>({
    {"Label4", "", "", Heading},
    {"OKButton", "OK", "Closes the help window."},
    {"Label3", "", "", Decoration},
});

const Voice* voiceOf(std::string_view window, std::string_view control) {
    const int oscillator = oscillatorOfWindow(window);
    std::span<const Voice> voices;
    if (oscillator == 1) {
        voices = kMainVoices;
    } else if (oscillator != 0) {
        voices = kOscillatorVoices;
    } else if (window == helpWindowLayout().name) {
        voices = kHelpVoices;
    }
    for (const std::span<const Voice> table :
         {voices, oscillator != 0 ? std::span<const Voice>(kModulatorDecoration)
                                  : std::span<const Voice>()}) {
        for (const Voice& v : table) {
            if (v.control == control) {
                return &v;
            }
        }
    }
    return nullptr;
}

// Dynamic properties that tell the accessible interfaces what a control is.
constexpr const char* kLabelRole = "tarmelLabelRole";
constexpr const char* kReadoutName = "tarmelReadoutName";
constexpr const char* kReadoutUnit = "tarmelReadoutUnit";
// A child's place in its window's reading order: its Tab place, a label half a place before or
// after the control it stands by.
constexpr const char* kReadingPlace = "tarmelReadingPlace";

// The child of a window that announce shows.
constexpr const char* kAnnouncement = "Announcement";

// The spoken value of a bar, kept as a child of the bar.
class ValueVoice : public QObject {
public:
    ValueVoice(QAbstractSlider& bar, std::function<QString(int)> say)
        : QObject(&bar), say_(std::move(say)) {}
    QString say(int value) const { return say_(value); }

private:
    std::function<QString(int)> say_;
};

const ValueVoice* valueVoiceOf(const QObject& bar) {
    for (const QObject* child : bar.children()) {
        if (const auto* voice = dynamic_cast<const ValueVoice*>(child)) {
            return voice;
        }
    }
    return nullptr;
}

QString spokenValueOf(const QAbstractSlider& bar) {
    const ValueVoice* voice = valueVoiceOf(bar);
    return voice != nullptr ? voice->say(bar.value()) : QString::number(bar.value());
}

// A window of the program: a plain QWidget subclass of the program's own (Qt's menus, tooltips
// and dialogs keep Qt's interfaces).
bool isProgramWindow(const QWidget& widget) {
    return widget.isWindow() && widget.metaObject()->superClass() == &QWidget::staticMetaObject &&
           QLatin1String(widget.metaObject()->className()).startsWith(QLatin1String("tarmel::"));
}

bool onProgramWindow(const QWidget& widget) {
    const QWidget* parent = widget.parentWidget();
    return parent != nullptr && !widget.isWindow() && isProgramWindow(*parent);
}

bool isDecoration(const QWidget& widget) {
    return qobject_cast<const LineWidget*>(&widget) != nullptr ||
           widget.property(kLabelRole).toInt() == static_cast<int>(LabelRole::Decoration);
}

// A window is a frame, or a dialog, named by its title; the labels that only decorate are left
// out of its children.
class AccessibleWindow : public QAccessibleWidget {
public:
    explicit AccessibleWindow(QWidget* window)
        : QAccessibleWidget(window, window->windowType() == Qt::Dialog ? QAccessible::Dialog
                                                                       : QAccessible::Window) {}

    int childCount() const override { return static_cast<int>(children().size()); }
    QAccessibleInterface* child(int index) const override {
        const QWidgetList all = children();
        return index >= 0 && index < all.size() ? QAccessible::queryAccessibleInterface(all[index])
                                                : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child != nullptr ? static_cast<int>(children().indexOf(child->object())) : -1;
    }

private:
    // In reading order when every child has its place in it, else in the order they were made.
    QWidgetList children() const {
        QWidgetList shown;
        bool placed = true;
        for (QObject* o : widget()->children()) {
            auto* w = qobject_cast<QWidget*>(o);
            if (w != nullptr && !w->isWindow() && !isDecoration(*w)) {
                shown.append(w);
                placed = placed && w->property(kReadingPlace).isValid();
            }
        }
        if (placed) {
            std::stable_sort(shown.begin(), shown.end(), [](const QWidget* a, const QWidget* b) {
                return a->property(kReadingPlace).toDouble() <
                       b->property(kReadingPlace).toDouble();
            });
        }
        return shown;
    }
};

// A bar or slider: a slider whose value is read and set as a number and spoken in its unit. The
// spoken value leads the description, which screen readers read after the value, and read again
// when it changes: so the rest of it is kept short.
class AccessibleBar : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit AccessibleBar(QAbstractSlider* bar) : QAccessibleWidget(bar, QAccessible::Slider) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface) {
            return static_cast<QAccessibleValueInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) {
            return spokenValueOf(*bar());
        }
        if (t == QAccessible::Description) {
            const QString about = bar()->accessibleDescription();
            return spokenValueOf(*bar()) +
                   (about.isEmpty() ? QString() : QStringLiteral(". ") + about);
        }
        return QAccessibleWidget::text(t);
    }

    QVariant currentValue() const override { return bar()->value(); }
    void setCurrentValue(const QVariant& value) override { bar()->setValue(value.toInt()); }
    QVariant maximumValue() const override { return bar()->maximum(); }
    QVariant minimumValue() const override { return bar()->minimum(); }
    QVariant minimumStepSize() const override { return bar()->singleStep(); }

private:
    QAbstractSlider* bar() const { return static_cast<QAbstractSlider*>(object()); }
};

// A label as a heading, a read-out named for what it shows, or plain text.
class AccessibleLabel : public QAccessibleWidget {
public:
    explicit AccessibleLabel(QLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QAccessible::Role role() const override {
        return label()->property(kLabelRole).toInt() == static_cast<int>(LabelRole::Heading)
                   ? QAccessible::Heading
                   : QAccessible::StaticText;
    }
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name) {
            return QAccessibleWidget::text(t);
        }
        const QString readout = label()->property(kReadoutName).toString();
        if (!readout.isEmpty()) {
            return label()->text().isEmpty() ? readout
                                             : readout + QStringLiteral(": ") + label()->text() +
                                                   label()->property(kReadoutUnit).toString();
        }
        return label()->accessibleName().isEmpty() ? label()->text() : label()->accessibleName();
    }

private:
    QLabel* label() const { return static_cast<QLabel*>(object()); }
};

QAccessibleInterface* programInterface(const QString& className, QObject* object) {
    // Asked for every class from the object's own upwards: answered for the object's own class,
    // so that a class this factory does not know goes on to Qt's interfaces.
    if (object == nullptr || !object->isWidgetType() ||
        className != QLatin1String(object->metaObject()->className())) {
        return nullptr;
    }
    auto* widget = static_cast<QWidget*>(object);
    if (widget->objectName() == QLatin1String(kAnnouncement) && !widget->isWindow()) {
        return new QAccessibleWidget(widget, QAccessible::Notification);
    }
    if (isProgramWindow(*widget)) {
        return new AccessibleWindow(widget);
    }
    if (!onProgramWindow(*widget)) {
        return nullptr;
    }
    if (auto* bar = qobject_cast<QAbstractSlider*>(widget)) {
        return new AccessibleBar(bar);
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        return new AccessibleLabel(label);
    }
    return nullptr;
}

// The tooltip names the button, says whether a box is ticked, and what the button does.
void describeButton(QAbstractButton& button, const QString& about) {
    const auto update = [&button, about] {
        QString tip = button.accessibleName();
        if (button.isCheckable()) {
            tip += button.isChecked() ? QStringLiteral(", on") : QStringLiteral(", off");
        }
        if (!about.isEmpty()) {
            tip += QStringLiteral(": ") + about;
        }
        button.setToolTip(tip);
    };
    QObject::connect(&button, &QAbstractButton::toggled, &button, update);
    update();
}

// The window's menu as one lasting popup. The menus Qt makes afresh for every opening share their
// items' accessible objects, which a screen reader no longer finds after the first opening.
class WindowMenu : public QObject {
public:
    explicit WindowMenu(QWidget& window)
        : QObject(&window), window_(window), menu_(new QMenu(&window)) {
        menu_->setObjectName(QStringLiteral("windowMenu"));
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &window_ || event->type() != QEvent::ContextMenu ||
            window_.contextMenuPolicy() != Qt::ActionsContextMenu || window_.actions().isEmpty()) {
            return false;
        }
        menu_->clear();
        menu_->addActions(window_.actions());
        menu_->exec(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }

private:
    QWidget& window_;
    QMenu* menu_; // a child of the window
};

// The context menu opens where the focus is, as the Menu key opens it.
void openContextMenuAtFocus(QWidget& window) {
    QWidget* focus = window.focusWidget() != nullptr ? window.focusWidget() : &window;
    const QPoint centre = focus->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Keyboard, centre, focus->mapToGlobal(centre));
    QApplication::sendEvent(focus, &event);
}

} // namespace

int oscillatorOfWindow(std::string_view window) {
    for (int oscillator : {2, 3}) {
        if (window == oscillatorWindowLayout(oscillator).name) {
            return oscillator;
        }
    }
    return window == mainWindowLayout().name ? 1 : 0;
}

QString accessibleNameOf(std::string_view window, std::string_view control) {
    if (const sound::Control* c = soundControl(window, control)) {
        return QString::fromStdString(c->name);
    }
    const Voice* voice = voiceOf(window, control);
    return voice != nullptr ? QString::fromUtf8(voice->name) : QString();
}

QString accessibleDescriptionOf(std::string_view window, std::string_view control) {
    if (const sound::Control* c = soundControl(window, control)) {
        return QString::fromStdString(c->description);
    }
    const Voice* voice = voiceOf(window, control);
    return voice != nullptr ? QString::fromUtf8(voice->description) : QString();
}

QString spokenValue(std::string_view window, std::string_view control, int value) {
    const sound::Control* c = soundControl(window, control);
    return c != nullptr ? QString::fromStdString(c->spoken(value)) : QString::number(value);
}

LabelRole labelRoleOf(std::string_view window, std::string_view control) {
    if (const Voice* voice = voiceOf(window, control)) {
        return voice->role;
    }
    return Text;
}

void installAccessibility() {
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(programInterface); });
}

void speakValue(QAbstractSlider& bar, std::function<QString(int)> say) {
    auto* voice = new ValueVoice(bar, std::move(say));
    const auto update = [&bar, voice](int value) {
        const QString text = voice->say(value);
        bar.setToolTip(bar.accessibleName() + QStringLiteral(": ") + text);
        // The description leads with the value; Qt sends the value change itself.
        QAccessibleEvent changed(&bar, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&changed);
        // Beside the bar, while the user moves it.
        if (bar.isSliderDown() || (bar.hasFocus() && bar.isActiveWindow())) {
            QToolTip::showText(bar.mapToGlobal(QPoint(bar.width() + 4, bar.height() / 2)), text,
                               &bar);
        }
    };
    QObject::connect(&bar, &QAbstractSlider::valueChanged, voice, update);
    bar.setToolTip(bar.accessibleName() + QStringLiteral(": ") + voice->say(bar.value()));
}

void announce(QWidget& window, const QString& text) {
    installAccessibility();
    // A new one for every message: screen readers keep an object's name, and this Qt's news of a
    // changed name does not carry the new one.
    delete window.findChild<QWidget*>(QLatin1String(kAnnouncement), Qt::FindDirectChildrenOnly);
    // One pixel that draws nothing, takes no key or click, and is read last; a screen reader
    // speaks a notification when it appears.
    auto* notice = new QWidget(&window);
    notice->setObjectName(QLatin1String(kAnnouncement));
    notice->setAccessibleName(text);
    notice->setFocusPolicy(Qt::NoFocus);
    notice->setAttribute(Qt::WA_TransparentForMouseEvents);
    notice->setGeometry(0, 0, 1, 1);
    notice->setProperty(kReadingPlace, std::numeric_limits<double>::max());
    notice->show();
}

void makeAccessible(QWidget& window, const WindowLayout& layout) {
    installAccessibility();
    const std::string windowName(layout.name);
    for (const ControlLayout& c : layout.controls) {
        QWidget* control = window.findChild<QWidget*>(qs(c.name), Qt::FindDirectChildrenOnly);
        if (control == nullptr) {
            continue;
        }
        const QString name = accessibleNameOf(layout.name, c.name);
        const QString description = accessibleDescriptionOf(layout.name, c.name);
        control->setAccessibleDescription(description);
        if (auto* label = qobject_cast<QLabel*>(control)) {
            const LabelRole role = labelRoleOf(layout.name, c.name);
            label->setProperty(kLabelRole, static_cast<int>(role));
            if (role == Readout) {
                // No accessible name of its own: a new text then tells the screen reader that
                // the name changed.
                label->setProperty(kReadoutName, name);
                label->setProperty(kReadoutUnit, QStringLiteral(" hertz"));
            } else if (!name.isEmpty()) {
                label->setAccessibleName(name);
            }
            continue;
        }
        control->setAccessibleName(name.isEmpty() ? qs(c.text) : name);
        if (auto* bar = qobject_cast<QAbstractSlider*>(control)) {
            // A right click on a bar opens the window's menu, not the bar's own.
            bar->setContextMenuPolicy(Qt::NoContextMenu);
            speakValue(*bar, [windowName, controlName = std::string(c.name)](int value) {
                return spokenValue(windowName, controlName, value);
            });
        } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            // A modulator's box tells what the modulator computes, in its tooltip and its
            // "What's This" (Shift+F1); its spoken description stays short.
            const sound::Control* sc = soundControl(layout.name, c.name);
            const bool box = sc != nullptr && sc->kind == sound::ControlKind::Box;
            const QString computes = box ? QString::fromStdString(sound::modulatorComputes(
                                               sc->oscillator, sc->modulator))
                                         : description;
            describeButton(*button, computes);
            if (box) {
                button->setWhatsThis(name + QStringLiteral(": ") + computes + QStringLiteral("."));
            }
        }
    }
    for (const ControlLayout& c : layout.controls) {
        QWidget* control = window.findChild<QWidget*>(qs(c.name), Qt::FindDirectChildrenOnly);
        const Voice* voice = voiceOf(layout.name, c.name);
        if (control == nullptr) {
            continue;
        }
        if (c.tab >= 0) {
            control->setProperty(kReadingPlace, c.tab);
        } else if (voice != nullptr && !voice->beside.empty()) {
            const double offset = voice->role == Readout ? 0.5 : -0.5;
            control->setProperty(kReadingPlace, layout.control(voice->beside).tab + offset);
        }
    }
    // Each pitch read-out labels its slider.
    if (oscillatorOfWindow(layout.name) == 1) {
        for (int k = 0; k < synth::kOscillators; ++k) {
            auto* readout = window.findChild<QLabel*>(QStringLiteral("Lblos1(%1)").arg(k),
                                                      Qt::FindDirectChildrenOnly);
            auto* slider = window.findChild<QWidget*>(QStringLiteral("VScroll%1").arg(k + 1),
                                                      Qt::FindDirectChildrenOnly);
            if (readout != nullptr && slider != nullptr) {
                readout->setBuddy(slider);
            }
        }
    }
    addKeyboardMenu(window);
}

void addKeyboardMenu(QWidget& window) {
    new WindowMenu(window);
    auto* menuKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), &window);
    menuKey->setObjectName(QStringLiteral("contextMenuKey"));
    QObject::connect(menuKey, &QShortcut::activated, &window, [&window] {
        // Once the key press is handled, as the Menu key's menu opens.
        QMetaObject::invokeMethod(
            &window, [&window] { openContextMenuAtFocus(window); }, Qt::QueuedConnection);
    });
}

} // namespace tarmel::ui
