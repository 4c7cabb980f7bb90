// Showing, moving and stacking windows. Every change goes through SetWindowPos, which
// sends WM_WINDOWPOSCHANGING with the real WINDOWPOS record and honours what the handler
// changed in it: Windows sends it for ShowWindow too.
#include "paint.h"
#include "window.h"

#include <algorithm>

using platform::find_window;
using platform::Window;
using platform::window_or_error;

namespace platform {
void activate_window(HWND hwnd); // focus.cpp
void window_hidden(HWND hwnd);   // focus.cpp
} // namespace platform

namespace {

// Screen position of a window's rectangle origin's coordinate system (its parent's client).
POINT parent_client_origin(const Window& w) {
    if (Window* p = find_window(w.parent)) {
        RECT pc = platform::client_rect_on_screen(*p);
        return POINT{pc.left, pc.top};
    }
    return POINT{0, 0};
}

} // namespace

BOOL WINAPI SetWindowPos(HWND hwnd, HWND insert_after, int x, int y, int cx, int cy, UINT flags) {
    Window* w = window_or_error(hwnd);
    if (!w)
        return FALSE;
    platform::WindowBatch batch;
    WINDOWPOS wp{hwnd, insert_after, x, y, cx, cy, flags};
    // Requests that change nothing are dropped before the window hears of them.
    if (w->style & WS_VISIBLE)
        wp.flags &= ~SWP_SHOWWINDOW;
    else
        wp.flags &= ~SWP_HIDEWINDOW;
    if (!(wp.flags & SWP_NOSIZE) && cx == w->rect.right - w->rect.left &&
        cy == w->rect.bottom - w->rect.top)
        wp.flags |= SWP_NOSIZE;
    if (!(wp.flags & SWP_NOMOVE) && x == w->rect.left && y == w->rect.top)
        wp.flags |= SWP_NOMOVE;
    if (w->style & WS_CHILD)
        wp.flags |= SWP_NOACTIVATE;

    if (!(wp.flags & SWP_NOSENDCHANGING)) {
        SendMessageA(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&wp));
        w = find_window(hwnd);
        if (!w)
            return FALSE;
    }

    RECT old = w->rect;
    bool was_shown = (w->style & WS_VISIBLE) != 0;
    if (!(wp.flags & SWP_NOMOVE))
        OffsetRect(&w->rect, wp.x - w->rect.left, wp.y - w->rect.top);
    if (!(wp.flags & SWP_NOSIZE)) {
        w->rect.right = w->rect.left + std::max(wp.cx, 0);
        w->rect.bottom = w->rect.top + std::max(wp.cy, 0);
    }
    if (!(wp.flags & SWP_NOZORDER))
        platform::reorder_window(*w, wp.hwndInsertAfter);
    if (wp.flags & SWP_SHOWWINDOW) {
        w->style |= WS_VISIBLE;
        InvalidateRect(hwnd, nullptr, TRUE);
    } else if (wp.flags & SWP_HIDEWINDOW) {
        w->style &= ~WS_VISIBLE;
        platform::window_hidden(hwnd);
    } else if (!EqualRect(&old, &w->rect) && !(wp.flags & SWP_NOREDRAW)) {
        InvalidateRect(hwnd, nullptr, TRUE);
    }
    // A child that leaves a place shows its parent there again.
    bool moved = !EqualRect(&old, &w->rect);
    if (w->parent && was_shown && (wp.flags & SWP_HIDEWINDOW || moved) &&
        !(wp.flags & SWP_NOREDRAW) && find_window(w->parent))
        InvalidateRect(w->parent, &old, TRUE);
    if ((wp.flags & (SWP_SHOWWINDOW | SWP_FRAMECHANGED)) || (moved && !(wp.flags & SWP_NOSIZE)))
        platform::frame_changed(hwnd);
    if (!(wp.flags & SWP_NOACTIVATE) && (w->style & WS_VISIBLE) && !(w->style & WS_CHILD))
        platform::activate_window(hwnd);

    if (find_window(hwnd)) {
        WINDOWPOS done = wp;
        done.x = w->rect.left;
        done.y = w->rect.top;
        done.cx = w->rect.right - w->rect.left;
        done.cy = w->rect.bottom - w->rect.top;
        platform::window_changed(hwnd, platform::kChangePlace);
        SendMessageA(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&done));
    }
    return TRUE;
}

