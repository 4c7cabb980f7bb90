// The menu table: HMENU handles of their own space (0xB0000000 | serial, apart from windows,
// modules and GDI objects) and the USER functions that build, query and change menus.
#include "menu.h"
#include "menu_popup.h"

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <unordered_set>

namespace platform {

namespace {

constexpr uintptr_t kMenuBase = 0xB0000000u;
constexpr uintptr_t kSerialMask = 0x0FFFFFFFu;

// The flag bits an item keeps; the rest of a call's flags say how to find it or what to do.
constexpr UINT kItemBits = MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_BITMAP | MF_POPUP |
                           MF_MENUBARBREAK | MF_MENUBREAK | MF_OWNERDRAW | MFT_RADIOCHECK |
                           MF_SEPARATOR | MF_RIGHTJUSTIFY;

// A submenu chain this deep is a loop or an attack, never a menu.
constexpr int kMaxDepth = 32;

struct MenuTable {
    std::unordered_map<uintptr_t, std::unique_ptr<Menu>> menus;
    uintptr_t next_serial = 1;
};

MenuTable& table() {
    static MenuTable t;
    return t;
}

uintptr_t key(HMENU h) {
    return reinterpret_cast<uintptr_t>(h);
}

HMENU create_menu(bool popup) {
    MenuTable& t = table();
    uintptr_t serial = t.next_serial;
    while (t.menus.count(kMenuBase | serial))
        serial = (serial & kSerialMask) + 1;
    t.next_serial = (serial & kSerialMask) + 1;
    auto menu = std::make_unique<Menu>();
    menu->handle = reinterpret_cast<HMENU>(kMenuBase | serial);
    menu->popup = popup;
    HMENU handle = menu->handle;
    t.menus.emplace(kMenuBase | serial, std::move(menu));
    return handle;
}

// Whether `target` can be reached from `from` through submenus (or is `from`).
bool reaches(HMENU from, HMENU target, std::unordered_set<HMENU>& seen) {
    if (from == target)
        return true;
    Menu* m = find_menu(from);
    if (!m || !seen.insert(from).second)
        return false;
    for (const MenuItem& item : m->items)
        if (item.submenu && reaches(item.submenu, target, seen))
            return true;
    return false;
}

struct Found {
    Menu* menu = nullptr;
    size_t index = 0;
    MenuItem& item() const { return menu->items[index]; }
};

// MF_BYCOMMAND looks into submenus first, depth first, as Windows does.
Found find_by_command(Menu& m, UINT id, int depth) {
    if (depth > kMaxDepth)
        return {};
    for (size_t i = 0; i < m.items.size(); ++i) {
        const MenuItem& item = m.items[i];
        if (item.flags & MF_POPUP) {
            if (Menu* sub = find_menu(item.submenu))
                if (Found f = find_by_command(*sub, id, depth + 1); f.menu)
                    return f;
        } else if (item.id == id) {
            return {&m, i};
        }
    }
    return {};
}

Found find_item(HMENU handle, UINT item, UINT flags) {
    Menu* m = menu_or_error(handle);
    if (!m)
        return {};
    Found f;
    if (flags & MF_BYPOSITION) {
        if (item < m->items.size())
            f = {m, item};
    } else {
        f = find_by_command(*m, item, 0);
    }
    if (!f.menu)
        SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
    return f;
}

// Fills an item from the arguments of AppendMenu, InsertMenu and ModifyMenu.
bool fill_item(HMENU owner, MenuItem& item, UINT flags, UINT_PTR id, LPCSTR text) {
    MenuItem next;
    next.flags = flags & kItemBits;
    if (flags & MF_POPUP) {
        next.submenu = reinterpret_cast<HMENU>(id);
        if (!menu_or_error(next.submenu))
            return false;
        std::unordered_set<HMENU> seen;
        if (reaches(next.submenu, owner, seen)) {
            // A menu inside itself would make every search and destruction endless.
            SetLastError(ERROR_INVALID_PARAMETER);
            return false;
        }
    } else {
        next.id = static_cast<UINT>(id);
    }
    if (flags & (MF_BITMAP | MF_OWNERDRAW))
        next.data = reinterpret_cast<ULONG_PTR>(text);
    else if (!(flags & MF_SEPARATOR) && text)
        next.text = text;
    else if (!(flags & MF_SEPARATOR))
        next.flags |= MF_SEPARATOR; // a string item without a string is a separator
    item = std::move(next);
    return true;
}

void destroy_menu(HMENU handle, int depth) {
    auto& menus = table().menus;
    auto it = menus.find(key(handle));
    if (it == menus.end() || depth > kMaxDepth)
        return;
    std::unique_ptr<Menu> menu = std::move(it->second);
    menus.erase(it);
    for (const MenuItem& item : menu->items)
        if (item.flags & MF_POPUP)
            destroy_menu(item.submenu, depth + 1);
}

bool insert_item(HMENU handle, UINT position, UINT flags, UINT_PTR id, LPCSTR text) {
    Menu* m = menu_or_error(handle);
    if (!m)
        return false;
    size_t at = m->items.size();
    if (flags & MF_BYPOSITION) {
        at = std::min<size_t>(position, m->items.size());
    } else if (Found f = find_by_command(*m, position, 0); f.menu) {
        // Before the item with that command, in whichever submenu holds it.
        m = f.menu;
        handle = m->handle;
        at = f.index;
    }
    MenuItem item;
    if (!fill_item(handle, item, flags, id, text))
        return false;
    m->items.insert(m->items.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
    republish_open_menu();
    return true;
}

} // namespace

Menu* find_menu(HMENU handle) {
    auto& menus = table().menus;
    auto it = menus.find(key(handle));
    return it == menus.end() ? nullptr : it->second.get();
}

Menu* menu_or_error(HMENU handle) {
    Menu* m = find_menu(handle);
    if (!m)
        SetLastError(ERROR_INVALID_MENU_HANDLE);
    return m;
}

} // namespace platform

using namespace platform;

HMENU WINAPI CreateMenu() {
    return create_menu(false);
}

HMENU WINAPI CreatePopupMenu() {
    return create_menu(true);
}

BOOL WINAPI DestroyMenu(HMENU hMenu) {
    if (!menu_or_error(hMenu))
        return FALSE;
    destroy_menu(hMenu, 0);
    return TRUE;
}

BOOL WINAPI IsMenu(HMENU hMenu) {
    return find_menu(hMenu) != nullptr;
}

HMENU WINAPI GetSubMenu(HMENU hMenu, int nPos) {
    Menu* m = menu_or_error(hMenu);
    if (!m || nPos < 0 || static_cast<size_t>(nPos) >= m->items.size())
        return nullptr;
    const MenuItem& item = m->items[static_cast<size_t>(nPos)];
    return (item.flags & MF_POPUP) ? item.submenu : nullptr;
}

int WINAPI GetMenuItemCount(HMENU hMenu) {
    Menu* m = menu_or_error(hMenu);
    return m ? static_cast<int>(m->items.size()) : -1;
}

UINT WINAPI GetMenuItemID(HMENU hMenu, int nPos) {
    Menu* m = menu_or_error(hMenu);
    if (!m || nPos < 0 || static_cast<size_t>(nPos) >= m->items.size())
        return static_cast<UINT>(-1);
    const MenuItem& item = m->items[static_cast<size_t>(nPos)];
    return (item.flags & MF_POPUP) ? static_cast<UINT>(-1) : item.id;
}

UINT WINAPI GetMenuState(HMENU hMenu, UINT uId, UINT uFlags) {
    Found f = find_item(hMenu, uId, uFlags);
    if (!f.menu)
        return static_cast<UINT>(-1);
    const MenuItem& item = f.item();
    if (item.flags & MF_POPUP) {
        // The submenu's item count in the high byte, the flags in the low one.
        Menu* sub = find_menu(item.submenu);
        UINT count = sub ? static_cast<UINT>(sub->items.size()) : 0;
        return (count << 8) | (item.flags & 0xFF);
    }
    return item.flags;
}

int WINAPI GetMenuStringA(HMENU hMenu, UINT uIDItem, LPSTR lpString, int cchMax, UINT flags) {
    Found f = find_item(hMenu, uIDItem, flags);
    if (lpString && cchMax > 0)
        lpString[0] = '\0';
    if (!f.menu)
        return 0;
    const std::string& text = f.item().text;
    if (!lpString)
        return static_cast<int>(text.size());
    if (cchMax <= 0)
        return 0;
    size_t n = std::min(text.size(), static_cast<size_t>(cchMax - 1));
    text.copy(lpString, n);
    lpString[n] = '\0';
    return static_cast<int>(n);
}

BOOL WINAPI AppendMenuA(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem) {
    return insert_item(hMenu, static_cast<UINT>(-1), uFlags | MF_BYPOSITION, uIDNewItem, lpNewItem);
}

BOOL WINAPI InsertMenuA(HMENU hMenu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem,
                        LPCSTR lpNewItem) {
    return insert_item(hMenu, uPosition, uFlags, uIDNewItem, lpNewItem);
}

BOOL WINAPI ModifyMenuA(HMENU hMnu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem,
                        LPCSTR lpNewItem) {
    Found f = find_item(hMnu, uPosition, uFlags);
    if (!f.menu)
        return FALSE;
    MenuItem& item = f.item();
    HMENU old_submenu = (item.flags & MF_POPUP) ? item.submenu : nullptr;
    if (!fill_item(f.menu->handle, item, uFlags, uIDNewItem, lpNewItem))
        return FALSE;
    // The replaced item's submenu goes with it, as ModifyMenu documents.
    if (old_submenu && old_submenu != item.submenu)
        destroy_menu(old_submenu, 0);
    republish_open_menu();
    return TRUE;
}

BOOL WINAPI RemoveMenu(HMENU hMenu, UINT uPosition, UINT uFlags) {
    Found f = find_item(hMenu, uPosition, uFlags);
    if (!f.menu)
        return FALSE;
    f.menu->items.erase(f.menu->items.begin() + static_cast<std::ptrdiff_t>(f.index));
    republish_open_menu();
    return TRUE;
}

BOOL WINAPI DeleteMenu(HMENU hMenu, UINT uPosition, UINT uFlags) {
    Found f = find_item(hMenu, uPosition, uFlags);
    if (!f.menu)
        return FALSE;
    HMENU submenu = (f.item().flags & MF_POPUP) ? f.item().submenu : nullptr;
    f.menu->items.erase(f.menu->items.begin() + static_cast<std::ptrdiff_t>(f.index));
    if (submenu)
        destroy_menu(submenu, 0);
    republish_open_menu();
    return TRUE;
}

BOOL WINAPI EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable) {
    Found f = find_item(hMenu, uIDEnableItem, uEnable);
    if (!f.menu)
        return -1;
    constexpr UINT kBits = MF_GRAYED | MF_DISABLED;
    UINT& flags = f.item().flags;
    UINT previous = flags & kBits;
    flags = (flags & ~kBits) | (uEnable & kBits);
    republish_open_menu();
    return static_cast<BOOL>(previous);
}

DWORD WINAPI CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck) {
    Found f = find_item(hMenu, uIDCheckItem, uCheck);
    if (!f.menu)
        return static_cast<DWORD>(-1);
    UINT& flags = f.item().flags;
    DWORD previous = flags & MF_CHECKED;
    flags = (flags & ~static_cast<UINT>(MF_CHECKED)) | (uCheck & MF_CHECKED);
    republish_open_menu();
    return previous;
}
