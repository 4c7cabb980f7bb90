#include "objects.h"

#include "dc.h"

#include <windows.h>

#include <cstring>
#include <mutex>
#include <unordered_map>

namespace platform::gdi {

namespace {

constexpr uint32_t serial_mask = 0x00FFFFFF;

struct Table {
    std::mutex mutex;
    std::unordered_map<uint32_t, std::shared_ptr<Object>> objects;
    std::unordered_map<uint32_t, std::shared_ptr<Object>> stock;
    uint32_t next_serial = 0x100; // serials below are stock objects
    // At exit a device context still open lets its selections go, which may free objects
    // whose deletion waited: they must find an empty table, not one half destroyed.
    ~Table() {
        auto doomed = std::move(objects);
        objects.clear();
    }
};

Table& table() {
    static Table instance;
    return instance;
}

uint32_t value_of(HGDIOBJ handle) {
    uintptr_t v = reinterpret_cast<uintptr_t>(handle);
    return v > 0xFFFFFFFFu ? 0 : static_cast<uint32_t>(v);
}

HGDIOBJ handle_of(uint32_t value) {
    return reinterpret_cast<HGDIOBJ>(uintptr_t{value});
}

uint32_t make_value(Kind kind, uint32_t serial) {
    return handle_base | (static_cast<uint32_t>(kind) << 24) | (serial & serial_mask);
}

} // namespace

HGDIOBJ add_object(std::shared_ptr<Object> object) {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    for (uint32_t tries = 0; tries < serial_mask; ++tries) {
        uint32_t serial = t.next_serial;
        t.next_serial = serial + 1 > serial_mask ? 0x100 : serial + 1;
        uint32_t value = make_value(object->kind(), serial);
        if (t.objects.count(value))
            continue;
        object->handle = handle_of(value);
        t.objects.emplace(value, std::move(object));
        return handle_of(value);
    }
    return nullptr;
}

HGDIOBJ add_permanent_object(uint32_t serial, Kind kind,
                             const std::function<std::shared_ptr<Object>()>& make) {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    uint32_t value = make_value(kind, serial);
    auto it = t.stock.find(value);
    if (it == t.stock.end()) {
        std::shared_ptr<Object> object = make();
        object->handle = handle_of(value);
        t.stock.emplace(value, std::move(object));
    }
    return handle_of(value);
}

std::shared_ptr<Object> find_object(HGDIOBJ handle) {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    uint32_t value = value_of(handle);
    auto it = t.objects.find(value);
    if (it != t.objects.end())
        return it->second;
    auto stock = t.stock.find(value);
    return stock == t.stock.end() ? nullptr : stock->second;
}

bool remove_object(HGDIOBJ handle) {
    std::shared_ptr<Object> gone; // dies after the lock: a DC lets its selections go then
    Table& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.objects.find(value_of(handle));
    if (it == t.objects.end())
        return false;
    gone = std::move(it->second);
    t.objects.erase(it);
    return true;
}

bool is_stock_object(HGDIOBJ handle) {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    return t.stock.count(value_of(handle)) != 0;
}

size_t object_count() {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    return t.objects.size();
}

HBITMAP create_bitmap(Bitmap bitmap) {
    return reinterpret_cast<HBITMAP>(add_object(std::make_shared<Bitmap>(std::move(bitmap))));
}

HICON create_icon(Icon icon) {
    return reinterpret_cast<HICON>(add_object(std::make_shared<Icon>(std::move(icon))));
}

} // namespace platform::gdi

using namespace platform::gdi;

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
    if (is_stock_object(ho))
        return TRUE; // stock objects survive deletion, as on Windows
    auto object = find_object(ho);
    // Icons and cursors are USER objects: DestroyIcon, not DeleteObject, frees them; a device
    // context goes with DeleteDC or ReleaseDC.
    if (!object || object->kind() == Kind::icon || object->kind() == Kind::dc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Still selected into a device context: it goes when the last one lets it go.
    if (object->selections > 0) {
        object->delete_pending = true;
        return TRUE;
    }
    remove_object(ho);
    return TRUE;
}

DWORD WINAPI GetObjectType(HGDIOBJ h) {
    auto object = find_object(h);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    switch (object->kind()) {
    case Kind::bitmap:
        return OBJ_BITMAP;
    case Kind::brush:
        return OBJ_BRUSH;
    case Kind::pen:
        return OBJ_PEN;
    case Kind::font:
        return OBJ_FONT;
    case Kind::palette:
        return 5; // OBJ_PAL
    case Kind::region:
        return OBJ_REGION;
    case Kind::dc:
        return std::static_pointer_cast<DeviceContext>(object)->memory ? OBJ_MEMDC : OBJ_DC;
    case Kind::icon:
        break;
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
}

int WINAPI GetObjectA(HANDLE h, int c, LPVOID pv) {
    auto bitmap = find_bitmap(h);
    if (!bitmap) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (!pv)
        return static_cast<int>(sizeof(BITMAP));
    // A device-dependent bitmap's rows are WORD-aligned.
    int bpp = bitmap->bits_per_pixel;
    BITMAP record{};
    record.bmType = 0;
    record.bmWidth = bitmap->width;
    record.bmHeight = bitmap->height;
    record.bmWidthBytes = ((bitmap->width * bpp + 15) / 16) * 2;
    record.bmPlanes = 1;
    record.bmBitsPixel = static_cast<WORD>(bpp);
    record.bmBits = nullptr;
    // The 24-byte record of 32-bit Windows is this one without the pointer.
    int size = c >= static_cast<int>(sizeof(BITMAP)) ? static_cast<int>(sizeof(BITMAP))
               : c >= BITMAP_SIZE_32BIT              ? BITMAP_SIZE_32BIT
                                                     : 0;
    if (size == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::memcpy(pv, &record, static_cast<size_t>(size));
    return size;
}
