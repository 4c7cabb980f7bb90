// The resource loaders of USER: strings, icons, cursors and bitmaps. Pictures are decoded
// into GDI objects; icons loaded shared (LoadIconA, LR_SHARED) are cached per module and name
// and outlive DestroyIcon, as on Windows.
#include "resources.h"

#include <windows.h>

#include <map>
#include <mutex>
#include <string>

namespace platform {

namespace {

constexpr int default_icon_size = 32; // SM_CXICON, SM_CYICON
constexpr uint16_t rt_cursor = 1, rt_icon = 3, rt_group_cursor = 12, rt_group_icon = 14;

// A resource's bytes; no value (with the lookup's error set) when there is no such resource.
std::optional<std::span<const uint8_t>> resource_bytes(HMODULE module, LPCSTR name, LPCSTR type) {
    HRSRC info = FindResourceA(module, name, type);
    if (!info)
        return std::nullopt;
    HGLOBAL data = LoadResource(module, info);
    if (!data)
        return std::nullopt;
    return std::span<const uint8_t>(static_cast<const uint8_t*>(LockResource(data)),
                                    SizeofResource(module, info));
}

struct GroupEntry {
    int width = 0;
    int height = 0;
    int bits = 0;
    uint16_t id = 0;
};

// A group icon or group cursor directory: a 6-byte header, then one 14-byte entry per image.
std::vector<GroupEntry> read_group(std::span<const uint8_t> d, bool cursor) {
    std::vector<GroupEntry> entries;
    if (d.size() < 6)
        return entries;
    size_t count = d[4] | (d[5] << 8);
    for (size_t i = 0; i < count && 6 + (i + 1) * 14 <= d.size(); ++i) {
        const uint8_t* e = d.data() + 6 + i * 14;
        GroupEntry entry;
        if (cursor) {
            entry.width = e[0] | (e[1] << 8);
            entry.height = (e[2] | (e[3] << 8)) / 2; // cursors store the doubled height
        } else {
            entry.width = e[0] ? e[0] : 256;
            entry.height = e[1] ? e[1] : 256;
        }
        entry.bits = e[6] | (e[7] << 8);
        entry.id = static_cast<uint16_t>(e[12] | (e[13] << 8));
        entries.push_back(entry);
    }
    return entries;
}

// The image of the wanted size with the most colours; else the nearest size when it is to be
// scaled, or the first image when it is taken at its own size.
const GroupEntry* pick(const std::vector<GroupEntry>& entries, int cx, int cy, bool scale) {
    if (entries.empty())
        return nullptr;
    if (cx == 0 && cy == 0)
        return &entries[0];
    if (!scale) {
        const GroupEntry* exact = nullptr;
        for (const GroupEntry& e : entries) {
            if (e.width == cx && e.height == cy && (!exact || e.bits > exact->bits))
                exact = &e;
        }
        return exact ? exact : &entries[0];
    }
    const GroupEntry* best = nullptr;
    long best_score = 0;
    for (const GroupEntry& e : entries) {
        long distance =
            std::labs(e.width - (cx ? cx : e.width)) + std::labs(e.height - (cy ? cy : e.height));
        long score = distance * 256 - e.bits;
        if (!best || score < best_score) {
            best = &e;
            best_score = score;
        }
    }
    return best;
}

std::string cache_key(HMODULE module, LPCSTR name, bool cursor, int cx, int cy) {
    std::string key = std::to_string(reinterpret_cast<uintptr_t>(module)) + (cursor ? "c" : "i") +
                      std::to_string(cx) + "x" + std::to_string(cy) + ":";
    if (IS_INTRESOURCE(name)) {
        key += "#" + std::to_string(reinterpret_cast<uintptr_t>(name));
    } else {
        for (const char* p = name; *p; ++p)
            key += static_cast<char>(*p >= 'a' && *p <= 'z' ? *p - 32 : *p);
    }
    return key;
}

struct SharedImages {
    std::mutex mutex;
    std::map<std::string, HICON> icons;
};

SharedImages& shared_images() {
    static SharedImages instance;
    return instance;
}

HICON load_icon_resource(HMODULE module, LPCSTR name, bool cursor, int cx, int cy, bool scale,
                         bool shared) {
    std::string key;
    if (shared) {
        key = cache_key(module ? module : GetModuleHandleA(nullptr), name, cursor, cx, cy);
        SharedImages& s = shared_images();
        std::lock_guard lock(s.mutex);
        auto it = s.icons.find(key);
        if (it != s.icons.end() && gdi::find_icon(it->second))
            return it->second;
    }
    auto directory =
        resource_bytes(module, name, MAKEINTRESOURCE(cursor ? rt_group_cursor : rt_group_icon));
    if (!directory)
        return nullptr;
    auto group = read_group(*directory, cursor);
    if (group.empty()) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    const GroupEntry* entry = pick(group, cx, cy, scale);
    auto image = resource_bytes(module, MAKEINTRESOURCE(entry->id),
                                MAKEINTRESOURCE(cursor ? rt_cursor : rt_icon));
    if (!image)
        return nullptr;
    std::span<const uint8_t> bytes = *image;
    POINT hotspot{};
    if (cursor) {
        // A cursor image opens with its hot spot, then the DIB.
        if (bytes.size() < 4)
            return nullptr;
        hotspot = {bytes[0] | (bytes[1] << 8), bytes[2] | (bytes[3] << 8)};
        bytes = bytes.subspan(4);
    }
    auto icon = decode_icon_image(bytes);
    if (!icon) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    icon->is_icon = !cursor;
    if (cursor)
        icon->hotspot = hotspot;
    int width = scale && cx ? cx : icon->width;
    int height = scale && cy ? cy : icon->height;
    if (width != icon->width || height != icon->height)
        icon = scale_icon(*icon, width, height);
    icon->shared = shared;
    if (IS_INTRESOURCE(name))
        icon->resource_id = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(name));
    HICON handle = gdi::create_icon(std::move(*icon));
    if (shared && handle) {
        SharedImages& s = shared_images();
        std::lock_guard lock(s.mutex);
        s.icons[key] = handle;
    }
    return handle;
}

// The system's own icons and cursors (a NULL module): drawn here, shared, never destroyed.
HICON system_image(uintptr_t id, bool cursor) {
    bool known = cursor ? (id >= 32512 && id <= 32651) : (id >= 32512 && id <= 32518);
    if (!known) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    std::string key = cache_key(nullptr, MAKEINTRESOURCE(id), cursor, 0, 0);
    SharedImages& s = shared_images();
    std::lock_guard lock(s.mutex);
    auto it = s.icons.find(key);
    if (it != s.icons.end())
        return it->second;
    gdi::Icon icon;
    icon.is_icon = !cursor;
    icon.shared = true;
    icon.resource_id = static_cast<uint32_t>(id);
    icon.width = icon.height = default_icon_size;
    icon.color.assign(32 * 32, 0);
    icon.mask.assign(32 * 32, 1);
    bool hand = cursor && id == 32649;
    icon.hotspot = cursor ? POINT{hand ? 5 : 0, 0} : POINT{16, 16};
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            // A cursor is an arrow (or a finger) outlined in black; an icon a framed square.
            bool inside = cursor ? (hand ? (x >= 3 && x <= 7 && y < 20) ||
                                               (x >= 3 && x < 14 && y >= 10 && y < 20)
                                         : x <= y / 2 + 1 && y < 18)
                                 : x >= 2 && x < 30 && y >= 2 && y < 30;
            bool edge = cursor ? (hand ? x == 3 || y == 19 : x == 0 || x == y / 2 + 1 || y == 17)
                               : x == 2 || x == 29 || y == 2 || y == 29;
            if (!inside)
                continue;
            size_t i = static_cast<size_t>(y) * 32 + x;
            icon.mask[i] = 0;
            icon.color[i] = edge ? 0xFF000000u : (cursor ? 0xFFFFFFFFu : 0xFFF0D890u);
        }
    }
    HICON handle = gdi::create_icon(std::move(icon));
    s.icons[key] = handle;
    return handle;
}

