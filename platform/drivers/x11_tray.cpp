// The XEmbed system tray: docking, re-docking when the manager comes back, drawing the icon
// at the size the panel gives it, and the user's clicks as the shell's mouse messages.
#include "x11_tray.h"
#include "x11_display.h"

#include "platform/kernel/trace.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <winuser.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace platform::x11 {

namespace {

constexpr long kRequestDock = 0; // SYSTEM_TRAY_REQUEST_DOCK
constexpr long kXEmbedMapped = 1;
constexpr int kFirstSide = 24; // the size an icon asks for before the panel decides
// Windows' double-click rule: a second press of the same button within the double-click time
// and inside the double-click rectangle (SM_CXDOUBLECLK x SM_CYDOUBLECLK) around the first.
constexpr Time kDoubleClickMs = 500;
constexpr int kDoubleClickSlop = 2;

} // namespace

std::vector<uint32_t> scale_icon(const TrayPicture& icon, int side) {
    std::vector<uint32_t> out(static_cast<size_t>(side) * side, 0);
    int sw = icon.size.cx, sh = icon.size.cy;
    if (sw <= 0 || sh <= 0 || icon.argb.size() < static_cast<size_t>(sw) * sh)
        return out;
    for (int y = 0; y < side; ++y) {
        int y0 = y * sh / side, y1 = std::max(y0 + 1, (y + 1) * sh / side);
        for (int x = 0; x < side; ++x) {
            int x0 = x * sw / side, x1 = std::max(x0 + 1, (x + 1) * sw / side);
            uint64_t a = 0, r = 0, g = 0, b = 0, n = 0;
            for (int sy = y0; sy < y1; ++sy)
                for (int sx = x0; sx < x1; ++sx, ++n) {
                    uint32_t p = icon.argb[static_cast<size_t>(sy) * sw + sx];
                    uint32_t pa = p >> 24;
                    a += pa;
                    r += (p >> 16 & 0xFF) * pa;
                    g += (p >> 8 & 0xFF) * pa;
                    b += (p & 0xFF) * pa;
                }
            // Premultiplied: each channel already weighed by its alpha, then averaged.
            auto avg = [&](uint64_t c) { return static_cast<uint32_t>((c / 255 + n / 2) / n); };
            out[static_cast<size_t>(y) * side + x] =
                avg(a * 255) << 24 | avg(r) << 16 | avg(g) << 8 | avg(b);
        }
    }
    return out;
}

XEmbedTray::XEmbedTray(X11Display& display)
    : display_(display), dpy_(display.display()), root_(DefaultRootWindow(dpy_)) {
    std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(dpy_));
    selection_ = XInternAtom(dpy_, name.c_str(), False);
    visual_ = DefaultVisual(dpy_, DefaultScreen(dpy_));
    depth_ = DefaultDepth(dpy_, DefaultScreen(dpy_));
}

XEmbedTray::~XEmbedTray() {
    for (Icon& icon : icons_)
        undock(icon, true);
    if (colormap_)
        XFreeColormap(dpy_, colormap_);
}

XEmbedTray::Icon* XEmbedTray::find(HWND owner, UINT id) {
    auto it = std::find_if(icons_.begin(), icons_.end(),
                           [&](const Icon& i) { return i.owner == owner && i.id == id; });
    return it == icons_.end() ? nullptr : &*it;
}

XEmbedTray::Icon* XEmbedTray::find(::Window xid) {
    auto it = std::find_if(icons_.begin(), icons_.end(),
                           [&](const Icon& i) { return i.xid && i.xid == xid; });
    return it == icons_.end() ? nullptr : &*it;
}

void XEmbedTray::add(const TrayPicture& picture) {
    if (find(picture.owner, picture.id))
        return change(picture);
    Icon icon;
    icon.owner = picture.owner;
    icon.id = picture.id;
    icons_.push_back(std::move(icon));
    change(picture);
    if (!enabled_)
        return;
    if (!manager_)
        find_manager(); // no tray known: perhaps one came without a word to this process
    else
        dock(icons_.back());
}

void XEmbedTray::change(const TrayPicture& picture) {
    Icon* icon = find(picture.owner, picture.id);
    if (!icon)
        return;
    if (!picture.argb.empty()) {
        icon->size = picture.size;
        icon->argb.assign(picture.argb.begin(), picture.argb.end());
    }
    icon->tip = picture.tip;
    if (icon->docked)
        draw(*icon);
}

void XEmbedTray::remove(HWND owner, UINT id) {
    if (Icon* icon = find(owner, id)) {
        undock(*icon, true);
        icons_.erase(icons_.begin() + (icon - icons_.data()));
    }
}

void XEmbedTray::set_enabled(bool on) {
    if (on == enabled_)
        return;
    enabled_ = on;
    if (on && !manager_ && !icons_.empty())
        find_manager(); // docks every icon when it finds a tray
    else
        for (Icon& icon : icons_)
            on ? dock(icon) : undock(icon, true);
}

