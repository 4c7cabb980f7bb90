// Painting: what waits for WM_PAINT, the order and clipping of parents and children, and the
// pictures that the desktop's readers (deskctl shot) see of a window's surface.
#include "tests/support/machine_fixture.h"

#include "platform/desktop/surface_file.h"

#include <windows.h>

#include <optional>
#include <vector>

namespace {

struct Paint {
    HWND hwnd;
    RECT rc;
    BOOL erase;
};
std::vector<Paint> g_paints;
std::vector<HWND> g_erased;
// The colour each window paints its update area with (by handle order of creation).
std::vector<std::pair<HWND, COLORREF>> g_colors;

COLORREF color_of(HWND h) {
    for (auto& [w, c] : g_colors)
        if (w == h)
            return c;
    return RGB(0, 0, 0);
}

LRESULT CALLBACK painting_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ERASEBKGND) {
        g_erased.push_back(hwnd);
        return 0;
    }
    if (msg != WM_PAINT)
        return DefWindowProcA(hwnd, msg, wp, lp);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    g_paints.push_back({hwnd, ps.rcPaint, ps.fErase});
    // The whole client area: what the DC clips away shows what it may not touch.
    RECT client;
    GetClientRect(hwnd, &client);
    for (int y = client.top; y < client.bottom; ++y)
        for (int x = client.left; x < client.right; ++x)
            SetPixel(dc, x, y, color_of(hwnd));
    EndPaint(hwnd, &ps);
    return 0;
}

class Painting : public testing_support::MachineFixture {
protected:
    void SetUp() override {
        MachineFixture::SetUp();
        g_paints.clear();
        g_erased.clear();
        g_colors.clear();
        WNDCLASSA wc{};
        wc.lpfnWndProc = painting_proc;
        wc.lpszClassName = "Painting";
        RegisterClassA(&wc);
    }
    HWND make(DWORD style, HWND parent, RECT r, COLORREF color) {
        HWND h = CreateWindowExA(0, "Painting", "", style, r.left, r.top, r.right - r.left,
                                 r.bottom - r.top, parent, nullptr, nullptr, nullptr);
        g_colors.emplace_back(h, color);
        return h;
    }
    static void pump() {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&m);
    }
    static std::optional<platform::Picture> picture(HWND h) {
        return platform::read_picture(platform::surface_name(h));
    }
};

constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255);

bool same(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b);
}

TEST_F(Painting, AValidatedPartIsNotPaintedAgain) {
    HWND w = make(WS_POPUP | WS_VISIBLE, nullptr, {10, 10, 110, 60}, kRed);
    pump();
    g_paints.clear();
    RECT kept{50, 20, 60, 30}, taken{0, 0, 10, 10};
    InvalidateRect(w, &taken, FALSE);
    InvalidateRect(w, &kept, FALSE);
    ValidateRect(w, &taken);

    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetUpdateRgn(w, rgn, FALSE), SIMPLEREGION);
    RECT box;
    GetRgnBox(rgn, &box);
    EXPECT_TRUE(same(box, kept));
    DeleteObject(rgn);

    pump();
    ASSERT_EQ(g_paints.size(), 1u);
    EXPECT_TRUE(same(g_paints[0].rc, kept));
    EXPECT_FALSE(g_paints[0].erase);
    EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));
    pump();
    EXPECT_EQ(g_paints.size(), 1u);
}

TEST_F(Painting, TheEraseComesOnceWithBeginPaintAndItsAnswerIsFErase) {
    HWND w = make(WS_POPUP | WS_VISIBLE, nullptr, {0, 0, 40, 30}, kRed);
    pump();
    g_paints.clear();
    g_erased.clear();
    // RedrawWindow as the program's buttons use it paints before it returns.
    RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    ASSERT_EQ(g_paints.size(), 1u);
    EXPECT_EQ(g_erased, std::vector<HWND>{w});
    EXPECT_TRUE(g_paints[0].erase); // the window did not erase: its WM_PAINT should
    InvalidateRect(w, nullptr, FALSE);
    UpdateWindow(w);
    EXPECT_EQ(g_erased.size(), 1u);
    EXPECT_FALSE(g_paints[1].erase);
}

// A dialog paints under its controls and they paint over it afterwards; a parent with
// WS_CLIPCHILDREN never touches its children, which then need no painting for it.
TEST_F(Painting, ParentsPaintBeforeChildrenAndClipThemOnlyWithClipChildren) {
    for (DWORD clip : {DWORD{0}, DWORD{WS_CLIPCHILDREN}}) {
        SCOPED_TRACE(clip);
        HWND parent = make(WS_POPUP | WS_VISIBLE | clip, nullptr, {100, 100, 160, 140}, kRed);
        HWND child = make(WS_CHILD | WS_VISIBLE, parent, {10, 10, 30, 20}, kBlue);
        pump();
        g_paints.clear();
        InvalidateRect(parent, nullptr, TRUE);
        MSG m;
        ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE));
        EXPECT_EQ(m.hwnd, parent);
        DispatchMessageA(&m);
        // In between, the parent's paint shows under a child only without WS_CLIPCHILDREN.
        auto p = picture(parent);
        ASSERT_TRUE(p);
        EXPECT_EQ(p->pixel(15, 15), clip ? 0x0000FFu : 0xFF0000u);
        pump();
        ASSERT_EQ(g_paints.size(), clip ? 1u : 2u);
        EXPECT_EQ(g_paints.back().hwnd, clip ? parent : child);
        p = picture(parent);
        EXPECT_EQ(p->pixel(15, 15), 0x0000FFu);
        EXPECT_EQ(p->pixel(5, 5), 0xFF0000u);
        EXPECT_EQ(p->pixel(30, 15), 0xFF0000u); // right of the child: its edge is exclusive
        DestroyWindow(parent);
    }
}

TEST_F(Painting, AWindowsPictureAppearsWithItsFirstPaintAndFollowsItsSize) {
    HWND w = make(WS_POPUP, nullptr, {0, 0, 30, 20}, kBlue);
    ShowWindow(w, SW_SHOW);
    EXPECT_FALSE(picture(w)) << "shown before it was painted";
    pump();
    auto p = picture(w);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->size.cx, 30);
    EXPECT_EQ(p->size.cy, 20);
    EXPECT_EQ(p->pixel(29, 19), 0x0000FFu);

    SetWindowPos(w, nullptr, 0, 0, 50, 40, SWP_NOMOVE | SWP_NOZORDER);
    pump();
    p = picture(w);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->size.cx, 50);
    EXPECT_EQ(p->pixel(49, 39), 0x0000FFu);

    DestroyWindow(w);
    EXPECT_FALSE(picture(w));
}

TEST_F(Painting, AMovedOrHiddenChildShowsItsParentAgain) {
    HWND parent = make(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, nullptr, {0, 0, 60, 40}, kRed);
    HWND child = make(WS_CHILD | WS_VISIBLE, parent, {0, 0, 20, 20}, kBlue);
    pump();
    SetWindowPos(child, nullptr, 30, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    pump();
    auto p = picture(parent);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->pixel(5, 5), 0xFF0000u);
    EXPECT_EQ(p->pixel(35, 15), 0x0000FFu);
    ShowWindow(child, SW_HIDE);
    pump();
    EXPECT_EQ(picture(parent)->pixel(35, 15), 0xFF0000u);
}

} // namespace
