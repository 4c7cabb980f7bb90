// Icons drawn into a device context, and DrawStateA's disabled (embossed) look.
#include "platform/gdi/raster.h"
#include "platform/kernel/trace.h"

#include <windows.h>

using namespace platform::gdi;

namespace {

uint32_t blend(uint32_t over, uint32_t under, uint32_t alpha) {
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        uint32_t a = (over >> shift) & 0xFF, b = (under >> shift) & 0xFF;
        out |= ((a * alpha + b * (255 - alpha) + 127) / 255) << shift;
    }
    return out;
}

// Draws the icon scaled to w x h at (x, y). An icon's colour image with alpha is blended;
// without it, the AND mask keeps the background and the colour is XORed on, so a masked
// pixel with colour inverts what lies under it, as a cursor's does.
void draw_icon(const DeviceContext& dc, const Icon& icon, int x, int y, int w, int h, UINT flags) {
    dc.for_each_part(RECT{x, y, x + w, y + h}, [&](const RECT& part) {
        for (LONG ty = part.top; ty < part.bottom; ++ty) {
            int sy = static_cast<int>((ty - dc.origin.y - y) * icon.height / h);
            for (LONG tx = part.left; tx < part.right; ++tx) {
                int sx = static_cast<int>((tx - dc.origin.x - x) * icon.width / w);
                size_t i = static_cast<size_t>(sy) * icon.width + sx;
                uint32_t& d = dc.target.at(tx, ty);
                uint32_t colour = icon.color[i] & 0xFFFFFF;
                uint32_t alpha = icon.color[i] >> 24;
                bool masked = icon.mask[i] != 0;
                if ((flags & DI_NORMAL) == DI_MASK) {
                    d = masked ? d & 0xFFFFFF : 0;
                } else if ((flags & DI_NORMAL) == DI_IMAGE) {
                    d = colour;
                } else if (masked && alpha == 0) {
                    d = (d ^ colour) & 0xFFFFFF;
                } else {
                    d = blend(colour, d & 0xFFFFFF, alpha);
                }
                if (dc.target.monochrome)
                    d = dc.pixel_for(colorref_of(d));
            }
        }
    });
}

// Where an image shows: its opaque pixels that are not white. Windows finds the shape of a
// disabled image by drawing it on a monochrome bitmap, where white falls into the background.
std::vector<bool> shape_of(const std::vector<uint32_t>& pixels, const std::vector<bool>& opaque) {
    std::vector<bool> shape(pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i)
        shape[i] = opaque[i] && (pixels[i] & 0xFFFFFF) != 0xFFFFFF;
    return shape;
}

// Paints `shape` (w x h) at (x, y) in one colour.
void paint_shape(const DeviceContext& dc, const std::vector<bool>& shape, int w, int h, int x,
                 int y, COLORREF colour) {
    uint32_t p = dc.pixel_for(colour);
    dc.for_each_part(RECT{x, y, x + w, y + h}, [&](const RECT& part) {
        for (LONG ty = part.top; ty < part.bottom; ++ty) {
            for (LONG tx = part.left; tx < part.right; ++tx) {
                size_t i = static_cast<size_t>(ty - dc.origin.y - y) * w + (tx - dc.origin.x - x);
                if (shape[i])
                    dc.target.at(tx, ty) = p;
            }
        }
    });
}

// The image of DST_ICON or DST_BITMAP at w x h: its pixels and which of them are opaque.
bool image_of(LPARAM data, UINT type, int& w, int& h, std::vector<uint32_t>& pixels,
              std::vector<bool>& opaque) {
    HGDIOBJ handle = reinterpret_cast<HGDIOBJ>(data);
    int iw = 0, ih = 0;
    std::shared_ptr<Icon> icon;
    std::shared_ptr<Bitmap> bitmap;
    if (type == DST_ICON && (icon = find_icon(static_cast<HICON>(handle)))) {
        iw = icon->width;
        ih = icon->height;
    } else if (type == DST_BITMAP && (bitmap = find_bitmap(handle))) {
        iw = bitmap->width;
        ih = bitmap->height;
    } else {
        return false;
    }
    if (w <= 0)
        w = iw;
    if (h <= 0)
        h = ih;
    pixels.resize(static_cast<size_t>(w) * h);
    opaque.resize(pixels.size());
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            size_t from = static_cast<size_t>(y * ih / h) * iw + static_cast<size_t>(x * iw / w);
            size_t to = static_cast<size_t>(y) * w + x;
            if (icon) {
                pixels[to] = icon->color[from];
                opaque[to] = (icon->color[from] >> 24) >= 128;
            } else {
                pixels[to] = bitmap->pixels[from];
                opaque[to] = true;
            }
        }
    }
    return true;
}

} // namespace

