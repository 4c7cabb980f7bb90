// A window's device contexts: GetDC, GetWindowDC, BeginPaint and their release, each a DC of
// GDI's on the window's part of its top-level window's surface, clipped as Windows clips it.
// What a released DC could have drawn is presented at the next flush.
#include "paint.h"
#include "window.h"
#include "window_class.h"

#include "platform/gdi/dc.h"

using platform::find_window;
using platform::Window;
using platform::gdi::Region;

namespace platform {

namespace {

RECT window_on_screen(const Window& w) {
    RECT r = w.rect;
    if (const Window* parent = find_window(w.parent)) {
        RECT pc = client_rect_on_screen(*parent);
        OffsetRect(&r, pc.left, pc.top);
    }
    return r;
}

RECT area_on_screen(const Window& w, bool client) {
    return client ? client_rect_on_screen(w) : window_on_screen(w);
}

// Takes away the shown siblings listed before `w` (above it: topmost first).
void clip_siblings_above(Region& region, const Window& w, const Window& parent, POINT top) {
    for (HWND s : parent.children) {
        if (s == w.handle)
            return;
        const Window* sibling = find_window(s);
        if (!sibling || !(sibling->style & WS_VISIBLE))
            continue;
        RECT r = window_on_screen(*sibling);
        OffsetRect(&r, -top.x, -top.y);
        region.subtract(r);
    }
}

} // namespace

POINT surface_origin(const Window& w, bool client) {
    const Window* top = find_window(root_window(w.handle));
    RECT area = area_on_screen(w, client);
    return top ? POINT{area.left - top->rect.left, area.top - top->rect.top} : POINT{};
}

Region visible_region(const Window& w, bool client) {
    const Window* top = find_window(root_window(w.handle));
    if (!top || !(w.style & WS_VISIBLE))
        return {};
    POINT corner{top->rect.left, top->rect.top};
    auto on_surface = [corner](RECT r) {
        OffsetRect(&r, -corner.x, -corner.y);
        return r;
    };
    Region region(on_surface(area_on_screen(w, client)));
    if (client && (w.style & WS_CLIPCHILDREN))
        for (HWND c : w.children)
            if (const Window* child = find_window(c); child && (child->style & WS_VISIBLE))
                region.subtract(on_surface(window_on_screen(*child)));
    for (const Window* cur = &w; cur->parent;) {
        const Window* parent = find_window(cur->parent);
        if (!parent || !(parent->style & WS_VISIBLE))
            return {};
        region.intersect(on_surface(client_rect_on_screen(*parent)));
        if (cur->style & WS_CLIPSIBLINGS)
            clip_siblings_above(region, *cur, *parent, corner);
        cur = parent;
    }
    return region;
}

namespace {

// Opens a DC on a window's client area (or whole window), further clipped to `paint`
// (client coordinates) when given.
HDC open_window_dc(Window& w, bool client, const Region* paint) {
    Window* top = find_window(root_window(w.handle));
    if (!top)
        return nullptr;
    Surface& surface = window_surface(*top);
    POINT origin = surface_origin(w, client);
    Region visible = visible_region(w, client);
    visible.offset(-origin.x, -origin.y);
    if (paint)
        visible.intersect(*paint);
    gdi::PixelTarget target{surface.pixels.data(), surface.size.cx, surface.size.cy, false};
    HDC dc = gdi::open_dc(w.handle, target, origin, visible, top->surface);
    if (!dc)
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return dc;
}

// Closes a window's DC; what it could reach of the window's surface is presented at the
// next flush. False when `hdc` is no open window DC.
bool release_window_dc(HDC hdc) {
    auto dc = gdi::find_dc(hdc);
    if (!dc || dc->memory)
        return false;
    if (Window* w = find_window(dc->window))
        if (Window* top = find_window(root_window(w->handle)); top && top->surface == dc->keep)
            surface_drawn(*top, dc->drawable().bounds());
    return gdi::close_dc(hdc);
}

} // namespace

void erase_now(HWND hwnd) {
    Window* w = find_window(hwnd);
    if (!w || !w->erase_pending)
        return;
    w->erase_pending = false;
    Region area = w->update;
    HDC dc = open_window_dc(*w, true, &area);
    if (!dc)
        return;
    SendMessageA(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    release_window_dc(dc);
}

} // namespace platform

HDC WINAPI GetDC(HWND hwnd) {
    // The screen's DC draws nowhere: each window draws on its own surface. It answers
    // GetDeviceCaps and measures text as any DC does.
    if (!hwnd)
        return platform::gdi::open_dc(nullptr, {}, {}, Region());
    Window* w = platform::window_or_error(hwnd);
    return w ? platform::open_window_dc(*w, true, nullptr) : nullptr;
}

HDC WINAPI GetWindowDC(HWND hwnd) {
    if (!hwnd)
        return GetDC(nullptr);
    Window* w = platform::window_or_error(hwnd);
    return w ? platform::open_window_dc(*w, false, nullptr) : nullptr;
}

int WINAPI ReleaseDC(HWND, HDC hdc) {
    return platform::release_window_dc(hdc) ? 1 : 0;
}

HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT ps) {
    Window* w = platform::window_or_error(hwnd);
    if (!w || !ps) {
        if (w)
            SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (w->frame_pending) {
        w->frame_pending = false;
        SendMessageA(hwnd, WM_NCPAINT, 1, 0);
        if (!(w = find_window(hwnd)))
            return nullptr;
    }
    // Windows validates the whole update region here, before the erase.
    Region paint = w->update;
    bool erase = w->erase_pending;
    platform::set_update(*w, Region());
    HDC dc = platform::open_window_dc(*w, true, &paint);
    *ps = PAINTSTRUCT{};
    ps->hdc = dc;
    ps->rcPaint = paint.bounds();
    if (dc && erase)
        ps->fErase = !SendMessageA(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    return dc;
}

BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT* ps) {
    if (ps && ps->hdc)
        platform::release_window_dc(ps->hdc);
    return TRUE;
}
