#include "platform/gdi/dc.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <random>

using namespace platform::gdi;

namespace {

// A 32-bit memory DC of w x h, filled with one colour.
struct Canvas {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(1, 1, 1, 32, nullptr);
    HGDIOBJ old;
    Canvas(int w, int h, COLORREF fill = RGB(255, 255, 255)) {
        HBITMAP one = bitmap;
        old = SelectObject(dc, one);
        bitmap = CreateCompatibleBitmap(dc, w, h);
        SelectObject(dc, bitmap);
        DeleteObject(one);
        RECT all{0, 0, w, h};
        HBRUSH b = CreateSolidBrush(fill);
        FillRect(dc, &all, b);
        DeleteObject(b);
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    COLORREF at(int x, int y) const { return GetPixel(dc, x, y); }
};

// A w x h icon whose left half is opaque red and whose right half is masked away.
HICON half_icon(int w, int h) {
    Icon icon;
    icon.width = w;
    icon.height = h;
    icon.hotspot = {w / 2, h / 2};
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            bool opaque = x < w / 2;
            icon.color.push_back(opaque ? 0xFFFF0000u : 0u);
            icon.mask.push_back(opaque ? 0 : 1);
        }
    }
    return create_icon(std::move(icon));
}

} // namespace

TEST(BitBlt, CopiesEveryPixelExactlyAndOnlyInsideTheClip) {
    Canvas src(16, 16), dst(16, 16);
    std::mt19937 random(3);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            SetPixel(src.dc, x, y, random() & 0xFFFFFF);
    IntersectClipRect(dst.dc, 0, 0, 12, 16);
    ASSERT_TRUE(BitBlt(dst.dc, 2, 3, 12, 10, src.dc, 1, 1, SRCCOPY));
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            bool inside = x >= 2 && x < 12 && y >= 3 && y < 13;
            COLORREF want = inside ? src.at(x - 1, y - 2) : RGB(255, 255, 255);
            SelectClipRgn(dst.dc, nullptr);
            ASSERT_EQ(dst.at(x, y), want) << x << "," << y;
            IntersectClipRect(dst.dc, 0, 0, 12, 16);
        }
    }
}

TEST(BitBlt, AnOverlappingCopyWithinOneBitmapReadsBeforeItWrites) {
    Canvas c(8, 1);
    for (int x = 0; x < 8; ++x)
        SetPixel(c.dc, x, 0, RGB(x, 0, 0));
    BitBlt(c.dc, 1, 0, 7, 1, c.dc, 0, 0, SRCCOPY);
    for (int x = 1; x < 8; ++x)
        EXPECT_EQ(c.at(x, 0), RGB(x - 1, 0, 0));
}

TEST(BitBlt, FromAWindowCopiesOnlyWhatTheWindowShows) {
    // A window at (4, 0) of a surface, its left column under a sibling.
    std::vector<uint32_t> surface(8 * 2, 0x00ABCDEF);
    Region visible(RECT{0, 0, 4, 2});
    visible.subtract(RECT{0, 0, 1, 2});
    HDC window = open_dc(nullptr, PixelTarget{surface.data(), 8, 2}, POINT{4, 0}, visible);
    Canvas c(4, 2, RGB(0, 0, 0));
    BitBlt(c.dc, 0, 0, 4, 2, window, 0, 0, SRCCOPY);
    EXPECT_EQ(c.at(0, 1), RGB(0, 0, 0));
    EXPECT_EQ(c.at(1, 1), RGB(0xAB, 0xCD, 0xEF));
    close_dc(window);
}

