// The X probe on Xlib.
#include "X11Probe.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <stdexcept>
#include <thread>

namespace tarmel::robustness {

namespace {

// Windows vanish under the probe (a question closes, a window is discarded); the requests
// that name them then fail, which is expected and must not end the test.
int ignoreXError(Display*, XErrorEvent*) {
    return 0;
}

Display* dpy(void* display) {
    return static_cast<Display*>(display);
}

Window windowOf(const std::string& id) {
    return static_cast<Window>(std::stoul(id));
}

} // namespace

X11Probe::X11Probe(const std::string& display) {
    display_ = XOpenDisplay(display.c_str());
    if (display_ == nullptr) {
        throw std::runtime_error("cannot open X display " + display);
    }
    XSetErrorHandler(ignoreXError);
    Display* d = dpy(display_);
    root_ = DefaultRootWindow(d);
    wmProtocols_ = XInternAtom(d, "WM_PROTOCOLS", False);
    ping_ = XInternAtom(d, "_NET_WM_PING", False);
    deleteWindow_ = XInternAtom(d, "WM_DELETE_WINDOW", False);
    netWmName_ = XInternAtom(d, "_NET_WM_NAME", False);
    utf8String_ = XInternAtom(d, "UTF8_STRING", False);
    // Answers to pings are sent to the root window for its structure listeners.
    XSelectInput(d, root_, StructureNotifyMask);
    XSync(d, False);
}

X11Probe::~X11Probe() {
    XCloseDisplay(dpy(display_));
}

bool X11Probe::ping(const std::string& window, milliseconds timeout) {
    Display* d = dpy(display_);
    const Window target = windowOf(window);
    const uint32_t serial = ++serial_;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = target;
    event.xclient.message_type = wmProtocols_;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(ping_);
    event.xclient.data.l[1] = static_cast<long>(serial);
    event.xclient.data.l[2] = static_cast<long>(target);
    XSendEvent(d, target, False, NoEventMask, &event);
    XFlush(d);

    const auto end = std::chrono::steady_clock::now() + timeout;
    while (true) {
        while (XPending(d) > 0) {
            XEvent reply;
            XNextEvent(d, &reply);
            if (reply.type == ClientMessage && reply.xclient.message_type == wmProtocols_ &&
                static_cast<unsigned long>(reply.xclient.data.l[0]) == ping_ &&
                static_cast<uint32_t>(reply.xclient.data.l[1]) == serial) {
                return true;
            }
        }
        const auto left =
            std::chrono::duration_cast<milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd fd{ConnectionNumber(d), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(std::min<long long>(left.count(), 100)));
    }
}

bool X11Probe::settle(const std::string& window, milliseconds timeout) {
    constexpr int kPings = 3;
    constexpr milliseconds kPause{20};
    for (int i = 0; i < kPings; ++i) {
        if (i > 0) {
            std::this_thread::sleep_for(kPause);
        }
        if (!ping(window, timeout)) {
            return false;
        }
    }
    return true;
}

void X11Probe::closeFromTitleBar(const std::string& window) {
    Display* d = dpy(display_);
    const Window target = windowOf(window);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = target;
    event.xclient.message_type = wmProtocols_;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(deleteWindow_);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, target, False, NoEventMask, &event);
    XFlush(d);
}

std::vector<ShownWindow> X11Probe::shownWindows() {
    Display* d = dpy(display_);
    Window rootOut = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    std::vector<ShownWindow> shown;
    if (XQueryTree(d, root_, &rootOut, &parent, &children, &count) == 0) {
        return shown;
    }
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(d, children[i], &attributes) == 0 ||
            attributes.map_state != IsViewable) {
            continue;
        }
        Atom type = 0;
        int format = 0;
        unsigned long items = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        std::string title;
        if (XGetWindowProperty(d, children[i], netWmName_, 0, 1024, False, utf8String_, &type,
                               &format, &items, &after, &data) == Success &&
            data != nullptr) {
            title.assign(reinterpret_cast<const char*>(data), items);
        }
        if (data != nullptr) {
            XFree(data);
        }
        if (!title.empty()) {
            shown.push_back({std::to_string(children[i]), title});
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return shown;
}

std::vector<uint32_t> X11Probe::pixels(const std::string& window, int x, int y, int width,
                                       int height) {
    Display* d = dpy(display_);
    XImage* image = XGetImage(d, windowOf(window), x, y, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    std::vector<uint32_t> out;
    if (image == nullptr) {
        return out;
    }
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            out.push_back(static_cast<uint32_t>(XGetPixel(image, column, row)));
        }
    }
    XDestroyImage(image);
    return out;
}

} // namespace tarmel::robustness
