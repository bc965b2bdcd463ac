// What a tool of the main window's menu (undo and presets, matching) asks of the window: a
// parent for its dialogs, a way to play the sound as "generate" does, and the one error guard.
#pragma once

#include <functional>

class QWidget;

namespace tarmel::app {

struct WindowHooks {
    QWidget* widget;                                           // for dialogs
    std::function<void()> play;                                // as "generate" does
    std::function<void(const std::function<void()>&)> guarded; // runs a handler safely
};

} // namespace tarmel::app
