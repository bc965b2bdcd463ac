// Colours of the program's windows and factories that place styled controls at twip positions.
#pragma once

#include "ui/Twips.h"

#include <QColor>
#include <QString>
#include <optional>

class QCheckBox;
class QLabel;
class QPushButton;
class QScrollBar;
class QWidget;

namespace tarmel::ui {

class LineWidget;

inline QColor darkGrey() {
    return {64, 64, 64};
}
inline QColor statusGreen() {
    return {0, 128, 0};
}
inline QColor midGrey() {
    return {128, 128, 128};
}

// Gives a top-level window its dark grey background.
void applyWindowBackground(QWidget& window);

enum class Align { Left, Centre, Right };

struct LabelStyle {
    Align align = Align::Left;
    std::optional<double> boldPointSize; // bold "MS Sans Serif" at this size
    std::optional<QColor> textColour;    // the toolkit's default when unset
    QColor background = darkGrey();
    bool wordWrap = false; // wrap at word boundaries inside the fixed box

    // Chainable setters, e.g. LabelStyle{}.aligned(Align::Centre).bold(12).
    LabelStyle& aligned(Align a) {
        align = a;
        return *this;
    }
    LabelStyle& bold(double pointSize) {
        boldPointSize = pointSize;
        return *this;
    }
    LabelStyle& coloured(const QColor& colour) {
        textColour = colour;
        return *this;
    }
    LabelStyle& onBackground(const QColor& colour) {
        background = colour;
        return *this;
    }
    LabelStyle& wrapped() {
        wordWrap = true;
        return *this;
    }
};

// Every factory names the new control (QObject::objectName), places it with setGeometry at the
// given twips on parent and shows nothing by itself: children appear with their window.
QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, const TwipRect& at,
                  const LabelStyle& style = {});

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text,
                        const TwipRect& at);

QCheckBox* makeCheckBox(QWidget* parent, const QString& name, const QString& text,
                        const TwipRect& at);

struct ScrollRange {
    int minimum = 0;
    int maximum = 0;
    int singleStep = 1; // arrow click
    int pageStep = 1;   // click in the trough
    int value = 0;
};

// A scroll bar that takes the focus by Tab and by click, like every other input control here.
QScrollBar* makeScrollBar(QWidget* parent, const QString& name, Qt::Orientation orientation,
                          const TwipRect& at, const ScrollRange& range);

// The largest point size, not above the label's own and not below minimumPointSize, at which
// the label's whole text fits its fixed box. Fonts wider than the ones the layout was drawn for
// would otherwise cut off the end of a wrapped paragraph.
double fittingPointSize(const QLabel& label, double minimumPointSize = 6.0);

// Sets the label's font to fittingPointSize.
void shrinkToFit(QLabel& label, double minimumPointSize = 6.0);

// A thin solid line from (x1, y1) to (x2, y2), in twips of parent's client area.
LineWidget* makeLine(QWidget* parent, const QString& name, int x1, int y1, int x2, int y2);

} // namespace tarmel::ui
