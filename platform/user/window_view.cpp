// One view of any window of the desktop, for the queries that answer alike for this
// process's windows and for other processes'.
#include "window.h"

#include <algorithm>

namespace platform {

std::optional<DesktopWindow> view_of(HWND hwnd) {
    if (Window* w = find_window(hwnd))
        return describe_window(*w);
    // A handle this process holds but no longer has is a window destroyed before the flush.
    if (!hwnd || desktop_holds(hwnd))
        return std::nullopt;
    return desktop_window(hwnd);
}

std::optional<DesktopWindow> view_or_error(HWND hwnd) {
    std::optional<DesktopWindow> v = view_of(hwnd);
    if (!v)
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return v;
}

std::vector<DesktopWindow> child_views(HWND parent) {
    std::vector<DesktopWindow> out;
    if (Window* p = find_window(parent)) {
        for (HWND c : p->children)
            if (Window* child = find_window(c))
                out.push_back(describe_window(*child));
        return out;
    }
    if (parent && !desktop_holds(parent))
        out = desktop_children(parent);
    return out;
}

std::vector<DesktopWindow> top_level_views() {
    // Other processes' windows from the table, this process's from its own state; the z
    // stamps of both come from the one desktop, so one sort orders them. Windows made without
    // a desktop follow, in this process's order.
    std::vector<DesktopWindow> out;
    for (DesktopWindow& w : desktop_top_level(false))
        if (!desktop_holds(w.handle))
            out.push_back(std::move(w));
    for (HWND h : top_level_windows())
        if (Window* w = find_window(h); w && desktop_holds(h))
            out.push_back(describe_window(*w));
    std::stable_sort(out.begin(), out.end(), [](const DesktopWindow& a, const DesktopWindow& b) {
        bool ta = a.ex_style & WS_EX_TOPMOST, tb = b.ex_style & WS_EX_TOPMOST;
        if (ta != tb)
            return ta;
        return a.z > b.z;
    });
    for (HWND h : top_level_windows())
        if (Window* w = find_window(h); w && !desktop_holds(h))
            out.push_back(describe_window(*w));
    return out;
}

} // namespace platform
