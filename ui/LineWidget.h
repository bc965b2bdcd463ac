// A thin solid line between two points of its parent, drawn in the default line colour.
#pragma once

#include <QLine>
#include <QWidget>

namespace tarmel::ui {

class LineWidget : public QWidget {
    Q_OBJECT

public:
    // from and to are pixel points in parent's coordinates.
    LineWidget(QWidget* parent, QPoint from, QPoint to);

    // The line in the parent's coordinates.
    QLine line() const { return line_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLine line_;
};

} // namespace tarmel::ui
