// Publishing window state: changes mark their window, and one flush per loop turn writes the
// marked windows to the desktop under one lock and tells the display driver.
#include "msgbox.h"
#include "window.h"
#include "window_class.h"

#include "platform/drivers/display.h"
#include "platform/kernel/wait.h"

#include <pthread.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace platform {

namespace {

struct Pending {
    std::vector<HWND> dirty;    // in the order of their first change
    std::vector<HWND> released; // gone since the last flush
    int depth = 0;              // open WindowBatch scopes
    bool hooked = false;
};

// One GUI thread per process: the windows and what is pending for them are the process's.
Pending& pending() {
    static Pending p;
    return p;
}

// The wait flushes before the thread blocks, whatever batch is open: a modal loop or a Sleep
// inside a window procedure shows the changes made so far.
void hook_into_wait() {
    Pending& p = pending();
    if (!p.hooked) {
        p.hooked = true;
        add_flush_hook(flush_windows);
    }
}

// Asked of the kernel once, not at every view of a window; a forked child asks again.
DWORD process_id() {
    static DWORD pid = 0;
    static bool reset_in_child = [] { return pthread_atfork(nullptr, nullptr, [] { pid = 0; }); }();
    (void)reset_in_child;
    if (!pid)
        pid = static_cast<DWORD>(::getpid());
    return pid;
}

void flush_unless_batched() {
    hook_into_wait();
    if (pending().depth == 0)
        flush_windows();
}

} // namespace

DesktopWindow describe_window(const Window& w) {
    DesktopWindow d;
    d.handle = w.handle;
    d.pid = process_id();
    d.thread_id = w.thread_id;
    d.parent = w.parent;
    d.owner = w.owner;
    d.id = static_cast<UINT>(w.id);
    d.style = w.style;
    d.ex_style = w.ex_style;
    d.rect = w.rect;
    d.z = w.z;
    d.class_name = w.cls ? w.cls->name : "";
    d.title = w.text;
    if (w.handle)
        d.box_type = message_box_type(w.handle);
    return d;
}

void window_changed(HWND hwnd) {
    Window* w = find_window(hwnd);
    if (!w)
        return;
    if (!w->dirty) {
        w->dirty = true;
        pending().dirty.push_back(hwnd);
    }
    flush_unless_batched();
}

void window_released(HWND hwnd) {
    if (!desktop_holds(hwnd))
        return;
    pending().released.push_back(hwnd);
    flush_unless_batched();
}

void flush_windows() {
    Pending& p = pending();
    if (p.dirty.empty() && p.released.empty())
        return;
    std::vector<HWND> dirty = std::exchange(p.dirty, {});
    std::vector<HWND> released = std::exchange(p.released, {});
    std::vector<DesktopWindow> states;
    states.reserve(dirty.size());
    for (HWND h : dirty) {
        Window* w = find_window(h);
        if (!w)
            continue;
        w->dirty = false;
        display_driver().window_changed(h);
        if (desktop_holds(h))
            states.push_back(describe_window(*w));
    }
    desktop_publish(states, released);
}

WindowBatch::WindowBatch() {
    ++pending().depth;
}

WindowBatch::~WindowBatch() {
    if (--pending().depth == 0)
        flush_windows();
}

} // namespace platform
