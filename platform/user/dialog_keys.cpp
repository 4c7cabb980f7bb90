// The dialog keyboard interface (IsDialogMessage) and small dialog helpers.
#include "dialog.h"
#include "window.h"

using platform::find_window;
using platform::Window;

namespace {

bool can_take_tab(HWND h) {
    Window* w = find_window(h);
    return w && (w->style & WS_TABSTOP) && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED);
}

void press_default_or_ok(HWND dlg) {
    HWND focus = GetFocus();
    if (IsChild(dlg, focus) && (SendMessageA(focus, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)) {
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), BN_CLICKED),
                     reinterpret_cast<LPARAM>(focus));
        return;
    }
    DWORD def = static_cast<DWORD>(SendMessageA(dlg, DM_GETDEFID, 0, 0));
    if (HIWORD(def) == DC_HASDEFID) {
        HWND button = GetDlgItem(dlg, LOWORD(def));
        if (!button || IsWindowEnabled(button))
            SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(LOWORD(def), BN_CLICKED),
                         reinterpret_cast<LPARAM>(button));
        return;
    }
    SendMessageA(dlg, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDOK)));
}

} // namespace

HWND WINAPI GetNextDlgTabItem(HWND dlg, HWND ctl, BOOL previous) {
    Window* d = platform::window_or_error(dlg);
    if (!d)
        return nullptr;
    const std::vector<HWND>& list = d->children;
    if (list.empty())
        return nullptr;
    size_t n = list.size();
    size_t start = 0;
    bool found = false;
    for (size_t i = 0; i < n && ctl; ++i) {
        if (list[i] == ctl) {
            start = i;
            found = true;
        }
    }
    for (size_t step = 1; step <= n; ++step) {
        size_t i;
        if (!found)
            i = previous ? (n - step) : (step - 1);
        else
            i = previous ? (start + n - step) % n : (start + step) % n;
        if (can_take_tab(list[i]))
            return list[i];
    }
    return nullptr;
}

BOOL WINAPI IsDialogMessageA(HWND dlg, LPMSG msg) {
    if (!msg || !dlg || (msg->hwnd != dlg && !IsChild(dlg, msg->hwnd)))
        return FALSE;
    if (msg->message == WM_KEYDOWN) {
        LRESULT code = msg->hwnd ? SendMessageA(msg->hwnd, WM_GETDLGCODE, msg->wParam,
                                                reinterpret_cast<LPARAM>(msg))
                                 : 0;
        if (!(code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE))) {
            switch (msg->wParam) {
            case VK_ESCAPE:
                SendMessageA(dlg, WM_COMMAND, IDCANCEL,
                             reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDCANCEL)));
                return TRUE;
            case VK_RETURN:
                press_default_or_ok(dlg);
                return TRUE;
            case VK_TAB:
                if (!(code & DLGC_WANTTAB)) {
                    bool back = false; // Shift is not tracked by this platform's input yet
                    if (HWND next = GetNextDlgTabItem(dlg, GetFocus(), back))
                        SetFocus(next);
                    return TRUE;
                }
                break;
            default:
                break;
            }
        }
    }
    // Everything else meant for the dialog is dispatched here, as Windows does.
    TranslateMessage(msg);
    DispatchMessageA(msg);
    return TRUE;
}

BOOL WINAPI MapDialogRect(HWND dlg, LPRECT rect) {
    if (!platform::window_or_error(dlg) || !rect)
        return FALSE;
    SIZE u = platform::dialog_units_of(dlg);
    rect->left = MulDiv(rect->left, u.cx, 4);
    rect->right = MulDiv(rect->right, u.cx, 4);
    rect->top = MulDiv(rect->top, u.cy, 8);
    rect->bottom = MulDiv(rect->bottom, u.cy, 8);
    return TRUE;
}

LONG WINAPI GetDialogBaseUnits() {
    return MAKELONG(8, 16);
}

BOOL WINAPI CheckDlgButton(HWND dlg, int id, UINT check) {
    HWND button = GetDlgItem(dlg, id);
    if (!button)
        return FALSE;
    SendMessageA(button, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND dlg, int id) {
    return static_cast<UINT>(SendDlgItemMessageA(dlg, id, BM_GETCHECK, 0, 0));
}
