// The toast message: placed, coloured, announced and hidden again.
#include "ui/Toast.h"

#include "ui/Accessibility.h"

#include <QAccessible>
#include <QScreen>
#include <QTimer>
#include <algorithm>

namespace tarmel::ui {

namespace {
constexpr int kMargin = 8; // from the window's edges, in pixels
}

Toast::Toast(QWidget& window)
    : QLabel(&window, Qt::ToolTip | Qt::FramelessWindowHint), hideTimer_(new QTimer(this)) {
    setObjectName(QStringLiteral("Toast"));
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setMargin(4);
    // A tooltip's colours (dark on light, well above 4.5:1), framed so that it stands apart from
    // what is behind it.
    setFrameStyle(QFrame::Box | QFrame::Plain);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(255, 255, 220));
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);
    setAutoFillBackground(true);
    // A message only: the focus, the keys and the mouse stay with the window's controls.
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleDescription(QStringLiteral("Message that closes by itself"));
    hideTimer_->setSingleShot(true);
    hideTimer_->setInterval(kShownMs);
    connect(hideTimer_, &QTimer::timeout, this, &QWidget::hide);
    hide();
}

Toast& Toast::show(QWidget& window, const QString& text) {
    auto* toast = window.findChild<Toast*>(QString(), Qt::FindDirectChildrenOnly);
    if (toast == nullptr) {
        toast = new Toast(window);
    }
    toast->showText(text);
    return *toast;
}

void Toast::showText(const QString& text) {
    setText(text);
    setAccessibleName(text);
    const QWidget& window = *parentWidget();
    const int width = window.width();
    const int height = heightForWidth(width);
    // Below the window's frame, or above it when the screen ends below.
    const QRect frame = window.frameGeometry();
    QPoint at(frame.left(), frame.bottom() + 1 + kMargin);
    const QScreen* screen = window.screen();
    if (screen != nullptr && at.y() + height > screen->availableGeometry().bottom()) {
        at.setY(std::max(screen->availableGeometry().top(), frame.top() - kMargin - height));
    }
    setGeometry(QRect(at, QSize(width, height)));
    raise();
    QWidget::show();
    hideTimer_->start();
    // Screen readers hear the new text at once, without the focus moving to it: Orca from the
    // window's notification, others from the message's alert.
    announce(*parentWidget(), text);
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

} // namespace tarmel::ui
