// A window's controls bound to the document of the sound.
#include "app/ControlBinding.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QKeyEvent>
#include <QWidget>
#include <atomic>
#include <stdexcept>

namespace tarmel::app {

ControlBinding::ControlBinding(QWidget& widget, int window, SoundModel& model)
    : QObject(&widget), model_(model) {
    for (const sound::Control& c : sound::controls()) {
        if (c.window != window) {
            continue;
        }
        QWidget* w = widget.findChild<QWidget*>(QString::fromStdString(c.widget),
                                                Qt::FindDirectChildrenOnly);
        if (w == nullptr) {
            throw std::logic_error("the window has no control " + c.widget);
        }
        Bound b{c.id};
        if (auto* bar = qobject_cast<QAbstractSlider*>(w)) {
            b.bar = bar;
            bar->setRange(c.minimum, c.maximum);
            bar->setSingleStep(c.step);
            bar->setPageStep(c.page);
            bar->installEventFilter(this);
        } else if (auto* box = qobject_cast<QAbstractButton*>(w); box != nullptr && c.toggled()) {
            b.box = box;
            box->setCheckable(true);
        } else {
            throw std::logic_error("the control " + c.widget + " is neither a bar nor a box");
        }
        bound_.push_back(b);
    }
    show();
    // Connected after the controls show the document's values: those are no user's changes.
    for (const Bound& b : bound_) {
        if (b.bar != nullptr) {
            connect(b.bar, &QAbstractSlider::valueChanged, this, [this, b] { userChanged(b); });
            // The thumb held down is a drag, however it was taken.
            connect(b.bar, &QAbstractSlider::sliderPressed, this,
                    [this] { gesture_ = newGesture(); });
            connect(b.bar, &QAbstractSlider::sliderReleased, this, [this] { gesture_ = 0; });
        } else {
            // toggled, not clicked: a screen reader's Toggle action and Space change a box too.
            connect(b.box, &QAbstractButton::toggled, this, [this, b] { userChanged(b); });
        }
    }
    connect(&model_, &SoundModel::changed, this, [this] { show(); });
}

uint64_t ControlBinding::newGesture() {
    static std::atomic<uint64_t> last{0};
    return ++last;
}

void ControlBinding::show() {
    showing_ = true;
    for (const Bound& b : bound_) {
        const int value = model_.document().value(b.id);
        if (b.bar != nullptr) {
            b.bar->setValue(value);
        } else {
            b.box->setChecked(value != 0);
        }
    }
    showing_ = false;
}

void ControlBinding::userChanged(const Bound& b) {
    if (showing_) {
        return;
    }
    const int value = b.bar != nullptr ? b.bar->value() : (b.box->isChecked() ? 1 : 0);
    model_.document().set(b.id, value, gesture_);
}

bool ControlBinding::eventFilter(QObject* watched, QEvent* event) {
    (void)watched;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        gesture_ = newGesture();
        break;
    case QEvent::KeyPress:
        // A held key repeats its press: the repeats stay in the gesture the first press began.
        if (!static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
            gesture_ = newGesture();
        }
        break;
    case QEvent::MouseButtonRelease:
    case QEvent::FocusOut:
        gesture_ = 0;
        break;
    case QEvent::KeyRelease:
        if (!static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
            gesture_ = 0;
        }
        break;
    default:
        break;
    }
    return false;
}

} // namespace tarmel::app
