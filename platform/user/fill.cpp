// Rectangles drawn by USER with a brush: filled, framed, inverted, and the focus rectangle.
#include "platform/gdi/raster.h"

#include <windows.h>

using namespace platform::gdi;

namespace {

// A brush handle, or a system colour index + 1 in its place, as FillRect accepts.
std::optional<COLORREF> colour_of(const DeviceContext& dc, HBRUSH hbr) {
    uintptr_t value = reinterpret_cast<uintptr_t>(hbr);
    if (value >= 1 && value <= COLOR_GRADIENTINACTIVECAPTION + 1)
        hbr = GetSysColorBrush(static_cast<int>(value - 1));
    auto brush = find<Brush>(hbr);
    return brush ? dc.brush_color(brush.get()) : std::nullopt;
}

} // namespace

int WINAPI FillRect(HDC hdc, const RECT* rect, HBRUSH hbr) {
    auto dc = find_dc(hdc);
    if (!dc || !rect)
        return FALSE;
    if (auto colour = colour_of(*dc, hbr))
        fill_rect(*dc, *rect, *colour);
    return TRUE;
}

int WINAPI FrameRect(HDC hdc, const RECT* r, HBRUSH hbr) {
    auto dc = find_dc(hdc);
    if (!dc || !r)
        return FALSE;
    if (r->right <= r->left || r->bottom <= r->top)
        return TRUE;
    auto colour = colour_of(*dc, hbr);
    if (!colour)
        return TRUE;
    fill_rect(*dc, RECT{r->left, r->top, r->right, r->top + 1}, *colour);
    fill_rect(*dc, RECT{r->left, r->bottom - 1, r->right, r->bottom}, *colour);
    fill_rect(*dc, RECT{r->left, r->top + 1, r->left + 1, r->bottom - 1}, *colour);
    fill_rect(*dc, RECT{r->right - 1, r->top + 1, r->right, r->bottom - 1}, *colour);
    return TRUE;
}

BOOL WINAPI InvertRect(HDC hdc, const RECT* rect) {
    auto dc = find_dc(hdc);
    if (!dc || !rect)
        return FALSE;
    fill_rect(*dc, *rect, 0, 0x55); // DSTINVERT
    return TRUE;
}

BOOL WINAPI DrawFocusRect(HDC hdc, const RECT* r) {
    auto dc = find_dc(hdc);
    if (!dc || !r)
        return FALSE;
    // Every other pixel of the border inverted, on a checkerboard fixed to the DC, so a
    // second call takes it away again.
    auto dot = [&](LONG x, LONG y) {
        if (((x + y) & 1) == 0)
            fill_rect(*dc, RECT{x, y, x + 1, y + 1}, 0, 0x55);
    };
    for (LONG x = r->left; x < r->right; ++x) {
        dot(x, r->top);
        if (r->bottom - 1 > r->top)
            dot(x, r->bottom - 1);
    }
    for (LONG y = r->top + 1; y < r->bottom - 1; ++y) {
        dot(r->left, y);
        if (r->right - 1 > r->left)
            dot(r->right - 1, y);
    }
    return TRUE;
}
