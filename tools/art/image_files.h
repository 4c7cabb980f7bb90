// The file formats the artwork is written in: .ico (one 8-bit image with a 256-colour palette
// and an AND mask), .bmp (24 bits per pixel) and, for looking at the results, .png.
#pragma once

#include "canvas.h"

#include <cstdint>
#include <string>
#include <vector>

namespace art {

using Bytes = std::vector<uint8_t>;

// The icon file, and in `shown` the picture as the icon will look: palette colours, and
// transparent where the mask says so.
Bytes encode_icon(const Canvas& canvas, Canvas* shown = nullptr);
// A bottom-up 24-bit bitmap; the picture is taken as opaque.
Bytes encode_bmp(const Canvas& canvas);
// An RGBA PNG, through libpng; empty if libpng fails.
Bytes encode_png(const Canvas& canvas);

bool write_file(const std::string& path, const Bytes& bytes);

} // namespace art
