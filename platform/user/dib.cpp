#include "resources.h"

#include <wingdi.h>

#include <bit>
#include <cstring>

namespace platform {

namespace {

// Far beyond any icon or bitmap a program ships; keeps a lying header from asking for
// gigabytes.
constexpr int64_t max_dimension = 8192;

uint32_t read_u32(std::span<const uint8_t> d, size_t at) {
    return d[at] | (d[at + 1] << 8) | (d[at + 2] << 16) | (uint32_t{d[at + 3]} << 24);
}
uint16_t read_u16(std::span<const uint8_t> d, size_t at) {
    return static_cast<uint16_t>(d[at] | (d[at + 1] << 8));
}

struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    uint32_t extract(uint32_t v) const {
        if (!mask)
            return 0;
        uint32_t raw = (v & mask) >> shift;
        // Widen to 8 bits by repeating the top bits, so full scale stays full scale.
        if (bits >= 8)
            return raw >> (bits - 8);
        uint32_t out = 0;
        for (int filled = 0; filled < 8; filled += bits)
            out = (out << bits) | raw;
        return (out >> (((8 + bits - 1) / bits) * bits - 8)) & 0xFF;
    }
    static Channel of(uint32_t mask) {
        Channel c;
        c.mask = mask;
        if (mask) {
            c.shift = std::countr_zero(mask);
            c.bits = std::popcount(mask);
        }
        return c;
    }
};

// A DIB's header, colour table and the place and size of its rows, all checked.
struct Dib {
    int width = 0;
    int height = 0; // rows stored
    bool top_down = false;
    int bpp = 0;
    std::vector<uint32_t> palette; // BGRA with alpha 0xFF
    Channel red, green, blue, alpha;
    size_t bits_offset = 0;
    size_t stride = 0;

    uint32_t pixel(std::span<const uint8_t> d, int x, int row) const {
        size_t line = bits_offset + stride * static_cast<size_t>(row);
        switch (bpp) {
        case 1:
        case 4:
        case 8: {
            size_t bit = static_cast<size_t>(x) * bpp;
            unsigned byte = d[line + bit / 8];
            unsigned index = (byte >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
            return index < palette.size() ? palette[index] : 0xFF000000u;
        }
        case 24: {
            size_t at = line + static_cast<size_t>(x) * 3;
            return 0xFF000000u | d[at] | (d[at + 1] << 8) | (uint32_t{d[at + 2]} << 16);
        }
        default: {
            uint32_t v = bpp == 16 ? read_u16(d, line + static_cast<size_t>(x) * 2)
                                   : read_u32(d, line + static_cast<size_t>(x) * 4);
            uint32_t a = alpha.mask ? alpha.extract(v) : (bpp == 32 ? 0u : 0xFFu);
            return (a << 24) | (red.extract(v) << 16) | (green.extract(v) << 8) | blue.extract(v);
        }
        }
    }
};

// Reads the header of a DIB whose stored height is `height_divisor` times the image's (2 for
// icons). Returns no value when any part lies outside `d`.
std::optional<Dib> read_dib(std::span<const uint8_t> d, int height_divisor) {
    if (d.size() < 40)
        return std::nullopt;
    uint32_t header_size = read_u32(d, 0);
    int64_t width = static_cast<int32_t>(read_u32(d, 4));
    int64_t height = static_cast<int32_t>(read_u32(d, 8));
    uint16_t planes = read_u16(d, 12);
    uint16_t bpp = read_u16(d, 14);
    uint32_t compression = read_u32(d, 16);
    uint32_t colors_used = read_u32(d, 32);
    if (header_size < 40 || header_size > d.size() || planes != 1)
        return std::nullopt;
    Dib dib;
    dib.top_down = height < 0;
    if (height < 0)
        height = -height;
    if (height % height_divisor != 0)
        return std::nullopt;
    if (width <= 0 || height <= 0 || width > max_dimension || height > max_dimension)
        return std::nullopt;
    dib.width = static_cast<int>(width);
    dib.height = static_cast<int>(height);
    dib.bpp = bpp;
    uint64_t offset = header_size;
    if (compression == BI_RGB) {
        if (bpp == 16) {
            dib.red = Channel::of(0x7C00);
            dib.green = Channel::of(0x03E0);
            dib.blue = Channel::of(0x001F);
        } else if (bpp == 32) {
            dib.red = Channel::of(0x00FF0000);
            dib.green = Channel::of(0x0000FF00);
            dib.blue = Channel::of(0x000000FF);
            dib.alpha = Channel::of(0xFF000000);
        } else if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24) {
            return std::nullopt;
        }
    } else if (compression == BI_BITFIELDS && (bpp == 16 || bpp == 32)) {
        // The three masks follow a 40-byte header, and sit at the same place inside the
        // larger headers.
        if (d.size() < 52)
            return std::nullopt;
        dib.red = Channel::of(read_u32(d, 40));
        dib.green = Channel::of(read_u32(d, 44));
        dib.blue = Channel::of(read_u32(d, 48));
        if (header_size >= 56 && d.size() >= 56)
            dib.alpha = Channel::of(read_u32(d, 52));
        if (header_size == 40)
            offset += 12;
    } else {
        return std::nullopt; // RLE, JPEG, PNG
    }
    uint64_t colors = colors_used;
    if (bpp <= 8 && (colors == 0 || colors > (1u << bpp)))
        colors = 1u << bpp;
    if (colors > 256)
        return std::nullopt;
    if (offset + colors * 4 > d.size())
        return std::nullopt;
    if (bpp <= 8) {
        for (uint64_t i = 0; i < colors; ++i)
            dib.palette.push_back(0xFF000000u | (read_u32(d, offset + i * 4) & 0xFFFFFF));
    }
    offset += colors * 4;
    dib.bits_offset = static_cast<size_t>(offset);
    dib.stride = static_cast<size_t>((width * bpp + 31) / 32 * 4);
    // Icons store their AND mask after the colour rows; only the colour rows are checked here.
    if (offset + dib.stride * static_cast<uint64_t>(height / height_divisor) > d.size())
        return std::nullopt;
    return dib;
}

bool is_png(std::span<const uint8_t> d) {
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return d.size() >= 8 && std::memcmp(d.data(), signature, 8) == 0;
}

} // namespace