HBITMAP mask_bitmap(const gdi::Icon& icon) {
    gdi::Bitmap mask;
    mask.width = icon.width;
    mask.height = icon.height;
    mask.bits_per_pixel = mask.source_bits_per_pixel = 1;
    mask.pixels.reserve(icon.mask.size());
    for (uint8_t bit : icon.mask)
        mask.pixels.push_back(bit ? 0xFFFFFFFFu : 0xFF000000u);
    return gdi::create_bitmap(std::move(mask));
}

HBITMAP color_bitmap(const gdi::Icon& icon) {
    gdi::Bitmap color;
    color.width = icon.width;
    color.height = icon.height;
    color.pixels = icon.color;
    return gdi::create_bitmap(std::move(color));
}

BOOL destroy_icon(HICON handle, bool cursor) {
    auto icon = gdi::find_icon(handle);
    if (!icon || icon->is_icon == cursor) {
        SetLastError(ERROR_INVALID_CURSOR_HANDLE);
        return FALSE;
    }
    if (!icon->shared)
        gdi::remove_object(reinterpret_cast<HGDIOBJ>(handle));
    return TRUE;
}

} // namespace
} // namespace platform

using namespace platform;

int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax) {
    // The A version cannot hand out a pointer to the resource itself, so a zero-sized buffer
    // gets nothing.
    if (!lpBuffer || cchBufferMax <= 0)
        return 0;
    lpBuffer[0] = '\0';
    // Strings live in blocks of 16, each string counted UTF-16.
    HRSRC info = FindResourceA(hInstance, MAKEINTRESOURCE((uID >> 4) + 1), RT_STRING);
    if (!info) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(hInstance, info)));
    std::span<const uint8_t> block(data, SizeofResource(hInstance, info));
    size_t at = 0;
    for (UINT i = 0; i < (uID & 15); ++i) {
        if (at + 2 > block.size())
            return 0;
        at += 2 + 2 * static_cast<size_t>(block[at] | (block[at + 1] << 8));
    }
    if (at + 2 > block.size())
        return 0;
    size_t length = block[at] | (block[at + 1] << 8);
    at += 2;
    // A block that ends early yields what it holds rather than reading past it.
    length = std::min(length, (block.size() - at) / 2);
    int copied = 0;
    for (size_t i = 0; i < length && copied < cchBufferMax - 1; ++i) {
        char16_t c = static_cast<char16_t>(block[at + 2 * i] | (block[at + 2 * i + 1] << 8));
        // The ANSI code page here is Windows-1252: its first 256 code points stand for
        // themselves; a surrogate pair is one character that it lacks.
        if (c >= 0xDC00 && c < 0xE000 && i > 0)
            continue;
        lpBuffer[copied++] = c < 256 ? static_cast<char>(c) : '?';
    }
    lpBuffer[copied] = '\0';
    return copied;
}

HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
    if (!lpIconName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!hInstance)
        return IS_INTRESOURCE(lpIconName)
                   ? system_image(reinterpret_cast<uintptr_t>(lpIconName), false)
                   : (SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND), nullptr);
    // The image made for the standard icon size, else the first image, at its own size.
    return load_icon_resource(hInstance, lpIconName, false, default_icon_size, default_icon_size,
                              false, true);
}

HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) {
    if (!lpCursorName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!hInstance)
        return IS_INTRESOURCE(lpCursorName)
                   ? system_image(reinterpret_cast<uintptr_t>(lpCursorName), true)
                   : (SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND), nullptr);
    return load_icon_resource(hInstance, lpCursorName, true, 0, 0, false, true);
}

HANDLE WINAPI LoadImageA(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy, UINT fuLoad) {
    if (!name || cx < 0 || cy < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (fuLoad & LR_LOADFROMFILE) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    if (type == IMAGE_BITMAP) {
        auto bytes = resource_bytes(hInst, name, RT_BITMAP);
        if (!bytes)
            return nullptr;
        auto bitmap = decode_dib(*bytes);
        if (!bitmap) {
            SetLastError(ERROR_INVALID_DATA);
            return nullptr;
        }
        if ((cx && cx != bitmap->width) || (cy && cy != bitmap->height))
            bitmap = scale_bitmap(*bitmap, cx ? cx : bitmap->width, cy ? cy : bitmap->height);
        return gdi::create_bitmap(std::move(*bitmap));
    }
    if (type != IMAGE_ICON && type != IMAGE_CURSOR) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    bool cursor = type == IMAGE_CURSOR;
    if (!hInst) {
        if (!IS_INTRESOURCE(name)) {
            SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
            return nullptr;
        }
        return system_image(reinterpret_cast<uintptr_t>(name), cursor);
    }
    // Without LR_DEFAULTSIZE a zero size means the image's own size.
    if ((fuLoad & LR_DEFAULTSIZE) && cx == 0)
        cx = default_icon_size;
    if ((fuLoad & LR_DEFAULTSIZE) && cy == 0)
        cy = default_icon_size;
    return load_icon_resource(hInst, name, cursor, cx, cy, true, (fuLoad & LR_SHARED) != 0);
}

HBITMAP WINAPI LoadBitmapA(HINSTANCE hInstance, LPCSTR lpBitmapName) {
    return static_cast<HBITMAP>(LoadImageA(hInstance, lpBitmapName, IMAGE_BITMAP, 0, 0, 0));
}

BOOL WINAPI DestroyIcon(HICON hIcon) {
    return destroy_icon(hIcon, false);
}

BOOL WINAPI DestroyCursor(HCURSOR hCursor) {
    return destroy_icon(hCursor, true);
}

BOOL WINAPI GetIconInfo(HICON hIcon, PICONINFO piconinfo) {
    auto icon = gdi::find_icon(hIcon);
    if (!icon) {
        SetLastError(ERROR_INVALID_CURSOR_HANDLE);
        return FALSE;
    }
    if (!piconinfo) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    piconinfo->fIcon = icon->is_icon ? TRUE : FALSE;
    piconinfo->xHotspot = static_cast<DWORD>(icon->hotspot.x);
    piconinfo->yHotspot = static_cast<DWORD>(icon->hotspot.y);
    piconinfo->hbmMask = mask_bitmap(*icon);
    piconinfo->hbmColor = color_bitmap(*icon);
    return TRUE;
}
