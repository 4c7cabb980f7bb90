// Update regions: what of a window waits for WM_PAINT, and when it comes. Each window keeps
// its invalid area as a region in client coordinates, so that validating a part leaves the
// rest to be painted, as on Windows.
#include "paint.h"
#include "window.h"

#include "platform/gdi/objects.h"
#include "platform/kernel/trace.h"

using platform::find_window;
using platform::Window;
using platform::gdi::Region;

namespace {

RECT client_bounds(HWND hwnd) {
    RECT client{};
    GetClientRect(hwnd, &client);
    return client;
}

} // namespace

namespace platform {

namespace {

// Where a child's client area lies in its parent's client coordinates.
POINT child_client_origin(const Window& child) {
    RECT in = frame_insets(child.style, child.ex_style);
    return POINT{child.rect.left + in.left, child.rect.top + in.top};
}

} // namespace

void set_update(Window& w, Region update) {
    w.update = std::move(update);
    bool was = w.needs_paint;
    w.needs_paint = !w.update.empty() || w.frame_pending;
    if (w.update.empty())
        w.erase_pending = false;
    // The first picture of a window waits for its first paint (see present_surface).
    if (was && !w.needs_paint)
        if (Window* top = find_window(root_window(w.handle));
            top && !(top->surface && top->surface->shared.shared()))
            window_changed(top->handle, kChangePixels);
}

void invalidate(Window& w, const Region& area, UINT flags) {
    Region in_client = area;
    in_client.intersect(client_bounds(w.handle));
    if (flags & RDW_INVALIDATE) {
        if (!in_client.empty()) {
            Region update = w.update;
            set_update(w, std::move(update.unite(in_client)));
            if (flags & RDW_ERASE)
                w.erase_pending = true;
        }
    } else if (flags & RDW_VALIDATE) {
        Region update = w.update;
        set_update(w, std::move(update.subtract(in_client)));
    }
    if (flags & RDW_NOERASE)
        w.erase_pending = false;
    // Children share the area unless the parent clips them out of its own painting.
    bool children =
        (flags & RDW_ALLCHILDREN) || (!(flags & RDW_NOCHILDREN) && !(w.style & WS_CLIPCHILDREN));
    if (!children)
        return;
    for (HWND c : std::vector<HWND>(w.children)) {
        Window* child = find_window(c);
        if (!child || !(child->style & WS_VISIBLE))
            continue;
        Region in_child = in_client;
        in_child.intersect(child->rect);
        if (in_child.empty())
            continue;
        POINT origin = child_client_origin(*child);
        invalidate(*child, in_child.offset(-origin.x, -origin.y), flags);
    }
}

void finish_paint(HWND hwnd) {
    Window* w = find_window(hwnd);
    if (!w || !w->needs_paint)
        return;
    if (w->frame_pending) {
        w->frame_pending = false;
        SendMessageA(hwnd, WM_NCPAINT, 1, 0);
    }
    if (Window* again = find_window(hwnd))
        set_update(*again, Region());
}

void frame_changed(HWND hwnd) {
    Window* w = find_window(hwnd);
    RECT in = w ? frame_insets(w->style, w->ex_style) : RECT{};
    if (!w || (!in.left && !in.top && !in.right && !in.bottom))
        return;
    w->frame_pending = true;
    w->needs_paint = true;
}

// Sends WM_PAINT to a window, and to its children when asked, parents first.
void paint_now(HWND hwnd, bool children) {
    Window* w = find_window(hwnd);
    if (!w || !IsWindowVisible(hwnd))
        return;
    if (w->needs_paint) {
        SendMessageA(hwnd, WM_PAINT, 0, 0);
        finish_paint(hwnd);
    }
    if (Window* again = find_window(hwnd); again && children)
        for (HWND c : std::vector<HWND>(again->children))
            paint_now(c, true);
}

} // namespace platform

using platform::invalidate;

namespace {

BOOL invalidate_all(const RECT* rect, UINT flags) {
    for (HWND h : platform::top_level_windows())
        if (Window* w = find_window(h))
            invalidate(*w, rect ? Region(*rect) : Region(client_bounds(h)), flags);
    return TRUE;
}

Region area_of(HWND hwnd, const RECT* rect) {
    return rect ? Region(*rect) : Region(client_bounds(hwnd));
}

// The region behind a handle, or none (ERROR_INVALID_HANDLE) for a bad handle.
std::shared_ptr<platform::gdi::RegionObject> region_or_error(HRGN rgn) {
    auto r = platform::gdi::find<platform::gdi::RegionObject>(reinterpret_cast<HGDIOBJ>(rgn));
    if (!r)
        SetLastError(ERROR_INVALID_HANDLE);
    return r;
}

} // namespace

