// The open menu's entries, published in the desktop table as hidden children of each shown
// level's window, so that other processes read them without asking this one.
#include "menu_popup.h"
#include "window.h"

#include <vector>

namespace platform {

namespace {

bool register_entry_class() {
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = kMenuEntryClass;
        return RegisterClassA(&wc) != 0;
    }();
    return registered;
}

DWORD entry_style(const MenuItem& item) {
    DWORD style = WS_CHILD; // never WS_VISIBLE: no input, no painting
    if (item.flags & (MF_GRAYED | MF_DISABLED))
        style |= WS_DISABLED;
    if (item.flags & MF_CHECKED)
        style |= kMenuEntryChecked;
    if (item.flags & MF_SEPARATOR)
        style |= kMenuEntrySeparator;
    if (item.flags & MF_POPUP)
        style |= kMenuEntrySubmenu;
    return style;
}

} // namespace

void publish_menu_entries(HWND window, HMENU handle) {
    Menu* m = find_menu(handle);
    Window* w = find_window(window);
    if (!m || !w || !register_entry_class())
        return;
    // Entries come and go with the menu's items; replacing them all keeps the order plain.
    std::vector<HWND> old = w->children;
    for (HWND c : old)
        DestroyWindow(c);
    RECT frame = window_rect(window);
    SIZE unused{};
    std::vector<RECT> rows = layout_menu(*m, POINT{frame.left, frame.top}, &unused);
    for (size_t i = 0; i < rows.size() && i < m->items.size(); ++i) {
        const MenuItem& item = m->items[i];
        UINT id = (item.flags & (MF_POPUP | MF_SEPARATOR)) ? 0 : item.id;
        const RECT& r = rows[i];
        CreateWindowExA(WS_EX_NOPARENTNOTIFY, kMenuEntryClass, item.text.c_str(), entry_style(item),
                        r.left - frame.left, r.top - frame.top, r.right - r.left, r.bottom - r.top,
                        window, reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), nullptr,
                        nullptr);
    }
}

void republish_open_menu() {
    if (!g_menu_tracker)
        return;
    for (const MenuLevel& l : g_menu_tracker->levels)
        if (IsWindow(l.window))
            publish_menu_entries(l.window, l.menu);
}

} // namespace platform
