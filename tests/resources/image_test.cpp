#include "platform/gdi/objects.h"
#include "platform/kernel/paths.h"
#include "res_bytes.h"
#include "test_ids.h"
#include "tests/support/machine_fixture.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

using platform::gdi::find_bitmap;
using platform::gdi::find_icon;
using platform::gdi::object_count;
using namespace res_bytes;

namespace {

constexpr uint32_t red = 0xFFFF0000, green = 0xFF00FF00, blue = 0xFF0000FF;
constexpr uint32_t white = 0xFFFFFFFF, black = 0xFF000000;

// The test pictures: top-left quarter red, top-right green, lower half blue; icons have a
// transparent leftmost column.
uint32_t expected(int x, int y, int w, int h) {
    if (y >= h / 2)
        return blue;
    return x < w / 2 ? red : green;
}

void expect_pattern(const platform::gdi::Icon& icon) {
    for (int y = 0; y < icon.height; ++y) {
        for (int x = 1; x < icon.width; ++x) {
            size_t i = static_cast<size_t>(y) * icon.width + x;
            ASSERT_EQ(icon.color[i] | 0xFF000000u, expected(x, y, icon.width, icon.height))
                << x << "," << y;
            ASSERT_EQ(icon.mask[i], 0);
        }
        EXPECT_EQ(icon.mask[static_cast<size_t>(y) * icon.width], 1);
        EXPECT_EQ(icon.color[static_cast<size_t>(y) * icon.width] >> 24, 0u);
    }
}

HMODULE self() {
    return GetModuleHandleA(nullptr);
}

} // namespace

TEST(Icons, LoadIconTakesTheStandardSizeAndSharesIt) {
    HICON icon = LoadIconA(self(), MAKEINTRESOURCE(IDI_MAIN));
    ASSERT_NE(icon, nullptr);
    auto image = find_icon(icon);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 32);
    EXPECT_EQ(image->height, 32);
    expect_pattern(*image);
    EXPECT_EQ(LoadIconA(self(), MAKEINTRESOURCE(IDI_MAIN)), icon);
    // Shared icons survive DestroyIcon.
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_TRUE(find_icon(icon));
    // No 32x32 image: the first one, at its own size.
    auto nibble = find_icon(LoadIconA(self(), MAKEINTRESOURCE(IDI_NIBBLE)));
    ASSERT_TRUE(nibble);
    EXPECT_EQ(nibble->width, 24);
    expect_pattern(*nibble);
    EXPECT_NE(LoadIconA(self(), "TRAYICON"), nullptr);
    SetLastError(0);
    EXPECT_EQ(LoadIconA(self(), MAKEINTRESOURCE(999)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST(Icons, LoadImageGivesOwnSizeAndIsDestroyed) {
    size_t before = object_count();
    HICON small = static_cast<HICON>(
        LoadImageA(self(), MAKEINTRESOURCE(IDI_MAIN), IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
    ASSERT_NE(small, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(small, &info));
    EXPECT_TRUE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 8u); // the centre of the 16x16 image
    EXPECT_EQ(info.yHotspot, 8u);
    BITMAP bm{};
    ASSERT_EQ(GetObjectA(info.hbmColor, BITMAP_SIZE_32BIT, &bm), BITMAP_SIZE_32BIT);
    EXPECT_EQ(bm.bmWidth, 16);
    ASSERT_EQ(GetObjectA(info.hbmMask, BITMAP_SIZE_32BIT, &bm), BITMAP_SIZE_32BIT);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    EXPECT_EQ(find_bitmap(info.hbmMask)->pixel(0, 0), white); // transparent column
    EXPECT_EQ(find_bitmap(info.hbmMask)->pixel(1, 0), black);
    EXPECT_EQ(object_count(), before + 3);
    EXPECT_TRUE(DeleteObject(info.hbmColor));
    EXPECT_TRUE(DeleteObject(info.hbmMask));

    EXPECT_FALSE(DeleteObject(small)); // an icon is not a GDI object
    EXPECT_TRUE(DestroyIcon(small));
    EXPECT_EQ(object_count(), before);
    EXPECT_FALSE(DestroyIcon(small));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_CURSOR_HANDLE));
    EXPECT_FALSE(GetIconInfo(small, &info));
}

TEST(Icons, SizesAndDepthsDecode) {
    auto load = [](LPCSTR id, int cx, int cy, UINT flags) {
        return static_cast<HICON>(LoadImageA(self(), id, IMAGE_ICON, cx, cy, flags));
    };
    HICON big = load(MAKEINTRESOURCE(IDI_NIBBLE), 48, 48, 0); // the 24-bit image
    HICON scaled = load(MAKEINTRESOURCE(IDI_NIBBLE), 0, 0, LR_DEFAULTSIZE);
    HICON alpha = load(MAKEINTRESOURCE(IDI_ALPHA), 0, 0, 0);
    for (HICON h : {big, scaled, alpha})
        ASSERT_TRUE(find_icon(h));
    EXPECT_EQ(find_icon(big)->width, 48);
    expect_pattern(*find_icon(big));
    EXPECT_EQ(find_icon(scaled)->width, 32);
    EXPECT_EQ(find_icon(scaled)->height, 32);
    auto a = find_icon(alpha);
    expect_pattern(*a);
    EXPECT_EQ(a->color[1] >> 24, 0x80u); // its own alpha is kept
    EXPECT_EQ(a->color[2] >> 24, 0xFFu);
    for (HICON h : {big, scaled, alpha})
        EXPECT_TRUE(DestroyIcon(h));
}

TEST(Icons, SystemCursorsAndIconsAreShared) {
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    HCURSOR hand = LoadCursorA(nullptr, IDC_HAND);
    ASSERT_NE(arrow, nullptr);
    ASSERT_NE(hand, nullptr);
    EXPECT_NE(arrow, hand);
    EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), arrow);
    EXPECT_TRUE(DestroyCursor(arrow));
    EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), arrow);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(arrow, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 0u);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), nullptr);
}

