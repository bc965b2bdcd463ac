// What the controls say about themselves: a name for people, a description where the name is not
// enough, values in their units, a tooltip for the eye; and the accessible interfaces that carry
// them to a screen reader (windows as frames or dialogs, bars as sliders with spoken values,
// headings, read-outs, decoration left out).
#pragma once

#include "ui/Layout.h"

#include <QString>
#include <functional>
#include <string_view>

class QAbstractSlider;
class QLabel;
class QWidget;

namespace tarmel::ui {

// The oscillator whose controls the window holds: 1 for the main window, 2 and 3 for the
// oscillator windows, 0 for any other window.
int oscillatorOfWindow(std::string_view window);

// The name of a control of the layout for people ("Oscillator 1 pitch", "Multiply, modulator 3
// of oscillator 1"), from the sound's control table for the controls of the sound; empty for a
// label that only decorates.
QString accessibleNameOf(std::string_view window, std::string_view control);
// What the control does, where its name is not enough; may be empty.
QString accessibleDescriptionOf(std::string_view window, std::string_view control);
// A bar's or slider's value in its unit: "98 hertz", "plus 12 hertz", "times 4", "divided by 8",
// "attack 300 of 1500". Values of unknown controls are plain numbers.
QString spokenValue(std::string_view window, std::string_view control, int value);

// How a label is presented to a screen reader.
enum class LabelRole {
    Text,       // read as it is
    Heading,    // the heading of a group of controls
    Readout,    // a value shown for a control: its name says what, with the unit
    Decoration, // left out: the controls' names already say what it says
};
LabelRole labelRoleOf(std::string_view window, std::string_view control);

// Installs, once, the accessible interfaces of the program's windows and controls. Every window
// built by buildControls calls it; main calls it before the first window exists.
void installAccessibility();

// Speaks the bar's value as say makes it, in its tooltip and to the screen reader, and shows
// it beside the bar while the bar is dragged or moved by a key. For the bars of any window.
void speakValue(QAbstractSlider& bar, std::function<QString(int)> say);

// Says text to the screen reader at once, without moving the focus: a child of window with the
// role of a notification, named text, is shown anew (Orca says "notification" and the text).
void announce(QWidget& window, const QString& text);

// Gives every control of a window built from layout its name, description, tooltip and
// presentation, and adds the keyboard menu.
void makeAccessible(QWidget& window, const WindowLayout& layout);

// Shift+F10 opens the window's context menu as the Menu key and a right click do; a menu of the
// window's actions (Qt::ActionsContextMenu) is one lasting popup, which a screen reader finds at
// every opening. For a window not built from the layout table.
void addKeyboardMenu(QWidget& window);

} // namespace tarmel::ui
