// A thin solid line between two points of its parent, drawn in the default line colour.
#include "LineWidget.h"

#include <QPainter>

namespace tarmel::ui {

LineWidget::LineWidget(QWidget* parent, QPoint from, QPoint to) : QWidget(parent), line_(from, to) {
    // The widget covers the line's bounding box, one pixel wide at least; it must not take
    // clicks meant for controls underneath nor paint over them.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::NoFocus);
    const QRect box = QRect(from, to).normalized();
    setGeometry(box.left(), box.top(), box.width(), box.height());
}

void LineWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 0, Qt::SolidLine));
    painter.drawLine(line_.translated(-pos()));
}

} // namespace tarmel::ui
