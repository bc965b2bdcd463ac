// Builds a window's controls from the layout table, in the program's colours.
#pragma once

#include "ui/Layout.h"

#include <QColor>
#include <QWidget>
#include <stdexcept>

class QAbstractButton;
class QLabel;

namespace tarmel::ui {

inline QColor darkGrey() {
    return {64, 64, 64};
}
inline QColor statusGreen() {
    return {0, 128, 0};
}
inline QColor midGrey() {
    return {128, 128, 128};
}

// Gives window its objectName, caption and dark grey background, and creates every control and
// line of the layout on it (each named by its objectName, placed at its twips, captioned, in the
// layout's focus order, the first of them focused), with the labels' text shrunk where the font
// is wider than the layout was drawn for. Bars and sliders keep Qt's default range: the window
// sets their ranges.
void buildControls(QWidget& window, const WindowLayout& layout);

// The largest point size, not above the label's own and not below 6 points, at which the label's
// whole text fits its fixed box.
double fittingPointSize(const QLabel& label);

// Sets the label's font to fittingPointSize.
void shrinkToFit(QLabel& label);
// Whether a button's or box's caption fits where its style draws it.
bool captionFits(const QAbstractButton& button);

// The window's child of that name and type; throws std::logic_error when there is none.
template <class T> T* child(const QWidget& window, const QString& name) {
    T* found = window.findChild<T*>(name, Qt::FindDirectChildrenOnly);
    if (found == nullptr) {
        throw std::logic_error("no control " + name.toStdString() + " on " +
                               window.objectName().toStdString());
    }
    return found;
}

} // namespace tarmel::ui