TEST(Bitmaps, LoadBitmapDecodesEveryDepth) {
    struct Case {
        int id, width, height, bpp, width_bytes;
    };
    for (Case c : {Case{IDB_PATTERN, 20, 10, 32, 80}, Case{IDB_TRUECOLOR, 7, 5, 32, 28},
                   Case{IDB_MONO, 9, 3, 1, 2}}) {
        HBITMAP bitmap = LoadBitmapA(self(), MAKEINTRESOURCE(c.id));
        ASSERT_NE(bitmap, nullptr) << c.id;
        EXPECT_EQ(GetObjectType(bitmap), static_cast<DWORD>(OBJ_BITMAP));
        BITMAP bm{};
        ASSERT_EQ(GetObjectA(bitmap, BITMAP_SIZE_32BIT, &bm), BITMAP_SIZE_32BIT);
        EXPECT_EQ(bm.bmType, 0);
        EXPECT_EQ(bm.bmWidth, c.width);
        EXPECT_EQ(bm.bmHeight, c.height);
        EXPECT_EQ(bm.bmBitsPixel, c.bpp);
        EXPECT_EQ(bm.bmPlanes, 1);
        EXPECT_EQ(bm.bmWidthBytes, c.width_bytes);
        auto pixels = find_bitmap(bitmap);
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                uint32_t want =
                    c.id == IDB_MONO ? (x % 2 ? black : white) : expected(x, y, c.width, c.height);
                ASSERT_EQ(pixels->pixel(x, y), want) << c.id << " at " << x << "," << y;
            }
        }
        EXPECT_TRUE(DeleteObject(bitmap));
    }
}

