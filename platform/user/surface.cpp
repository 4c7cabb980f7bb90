#include "surface.h"
#include "window.h"

#include "platform/drivers/display.h"

#include <algorithm>
#include <memory>

namespace platform {

namespace {

SIZE size_of(const RECT& r) {
    return {std::max(r.right - r.left, LONG{0}), std::max(r.bottom - r.top, LONG{0})};
}

// Whether a shown window or one of its shown children still waits for WM_PAINT.
bool paint_pending(const Window& w) {
    if (!(w.style & WS_VISIBLE))
        return false;
    if (w.needs_paint)
        return true;
    return std::any_of(w.children.begin(), w.children.end(), [](HWND c) {
        const Window* child = find_window(c);
        return child && paint_pending(*child);
    });
}

} // namespace

Surface& window_surface(Window& top) {
    SIZE size = size_of(top.rect);
    if (top.surface && size.cx == top.surface->size.cx && size.cy == top.surface->size.cy)
        return *top.surface;
    // A new surface: a device context still open on the old one keeps drawing there.
    auto s = std::make_shared<Surface>();
    s->size = size;
    s->pixels.resize(static_cast<size_t>(size.cx) * size.cy);
    s->dirty = RECT{0, 0, size.cx, size.cy};
    if (const Surface* old = top.surface.get()) {
        LONG keep_x = std::min(size.cx, old->size.cx), keep_y = std::min(size.cy, old->size.cy);
        for (LONG y = 0; y < keep_y; ++y)
            std::copy_n(old->pixels.begin() + static_cast<ptrdiff_t>(y) * old->size.cx, keep_x,
                        s->pixels.begin() + static_cast<ptrdiff_t>(y) * size.cx);
        if (old->shared.shared())
            s->shared.create(surface_name(top.handle), size, s->pixels);
    }
    top.surface = std::move(s);
    return *top.surface;
}

void surface_drawn(Window& top, const RECT& area) {
    Surface& s = window_surface(top);
    RECT bounds{0, 0, s.size.cx, s.size.cy}, drawn;
    if (!IntersectRect(&drawn, &area, &bounds))
        return;
    UnionRect(&s.dirty, &s.dirty, &drawn);
    window_changed(top.handle, kChangePixels);
}

void present_surface(Window& top, DisplayDriver& driver) {
    Surface& s = window_surface(top);
    if (!s.shared.shared()) {
        if (paint_pending(top) || !(top.style & WS_VISIBLE))
            return;
        s.shared.create(surface_name(top.handle), s.size, s.pixels);
        s.dirty = RECT{0, 0, s.size.cx, s.size.cy}; // the driver, too, gets it whole
    }
    if (IsRectEmpty(&s.dirty))
        return;
    s.shared.update(s.pixels, std::span<const RECT>(&s.dirty, 1));
    driver.surface_presented(top.handle, WindowSurface{s.size, s.pixels, s.dirty});
    SetRectEmpty(&s.dirty);
}

void drop_surface(Window& top) {
    if (top.surface)
        top.surface->shared.remove();
}

} // namespace platform
