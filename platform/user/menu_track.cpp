// TrackPopupMenu: the popup menu as a modal loop of its own. Each shown level is a topmost
// "#32768" window (the menu class's name on Windows) that holds the mouse capture; the loop
// dispatches what the thread receives meanwhile and keeps the keyboard for the menu.
#include "menu.h"
#include "input.h"
#include "window.h"

#include <algorithm>

namespace platform {

namespace {

constexpr int kMargin = 3;
constexpr int kItemHeight = 19;
constexpr int kSeparatorHeight = 9;
constexpr int kCharWidth = 7; // the menu font's average character
constexpr int kCheckColumn = 20;
constexpr int kArrowColumn = 20;
constexpr int kMinTextWidth = 40;

struct Level {
    HMENU menu = nullptr;
    HWND window = nullptr;
    int highlight = -1;
};

struct Tracker {
    HMENU menu = nullptr;
    HWND owner = nullptr;
    UINT flags = 0;
    POINT position{};
    std::vector<Level> levels;
    bool ended = false;
    std::optional<UINT> chosen;

    bool notify() const { return !(flags & TPM_NONOTIFY); }
};

Tracker* g_tracker = nullptr;

int text_width(const std::string& text) {
    // '&' marks the mnemonic and takes no room ("&&" shows one '&'); a tab separates the
    // accelerator text with a gap.
    int chars = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size() && text[i + 1] != '&')
            continue;
        if (text[i] == '&')
            ++i;
        chars += text[i] == '\t' ? 3 : 1;
    }
    return chars * kCharWidth;
}

bool is_separator(const MenuItem& item) {
    return item.flags & MF_SEPARATOR;
}

bool is_enabled(const MenuItem& item) {
    return !(item.flags & (MF_GRAYED | MF_DISABLED));
}

Menu* level_menu(size_t level) {
    return g_tracker && level < g_tracker->levels.size() ? find_menu(g_tracker->levels[level].menu)
                                                         : nullptr;
}

RECT window_rect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

void cancel() {
    g_tracker->ended = true;
    g_tracker->chosen.reset();
}

void select_item(size_t level, int index) {
    Level& l = g_tracker->levels[level];
    if (l.highlight == index)
        return;
    l.highlight = index;
    Menu* m = find_menu(l.menu);
    if (!m || index < 0 || !g_tracker->notify())
        return;
    const MenuItem& item = m->items[static_cast<size_t>(index)];
    // A submenu entry is named by its position, any other by its command.
    UINT what = (item.flags & MF_POPUP) ? static_cast<UINT>(index) : item.id;
    SendMessageA(g_tracker->owner, WM_MENUSELECT,
                 MAKEWPARAM(what, (item.flags & 0xFFFF) | MF_HILITE),
                 reinterpret_cast<LPARAM>(l.menu));
}

// Closes the levels from `first` on, innermost first.
void close_levels(size_t first) {
    while (g_tracker->levels.size() > first) {
        Level l = g_tracker->levels.back();
        g_tracker->levels.pop_back();
        if (IsWindow(l.window))
            DestroyWindow(l.window);
        if (g_tracker->notify() && IsWindow(g_tracker->owner))
            SendMessageA(g_tracker->owner, WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(l.menu), 0);
    }
}

// The menu's window at `at`, moved onto the screen: one that would leave it on the right or
// at the bottom opens to the other side of `at` (of `flip` for a submenu), as Windows does.
HWND create_level_window(HMENU handle, POINT at, int flip_x) {
    Menu* m = find_menu(handle);
    if (!m)
        return nullptr;
    SIZE size{};
    layout_menu(*m, at, &size);
    int screen_w = GetSystemMetrics(SM_CXSCREEN), screen_h = GetSystemMetrics(SM_CYSCREEN);
    if (at.x + size.cx > screen_w)
        at.x = flip_x - size.cx;
    if (at.y + size.cy > screen_h)
        at.y = std::min<LONG>(at.y, screen_h) - size.cy;
    at.x = std::max<LONG>(at.x, 0);
    at.y = std::max<LONG>(at.y, 0);
    HWND window =
        CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "#32768", "", WS_POPUP | WS_CLIPSIBLINGS,
                        at.x, at.y, size.cx, size.cy, g_tracker->owner, nullptr, nullptr, nullptr);
    if (window)
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    return window;
}

