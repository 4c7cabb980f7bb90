// The dialog manager: dialogs from templates, the default dialog procedure, the dialog
// keyboard interface and the modal loop.
#include "dialog.h"
#include "dialog_template.h"
#include "message_queue.h"
#include "paint.h"
#include "window.h"

#include <unordered_map>

using platform::find_window;
using platform::Window;

namespace platform {

namespace {

struct DialogInfo {
    SIZE base_units{8, 16};
    WORD default_id = IDOK;
    HWND saved_focus = nullptr;
    bool ended = false;
    INT_PTR result = 0;
    HWND disabled_owner = nullptr; // the owner a modal loop disabled, enabled again at the end
};

std::unordered_map<HWND, DialogInfo>& dialogs() {
    static std::unordered_map<HWND, DialogInfo> map;
    return map;
}

DialogInfo* dialog_info(HWND hwnd) {
    auto it = dialogs().find(hwnd);
    return it == dialogs().end() ? nullptr : &it->second;
}

// Messages whose dialog-procedure result is the message result itself, not DWLP_MSGRESULT.
bool returns_directly(UINT msg) {
    return msg == WM_INITDIALOG || msg == WM_QUERYDRAGICON ||
           (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) ||
           msg == 0x0039 /*COMPAREITEM*/ || msg == 0x002E /*VKEYTOITEM*/ ||
           msg == 0x002F /*CHARTOITEM*/;
}

POINT dialog_origin(const DialogTemplate& t, HWND owner, SIZE window_size, SIZE units) {
    POINT p{MulDiv(t.x, units.cx, 4), MulDiv(t.y, units.cy, 8)};
    if (t.style & DS_CENTER) {
        return POINT{(GetSystemMetrics(SM_CXSCREEN) - window_size.cx) / 2,
                     (GetSystemMetrics(SM_CYSCREEN) - window_size.cy) / 2};
    }
    if (owner && !(t.style & DS_ABSALIGN) && !(t.style & WS_CHILD))
        ClientToScreen(owner, &p);
    return p;
}

bool create_controls(HWND dlg, const DialogTemplate& t, HINSTANCE instance, SIZE units) {
    for (const DialogItemTemplate& item : t.items) {
        HWND h = CreateWindowExA(
            item.ex_style | WS_EX_NOPARENTNOTIFY, item.class_name.c_str(), item.title.c_str(),
            item.style | WS_CHILD, MulDiv(item.x, units.cx, 4), MulDiv(item.y, units.cy, 8),
            MulDiv(item.cx, units.cx, 4), MulDiv(item.cy, units.cy, 8), dlg,
            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(item.id)), instance,
            item.creation_data.empty() ? nullptr : const_cast<BYTE*>(item.creation_data.data()));
        if (!h && !(t.style & DS_NOFAILCREATE))
            return false;
        if (h && (SendMessageA(h, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON))
            if (DialogInfo* info = dialog_info(dlg))
                info->default_id = static_cast<WORD>(item.id);
    }
    return true;
}

} // namespace

HWND create_dialog(HINSTANCE instance, const BYTE* bytes, size_t size, HWND parent, DLGPROC proc,
                   LPARAM param, bool modal) {
    WindowBatch batch; // the dialog and its controls reach the desktop together
    auto tmpl = parse_dialog_template(bytes, size);
    if (!tmpl) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    const DialogTemplate& t = *tmpl;
    SIZE units = dialog_base_units(t);
    RECT frame =
        frame_insets(t.style, t.ex_style | (t.style & DS_MODALFRAME ? WS_EX_DLGMODALFRAME : 0));
    SIZE client{MulDiv(t.cx, units.cx, 4), MulDiv(t.cy, units.cy, 8)};
    SIZE outer{client.cx + frame.left + frame.right, client.cy + frame.top + frame.bottom};
    HWND owner = parent && !(t.style & WS_CHILD) ? root_window(parent) : parent;
    POINT at = dialog_origin(t, owner, outer, units);

    DWORD ex_style = t.ex_style | (t.style & DS_MODALFRAME ? WS_EX_DLGMODALFRAME : 0);
    const char* cls = t.class_name.empty() ? "#32770" : t.class_name.c_str();
    HWND dlg = CreateWindowExA(ex_style, cls, t.title.c_str(), t.style & ~WS_VISIBLE, at.x, at.y,
                               outer.cx, outer.cy, owner, nullptr, instance, nullptr);
    if (!dlg)
        return nullptr;
    DialogInfo& info = dialogs()[dlg];
    info.base_units = units;
    if (modal && owner && IsWindowEnabled(owner)) {
        EnableWindow(owner, FALSE);
        info.disabled_owner = owner;
    }
    SetWindowLongPtrA(dlg, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(proc));

    if (!create_controls(dlg, t, instance, units)) {
        DestroyWindow(dlg);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HWND focus = GetNextDlgTabItem(dlg, nullptr, FALSE);
    if (SendMessageA(dlg, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), param) && IsWindow(dlg)) {
        // TRUE asks for the default focus: the first tab stop, found again.
        if (HWND first = GetNextDlgTabItem(dlg, nullptr, FALSE))
            SetFocus(first);
    }
    if (!IsWindow(dlg))
        return nullptr;
    if ((t.style & WS_VISIBLE) && !(GetWindowLongA(dlg, GWL_STYLE) & WS_VISIBLE))
        ShowWindow(dlg, SW_SHOWNORMAL);
    return IsWindow(dlg) ? dlg : nullptr;
}

INT_PTR run_modal_loop(HWND dlg) {
    bool first_empty = true;
    for (;;) {
        DialogInfo* info = dialog_info(dlg);
        if (!info)
            return -1;
        if (info->ended)
            break;
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (first_empty) {
                // A modal dialog shows itself the first time its queue runs empty.
                ShowWindow(dlg, SW_SHOWNORMAL);
                first_empty = false;
                continue;
            }
            if (!(GetWindowLongA(dlg, GWL_STYLE) & DS_NOIDLEMSG))
                if (HWND owner = GetWindow(dlg, GW_OWNER))
                    SendMessageA(owner, WM_ENTERIDLE, 0 /*MSGF_DIALOGBOX*/,
                                 reinterpret_cast<LPARAM>(dlg));
            if (!GetMessageA(&msg, nullptr, 0, 0)) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
        }
        if (!IsWindow(dlg))
            return -1;
        info = dialog_info(dlg);
        if (info && !info->ended && !IsDialogMessageA(dlg, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    DialogInfo* info = dialog_info(dlg);
    return info ? info->result : -1;
}

INT_PTR run_dialog_box(HWND dlg) {
    INT_PTR result = run_modal_loop(dlg);
    if (IsWindow(dlg))
        DestroyWindow(dlg);
    return result;
}

} // namespace platform

using platform::dialog_info;

HWND WINAPI CreateDialogIndirectParamA(HINSTANCE instance, LPCDLGTEMPLATEA tmpl, HWND parent,
                                       DLGPROC proc, LPARAM param) {
    // The caller gives no size: templates come from resources or the caller's own memory.
    return platform::create_dialog(instance, reinterpret_cast<const BYTE*>(tmpl), 0x10000, parent,
                                   proc, param, false);
}

INT_PTR WINAPI DialogBoxIndirectParamA(HINSTANCE instance, LPCDLGTEMPLATEA tmpl, HWND parent,
                                       DLGPROC proc, LPARAM param) {
    HWND dlg = platform::create_dialog(instance, reinterpret_cast<const BYTE*>(tmpl), 0x10000,
                                       parent, proc, param, true);
    return dlg ? platform::run_dialog_box(dlg) : -1;
}

namespace {

const DLGTEMPLATE* find_template(HINSTANCE instance, LPCSTR name) {
    HRSRC res = FindResourceA(instance, name, RT_DIALOG);
    if (!res)
        return nullptr;
    HGLOBAL data = LoadResource(instance, res);
    return data ? static_cast<const DLGTEMPLATE*>(LockResource(data)) : nullptr;
}

} // namespace

HWND WINAPI CreateDialogParamA(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc,
                               LPARAM param) {
    const DLGTEMPLATE* t = find_template(instance, name);
    return t ? CreateDialogIndirectParamA(instance, t, parent, proc, param) : nullptr;
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc,
                               LPARAM param) {
    const DLGTEMPLATE* t = find_template(instance, name);
    return t ? DialogBoxIndirectParamA(instance, t, parent, proc, param) : -1;
}

BOOL WINAPI EndDialog(HWND dlg, INT_PTR result) {
    platform::DialogInfo* info = dialog_info(dlg);
    if (!info) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    info->ended = true;
    info->result = result;
    if (HWND owner = info->disabled_owner) {
        info->disabled_owner = nullptr;
        EnableWindow(owner, TRUE);
    }
    SetWindowPos(dlg, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    PostMessageA(dlg, WM_NULL, 0, 0); // wakes a modal loop waiting for messages
    return TRUE;
}

LRESULT WINAPI DefDlgProcA(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(dlg, DWLP_DLGPROC));
    if (proc) {
        SetWindowLongPtrA(dlg, DWLP_MSGRESULT, 0);
        INT_PTR handled = proc(dlg, msg, wp, lp);
        if (!IsWindow(dlg))
            return handled;
        if (platform::returns_directly(msg))
            return handled;
        if (handled)
            return GetWindowLongPtrA(dlg, DWLP_MSGRESULT);
    }
    platform::DialogInfo* info = dialog_info(dlg);
    switch (msg) {
    case WM_ERASEBKGND: {
        // As Windows' dialogs: the brush the dialog answers WM_CTLCOLORDLG with, else the
        // button face.
        auto brush = reinterpret_cast<HBRUSH>(
            SendMessageA(dlg, WM_CTLCOLORDLG, wp, reinterpret_cast<LPARAM>(dlg)));
        return platform::erase_background(reinterpret_cast<HDC>(wp),
                                          brush ? brush : GetSysColorBrush(COLOR_3DFACE));
    }
    case WM_SHOWWINDOW:
        if (!wp && info && GetFocus() && IsChild(dlg, GetFocus()))
            info->saved_focus = GetFocus();
        break;
    case WM_ACTIVATE:
        if (!info)
            break;
        if (LOWORD(wp) == WA_INACTIVE) {
            if (GetFocus() && IsChild(dlg, GetFocus()))
                info->saved_focus = GetFocus();
        } else if (info->saved_focus && IsWindow(info->saved_focus)) {
            SetFocus(info->saved_focus);
        } else if (HWND first = GetNextDlgTabItem(dlg, nullptr, FALSE)) {
            SetFocus(first);
        }
        return 0;
    case WM_SETFOCUS:
        if (info && info->saved_focus && IsWindow(info->saved_focus))
            SetFocus(info->saved_focus);
        else if (HWND first = GetNextDlgTabItem(dlg, nullptr, FALSE))
            SetFocus(first);
        return 0;
    case DM_GETDEFID:
        if (info && !info->ended && info->default_id)
            return MAKELONG(info->default_id, DC_HASDEFID);
        return 0;
    case DM_SETDEFID:
        if (info)
            info->default_id = static_cast<WORD>(wp);
        return TRUE;
    case WM_NEXTDLGCTL:
        if (lp)
            SetFocus(reinterpret_cast<HWND>(wp));
        else
            SetFocus(GetNextDlgTabItem(dlg, GetFocus(), wp != 0));
        return 0;
    case WM_CLOSE:
        // The close box and Alt+F4 mean Cancel to a dialog.
        PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDCANCEL)));
        return 0;
    case WM_NCDESTROY:
        platform::dialogs().erase(dlg);
        break;
    default:
        break;
    }
    return DefWindowProcA(dlg, msg, wp, lp);
}

void platform::make_dialog(HWND dlg) {
    platform::dialogs().try_emplace(dlg);
}

SIZE platform::dialog_units_of(HWND dlg) {
    platform::DialogInfo* info = dialog_info(dlg);
    return info ? info->base_units : SIZE{8, 16};
}
