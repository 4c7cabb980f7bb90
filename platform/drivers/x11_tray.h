// Tray icons in an XEmbed system tray (the freedesktop System Tray Protocol): each icon is a
// small X window that the tray manager embeds in its panel. A manager that appears later, or
// restarts, gets every icon again: a panel restart never loses one.
#pragma once

#include "display.h"
#include "display_events.h"

#include <X11/Xlib.h>

#include <string>
#include <vector>

namespace platform::x11 {

class X11Display;

// The icon's picture scaled to a square of `side` pixels by averaging the pixels each target
// pixel covers (straight alpha in, premultiplied out): a 32 x 32 icon stays crisp at 16,
// 22 or 24 and is never smeared.
std::vector<uint32_t> scale_icon(const TrayPicture& icon, int side);

class XEmbedTray {
public:
    explicit XEmbedTray(X11Display& display);
    ~XEmbedTray();

    void add(const TrayPicture& icon);
    void change(const TrayPicture& icon);
    void remove(HWND owner, UINT id);
    // Icons go to a tray manager only while this is on (a status notifier host may take them).
    void set_enabled(bool on);
    // Takes the events about the icons and their manager; false for anyone else's.
    bool handle(const XEvent& e);

    ::Window manager() const { return manager_; }

private:
    struct Icon {
        HWND owner = nullptr;
        UINT id = 0;
        SIZE size{};
        std::vector<uint32_t> argb;
        std::string tip;
        ::Window xid = 0;
        bool docked = false;
        SIZE shown{};     // the window's size as the manager made it
        Time pressed = 0; // the last press, for Windows' double-click rule
        POINT pressed_at{};
        unsigned pressed_button = 0;
    };

    Icon* find(HWND owner, UINT id);
    Icon* find(::Window xid);
    void find_manager();
    void dock(Icon& icon);
    void undock(Icon& icon, bool destroy);
    void draw(Icon& icon);
    void on_button(Icon& icon, const XButtonEvent& e);
    void docked(Icon& icon, TrayDock where);

    X11Display& display_;
    ::Display* dpy_;
    ::Window root_;
    Atom selection_; // _NET_SYSTEM_TRAY_S<screen>
    ::Window manager_ = 0;
    Visual* visual_ = nullptr; // the manager's choice, or the screen's
    int depth_ = 24;
    Colormap colormap_ = 0;
    bool enabled_ = true;
    std::vector<Icon> icons_;
};

} // namespace platform::x11