TEST(BitBlt, MonochromeMeetsColourThroughTheDcColours) {
    // Colour to monochrome: the source's background colour becomes white, all else black.
    Canvas colour(2, 1);
    SetPixel(colour.dc, 0, 0, RGB(255, 0, 255));
    SetPixel(colour.dc, 1, 0, RGB(10, 20, 30));
    HDC mono = CreateCompatibleDC(nullptr);
    HBITMAP bits = CreateCompatibleBitmap(mono, 2, 1);
    HGDIOBJ old = SelectObject(mono, bits);
    SetBkColor(colour.dc, RGB(255, 0, 255));
    BitBlt(mono, 0, 0, 2, 1, colour.dc, 0, 0, SRCCOPY);
    EXPECT_EQ(GetPixel(mono, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(mono, 1, 0), RGB(0, 0, 0));

    // Monochrome to colour: white takes the destination's background colour, black its text
    // colour; so SRCAND with the mask cuts the shape out of a picture.
    Canvas back(2, 1, RGB(0, 128, 0));
    SetBkColor(back.dc, RGB(255, 255, 255));
    SetTextColor(back.dc, RGB(0, 0, 0));
    BitBlt(back.dc, 0, 0, 2, 1, mono, 0, 0, SRCAND);
    EXPECT_EQ(back.at(0, 0), RGB(0, 128, 0));
    EXPECT_EQ(back.at(1, 0), RGB(0, 0, 0));
    SelectObject(mono, old);
    DeleteObject(bits);
    DeleteDC(mono);
}

TEST(PatBlt, RasterOperationsCombineBrushAndScreen) {
    Canvas c(6, 1, RGB(0x10, 0x20, 0x30));
    HBRUSH brush = CreateSolidBrush(RGB(0xF0, 0x0F, 0xFF));
    SelectObject(c.dc, brush);
    struct {
        DWORD rop;
        COLORREF want;
    } cases[] = {
        {PATCOPY, RGB(0xF0, 0x0F, 0xFF)},   {PATINVERT, RGB(0xF0 ^ 0x10, 0x0F ^ 0x20, 0xFF ^ 0x30)},
        {DSTINVERT, RGB(0xEF, 0xDF, 0xCF)}, {BLACKNESS, RGB(0, 0, 0)},
        {WHITENESS, RGB(255, 255, 255)},
    };
    int x = 0;
    for (const auto& k : cases) {
        ASSERT_TRUE(PatBlt(c.dc, x, 0, 1, 1, k.rop));
        EXPECT_EQ(c.at(x, 0), k.want) << std::hex << k.rop;
        ++x;
    }
    SelectObject(c.dc, GetStockObject(NULL_BRUSH));
    EXPECT_TRUE(PatBlt(c.dc, 5, 0, 1, 1, PATCOPY)); // a hollow brush paints nothing
    EXPECT_EQ(c.at(5, 0), RGB(0x10, 0x20, 0x30));
    EXPECT_FALSE(PatBlt(c.dc, 0, 0, 1, 1, SRCCOPY));
    SelectObject(c.dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(brush);
}

TEST(Shapes, EdgesFollowWindowsPixelRules) {
    Canvas c(10, 10);
    // A system colour index + 1 stands for its brush.
    RECT r{0, 0, 10, 10};
    FillRect(c.dc, &r, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    EXPECT_EQ(c.at(9, 9), GetSysColor(COLOR_BTNFACE));

    // The rectangle's frame is its outermost pixels; without a pen it is a pixel smaller.
    SelectObject(c.dc, GetStockObject(BLACK_BRUSH));
    Rectangle(c.dc, 1, 1, 5, 5);
    EXPECT_EQ(c.at(4, 4), RGB(0, 0, 0));
    EXPECT_EQ(c.at(5, 5), GetSysColor(COLOR_BTNFACE));
    SelectObject(c.dc, GetStockObject(NULL_PEN));
    SelectObject(c.dc, GetStockObject(WHITE_BRUSH));
    Rectangle(c.dc, 1, 1, 5, 5);
    EXPECT_EQ(c.at(3, 3), RGB(255, 255, 255));
    EXPECT_EQ(c.at(4, 4), RGB(0, 0, 0));

    // A line leaves out its last point.
    SelectObject(c.dc, GetStockObject(BLACK_PEN));
    MoveToEx(c.dc, 0, 8, nullptr);
    LineTo(c.dc, 6, 8);
    EXPECT_EQ(c.at(5, 8), RGB(0, 0, 0));
    EXPECT_EQ(c.at(6, 8), GetSysColor(COLOR_BTNFACE));
    POINT at;
    MoveToEx(c.dc, 0, 0, &at);
    EXPECT_EQ(at.x, 6);

    // The focus rectangle is drawn by inverting, so drawing it twice takes it away.
    RECT f{0, 0, 10, 10};
    DrawFocusRect(c.dc, &f);
    EXPECT_NE(c.at(0, 0), GetSysColor(COLOR_BTNFACE));
    DrawFocusRect(c.dc, &f);
    EXPECT_EQ(c.at(0, 0), GetSysColor(COLOR_BTNFACE));
}

TEST(Icons, TheMaskLeavesTheBackgroundShowing) {
    Canvas c(40, 40, RGB(0, 0, 255));
    HICON icon = half_icon(16, 16);
    ASSERT_TRUE(DrawIconEx(c.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(c.at(7, 8), RGB(255, 0, 0));
    EXPECT_EQ(c.at(8, 8), RGB(0, 0, 255));
    EXPECT_EQ(c.at(16, 0), RGB(0, 0, 255));
    // DrawIcon draws at the system's icon size.
    ASSERT_TRUE(DrawIcon(c.dc, 0, 0, icon));
    EXPECT_EQ(c.at(15, 31), RGB(255, 0, 0));
    EXPECT_EQ(c.at(16, 31), RGB(0, 0, 255));

    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    EXPECT_EQ(info.xHotspot, 8u);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    DestroyIcon(icon);
}

TEST(Icons, DisabledLooksEmbossedInTheShadowAndHighlightColours) {
    Canvas normal(20, 20, GetSysColor(COLOR_BTNFACE)), disabled(20, 20, GetSysColor(COLOR_BTNFACE));
    HICON icon = half_icon(16, 16);
    DrawStateA(normal.dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, 2, 2, 0, 0,
               DST_ICON | DSS_NORMAL);
    DrawStateA(disabled.dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, 2, 2, 0, 0,
               DST_ICON | DSS_DISABLED);
    EXPECT_EQ(normal.at(5, 5), RGB(255, 0, 0));
    EXPECT_EQ(disabled.at(5, 5), GetSysColor(COLOR_3DSHADOW));
    // The highlight shows one pixel right of the shape's edge, the background beyond it.
    EXPECT_EQ(disabled.at(10, 5), GetSysColor(COLOR_3DHIGHLIGHT));
    EXPECT_EQ(disabled.at(11, 5), GetSysColor(COLOR_BTNFACE));
    DestroyIcon(icon);
}

TEST(SysColors, EachColourHasOneBrushNobodyDeletes) {
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(GetSysColorBrush(COLOR_BTNFACE), face);
    EXPECT_TRUE(DeleteObject(face));
    EXPECT_EQ(GetObjectType(face), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(212, 208, 200));
    EXPECT_EQ(GetSysColorBrush(-1), nullptr);
    EXPECT_EQ(GetSysColorBrush(200), nullptr);
}
