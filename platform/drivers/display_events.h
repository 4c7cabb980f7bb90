// The way up: what the display reports enters the platform here, and only here. A driver
// calls these from its dispatch step, on the GUI thread; the window manager (user/) puts its
// handler in place with its first window, and until then every report is dropped.
//
// Who owns the truth: headless, nobody reports anything and the desktop table is the
// screen. On a real display the server owns stacking, focus, the pointer and the geometry the
// user changes; these reports bring that into the window manager, whose table then mirrors
// it.
#pragma once

#include <windef.h>

#include <cstdint>

namespace platform {

class DisplayEvents {
public:
    virtual ~DisplayEvents() = default;
    // The pointer, in screen coordinates; `button` is 0 (left), 1 (right) or 2 (middle).
    virtual void pointer_moved(POINT screen) {}
    virtual void button(POINT screen, int button, bool down) {}
    // A key (a Windows virtual-key code) went down or up for the focused window.
    virtual void key(UINT vk, bool down) {}
    // Part of a window (client coordinates) must be drawn again.
    virtual void exposed(HWND hwnd, const RECT& area) {}
    // The display moved or sized a top-level window (screen coordinates): the user dragged
    // it, or the window manager placed it.
    virtual void configured(HWND hwnd, const RECT& window) {}
    // The user asked the window to close (the title bar's close button, a panel's "close").
    virtual void close_requested(HWND hwnd) {}
    // A top-level window gained or lost the keyboard focus of the display.
    virtual void focus_changed(HWND hwnd, bool focused) {}
};

// Where the driver sends its reports: the handler in place, or one that drops everything.
DisplayEvents& display_events();
void set_display_events(DisplayEvents* events);

// Where a panel shows a tray icon: nowhere (no tray runs), in an XEmbed system tray, or as a
// StatusNotifierItem.
enum class TrayDock : uint8_t { none = 0, xembed = 1, sni = 2 };

// What happens to tray icons on the display: the user's clicks, and the icon finding a place
// on a panel or losing it. The shell puts its handler in place with the first icon.
class TrayEvents {
public:
    virtual ~TrayEvents() = default;
    // The user acted on the icon: `mouse` is the mouse message (WM_LBUTTONDOWN ...) that the
    // shell passes to the owner's callback message, with the pointer at `screen`.
    virtual void tray_input(HWND owner, UINT id, UINT mouse, POINT screen) {}
    virtual void tray_docked(HWND owner, UINT id, TrayDock where) {}
};

TrayEvents& tray_events();
void set_tray_events(TrayEvents* events);

} // namespace platform
