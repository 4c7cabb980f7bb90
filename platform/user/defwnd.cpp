// DefWindowProc: what a window does with a message its procedure passes on.
#include "paint.h"
#include "window.h"
#include "window_class.h"

#include <algorithm>
#include <cstring>

using platform::find_window;
using platform::Window;

namespace {

LRESULT hit_test(Window& w, LPARAM lp) {
    POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    RECT outer;
    GetWindowRect(w.handle, &outer);
    if (!PtInRect(&outer, pt))
        return HTNOWHERE;
    RECT client = platform::client_rect_on_screen(w);
    if (PtInRect(&client, pt))
        return HTCLIENT;
    if ((w.style & WS_CAPTION) == WS_CAPTION && pt.y < client.top)
        return HTCAPTION;
    return HTNOWHERE;
}

} // namespace

LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = find_window(hwnd);
    if (!w)
        return 0;
    switch (msg) {
    case WM_NCCREATE: {
        auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lp);
        if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName))
            w->text = cs->lpszName;
        platform::window_changed(hwnd, platform::kChangeTitle);
        return TRUE;
    }
    case WM_SETTEXT:
        w->text = lp ? reinterpret_cast<const char*>(lp) : "";
        platform::window_changed(hwnd, platform::kChangeTitle);
        if ((w->style & WS_CAPTION) == WS_CAPTION)
            platform::frame_changed(hwnd);
        return TRUE;
    case WM_GETTEXT: {
        auto* buffer = reinterpret_cast<char*>(lp);
        if (!buffer || wp == 0)
            return 0;
        size_t n = std::min(w->text.size(), static_cast<size_t>(wp) - 1);
        std::memcpy(buffer, w->text.data(), n);
        buffer[n] = '\0';
        return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(w->text.size());
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_SYSCOMMAND:
        if ((wp & 0xFFF0) == SC_CLOSE)
            SendMessageA(hwnd, WM_CLOSE, 0, 0);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return platform::erase_background(reinterpret_cast<HDC>(wp), w->cls->background);
    case WM_NCPAINT:
        platform::draw_frame(hwnd);
        return 0;
    case WM_SETICON: {
        HICON& slot = wp == ICON_BIG ? w->icon_big : w->icon_small;
        HICON old = slot;
        slot = reinterpret_cast<HICON>(lp);
        platform::window_changed(hwnd, platform::kChangeIcon);
        return reinterpret_cast<LRESULT>(old);
    }
    case WM_GETICON:
        return reinterpret_cast<LRESULT>(wp == ICON_BIG ? w->icon_big : w->icon_small);
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(w->cls->icon);
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE && !HIWORD(wp))
            SetFocus(hwnd);
        return 0;
    case WM_MOUSEACTIVATE:
        return 1; // MA_ACTIVATE
    case WM_NCACTIVATE:
        platform::frame_changed(hwnd); // the caption shows whether the window is active
        return TRUE;
    case WM_NCHITTEST:
        return hit_test(*w, lp);
    case WM_CANCELMODE:
        if (GetCapture() == hwnd)
            ReleaseCapture();
        return 0;
    case WM_WINDOWPOSCHANGED: {
        auto* pos = reinterpret_cast<const WINDOWPOS*>(lp);
        if (pos && !(pos->flags & SWP_NOSIZE)) {
            RECT c;
            GetClientRect(hwnd, &c);
            SendMessageA(hwnd, WM_SIZE, 0, MAKELPARAM(c.right, c.bottom));
        }
        if (pos && !(pos->flags & SWP_NOMOVE) && find_window(hwnd)) {
            POINT p{0, 0};
            ClientToScreen(hwnd, &p);
            if (Window* parent = find_window(w->parent))
                ScreenToClient(parent->handle, &p);
            SendMessageA(hwnd, WM_MOVE, 0, MAKELPARAM(p.x, p.y));
        }
        return 0;
    }
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        return 0;
    default:
        return 0;
    }
}
