// Menu templates (MENU and MENUEX) come from resource libraries on disk.
#include "platform/user/menu.h"

#include <cstddef>
#include <cstdint>

namespace {

// Walks the built menu as the tray's code does: every entry's state and text, every submenu.
int walk(HMENU menu, int depth) {
    int n = GetMenuItemCount(menu), sum = 0;
    for (int i = 0; i < n && depth < 64; ++i) {
        char text[256];
        sum += GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        sum += static_cast<int>(GetMenuState(menu, i, MF_BYPOSITION) & 0xFF);
        if (HMENU sub = GetSubMenu(menu, i))
            sum += walk(sub, depth + 1);
    }
    return sum;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HMENU menu = platform::load_menu_template({data, size});
    if (!menu)
        return 0;
    int sum = walk(menu, 0);
    DestroyMenu(menu);
    return sum == -1 ? 1 : 0;
}
