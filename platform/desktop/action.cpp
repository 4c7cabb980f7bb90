// Actions another process asks of this one: done as this process's own user would do them,
// through its input path, so that menus and controls run their own handling.
#include "desktop_state.h"

#include "platform/user/input.h"
#include "platform/user/menu.h"

namespace platform::desktop_detail {

using namespace desktop_wire;

void carry_out_action(const ActionDatagram& action, HWND target) {
    switch (action.action) {
    case kActionChooseMenuItem:
        // The asker found the entry in the table; one gone or greyed since then simply
        // takes the click as the menu would (nothing chosen).
        if (auto menu = open_popup_menu(); menu && menu->window)
            choose_menu_item(action.item);
        break;
    case kActionCloseMenu:
        close_popup_menu();
        break;
    case kActionClickWindow:
        // Hidden or disabled windows take no click; click_window says so and does nothing.
        click_window(target);
        break;
    default:
        break; // a kind this version does not know
    }
}

} // namespace platform::desktop_detail
