// The one place where a handler's error is caught: the user is told what failed and what to do,
// the rest of the handler is abandoned and the program goes on.
#pragma once

#include <QString>
#include <exception>
#include <functional>

namespace tarmel::app {

// The message for an error caught in a handler: what failed, and what the user can do about it.
QString describeError(std::exception_ptr error);

// Runs handler; if it throws, passes describeError's message to report and returns false.
bool runGuarded(const std::function<void()>& handler,
                const std::function<void(const QString&)>& report) noexcept;

} // namespace tarmel::app