std::optional<gdi::Bitmap> decode_dib(std::span<const uint8_t> data) {
    auto dib = read_dib(data, 1);
    if (!dib)
        return std::nullopt;
    gdi::Bitmap bitmap;
    bitmap.width = dib->width;
    bitmap.height = dib->height;
    bitmap.source_bits_per_pixel = dib->bpp;
    // A monochrome DIB becomes a monochrome bitmap; every other depth becomes the display's.
    bitmap.bits_per_pixel = dib->bpp == 1 ? 1 : 32;
    bitmap.pixels.resize(static_cast<size_t>(dib->width) * dib->height);
    for (int y = 0; y < dib->height; ++y) {
        int row = dib->top_down ? y : dib->height - 1 - y;
        for (int x = 0; x < dib->width; ++x)
            bitmap.pixels[static_cast<size_t>(y) * dib->width + x] = dib->pixel(data, x, row);
    }
    return bitmap;
}

std::optional<gdi::Icon> decode_icon_image(std::span<const uint8_t> data) {
    if (is_png(data))
        return std::nullopt;
    auto dib = read_dib(data, 2);
    if (!dib || dib->top_down)
        return std::nullopt;
    const int w = dib->width;
    const int h = dib->height / 2;
    // The AND mask follows the colour rows.
    size_t mask_stride = static_cast<size_t>((w + 31) / 32 * 4);
    size_t mask_offset = dib->bits_offset + dib->stride * static_cast<size_t>(h);
    if (mask_offset + mask_stride * static_cast<size_t>(h) > data.size())
        return std::nullopt;
    gdi::Icon icon;
    icon.width = w;
    icon.height = h;
    icon.hotspot = {w / 2, h / 2};
    icon.color.resize(static_cast<size_t>(w) * h);
    icon.mask.resize(static_cast<size_t>(w) * h);
    bool has_alpha = false;
    for (int y = 0; y < h; ++y) {
        int row = h - 1 - y;
        for (int x = 0; x < w; ++x) {
            size_t i = static_cast<size_t>(y) * w + x;
            icon.color[i] = dib->pixel(data, x, row);
            uint8_t byte = data[mask_offset + mask_stride * row + x / 8];
            icon.mask[i] = (byte >> (7 - x % 8)) & 1;
            if (dib->bpp == 32 && (icon.color[i] >> 24) != 0)
                has_alpha = true;
        }
    }
    if (!has_alpha) {
        for (size_t i = 0; i < icon.color.size(); ++i)
            icon.color[i] = (icon.color[i] & 0xFFFFFF) | (icon.mask[i] ? 0u : 0xFF000000u);
    }
    return icon;
}

gdi::Icon scale_icon(const gdi::Icon& icon, int width, int height) {
    gdi::Icon out = icon;
    out.width = width;
    out.height = height;
    out.hotspot = {static_cast<LONG>(icon.hotspot.x * width / icon.width),
                   static_cast<LONG>(icon.hotspot.y * height / icon.height)};
    out.color.assign(static_cast<size_t>(width) * height, 0);
    out.mask.assign(static_cast<size_t>(width) * height, 1);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            size_t from = static_cast<size_t>(y * icon.height / height) * icon.width +
                          static_cast<size_t>(x * icon.width / width);
            out.color[static_cast<size_t>(y) * width + x] = icon.color[from];
            out.mask[static_cast<size_t>(y) * width + x] = icon.mask[from];
        }
    }
    return out;
}

gdi::Bitmap scale_bitmap(const gdi::Bitmap& bitmap, int width, int height) {
    gdi::Bitmap out = bitmap;
    out.width = width;
    out.height = height;
    out.pixels.assign(static_cast<size_t>(width) * height, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            out.pixels[static_cast<size_t>(y) * width + x] =
                bitmap.pixel(x * bitmap.width / width, y * bitmap.height / height);
        }
    }
    return out;
}

} // namespace platform