BOOL WINAPI InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
    UINT flags = RDW_INVALIDATE | (erase ? RDW_ERASE : 0);
    if (!hwnd)
        return invalidate_all(rect, flags);
    Window* w = platform::window_or_error(hwnd);
    if (!w)
        return FALSE;
    invalidate(*w, area_of(hwnd, rect), flags);
    return TRUE;
}

BOOL WINAPI InvalidateRgn(HWND hwnd, HRGN rgn, BOOL erase) {
    Window* w = platform::window_or_error(hwnd);
    if (!w)
        return FALSE;
    auto region = rgn ? region_or_error(rgn) : nullptr;
    if (rgn && !region)
        return FALSE;
    invalidate(*w, region ? region->region : area_of(hwnd, nullptr),
               RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
    return TRUE;
}

BOOL WINAPI ValidateRect(HWND hwnd, const RECT* rect) {
    Window* w = platform::window_or_error(hwnd);
    if (!w)
        return FALSE;
    invalidate(*w, area_of(hwnd, rect), RDW_VALIDATE | RDW_NOCHILDREN);
    return TRUE;
}

BOOL WINAPI ValidateRgn(HWND hwnd, HRGN rgn) {
    Window* w = platform::window_or_error(hwnd);
    if (!w)
        return FALSE;
    auto region = rgn ? region_or_error(rgn) : nullptr;
    if (rgn && !region)
        return FALSE;
    invalidate(*w, region ? region->region : area_of(hwnd, nullptr), RDW_VALIDATE | RDW_NOCHILDREN);
    return TRUE;
}

BOOL WINAPI GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase) {
    Window* w = platform::window_or_error(hwnd);
    if (!w)
        return FALSE;
    if (rect)
        *rect = w->update.bounds();
    if (erase && w->needs_paint && w->erase_pending)
        platform::erase_now(hwnd);
    return w->needs_paint;
}

int WINAPI GetUpdateRgn(HWND hwnd, HRGN rgn, BOOL erase) {
    Window* w = platform::window_or_error(hwnd);
    if (!w)
        return ERROR;
    auto region = region_or_error(rgn);
    if (!region)
        return ERROR;
    region->region = w->update;
    if (erase && w->needs_paint && w->erase_pending)
        platform::erase_now(hwnd);
    const Region& r = region->region;
    return r.empty() ? NULLREGION : r.rects().size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

BOOL WINAPI UpdateWindow(HWND hwnd) {
    if (!platform::window_or_error(hwnd))
        return FALSE;
    platform::paint_now(hwnd, true);
    return TRUE;
}

BOOL WINAPI RedrawWindow(HWND hwnd, const RECT* rect, HRGN rgn, UINT flags) {
    if (UINT other = flags & ~UINT{RDW_INVALIDATE | RDW_ERASE | RDW_VALIDATE | RDW_NOERASE |
                                   RDW_ALLCHILDREN | RDW_NOCHILDREN | RDW_UPDATENOW | RDW_ERASENOW |
                                   RDW_FRAME | RDW_NOFRAME})
        platform::fixme(platform::TraceChannel::user, "RedrawWindow: flags 0x%x", other);
    if (!hwnd) { // the desktop: every top-level window of this process
        for (HWND h : std::vector<HWND>(platform::top_level_windows()))
            if (find_window(h))
                RedrawWindow(h, nullptr, nullptr, flags);
        return TRUE;
    }
    Window* w = platform::window_or_error(hwnd);
    if (!w)
        return FALSE;
    auto region = rgn ? region_or_error(rgn) : nullptr;
    if (rgn && !region)
        return FALSE;
    Region area = region ? region->region : area_of(hwnd, rect);
    if (flags & (RDW_INVALIDATE | RDW_VALIDATE | RDW_NOERASE))
        invalidate(*w, area, flags);
    if ((flags & RDW_FRAME) && (flags & RDW_INVALIDATE))
        platform::frame_changed(hwnd);
    // RDW_ERASENOW paints too: the erase and the paint come from one BeginPaint here.
    if (flags & (RDW_UPDATENOW | RDW_ERASENOW))
        platform::paint_now(hwnd, !(flags & RDW_NOCHILDREN));
    return TRUE;
}
