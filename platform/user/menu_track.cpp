// TrackPopupMenu: the popup menu as a modal loop of its own. Each shown level is a topmost
// "#32768" window (the menu class's name on Windows) that holds the mouse capture; the loop
// dispatches what the thread receives meanwhile and keeps the keyboard for the menu.
#include "input.h"
#include "menu_popup.h"
#include "window.h"

#include "platform/kernel/trace.h"

#include <algorithm>

namespace platform {

namespace {

bool is_key_message(UINT msg) {
    return msg >= WM_KEYFIRST && msg <= WM_KEYLAST;
}

bool still_open() {
    return !g_menu_tracker->ended && !g_menu_tracker->levels.empty() &&
           find_menu(g_menu_tracker->menu) && IsWindow(g_menu_tracker->levels.front().window) &&
           IsWindow(g_menu_tracker->owner);
}

void run_menu_loop() {
    while (still_open()) {
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (g_menu_tracker->notify())
                SendMessageA(g_menu_tracker->owner, WM_ENTERIDLE, MSGF_MENU,
                             reinterpret_cast<LPARAM>(g_menu_tracker->levels.front().window));
            if (!still_open())
                break;
            if (!GetMessageA(&msg, nullptr, 0, 0)) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                cancel_menu();
                break;
            }
        }
        HWND innermost = g_menu_tracker->levels.back().window;
        if (is_key_message(msg.message)) {
            // The open menu has the keyboard, whichever window has the focus.
            if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)
                SendMessageA(innermost, msg.message, msg.wParam, msg.lParam);
            continue;
        }
        if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST &&
            !is_menu_window(msg.hwnd)) {
            // The mouse belongs to the menu too: a click on another window is a click outside.
            POINT pt{static_cast<short>(LOWORD(msg.lParam)),
                     static_cast<short>(HIWORD(msg.lParam))};
            if (msg.hwnd)
                ClientToScreen(msg.hwnd, &pt);
            else
                pt = msg.pt;
            HWND root = g_menu_tracker->levels.front().window;
            ScreenToClient(root, &pt);
            SendMessageA(root, msg.message, msg.wParam, MAKELPARAM(pt.x, pt.y));
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

} // namespace

std::optional<OpenMenuInfo> open_popup_menu() {
    if (!g_menu_tracker || g_menu_tracker->ended)
        return std::nullopt;
    OpenMenuInfo info;
    info.menu = g_menu_tracker->menu;
    info.owner = g_menu_tracker->owner;
    info.position = g_menu_tracker->position;
    for (size_t level = 0; level < g_menu_tracker->levels.size(); ++level) {
        const MenuLevel& l = g_menu_tracker->levels[level];
        MenuLevelInfo shown{l.menu, l.window, window_rect(l.window), {}};
        if (Menu* m = find_menu(l.menu)) {
            SIZE unused{};
            auto rows = layout_menu(*m, POINT{shown.rect.left, shown.rect.top}, &unused);
            for (size_t i = 0; i < rows.size(); ++i)
                shown.entries.push_back(
                    entry_info(m->items[i], rows[i], static_cast<int>(i) == l.highlight));
        }
        info.levels.push_back(std::move(shown));
    }
    if (!info.levels.empty()) {
        info.window = info.levels.front().window;
        info.entries = info.levels.front().entries;
    }
    return info;
}

bool click_menu_entry(size_t level, int position) {
    auto info = open_popup_menu();
    if (!info || level >= info->levels.size() || position < 0 ||
        static_cast<size_t>(position) >= info->levels[level].entries.size())
        return false;
    const RECT& r = info->levels[level].entries[static_cast<size_t>(position)].rect;
    click_at(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    return true;
}

bool choose_menu_item(UINT id) {
    auto info = open_popup_menu();
    if (!info)
        return false;
    for (size_t level = info->levels.size(); level-- > 0;) {
        const auto& entries = info->levels[level].entries;
        for (size_t i = 0; i < entries.size(); ++i)
            if (entries[i].id == id)
                return click_menu_entry(level, static_cast<int>(i));
    }
    return false;
}

bool close_popup_menu() {
    auto info = open_popup_menu();
    if (!info)
        return false;
    for (size_t i = 0; i < info->levels.size(); ++i)
        press_key(VK_ESCAPE);
    return true;
}

} // namespace platform

