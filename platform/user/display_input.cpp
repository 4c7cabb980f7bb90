// The way up: what the display driver reports (display_events.h) becomes the input and the
// window changes that Windows would make of it. On a real display the server owns the
// pointer, focus and the geometry the user changes; the window manager follows it here.
#include "input.h"
#include "window.h"

#include "platform/drivers/display_events.h"

namespace platform {

namespace {

class WindowManagerEvents final : public DisplayEvents {
public:
    void pointer_moved(POINT screen) override { move_mouse(screen); }
    void button(POINT screen, int button, bool down) override {
        button_event(screen, button, down);
    }
    void key(UINT vk, bool down) override { key_event(vk, down); }
    void exposed(HWND hwnd, const RECT& area) override {
        if (find_window(hwnd))
            InvalidateRect(hwnd, &area, TRUE);
    }
    void configured(HWND hwnd, const RECT& r) override {
        Window* w = find_window(hwnd);
        if (!w || w->parent)
            return;
        SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    void close_requested(HWND hwnd) override {
        if (find_window(hwnd))
            PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    void focus_changed(HWND hwnd, bool focused) override {
        Window* w = find_window(hwnd);
        if (focused && w && !w->parent && IsWindowEnabled(hwnd))
            SetActiveWindow(hwnd);
        else if (!focused && GetActiveWindow() == hwnd)
            SetActiveWindow(nullptr);
    }
};

} // namespace

void install_display_events() {
    static WindowManagerEvents events;
    set_display_events(&events);
}

} // namespace platform
