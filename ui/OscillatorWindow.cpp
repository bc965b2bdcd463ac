// The window of oscillator 2 or 3.
#include "ui/OscillatorWindow.h"

#include "ui/Controls.h"

#include <QCloseEvent>

namespace tarmel::ui {

OscillatorWindow::OscillatorWindow(int oscillator)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      oscillator_(oscillator == 3 ? 3 : 2) {
    setAttribute(Qt::WA_DeleteOnClose);
    const WindowLayout& layout = oscillatorWindowLayout(oscillator_);
    buildControls(*this, layout);
    // setGeometry on a top-level window places the client area; the window manager adds the
    // frame around it.
    setGeometry(toPixels(layout.client));
}

bool OscillatorWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        emit activated();
    }
    return QWidget::event(event);
}

void OscillatorWindow::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    // Only the window's own focus arrives here; its controls get their own focus events.
    if (oscillator_ == 2) {
        emit lostFocus();
    }
}

void OscillatorWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted()) {
        emit closedByUser();
    }
}

} // namespace tarmel::ui
