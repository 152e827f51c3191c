#pragma once

#include <QAbstractNativeEventFilter>
#include <cstdint>
#include <functional>

// Whether anyone can see a window, as the X server tells it: its top-level
// window (our frame, or the daemon's window in hack mode) mapped, and the
// window itself not fully covered. Qt follows neither for a child window,
// so both are asked for and heard here. Elsewhere (Wayland) it always says
// visible and Qt's exposure decides alone.
class WindowVisibility : public QAbstractNativeEventFilter {
public:
    // `onChange` runs after each change, on the GUI thread.
    WindowVisibility(std::uintptr_t window, std::uintptr_t topLevel,
                     std::function<void()> onChange);
    ~WindowVisibility() override;
    WindowVisibility(const WindowVisibility&) = delete;
    WindowVisibility& operator=(const WindowVisibility&) = delete;

    bool Visible() const { return topMapped_ && !obscured_; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    std::uint32_t window_ = 0;
    std::uint32_t top_ = 0;
    bool topMapped_ = true;
    bool obscured_ = false;
    bool installed_ = false;
    std::function<void()> onChange_;
};
