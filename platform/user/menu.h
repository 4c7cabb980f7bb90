// Menus: the menu table behind HMENU, and the open popup menu, which tools and tests see and
// answer as a user would (the same way message boxes are seen and answered).
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform {

// One entry of a popup menu as the user sees it.
struct MenuEntryInfo {
    std::optional<UINT> id; // none for separators and submenu entries
    std::string text;
    bool separator = false;
    HMENU submenu = nullptr;
    bool enabled = true; // neither MF_GRAYED nor MF_DISABLED
    bool grayed = false;
    bool checked = false;
    bool highlighted = false;
    RECT rect{}; // on the screen
};

// One shown level of the open popup menu: the menu itself, or a submenu opened from it.
struct MenuLevelInfo {
    HMENU menu = nullptr;
    HWND window = nullptr; // its "#32768" popup window
    RECT rect{};           // the window's rectangle on the screen
    std::vector<MenuEntryInfo> entries;
};

struct OpenMenuInfo {
    HMENU menu = nullptr;
    HWND owner = nullptr;
    POINT position{}; // the point TrackPopupMenu was given
    HWND window = nullptr;
    std::vector<MenuEntryInfo> entries; // of the menu itself
    std::vector<MenuLevelInfo> levels;  // the menu, then each submenu opened from it
};

// The open popup menu of this process (there is at most one).
std::optional<OpenMenuInfo> open_popup_menu();

// Clicks the shown entry with that command id, innermost level first, as the user's mouse
// would. False when no shown entry has that id. A greyed entry takes the click and stays open.
bool choose_menu_item(UINT id);

// Clicks the entry at `position` of shown level `level` (0 = the menu): a submenu entry opens
// its submenu. False when there is no such entry.
bool click_menu_entry(size_t level, int position);

// Presses Escape until the whole menu is closed. False when no menu is open.
bool close_popup_menu();

// Other processes see the open menu as this process's menu record on the desktop
// (desktop_publish_menu): the entries of every shown level, each level being a "#32768"
// window of the window table.

// --- Internals shared by the menu files -------------------------------------------------

struct MenuItem {
    UINT id = 0;    // command id; 0 for separators and submenu entries
    UINT flags = 0; // MF_* type and state bits, MF_POPUP when it opens `submenu`
    std::string text;
    HMENU submenu = nullptr;
    ULONG_PTR data = 0; // the bitmap handle or owner-draw value of such items
};

struct Menu {
    HMENU handle = nullptr;
    bool popup = false;
    std::vector<MenuItem> items;
};

// A live menu, or null (and ERROR_INVALID_MENU_HANDLE) for anything else.
Menu* find_menu(HMENU handle);
Menu* menu_or_error(HMENU handle);

// Builds a menu from MENU or MENUEX template bytes. Null (ERROR_INVALID_DATA) for a template
// that is malformed or runs past `bytes`.
HMENU load_menu_template(std::span<const BYTE> bytes);

// The screen rectangle of an item in a popup window at `origin`, and the window's size.
std::vector<RECT> layout_menu(const Menu& menu, POINT origin, SIZE* size);

} // namespace platform
