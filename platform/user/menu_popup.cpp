// The popup menu's window: entries laid out one below the other, the mouse and keyboard
// handling that highlights, opens submenus and chooses, all on the open menu's state.
#include "menu_popup.h"

#include <algorithm>

namespace platform {

MenuTracker* g_menu_tracker = nullptr;

namespace {

constexpr int kMargin = 3;
constexpr int kItemHeight = 19;
constexpr int kSeparatorHeight = 9;
constexpr int kCharWidth = 7; // the menu font's average character
constexpr int kCheckColumn = 20;
constexpr int kArrowColumn = 20;
constexpr int kMinTextWidth = 40;

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
    return g_menu_tracker && level < g_menu_tracker->levels.size()
               ? find_menu(g_menu_tracker->levels[level].menu)
               : nullptr;
}

void select_item(size_t level, int index) {
    MenuLevel& l = g_menu_tracker->levels[level];
    if (l.highlight == index)
        return;
    l.highlight = index;
    Menu* m = find_menu(l.menu);
    if (!m || index < 0 || !g_menu_tracker->notify())
        return;
    const MenuItem& item = m->items[static_cast<size_t>(index)];
    // A submenu entry is named by its position, any other by its command.
    UINT what = (item.flags & MF_POPUP) ? static_cast<UINT>(index) : item.id;
    SendMessageA(g_menu_tracker->owner, WM_MENUSELECT,
                 MAKEWPARAM(what, (item.flags & 0xFFFF) | MF_HILITE),
                 reinterpret_cast<LPARAM>(l.menu));
}

void open_submenu(size_t level, int index) {
    Menu* m = level_menu(level);
    if (!m)
        return;
    const MenuItem& item = m->items[static_cast<size_t>(index)];
    HMENU sub = item.submenu;
    if (g_menu_tracker->levels.size() > level + 1 && g_menu_tracker->levels[level + 1].menu == sub)
        return; // already open
    close_levels(level + 1);
    select_item(level, index);
    if (g_menu_tracker->notify())
        SendMessageA(g_menu_tracker->owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub),
                     MAKELPARAM(index, FALSE));
    if (g_menu_tracker->ended || !(m = level_menu(level)) || !find_menu(sub))
        return;
    RECT parent = window_rect(g_menu_tracker->levels[level].window);
    SIZE unused{};
    RECT row = layout_menu(*m, POINT{parent.left, parent.top}, &unused)[static_cast<size_t>(index)];
    HWND window = create_level_window(sub, POINT{parent.right - kMargin, row.top - kMargin},
                                      parent.left + kMargin);
    if (window)
        g_menu_tracker->levels.push_back(MenuLevel{sub, window, -1});
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
    g_menu_tracker->chosen = item.id;
    g_menu_tracker->ended = true;
}

struct Hit {
    size_t level = 0;
    int index = -1;
};

// The entry under a screen point, innermost level first; no value outside every level.
std::optional<Hit> hit_test(POINT pt) {
    for (size_t level = g_menu_tracker->levels.size(); level-- > 0;) {
        RECT frame = window_rect(g_menu_tracker->levels[level].window);
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
            cancel_menu();
        else if (hit->index >= 0)
            select_item(hit->level, hit->index);
        break;
    case WM_RBUTTONUP:
        if (!(g_menu_tracker->flags & TPM_RIGHTBUTTON))
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
    int index = g_menu_tracker->levels[level].highlight;
    for (int tries = 0; tries < count; ++tries) {
        index = index < 0 ? (step > 0 ? 0 : count - 1) : (index + step + count) % count;
        if (!is_separator(m->items[static_cast<size_t>(index)])) {
            select_item(level, index);
            return;
        }
    }
}

void on_key(UINT vk) {
    size_t level = g_menu_tracker->levels.size() - 1;
    int highlight = g_menu_tracker->levels[level].highlight;
    Menu* m = level_menu(level);
    bool on_popup =
        m && highlight >= 0 && (m->items[static_cast<size_t>(highlight)].flags & MF_POPUP);
    switch (vk) {
    case VK_ESCAPE: // closes the innermost level, and the menu with its last one
        if (level > 0)
            close_levels(level);
        else
            cancel_menu();
        break;
    case VK_MENU:
        cancel_menu();
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
        if (on_popup && g_menu_tracker->levels.size() > level + 1)
            move_highlight(level + 1, 1);
        break;
    default:
        break;
    }
}

LRESULT CALLBACK menu_window_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    bool ours =
        g_menu_tracker && std::any_of(g_menu_tracker->levels.begin(), g_menu_tracker->levels.end(),
                                      [hwnd](const MenuLevel& l) { return l.window == hwnd; });
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
        cancel_menu();
        return 0;
    case WM_DESTROY:
        // Destroyed by someone else: the menu cannot go on without its window.
        cancel_menu();
        for (MenuLevel& l : g_menu_tracker->levels)
            if (l.window == hwnd)
                l.window = nullptr;
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wparam, lparam);
    }
}

} // namespace

RECT window_rect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

void cancel_menu() {
    g_menu_tracker->ended = true;
    g_menu_tracker->chosen.reset();
}

// Closes the levels from `first` on, innermost first.
void close_levels(size_t first) {
    while (g_menu_tracker->levels.size() > first) {
        MenuLevel l = g_menu_tracker->levels.back();
        g_menu_tracker->levels.pop_back();
        if (IsWindow(l.window))
            DestroyWindow(l.window);
        if (g_menu_tracker->notify() && IsWindow(g_menu_tracker->owner))
            SendMessageA(g_menu_tracker->owner, WM_UNINITMENUPOPUP,
                         reinterpret_cast<WPARAM>(l.menu), 0);
    }
    publish_open_menu();
}

// The menu's window at `at`, moved onto the screen: one that would leave it on the right or
// at the bottom opens to the other side of `at` (of `flip_x` for a submenu), as Windows does.
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
    HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "#32768", "",
                                  WS_POPUP | WS_CLIPSIBLINGS, at.x, at.y, size.cx, size.cy,
                                  g_menu_tracker->owner, nullptr, nullptr, nullptr);
    if (window) {
        MenuLevel showing{handle, window, -1};
        publish_open_menu(&showing); // before it shows: seen whole or not at all
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    return window;
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
    return std::any_of(g_menu_tracker->levels.begin(), g_menu_tracker->levels.end(),
                       [hwnd](const MenuLevel& l) { return l.window == hwnd; });
}

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

} // namespace platform
