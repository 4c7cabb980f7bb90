// Top-level windows as X windows: their making, properties, place and pixels.
#include "x11_display.h"

#include "platform/kernel/trace.h"

#include <X11/Xatom.h>
#include <X11/extensions/shape.h>
#include <winuser.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <sys/shm.h>
#include <unistd.h>

namespace platform::x11 {

namespace {

// The classic 3-D face, the colour a window shows before its first picture arrives.
constexpr unsigned long kFaceColour = 0xD4D0C8;

// Windows-1252's printable characters from 0x80 to 0x9F; the rest of the page is Latin-1.
constexpr char16_t kHighCodes[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::string utf8_of(std::string_view ansi) {
    std::string out;
    for (unsigned char c : ansi) {
        char32_t cp = c >= 0x80 && c < 0xA0 ? kHighCodes[c - 0x80] : c;
        if (!cp)
            cp = 0xFFFD;
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | cp >> 6);
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | cp >> 12);
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

bool decorated(const DisplayWindow& w) {
    return (w.style & WS_CAPTION) == WS_CAPTION;
}

// Popup menus and tooltips are the shell's own: no window manager places or decorates them.
bool override_redirect(const DisplayWindow& w) {
    return w.class_name == "#32768" || w.class_name == "tooltips_class32";
}

// A decorated window is its client area on the server, the window manager draws the rest;
// an undecorated one is the whole window.
RECT x_rect(const XWin& w) {
    return decorated(w.info) ? w.place.client : w.place.window;
}

bool empty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

} // namespace

XWin* X11Display::find(HWND hwnd) {
    auto it = windows_.find(hwnd);
    return it == windows_.end() ? nullptr : &it->second;
}

XWin* X11Display::find(::Window xid) {
    auto it = by_xid_.find(xid);
    return it == by_xid_.end() ? nullptr : find(it->second);
}

::Window X11Display::x_window(HWND hwnd) const {
    auto it = windows_.find(hwnd);
    return it == windows_.end() ? 0 : it->second.xid;
}

void X11Display::window_created(const DisplayWindow& window) {
    XWin& w = windows_[window.handle];
    w = XWin{};
    w.info = window;
    w.managed = !override_redirect(window);
}

void X11Display::window_destroyed(HWND hwnd) {
    XWin* w = find(hwnd);
    if (!w)
        return;
    if (focused_ == hwnd)
        focused_ = nullptr;
    release_image(*w);
    if (w->xid) {
        by_xid_.erase(w->xid);
        XDestroyWindow(dpy_, w->xid);
    }
    windows_.erase(hwnd);
}

void X11Display::make_window(XWin& w) {
    RECT r = x_rect(w);
    XSetWindowAttributes a{};
    a.background_pixel = kFaceColour;
    a.bit_gravity = NorthWestGravity;
    a.override_redirect = w.managed ? False : True;
    a.event_mask = ExposureMask | StructureNotifyMask | ButtonPressMask | ButtonReleaseMask |
                   PointerMotionMask | KeyPressMask | KeyReleaseMask | FocusChangeMask;
    w.xid = XCreateWindow(dpy_, root_, r.left, r.top, std::max(LONG{1}, r.right - r.left),
                          std::max(LONG{1}, r.bottom - r.top), 0, CopyFromParent, InputOutput,
                          CopyFromParent,
                          CWBackPixel | CWBitGravity | CWOverrideRedirect | CWEventMask, &a);
    w.shown = r;
    by_xid_[w.xid] = w.info.handle;
    set_properties(w);
}

void X11Display::set_properties(XWin& w) {
    const DisplayWindow& info = w.info;
    XSizeHints* size = XAllocSizeHints();
    size->flags = PPosition | USPosition | PWinGravity;
    size->win_gravity = StaticGravity;
    if (!(info.style & WS_THICKFRAME)) {
        RECT r = x_rect(w);
        size->flags |= PMinSize | PMaxSize;
        size->min_width = size->max_width = static_cast<int>(r.right - r.left);
        size->min_height = size->max_height = static_cast<int>(r.bottom - r.top);
    }
    XWMHints* hints = XAllocWMHints();
    hints->flags = InputHint | StateHint;
    // An announcement never takes the keyboard from the window the user works in.
    hints->input = (info.ex_style & (WS_EX_TRANSPARENT | WS_EX_NOACTIVATE)) ? False : True;
    hints->initial_state = NormalState;
    XClassHint* cls = XAllocClassHint();
    char name[] = "radiodeck";
    cls->res_name = name;
    cls->res_class = name;
    XSetWMProperties(dpy_, w.xid, nullptr, nullptr, nullptr, 0, size, hints, cls);
    XFree(size);
    XFree(hints);
    XFree(cls);

    Atom protocols[] = {atoms_[WM_DELETE_WINDOW], atoms_[WM_TAKE_FOCUS], atoms_[NET_WM_PING]};
    XSetWMProtocols(dpy_, w.xid, protocols, 3);
    long pid = ::getpid();
    XChangeProperty(dpy_, w.xid, atoms_[NET_WM_PID], XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&pid), 1);
    if (!decorated(info)) {
        long motif[5] = {2 /* decorations given */, 0, 0 /* none */, 0, 0};
        XChangeProperty(dpy_, w.xid, atoms_[MOTIF_WM_HINTS], atoms_[MOTIF_WM_HINTS], 32,
                        PropModeReplace, reinterpret_cast<unsigned char*>(motif), 5);
    }
    XWin* owner = info.owner ? find(info.owner) : nullptr;
    if (owner && owner->xid)
        XSetTransientForHint(dpy_, w.xid, owner->xid);

