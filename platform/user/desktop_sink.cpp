// What other processes send to this process's windows, as the desktop hands it up: posts
// join the window's queue; cursor moves and actions are done as this process's own user would
// do them, through its input path, so that menus and controls run their own handling.
#include "desktop_sink.h"

#include "input.h"
#include "menu.h"
#include "message_queue.h"
#include "window.h"

#include "platform/desktop/desktop.h"
#include "platform/desktop/protocol.h"

namespace platform {

namespace {

using namespace desktop_wire;

class WindowManagerSink : public DesktopSink {
public:
    void posted(HWND target, UINT msg, WPARAM wparam, LPARAM lparam) override {
        if (find_window(target))
            post_message(target, msg, wparam, lparam);
    }
    void cursor_moved(HWND target, POINT screen) override {
        if (find_window(target))
            place_cursor(screen);
    }
    size_t room() override { return posted_room(); }
    void action(HWND target, uint32_t action, uint32_t item) override {
        if (!find_window(target))
            return;
        switch (action) {
        case kActionChooseMenuItem:
            // The asker found the entry in the table; one gone or greyed since then simply
            // takes the click as the menu would (nothing chosen).
            if (auto menu = open_popup_menu(); menu && menu->window)
                choose_menu_item(item);
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
};

// A rebuilt window table lost the records of this process's windows: one flush writes them
// all again, with their handles.
void publish_all_windows() {
    WindowBatch batch;
    for (HWND hwnd : all_windows())
        window_changed(hwnd, kChangeRecord);
}

} // namespace

void receive_from_desktop() {
    static WindowManagerSink sink;
    desktop_set_sink(&sink);
    desktop_add_republish_hook(publish_all_windows);
}

} // namespace platform
