// A surface's pixels onto its X window: only the dirty part travels, through a shared
// image where the server is on this machine, through the socket otherwise.
#include "x11_display.h"

#include "platform/kernel/trace.h"

#include <algorithm>
#include <cstring>
#include <sys/ipc.h>
#include <sys/shm.h>

namespace platform::x11 {

namespace {

struct Completion {
    int type;
    ShmSeg segment;
};

Bool is_completion(::Display*, XEvent* e, XPointer arg) {
    const auto* want = reinterpret_cast<const Completion*>(arg);
    return e->type == want->type &&
           reinterpret_cast<XShmCompletionEvent*>(e)->shmseg == want->segment;
}

} // namespace

bool X11Display::shared_image(XWin& w, SIZE size) {
    if (w.image && w.image->width == size.cx && w.image->height == size.cy)
        return true;
    release_image(w);
    XImage* image =
        XShmCreateImage(dpy_, visual_, static_cast<unsigned>(depth_), ZPixmap, nullptr, &w.segment,
                        static_cast<unsigned>(size.cx), static_cast<unsigned>(size.cy));
    if (!image)
        return false;
    int id = shmget(IPC_PRIVATE, static_cast<size_t>(image->bytes_per_line) * image->height,
                    IPC_CREAT | 0600);
    void* at = id >= 0 ? shmat(id, nullptr, 0) : reinterpret_cast<void*>(-1);
    if (at == reinterpret_cast<void*>(-1)) {
        if (id >= 0)
            shmctl(id, IPC_RMID, nullptr);
        XDestroyImage(image);
        shm_ = false; // no segments to be had: the socket it is, from now on
        trace(TraceChannel::drivers, "x11: no shared memory for images");
        return false;
    }
    w.segment.shmid = id;
    w.segment.shmaddr = image->data = static_cast<char*>(at);
    w.segment.readOnly = True;
    XShmAttach(dpy_, &w.segment);
    // Once the server holds the segment it may be marked for removal: it goes when both
    // sides let go, even if this process dies.
    XSync(dpy_, False);
    shmctl(id, IPC_RMID, nullptr);
    w.image = image;
    w.image_busy = false;
    return true;
}

void X11Display::release_image(XWin& w) {
    if (!w.image)
        return;
    XShmDetach(dpy_, &w.segment);
    shmdt(w.segment.shmaddr);
    w.image->data = nullptr;
    XDestroyImage(w.image);
    w.image = nullptr;
    w.segment = XShmSegmentInfo{};
    w.image_busy = false;
}

void X11Display::put_pixels(XWin& w, const WindowSurface& surface, RECT area) {
    SIZE size = surface.size;
    if (!w.mapped || surface.pixels.size() < static_cast<size_t>(size.cx) * size.cy)
        return;
    // What the X window shows of the surface.
    RECT shown{w.offset.x, w.offset.y, w.offset.x + (w.shown.right - w.shown.left),
               w.offset.y + (w.shown.bottom - w.shown.top)};
    RECT a{std::max({area.left, shown.left, LONG{0}}), std::max({area.top, shown.top, LONG{0}}),
           std::min({area.right, shown.right, static_cast<LONG>(size.cx)}),
           std::min({area.bottom, shown.bottom, static_cast<LONG>(size.cy)})};
    if (a.right <= a.left || a.bottom <= a.top)
        return;
    int width = static_cast<int>(a.right - a.left), height = static_cast<int>(a.bottom - a.top);
    int to_x = static_cast<int>(a.left - w.offset.x), to_y = static_cast<int>(a.top - w.offset.y);
    GC gc = DefaultGC(dpy_, screen_);
    if (shm_ && shared_image(w, size)) {
        if (w.image_busy) {
            // The server still reads the last picture: wait for it rather than tear it.
            Completion want{shm_completion_, w.segment.shmseg};
            XEvent done;
            XIfEvent(dpy_, &done, is_completion, reinterpret_cast<XPointer>(&want));
        }
        for (LONG y = a.top; y < a.bottom; ++y)
            std::memcpy(w.image->data + y * w.image->bytes_per_line + a.left * 4,
                        surface.pixels.data() + y * size.cx + a.left, width * 4u);
        XShmPutImage(dpy_, w.xid, gc, w.image, static_cast<int>(a.left), static_cast<int>(a.top),
                     to_x, to_y, static_cast<unsigned>(width), static_cast<unsigned>(height), True);
        w.image_busy = true;
        return;
    }
    // The surface itself is the image; Xlib copies the part into the request.
    XImage* image =
        XCreateImage(dpy_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0,
                     const_cast<char*>(reinterpret_cast<const char*>(surface.pixels.data())),
                     static_cast<unsigned>(size.cx), static_cast<unsigned>(size.cy), 32,
                     static_cast<int>(size.cx * 4));
    if (!image)
        return;
    image->byte_order = LSBFirst; // 0x00RRGGBB in this machine's order
    XPutImage(dpy_, w.xid, gc, image, static_cast<int>(a.left), static_cast<int>(a.top), to_x, to_y,
              static_cast<unsigned>(width), static_cast<unsigned>(height));
    image->data = nullptr;
    XDestroyImage(image);
}

} // namespace platform::x11