void open_submenu(size_t level, int index) {
    Menu* m = level_menu(level);
    if (!m)
        return;
    const MenuItem& item = m->items[static_cast<size_t>(index)];
    HMENU sub = item.submenu;
    if (g_tracker->levels.size() > level + 1 && g_tracker->levels[level + 1].menu == sub)
        return; // already open
    close_levels(level + 1);
    select_item(level, index);
    if (g_tracker->notify())
        SendMessageA(g_tracker->owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub),
                     MAKELPARAM(index, FALSE));
    if (g_tracker->ended || !(m = level_menu(level)) || !find_menu(sub))
        return;
    RECT parent = window_rect(g_tracker->levels[level].window);
    SIZE unused{};
    RECT row = layout_menu(*m, POINT{parent.left, parent.top}, &unused)[static_cast<size_t>(index)];
    HWND window = create_level_window(sub, POINT{parent.right - kMargin, row.top - kMargin},
                                      parent.left + kMargin);
    if (window)
        g_tracker->levels.push_back(Level{sub, window, -1});
}

// A click or Enter on an entry: a submenu opens, an enabled command ends the menu with it,
// separators and greyed entries do nothing.
void activate(size_t level, int index) {
    Menu* m = level_menu(level);
    if (!m || index < 0 || static_cast<size_t>(index) >= m->items.size())
        return;
    const MenuItem& item = m->items[static_cast<size_t>(index)];
    if (is_separator(item))
        return;
    if (item.flags & MF_POPUP) {
        if (is_enabled(item))
            open_submenu(level, index);
        return;
    }
    select_item(level, index);
    if (!is_enabled(item))
        return;
    g_tracker->chosen = item.id;
    g_tracker->ended = true;
}

struct Hit {
    size_t level = 0;
    int index = -1;
};

// The entry under a screen point, innermost level first; no value outside every level.
std::optional<Hit> hit_test(POINT pt) {
    for (size_t level = g_tracker->levels.size(); level-- > 0;) {
        RECT frame = window_rect(g_tracker->levels[level].window);
        if (!PtInRect(&frame, pt))
            continue;
        Hit hit{level, -1};
        if (Menu* m = level_menu(level)) {
            SIZE unused{};
            auto rows = layout_menu(*m, POINT{frame.left, frame.top}, &unused);
            for (size_t i = 0; i < rows.size(); ++i)
                if (PtInRect(&rows[i], pt) && !is_separator(m->items[i]))
                    hit.index = static_cast<int>(i);
        }
        return hit;
    }
    return std::nullopt;
}

void on_mouse(HWND hwnd, UINT msg, LPARAM lparam) {
    POINT pt{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
    ClientToScreen(hwnd, &pt);
    std::optional<Hit> hit = hit_test(pt);
    switch (msg) {
    case WM_MOUSEMOVE:
        if (hit && hit->index >= 0)
            select_item(hit->level, hit->index);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
        // A press outside every level closes the menu and goes no further.
        if (!hit)
            cancel();
        else if (hit->index >= 0)
            select_item(hit->level, hit->index);
        break;
    case WM_RBUTTONUP:
        if (!(g_tracker->flags & TPM_RIGHTBUTTON))
            break;
        [[fallthrough]];
    case WM_LBUTTONUP:
        if (hit && hit->index >= 0)
            activate(hit->level, hit->index);
        break;
    default:
        break;
    }
}

void move_highlight(size_t level, int step) {
    Menu* m = level_menu(level);
    if (!m || m->items.empty())
        return;
    int count = static_cast<int>(m->items.size());
    int index = g_tracker->levels[level].highlight;
    for (int tries = 0; tries < count; ++tries) {
        index = index < 0 ? (step > 0 ? 0 : count - 1) : (index + step + count) % count;
        if (!is_separator(m->items[static_cast<size_t>(index)])) {
            select_item(level, index);
            return;
        }
    }
}

void on_key(UINT vk) {
    size_t level = g_tracker->levels.size() - 1;
    int highlight = g_tracker->levels[level].highlight;
    Menu* m = level_menu(level);
    bool on_popup =
        m && highlight >= 0 && (m->items[static_cast<size_t>(highlight)].flags & MF_POPUP);
    switch (vk) {
    case VK_ESCAPE: // closes the innermost level, and the menu with its last one
        if (level > 0)
            close_levels(level);
        else
            cancel();
        break;
    case VK_MENU:
        cancel();
        break;
    case VK_UP:
    case VK_DOWN:
        move_highlight(level, vk == VK_DOWN ? 1 : -1);
        break;
    case VK_LEFT:
        if (level > 0)
            close_levels(level);
        break;
    case VK_RIGHT:
    case VK_RETURN:
        if (on_popup || vk == VK_RETURN)
            activate(level, highlight);
        if (on_popup && g_tracker->levels.size() > level + 1)
            move_highlight(level + 1, 1);
        break;
    default:
        break;
    }
}

LRESULT CALLBACK menu_window_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    bool ours = g_tracker && std::any_of(g_tracker->levels.begin(), g_tracker->levels.end(),
                                         [hwnd](const Level& l) { return l.window == hwnd; });
    if (!ours)
        return DefWindowProcA(hwnd, msg, wparam, lparam);
    if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) {
        on_mouse(hwnd, msg, lparam);
        return 0;
    }
    switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        on_key(static_cast<UINT>(wparam));
        return 0;
    case WM_CANCELMODE:
        cancel();
        return 0;
    case WM_DESTROY:
        // Destroyed by someone else: the menu cannot go on without its window.
        cancel();
        for (Level& l : g_tracker->levels)
            if (l.window == hwnd)
                l.window = nullptr;
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wparam, lparam);
    }
}

