// A thin solid line between two points of its parent, drawn in the default line colour.
#include "ui/LineWidget.h"

#include <QPainter>
#include <algorithm>
#include <cstdlib>

namespace tarmel::ui {

LineWidget::LineWidget(QWidget* parent, QPoint from, QPoint to) : QWidget(parent), line_(from, to) {
    // The widget covers the line's bounding box, one pixel wide at least; it must not take
    // clicks meant for controls underneath nor paint over them.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::NoFocus);
    const int left = std::min(from.x(), to.x());
    const int top = std::min(from.y(), to.y());
    setGeometry(left, top, std::abs(to.x() - from.x()) + 1, std::abs(to.y() - from.y()) + 1);
}

void LineWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 0, Qt::SolidLine));
    painter.drawLine(line_.translated(-pos()));
}

} // namespace tarmel::ui
