#include "view/WindowVisibility.h"

#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdlib>

namespace {

xcb_connection_t* QtConnection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// Adds to the events this client hears from `window`, keeping what Qt asked
// for; returns whether the window is viewable now.
bool Listen(xcb_connection_t* c, std::uint32_t window, std::uint32_t mask) {
    xcb_get_window_attributes_reply_t* a =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
    if (!a) return true;
    const std::uint32_t events = a->your_event_mask | mask;
    const bool viewable = a->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(a);
    xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &events);
    xcb_flush(c);
    return viewable;
}

}  // namespace

WindowVisibility::WindowVisibility(std::uintptr_t window, std::uintptr_t topLevel,
                                   std::function<void()> onChange)
    : window_(static_cast<std::uint32_t>(window)),
      top_(static_cast<std::uint32_t>(topLevel)),
      onChange_(std::move(onChange)) {
    xcb_connection_t* c = QtConnection();
    if (!c || window_ == 0) return;
    Listen(c, window_, XCB_EVENT_MASK_VISIBILITY_CHANGE);
    // A top-level not shown yet is about to be: only an unmap later counts.
    if (top_ != 0 && top_ != window_) Listen(c, top_, XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    QCoreApplication::instance()->installNativeEventFilter(this);
    installed_ = true;
}

WindowVisibility::~WindowVisibility() {
    if (installed_ && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool WindowVisibility::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const bool wasVisible = Visible();
    switch (event->response_type & 0x7f) {
        case XCB_VISIBILITY_NOTIFY: {
            const auto* v = reinterpret_cast<const xcb_visibility_notify_event_t*>(event);
            if (v->window == window_) obscured_ = v->state == XCB_VISIBILITY_FULLY_OBSCURED;
            break;
        }
        case XCB_UNMAP_NOTIFY: {
            const auto* u = reinterpret_cast<const xcb_unmap_notify_event_t*>(event);
            if (u->window == top_) topMapped_ = false;
            break;
        }
        case XCB_MAP_NOTIFY: {
            const auto* m = reinterpret_cast<const xcb_map_notify_event_t*>(event);
            if (m->window == top_) topMapped_ = true;
            break;
        }
        default:
            return false;
    }
    if (Visible() != wasVisible && onChange_) onChange_();
    return false;  // Qt still handles it
}