TEST(Bitmaps, GetObjectAndDeleteObjectFollowWin32) {
    HBITMAP bitmap = LoadBitmapA(self(), MAKEINTRESOURCE(IDB_PATTERN));
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(GetObjectA(bitmap, 0, nullptr), static_cast<int>(sizeof(BITMAP)));
    BITMAP bm;
    std::memset(&bm, 0xAB, sizeof bm);
    EXPECT_EQ(GetObjectA(bitmap, sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmBits, nullptr);
    EXPECT_EQ(GetObjectA(bitmap, 10, &bm), 0);

    size_t before = object_count();
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_EQ(object_count(), before - 1);
    EXPECT_FALSE(DeleteObject(bitmap));
    EXPECT_EQ(GetObjectType(bitmap), 0u);
    EXPECT_EQ(GetObjectA(bitmap, sizeof bm, &bm), 0);
    EXPECT_FALSE(DeleteObject(nullptr));

    HGDIOBJ brush = GetStockObject(NULL_BRUSH);
    EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(GetObjectType(GetStockObject(DEFAULT_GUI_FONT)), static_cast<DWORD>(OBJ_FONT));
    EXPECT_EQ(GetStockObject(9), nullptr);
}

TEST(Bitmaps, NotFoundIsReported) {
    SetLastError(0);
    EXPECT_EQ(LoadBitmapA(self(), MAKEINTRESOURCE(999)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

// Pictures in a library survive the library; broken pictures load as nothing.
TEST(Pictures, FromLibrariesAndBrokenData) {
    testing_support::TempDir dir;
    HMODULE library = LoadLibraryA(platform::windows_path(TEST_LIBRARY_RES).c_str());
    ASSERT_NE(library, nullptr);
    HBITMAP bitmap = LoadBitmapA(library, MAKEINTRESOURCE(IDB_TRUECOLOR));
    HICON icon = static_cast<HICON>(
        LoadImageA(library, MAKEINTRESOURCE(IDI_ALPHA), IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
    EXPECT_TRUE(FreeLibrary(library));
    ASSERT_TRUE(find_bitmap(bitmap));
    EXPECT_EQ(find_bitmap(bitmap)->pixel(6, 0), green);
    ASSERT_TRUE(find_icon(icon));
    EXPECT_EQ(find_icon(icon)->width, 16);
    DeleteObject(bitmap);
    DestroyIcon(icon);

    Bytes group;
    for (unsigned v : {0u, 1u, 1u})
        put16(group, v);
    group.insert(group.end(), {16, 16, 0, 0, 1, 0, 8, 0, 100, 0, 0, 0, 5, 0}); // image 5
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13};
    Bytes huge_bitmap;
    for (uint32_t v : {40u, 1000u, 1000u})
        put32(huge_bitmap, v);
    put16(huge_bitmap, 1);
    put16(huge_bitmap, 24);
    huge_bitmap.resize(64, 0); // far fewer pixels than the header claims
    Bytes broken = file_bytes({record("#14", "#1", group), record("#14", "#2", {1, 0}),
                               record("#3", "#1", png), record("#2", "#3", huge_bitmap)});
    Bytes group_png = group;
    group_png[6 + 12] = 1; // the PNG image
    broken = file_bytes({record("#14", "#1", group), record("#14", "#2", {1, 0}),
                         record("#14", "#4", group_png), record("#3", "#1", png),
                         record("#2", "#3", huge_bitmap)});
    write_file((dir.path() / "broken.dll").string(), broken);
    HMODULE lib = LoadLibraryA(platform::windows_path(dir.path() / "broken.dll").c_str());
    ASSERT_NE(lib, nullptr);
    size_t before = object_count();
    EXPECT_EQ(LoadIconA(lib, MAKEINTRESOURCE(1)), nullptr); // image 5 is missing
    EXPECT_EQ(LoadIconA(lib, MAKEINTRESOURCE(2)), nullptr); // directory cut short
    EXPECT_EQ(LoadIconA(lib, MAKEINTRESOURCE(4)), nullptr); // PNG images are not supported
    EXPECT_EQ(LoadBitmapA(lib, MAKEINTRESOURCE(3)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
    EXPECT_EQ(object_count(), before);
    FreeLibrary(lib);
}
