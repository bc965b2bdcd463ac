// Holder of a secondary window that exists at most once and is made on its first use.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

namespace tarmel::ui {

// W is a top-level QWidget with a closedByUser() signal that deletes itself when closed (as
// OscillatorWindow and HelpDialog do). After such a close the next operation makes a fresh
// window with its start values.
template <class W> class SingleWindow {
public:
    using Factory = std::function<W*()>;
    using Wiring = std::function<void(W&)>;

    // make builds a new hidden window; wire, if given, connects a new window's signals.
    explicit SingleWindow(Factory make, Wiring wire = {})
        : make_(std::move(make)), wire_(std::move(wire)) {}
    ~SingleWindow() { delete window_.data(); }
    SingleWindow(const SingleWindow&) = delete;
    SingleWindow& operator=(const SingleWindow&) = delete;

    // The window, created hidden if it does not exist; for reading its controls.
    W& get() {
        if (window_.isNull()) {
            W* window = make_();
            window_ = window;
            // Forget the window at once: it is only deleted later, and a read in between must
            // not see the discarded settings.
            QObject::connect(window, &W::closedByUser, [this, window] {
                if (window_.data() == window) {
                    window_.clear();
                }
            });
            if (wire_) {
                wire_(*window);
            }
        }
        return *window_;
    }

    // The window if it exists, without making it.
    W* existing() const { return window_.data(); }

    // Makes the window visible, modeless and without owner, or brings it to the front.
    W& show() {
        W& window = get();
        window.show();
        window.raise();
        window.activateWindow();
        return window;
    }

    // Makes the window invisible, creating it hidden first if it does not exist.
    W& hide() {
        W& window = get();
        window.hide();
        return window;
    }

private:
    Factory make_;
    Wiring wire_;
    QPointer<W> window_;
};

} // namespace tarmel::ui