void XEmbedTray::find_manager() {
    manager_ = XGetSelectionOwner(dpy_, selection_);
    if (!manager_)
        return;
    // The manager's end comes as its window's destruction.
    XSelectInput(dpy_, manager_, StructureNotifyMask);
    // Icons in a 32-bit visual where the manager offers one: real transparency on the panel.
    visual_ = DefaultVisual(dpy_, DefaultScreen(dpy_));
    depth_ = DefaultDepth(dpy_, DefaultScreen(dpy_));
    if (colormap_) {
        XFreeColormap(dpy_, colormap_);
        colormap_ = 0;
    }
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(dpy_, manager_, display_.atom(NET_SYSTEM_TRAY_VISUAL), 0, 1, False,
                           XA_VISUALID, &type, &format, &count, &after, &data) == Success &&
        data && count == 1) {
        XVisualInfo want{};
        want.visualid = static_cast<VisualID>(*reinterpret_cast<long*>(data));
        int found = 0;
        if (XVisualInfo* info = XGetVisualInfo(dpy_, VisualIDMask, &want, &found)) {
            if (found > 0 && info->depth == 32) {
                visual_ = info->visual;
                depth_ = 32;
                colormap_ = XCreateColormap(dpy_, root_, visual_, AllocNone);
            }
            XFree(info);
        }
    }
    if (data)
        XFree(data);
    trace(TraceChannel::drivers, "x11: tray manager 0x%lx%s", manager_,
          depth_ == 32 ? ", 32-bit icons" : "");
    for (Icon& icon : icons_)
        dock(icon);
}

void XEmbedTray::dock(Icon& icon) {
    if (!enabled_ || !manager_)
        return;
    undock(icon, true); // a new manager may want another visual: a new window each time
    XSetWindowAttributes a{};
    unsigned long mask = CWEventMask;
    a.event_mask = ExposureMask | StructureNotifyMask | ButtonPressMask | ButtonReleaseMask;
    if (depth_ == 32) {
        a.colormap = colormap_;
        a.background_pixel = 0;
        a.border_pixel = 0;
        mask |= CWColormap | CWBackPixel | CWBorderPixel;
    } else {
        a.background_pixmap = ParentRelative; // the panel shows through where the icon is clear
        mask |= CWBackPixmap;
    }
    icon.xid = XCreateWindow(dpy_, root_, 0, 0, kFirstSide, kFirstSide, 0, depth_, InputOutput,
                             visual_, mask, &a);
    icon.shown = SIZE{kFirstSide, kFirstSide};
    long info[2] = {0, kXEmbedMapped};
    XChangeProperty(dpy_, icon.xid, display_.atom(XEMBED_INFO), display_.atom(XEMBED_INFO), 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(info), 2);
    // Trays size their sockets from these (GTK's from the minimum, others from the base).
    XSizeHints size{};
    size.flags = PMinSize | PBaseSize;
    size.min_width = size.min_height = size.base_width = size.base_height = kFirstSide;
    XSetWMNormalHints(dpy_, icon.xid, &size);
    XClassHint cls{const_cast<char*>("radiodeck"), const_cast<char*>("radiodeck")};
    XSetClassHint(dpy_, icon.xid, &cls);
    XStoreName(dpy_, icon.xid, "radiodeck");
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = manager_;
    e.xclient.message_type = display_.atom(NET_SYSTEM_TRAY_OPCODE);
    e.xclient.format = 32;
    e.xclient.data.l[0] = CurrentTime;
    e.xclient.data.l[1] = kRequestDock;
    e.xclient.data.l[2] = static_cast<long>(icon.xid);
    XSendEvent(dpy_, manager_, False, NoEventMask, &e);
    XFlush(dpy_);
}

void XEmbedTray::undock(Icon& icon, bool destroy) {
    if (icon.xid && destroy) {
        XDestroyWindow(dpy_, icon.xid);
        icon.xid = 0;
    }
    if (icon.docked)
        docked(icon, TrayDock::none);
}

void XEmbedTray::docked(Icon& icon, TrayDock where) {
    icon.docked = where == TrayDock::xembed;
    trace(TraceChannel::drivers, "x11: tray icon %u %s", icon.id,
          icon.docked ? "docked" : "undocked");
    tray_events().tray_docked(icon.owner, icon.id, where);
}