using namespace platform;

BOOL WINAPI TrackPopupMenuEx(HMENU hMenu, UINT uFlags, int x, int y, HWND hwnd, LPTPMPARAMS lptpm) {
    if (!menu_or_error(hMenu) || !window_or_error(hwnd))
        return FALSE;
    if (uFlags & TPM_VERTICAL)
        fixme(TraceChannel::user, "TrackPopupMenuEx: TPM_VERTICAL");
    if (uFlags & TPM_RECURSE)
        fixme(TraceChannel::user, "TrackPopupMenuEx: TPM_RECURSE");
    if (lptpm)
        fixme(TraceChannel::user, "TrackPopupMenuEx: the exclusion rectangle of TPMPARAMS");
    if (g_menu_tracker) {
        SetLastError(ERROR_POPUP_ALREADY_ACTIVE);
        return FALSE;
    }
    if (!register_menu_class())
        return FALSE;
    MenuTracker tracker;
    tracker.menu = hMenu;
    tracker.owner = hwnd;
    tracker.flags = uFlags;
    tracker.position = POINT{x, y};
    g_menu_tracker = &tracker;
    if (tracker.notify()) {
        SendMessageA(hwnd, WM_ENTERMENULOOP, TRUE, 0);
        SendMessageA(hwnd, WM_INITMENU, reinterpret_cast<WPARAM>(hMenu), 0);
        SendMessageA(hwnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hMenu), MAKELPARAM(0, FALSE));
    }
    BOOL shown = FALSE;
    if (Menu* m = IsWindow(hwnd) ? find_menu(hMenu) : nullptr) {
        SIZE size{};
        layout_menu(*m, POINT{x, y}, &size);
        POINT at{x, y};
        if (uFlags & TPM_CENTERALIGN)
            at.x -= size.cx / 2;
        else if (uFlags & TPM_RIGHTALIGN)
            at.x -= size.cx;
        if (uFlags & TPM_VCENTERALIGN)
            at.y -= size.cy / 2;
        else if (uFlags & TPM_BOTTOMALIGN)
            at.y -= size.cy;
        if (HWND window = create_level_window(hMenu, at, x)) {
            tracker.levels.push_back(MenuLevel{hMenu, window, -1});
            SetCapture(window);
            shown = TRUE;
            run_menu_loop();
        }
    }
    HWND root = tracker.levels.empty() ? nullptr : tracker.levels.front().window;
    close_levels(1);
    if (root && GetCapture() == root)
        ReleaseCapture();
    close_levels(0);
    g_menu_tracker = nullptr;
    if (tracker.notify() && IsWindow(hwnd)) {
        SendMessageA(hwnd, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
        SendMessageA(hwnd, WM_EXITMENULOOP, TRUE, 0);
    }
    if (!shown)
        return FALSE;
    if (uFlags & TPM_RETURNCMD)
        return static_cast<BOOL>(tracker.chosen.value_or(0));
    // The choice reaches the owner after the menu has closed, as any posted command does.
    if (tracker.chosen && IsWindow(hwnd))
        PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(*tracker.chosen, 0), 0);
    return TRUE;
}

BOOL WINAPI TrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, int, HWND hWnd,
                           const RECT* prcRect) {
    if (prcRect)
        fixme(TraceChannel::user, "TrackPopupMenu: prcRect");
    return TrackPopupMenuEx(hMenu, uFlags, x, y, hWnd, nullptr);
}

BOOL WINAPI EndMenu() {
    if (g_menu_tracker && !g_menu_tracker->levels.empty()) {
        // Wakes the menu's loop, which then finds the menu ended.
        cancel_menu();
        PostMessageA(g_menu_tracker->levels.front().window, WM_CANCELMODE, 0, 0);
    }
    return TRUE;
}
