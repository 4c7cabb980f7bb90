// What the server reports, turned into the platform's reports (display_events.h), and the
// input state the platform decides: the grab, activation, the window manager's move.
#include "x11_display.h"
#include "display_events.h"

#include "platform/kernel/trace.h"

#include <X11/keysym.h>

#include <winuser.h>

#include <cstring>

namespace platform::x11 {

namespace {

// Keys the dialog keyboard interface and the program use, as Windows' virtual-key codes;
// letters and digits are their upper-case characters.
struct KeyName {
    KeySym sym;
    UINT vk;
};

constexpr KeyName kKeys[] = {
    {XK_BackSpace, VK_BACK}, {XK_Tab, VK_TAB},           {XK_ISO_Left_Tab, VK_TAB},
    {XK_Return, VK_RETURN},  {XK_KP_Enter, VK_RETURN},   {XK_Escape, VK_ESCAPE},
    {XK_space, VK_SPACE},    {XK_Prior, VK_PRIOR},       {XK_Next, VK_NEXT},
    {XK_End, VK_END},        {XK_Home, VK_HOME},         {XK_Left, VK_LEFT},
    {XK_Up, VK_UP},          {XK_Right, VK_RIGHT},       {XK_Down, VK_DOWN},
    {XK_Insert, VK_INSERT},  {XK_Delete, VK_DELETE},     {XK_Shift_L, VK_SHIFT},
    {XK_Shift_R, VK_SHIFT},  {XK_Control_L, VK_CONTROL}, {XK_Control_R, VK_CONTROL},
    {XK_Alt_L, VK_MENU},     {XK_Alt_R, VK_MENU},        {XK_Menu, VK_APPS},
};

UINT virtual_key(KeySym sym) {
    if (sym >= XK_a && sym <= XK_z)
        return static_cast<UINT>('A' + (sym - XK_a));
    if ((sym >= XK_A && sym <= XK_Z) || (sym >= XK_0 && sym <= XK_9))
        return static_cast<UINT>(sym);
    if (sym >= XK_F1 && sym <= XK_F12)
        return static_cast<UINT>(VK_F1 + (sym - XK_F1));
    for (const KeyName& k : kKeys)
        if (k.sym == sym)
            return k.vk;
    return 0;
}

} // namespace

void X11Display::handle(XEvent& e) {
    if (e.type == shm_completion_) {
        if (XWin* w = find(reinterpret_cast<XShmCompletionEvent&>(e).drawable))
            w->image_busy = false;
        return;
    }
    if (tray_->handle(e))
        return;
    DisplayEvents& up = display_events();
    switch (e.type) {
    case Expose:
        if (XWin* w = find(e.xexpose.window)) {
            // Server coordinates are the X window's; the platform's are the client area's.
            LONG dx = w->shown.left - w->place.client.left;
            LONG dy = w->shown.top - w->place.client.top;
            RECT area{e.xexpose.x + dx, e.xexpose.y + dy, e.xexpose.x + e.xexpose.width + dx,
                      e.xexpose.y + e.xexpose.height + dy};
            up.exposed(w->info.handle, area);
        }
        break;
    case ConfigureNotify:
        on_configure(e.xconfigure);
        break;
    case ClientMessage:
        on_client_message(e.xclient);
        break;
    case MotionNotify:
        // Only the newest position of a burst matters.
        while (XCheckTypedEvent(dpy_, MotionNotify, &e)) {
        }
        up.pointer_moved(POINT{e.xmotion.x_root, e.xmotion.y_root});
        break;
    case ButtonPress:
    case ButtonRelease:
        on_button(e.xbutton);
        break;
    case KeyPress:
    case KeyRelease:
        on_key(e.xkey);
        break;
    case FocusIn:
    case FocusOut:
        // A grab's focus shuffles are no change of the window the user works in.
        if (e.xfocus.mode == NotifyGrab || e.xfocus.mode == NotifyUngrab ||
            e.xfocus.detail == NotifyPointer)
            break;
        if (XWin* w = find(e.xfocus.window)) {
            HWND hwnd = w->info.handle;
            bool in = e.type == FocusIn;
            if (in)
                focused_ = hwnd;
            else if (focused_ == hwnd)
                focused_ = nullptr;
            up.focus_changed(hwnd, in);
        }
        break;
    default:
        break;
    }
}

void X11Display::on_configure(const XConfigureEvent& e) {
    XWin* w = find(e.window);
    if (!w || !w->mapped)
        return;
    // A window manager's synthetic event gives the root position; a real one gives the
    // position in whatever frame the window manager put the window in.
    int x = e.x, y = e.y;
    if (!e.send_event) {
        ::Window child = 0;
        XTranslateCoordinates(dpy_, e.window, root_, 0, 0, &x, &y, &child);
    }
    RECT now{x, y, x + e.width, y + e.height};
    if (std::memcmp(&now, &w->shown, sizeof now) == 0)
        return; // the echo of the platform's own placing
    w->shown = now;
    // The frame the X window leaves out stays what it was.
    const RECT& was = w->place.window;
    RECT x_was = (w->info.style & WS_CAPTION) == WS_CAPTION ? w->place.client : was;
    LONG extra_w = (was.right - was.left) - (x_was.right - x_was.left);
    LONG extra_h = (was.bottom - was.top) - (x_was.bottom - x_was.top);
    RECT window{x - w->offset.x, y - w->offset.y, x - w->offset.x + e.width + extra_w,
                y - w->offset.y + e.height + extra_h};
    display_events().configured(w->info.handle, window);
}

void X11Display::on_client_message(const XClientMessageEvent& e) {
    if (e.message_type != atoms_[WM_PROTOCOLS] || e.format != 32)
        return;
    Atom what = static_cast<Atom>(e.data.l[0]);
    XWin* w = find(e.window);
    if (what == atoms_[NET_WM_PING]) {
        XEvent reply{};
        reply.xclient = e;
        reply.xclient.window = root_;
        XSendEvent(dpy_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &reply);
    } else if (!w) {
        return;
    } else if (what == atoms_[WM_DELETE_WINDOW]) {
        display_events().close_requested(w->info.handle);
    } else if (what == atoms_[WM_TAKE_FOCUS]) {
        XSetInputFocus(dpy_, w->xid, RevertToParent, static_cast<Time>(e.data.l[1]));
    }
}

void X11Display::on_button(const XButtonEvent& e) {
    // X numbers the buttons left 1, middle 2, right 3; the wheel's clicks are 4 to 7.
    static constexpr int kButton[] = {-1, 0, 2, 1};
    if (e.button < 1 || e.button > 3)
        return;
    DisplayEvents& up = display_events();
    POINT at{e.x_root, e.y_root};
    up.pointer_moved(at);
    up.button(at, kButton[e.button], e.type == ButtonPress);
}

void X11Display::on_key(XKeyEvent& e) {
    KeySym sym = XLookupKeysym(&e, 0);
    if (UINT vk = virtual_key(sym))
        display_events().key(vk, e.type == KeyPress);
}

// The capture is the whole pointer: every motion and button goes to this process until it
// lets go, whichever of its windows asked (children are no X windows of their own).
void X11Display::capture_set(HWND) {
    XGrabPointer(dpy_, root_, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                 GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
}

void X11Display::capture_released(HWND) {
    XUngrabPointer(dpy_, CurrentTime);
}

void X11Display::window_activated(HWND hwnd) {
    XWin* w = hwnd ? find(hwnd) : nullptr;
    if (!w || !w->mapped || !w->managed || hwnd == focused_)
        return;
    if (wm_supports(atoms_[NET_ACTIVE_WINDOW])) {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = w->xid;
        e.xclient.message_type = atoms_[NET_ACTIVE_WINDOW];
        e.xclient.format = 32;
        e.xclient.data.l[0] = 1; // from an application
        e.xclient.data.l[1] = CurrentTime;
        XSendEvent(dpy_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    } else {
        XSetInputFocus(dpy_, w->xid, RevertToParent, CurrentTime);
    }
}

bool X11Display::window_move_begun(HWND hwnd, POINT screen) {
    XWin* w = find(hwnd);
    if (!w || !w->mapped || !w->managed || !wm_supports(atoms_[NET_WM_MOVERESIZE]))
        return false;
    // The window manager takes the pointer for its move: the button's grab must end first.
    XUngrabPointer(dpy_, CurrentTime);
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w->xid;
    e.xclient.message_type = atoms_[NET_WM_MOVERESIZE];
    e.xclient.format = 32;
    e.xclient.data.l[0] = screen.x;
    e.xclient.data.l[1] = screen.y;
    e.xclient.data.l[2] = 8; // _NET_WM_MOVERESIZE_MOVE
    e.xclient.data.l[3] = 1; // the left button
    e.xclient.data.l[4] = 1; // from an application
    XSendEvent(dpy_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    XFlush(dpy_);
    return true;
}

} // namespace platform::x11
