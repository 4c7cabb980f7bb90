// What DefWindowProc draws: the background of the client area and the non-client frame in
// the classic look (raised dialog frame, gradient caption with the small icon and the close
// button, thin border, sunken client edge).
#include "paint.h"
#include "window.h"
#include "window_class.h"

namespace platform {

namespace {

constexpr int kCaption = 18; // frame_insets' caption height: the bar and a line under it

void fill(HDC dc, RECT r, int color) {
    FillRect(dc, &r, GetSysColorBrush(color));
}

// A one-pixel edge: top and left in one colour, bottom and right in another.
void edge(HDC dc, const RECT& r, int top_left, int bottom_right) {
    fill(dc, {r.left, r.top, r.right - 1, r.top + 1}, top_left);
    fill(dc, {r.left, r.top + 1, r.left + 1, r.bottom - 1}, top_left);
    fill(dc, {r.left, r.bottom - 1, r.right, r.bottom}, bottom_right);
    fill(dc, {r.right - 1, r.top, r.right, r.bottom - 1}, bottom_right);
}

RECT inset(RECT r, int by) {
    InflateRect(&r, -by, -by);
    return r;
}

// The caption bar: a gradient from the caption colour to its gradient colour, as Windows
// 98 and 2000 draw it in the classic look.
void caption_bar(HDC dc, const RECT& bar, bool active) {
    COLORREF from = GetSysColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    COLORREF to = GetSysColor(active ? COLOR_GRADIENTACTIVECAPTION : COLOR_GRADIENTINACTIVECAPTION);
    LONG width = std::max(bar.right - bar.left, LONG{1});
    HBRUSH brush = static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
    HGDIOBJ old = SelectObject(dc, brush);
    for (LONG x = bar.left; x < bar.right; ++x) {
        auto mix = [&](int shift) {
            int a = (from >> shift) & 0xFF, b = (to >> shift) & 0xFF;
            return static_cast<BYTE>(a + (b - a) * (x - bar.left) / width);
        };
        SetDCBrushColor(dc, RGB(mix(0), mix(8), mix(16)));
        RECT column{x, bar.top, x + 1, bar.bottom};
        FillRect(dc, &column, brush);
    }
    SelectObject(dc, old);
}

// The close button at the right end of the caption: a raised face with a cross.
void close_button(HDC dc, const RECT& bar) {
    RECT b{bar.right - 2 - 16, bar.top + 2, bar.right - 2, bar.top + 2 + 14};
    fill(dc, b, COLOR_3DFACE);
    edge(dc, b, COLOR_3DHIGHLIGHT, COLOR_3DDKSHADOW);
    edge(dc, inset(b, 1), COLOR_3DFACE, COLOR_3DSHADOW);
    // An 8 x 7 cross of two-pixel strokes, as the classic glyph.
    int x0 = b.left + 4, y0 = b.top + 3;
    for (int i = 0; i < 7; ++i) {
        int y = y0 + i;
        fill(dc, {x0 + i, y, x0 + i + 2, y + 1}, COLOR_BTNTEXT);
        fill(dc, {x0 + 6 - i, y, x0 + 8 - i, y + 1}, COLOR_BTNTEXT);
    }
}

HICON caption_icon(const Window& w) {
    if (w.icon_small)
        return w.icon_small;
    if (w.icon_big)
        return w.icon_big;
    return w.cls ? w.cls->icon : nullptr;
}

} // namespace

LRESULT erase_background(HDC dc, HBRUSH brush) {
    if (!dc || !brush)
        return 0;
    RECT box;
    if (GetClipBox(dc, &box) != NULLREGION)
        FillRect(dc, &box, brush);
    return 1;
}

void draw_frame(HWND hwnd) {
    Window* w = find_window(hwnd);
    if (!w)
        return;
    RECT in = frame_insets(w->style, w->ex_style);
    RECT r{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
    HDC dc = GetWindowDC(hwnd);
    if (!dc)
        return;
    int client_edge = (w->ex_style & WS_EX_CLIENTEDGE) ? 2 : 0;
    int border = in.left - client_edge;
    if (border == 1) {
        edge(dc, r, COLOR_WINDOWFRAME, COLOR_WINDOWFRAME);
    } else if (border >= 2) {
        edge(dc, r, COLOR_3DLIGHT, COLOR_3DDKSHADOW);
        edge(dc, inset(r, 1), COLOR_3DHIGHLIGHT, COLOR_3DSHADOW);
        for (int i = 2; i < border; ++i)
            edge(dc, inset(r, i), COLOR_3DFACE, COLOR_3DFACE);
    }
    if ((w->style & WS_CAPTION) == WS_CAPTION) {
        RECT bar{border, border, r.right - border, border + kCaption - 1};
        fill(dc, {bar.left, bar.bottom, bar.right, bar.bottom + 1}, COLOR_3DFACE);
        caption_bar(dc, bar, GetActiveWindow() == hwnd);
        LONG text_left = bar.left + 2;
        if ((w->style & WS_SYSMENU) && !(w->ex_style & WS_EX_DLGMODALFRAME))
            if (HICON icon = caption_icon(*w)) {
                DrawIconEx(dc, bar.left + 1, bar.top, icon, 16, 16, 0, nullptr, DI_NORMAL);
                text_left = bar.left + 19;
            }
        if (w->style & WS_SYSMENU)
            close_button(dc, bar);
        (void)text_left;
    }
    if (client_edge) {
        RECT c = inset(r, border);
        c.top = in.top - client_edge;
        edge(dc, c, COLOR_3DSHADOW, COLOR_3DHIGHLIGHT);
        edge(dc, inset(c, 1), COLOR_3DDKSHADOW, COLOR_3DLIGHT);
    }
    ReleaseDC(hwnd, dc);
}

} // namespace platform
