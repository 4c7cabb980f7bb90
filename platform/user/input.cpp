#include "input.h"
#include "message_queue.h"
#include "window.h"
#include "window_class.h"

#include "platform/drivers/display.h"
#include "platform/kernel/clock.h"

using platform::find_window;
using platform::Window;

namespace {

POINT g_cursor{0, 0};
HWND g_last_click_window = nullptr;
platform::Millis g_last_click_time = 0;

HWND child_from_point(HWND parent, POINT screen) {
    Window* p = find_window(parent);
    if (!p)
        return parent;
    for (HWND c : p->children) {
        Window* w = find_window(c);
        if (!w || !(w->style & WS_VISIBLE) || (w->style & WS_DISABLED))
            continue; // a disabled control lets its parent have the mouse
        RECT r;
        GetWindowRect(c, &r);
        if (PtInRect(&r, screen))
            return child_from_point(c, screen);
    }
    return parent;
}

LPARAM client_lparam(HWND hwnd, POINT screen) {
    ScreenToClient(hwnd, &screen);
    return MAKELPARAM(screen.x, screen.y);
}

void post_mouse(UINT msg, WPARAM keys, POINT screen) {
    HWND target = GetCapture();
    if (!target) {
        target = WindowFromPoint(screen);
        if (!target || !IsWindowEnabled(platform::root_window(target)))
            return;
    }
    platform::post_input(MSG{target, msg, keys, client_lparam(target, screen), 0, screen});
}

// A press of the left button: a second press on the same window within the double-click
// time is a double click.
void press_left(POINT screen) {
    HWND target = GetCapture() ? GetCapture() : WindowFromPoint(screen);
    Window* w = find_window(target);
    platform::Millis now = platform::clock().now();
    bool dbl = w && (w->cls->style & CS_DBLCLKS) && target == g_last_click_window &&
               now - g_last_click_time <= GetDoubleClickTime();
    post_mouse(dbl ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, MK_LBUTTON, screen);
    g_last_click_window = dbl ? nullptr : target;
    g_last_click_time = now;
}

} // namespace

HWND WINAPI WindowFromPoint(POINT screen) {
    for (HWND h : platform::top_level_windows()) {
        Window* w = find_window(h);
        RECT r;
        if (w && (w->style & WS_VISIBLE) && GetWindowRect(h, &r) && PtInRect(&r, screen))
            return child_from_point(h, screen);
    }
    return nullptr;
}

BOOL WINAPI GetCursorPos(LPPOINT pt) {
    if (!pt)
        return FALSE;
    *pt = g_cursor;
    return TRUE;
}

BOOL WINAPI SetCursorPos(int x, int y) {
    platform::display_driver().cursor_moved(POINT{x, y});
    platform::move_mouse(POINT{x, y});
    return TRUE;
}

UINT WINAPI GetDoubleClickTime() {
    return 500;
}

namespace platform {

void place_cursor(POINT screen) {
    g_cursor = screen;
}

void move_mouse(POINT screen) {
    g_cursor = screen;
    post_mouse(WM_MOUSEMOVE, 0, screen);
}

void click_at(POINT screen, bool twice) {
    move_mouse(screen);
    for (int i = 0; i < (twice ? 2 : 1); ++i) {
        press_left(screen);
        post_mouse(WM_LBUTTONUP, 0, screen);
    }
}

bool click_window(HWND hwnd, bool twice) {
    if (!IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd) || !IsWindowEnabled(root_window(hwnd)))
        return false;
    RECT r;
    GetWindowRect(hwnd, &r);
    click_at(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}, twice);
    return true;
}

void press_key(UINT vk) {
    key_event(vk, true);
    key_event(vk, false);
}

void key_event(UINT vk, bool down) {
    HWND target = GetFocus() ? GetFocus() : GetActiveWindow();
    post_input(MSG{target, down ? UINT{WM_KEYDOWN} : UINT{WM_KEYUP}, vk,
                   down ? 1 : static_cast<LPARAM>(0xC0000001u), 0, g_cursor});
}

void button_event(POINT screen, int button, bool down) {
    static constexpr UINT kDown[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
    static constexpr UINT kUp[] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
    static constexpr WPARAM kKey[] = {MK_LBUTTON, MK_RBUTTON, MK_MBUTTON};
    if (button < 0 || button > 2)
        return;
    move_mouse(screen);
    if (button == 0 && down)
        press_left(screen);
    else
        post_mouse(down ? kDown[button] : kUp[button], down ? kKey[button] : 0, screen);
}

} // namespace platform
