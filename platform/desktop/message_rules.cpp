#include "message_rules.h"

#include <algorithm>
#include <iterator>

namespace platform {

namespace {

// Sorted, for binary search. Numbers without a name in <winuser.h> are those of controls and
// window-manager messages this platform does not implement; the names stand beside them.
constexpr UINT kPointerMessages[] = {
    WM_CREATE,            //
    WM_SETTEXT,           //
    WM_GETTEXT,           //
    0x0019,               // MFC's WM_CTLCOLOR: an AFX_CTLCOLOR*
    0x001A,               // WM_WININICHANGE / WM_SETTINGCHANGE
    0x001B,               // WM_DEVMODECHANGE
    WM_GETMINMAXINFO,     //
    WM_DRAWITEM,          //
    WM_MEASUREITEM,       //
    0x002D,               // WM_DELETEITEM
    0x0039,               // WM_COMPAREITEM
    WM_WINDOWPOSCHANGING, //
    WM_WINDOWPOSCHANGED,  //
    0x004A,               // WM_COPYDATA
    WM_NOTIFY,            //
    WM_HELP,              //
    0x007C,               // WM_STYLECHANGING
    0x007D,               // WM_STYLECHANGED
    WM_NCCREATE,          //
    WM_NCCALCSIZE,        //
    WM_GETDLGCODE,        //
    0x00B0,               // EM_GETSEL
    0x00B2,               // EM_GETRECT
    0x00B3,               // EM_SETRECT
    0x00B4,               // EM_SETRECTNP
    0x00C2,               // EM_REPLACESEL
    0x00C4,               // EM_GETLINE
    0x00CB,               // EM_SETTABSTOPS
    0x00E3,               // SBM_GETRANGE
    0x00E9,               // SBM_SETSCROLLINFO
    0x00EA,               // SBM_GETSCROLLINFO
    0x00EB,               // SBM_GETSCROLLBARINFO
    0x0140,               // CB_GETEDITSEL
    0x0143,               // CB_ADDSTRING
    0x0145,               // CB_DIR
    0x0148,               // CB_GETLBTEXT
    0x014A,               // CB_INSERTSTRING
    0x014C,               // CB_FINDSTRING
    0x014D,               // CB_SELECTSTRING
    0x0152,               // CB_GETDROPPEDCONTROLRECT
    0x0158,               // CB_FINDSTRINGEXACT
    0x0180,               // LB_ADDSTRING
    0x0181,               // LB_INSERTSTRING
    0x0189,               // LB_GETTEXT
    0x018C,               // LB_SELECTSTRING
    0x018D,               // LB_DIR
    0x018F,               // LB_FINDSTRING
    0x0191,               // LB_GETSELITEMS
    0x0192,               // LB_SETTABSTOPS
    0x0196,               // LB_ADDFILE
    0x0198,               // LB_GETITEMRECT
    0x01A2,               // LB_FINDSTRINGEXACT
    0x0213,               // WM_NEXTMENU
    0x0214,               // WM_SIZING
    0x0216,               // WM_MOVING
    0x0219,               // WM_DEVICECHANGE, when wParam has bit 0x8000 (see below)
    0x0220,               // WM_MDICREATE
    0x0229,               // WM_MDIGETACTIVE
    0x022A,               // WM_DROPOBJECT
    0x022B,               // WM_QUERYDROPOBJECT
    0x022D,               // WM_DRAGLOOP
    0x022E,               // WM_DRAGSELECT
    0x022F,               // WM_DRAGMOVE
    0x030C,               // WM_ASKCBFORMATNAME
};

// Sorted. What only the window manager sends, or what draws with the sender's objects.
constexpr UINT kWindowManagerMessages[] = {
    WM_DESTROY,           //
    WM_QUIT,              // the thread's own state: PostQuitMessage
    WM_ERASEBKGND,        // wParam: a device context
    WM_NCDESTROY,         //
    WM_NCPAINT,           // wParam: a region
    WM_INITDIALOG,        //
    WM_CTLCOLORMSGBOX,    // wParam: a device context, for the whole WM_CTLCOLOR* range
    WM_CTLCOLOREDIT,      //
    WM_CTLCOLORLISTBOX,   //
    WM_CTLCOLORBTN,       //
    WM_CTLCOLORDLG,       //
    WM_CTLCOLORSCROLLBAR, //
    WM_CTLCOLORSTATIC,    //
    0x0317,               // WM_PRINT: a device context
    0x0318,               // WM_PRINTCLIENT: a device context
};

template <size_t N> bool listed(const UINT (&table)[N], UINT msg) {
    return std::binary_search(std::begin(table), std::end(table), msg);
}

static_assert(std::is_sorted(std::begin(kPointerMessages), std::end(kPointerMessages)));
static_assert(std::is_sorted(std::begin(kWindowManagerMessages), std::end(kWindowManagerMessages)));

} // namespace

bool message_carries_pointers(UINT msg, WPARAM wparam) {
    // WM_DEVICECHANGE carries a DEV_BROADCAST_HDR* only for the events with bit 0x8000.
    if (msg == 0x0219)
        return (wparam & 0x8000) != 0;
    return msg < WM_USER && listed(kPointerMessages, msg);
}

bool refused_from_other_process(UINT msg, WPARAM wparam) {
    return message_carries_pointers(msg, wparam) || listed(kWindowManagerMessages, msg);
}

} // namespace platform
