// MessageBoxA: a dialog-class window with a text, an optional icon and its buttons, run
// in the dialog manager's modal loop. The owner is disabled while it is open.
#include "msgbox.h"
#include "dialog.h"
#include "window.h"

#include <algorithm>
#include <sstream>

namespace platform {

namespace {

constexpr int kTextId = 0xFFFF;
constexpr int kIconId = 0x0014;

struct ButtonSpec {
    int id;
    const char* text;
};

std::vector<ButtonSpec> buttons_for(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_ABORTRETRYIGNORE:
        return {{IDABORT, "&Abort"}, {IDRETRY, "&Retry"}, {IDIGNORE, "&Ignore"}};
    case MB_YESNOCANCEL:
        return {{IDYES, "&Yes"}, {IDNO, "&No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO:
        return {{IDYES, "&Yes"}, {IDNO, "&No"}};
    case MB_RETRYCANCEL:
        return {{IDRETRY, "&Retry"}, {IDCANCEL, "Cancel"}};
    default:
        return {{IDOK, "OK"}};
    }
}

std::vector<MessageBoxInfo>& open_boxes() {
    static std::vector<MessageBoxInfo> list;
    return list;
}

// Escape and the close box mean Cancel where there is one, OK on a box with only OK.
int escape_answer(HWND box) {
    if (GetDlgItem(box, IDCANCEL))
        return IDCANCEL;
    auto it = std::find_if(open_boxes().begin(), open_boxes().end(),
                           [box](const MessageBoxInfo& i) { return i.box == box; });
    if (it != open_boxes().end() && (it->type & MB_TYPEMASK) == MB_OK)
        return IDOK;
    return 0;
}

INT_PTR CALLBACK box_proc(HWND box, UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_INITDIALOG)
        return TRUE;
    if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
        int id = LOWORD(wp);
        if (id == IDCANCEL && !GetDlgItem(box, IDCANCEL))
            id = escape_answer(box);
        if (id)
            EndDialog(box, id);
        return TRUE;
    }
    return FALSE;
}

SIZE text_extent(const std::string& text) {
    // Measured with the dialog font's average character; lines break at '\n'.
    std::istringstream lines(text);
    std::string line;
    LONG widest = 0, count = 0;
    while (std::getline(lines, line)) {
        widest = std::max<LONG>(widest, static_cast<LONG>(line.size()) * 7);
        ++count;
    }
    return SIZE{widest, std::max<LONG>(count, 1) * 15};
}

} // namespace

std::vector<MessageBoxInfo> open_message_boxes() {
    return open_boxes();
}

std::optional<UINT> message_box_type(HWND box) {
    for (const MessageBoxInfo& i : open_boxes())
        if (i.box == box)
            return i.type;
    return std::nullopt;
}

bool press_message_box(HWND box, int id) {
    bool open = std::any_of(open_boxes().begin(), open_boxes().end(),
                            [box](const MessageBoxInfo& i) { return i.box == box; });
    HWND button = open ? GetDlgItem(box, id) : nullptr;
    if (!button)
        return false;
    PostMessageA(button, BM_CLICK, 0, 0);
    return true;
}

} // namespace platform

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    using namespace platform;
    if (owner && !window_or_error(owner))
        return 0;
    std::string body = text ? text : "";
    std::string title = caption ? caption : "Error";
    std::vector<ButtonSpec> specs = buttons_for(type);
    bool has_icon = (type & MB_ICONMASK) != 0;

    SIZE extent = text_extent(body);
    int icon_w = has_icon ? 32 + 12 : 0;
    int buttons_w = static_cast<int>(specs.size()) * 88 - 13;
    int client_w = std::max<int>(icon_w + extent.cx + 24, buttons_w + 24);
    int text_h = std::max<int>(extent.cy, has_icon ? 32 : 0);
    int client_h = 12 + text_h + 16 + 23 + 12;
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    DWORD ex_style = WS_EX_DLGMODALFRAME | ((type & MB_TOPMOST) ? WS_EX_TOPMOST : 0);
    RECT frame = frame_insets(style, ex_style);
    int w = client_w + frame.left + frame.right;
    int h = client_h + frame.top + frame.bottom;
    int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;

    HWND top_owner = owner ? root_window(owner) : nullptr;
    HWND box = CreateWindowExA(ex_style, "#32770", title.c_str(), style, x, y, w, h, top_owner,
                               nullptr, nullptr, nullptr);
    if (!box)
        return 0;
    make_dialog(box);
    SetWindowLongPtrA(box, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(box_proc));
    if (has_icon)
        CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE | SS_ICON, 12, 12, 32, 32, box,
                        reinterpret_cast<HMENU>(kIconId), nullptr, nullptr);
    CreateWindowExA(0, "Static", body.c_str(), WS_CHILD | WS_VISIBLE | SS_NOPREFIX, 12 + icon_w, 12,
                    extent.cx, text_h, box, reinterpret_cast<HMENU>(kTextId), nullptr, nullptr);
    size_t default_index = std::min<size_t>(((type >> 8) & 0xF), specs.size() - 1);
    int bx = (client_w - buttons_w) / 2;
    for (size_t i = 0; i < specs.size(); ++i) {
        DWORD bstyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP |
                       (i == default_index ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        CreateWindowExA(0, "Button", specs[i].text, bstyle, bx + static_cast<int>(i) * 88,
                        client_h - 12 - 23, 75, 23, box,
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(specs[i].id)), nullptr,
                        nullptr);
    }
    SendMessageA(box, DM_SETDEFID, specs[default_index].id, 0);

    open_boxes().push_back({box, owner, title, body, type});
    window_changed(
        box, kChangeState); // now with its type, for tools that answer boxes of other processes
    // Modal to its owner, as the dialog manager makes a dialog box.
    bool disabled_owner = top_owner && IsWindowEnabled(top_owner);
    if (disabled_owner)
        EnableWindow(top_owner, FALSE);
    ShowWindow(box, SW_SHOWNORMAL);
    SetFocus(GetDlgItem(box, specs[default_index].id));
    int result = static_cast<int>(run_modal_loop(box));
    auto& list = open_boxes();
    list.erase(std::remove_if(list.begin(), list.end(),
                              [box](const MessageBoxInfo& i) { return i.box == box; }),
               list.end());
    if (disabled_owner && IsWindow(top_owner))
        EnableWindow(top_owner, TRUE);
    if (IsWindow(box))
        DestroyWindow(box);
    return result;
}

BOOL WINAPI MessageBeep(UINT) {
    return TRUE;
}