    AtomName type = NET_WM_WINDOW_TYPE_NORMAL;
    if (info.class_name == "#32768")
        type = NET_WM_WINDOW_TYPE_POPUP_MENU;
    else if (info.class_name == "tooltips_class32")
        type = NET_WM_WINDOW_TYPE_TOOLTIP;
    else if ((info.ex_style & WS_EX_TOPMOST) && (info.ex_style & WS_EX_TOOLWINDOW))
        type = NET_WM_WINDOW_TYPE_NOTIFICATION;
    else if (info.owner && info.class_name == "#32770")
        type = NET_WM_WINDOW_TYPE_DIALOG;
    long type_atom = static_cast<long>(atoms_[type]);
    XChangeProperty(dpy_, w.xid, atoms_[NET_WM_WINDOW_TYPE], XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&type_atom), 1);

    // Windows' taskbar rule: an unowned window shows there unless it is a tool window; an
    // owned one only when it asks to (WS_EX_APPWINDOW).
    bool skip =
        (info.ex_style & WS_EX_TOOLWINDOW) || (info.owner && !(info.ex_style & WS_EX_APPWINDOW));
    std::vector<long> state;
    if (skip) {
        state.push_back(static_cast<long>(atoms_[NET_WM_STATE_SKIP_TASKBAR]));
        state.push_back(static_cast<long>(atoms_[NET_WM_STATE_SKIP_PAGER]));
    }
    w.above = w.place.topmost;
    if (w.above)
        state.push_back(static_cast<long>(atoms_[NET_WM_STATE_ABOVE]));
    XChangeProperty(dpy_, w.xid, atoms_[NET_WM_STATE], XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(state.data()), static_cast<int>(state.size()));

    // Clicks go through an announcement to whatever lies below it.
    if (info.ex_style & WS_EX_TRANSPARENT)
        XShapeCombineRectangles(dpy_, w.xid, ShapeInput, 0, 0, nullptr, 0, ShapeSet, Unsorted);

    window_title_set(info.handle, info.title);
    if (!w.icon.empty())
        XChangeProperty(dpy_, w.xid, atoms_[NET_WM_ICON], XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(w.icon.data()),
                        static_cast<int>(w.icon.size()));
}

