// deskctl: the desktop of the machine in RADIODECK_ROOT, from the command line.
#include "deskctl.h"

#include <cstring>
#include <iostream>

namespace {

struct Command {
    const char* name;
    int (*run)(const deskctl::Args&);
    const char* synopsis;
};

// One row per command; later commands join here.
constexpr Command kCommands[] = {
    {"list", deskctl::run_list, "list [--all]"},
    {"post", deskctl::run_post, "post WINDOW MSG WPARAM LPARAM"},
    {"wait", deskctl::run_wait, "wait WINDOW [--visible|--hidden|--gone] [--timeout SECONDS]"},
    {"tray", deskctl::run_tray, "tray [click|dblclick|rclick [OWNER]]"},
    {"msgbox", deskctl::run_msgbox, "msgbox [press OK|CANCEL|YES|NO|ABORT|RETRY|IGNORE [HANDLE]]"},
    {"menu", deskctl::run_menu, "menu [pick ID|close]"},
    {"click", deskctl::run_click, "click WINDOW [ID]"},
    {"shot", deskctl::run_shot, "shot FILE.png [WINDOW]"},
};

int help() {
    std::cout << "usage: deskctl COMMAND [ARGS]\n\n";
    for (const Command& c : kCommands)
        std::cout << "  deskctl " << c.synopsis << "\n";
    std::cout << R"(
Acts on the desktop of the machine in RADIODECK_ROOT.

list prints one line per top-level window, topmost first:
  HANDLE PID "CLASS" "TITLE" visible|hidden enabled|disabled (LEFT,TOP)-(RIGHT,BOTTOM)
  e.g. 0x00010042 1234 "#32770" "Radiodeck" hidden enabled (357,287)-(661,433)
with --all, each window's children follow it, indented two spaces per level:
  HANDLE id=ID "CLASS" "TITLE" visible|hidden enabled|disabled (LEFT,TOP)-(RIGHT,BOTTOM)
HANDLE is 0x and eight hex digits. visible and disabled are the window's own WS_VISIBLE and
WS_DISABLED styles. A top-level window's rectangle is in screen coordinates, a child's in
its parent's client coordinates. In quoted text, " and \ are escaped with \ and other
control bytes are written \xNN. Titles longer than 255 bytes are cut there.

WINDOW is a handle (0x hex or decimal) or CLASS:TITLE, the first window that FindWindowA
finds (class letter case ignored, title exact; an empty CLASS or TITLE matches any).
MSG is a number or WM_NULL, WM_CLOSE, WM_COMMAND, WM_TIMER, WM_POWERBROADCAST, WM_USER or
WM_APP, optionally +N (WM_USER+5). WM_QUIT is not a window message and is refused.
WPARAM and LPARAM are decimal or 0x hex.

wait blocks until WINDOW exists (the default), is visible, is hidden or is gone; the
timeout (default 10 seconds) may have a fraction.

tray prints one line per tray icon, in the order they were added:
  OWNER ID picture=N docked=WHERE "TOOLTIP"
  e.g. 0x00010004 128 picture=148 docked=xembed "Wireless Switch - ON \n   Wireless LAN"
OWNER is the owner window's handle, ID the icon's id, N the resource id of its icon (0 when
unknown), WHERE the panel that shows it: xembed (a system tray), sni (a status notifier
host) or none (headless, or no panel runs). A line feed in quoted text is written \n. tray click, dblclick and rclick act on
the first icon of OWNER (a WINDOW), else the first icon, as the user's single left click,
double click and right click: the owner gets its callback message with wParam = ID and
lParam = WM_LBUTTONDOWN, WM_LBUTTONUP (click); WM_LBUTTONDOWN, WM_LBUTTONUP,
WM_LBUTTONDBLCLK, WM_LBUTTONUP (dblclick); WM_RBUTTONDOWN, WM_RBUTTONUP (rclick), with its
cursor at the icon.

msgbox prints one line per open message box, topmost (newest) first:
  HANDLE "CAPTION" "TEXT" TYPE
TYPE is the box's MB_ type as a decimal number; the text is cut at 255 bytes. msgbox press
clicks that button of the box HANDLE, else of the topmost box; the box's MessageBoxA
returns the button's id.

menu prints the entries of the open popup menu (the topmost one), one line each, top to
bottom:
  ID "TEXT" enabled|grayed checked|unchecked
  e.g. 32772 "Wireless LAN ON" grayed checked
ID is the entry's command id, - for a separator (whose text is empty) or a submenu entry.
grayed means the entry cannot be chosen. menu pick chooses the entry ID of the menu or of
a submenu opened from it, as the user's click does: the menu closes and its owner gets
WM_COMMAND ID. A grayed entry is refused. menu close closes the menu without a choice, as
Escape does.

click clicks the middle of WINDOW, or of its control with id ID, as the user's left click
does (press and release): the control's own handling runs and notifies its parent. A hidden
window (or one inside a hidden window) or a disabled one (or one in a disabled top-level
window) is not clicked.

shot writes a PNG picture (8-bit RGB) of the whole screen: the desktop, every shown window
in z-order with any open menu, and the taskbar with the tray's icons; or, given WINDOW, of
that window alone as it is drawn (a control: its part of its window). A window that has not
been shown and drawn yet has no picture.

Exit status: 0 done, 1 no such window, icon, box, button, menu or
entry / a grayed entry / a hidden or disabled window / timed out / the desktop cannot
be used / no picture or the file cannot be written, 2 usage.
)";
    return deskctl::kExitOk;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return deskctl::fail(deskctl::kExitUsage, "expected a command; see deskctl --help");
    if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h") ||
        !std::strcmp(argv[1], "help"))
        return help();
    deskctl::Args args(argv + 2, argv + argc);
    for (const Command& c : kCommands)
        if (!std::strcmp(argv[1], c.name))
            return c.run(args);
    return deskctl::fail(deskctl::kExitUsage,
                         std::string("unknown command ") + argv[1] + "; see deskctl --help");
}
