// deskctl tray [click|dblclick|rclick [OWNER]]: the tray's icons, and acting on one.
#include "deskctl.h"

#include "platform/desktop/desktop.h"
#include "platform/shell/tray.h"

#include <cstdio>
#include <iostream>

namespace deskctl {

namespace {

struct ActionName {
    const char* name;
    platform::TrayAction action;
};

constexpr ActionName kActions[] = {
    {"click", platform::TrayAction::click},
    {"dblclick", platform::TrayAction::double_click},
    {"rclick", platform::TrayAction::right_click},
};

int act(platform::TrayAction action, const Args& args) {
    if (args.size() > 2)
        return fail(kExitUsage, "tray: expected click|dblclick|rclick [OWNER]");
    HWND owner = nullptr;
    if (args.size() == 2) {
        auto spec = parse_window(args[1]);
        if (!spec)
            return fail(kExitUsage, "tray: bad window: " + args[1]);
        owner = resolve_window(*spec);
        if (!owner)
            return fail(kExitFailed, "tray: no such window: " + args[1]);
    }
    auto icon = platform::find_tray_icon(owner);
    if (!icon)
        return fail(kExitFailed, owner ? "tray: the window has no tray icon" : "tray: no icons");
    if (!platform::tray_act(*icon, action))
        return fail(kExitFailed, "tray: the icon's owner takes no clicks");
    return kExitOk;
}

} // namespace

std::string quoted_lines(const std::string& text) {
    std::string out;
    size_t start = 0;
    for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1) {
        std::string part = quoted(text.substr(start, nl - start));
        out += part.substr(1, part.size() - 2) + "\\n";
    }
    std::string last = quoted(text.substr(start));
    return "\"" + out + last.substr(1);
}

int run_tray(const Args& args) {
    if (!platform::desktop_available())
        return fail(kExitFailed, "the desktop of this machine root cannot be used");
    if (!args.empty()) {
        for (const ActionName& a : kActions)
            if (args[0] == a.name)
                return act(a.action, args);
        return fail(kExitUsage, "tray: unknown argument " + args[0]);
    }
    for (const platform::TrayIcon& icon : platform::tray_icons()) {
        char head[96];
        std::snprintf(head, sizeof head, "0x%08lx %u picture=%u docked=%s ",
                      static_cast<unsigned long>(reinterpret_cast<uintptr_t>(icon.owner)), icon.id,
                      icon.picture, icon.docked);
        std::cout << head << quoted_lines(icon.tip) << "\n";
    }
    return kExitOk;
}

} // namespace deskctl
