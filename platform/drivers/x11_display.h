// The X11 display driver, through Xlib: each shown top-level window is an X window with the
// window's surface as its pixels, input and window-manager requests come back up through
// display_events.h, and the connection is one source of the thread's wait. Xlib rather than
// xcb because the extensions this driver needs (MIT-SHM images, Xcursor themes, the shape
// of the input region) come as small Xlib libraries every desktop already has.
#pragma once

#include "display.h"
#include "x11_sni.h"
#include "x11_tray.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform::x11 {

// The atoms the driver speaks, interned in one round trip.
enum AtomName : int {
    WM_PROTOCOLS,
    WM_DELETE_WINDOW,
    WM_TAKE_FOCUS,
    UTF8_STRING,
    MOTIF_WM_HINTS,
    NET_WM_NAME,
    NET_WM_PID,
    NET_WM_ICON,
    NET_WM_PING,
    NET_WM_STATE,
    NET_WM_STATE_ABOVE,
    NET_WM_STATE_SKIP_TASKBAR,
    NET_WM_STATE_SKIP_PAGER,
    NET_WM_WINDOW_TYPE,
    NET_WM_WINDOW_TYPE_NORMAL,
    NET_WM_WINDOW_TYPE_DIALOG,
    NET_WM_WINDOW_TYPE_POPUP_MENU,
    NET_WM_WINDOW_TYPE_TOOLTIP,
    NET_WM_WINDOW_TYPE_NOTIFICATION,
    NET_ACTIVE_WINDOW,
    NET_WM_MOVERESIZE,
    NET_SUPPORTED,
    NET_SUPPORTING_WM_CHECK,
    MANAGER,
    NET_SYSTEM_TRAY_OPCODE,
    NET_SYSTEM_TRAY_VISUAL,
    XEMBED,
    XEMBED_INFO,
    kAtomCount
};

// One top-level window as the server has it. The X window is made when the window is first
// shown: hidden helper windows cost the server nothing.
struct XWin {
    DisplayWindow info;
    ::Window xid = 0;
    WindowPlace place; // as the platform last placed it
    RECT shown{};      // the X window's rectangle on the screen as last known
    POINT offset{};    // where the X window starts in the surface (the frame it leaves out)
    bool mapped = false;
    bool managed = true;    // false: override-redirect (menus, tooltips)
    bool above = false;     // _NET_WM_STATE_ABOVE as last set
    std::vector<long> icon; // _NET_WM_ICON, kept for the X window made later
    // A shared image the size of the surface, when the server takes them; the server reads it
    // after the request, so it is not written again until the server says it is done.
    XImage* image = nullptr;
    XShmSegmentInfo segment{};
    bool image_busy = false;
};

class X11Display final : public DisplayDriver {
public:
    // Connects to `name` (null: $DISPLAY); null, with the reason, when no server answers.
    static std::unique_ptr<X11Display> open(const char* name, std::string& error);
    ~X11Display() override;

    const char* name() const override { return "x11"; }
    SIZE screen_size() const override;
    int pixels_per_inch() const override { return dpi_; }

    void window_created(const DisplayWindow& window) override;
    void window_destroyed(HWND hwnd) override;
    void window_placed(HWND hwnd, const WindowPlace& place, const WindowSurface* surface) override;
    void window_title_set(HWND hwnd, const std::string& title) override;
    void window_icon_set(HWND hwnd, const IconPicture& big, const IconPicture& small) override;
    void surface_presented(HWND hwnd, const WindowSurface& surface) override;
    void flush() override;

    void capture_set(HWND hwnd) override;
    void capture_released(HWND hwnd) override;
    void window_activated(HWND hwnd) override;
    void tray_icon_added(const TrayPicture& icon) override;
    void tray_icon_changed(const TrayPicture& icon) override;
    void tray_icon_removed(HWND owner, UINT id) override;
    bool window_move_begun(HWND hwnd, POINT screen) override;

    int connection() const override { return ConnectionNumber(dpy_); }
    WaitPrepare prepare() override;
    void dispatch(short revents) override;

    // For the tray and the tests: the connection, its atoms, and a window's X window.
    ::Display* display() const { return dpy_; }
    Atom atom(AtomName name) const { return atoms_[name]; }
    ::Window x_window(HWND hwnd) const;
    int bus_fd() const { return sni_->bus_fd(); }

private:
    explicit X11Display(::Display* dpy);
    XWin* find(HWND hwnd);
    XWin* find(::Window xid);
    void make_window(XWin& w);
    void set_properties(XWin& w);
    void set_above(XWin& w, bool above);
    void put_pixels(XWin& w, const WindowSurface& surface, RECT area);
    bool shared_image(XWin& w, SIZE size);
    void release_image(XWin& w);
    bool wm_supports(Atom hint);

    // Events, one handler each (x11_events.cpp).
    void handle(XEvent& e);
    void on_configure(const XConfigureEvent& e);
    void on_client_message(const XClientMessageEvent& e);
    void on_button(const XButtonEvent& e);
    void on_key(XKeyEvent& e);

    ::Display* dpy_ = nullptr;
    int screen_ = 0;
    ::Window root_ = 0;
    Visual* visual_ = nullptr;
    int depth_ = 24;
    int dpi_ = 96;
    Atom atoms_[kAtomCount]{};
    bool shm_ = false;
    int shm_completion_ = -1; // the event type that says a shared image was read
    std::map<HWND, XWin> windows_;
    std::map<::Window, HWND> by_xid_;
    HWND focused_ = nullptr; // the top-level window holding the server's focus
    std::unique_ptr<XEmbedTray> tray_;
    std::unique_ptr<StatusNotifier> sni_;
};

// The screen's pixels per inch: Xft.dpi from the resource database when it is set, else the
// screen's pixels over its size in millimetres; rounded to the nearest whole value.
int screen_dpi(::Display* dpy, int screen);

} // namespace platform::x11