void XEmbedTray::draw(Icon& icon) {
    if (!icon.xid || icon.shown.cx <= 0 || icon.shown.cy <= 0)
        return;
    int width = icon.shown.cx, height = icon.shown.cy;
    int side = std::min(width, height);
    TrayPicture picture{icon.owner, icon.id, 0, icon.size, icon.argb, icon.tip};
    std::vector<uint32_t> square = scale_icon(picture, side);
    int left = (width - side) / 2, top = (height - side) / 2;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, 0);
    // Without a 32-bit visual the panel's background shows where the icon is less than half
    // covered, through a one-bit mask.
    int mask_stride = (width + 7) / 8;
    std::vector<char> mask(static_cast<size_t>(mask_stride) * height, 0);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            uint32_t p = square[static_cast<size_t>(y) * side + x];
            int px = left + x, py = top + y;
            pixels[static_cast<size_t>(py) * width + px] = p;
            if ((p >> 24) >= 128)
                mask[static_cast<size_t>(py) * mask_stride + px / 8] |=
                    static_cast<char>(1 << (px % 8));
        }
    GC gc = XCreateGC(dpy_, icon.xid, 0, nullptr);
    Pixmap clip = 0;
    if (depth_ != 32) {
        for (uint32_t& p : pixels) { // undo the premultiplication where the pixel is drawn
            uint32_t a = p >> 24;
            if (a && a < 255)
                p = (std::min(255u, (p >> 16 & 0xFF) * 255 / a) << 16) |
                    (std::min(255u, (p >> 8 & 0xFF) * 255 / a) << 8) |
                    std::min(255u, (p & 0xFF) * 255 / a);
        }
        clip = XCreateBitmapFromData(dpy_, icon.xid, mask.data(), static_cast<unsigned>(width),
                                     static_cast<unsigned>(height));
        XSetClipMask(dpy_, gc, clip);
        XClearWindow(dpy_, icon.xid);
    }
    XImage* image =
        XCreateImage(dpy_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0,
                     reinterpret_cast<char*>(pixels.data()), static_cast<unsigned>(width),
                     static_cast<unsigned>(height), 32, width * 4);
    if (image) {
        image->byte_order = LSBFirst;
        XPutImage(dpy_, icon.xid, gc, image, 0, 0, 0, 0, static_cast<unsigned>(width),
                  static_cast<unsigned>(height));
        image->data = nullptr;
        XDestroyImage(image);
    }
    if (clip)
        XFreePixmap(dpy_, clip);
    XFreeGC(dpy_, gc);
}

void XEmbedTray::on_button(Icon& icon, const XButtonEvent& e) {
    static constexpr UINT kDown[] = {0, WM_LBUTTONDOWN, WM_MBUTTONDOWN, WM_RBUTTONDOWN};
    if (e.button < 1 || e.button > 3)
        return;
    POINT at{e.x_root, e.y_root};
    UINT message = kDown[e.button] + (e.type == ButtonRelease ? 1 : 0);
    if (e.type == ButtonPress) {
        bool twice = icon.pressed && e.button == icon.pressed_button &&
                     e.time - icon.pressed <= kDoubleClickMs &&
                     std::abs(at.x - icon.pressed_at.x) <= kDoubleClickSlop &&
                     std::abs(at.y - icon.pressed_at.y) <= kDoubleClickSlop;
        if (twice)
            message = kDown[e.button] + 2; // WM_xBUTTONDBLCLK
        // A third press starts afresh rather than making a second double click.
        icon.pressed = twice ? 0 : (e.time ? e.time : 1);
        icon.pressed_at = at;
        icon.pressed_button = e.button;
    }
    tray_events().tray_input(icon.owner, icon.id, message, at);
}

bool XEmbedTray::handle(const XEvent& e) {
    if (e.type == ClientMessage && e.xclient.window == root_ &&
        e.xclient.message_type == display_.atom(MANAGER)) {
        if (static_cast<Atom>(e.xclient.data.l[1]) == selection_ && !icons_.empty() && enabled_)
            find_manager();
        return true;
    }
    if (e.type == DestroyNotify && manager_ && e.xdestroywindow.window == manager_) {
        manager_ = 0;
        for (Icon& icon : icons_)
            undock(icon, false);
        if (enabled_)
            find_manager(); // a successor may already hold the selection
        return true;
    }
    Icon* icon = find(e.xany.window);
    if (!icon)
        return false;
    switch (e.type) {
    case ReparentNotify:
        if (e.xreparent.parent == root_) {
            // The manager went and the server handed the icon back: keep it off the screen.
            XUnmapWindow(dpy_, icon->xid);
            if (icon->docked)
                docked(*icon, TrayDock::none);
        } else if (!icon->docked) {
            docked(*icon, TrayDock::xembed);
        }
        break;
    case ConfigureNotify:
        if (e.xconfigure.width != icon->shown.cx || e.xconfigure.height != icon->shown.cy) {
            icon->shown = SIZE{e.xconfigure.width, e.xconfigure.height};
            draw(*icon);
        }
        break;
    case Expose:
        if (e.xexpose.count == 0)
            draw(*icon);
        break;
    case ButtonPress:
    case ButtonRelease:
        on_button(*icon, e.xbutton);
        break;
    case DestroyNotify:
        icon->xid = 0;
        break;
    default:
        break;
    }
    return true;
}

} // namespace platform::x11
