// Key preview through an application-wide event filter.
#include "app/KeyPreview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace tarmel::app {

KeyPreview::KeyPreview(QWidget* window, std::function<void(int keyCode)> onKeyDown)
    : QObject(window), window_(window), onKeyDown_(std::move(onKeyDown)) {
    qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview() {
    qApp->removeEventFilter(this);
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) {
        return false;
    }
    // A key press the focused control ignores travels on to its parents, and the filter sees it
    // at each of them; only its first receiver counts: the window's focus control, or the window
    // itself when none of its controls has the focus.
    QWidget* focus = window_->focusWidget();
    QWidget* firstReceiver = focus != nullptr ? focus : window_;
    if (watched == firstReceiver && firstReceiver->window() == window_) {
        onKeyDown_(static_cast<QKeyEvent*>(event)->key());
    }
    return false;
}

} // namespace tarmel::app
