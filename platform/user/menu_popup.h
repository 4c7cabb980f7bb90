// The open popup menu's state, shared by its window (menu_popup.cpp) and its modal loop
// (menu_track.cpp).
#pragma once

#include "menu.h"

#include <optional>
#include <vector>

namespace platform {

struct MenuLevel {
    HMENU menu = nullptr;
    HWND window = nullptr;
    int highlight = -1;
};

struct MenuTracker {
    HMENU menu = nullptr;
    HWND owner = nullptr;
    UINT flags = 0;
    POINT position{};
    std::vector<MenuLevel> levels;
    bool ended = false;
    std::optional<UINT> chosen;

    bool notify() const { return !(flags & TPM_NONOTIFY); }
};

// The one open popup menu of the process, or null.
extern MenuTracker* g_menu_tracker;

bool register_menu_class();
// The menu's "#32768" window at `at`, moved onto the screen.
HWND create_level_window(HMENU handle, POINT at, int flip_x);
// Closes the levels from `first` on, innermost first.
void close_levels(size_t first);
// Ends the menu without a choice.
void cancel_menu();
bool is_menu_window(HWND hwnd);
RECT window_rect(HWND hwnd);
// Publishes the entries of every shown level, and of `showing`, a level about to show, as
// the process's menu record on the desktop; with no level left, the record goes.
void publish_open_menu(const MenuLevel* showing = nullptr);
// Publishes the open menu again, after a change to one of its menus.
void republish_open_menu();
MenuEntryInfo entry_info(const MenuItem& item, const RECT& rect, bool highlighted);

} // namespace platform
