#include "app/XWindowProbe.h"

#include <X11/Xlib.h>

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

bool XWindowProbe::Watch(std::uint32_t window) {
    if (!display_) return false;
    XSync(display_, False);
    g_lastError = 0;
    XErrorHandler previous = XSetErrorHandler(RecordError);
    XSelectInput(display_, window, StructureNotifyMask);
    XSync(display_, False);
    XSetErrorHandler(previous);
    return g_lastError == 0;
}

void XWindowProbe::WaitUntilDestroyed() {
    for (;;) {
        XEvent event;
        XNextEvent(display_, &event);  // a lost connection ends the process
        if (event.type == DestroyNotify) return;
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