BOOL WINAPI ShowWindow(HWND hwnd, int cmd) {
    Window* w = window_or_error(hwnd);
    if (!w)
        return FALSE;
    bool was_visible = (w->style & WS_VISIBLE) != 0;
    UINT swp = 0;
    bool is_child = (w->style & WS_CHILD) != 0;
    switch (cmd) {
    case SW_HIDE:
        if (!was_visible)
            return FALSE;
        swp = SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE;
        if (is_child || GetActiveWindow() != hwnd)
            swp |= SWP_NOACTIVATE | SWP_NOZORDER;
        break;
    case SW_SHOWNA:
    case SW_SHOWNOACTIVATE:
    case SW_SHOWMINNOACTIVE:
        swp = SWP_NOACTIVATE;
        [[fallthrough]];
    case SW_SHOW:
    case SW_SHOWNORMAL:
    case SW_SHOWDEFAULT:
    case SW_RESTORE:
    case SW_SHOWMAXIMIZED:
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE: {
        bool minimize = cmd == SW_SHOWMINIMIZED || cmd == SW_MINIMIZE || cmd == SW_SHOWMINNOACTIVE;
        bool restore = cmd == SW_SHOWNORMAL || cmd == SW_RESTORE || cmd == SW_SHOWDEFAULT ||
                       cmd == SW_SHOWNOACTIVATE;
        bool state_change = (minimize && !(w->style & WS_MINIMIZE)) ||
                            (restore && (w->style & (WS_MINIMIZE | WS_MAXIMIZE)));
        if (minimize)
            w->style |= WS_MINIMIZE;
        else if (restore)
            w->style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
        if (was_visible && !state_change)
            return TRUE;
        swp |= SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE;
        if (state_change)
            swp |= SWP_FRAMECHANGED;
        if (is_child)
            swp |= SWP_NOACTIVATE | SWP_NOZORDER;
        if (minimize)
            swp |= SWP_NOACTIVATE;
        break;
    }
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    bool show = cmd != SW_HIDE;
    if (show != was_visible) {
        SendMessageA(hwnd, WM_SHOWWINDOW, show, 0);
        if (!find_window(hwnd))
            return was_visible;
    }
    SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, swp);
    return was_visible;
}

BOOL WINAPI IsWindowVisible(HWND hwnd) {
    auto v = platform::view_of(hwnd);
    if (!v)
        return FALSE;
    for (; v; v = v->parent ? platform::view_of(v->parent) : std::nullopt)
        if (!(v->style & WS_VISIBLE))
            return FALSE;
    return TRUE;
}

BOOL WINAPI IsIconic(HWND hwnd) {
    Window* w = find_window(hwnd);
    return w && (w->style & WS_MINIMIZE);
}

BOOL WINAPI MoveWindow(HWND hwnd, int x, int y, int cx, int cy, BOOL repaint) {
    return SetWindowPos(hwnd, nullptr, x, y, cx, cy,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL WINAPI GetWindowRect(HWND hwnd, LPRECT rect) {
    Window* w = window_or_error(hwnd);
    if (!w || !rect)
        return FALSE;
    POINT o = parent_client_origin(*w);
    *rect = w->rect;
    OffsetRect(rect, o.x, o.y);
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND hwnd, LPRECT rect) {
    Window* w = window_or_error(hwnd);
    if (!w || !rect)
        return FALSE;
    RECT c = platform::client_rect_on_screen(*w);
    *rect = RECT{0, 0, c.right - c.left, c.bottom - c.top};
    return TRUE;
}

BOOL WINAPI ClientToScreen(HWND hwnd, LPPOINT pt) {
    Window* w = window_or_error(hwnd);
    if (!w || !pt)
        return FALSE;
    RECT c = platform::client_rect_on_screen(*w);
    pt->x += c.left;
    pt->y += c.top;
    return TRUE;
}

BOOL WINAPI ScreenToClient(HWND hwnd, LPPOINT pt) {
    Window* w = window_or_error(hwnd);
    if (!w || !pt)
        return FALSE;
    RECT c = platform::client_rect_on_screen(*w);
    pt->x -= c.left;
    pt->y -= c.top;
    return TRUE;
}

int WINAPI MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
    POINT origin_from{0, 0}, origin_to{0, 0};
    if (from && !ClientToScreen(from, &origin_from))
        return 0;
    if (to && !ClientToScreen(to, &origin_to))
        return 0;
    int dx = origin_from.x - origin_to.x;
    int dy = origin_from.y - origin_to.y;
    for (UINT i = 0; i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}
