// Update regions, kept as one bounding rectangle per window. Painting itself (BeginPaint
// and the device context) belongs to GDI; here is what decides when WM_PAINT comes.
#include "window.h"

using platform::find_window;
using platform::Window;

namespace {

void invalidate(Window& w, const RECT* rect, bool erase) {
    RECT client;
    GetClientRect(w.handle, &client);
    RECT area = client;
    if (rect && !IntersectRect(&area, rect, &client))
        return;
    if (w.needs_paint)
        UnionRect(&w.update, &w.update, &area);
    else
        w.update = area;
    w.needs_paint = !IsRectEmpty(&w.update) || IsRectEmpty(&client);
    if (IsRectEmpty(&client))
        w.needs_paint = false;
    w.erase_pending = w.erase_pending || erase;
    // Without WS_CLIPCHILDREN a parent's invalid area reaches the children under it.
    if (w.style & WS_CLIPCHILDREN)
        return;
    for (HWND c : w.children) {
        Window* child = find_window(c);
        if (!child || !(child->style & WS_VISIBLE))
            continue;
        RECT in_child;
        if (!IntersectRect(&in_child, &area, &child->rect))
            continue;
        OffsetRect(&in_child, -child->rect.left, -child->rect.top);
        invalidate(*child, &in_child, erase);
    }
}

} // namespace

BOOL WINAPI InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
    if (!hwnd) {
        for (HWND h : platform::top_level_windows())
            if (Window* w = find_window(h))
                invalidate(*w, nullptr, erase);
        return TRUE;
    }
    Window* w = platform::window_or_error(hwnd);
    if (!w)
        return FALSE;
    invalidate(*w, rect, erase);
    return TRUE;
}

BOOL WINAPI ValidateRect(HWND hwnd, const RECT* rect) {
    Window* w = platform::window_or_error(hwnd);
    if (!w)
        return FALSE;
    // One rectangle cannot hold a hole: validating part of it keeps the whole area.
    RECT inter;
    if (!rect || (IntersectRect(&inter, rect, &w->update) && EqualRect(&inter, &w->update))) {
        w->needs_paint = false;
        w->erase_pending = false;
        SetRectEmpty(&w->update);
    }
    return TRUE;
}

BOOL WINAPI GetUpdateRect(HWND hwnd, LPRECT rect, BOOL) {
    Window* w = platform::window_or_error(hwnd);
    if (!w)
        return FALSE;
    if (rect)
        *rect = w->needs_paint ? w->update : RECT{};
    return w->needs_paint;
}

BOOL WINAPI UpdateWindow(HWND hwnd) {
    Window* w = platform::window_or_error(hwnd);
    if (!w)
        return FALSE;
    for (HWND h : platform::all_windows()) {
        if (h != hwnd && !IsChild(hwnd, h))
            continue;
        Window* x = find_window(h);
        if (x && x->needs_paint && IsWindowVisible(h)) {
            SendMessageA(h, WM_PAINT, 0, 0);
            if (Window* again = find_window(h); again && again->needs_paint)
                ValidateRect(h, nullptr);
        }
    }
    return TRUE;
}
