// The toast message: placed, coloured, announced and hidden again.
#include "ui/Toast.h"

#include "ui/Controls.h"

#include <QAccessible>
#include <QTimer>
#include <algorithm>

namespace tarmel::ui {

namespace {
constexpr int kMargin = 8; // from the window's edges, in pixels
}

Toast::Toast(QWidget& window) : QLabel(&window), hideTimer_(new QTimer(this)) {
    setObjectName(QStringLiteral("Toast"));
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setMargin(4);
    // The colours of "Keyboard Active": green on dark grey, framed in green to stand out from
    // the window behind it.
    setFrameStyle(QFrame::Box | QFrame::Plain);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, darkGrey());
    colours.setColor(QPalette::WindowText, statusGreen());
    setPalette(colours);
    setAutoFillBackground(true);
    // A message only: the focus, the keys and the mouse stay with the window's controls.
    setFocusPolicy(Qt::NoFocus);
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
    const int width = window.width() - 2 * kMargin;
    const int height = std::min(heightForWidth(width), window.height() - 2 * kMargin);
    setGeometry(kMargin, window.height() - kMargin - height, width, height);
    raise();
    QWidget::show();
    hideTimer_->start();
    // Screen readers hear the new text at once, without the focus moving to it.
    QAccessibleEvent named(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

} // namespace tarmel::ui
