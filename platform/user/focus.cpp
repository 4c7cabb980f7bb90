// Activation, keyboard focus and mouse capture of the GUI thread.
#include "window.h"

#include "platform/drivers/display.h"

using platform::find_window;
using platform::Window;

namespace {

struct InputState {
    HWND active = nullptr;
    HWND focus = nullptr;
    HWND capture = nullptr;
};

InputState g_input;

bool focusable(HWND hwnd) {
    for (Window* w = find_window(hwnd); w; w = find_window(w->parent))
        if (w->style & (WS_MINIMIZE | WS_DISABLED))
            return false;
    return find_window(hwnd) != nullptr;
}

void set_active(HWND hwnd) {
    HWND old = g_input.active;
    if (old == hwnd)
        return;
    g_input.active = hwnd;
    platform::display_driver().window_activated(hwnd);
    if (find_window(old)) {
        SendMessageA(old, WM_NCACTIVATE, FALSE, 0);
        SendMessageA(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(hwnd));
    }
    if (find_window(hwnd) && g_input.active == hwnd) {
        SendMessageA(hwnd, WM_NCACTIVATE, TRUE, 0);
        SendMessageA(hwnd, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, IsIconic(hwnd) ? 1 : 0),
                     reinterpret_cast<LPARAM>(old));
    }
}

// After the active window went away or was hidden: its owner, else the topmost visible.
void activate_another(HWND leaving) {
    Window* w = find_window(leaving);
    HWND next = nullptr;
    if (w && w->owner && IsWindowVisible(w->owner) && IsWindowEnabled(w->owner))
        next = w->owner;
    if (!next) {
        for (HWND h : platform::top_level_windows()) {
            if (h != leaving && IsWindowVisible(h) && IsWindowEnabled(h)) {
                next = h;
                break;
            }
        }
    }
    set_active(next);
    if (!next && g_input.focus && platform::root_window(g_input.focus) == leaving)
        SetFocus(nullptr);
}

} // namespace

namespace platform {

void activate_window(HWND hwnd) {
    set_active(root_window(hwnd));
}

void window_hidden(HWND hwnd) {
    if (g_input.focus && (g_input.focus == hwnd || IsChild(hwnd, g_input.focus))) {
        Window* w = find_window(hwnd);
        SetFocus(w && w->parent ? w->parent : nullptr);
    }
    if (g_input.active == hwnd)
        activate_another(hwnd);
}

void forget_window_state(HWND hwnd) {
    kill_window_timers(hwnd);
    if (g_input.capture == hwnd)
        g_input.capture = nullptr;
    if (g_input.focus == hwnd)
        g_input.focus = nullptr;
    if (g_input.active == hwnd) {
        g_input.active = nullptr;
        activate_another(hwnd);
    }
}

} // namespace platform

HWND WINAPI SetFocus(HWND hwnd) {
    HWND old = g_input.focus;
    if (hwnd) {
        if (!platform::window_or_error(hwnd) || !focusable(hwnd))
            return nullptr;
        HWND root = platform::root_window(hwnd);
        if (g_input.active != root) {
            set_active(root);
            if (g_input.active != root)
                return nullptr;
            old = g_input.focus; // activation may have moved the focus already
        }
    }
    if (old == hwnd)
        return old;
    g_input.focus = hwnd;
    platform::display_driver().focus_set(hwnd);
    if (find_window(old))
        SendMessageA(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    if (hwnd && g_input.focus == hwnd && find_window(hwnd))
        SendMessageA(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    return old;
}

HWND WINAPI GetFocus() {
    return g_input.focus;
}

HWND WINAPI SetActiveWindow(HWND hwnd) {
    HWND old = g_input.active;
    if (hwnd && !platform::window_or_error(hwnd))
        return nullptr;
    set_active(hwnd ? platform::root_window(hwnd) : nullptr);
    return old;
}

HWND WINAPI GetActiveWindow() {
    return g_input.active;
}

BOOL WINAPI SetForegroundWindow(HWND hwnd) {
    if (!platform::window_or_error(hwnd))
        return FALSE;
    set_active(platform::root_window(hwnd));
    return TRUE;
}

HWND WINAPI GetForegroundWindow() {
    return g_input.active;
}

HWND WINAPI SetCapture(HWND hwnd) {
    HWND old = g_input.capture;
    if (!platform::window_or_error(hwnd))
        return nullptr;
    if (old == hwnd)
        return old;
    g_input.capture = hwnd;
    platform::display_driver().capture_set(hwnd);
    if (find_window(old))
        SendMessageA(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    return old;
}

HWND WINAPI GetCapture() {
    return g_input.capture;
}

BOOL WINAPI ReleaseCapture() {
    HWND old = g_input.capture;
    g_input.capture = nullptr;
    if (old)
        platform::display_driver().capture_released(old);
    if (find_window(old))
        SendMessageA(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

namespace platform {

void activate_for_click(HWND hwnd) {
    HWND root = root_window(hwnd);
    if (root && g_input.active != root && IsWindowEnabled(root))
        set_active(root);
}

} // namespace platform
