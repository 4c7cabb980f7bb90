// Lines and rectangles drawn with the DC's pen and brush, through its binary raster operation.
#include "raster.h"

#include <windows.h>

#include <cstdlib>

using namespace platform::gdi;

namespace {

// A pen's dot (width x width, centred on the point), as a pen of width 1 is one pixel.
void plot(const DeviceContext& dc, int x, int y, int width, COLORREF color, uint8_t code) {
    int lo = (width - 1) / 2;
    fill_rect(dc, RECT{x - lo, y - lo, x - lo + width, y - lo + width}, color, code);
}

} // namespace

BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT previous) {
    auto dc = find_dc(hdc);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (previous)
        *previous = dc->state.position;
    dc->state.position = POINT{x, y};
    return TRUE;
}

BOOL WINAPI LineTo(HDC hdc, int x, int y) {
    auto dc = find_dc(hdc);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    POINT from = dc->state.position;
    dc->state.position = POINT{x, y};
    const Pen* pen = dc->state.pen.as<Pen>();
    auto color = dc->pen_color(pen);
    if (!color)
        return TRUE;
    uint8_t code = rop3_of_rop2(dc->state.rop2);
    // Bresenham's line, without its last point, as Windows draws it; a dotted pen draws
    // every other pixel.
    int dx = std::abs(x - from.x), sx = from.x < x ? 1 : -1;
    int dy = -std::abs(y - from.y), sy = from.y < y ? 1 : -1;
    int err = dx + dy;
    int px = from.x, py = from.y;
    for (int n = 0; px != x || py != y; ++n) {
        if (pen->style != PS_DOT || n % 2 == 0)
            plot(*dc, px, py, pen->width, *color, code);
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            px += sx;
        }
        if (e2 <= dx) {
            err += dx;
            py += sy;
        }
    }
    return TRUE;
}

BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    auto dc = find_dc(hdc);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    const Pen* pen = dc->state.pen.as<Pen>();
    auto pen_color = dc->pen_color(pen);
    auto brush_color = dc->brush_color(dc->state.brush.as<Brush>());
    uint8_t code = rop3_of_rop2(dc->state.rop2);
    // Without a pen, Windows fills one pixel less to the right and below.
    if (!pen_color) {
        if (brush_color)
            fill_rect(*dc, RECT{left, top, right - 1, bottom - 1}, *brush_color, code);
        return TRUE;
    }
    int w = std::min({pen->width, (right - left + 1) / 2, (bottom - top + 1) / 2});
    if (brush_color)
        fill_rect(*dc, RECT{left + w, top + w, right - w, bottom - w}, *brush_color, code);
    // The frame lies inside the rectangle: top, bottom, then the sides between them.
    fill_rect(*dc, RECT{left, top, right, top + w}, *pen_color, code);
    fill_rect(*dc, RECT{left, bottom - w, right, bottom}, *pen_color, code);
    fill_rect(*dc, RECT{left, top + w, left + w, bottom - w}, *pen_color, code);
    fill_rect(*dc, RECT{right - w, top + w, right, bottom - w}, *pen_color, code);
    return TRUE;
}