BOOL WINAPI DrawIconEx(HDC hdc, int x, int y, HICON hicon, int cx, int cy, UINT step,
                       HBRUSH flicker_free, UINT flags) {
    auto dc = find_dc(hdc);
    auto icon = find_icon(hicon);
    if (!dc || !icon) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (cx == 0)
        cx = flags & DI_DEFAULTSIZE ? GetSystemMetrics(SM_CXICON) : icon->width;
    if (cy == 0)
        cy = flags & DI_DEFAULTSIZE ? GetSystemMetrics(SM_CYICON) : icon->height;
    if ((flags & DI_NORMAL) == 0 || cx < 0 || cy < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Windows draws on the brush's background off screen first; the result is the same.
    if (flicker_free) {
        RECT area{x, y, x + cx, y + cy};
        FillRect(hdc, &area, flicker_free);
    }
    draw_icon(*dc, *icon, x, y, cx, cy, flags);
    return TRUE;
}

BOOL WINAPI DrawIcon(HDC hdc, int x, int y, HICON hicon) {
    return DrawIconEx(hdc, x, y, hicon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
}

BOOL WINAPI DrawStateA(HDC hdc, HBRUSH fore, DRAWSTATEPROC callback, LPARAM data, WPARAM wdata,
                       int x, int y, int cx, int cy, UINT flags) {
    auto dc = find_dc(hdc);
    UINT type = flags & 0xF;
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (type != DST_ICON && type != DST_BITMAP) {
        platform::fixme(platform::TraceChannel::user, "DrawStateA type %u", type);
        return FALSE;
    }
    UINT state = flags & 0xFFF0 & ~DSS_RIGHT;
    if (state == DSS_NORMAL && type == DST_ICON)
        return DrawIconEx(hdc, x, y, reinterpret_cast<HICON>(data), cx, cy, 0, nullptr, DI_NORMAL);
    std::vector<uint32_t> pixels;
    std::vector<bool> opaque;
    if (!image_of(data, type, cx, cy, pixels, opaque)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (state == DSS_NORMAL) {
        dc->for_each_part(RECT{x, y, x + cx, y + cy}, [&](const RECT& part) {
            for (LONG ty = part.top; ty < part.bottom; ++ty)
                for (LONG tx = part.left; tx < part.right; ++tx)
                    dc->target.at(tx, ty) = pixels[static_cast<size_t>(ty - dc->origin.y - y) * cx +
                                                   (tx - dc->origin.x - x)] &
                                            0xFFFFFF;
        });
        return TRUE;
    }
    std::vector<bool> shape = shape_of(pixels, opaque);
    if (state & DSS_DISABLED) {
        // Embossed: the shape in the highlight colour one pixel down and right, then in the
        // shadow colour in place.
        paint_shape(*dc, shape, cx, cy, x + 1, y + 1, GetSysColor(COLOR_3DHIGHLIGHT));
        paint_shape(*dc, shape, cx, cy, x, y, GetSysColor(COLOR_3DSHADOW));
        return TRUE;
    }
    if (state & DSS_MONO) {
        auto brush = find<Brush>(fore);
        auto colour = brush ? dc->brush_color(brush.get()) : std::nullopt;
        paint_shape(*dc, shape, cx, cy, x, y, colour ? *colour : GetSysColor(COLOR_WINDOWTEXT));
        return TRUE;
    }
    platform::fixme(platform::TraceChannel::user, "DrawStateA state 0x%x", state);
    return FALSE;
}
