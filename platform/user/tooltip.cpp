// The tooltip window class ("tooltips_class32"). A tip shows only for a tool that was added;
// tools are not supported yet, so the window keeps its settings, counts no tools and never
// shows. Relayed mouse messages are accepted and, with no tool under them, change nothing.
#include "window.h"
#include "window_class.h"

#include <commctrl.h>

#include <unordered_map>

namespace {

struct TooltipState {
    bool active = true; // a new tooltip control is active
    int max_width = -1; // -1: one line of any width
};

std::unordered_map<HWND, TooltipState>& tooltips() {
    static std::unordered_map<HWND, TooltipState> map;
    return map;
}

} // namespace

namespace platform {

LRESULT CALLBACK tooltip_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        tooltips()[hwnd] = TooltipState{};
        return 0;
    case WM_NCDESTROY:
        tooltips().erase(hwnd);
        break;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case TTM_ACTIVATE:
        tooltips()[hwnd].active = wp != 0;
        return 0;
    case TTM_SETMAXTIPWIDTH: {
        int& width = tooltips()[hwnd].max_width;
        int old = width;
        width = static_cast<int>(lp);
        return old;
    }
    case TTM_GETMAXTIPWIDTH:
        return tooltips()[hwnd].max_width;
    case TTM_GETTOOLCOUNT:
    case TTM_RELAYEVENT:
        return 0;
    default:
        break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

} // namespace platform
