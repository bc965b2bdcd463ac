// The help window.
#include "ui/HelpWindow.h"

#include "ui/Controls.h"

#include <QCloseEvent>
#include <QPushButton>

namespace tarmel::ui {

HelpWindow::HelpWindow()
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setAttribute(Qt::WA_DeleteOnClose);
    const WindowLayout& layout = helpWindowLayout();
    buildControls(*this, layout);
    const QRect client = toPixels(layout.client);
    setGeometry(client);
    setFixedSize(client.size());
    connect(child<QPushButton>(*this, QStringLiteral("OKButton")), &QPushButton::clicked, this,
            &QWidget::hide);
}

bool HelpWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        emit activated();
    }
    return QWidget::event(event);
}

void HelpWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted()) {
        emit closedByUser();
    }
}

} // namespace tarmel::ui
