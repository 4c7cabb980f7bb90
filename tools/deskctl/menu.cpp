// deskctl menu [pick ID | close]: the open popup menu of the desktop, read from the menu record
// its process publishes on the desktop, and answering it through that process's input.
#include "deskctl.h"

#include "platform/desktop/desktop.h"
#include "platform/desktop/protocol.h"

#include <algorithm>
#include <iostream>

namespace deskctl {

namespace {

using platform::DesktopWindow;

// The shown levels of the topmost open menu, innermost (topmost) first; the last is the menu
// itself. A process has at most one open menu, so its levels are its "#32768" windows.
std::vector<DesktopWindow> open_levels() {
    std::vector<DesktopWindow> levels;
    for (const DesktopWindow& w : platform::desktop_top_level()) {
        if (w.class_name != "#32768" || !(w.style & WS_VISIBLE))
            continue;
        if (levels.empty() || w.pid == levels.front().pid)
            levels.push_back(w);
    }
    return levels;
}

using platform::DesktopMenuEntry;

// A level's entries, top to bottom, from the menu record of the level's process.
std::vector<DesktopMenuEntry> entries_of(const DesktopWindow& level) {
    std::vector<DesktopMenuEntry> entries;
    for (const DesktopMenuEntry& e : platform::desktop_menu_of(level))
        if (e.window == level.handle)
            entries.push_back(e);
    std::stable_sort(entries.begin(), entries.end(),
                     [](const DesktopMenuEntry& a, const DesktopMenuEntry& b) {
                         return a.rect.top < b.rect.top;
                     });
    return entries;
}

bool is_command(const DesktopMenuEntry& entry) {
    return !(entry.state & (platform::desktop_wire::kMenuEntrySeparator |
                            platform::desktop_wire::kMenuEntrySubmenu));
}

bool is_disabled(const DesktopMenuEntry& entry) {
    return entry.state & platform::desktop_wire::kMenuEntryDisabled;
}

int pick(const std::vector<DesktopWindow>& levels, const std::string& text) {
    auto id = parse_number(text);
    if (!id || *id < 0 || *id > 0xFFFF)
        return fail(kExitUsage, "menu: bad entry id: " + text);
    // Innermost first, as the menu itself looks for the entry.
    for (const DesktopWindow& level : levels)
        for (const DesktopMenuEntry& e : entries_of(level)) {
            if (!is_command(e) || e.id != static_cast<UINT>(*id))
                continue;
            if (is_disabled(e))
                return fail(kExitFailed, "menu: the entry " + text + " is grayed");
            if (!platform::desktop_send_action(levels.back().handle,
                                               platform::desktop_wire::kActionChooseMenuItem,
                                               static_cast<uint32_t>(*id)))
                return fail(kExitFailed, "menu: the menu went away");
            return kExitOk;
        }
    return fail(kExitFailed, "menu: the open menu has no entry " + text);
}

} // namespace

int run_menu(const Args& args) {
    bool pick_one = args.size() == 2 && args[0] == "pick";
    bool close = args.size() == 1 && args[0] == "close";
    if (!args.empty() && !pick_one && !close)
        return fail(kExitUsage, "menu: expected nothing, pick ID or close");
    if (!platform::desktop_available())
        return fail(kExitFailed, "the desktop of this machine root cannot be used");
    std::vector<DesktopWindow> levels = open_levels();
    if (levels.empty())
        return fail(kExitFailed, "menu: no popup menu is open");
    if (pick_one)
        return pick(levels, args[1]);
    if (close) {
        if (!platform::desktop_send_action(levels.back().handle,
                                           platform::desktop_wire::kActionCloseMenu))
            return fail(kExitFailed, "menu: the menu went away");
        return kExitOk;
    }
    for (const DesktopMenuEntry& e : entries_of(levels.back())) {
        std::cout << (is_command(e) ? std::to_string(e.id) : "-") << " " << quoted(e.text) << " "
                  << (is_disabled(e) ? "grayed" : "enabled") << " "
                  << (e.state & platform::desktop_wire::kMenuEntryChecked ? "checked" : "unchecked")
                  << "\n";
    }
    return kExitOk;
}

} // namespace deskctl
