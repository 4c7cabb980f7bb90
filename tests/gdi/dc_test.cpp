#include "platform/drivers/display.h"
#include "platform/gdi/dc.h"

#include <windows.h>

#include <gtest/gtest.h>

using namespace platform::gdi;

namespace {

int bits_of(HBITMAP bitmap) {
    BITMAP bm{};
    GetObjectA(bitmap, sizeof bm, &bm);
    return bm.bmBitsPixel;
}

// A memory DC with a 32-bit bitmap of its own.
struct MemoryDc {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    MemoryDc(int w, int h) {
        HDC screen = CreateCompatibleDC(nullptr);
        SelectObject(screen, CreateBitmap(1, 1, 1, 32, nullptr));
        bitmap = CreateCompatibleBitmap(screen, w, h);
        DeleteObject(SelectObject(screen, CreateBitmap(1, 1, 1, 1, nullptr)));
        DeleteDC(screen);
        old = SelectObject(dc, bitmap);
    }
    ~MemoryDc() {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
};

} // namespace

TEST(MemoryDc, StartsWithAMonochromeBitmapAndMakesItsLike) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ initial = GetCurrentObject(dc, OBJ_BITMAP);
    EXPECT_EQ(bits_of(static_cast<HBITMAP>(initial)), 1);
    HBITMAP mono = CreateCompatibleBitmap(dc, 8, 8);
    EXPECT_EQ(bits_of(mono), 1);
    EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));

    MemoryDc colour(4, 4);
    HBITMAP like = CreateCompatibleBitmap(colour.dc, 8, 8);
    EXPECT_EQ(bits_of(like), 32);
    EXPECT_EQ(bits_of(CreateCompatibleBitmap(colour.dc, 0, 5)), 1); // 1 x 1 mono, as Windows

    // A colour drawn on a monochrome bitmap becomes black or white.
    EXPECT_EQ(SelectObject(dc, mono), initial);
    EXPECT_EQ(SetPixel(dc, 1, 1, RGB(200, 220, 200)), RGB(255, 255, 255));
    EXPECT_EQ(SetPixel(dc, 2, 1, RGB(90, 20, 20)), RGB(0, 0, 0));
    EXPECT_EQ(SelectObject(dc, initial), mono);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_TRUE(DeleteObject(mono));
    EXPECT_TRUE(DeleteObject(like));
}

TEST(MemoryDc, ABitmapLivesInOneDcAtATime) {
    MemoryDc a(4, 4);
    HDC b = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(b, a.bitmap), nullptr);
    SetLastError(0);
    EXPECT_EQ(SelectObject(b, reinterpret_cast<HGDIOBJ>(uintptr_t{0xC7000999})), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    DeleteDC(b);
}

TEST(MemoryDc, DeletingASelectedObjectWaitsForItsRelease) {
    MemoryDc m(4, 4);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    HGDIOBJ stock = SelectObject(m.dc, brush);
    EXPECT_EQ(stock, GetStockObject(WHITE_BRUSH));
    int level = SaveDC(m.dc);
    SelectObject(m.dc, stock);

    // The saved state still holds it: deletion waits, the handle stays good.
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_TRUE(RestoreDC(m.dc, level));
    EXPECT_EQ(GetCurrentObject(m.dc, OBJ_BRUSH), brush);
    SelectObject(m.dc, stock);
    EXPECT_EQ(GetObjectType(brush), 0u);

    // Stock objects are one object each and outlive any DeleteObject.
    EXPECT_EQ(GetStockObject(NULL_BRUSH), GetStockObject(HOLLOW_BRUSH));
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN)));
    EXPECT_EQ(GetObjectType(GetStockObject(BLACK_PEN)), static_cast<DWORD>(OBJ_PEN));
    EXPECT_FALSE(DeleteObject(m.dc)); // a DC goes with DeleteDC
}

TEST(MemoryDc, RestoreDcBringsBackEachSavedLevel) {
    MemoryDc m(4, 4);
    SetTextColor(m.dc, RGB(1, 1, 1));
    EXPECT_EQ(SaveDC(m.dc), 1);
    SetTextColor(m.dc, RGB(2, 2, 2));
    EXPECT_EQ(SetBkMode(m.dc, TRANSPARENT), OPAQUE);
    EXPECT_EQ(SetBkMode(m.dc, 7), 0); // no such mode: refused, the mode kept
    IntersectClipRect(m.dc, 0, 0, 1, 1);
    EXPECT_EQ(SaveDC(m.dc), 2);
    SetTextColor(m.dc, RGB(3, 3, 3));

    EXPECT_TRUE(RestoreDC(m.dc, -1));
    EXPECT_EQ(GetTextColor(m.dc), RGB(2, 2, 2));
    EXPECT_EQ(GetPixel(m.dc, 2, 2), CLR_INVALID); // the clip came back too
    EXPECT_TRUE(RestoreDC(m.dc, 1));
    EXPECT_EQ(GetTextColor(m.dc), RGB(1, 1, 1));
    EXPECT_EQ(GetBkMode(m.dc), OPAQUE);
    EXPECT_NE(GetPixel(m.dc, 2, 2), CLR_INVALID);
    for (int bad : {1, -1, 0, 5})
        EXPECT_FALSE(RestoreDC(m.dc, bad)) << bad;
}

