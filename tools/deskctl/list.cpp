// deskctl list [--all]: the desktop's windows, one line each, topmost first.
#include "deskctl.h"

#include "platform/desktop/desktop.h"

#include <cstdio>
#include <iostream>

namespace deskctl {

namespace {

std::string rect_text(const RECT& r) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "(%ld,%ld)-(%ld,%ld)", static_cast<long>(r.left),
                  static_cast<long>(r.top), static_cast<long>(r.right),
                  static_cast<long>(r.bottom));
    return buf;
}

std::string handle_text(HWND h) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08lx",
                  static_cast<unsigned long>(reinterpret_cast<uintptr_t>(h)));
    return buf;
}

std::string state_text(const platform::DesktopWindow& w) {
    return std::string(w.style & WS_VISIBLE ? "visible" : "hidden") + " " +
           (w.style & WS_DISABLED ? "disabled" : "enabled") + " " + rect_text(w.rect);
}

void list_children(HWND parent, int depth) {
    for (const platform::DesktopWindow& c : platform::desktop_children(parent)) {
        std::cout << std::string(static_cast<size_t>(depth) * 2, ' ') << handle_text(c.handle)
                  << " id=" << c.id << " " << quoted(c.class_name) << " " << quoted(c.title) << " "
                  << state_text(c) << "\n";
        if (depth < 32)
            list_children(c.handle, depth + 1);
    }
}

} // namespace

int run_list(const Args& args) {
    bool all = false;
    for (const std::string& a : args) {
        if (a == "--all")
            all = true;
        else
            return fail(kExitUsage, "list: unknown argument " + a);
    }
    if (!platform::desktop_available())
        return fail(kExitFailed, "the desktop of this machine root cannot be used");
    for (const platform::DesktopWindow& w : platform::desktop_top_level()) {
        std::cout << handle_text(w.handle) << " " << w.pid << " " << quoted(w.class_name) << " "
                  << quoted(w.title) << " " << state_text(w) << "\n";
        if (all)
            list_children(w.handle, 1);
    }
    return kExitOk;
}

} // namespace deskctl
