// The window manager's own view of a window. Public state goes through Win32 calls;
// this header is for the platform's user/ files, the tools and the tests.
#pragma once

#include <windows.h>

#include "surface.h"

#include "platform/desktop/desktop.h"
#include "platform/gdi/region.h"

#include <cstdint>
#include <optional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

struct WindowClass;

struct Window {
    HWND handle = nullptr;
    const WindowClass* cls = nullptr;
    WNDPROC proc = nullptr;
    HINSTANCE instance = nullptr;
    std::string text;
    DWORD style = 0;
    DWORD ex_style = 0;
    HWND parent = nullptr; // child windows only
    HWND owner = nullptr;  // top-level windows only
    UINT_PTR id = 0;       // control id (the hMenu of a child)
    RECT rect{};           // window rectangle: screen for top-level, parent client for children
    std::vector<HWND> children; // z-order, topmost first
    std::vector<BYTE> extra;    // cbWndExtra bytes
    LONG_PTR user_data = 0;
    HFONT font = nullptr;
    HICON icon_big = nullptr;
    HICON icon_small = nullptr;
    gdi::Region update;         // what waits for WM_PAINT, client coordinates
    bool needs_paint = false;   // an update region or a frame to draw
    bool erase_pending = false; // WM_ERASEBKGND is due with the next BeginPaint
    bool frame_pending = false; // WM_NCPAINT is due with the next BeginPaint
    bool destroying = false;
    DWORD thread_id = 0;
    uint64_t z = 0;         // the desktop's order: z stamp of a top-level window, sibling position
                            // of a child
    uint32_t changes = 0;   // WindowChange bits since the last flush
    bool announced = false; // the display driver has heard of this top-level window
    // Top-level windows, from their first drawing; shared with the device contexts open on it.
    std::shared_ptr<Surface> surface;
};

// What changed of a window, for the flush to tell the desktop and the display driver.
enum WindowChange : uint32_t {
    kChangeCreated = 1,
    kChangePlace = 2, // position, size, visibility, z-order, topmost
    kChangeTitle = 4,
    kChangeIcon = 8,
    kChangeState = 16,  // style, id, owner: the desktop's record only
    kChangeRecord = 32, // nothing changed, the desktop lost the record (a rebuilt table)
    kChangePixels = 64, // drawn on the surface, or its first paint is done
};

// Lookup of a live window of this process; null for anything else.
Window* find_window(HWND hwnd);
// As find_window, but sets ERROR_INVALID_WINDOW_HANDLE when there is none.
Window* window_or_error(HWND hwnd);

// Top-level windows of this process in z-order, topmost first.
const std::vector<HWND>& top_level_windows();

// Every live window of the process, parents before their children.
std::vector<HWND> all_windows();

// Metrics of the non-client frame for a style, in pixels per side.
RECT frame_insets(DWORD style, DWORD ex_style);

// Client rectangle in screen coordinates.
RECT client_rect_on_screen(const Window& w);

// The top-level window (root ancestor) of a window.
HWND root_window(HWND hwnd);

// Table maintenance for window.cpp and position.cpp. A new window's handle comes with its
// first state already on the desktop.
HWND allocate_window_handle(Window& w);
Window& insert_window(std::unique_ptr<Window> window);
void erase_window(HWND hwnd);
void reorder_window(Window& w, HWND insert_after);

// Window state reaches the desktop and the display driver once per loop turn: a change marks
// its window, and one flush writes every marked window under one lock. The flush runs before
// the thread blocks, before a post leaves for another process, and when the outermost
// WindowBatch ends (a window procedure's call, the creation of a window or a dialog): a call
// made outside any batch is therefore visible to other processes when it returns.
void window_changed(HWND hwnd, uint32_t what);
void window_released(HWND hwnd); // the window is gone; its slot is freed at the flush
void flush_windows();
class WindowBatch {
public:
    WindowBatch();
    ~WindowBatch();
    WindowBatch(const WindowBatch&) = delete;
    WindowBatch& operator=(const WindowBatch&) = delete;
};

// Puts the window manager's handler of the display's reports in place (display_input.cpp).
void install_display_events();

// A window as the desktop knows it, built from this process's own state.
DesktopWindow describe_window(const Window& w);

// Any window of the desktop as queries see it: this process's windows from their own state
// (newer than the desktop's until the flush), other processes' from the desktop. Each query
// is written once on these.
std::optional<DesktopWindow> view_of(HWND hwnd);
// As view_of, but sets ERROR_INVALID_WINDOW_HANDLE when there is none.
std::optional<DesktopWindow> view_or_error(HWND hwnd);
// The children of any window, topmost first.
std::vector<DesktopWindow> child_views(HWND parent);
// The top-level windows of every process in one z-order, topmost first. Other processes'
// windows are unverified (see desktop_top_level): check a found one with desktop_alive.
std::vector<DesktopWindow> top_level_views();

// Window state that other user/ files keep in step with a window's life.
void forget_window_state(HWND hwnd); // timers, focus, capture, active: a window is going
void kill_window_timers(HWND hwnd);

// Calls a window's procedure; the window may be gone when it returns.
LRESULT call_window(Window& w, UINT msg, WPARAM wparam, LPARAM lparam);

} // namespace platform
