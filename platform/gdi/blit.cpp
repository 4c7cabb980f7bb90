// Block transfers: PatBlt, BitBlt and StretchBlt through ternary raster operations.
#include "raster.h"

#include <windows.h>

#include <vector>

using namespace platform::gdi;

namespace {

// The pattern of a raster operation: the DC's brush, or none for a hollow brush.
std::optional<COLORREF> pattern_of(const DeviceContext& dc) {
    return dc.brush_color(dc.state.brush.as<Brush>());
}

// Turns source pixels into the destination's format: a monochrome source's white (1)
// becomes the destination's background colour and black (0) its text colour; on a monochrome
// destination, pixels of the source DC's background colour become white, others black.
struct Convert {
    enum class Mode { copy, from_mono, to_mono } mode = Mode::copy;
    uint32_t one = 0, zero = 0, key = 0;

    Convert(const DeviceContext& dst, const DeviceContext& src) {
        if (src.target.monochrome && !dst.target.monochrome) {
            mode = Mode::from_mono;
            one = pixel_of(dst.state.bk_color & 0xFFFFFF);
            zero = pixel_of(dst.state.text_color & 0xFFFFFF);
        } else if (!src.target.monochrome && dst.target.monochrome) {
            mode = Mode::to_mono;
            key = pixel_of(src.state.bk_color & 0xFFFFFF);
        }
    }
    uint32_t operator()(uint32_t s) const {
        switch (mode) {
        case Mode::from_mono:
            return (s & 0xFFFFFF) ? one : zero;
        case Mode::to_mono:
            return (s & 0xFFFFFF) == key ? 0xFFFFFFu : 0u;
        case Mode::copy:
            break;
        }
        return s;
    }
};

// Copies `w` x `h` source pixels (scaled to `dw` x `dh`) to the destination at (x, y).
BOOL transfer(HDC hdst, int x, int y, int dw, int dh, HDC hsrc, int sx, int sy, int sw, int sh,
              DWORD rop) {
    auto dst = find_dc(hdst);
    uint8_t code = static_cast<uint8_t>(rop >> 16);
    bool uses_source = rop_uses_source(code);
    auto src = uses_source ? find_dc(hsrc) : nullptr;
    if (!dst || (uses_source && !src)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // Mirrored transfers (negative extents) are not needed by anything here.
    if (dw <= 0 || dh <= 0 || (uses_source && (sw <= 0 || sh <= 0)))
        return dw == 0 || dh == 0;
    uint32_t p = 0;
    if (rop_uses_pattern(code)) {
        auto pattern = pattern_of(*dst);
        if (!pattern)
            return TRUE; // a hollow brush paints nothing
        p = dst->pixel_for(*pattern);
    }
    if (!uses_source) {
        fill_rect(*dst, RECT{x, y, x + dw, y + dh}, colorref_of(p), code);
        return TRUE;
    }
    // The source's pixels in the destination's format, read before any is written: the two
    // may be one bitmap.
    Convert convert(*dst, *src);
    const PixelTarget& s = src->target;
    // Only what the source may show is copied: its bitmap, or its window's visible part.
    RECT wanted{sx + src->origin.x, sy + src->origin.y, sx + src->origin.x + sw,
                sy + src->origin.y + sh};
    Region readable = src->memory ? Region(s.bounds()) : src->drawable();
    readable.intersect(wanted);
    std::vector<uint32_t> copy(static_cast<size_t>(sw) * sh);
    std::vector<uint8_t> present(copy.size());
    for (const RECT& r : readable.rects()) {
        for (LONG y = r.top; y < r.bottom; ++y) {
            size_t k = static_cast<size_t>(y - wanted.top) * sw + (r.left - wanted.left);
            for (LONG x = r.left; x < r.right; ++x, ++k) {
                copy[k] = convert(s.at(x, y));
                present[k] = 1;
            }
        }
    }
    // Which source column and row each destination column and row shows.
    std::vector<int> column(static_cast<size_t>(dw));
    for (int i = 0; i < dw; ++i)
        column[static_cast<size_t>(i)] = static_cast<int>(int64_t{i} * sw / dw);
    dst->for_each_part(RECT{x, y, x + dw, y + dh}, [&](const RECT& part) {
        LONG base_x = dst->origin.x + x;
        for (LONG ty = part.top; ty < part.bottom; ++ty) {
            int j = static_cast<int>((ty - dst->origin.y - y) * int64_t{sh} / dh);
            const uint32_t* from = &copy[static_cast<size_t>(j) * sw];
            const uint8_t* shown = &present[static_cast<size_t>(j) * sw];
            uint32_t* row = &dst->target.at(0, ty);
            for (LONG tx = part.left; tx < part.right; ++tx) {
                int i = column[static_cast<size_t>(tx - base_x)];
                if (shown[i])
                    row[tx] = code == 0xCC ? from[i] : rop3(code, p, from[i], row[tx]);
            }
        }
    });
    return TRUE;
}

} // namespace

BOOL WINAPI PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
    // A negative extent counts back from x or y, as Windows allows.
    if (w < 0) {
        x += w;
        w = -w;
    }
    if (h < 0) {
        y += h;
        h = -h;
    }
    if (rop_uses_source(static_cast<uint8_t>(rop >> 16))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return transfer(hdc, x, y, w, h, nullptr, 0, 0, 0, 0, rop);
}

BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
    return transfer(hdc, x, y, cx, cy, hdcSrc, x1, y1, cx, cy, rop);
}

BOOL WINAPI StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc,
                       int xSrc, int ySrc, int wSrc, int hSrc, DWORD rop) {
    return transfer(hdcDest, xDest, yDest, wDest, hDest, hdcSrc, xSrc, ySrc, wSrc, hSrc, rop);
}
