// Start-up of the main window: the load step, or a message saying why the program cannot start.
#pragma once

#include <QString>
#include <functional>

namespace tarmel::app {

class Frmtarmel;

// Runs window's load step. When it fails (no sound device can be opened), passes a message
// naming the reason to explain and returns false; the program then ends with status 1.
bool startUp(Frmtarmel& window, const std::function<void(const QString&)>& explain);

} // namespace tarmel::app
