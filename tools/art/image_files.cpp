#include "image_files.h"
#include "quantize.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <png.h>

namespace art {

namespace {

void put16(Bytes& b, unsigned v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(Bytes& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

uint8_t to_byte(double v) {
    long n = std::lround(v * 255);
    return static_cast<uint8_t>(n < 0 ? 0 : n > 255 ? 255 : n);
}

size_t row_bytes(int width, int bpp) {
    return static_cast<size_t>((width * bpp + 31) / 32 * 4);
}

void put_info_header(Bytes& b, int width, int stored_height, int bpp, uint32_t colors,
                     size_t image_size) {
    put32(b, 40);
    put32(b, static_cast<uint32_t>(width));
    put32(b, static_cast<uint32_t>(stored_height));
    put16(b, 1);
    put16(b, static_cast<unsigned>(bpp));
    put32(b, 0); // BI_RGB
    put32(b, static_cast<uint32_t>(image_size));
    put32(b, 0);
    put32(b, 0);
    put32(b, colors);
    put32(b, 0);
}

// Icons have a one-bit mask: a pixel at least half covered is drawn, its soft edge settled
// against a neutral grey so that it sits well on light and dark taskbars alike.
constexpr double kOpaqueFrom = 0.5;
const Color kEdgeBackdrop = {0.55, 0.57, 0.60, 1};

Rgb icon_pixel(const Color& c) {
    Color o = mix(kEdgeBackdrop, Color{c.r, c.g, c.b, 1}, c.a);
    return Rgb{to_byte(o.r), to_byte(o.g), to_byte(o.b)};
}

} // namespace

Bytes encode_icon(const Canvas& canvas, Canvas* shown) {
    const int w = canvas.width(), h = canvas.height();
    std::vector<Rgb> opaque;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (canvas.at(x, y).a >= kOpaqueFrom)
                opaque.push_back(icon_pixel(canvas.at(x, y)));
    // Entry 0 stays black: the colour under the mask's transparent pixels.
    std::vector<Rgb> palette{Rgb{0, 0, 0}};
    for (const Rgb& c : make_palette(opaque, 255))
        palette.push_back(c);
    palette.resize(256, Rgb{0, 0, 0});

    // Search from entry 1, so that black ink never lands on the transparent entry.
    const std::vector<Rgb> inks(palette.begin() + 1, palette.end());
    Bytes xor_rows, and_rows;
    if (shown)
        *shown = Canvas(w, h);
    for (int y = h - 1; y >= 0; --y) {
        Bytes colour_line(row_bytes(w, 8), 0), mask_line(row_bytes(w, 1), 0);
        for (int x = 0; x < w; ++x) {
            Color c = canvas.at(x, y);
            if (c.a < kOpaqueFrom) {
                mask_line[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
                continue;
            }
            size_t index = 1 + nearest(inks, icon_pixel(c));
            colour_line[x] = static_cast<uint8_t>(index);
            if (shown) {
                const Rgb& p = palette[index];
                shown->set(x, y, Color{p[0] / 255.0, p[1] / 255.0, p[2] / 255.0, 1});
            }
        }
        xor_rows.insert(xor_rows.end(), colour_line.begin(), colour_line.end());
        and_rows.insert(and_rows.end(), mask_line.begin(), mask_line.end());
    }

    Bytes image;
    put_info_header(image, w, h * 2, 8, 256, xor_rows.size() + and_rows.size());
    for (const Rgb& c : palette) {
        image.push_back(c[2]);
        image.push_back(c[1]);
        image.push_back(c[0]);
        image.push_back(0);
    }
    image.insert(image.end(), xor_rows.begin(), xor_rows.end());
    image.insert(image.end(), and_rows.begin(), and_rows.end());

    Bytes file;
    put16(file, 0); // reserved
    put16(file, 1); // icon
    put16(file, 1); // one image
    file.push_back(static_cast<uint8_t>(w));
    file.push_back(static_cast<uint8_t>(h));
    file.push_back(0); // 256 colours
    file.push_back(0);
    put16(file, 1); // planes
    put16(file, 8); // bits per pixel
    put32(file, static_cast<uint32_t>(image.size()));
    put32(file, 6 + 16);
    file.insert(file.end(), image.begin(), image.end());
    return file;
}

Bytes encode_bmp(const Canvas& canvas) {
    const int w = canvas.width(), h = canvas.height();
    Bytes rows;
    for (int y = h - 1; y >= 0; --y) {
        Bytes line(row_bytes(w, 24), 0);
        for (int x = 0; x < w; ++x) {
            Color c = canvas.at(x, y);
            line[x * 3] = to_byte(c.b);
            line[x * 3 + 1] = to_byte(c.g);
            line[x * 3 + 2] = to_byte(c.r);
        }
        rows.insert(rows.end(), line.begin(), line.end());
    }
    Bytes file{'B', 'M'};
    put32(file, static_cast<uint32_t>(14 + 40 + rows.size()));
    put32(file, 0);
    put32(file, 14 + 40);
    put_info_header(file, w, h, 24, 0, rows.size());
    file.insert(file.end(), rows.begin(), rows.end());
    return file;
}

namespace {

void append_to_bytes(png_structp png, png_bytep data, png_size_t size) {
    auto* bytes = static_cast<Bytes*>(png_get_io_ptr(png));
    bytes->insert(bytes->end(), data, data + size);
}

// Only plain locals here: libpng reports failure by jumping back to the setjmp.
bool write_png(png_uint_32 width, png_uint_32 height, png_bytepp rows, Bytes* out) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, append_to_bytes, nullptr);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(png, info, rows);
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

Bytes encode_png(const Canvas& canvas) {
    const int w = canvas.width(), h = canvas.height();
    std::vector<uint8_t> pixels;
    pixels.reserve(static_cast<size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Color c = canvas.at(x, y);
            for (double v : {c.r, c.g, c.b, c.a})
                pixels.push_back(to_byte(v));
        }
    std::vector<png_bytep> rows(static_cast<size_t>(h));
    for (int y = 0; y < h; ++y)
        rows[static_cast<size_t>(y)] = pixels.data() + static_cast<size_t>(y) * w * 4;
    Bytes out;
    if (!write_png(static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), rows.data(), &out))
        return {};
    return out;
}

bool write_file(const std::string& path, const Bytes& bytes) {
    if (bytes.empty())
        return false; // an encoder failed
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace art
