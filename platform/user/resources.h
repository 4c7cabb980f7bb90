// Decoding of the picture resources: device-independent bitmaps (RT_BITMAP) and icon or cursor
// images (RT_ICON, RT_CURSOR), whose DIB has a doubled height: the colour (XOR) rows, then
// the 1-bit AND mask. Both are outside input and checked against their length.
#pragma once

#include "platform/gdi/objects.h"

#include <cstdint>
#include <optional>
#include <span>

namespace platform {

// 1, 4, 8, 16, 24 and 32 bits per pixel, BI_RGB or BI_BITFIELDS. Pixels below 32 bits get
// alpha 0xFF; 32-bit pixels keep theirs. No value for RLE, PNG or a malformed bitmap.
std::optional<gdi::Bitmap> decode_dib(std::span<const uint8_t> data);

// An icon image: colour plus mask, hot spot at the centre. Alpha is the image's own (32 bits
// with any alpha set) or comes from the mask. PNG-compressed images are not supported.
std::optional<gdi::Icon> decode_icon_image(std::span<const uint8_t> data);

// Nearest-neighbour scaling, for images loaded at another size than stored.
gdi::Icon scale_icon(const gdi::Icon& icon, int width, int height);
gdi::Bitmap scale_bitmap(const gdi::Bitmap& bitmap, int width, int height);

} // namespace platform
