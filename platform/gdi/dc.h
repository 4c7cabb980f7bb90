// Device contexts: where GDI draws. A DC draws into a pixel target (a window's surface or a
// memory DC's selected bitmap) through its origin and clip. Coordinates: "device" are the
// DC's own (a window DC's are client or window coordinates, a memory DC's the bitmap's);
// "target" are the pixel target's; target = device + origin. Logical coordinates equal
// device coordinates (the platform sets no mapping mode or viewport origin).
#pragma once

#include "objects.h"
#include "region.h"

#include <windef.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace platform::gdi {

// 32-bit pixels, rows top to bottom, `width` pixels a row. Colour is 0x00RRGGBB; the top
// byte is no colour: drawing writes it 0, blits copy it (a loaded bitmap keeps its alpha).
// A monochrome target holds 0x00FFFFFF (bit 1) or 0 (bit 0) in each pixel.
struct PixelTarget {
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    bool monochrome = false;
    uint32_t& at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    RECT bounds() const { return RECT{0, 0, width, height}; }
};

constexpr uint32_t pixel_of(COLORREF c) {
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
constexpr COLORREF colorref_of(uint32_t pixel) {
    return ((pixel >> 16) & 0xFF) | (pixel & 0xFF00) | ((pixel & 0xFF) << 16);
}

// Holds an object selected into a DC (or a saved state of one): counts the selection, and
// frees an object whose DeleteObject waited for it when the last holder lets go.
class Selection {
public:
    Selection() = default;
    explicit Selection(std::shared_ptr<Object> object);
    Selection(const Selection& other) : Selection(other.object_) {}
    Selection& operator=(const Selection& other);
    ~Selection();
    HGDIOBJ handle() const { return object_ ? object_->handle : nullptr; }
    const std::shared_ptr<Object>& object() const { return object_; }
    template <class T> T* as() const { return dynamic_cast<T*>(object_.get()); }

private:
    void release();
    std::shared_ptr<Object> object_;
};

// What SaveDC keeps and RestoreDC brings back.
struct DcState {
    Selection bitmap; // memory DCs only
    Selection brush;
    Selection pen;
    Selection font;
    COLORREF text_color = 0x000000;
    COLORREF bk_color = 0xFFFFFF;
    int bk_mode = 2;     // OPAQUE
    int rop2 = 13;       // R2_COPYPEN
    UINT text_align = 0; // TA_LEFT | TA_TOP
    POINT position{};    // MoveToEx, LineTo
    COLORREF dc_brush_color = 0xFFFFFF;
    COLORREF dc_pen_color = 0x000000;
    // SelectClipRgn and friends, in device coordinates; none: no clip beyond the visible area.
    std::optional<Region> clip;
};

struct DeviceContext final : Object {
    Kind kind() const override { return Kind::dc; }

    HWND window = nullptr; // the window a window DC draws for; null for a memory DC
    bool memory = false;
    PixelTarget target;
    std::shared_ptr<const void> keep; // keeps a window surface's pixels alive while open
    POINT origin{};                   // where device (0, 0) lies in the target
    // Where the DC may draw at all, device coordinates: a window DC's visible part of its
    // window, a memory DC's bitmap.
    Region visible;
    DcState state;
    std::vector<DcState> saved;

    // visible ∩ clip ∩ the target, in target coordinates. Call clip_changed() after changing
    // target, origin, visible or state.clip.
    const Region& drawable() const;
    void clip_changed() { drawable_.reset(); }

    RECT to_target(RECT device) const {
        return RECT{device.left + origin.x, device.top + origin.y, device.right + origin.x,
                    device.bottom + origin.y};
    }
    // Calls f(RECT) for each drawable part of `device_area`, in target coordinates.
    template <class F> void for_each_part(const RECT& device_area, F&& f) const {
        RECT area = to_target(device_area);
        for (const RECT& r : drawable().rects()) {
            RECT part{std::max(r.left, area.left), std::max(r.top, area.top),
                      std::min(r.right, area.right), std::min(r.bottom, area.bottom)};
            if (part.left < part.right && part.top < part.bottom)
                f(part);
        }
    }
    // The stored pixel for a colour: itself, or black or white on a monochrome target.
    uint32_t pixel_for(COLORREF color) const;
    // The colour a brush paints with here; none for a hollow brush.
    std::optional<COLORREF> brush_color(const Brush* brush) const;
    std::optional<COLORREF> pen_color(const Pen* pen) const;

private:
    mutable std::optional<Region> drawable_;
};

// Opens a DC on a window's surface (GetDC, GetWindowDC, BeginPaint). `visible` is in device
// coordinates; `keep` holds the surface's memory for as long as the DC is open.
HDC open_dc(HWND window, PixelTarget target, POINT origin, const Region& visible,
            std::shared_ptr<const void> keep = {});
// Closes a DC that open_dc made (ReleaseDC, EndPaint); false when `dc` names no window DC.
bool close_dc(HDC dc);
std::shared_ptr<DeviceContext> find_dc(HDC dc);

} // namespace platform::gdi