void X11Display::window_title_set(HWND hwnd, const std::string& title) {
    XWin* w = find(hwnd);
    if (!w)
        return;
    w->info.title = title;
    if (!w->xid)
        return;
    std::string utf8 = utf8_of(title);
    XChangeProperty(dpy_, w->xid, atoms_[NET_WM_NAME], atoms_[UTF8_STRING], 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(utf8.data()),
                    static_cast<int>(utf8.size()));
    // WM_NAME is Latin-1, which Windows-1252 is outside 0x80-0x9F.
    XChangeProperty(dpy_, w->xid, XA_WM_NAME, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()),
                    static_cast<int>(title.size()));
}

void X11Display::window_icon_set(HWND hwnd, const IconPicture& big, const IconPicture& small) {
    XWin* w = find(hwnd);
    if (!w)
        return;
    // _NET_WM_ICON: width, height and ARGB pixels, each a CARD32 in a long, for every size.
    w->icon.clear();
    for (const IconPicture* p : {&big, &small}) {
        if (p->argb.empty() || (p == &small && small.argb.data() == big.argb.data()))
            continue;
        w->icon.push_back(p->size.cx);
        w->icon.push_back(p->size.cy);
        w->icon.insert(w->icon.end(), p->argb.begin(), p->argb.end());
    }
    if (!w->xid)
        return;
    if (w->icon.empty())
        XDeleteProperty(dpy_, w->xid, atoms_[NET_WM_ICON]);
    else
        XChangeProperty(dpy_, w->xid, atoms_[NET_WM_ICON], XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(w->icon.data()),
                        static_cast<int>(w->icon.size()));
}

void X11Display::window_placed(HWND hwnd, const WindowPlace& place, const WindowSurface* surface) {
    XWin* w = find(hwnd);
    if (!w)
        return;
    HWND was_after = w->place.insert_after;
    w->place = place;
    if (!place.visible) {
        if (w->mapped) {
            if (w->managed)
                XWithdrawWindow(dpy_, w->xid, screen_);
            else
                XUnmapWindow(dpy_, w->xid);
            w->mapped = false;
        }
        return;
    }
    if (!w->xid)
        make_window(*w);
    RECT r = x_rect(*w);
    w->offset = POINT{r.left - place.window.left, r.top - place.window.top};
    if (std::memcmp(&r, &w->shown, sizeof r) != 0 && !empty(r)) {
        XMoveResizeWindow(dpy_, w->xid, r.left, r.top, r.right - r.left, r.bottom - r.top);
        w->shown = r;
    }
    if (place.topmost != w->above)
        set_above(*w, place.topmost);
    if (!w->mapped) {
        XMapRaised(dpy_, w->xid);
        w->mapped = true;
    } else if (place.insert_after == HWND_TOP && was_after != HWND_TOP) {
        XRaiseWindow(dpy_, w->xid);
    }
    if (surface)
        put_pixels(*w, *surface, surface->dirty);
}

// Before the window is mapped the property says it all; afterwards the window manager is
// asked, as EWMH wants.
void X11Display::set_above(XWin& w, bool above) {
    w.above = above;
    if (!w.mapped || !w.managed) {
        if (above)
            XChangeProperty(dpy_, w.xid, atoms_[NET_WM_STATE], XA_ATOM, 32, PropModeAppend,
                            reinterpret_cast<unsigned char*>(&atoms_[NET_WM_STATE_ABOVE]), 1);
        return;
    }
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w.xid;
    e.xclient.message_type = atoms_[NET_WM_STATE];
    e.xclient.format = 32;
    e.xclient.data.l[0] = above ? 1 : 0; // _NET_WM_STATE_ADD or _REMOVE
    e.xclient.data.l[1] = static_cast<long>(atoms_[NET_WM_STATE_ABOVE]);
    e.xclient.data.l[3] = 1; // an application's request
    XSendEvent(dpy_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
}

void X11Display::surface_presented(HWND hwnd, const WindowSurface& surface) {
    if (XWin* w = find(hwnd))
        put_pixels(*w, surface, surface.dirty);
}

} // namespace platform::x11
