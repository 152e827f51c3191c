#include "app/XWindowProbe.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "app/CommandLine.h"

namespace {

int g_lastError = 0;

int RecordError(Display*, XErrorEvent* event) {
    g_lastError = event->error_code;
    return 0;
}

std::string Hex(std::uint32_t id) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%x", id);
    return buffer;
}

}  // namespace

// One probe watches from a thread of its own; Xlib must know before its first
// call in the process.
static bool EnableThreads() {
    static const bool enabled = XInitThreads() != 0;
    return enabled;
}

XWindowProbe::XWindowProbe() : display_(EnableThreads() ? XOpenDisplay(nullptr) : nullptr) {}

XWindowProbe::~XWindowProbe() {
    if (display_) XCloseDisplay(display_);
}

std::uint32_t XWindowProbe::DefaultRoot() const {
    return display_ ? static_cast<std::uint32_t>(DefaultRootWindow(display_)) : 0;
}

bool XWindowProbe::Size(std::uint32_t window, int* width, int* height) const {
    if (!display_) return false;
    // Only this connection's errors reach the handler, and only during the call.
    XSync(display_, False);
    g_lastError = 0;
    XErrorHandler previous = XSetErrorHandler(RecordError);
    XWindowAttributes attributes{};
    const Status ok = XGetWindowAttributes(display_, window, &attributes);
    XSync(display_, False);
    XSetErrorHandler(previous);
    if (!ok || g_lastError != 0) return false;
    *width = attributes.width;
    *height = attributes.height;
    return true;
}

XWindowWatcher::XWindowWatcher(std::uint32_t window, Resized resized, Gone gone)
    : window_(window), resized_(std::move(resized)), gone_(std::move(gone)) {
    Display* d = probe_.display_;
    if (!d || pipe2(wake_, O_CLOEXEC) != 0) return;
    XSync(d, False);
    g_lastError = 0;
    XErrorHandler previous = XSetErrorHandler(RecordError);
    XSelectInput(d, window_, StructureNotifyMask);
    XSync(d, False);
    XSetErrorHandler(previous);
    // A change between the first look and the selection is not lost: the
    // thread starts from the size the window has now.
    if (g_lastError != 0 || !probe_.Size(window_, &width_, &height_)) {
        gone_();
        return;
    }
    thread_ = std::thread(&XWindowWatcher::Run, this);
}

XWindowWatcher::~XWindowWatcher() {
    if (thread_.joinable()) {
        const char stop = 0;
        while (write(wake_[1], &stop, 1) < 0 && errno == EINTR) {
        }
        thread_.join();
    }
    for (const int fd : wake_)
        if (fd >= 0) close(fd);
}

void XWindowWatcher::Run() {
    Display* d = probe_.display_;
    int width = width_, height = height_;
    resized_(width, height);
    pollfd fds[2] = {{ConnectionNumber(d), POLLIN, 0}, {wake_[0], POLLIN, 0}};
    for (;;) {
        // Events already read off the connection sit in Xlib's queue, which
        // poll cannot see: drain it first.
        while (XPending(d) > 0) {  // a lost connection ends the process
            XEvent event;
            XNextEvent(d, &event);
            if (event.type == DestroyNotify && event.xdestroywindow.window == window_) {
                gone_();
                return;
            }
            if (event.type == ConfigureNotify && event.xconfigure.window == window_ &&
                (event.xconfigure.width != width || event.xconfigure.height != height)) {
                width = event.xconfigure.width;
                height = event.xconfigure.height;
                resized_(width, height);
            }
        }
        if (poll(fds, 2, -1) < 0 && errno != EINTR) {
            gone_();  // no way left to hear of the window's end: do not outlive it
            return;
        }
        if (fds[1].revents != 0) return;
    }
}

HackTarget FindHackTarget(const XWindowProbe& probe, bool root, std::uint32_t windowId,
                          const char* xscreensaverWindow) {
    HackTarget t;
    if (!probe.Connected()) {
        t.error = "cannot open the X display (is DISPLAY set?)";
        return t;
    }
    std::string named;
    if (!root) {
        t.window = windowId;
        named = "--window-id";
    } else if (xscreensaverWindow && *xscreensaverWindow) {
        const auto id = ParseWindowId(xscreensaverWindow);
        if (!id) {
            t.error = std::string("XSCREENSAVER_WINDOW='") + xscreensaverWindow +
                      "' is not an X window id such as 0x1e00007";
            return t;
        }
        t.window = *id;
        named = "XSCREENSAVER_WINDOW";
    } else {
        t.window = probe.DefaultRoot();
        named = "the root window";
    }
    if (!probe.Size(t.window, &t.width, &t.height))
        t.error = "no X window " + Hex(t.window) + " (" + named + ") on this display";
    return t;
}
