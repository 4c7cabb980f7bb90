// Reading resources back as bytes through the platform, and decoding the pictures in them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace res_test {

using Bytes = std::vector<uint8_t>;

// The bytes of a resource found with FindResourceA; empty when there is none.
inline Bytes resource_bytes(HMODULE module, int id, LPCSTR type) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCE(id), type);
    if (!found)
        return {};
    HGLOBAL loaded = LoadResource(module, found);
    const auto* p = static_cast<const uint8_t*>(LockResource(loaded));
    return p ? Bytes(p, p + SizeofResource(module, found)) : Bytes{};
}

inline uint32_t u16(const Bytes& b, size_t at) {
    return at + 2 <= b.size() ? b[at] | b[at + 1] << 8 : 0;
}

inline uint32_t u32(const Bytes& b, size_t at) {
    return u16(b, at) | u16(b, at + 2) << 16;
}

// One icon as stored: the group directory's entry and the image's own header.
struct StoredIcon {
    int group_count = 0; // images in the group
    int width = 0, height = 0, bits = 0;
    int header_width = 0, header_height = 0, header_bits = 0; // BITMAPINFOHEADER
    Bytes image;                                              // the RT_ICON data
};

inline StoredIcon stored_icon(HMODULE module, int id) {
    StoredIcon icon;
    Bytes group = resource_bytes(module, id, RT_GROUP_ICON);
    if (group.size() < 6 + 14)
        return icon;
    icon.group_count = static_cast<int>(u16(group, 4));
    icon.width = group[6] ? group[6] : 256;
    icon.height = group[7] ? group[7] : 256;
    icon.bits = static_cast<int>(u16(group, 6 + 6));
    icon.image = resource_bytes(module, static_cast<int>(u16(group, 6 + 12)), RT_ICON);
    if (icon.image.size() >= 40) {
        icon.header_width = static_cast<int>(u32(icon.image, 4));
        icon.header_height = static_cast<int>(u32(icon.image, 8));
        icon.header_bits = static_cast<int>(u16(icon.image, 14));
    }
    return icon;
}

// The pixels of an 8-bit icon image as 0xRRGGBB, or -1 where the mask makes it transparent;
// top row first.
inline std::vector<long> icon_pixels(const StoredIcon& icon) {
    const int w = icon.header_width, h = icon.header_height / 2;
    const size_t palette = 40, xor_at = palette + 256 * 4;
    const size_t xor_stride = (w * 8 + 31) / 32 * 4, and_stride = (w + 31) / 32 * 4;
    const size_t and_at = xor_at + xor_stride * h;
    std::vector<long> out;
    if (icon.header_bits != 8 || icon.image.size() < and_at + and_stride * h)
        return out;
    for (int y = 0; y < h; ++y) {
        size_t row = static_cast<size_t>(h - 1 - y);
        for (int x = 0; x < w; ++x) {
            bool clear = icon.image[and_at + row * and_stride + x / 8] & (0x80 >> (x % 8));
            uint8_t index = icon.image[xor_at + row * xor_stride + x];
            out.push_back(clear ? -1 : static_cast<long>(u32(icon.image, palette + index * 4)));
        }
    }
    return out;
}

// The pixels of a 24-bit bitmap resource as 0xRRGGBB, top row first; empty for another form.
struct StoredBitmap {
    int width = 0, height = 0;
    std::vector<long> pixels;
    long at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

inline StoredBitmap stored_bitmap(HMODULE module, int id) {
    StoredBitmap out;
    Bytes b = resource_bytes(module, id, RT_BITMAP);
    if (b.size() < 40 || u16(b, 14) != 24)
        return out;
    const int w = static_cast<int>(u32(b, 4)), h = static_cast<int>(u32(b, 8));
    const size_t stride = (static_cast<size_t>(w) * 24 + 31) / 32 * 4;
    if (b.size() < 40 + stride * h)
        return out;
    out.width = w;
    out.height = h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = &b[40 + (h - 1 - y) * stride + x * 3];
            out.pixels.push_back(p[2] << 16 | p[1] << 8 | p[0]);
        }
    return out;
}

} // namespace res_test
