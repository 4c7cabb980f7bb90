// The X11 driver's connection: opening it, what the screen is, its place in the thread's one
// wait, and the error handler.
#include "x11_display.h"

#include "platform/kernel/trace.h"

#include <X11/Xatom.h>
#include <X11/Xresource.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <poll.h>

namespace platform::x11 {

namespace {

constexpr const char* kAtomNames[kAtomCount] = {
    "WM_PROTOCOLS",
    "WM_DELETE_WINDOW",
    "WM_TAKE_FOCUS",
    "UTF8_STRING",
    "_MOTIF_WM_HINTS",
    "_NET_WM_NAME",
    "_NET_WM_PID",
    "_NET_WM_ICON",
    "_NET_WM_PING",
    "_NET_WM_STATE",
    "_NET_WM_STATE_ABOVE",
    "_NET_WM_STATE_SKIP_TASKBAR",
    "_NET_WM_STATE_SKIP_PAGER",
    "_NET_WM_WINDOW_TYPE",
    "_NET_WM_WINDOW_TYPE_NORMAL",
    "_NET_WM_WINDOW_TYPE_DIALOG",
    "_NET_WM_WINDOW_TYPE_POPUP_MENU",
    "_NET_WM_WINDOW_TYPE_TOOLTIP",
    "_NET_WM_WINDOW_TYPE_NOTIFICATION",
    "_NET_ACTIVE_WINDOW",
    "_NET_WM_MOVERESIZE",
    "_NET_SUPPORTED",
    "_NET_SUPPORTING_WM_CHECK",
    "MANAGER",
    "_NET_SYSTEM_TRAY_OPCODE",
    "_NET_SYSTEM_TRAY_VISUAL",
    "_XEMBED",
    "_XEMBED_INFO",
};

// A window that vanished under a request (a tray manager that quit, an embedder that went)
// is an ordinary event on a desktop, not a reason to end the program as Xlib's default does.
int on_error(::Display* dpy, XErrorEvent* e) {
    if (trace_enabled(TraceChannel::drivers)) {
        char text[128] = "";
        XGetErrorText(dpy, e->error_code, text, sizeof text);
        trace(TraceChannel::drivers, "X error %s, request %d.%d on 0x%lx", text, e->request_code,
              e->minor_code, e->resourceid);
    }
    return 0;
}

} // namespace

int screen_dpi(::Display* dpy, int screen) {
    double dpi = 0;
    if (const char* resources = XResourceManagerString(dpy)) {
        XrmDatabase db = XrmGetStringDatabase(resources);
        char* type = nullptr;
        XrmValue value{};
        if (db && XrmGetResource(db, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr)
            dpi = std::strtod(value.addr, nullptr);
        if (db)
            XrmDestroyDatabase(db);
    }
    if (dpi <= 0) {
        int mm = DisplayHeightMM(dpy, screen);
        if (mm > 0)
            dpi = DisplayHeight(dpy, screen) * 25.4 / mm;
    }
    // Windows keeps whole values; nothing sensible lies outside what its settings offer.
    long rounded = std::lround(dpi);
    return rounded >= 48 && rounded <= 480 ? static_cast<int>(rounded) : 96;
}

std::unique_ptr<X11Display> X11Display::open(const char* name, std::string& error) {
    ::Display* dpy = XOpenDisplay(name);
    if (!dpy) {
        const char* shown = name ? name : std::getenv("DISPLAY");
        error = std::string("cannot open X display ") + (shown && *shown ? shown : "(unset)");
        return nullptr;
    }
    XSetErrorHandler(on_error);
    return std::unique_ptr<X11Display>(new X11Display(dpy));
}

X11Display::X11Display(::Display* dpy)
    : dpy_(dpy), screen_(DefaultScreen(dpy)), root_(RootWindow(dpy, screen_)),
      visual_(DefaultVisual(dpy, screen_)), depth_(DefaultDepth(dpy, screen_)) {
    XInternAtoms(dpy_, const_cast<char**>(kAtomNames), kAtomCount, False, atoms_);
    dpi_ = screen_dpi(dpy_, screen_);
    // Shared images only reach a server on this machine: a remote one refuses the segment.
    const char* where = DisplayString(dpy_);
    shm_ = XShmQueryExtension(dpy_) && where && where[0] == ':';
    if (shm_)
        shm_completion_ = XShmGetEventBase(dpy_) + ShmCompletion;
    // The root's properties tell of a window manager arriving or leaving (its supported
    // hints) and of a tray manager arriving (the MANAGER message).
    XSelectInput(dpy_, root_, StructureNotifyMask | PropertyChangeMask);
    tray_ = std::make_unique<XEmbedTray>(*this);
    // Icons wait for the session bus's answer before they go to an XEmbed tray: where a
    // status notifier host runs, they belong there alone.
    tray_->set_enabled(false);
    sni_ = std::make_unique<StatusNotifier>([this](bool taken) { tray_->set_enabled(!taken); });
    trace(TraceChannel::drivers, "x11: %s, %dx%d at %d dpi%s", where, DisplayWidth(dpy_, screen_),
          DisplayHeight(dpy_, screen_), dpi_, shm_ ? ", shared images" : "");
}

X11Display::~X11Display() {
    sni_.reset();
    tray_.reset();
    for (auto& [hwnd, w] : windows_)
        release_image(w);
    XCloseDisplay(dpy_);
}

SIZE X11Display::screen_size() const {
    return SIZE{DisplayWidth(dpy_, screen_), DisplayHeight(dpy_, screen_)};
}

// Xlib may already hold events it read while waiting for a reply: those are ready now, and
// a poll() would not see them. Otherwise what Xlib buffered goes out before the thread blocks.
WaitPrepare X11Display::prepare() {
    if (XEventsQueued(dpy_, QueuedAlready) > 0)
        return WaitPrepare{0, std::nullopt, true};
    XFlush(dpy_);
    return WaitPrepare{POLLIN, std::nullopt, false};
}

void X11Display::dispatch(short) {
    // XPending reads what the socket holds without blocking; an event handler may send
    // requests whose replies bring more events, which the loop takes as well.
    while (XPending(dpy_) > 0) {
        XEvent e;
        XNextEvent(dpy_, &e);
        handle(e);
    }
}

void X11Display::flush() {
    XFlush(dpy_);
}

// Both keep every icon; which of them shows it is the status notifier's decision.
void X11Display::tray_icon_added(const TrayPicture& icon) {
    tray_->add(icon);
    sni_->add(icon);
}

void X11Display::tray_icon_changed(const TrayPicture& icon) {
    tray_->change(icon);
    sni_->change(icon);
}

void X11Display::tray_icon_removed(HWND owner, UINT id) {
    tray_->remove(owner, id);
    sni_->remove(owner, id);
}

bool X11Display::wm_supports(Atom hint) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool found = false;
    if (XGetWindowProperty(dpy_, root_, atoms_[NET_SUPPORTED], 0, 4096, False, XA_ATOM, &type,
                           &format, &count, &after, &data) == Success &&
        data && format == 32) {
        const long* atoms = reinterpret_cast<const long*>(data);
        for (unsigned long i = 0; i < count && !found; ++i)
            found = static_cast<Atom>(atoms[i]) == hint;
    }
    if (data)
        XFree(data);
    return found;
}

} // namespace platform::x11