TEST(WindowDc, DrawsThroughItsOriginWithinItsVisibleArea) {
    std::vector<uint32_t> surface(20 * 10, 0);
    PixelTarget target{surface.data(), 20, 10};
    Region visible(RECT{0, 0, 8, 5});
    visible.subtract(RECT{0, 0, 2, 2}); // a sibling above it
    HDC dc = open_dc(nullptr, target, POINT{5, 3}, visible);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_DC));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), nullptr);
    EXPECT_EQ(SelectObject(dc, CreateCompatibleBitmap(dc, 2, 2)), nullptr);
    EXPECT_FALSE(DeleteDC(dc));

    EXPECT_EQ(SetPixel(dc, 3, 2, RGB(0x12, 0x34, 0x56)), RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(surface[(2 + 3) * 20 + (3 + 5)], 0x123456u);
    EXPECT_EQ(SetPixel(dc, 1, 1, 0), CLR_INVALID); // the sibling's part
    EXPECT_EQ(SetPixel(dc, 8, 0, 0), CLR_INVALID); // beyond the window

    RECT box;
    EXPECT_EQ(GetClipBox(dc, &box), COMPLEXREGION);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.right, 8);
    EXPECT_EQ(box.bottom, 5);
    EXPECT_EQ(ExcludeClipRect(dc, 0, 2, 8, 5), SIMPLEREGION);
    EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 2);
    EXPECT_EQ(box.bottom, 2);
    EXPECT_EQ(SelectClipRgn(dc, nullptr), COMPLEXREGION);
    EXPECT_TRUE(close_dc(dc));
    EXPECT_EQ(GetObjectType(dc), 0u);
}

TEST(WindowDc, DeviceCapsComeFromTheDisplay) {
    struct Dense : platform::DisplayDriver {
        const char* name() const override { return "dense"; }
        int pixels_per_inch() const override { return 144; }
        SIZE screen_size() const override { return {1600, 1200}; }
    } dense;
    platform::set_display_driver(&dense);
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 144);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 144);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 1600);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
    platform::set_display_driver(nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);
    DeleteDC(dc);
}

TEST(Regions, HandlesCombineAndReportTheirShape) {
    HRGN a = CreateRectRgn(10, 10, 0, 0); // corners in any order
    HRGN b = CreateRectRgn(5, 5, 15, 15);
    HRGN out = CreateRectRgn(0, 0, 0, 0);
    struct {
        int mode;
        int type;
        RECT box;
    } cases[] = {
        {RGN_AND, SIMPLEREGION, {5, 5, 10, 10}},   {RGN_OR, COMPLEXREGION, {0, 0, 15, 15}},
        {RGN_DIFF, COMPLEXREGION, {0, 0, 10, 10}}, {RGN_XOR, COMPLEXREGION, {0, 0, 15, 15}},
        {RGN_COPY, SIMPLEREGION, {0, 0, 10, 10}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CombineRgn(out, a, b, c.mode), c.type) << c.mode;
        RECT box;
        EXPECT_EQ(GetRgnBox(out, &box), c.type);
        EXPECT_TRUE(box.left == c.box.left && box.top == c.box.top && box.right == c.box.right &&
                    box.bottom == c.box.bottom)
            << c.mode;
    }
    EXPECT_EQ(CombineRgn(out, a, a, RGN_DIFF), NULLREGION);
    EXPECT_EQ(CombineRgn(out, a, nullptr, RGN_AND), ERROR);
    EXPECT_EQ(OffsetRgn(b, -5, -5), SIMPLEREGION);
    EXPECT_TRUE(EqualRgn(a, b));
    EXPECT_TRUE(PtInRegion(a, 9, 9));
    EXPECT_FALSE(PtInRegion(a, 10, 9));
    for (HRGN r : {a, b, out})
        EXPECT_TRUE(DeleteObject(r));
}
