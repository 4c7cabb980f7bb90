// The tray host, for tools (deskctl) and tests: the icons of every process of the desktop and
// what the user does to them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace platform {

struct TrayIcon {
    HWND owner = nullptr;
    UINT id = 0;
    UINT callback_message = 0; // 0 without NIF_MESSAGE: the icon reports nothing
    UINT picture = 0;          // resource id of the icon, 0 when unknown or none
    std::string tip;
    POINT place{};      // the icon's centre on the screen
    const char* docked; // where a panel shows it: "none", "xembed" or "sni"
};

// The live icons, in the order they were added. Icons whose owner window is gone (its
// process ended without deleting them) are dropped from the table here.
std::vector<TrayIcon> tray_icons();

// The first icon of a window, or with a null owner the first icon of all.
std::optional<TrayIcon> find_tray_icon(HWND owner);

// Where the tray shows its index'th icon: a row of 24-pixel cells along the bottom of the
// screen, the first icon rightmost.
POINT tray_place(size_t index);

enum class TrayAction { click, double_click, right_click };

// Acts on an icon as the shell does: moves the owner's cursor to the icon, then posts the
// callback message with wParam = the icon's id and lParam = each mouse message of the
// action, in Windows' order for first-form icons. False when the icon has no callback
// message or its owner is gone.
bool tray_act(const TrayIcon& icon, TrayAction action);

} // namespace platform
