#include "screen.h"

#include "platform/desktop/desktop.h"
#include "platform/shell/tray_table.h"
#include "platform/user/window.h"

#include <algorithm>

namespace deskctl {

namespace {

using platform::Picture;

void fill(Picture& to, RECT r, uint32_t color) {
    r.left = std::max(r.left, LONG{0});
    r.top = std::max(r.top, LONG{0});
    r.right = std::min(r.right, to.size.cx);
    r.bottom = std::min(r.bottom, to.size.cy);
    for (LONG y = r.top; y < r.bottom; ++y)
        std::fill_n(to.pixels.begin() + static_cast<ptrdiff_t>(y) * to.size.cx + r.left,
                    std::max(r.right - r.left, LONG{0}), color);
}

// Copies `from` with its top left at `at`; with `alpha`, blends by the top byte (straight
// alpha, as tray pictures are).
void draw(Picture& to, const Picture& from, POINT at, bool alpha) {
    for (LONG y = 0; y < from.size.cy; ++y) {
        LONG ty = at.y + y;
        if (ty < 0 || ty >= to.size.cy)
            continue;
        for (LONG x = 0; x < from.size.cx; ++x) {
            LONG tx = at.x + x;
            if (tx < 0 || tx >= to.size.cx)
                continue;
            uint32_t s = from.pixel(x, y);
            uint32_t& d = to.pixels[static_cast<size_t>(ty) * to.size.cx + tx];
            if (!alpha) {
                d = s & 0xFFFFFF;
                continue;
            }
            uint32_t a = s >> 24, out = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                uint32_t sc = (s >> shift) & 0xFF, dc = (d >> shift) & 0xFF;
                out |= ((sc * a + dc * (255 - a) + 127) / 255) << shift;
            }
            d = out;
        }
    }
}

// A picture brought to `side` x `side` by averaging the pixels each target pixel covers,
// weighted by their alpha, as a panel shows a large icon in a small place.
Picture scaled(const Picture& from, int side) {
    if (from.size.cx == side && from.size.cy == side)
        return from;
    Picture to;
    to.size = {side, side};
    to.pixels.resize(static_cast<size_t>(side) * side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            LONG x0 = x * from.size.cx / side, x1 = std::max((x + 1) * from.size.cx / side, x0 + 1);
            LONG y0 = y * from.size.cy / side, y1 = std::max((y + 1) * from.size.cy / side, y0 + 1);
            uint64_t sum[4] = {}, count = 0;
            for (LONG sy = y0; sy < y1 && sy < from.size.cy; ++sy)
                for (LONG sx = x0; sx < x1 && sx < from.size.cx; ++sx, ++count) {
                    uint32_t p = from.pixel(sx, sy), a = p >> 24;
                    for (int c = 0; c < 3; ++c)
                        sum[c] += ((p >> (8 * c)) & 0xFF) * a;
                    sum[3] += a;
                }
            uint32_t out = count ? static_cast<uint32_t>(sum[3] / count) << 24 : 0;
            for (int c = 0; c < 3 && sum[3]; ++c)
                out |= static_cast<uint32_t>(sum[c] / sum[3]) << (8 * c);
            to.pixels[static_cast<size_t>(y) * side + x] = out;
        }
    return to;
}

// A classic sunken or raised edge of one pixel.
void edge(Picture& to, const RECT& r, uint32_t top_left, uint32_t bottom_right) {
    fill(to, {r.left, r.top, r.right, r.top + 1}, top_left);
    fill(to, {r.left, r.top, r.left + 1, r.bottom}, top_left);
    fill(to, {r.left, r.bottom - 1, r.right, r.bottom}, bottom_right);
    fill(to, {r.right - 1, r.top, r.right, r.bottom}, bottom_right);
}

// The taskbar along the bottom, in front of every window as Windows keeps it, with the
// notification area at its right end: one 16 x 16 place per icon, in the order of adding.
void draw_taskbar(Picture& screen) {
    constexpr uint32_t face = 0xC0C0C0, light = 0xFFFFFF, shadow = 0x808080;
    constexpr int icon = 16, gap = 4;
    LONG top = screen.size.cy - kTaskbarHeight;
    fill(screen, {0, top, screen.size.cx, screen.size.cy}, face);
    fill(screen, {0, top + 1, screen.size.cx, top + 2}, light);
    std::vector<platform::TrayEntry> icons = platform::read_tray();
    LONG width = static_cast<LONG>(icons.size()) * (icon + gap) + gap + 2;
    RECT area{screen.size.cx - 2 - width, top + 4, screen.size.cx - 2, screen.size.cy - 2};
    edge(screen, area, shadow, light);
    LONG x = area.left + 1 + gap;
    for (const platform::TrayEntry& e : icons) {
        POINT at{x, area.top + (area.bottom - area.top - icon) / 2};
        if (auto picture = platform::read_picture(platform::tray_picture_name(e.owner, e.id)))
            draw(screen, scaled(*picture, icon), at, true);
        x += icon + gap;
    }
}

} // namespace

Picture compose_screen() {
    Picture screen;
    screen.size = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    screen.pixels.assign(static_cast<size_t>(screen.size.cx) * screen.size.cy, kDesktopColor);
    std::vector<platform::DesktopWindow> windows = platform::desktop_top_level();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if (!(it->style & WS_VISIBLE) || (it->style & WS_MINIMIZE))
            continue;
        if (auto picture = platform::read_picture(platform::surface_name(it->handle)))
            draw(screen, *picture, {it->rect.left, it->rect.top}, false);
    }
    draw_taskbar(screen);
    return screen;
}

std::optional<Picture> window_picture(HWND hwnd) {
    // A child's rectangle is in its parent's client area: up to the top-level window, whose
    // surface starts at its own corner.
    auto w = platform::desktop_window(hwnd);
    if (!w)
        return std::nullopt;
    RECT part = w->rect;
    for (int depth = 0; w->parent && depth < 64; ++depth) {
        if (!(w = platform::desktop_window(w->parent)))
            return std::nullopt;
        RECT in = platform::frame_insets(w->style, w->ex_style);
        OffsetRect(&part, in.left + (w->parent ? w->rect.left : 0),
                   in.top + (w->parent ? w->rect.top : 0));
    }
    auto surface = platform::read_picture(platform::surface_name(w->handle));
    if (!surface || w->handle == hwnd)
        return surface;
    Picture p;
    p.size = {std::max(part.right - part.left, LONG{0}), std::max(part.bottom - part.top, LONG{0})};
    p.pixels.assign(static_cast<size_t>(p.size.cx) * p.size.cy, 0);
    draw(p, *surface, {-part.left, -part.top}, false);
    return p;
}

} // namespace deskctl
