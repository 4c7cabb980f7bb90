// Bitmaps made by the program, and single pixels.
#include "dc.h"

#include <windows.h>

using namespace platform::gdi;

namespace {

// Far beyond any bitmap a program draws into; refuses what would not fit in memory.
constexpr int max_side = 16384;

HBITMAP make(int width, int height, bool monochrome) {
    Bitmap b;
    b.width = width;
    b.height = height;
    b.bits_per_pixel = b.source_bits_per_pixel = monochrome ? 1 : 32;
    b.pixels.assign(static_cast<size_t>(width) * height, 0);
    return create_bitmap(std::move(b));
}

} // namespace

HBITMAP WINAPI CreateBitmap(int width, int height, UINT planes, UINT bits_per_pixel,
                            const void* bits) {
    if (width < 0 || height < 0 || width > max_side || height > max_side || planes != 1 ||
        (bits_per_pixel != 1 && bits_per_pixel != 32)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (width == 0 || height == 0)
        return make(1, 1, true);
    HBITMAP handle = make(width, height, bits_per_pixel == 1);
    if (!handle || !bits)
        return handle;
    auto bitmap = find_bitmap(handle);
    const auto* data = static_cast<const uint8_t*>(bits);
    // Rows are WORD-aligned and stored top row first; a set bit is white.
    size_t stride = static_cast<size_t>((width * static_cast<int>(bits_per_pixel) + 15) / 16 * 2);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = data + stride * static_cast<size_t>(y);
        for (int x = 0; x < width; ++x) {
            uint32_t& p = bitmap->pixels[static_cast<size_t>(y) * width + x];
            if (bits_per_pixel == 1) {
                p = (row[x / 8] >> (7 - x % 8)) & 1 ? 0x00FFFFFFu : 0u;
            } else {
                const uint8_t* q = row + static_cast<size_t>(x) * 4;
                p = q[0] | (q[1] << 8) | (q[2] << 16) | (uint32_t{q[3]} << 24);
            }
        }
    }
    return handle;
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int width, int height) {
    auto dc = find_dc(hdc);
    if (!dc || width < 0 || height < 0 || width > max_side || height > max_side) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (width == 0 || height == 0)
        return make(1, 1, true);
    // Compatible with a memory DC means with the bitmap it holds: a fresh memory DC's is
    // monochrome, which surprises many a program.
    return make(width, height, dc->target.monochrome);
}

COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
    auto dc = find_dc(hdc);
    POINT at{x + (dc ? dc->origin.x : 0), y + (dc ? dc->origin.y : 0)};
    if (!dc || !dc->drawable().contains(at))
        return CLR_INVALID;
    return colorref_of(dc->target.at(at.x, at.y) & 0xFFFFFF);
}

COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color) {
    auto dc = find_dc(hdc);
    POINT at{x + (dc ? dc->origin.x : 0), y + (dc ? dc->origin.y : 0)};
    if (!dc || !dc->drawable().contains(at))
        return CLR_INVALID;
    uint32_t pixel = dc->pixel_for(color);
    dc->target.at(at.x, at.y) = pixel;
    return colorref_of(pixel);
}
