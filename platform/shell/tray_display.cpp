// What the display reports of tray icons: a panel's clicks become the callback messages the
// shell sends, and where a panel shows the icon goes into the tray table, where deskctl and
// other processes read it.
#include "tray_table.h"

#include "platform/drivers/display_events.h"
#include "platform/user/input.h"

#include <windows.h>

#include <algorithm>

namespace platform {

namespace {

class ShellTrayEvents final : public TrayEvents {
public:
    void tray_input(HWND owner, UINT id, UINT mouse, POINT screen) override {
        uint32_t handle = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(owner));
        std::vector<TrayEntry> all = read_tray();
        auto it = std::find_if(all.begin(), all.end(), [&](const TrayEntry& e) {
            return e.owner == handle && e.id == id && (e.flags & NIF_MESSAGE);
        });
        if (it == all.end() || !IsWindow(owner))
            return;
        // The owner asks GetCursorPos where to open its menu: the pointer is at the icon.
        place_cursor(screen);
        PostMessageA(owner, it->callback_message, id, static_cast<LPARAM>(mouse));
    }

    void tray_docked(HWND owner, UINT id, TrayDock where) override {
        uint32_t handle = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(owner));
        update_tray([&](std::vector<TrayEntry>& all) {
            for (TrayEntry& e : all)
                if (e.owner == handle && e.id == id && e.shown != static_cast<uint32_t>(where)) {
                    e.shown = static_cast<uint32_t>(where);
                    return true;
                }
            return false;
        });
    }
};

} // namespace

void install_tray_events() {
    static ShellTrayEvents events;
    set_tray_events(&events);
}

} // namespace platform