bool register_menu_class() {
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.style = CS_DBLCLKS | CS_SAVEBITS;
        wc.lpfnWndProc = menu_window_proc;
        wc.lpszClassName = "#32768";
        return RegisterClassA(&wc) != 0;
    }();
    return registered;
}

bool is_menu_window(HWND hwnd) {
    return std::any_of(g_tracker->levels.begin(), g_tracker->levels.end(),
                       [hwnd](const Level& l) { return l.window == hwnd; });
}

bool is_key_message(UINT msg) {
    return msg >= WM_KEYFIRST && msg <= WM_KEYLAST;
}

bool still_open() {
    return !g_tracker->ended && !g_tracker->levels.empty() && find_menu(g_tracker->menu) &&
           IsWindow(g_tracker->levels.front().window) && IsWindow(g_tracker->owner);
}

void run_menu_loop() {
    while (still_open()) {
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (g_tracker->notify())
                SendMessageA(g_tracker->owner, WM_ENTERIDLE, MSGF_MENU,
                             reinterpret_cast<LPARAM>(g_tracker->levels.front().window));
            if (!still_open())
                break;
            if (!GetMessageA(&msg, nullptr, 0, 0)) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                cancel();
                break;
            }
        }
        HWND innermost = g_tracker->levels.back().window;
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
            HWND root = g_tracker->levels.front().window;
            ScreenToClient(root, &pt);
            SendMessageA(root, msg.message, msg.wParam, MAKELPARAM(pt.x, pt.y));
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

MenuEntryInfo entry_info(const MenuItem& item, const RECT& rect, bool highlighted) {
    MenuEntryInfo e;
    e.separator = is_separator(item);
    if (item.flags & MF_POPUP)
        e.submenu = item.submenu;
    else if (!e.separator)
        e.id = item.id;
    e.text = item.text;
    e.enabled = is_enabled(item);
    e.grayed = item.flags & MF_GRAYED;
    e.checked = item.flags & MF_CHECKED;
    e.highlighted = highlighted;
    e.rect = rect;
    return e;
}

} // namespace

std::vector<RECT> layout_menu(const Menu& menu, POINT origin, SIZE* size) {
    int text_w = kMinTextWidth;
    for (const MenuItem& item : menu.items)
        text_w = std::max(text_w, text_width(item.text));
    int width = 2 * kMargin + kCheckColumn + text_w + kArrowColumn;
    std::vector<RECT> rows;
    int y = origin.y + kMargin;
    for (const MenuItem& item : menu.items) {
        int h = is_separator(item) ? kSeparatorHeight : kItemHeight;
        rows.push_back(RECT{origin.x + kMargin, y, origin.x + width - kMargin, y + h});
        y += h;
    }
    *size = SIZE{width, y + kMargin - origin.y};
    return rows;
}

std::optional<OpenMenuInfo> open_popup_menu() {
    if (!g_tracker || g_tracker->ended)
        return std::nullopt;
    OpenMenuInfo info;
    info.menu = g_tracker->menu;
    info.owner = g_tracker->owner;
    info.position = g_tracker->position;
    for (size_t level = 0; level < g_tracker->levels.size(); ++level) {
        const Level& l = g_tracker->levels[level];
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

BOOL WINAPI TrackPopupMenuEx(HMENU hMenu, UINT uFlags, int x, int y, HWND hwnd, LPTPMPARAMS) {
    if (!menu_or_error(hMenu) || !window_or_error(hwnd))
        return FALSE;
    if (g_tracker) {
        SetLastError(ERROR_POPUP_ALREADY_ACTIVE);
        return FALSE;
    }
    if (!register_menu_class())
        return FALSE;
    Tracker tracker;
    tracker.menu = hMenu;
    tracker.owner = hwnd;
    tracker.flags = uFlags;
    tracker.position = POINT{x, y};
    g_tracker = &tracker;
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
            tracker.levels.push_back(Level{hMenu, window, -1});
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
    g_tracker = nullptr;
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

BOOL WINAPI TrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, int, HWND hWnd, const RECT*) {
    return TrackPopupMenuEx(hMenu, uFlags, x, y, hWnd, nullptr);
}

BOOL WINAPI EndMenu() {
    if (g_tracker && !g_tracker->levels.empty()) {
        // Wakes the menu's loop, which then finds the menu ended.
        cancel();
        PostMessageA(g_tracker->levels.front().window, WM_CANCELMODE, 0, 0);
    }
    return TRUE;
}
