// The system "Button" class: push buttons, check boxes and owner-drawn buttons, with the
// mouse and keyboard behaviour of Windows' buttons.
#include "window.h"
#include "window_class.h"

#include <algorithm>
#include <unordered_map>

using platform::find_window;
using platform::Window;

namespace {

// BST_* bits plus the button's own "pressed by the mouse or space bar" flag.
constexpr UINT kPressed = 0x0100;

struct ButtonState {
    UINT state = 0; // BST_CHECKED/BST_INDETERMINATE, BST_PUSHED, BST_FOCUS, kPressed
};

std::unordered_map<HWND, ButtonState>& buttons() {
    static std::unordered_map<HWND, ButtonState> map;
    return map;
}

DWORD button_type(HWND hwnd) {
    return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)) & BS_TYPEMASK;
}

// The highest check state each type can hold: check boxes 1, three-state 2, others none.
UINT max_check(DWORD type) {
    switch (type) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        return 1;
    case BS_3STATE:
    case BS_AUTO3STATE:
        return 2;
    default:
        return 0;
    }
}

void notify_parent(HWND hwnd, WORD code) {
    Window* w = find_window(hwnd);
    if (!w || !w->parent)
        return;
    SendMessageA(w->parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(w->id), code),
                 reinterpret_cast<LPARAM>(hwnd));
}

void press(HWND hwnd) {
    SetFocus(hwnd);
    SetCapture(hwnd);
    buttons()[hwnd].state |= kPressed;
    SendMessageA(hwnd, BM_SETSTATE, TRUE, 0);
}

// Mouse or space bar released: a click when the button was still highlighted.
void release(HWND hwnd, bool inside) {
    UINT& state = buttons()[hwnd].state;
    if (!(state & kPressed))
        return;
    state &= ~kPressed;
    if (!(state & BST_PUSHED)) {
        ReleaseCapture();
        return;
    }
    SendMessageA(hwnd, BM_SETSTATE, FALSE, 0);
    if (!inside) {
        ReleaseCapture();
        return;
    }
    DWORD type = button_type(hwnd);
    UINT check = buttons()[hwnd].state & 3;
    if (type == BS_AUTOCHECKBOX)
        SendMessageA(hwnd, BM_SETCHECK, check ? BST_UNCHECKED : BST_CHECKED, 0);
    else if (type == BS_AUTO3STATE)
        SendMessageA(hwnd, BM_SETCHECK, (check + 1) % 3, 0);
    else if (type == BS_AUTORADIOBUTTON)
        SendMessageA(hwnd, BM_SETCHECK, BST_CHECKED, 0);
    ReleaseCapture();
    notify_parent(hwnd, BN_CLICKED);
}

bool point_inside(HWND hwnd, LPARAM lp) {
    RECT c;
    GetClientRect(hwnd, &c);
    return PtInRect(&c, POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
}

} // namespace

namespace platform {

LRESULT CALLBACK button_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = find_window(hwnd);
    if (!w)
        return 0;
    switch (msg) {
    case WM_CREATE:
        buttons()[hwnd] = ButtonState{};
        return 0;
    case WM_NCDESTROY:
        buttons().erase(hwnd);
        break;
    case WM_GETDLGCODE:
        switch (button_type(hwnd)) {
        case BS_PUSHBUTTON:
            return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        case BS_DEFPUSHBUTTON:
            return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return DLGC_BUTTON | DLGC_RADIOBUTTON;
        default:
            return DLGC_BUTTON;
        }
    case WM_LBUTTONDBLCLK:
        // Owner-drawn buttons report a double click; the others take it as a press.
        if (button_type(hwnd) == BS_OWNERDRAW || button_type(hwnd) == BS_RADIOBUTTON) {
            notify_parent(hwnd, BN_DOUBLECLICKED);
            return 0;
        }
        [[fallthrough]];
    case WM_LBUTTONDOWN:
        press(hwnd);
        return 0;
    case WM_LBUTTONUP:
        release(hwnd, point_inside(hwnd, lp));
        return 0;
    case WM_MOUSEMOVE:
        if ((buttons()[hwnd].state & kPressed) && GetCapture() == hwnd)
            SendMessageA(hwnd, BM_SETSTATE, point_inside(hwnd, lp), 0);
        return 0;
    case WM_KEYDOWN:
        if (wp == VK_SPACE && !(buttons()[hwnd].state & kPressed))
            press(hwnd);
        return 0;
    case WM_KEYUP:
        if (wp == VK_SPACE)
            release(hwnd, true);
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lp) != hwnd && (buttons()[hwnd].state & kPressed)) {
            buttons()[hwnd].state &= ~kPressed;
            SendMessageA(hwnd, BM_SETSTATE, FALSE, 0);
        }
        return 0;
    case WM_SETFOCUS:
        buttons()[hwnd].state |= BST_FOCUS;
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_KILLFOCUS:
        buttons()[hwnd].state &= ~BST_FOCUS;
        if ((buttons()[hwnd].state & kPressed) && GetCapture() == hwnd)
            ReleaseCapture();
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_SETFONT:
        w->font = reinterpret_cast<HFONT>(wp);
        if (LOWORD(lp))
            InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(w->font);
    case WM_SETTEXT: {
        LRESULT r = DefWindowProcA(hwnd, msg, wp, lp);
        InvalidateRect(hwnd, nullptr, TRUE);
        return r;
    }
    case BM_GETCHECK:
        return buttons()[hwnd].state & 3;
    case BM_SETCHECK: {
        UINT check = std::min(static_cast<UINT>(wp), max_check(button_type(hwnd)));
        UINT& state = buttons()[hwnd].state;
        if ((state & 3) != check) {
            state = (state & ~3u) | check;
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    }
    case BM_GETSTATE:
        return buttons()[hwnd].state & (3 | BST_PUSHED | BST_FOCUS);
    case BM_SETSTATE: {
        UINT& state = buttons()[hwnd].state;
        bool was = (state & BST_PUSHED) != 0;
        if (wp)
            state |= BST_PUSHED;
        else
            state &= ~BST_PUSHED;
        if (was != (wp != 0))
            InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    }
    case BM_SETSTYLE: {
        DWORD style = (w->style & ~BS_TYPEMASK) | (static_cast<DWORD>(wp) & BS_TYPEMASK);
        SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(style));
        if (lp)
            InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    }
    case BM_CLICK:
        // A click from a program: the same press and release the mouse makes.
        SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        SendMessageA(hwnd, WM_LBUTTONUP, 0, 0);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK static_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = find_window(hwnd);
    if (!w)
        return 0;
    switch (msg) {
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_SETFONT:
        w->font = reinterpret_cast<HFONT>(wp);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(w->font);
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

} // namespace platform
