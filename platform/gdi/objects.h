// The process's GDI object table: one handle space for bitmaps, icons and cursors, and the
// stock objects. Pixels are kept as 32-bit BGRA, top-down, so drawing can use them directly.
#pragma once

#include <windef.h>

#include "region.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace platform::gdi {

enum class Kind : uint8_t {
    bitmap = 1,
    icon = 2,
    brush = 3,
    pen = 4,
    font = 5,
    palette = 6,
    region = 7,
    dc = 8
};

struct Object {
    virtual ~Object() = default;
    virtual Kind kind() const = 0;
    HGDIOBJ handle = nullptr; // set when the object enters the table
    // How many device contexts (and their saved states) hold the object selected. Windows
    // defers DeleteObject of a selected object until the last of them lets it go.
    int selections = 0;
    bool delete_pending = false;
};

// A pixel is 0xAARRGGBB in a uint32_t: bytes B, G, R, A in memory, as a 32-bit DIB.
struct Bitmap final : Object {
    int width = 0;
    int height = 0;
    // What GetObjectA reports: 1 for a monochrome bitmap, else 32 (the display's format).
    int bits_per_pixel = 32;
    // The depth of the image the bitmap was made from.
    int source_bits_per_pixel = 32;
    std::vector<uint32_t> pixels; // width * height, top row first
    Kind kind() const override { return Kind::bitmap; }
    uint32_t pixel(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Icons and cursors (USER objects on Windows, kept in the same table here).
struct Icon final : Object {
    bool is_icon = true;
    int width = 0;
    int height = 0;
    POINT hotspot{};
    bool shared = false;         // from LoadIconA or LR_SHARED: DestroyIcon keeps it
    uint32_t resource_id = 0;    // the integer id it was loaded by; 0 for a named or made one
    std::vector<uint32_t> color; // BGRA, alpha 0 where the mask is transparent
    std::vector<uint8_t> mask;   // 1 = transparent (AND mask bit set)
    Kind kind() const override { return Kind::icon; }
};

// A brush: solid, hollow (NULL_BRUSH), or DC_BRUSH, whose colour is the DC's.
struct Brush final : Object {
    UINT style = 0; // BS_SOLID, BS_NULL
    COLORREF color = 0;
    bool dc_color = false;
    Kind kind() const override { return Kind::brush; }
};

// A cosmetic pen: PS_SOLID, PS_DOT or PS_NULL; DC_PEN takes the DC's pen colour.
struct Pen final : Object {
    int style = 0;
    int width = 1;
    COLORREF color = 0;
    bool dc_color = false;
    Kind kind() const override { return Kind::pen; }
};

struct RegionObject final : Object {
    Region region;
    Kind kind() const override { return Kind::region; }
};

// A stock object until its kind gains a real implementation.
struct StockPlaceholder final : Object {
    explicit StockPlaceholder(Kind k) : kind_(k) {}
    Kind kind() const override { return kind_; }

private:
    Kind kind_;
};

// Adds an object and returns its new handle (null when the table is full).
HGDIOBJ add_object(std::shared_ptr<Object> object);
// Adds an object that DeleteObject never frees (stock objects, system colour brushes) under
// a serial below 0x100 that the caller reserves; returns the handle it already has if any.
HGDIOBJ add_permanent_object(uint32_t serial, Kind kind,
                             const std::function<std::shared_ptr<Object>()>& make);
// The reserved serials: stock objects at their GetStockObject index + 1, system colour
// brushes from here.
constexpr uint32_t sys_color_brush_serial = 0x40;
// The object behind a handle, or null; kept alive while held even if deleted meanwhile.
std::shared_ptr<Object> find_object(HGDIOBJ handle);
// Removes a (non-stock) object; false when the handle names none.
bool remove_object(HGDIOBJ handle);
bool is_stock_object(HGDIOBJ handle);

template <class T> std::shared_ptr<T> find(HGDIOBJ handle) {
    return std::dynamic_pointer_cast<T>(find_object(handle));
}
inline std::shared_ptr<Bitmap> find_bitmap(HGDIOBJ handle) {
    return find<Bitmap>(handle);
}
inline std::shared_ptr<Icon> find_icon(HICON handle) {
    return find<Icon>(reinterpret_cast<HGDIOBJ>(handle));
}

HBITMAP create_bitmap(Bitmap bitmap);
HICON create_icon(Icon icon);

// How many objects live (stock objects excluded): lets tests see that deleting frees.
size_t object_count();

// Handles are 32-bit values that no process here maps and that cannot be taken for window
// handles (below 0x80000000) or module handles (0xA...): 0xC0000000 | kind << 24 | serial.
constexpr uint32_t handle_base = 0xC0000000;

} // namespace platform::gdi
