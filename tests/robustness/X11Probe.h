// A second X connection that asks the program's windows what xdotool cannot: whether the
// program has handled all input sent so far, which of its windows are on screen, what part of a
// window looks like, and closing a window as its title bar's close box does.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace tarmel::robustness {

using std::chrono::milliseconds;

struct ShownWindow {
    std::string id; // decimal, as xdotool writes it
    std::string title;
};

class X11Probe {
public:
    explicit X11Probe(const std::string& display);
    ~X11Probe();
    X11Probe(const X11Probe&) = delete;
    X11Probe& operator=(const X11Probe&) = delete;

    // Sends _NET_WM_PING to window and waits for the answer, which the program's event loop
    // gives only when it is free. False when none came within timeout.
    bool ping(const std::string& window, milliseconds timeout);

    // Pings until the input sent before has reached the program's widgets and their handlers
    // have run (a question they open is on screen by then). Qt answers a ping while it reads
    // the X events, before it hands the input read with it to the widgets, and it answers a
    // ping that arrives while it is still reading in the same pass. So the pings come with a
    // pause between them, which lets each pass end first.
    bool settle(const std::string& window, milliseconds timeout);

    // Sends WM_DELETE_WINDOW, as a window manager does when the close box is clicked.
    void closeFromTitleBar(const std::string& window);

    // Top-level windows on screen that have a title, bottom to top.
    std::vector<ShownWindow> shownWindows();

    // The pixels of a rectangle of window, row by row; empty when it cannot be read.
    std::vector<uint32_t> pixels(const std::string& window, int x, int y, int width, int height);

private:
    void* display_ = nullptr; // Display*
    unsigned long root_ = 0;
    unsigned long wmProtocols_ = 0;
    unsigned long ping_ = 0;
    unsigned long deleteWindow_ = 0;
    unsigned long netWmName_ = 0;
    unsigned long utf8String_ = 0;
    uint32_t serial_ = 0;
};

} // namespace tarmel::robustness
