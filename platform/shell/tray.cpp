// The tray host: listing icons and delivering the user's clicks to their owners.
#include "tray.h"
#include "tray_table.h"

#include "platform/desktop/desktop.h"
#include "platform/user/input.h"

#include <algorithm>
#include <initializer_list>

namespace platform {

namespace {

HWND to_hwnd(uint32_t v) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(v));
}

bool owner_alive(const TrayEntry& e) {
    return IsWindow(to_hwnd(e.owner)) != FALSE;
}

} // namespace

POINT tray_place(size_t index) {
    int cell = static_cast<int>(std::min<size_t>(index, 1000));
    return POINT{GetSystemMetrics(SM_CXSCREEN) - 20 - 24 * cell,
                 GetSystemMetrics(SM_CYSCREEN) - 15};
}

std::vector<TrayIcon> tray_icons() {
    std::vector<TrayEntry> entries = read_tray();
    if (!std::all_of(entries.begin(), entries.end(), owner_alive)) {
        update_tray([](std::vector<TrayEntry>& all) {
            auto dead = std::remove_if(all.begin(), all.end(),
                                       [](const TrayEntry& e) { return !owner_alive(e); });
            bool any = dead != all.end();
            all.erase(dead, all.end());
            return any;
        });
        entries = read_tray();
    }
    std::vector<TrayIcon> out;
    for (const TrayEntry& e : entries) {
        if (!owner_alive(e))
            continue;
        TrayIcon icon;
        icon.owner = to_hwnd(e.owner);
        icon.id = e.id;
        icon.callback_message = (e.flags & NIF_MESSAGE) ? e.callback_message : 0;
        icon.picture = (e.flags & NIF_ICON) ? e.picture : 0;
        icon.tip = (e.flags & NIF_TIP) ? e.tip : std::string();
        icon.place = tray_place(out.size());
        static constexpr const char* kDocked[] = {"none", "xembed", "sni"};
        icon.docked = kDocked[e.shown <= 2 ? e.shown : 0];
        out.push_back(std::move(icon));
    }
    return out;
}

std::optional<TrayIcon> find_tray_icon(HWND owner) {
    for (TrayIcon& icon : tray_icons())
        if (!owner || icon.owner == owner)
            return std::move(icon);
    return std::nullopt;
}

bool tray_act(const TrayIcon& icon, TrayAction action) {
    if (!icon.callback_message || !IsWindow(icon.owner))
        return false;
    // The cursor is the owner process's own: it must be at the icon before the callback runs.
    if (desktop_holds(icon.owner))
        place_cursor(icon.place);
    else if (!desktop_move_cursor(icon.owner, icon.place))
        return false;
    std::initializer_list<UINT> click = {WM_LBUTTONDOWN, WM_LBUTTONUP};
    std::initializer_list<UINT> twice = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK,
                                         WM_LBUTTONUP};
    std::initializer_list<UINT> right = {WM_RBUTTONDOWN, WM_RBUTTONUP};
    auto sequence = action == TrayAction::click          ? click
                    : action == TrayAction::double_click ? twice
                                                         : right;
    for (UINT mouse : sequence)
        if (!PostMessageA(icon.owner, icon.callback_message, icon.id, static_cast<LPARAM>(mouse)))
            return false;
    return true;
}

} // namespace platform
