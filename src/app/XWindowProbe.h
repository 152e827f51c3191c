#pragma once

#include <cstdint>
#include <string>

struct _XDisplay;

// Asks the X server about windows other programs made, on a connection of its
// own, so a bad id becomes an answer instead of an X error that ends the
// program.
class XWindowProbe {
public:
    XWindowProbe();
    ~XWindowProbe();
    XWindowProbe(const XWindowProbe&) = delete;
    XWindowProbe& operator=(const XWindowProbe&) = delete;

    bool Connected() const { return display_ != nullptr; }
    // The root window of the default screen; 0 without a connection.
    std::uint32_t DefaultRoot() const;
    // The window's size in device pixels; false when no such window exists.
    bool Size(std::uint32_t window, int* width, int* height) const;

    // Asks to hear of the window's end; false when it is gone already.
    bool Watch(std::uint32_t window);
    // Blocks until the watched window is destroyed (or the connection fails).
    void WaitUntilDestroyed();

private:
    _XDisplay* display_ = nullptr;
};

// The window a hack draws into: --window-id's, else $XSCREENSAVER_WINDOW's,
// else the root window. Empty `error` when found; the size is in device pixels.
struct HackTarget {
    std::uint32_t window = 0;
    int width = 0;
    int height = 0;
    std::string error;
};
HackTarget FindHackTarget(const XWindowProbe& probe, bool root, std::uint32_t windowId,
                          const char* xscreensaverWindow);
