// The one place where a handler's error is caught: the user is told what failed and what to do,
// the rest of the handler is abandoned and the program goes on.
#pragma once

#include <QString>
#include <exception>
#include <functional>
#include <stdexcept>

namespace tarmel::app {

// A request the program cannot carry out now; the message says why and what to do, and is shown
// as it is.
class Refusal : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The message for an error caught in a handler: what failed, and what the user can do about it.
QString describeError(std::exception_ptr error);

// Runs handler; if it throws, passes describeError's message to report and returns false.
bool runGuarded(const std::function<void()>& handler,
                const std::function<void(const QString&)>& report) noexcept;

} // namespace tarmel::app
