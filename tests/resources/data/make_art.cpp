// Writes the test pictures (icons and bitmaps) into the directory given as the argument, so
// that no binary picture has to live in the repository. Every picture follows one pattern:
// top-left quarter red, top-right quarter green, lower half blue; icons are transparent in
// their leftmost column.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void put16(Bytes& b, unsigned v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(Bytes& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

// Palette: 0 black, 1 red, 2 green, 3 blue, 4 white (BGRX), padded with black; monochrome
// pictures have black and white.
const uint32_t palette[5] = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};

int pattern_index(int x, int y, int w, int h) {
    if (y >= h / 2)
        return 3;
    return x < w / 2 ? 1 : 2;
}

size_t stride(int w, int bpp) {
    return static_cast<size_t>((w * bpp + 31) / 32 * 4);
}

// The rows of an image, bottom row first, in `bpp` bits per pixel.
Bytes pixel_rows(int w, int h, int bpp, bool icon_alpha) {
    Bytes out;
    for (int row = h - 1; row >= 0; --row) {
        Bytes line(stride(w, bpp), 0);
        for (int x = 0; x < w; ++x) {
            int index = pattern_index(x, row, w, h);
            uint32_t rgb = palette[index];
            if (bpp == 1) {
                // Monochrome: white on even columns.
                if (x % 2 == 0)
                    line[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            } else if (bpp == 4) {
                line[x / 2] |= static_cast<uint8_t>(x % 2 ? index : index << 4);
            } else if (bpp == 8) {
                line[x] = static_cast<uint8_t>(index);
            } else {
                size_t at = static_cast<size_t>(x) * (bpp / 8);
                line[at] = static_cast<uint8_t>(rgb);
                line[at + 1] = static_cast<uint8_t>(rgb >> 8);
                line[at + 2] = static_cast<uint8_t>(rgb >> 16);
                if (bpp == 32)
                    line[at + 3] = icon_alpha ? (x == 0 ? 0 : x == 1 ? 0x80 : 0xFF) : 0;
            }
        }
        out.insert(out.end(), line.begin(), line.end());
    }
    return out;
}

Bytes info_header(int w, int stored_h, int bpp, int colors, size_t image_size) {
    Bytes b;
    put32(b, 40);
    put32(b, static_cast<uint32_t>(w));
    put32(b, static_cast<uint32_t>(stored_h));
    put16(b, 1);
    put16(b, static_cast<unsigned>(bpp));
    put32(b, 0); // BI_RGB
    put32(b, static_cast<uint32_t>(image_size));
    put32(b, 0);
    put32(b, 0);
    put32(b, static_cast<uint32_t>(colors));
    put32(b, 0);
    for (int i = 0; i < colors; ++i)
        put32(b, bpp == 1 ? (i ? 0xFFFFFF : 0) : i < 5 ? palette[i] : 0);
    return b;
}

int colors_for(int bpp) {
    if (bpp == 1)
        return 2;
    return bpp <= 8 ? 1 << bpp : 0;
}

Bytes icon_image(int size, int bpp) {
    Bytes xor_rows = pixel_rows(size, size, bpp, true);
    Bytes and_rows;
    for (int row = size - 1; row >= 0; --row) {
        Bytes line(stride(size, 1), 0);
        line[0] = 0x80; // leftmost column transparent
        and_rows.insert(and_rows.end(), line.begin(), line.end());
    }
    Bytes b = info_header(size, size * 2, bpp, colors_for(bpp), xor_rows.size() + and_rows.size());
    b.insert(b.end(), xor_rows.begin(), xor_rows.end());
    b.insert(b.end(), and_rows.begin(), and_rows.end());
    return b;
}

Bytes ico_file(const std::vector<std::pair<int, int>>& images) {
    Bytes b;
    put16(b, 0);
    put16(b, 1);
    put16(b, static_cast<unsigned>(images.size()));
    std::vector<Bytes> data;
    uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
    for (auto [size, bpp] : images) {
        data.push_back(icon_image(size, bpp));
        b.push_back(static_cast<uint8_t>(size));
        b.push_back(static_cast<uint8_t>(size));
        b.push_back(static_cast<uint8_t>(bpp < 8 ? 1 << bpp : 0));
        b.push_back(0);
        put16(b, 1);
        put16(b, static_cast<unsigned>(bpp));
        put32(b, static_cast<uint32_t>(data.back().size()));
        put32(b, offset);
        offset += static_cast<uint32_t>(data.back().size());
    }
    for (const Bytes& d : data)
        b.insert(b.end(), d.begin(), d.end());
    return b;
}

Bytes bmp_file(int w, int h, int bpp) {
    Bytes rows = pixel_rows(w, h, bpp, false);
    Bytes info = info_header(w, h, bpp, colors_for(bpp), rows.size());
    Bytes b{'B', 'M'};
    put32(b, static_cast<uint32_t>(14 + info.size() + rows.size()));
    put32(b, 0);
    put32(b, static_cast<uint32_t>(14 + info.size()));
    b.insert(b.end(), info.begin(), info.end());
    b.insert(b.end(), rows.begin(), rows.end());
    return b;
}

bool write(const std::string& path, const Bytes& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_art DIRECTORY\n");
        return 2;
    }
    std::string dir = argv[1];
    bool ok = write(dir + "/main.ico", ico_file({{16, 8}, {32, 8}})) &&
              write(dir + "/alpha.ico", ico_file({{16, 32}})) &&
              write(dir + "/nibble.ico", ico_file({{24, 4}, {48, 24}})) &&
              write(dir + "/pattern8.bmp", bmp_file(20, 10, 8)) &&
              write(dir + "/pattern24.bmp", bmp_file(7, 5, 24)) &&
              write(dir + "/mono.bmp", bmp_file(9, 3, 1));
    return ok ? 0 : 1;
}
