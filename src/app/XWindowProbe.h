#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <thread>

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

private:
    friend class XWindowWatcher;
    _XDisplay* display_ = nullptr;
};

// Follows a window another program made through the X server's structure
// events, on a connection and a thread of its own: the window's new size
// each time it changes (and once at the start), and its end. Both callbacks
// run on the watcher's thread. A lost connection ends the process, as Xlib does.
class XWindowWatcher {
public:
    using Resized = std::function<void(int width, int height)>;
    using Gone = std::function<void()>;

    XWindowWatcher(std::uint32_t window, Resized resized, Gone gone);
    // Stops the thread; no callback runs after this returns.
    ~XWindowWatcher();
    XWindowWatcher(const XWindowWatcher&) = delete;
    XWindowWatcher& operator=(const XWindowWatcher&) = delete;

    // False when there was no connection, or the window was gone already
    // (then `gone` has run).
    bool Watching() const { return thread_.joinable(); }

private:
    void Run();

    XWindowProbe probe_;
    std::uint32_t window_;
    int width_ = 0;
    int height_ = 0;
    Resized resized_;
    Gone gone_;
    int wake_[2] = {-1, -1};  // a pipe that tells the thread to stop
    std::thread thread_;
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
