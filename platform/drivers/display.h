// The display driver: where the windows of this process are shown. The window manager tells it
// what changed, once per flush, and the driver answers what the screen is; what the display
// reports back (input, expose, configure, close, focus) enters the platform through
// display_events.h. Every entry has a harmless default, so the null driver is this class
// itself and a driver implements only what its display needs. RADIODECK_DISPLAY chooses the
// driver when the process starts.
#pragma once

#include "platform/kernel/wait.h"

#include <windef.h>

#include <cstdint>
#include <span>
#include <string>

namespace platform {

inline constexpr char kDisplayVariable[] = "RADIODECK_DISPLAY";

// A top-level window's pixels: 32-bit pixels (0x00RRGGBB), rows top to bottom, with the part
// drawn since the driver last presented it. The pixels issue gives every top-level window
// one; until then windows have none and the entries below receive null.
struct WindowSurface {
    SIZE size{};
    std::span<const uint32_t> pixels; // size.cx * size.cy
    RECT dirty{};                     // in surface coordinates; empty when nothing is new
};

// What a driver is told of a top-level window when it is created.
struct DisplayWindow {
    HWND handle = nullptr;
    HWND owner = nullptr;
    DWORD style = 0;
    DWORD ex_style = 0; // WS_EX_TOPMOST, WS_EX_TOOLWINDOW, WS_EX_APPWINDOW ...
    std::string class_name;
    std::string title;
};

// Where a window now stands: rectangles in screen coordinates, and the window it is now
// below (HWND_TOP when it is the topmost of its band).
struct WindowPlace {
    RECT window{};
    RECT client{};
    HWND insert_after = nullptr;
    bool visible = false;
    bool topmost = false;
};

// A window's icon as a panel or title bar shows it: 32-bit ARGB pixels (straight alpha), rows
// top to bottom; empty when the window has none.
struct IconPicture {
    SIZE size{};
    std::span<const uint32_t> argb; // size.cx * size.cy
};

// A tray icon with its picture, as a panel shows it: 32-bit ARGB pixels (straight alpha),
// rows top to bottom.
struct TrayPicture {
    HWND owner = nullptr;
    UINT id = 0;
    UINT callback_message = 0;
    SIZE size{};
    std::span<const uint32_t> argb;
    std::string tip;
};

class DisplayDriver {
public:
    virtual ~DisplayDriver() = default;
    virtual const char* name() const = 0;

    // The screen.
    virtual SIZE screen_size() const { return {1024, 768}; }
    virtual int pixels_per_inch() const { return 96; }

    // Top-level windows. The window manager calls these from its flush, in the order the
    // changes happened, and ends each flush with flush().
    virtual void window_created(const DisplayWindow& window) {}
    // The window is gone; its handle means nothing any more.
    virtual void window_destroyed(HWND hwnd) {}
    // Position, size, visibility, z-order or the topmost band changed.
    virtual void window_placed(HWND hwnd, const WindowPlace& place, const WindowSurface* surface) {}
    virtual void window_title_set(HWND hwnd, const std::string& title) {}
    virtual void window_icon_set(HWND hwnd, const IconPicture& big, const IconPicture& small) {}
    // Pixels were drawn: show `surface.dirty` of the window's surface.
    virtual void surface_presented(HWND hwnd, const WindowSurface& surface) {}
    // The end of one flush: send what the calls before it queued.
    virtual void flush() {}

    // Input state the platform decides and the display carries out.
    virtual void capture_set(HWND hwnd) {}      // a pointer grab on the window
    virtual void capture_released(HWND hwnd) {} // the grab ends
    virtual void cursor_set(HCURSOR cursor) {}
    virtual void cursor_moved(POINT screen) {}
    virtual void focus_set(HWND hwnd) {}        // keyboard focus went to a window (or null)
    virtual void window_activated(HWND hwnd) {} // the active top-level window (or null)
    // The user began to drag a top-level window by its caption (or what stands for it) with
    // the left button down at `screen`. True when the display moves the window itself (the
    // window manager's own move, reported back as configure); false leaves the move to the
    // platform's loop.
    virtual bool window_move_begun(HWND hwnd, POINT screen) { return false; }

    // Tray icons, with their pictures.
    virtual void tray_icon_added(const TrayPicture& icon) {}
    virtual void tray_icon_changed(const TrayPicture& icon) {}
    virtual void tray_icon_removed(HWND owner, UINT id) {}

    // The display's part in the thread's one wait (see wait.h): its connection, what it waits
    // for before each poll(), and the work when it is ready. A driver without a connection
    // answers -1 and is never asked the rest.
    virtual int connection() const { return -1; }
    virtual WaitPrepare prepare() { return {}; }
    virtual void dispatch(short revents) {}
};

// Chooses the driver named by RADIODECK_DISPLAY ("headless" or "x11"; unset or empty: the
// best this build has). False, with the reason in `error`, when the value names none this
// build has; the process then keeps the headless driver.
bool open_display(std::string& error);
// The same for a program's start: the reason goes to stderr after the program's name.
bool open_display(const char* program);

// The driver of this process; opened on first use when nobody opened it.
DisplayDriver& display_driver();

// Puts another driver in place (tests record what the window manager tells it); null puts
// the chosen one back.
void set_display_driver(DisplayDriver* driver);

} // namespace platform
