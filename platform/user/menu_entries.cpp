// The open menu as other processes see it: the entries of every shown level, published as the
// process's menu record on the desktop, so that tools read them without asking this process.
#include "menu_popup.h"

#include "platform/desktop/desktop.h"
#include "platform/desktop/protocol.h"

#include <vector>

namespace platform {

namespace {

using namespace desktop_wire;

DWORD entry_state(const MenuItem& item) {
    DWORD state = 0;
    if (item.flags & MF_CHECKED)
        state |= kMenuEntryChecked;
    if (item.flags & MF_SEPARATOR)
        state |= kMenuEntrySeparator;
    if (item.flags & MF_POPUP)
        state |= kMenuEntrySubmenu;
    if (item.flags & (MF_GRAYED | MF_DISABLED))
        state |= kMenuEntryDisabled;
    if (item.flags & MF_GRAYED)
        state |= kMenuEntryGrayed;
    return state;
}

void add_level(std::vector<DesktopMenuEntry>& entries, HWND window, HMENU handle) {
    Menu* m = find_menu(handle);
    if (!m || !IsWindow(window))
        return;
    RECT frame = window_rect(window);
    SIZE unused{};
    std::vector<RECT> rows = layout_menu(*m, POINT{frame.left, frame.top}, &unused);
    for (size_t i = 0; i < rows.size() && i < m->items.size(); ++i) {
        const MenuItem& item = m->items[i];
        UINT id = (item.flags & (MF_POPUP | MF_SEPARATOR)) ? 0 : item.id;
        entries.push_back(DesktopMenuEntry{window, id, entry_state(item), rows[i], item.text});
    }
}

} // namespace

void publish_open_menu(const MenuLevel* showing) {
    std::vector<DesktopMenuEntry> entries;
    if (g_menu_tracker)
        for (const MenuLevel& l : g_menu_tracker->levels)
            add_level(entries, l.window, l.menu);
    if (showing)
        add_level(entries, showing->window, showing->menu);
    desktop_publish_menu(entries);
}

void republish_open_menu() {
    if (g_menu_tracker)
        publish_open_menu();
}

} // namespace platform
