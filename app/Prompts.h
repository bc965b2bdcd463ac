// The message boxes the main window shows (an error, the exit question) and the way the program
// ends; tests replace them so that nothing blocks.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace tarmel::app {

struct Prompts {
    // Shows a message about an error; the program goes on afterwards.
    std::function<void(const QString& message)> showError;
    // Asks "Exit?"; true when the user answers Yes.
    std::function<bool()> askExit;
    // Ends the program with the given exit status.
    std::function<void(int status)> endProgram;
};

// Modal message boxes over parent, and QCoreApplication::exit.
Prompts messageBoxPrompts(QWidget* parent);

} // namespace tarmel::app
