// The window table: taking, writing and freeing slots, and reading the windows of every
// process. A slot whose process is gone counts as free, and whoever notices frees it.
#include "desktop_state.h"
#include "surface_file.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <unistd.h>

namespace platform::desktop_detail {

using namespace desktop_wire;

namespace {

uint32_t handle_value(HWND h) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(h));
}

HWND to_hwnd(uint32_t v) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(v));
}

// A bounded string of the table, terminated whatever the writer left there.
std::string bounded(const char* s, size_t n) {
    return std::string(s, strnlen(s, n - 1));
}

void copy_bounded(char* dst, size_t n, const std::string& src) {
    size_t len = std::min(src.size(), n - 1);
    std::memset(dst, 0, n);
    std::memcpy(dst, src.data(), len);
}

// Liveness of the owners met during one walk of the table, asked once per process.
class Liveness {
public:
    explicit Liveness(const Desktop& d) : own_(d.own_pid(), d.own_start()) {}
    bool alive(const Slot& s) {
        auto key = std::make_pair(s.pid, s.start_time);
        if (key == own_)
            return true; // no need to ask the kernel about ourselves
        auto it = known_.find(key);
        if (it == known_.end())
            it = known_.emplace(key, process_alive(s.pid, s.start_time)).first;
        if (!it->second)
            dead_.insert(key);
        return it->second;
    }
    void reclaim(Desktop& d) {
        for (auto [pid, start] : dead_)
            d.reclaim_process(pid, start);
    }

private:
    std::pair<int, uint64_t> own_;
    std::map<std::pair<int, uint64_t>, bool> known_;
    std::set<std::pair<int, uint64_t>> dead_;
};

} // namespace

Slot* Desktop::slot_of(HWND hwnd) {
    uint32_t v = handle_value(hwnd);
    if (!is_table_handle(v))
        return nullptr;
    Slot& s = slots_[desktop_wire::slot_of(v)];
    if (s.state != kSlotUsed || handle_of(desktop_wire::slot_of(v), s.generation) != v)
        return nullptr;
    return &s;
}

void Desktop::free_slot(uint32_t index) {
    if (index >= kSlotCount)
        return;
    Slot& s = slots_[index];
    uint32_t generation = s.generation + 1;
    std::memset(&s, 0, sizeof s);
    s.state = kSlotFree;
    s.generation = generation;
}

void Desktop::reclaim_process(int pid, uint64_t start_time) {
    {
        Lock lock(*this, true);
        bool any = false;
        for (uint32_t i = 0; i < kSlotCount; ++i) {
            Slot& s = slots_[i];
            if (s.state == kSlotUsed && s.pid == pid && s.start_time == start_time) {
                ::unlink((dir_ / surface_name(to_hwnd(handle_of(i, s.generation)))).c_str());
                free_slot(i);
                any = true;
            }
        }
        if (any)
            changed();
    }
    ::unlink((dir_ / socket_name(pid, start_time)).c_str());
    ::unlink((dir_ / queue_name(pid, start_time)).c_str());
    ::unlink((dir_ / (socket_name(pid, start_time) + ".menu")).c_str());
}

DesktopWindow window_of(const Slot& s, uint32_t index) {
    DesktopWindow w;
    w.handle = to_hwnd(handle_of(index, s.generation));
    w.pid = static_cast<DWORD>(s.pid);
    w.start_time = s.start_time;
    w.thread_id = s.tid;
    w.parent = to_hwnd(s.parent);
    w.owner = to_hwnd(s.owner);
    w.id = s.id;
    w.style = s.style;
    w.ex_style = s.ex_style;
    w.rect = RECT{s.left, s.top, s.right, s.bottom};
    w.z = s.z;
    if (s.box_type & kMessageBoxMark)
        w.box_type = s.box_type & ~kMessageBoxMark;
    w.class_name = bounded(s.class_name, sizeof s.class_name);
    w.title = bounded(s.title, sizeof s.title);
    return w;
}

namespace {

// Writes a window's state into its slot; under the exclusive lock.
void fill(Slot& s, const DesktopWindow& w) {
    s.tid = w.thread_id;
    s.parent = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(w.parent));
    s.owner = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(w.owner));
    s.id = w.id;
    s.style = w.style;
    s.ex_style = w.ex_style;
    s.left = w.rect.left;
    s.top = w.rect.top;
    s.right = w.rect.right;
    s.bottom = w.rect.bottom;
    s.z = w.z;
    s.box_type = w.box_type ? (*w.box_type & ~kMessageBoxMark) | kMessageBoxMark : 0;
    copy_bounded(s.class_name, sizeof s.class_name, w.class_name);
    copy_bounded(s.title, sizeof s.title, w.title);
}

} // namespace

// A window this process holds whose slot a rebuilt table lost: taken again with the same
// handle while the slot is free; null when another window has it now.
Slot* retake(Desktop& d, HWND hwnd) {
    uint32_t v = handle_value(hwnd);
    if (!is_table_handle(v))
        return nullptr;
    uint32_t index = desktop_wire::slot_of(v);
    Slot& s = d.slot(index);
    if (s.state != kSlotFree)
        return nullptr;
    std::memset(&s, 0, sizeof s);
    s.state = kSlotUsed;
    s.generation = v >> 16;
    s.pid = d.own_pid();
    s.start_time = d.own_start();
    return &s;
}

namespace {

// The windows that `pick` selects, in table order; only live ones when `verified`.
template <typename Pick>
std::vector<DesktopWindow> collect(Desktop& d, Pick pick, bool verified = true) {
    std::vector<std::pair<Slot, uint32_t>> found;
    {
        Desktop::Lock lock(d, false);
        for (uint32_t i = 0; i < kSlotCount; ++i) {
            const Slot& s = d.slot(i);
            if (s.state == kSlotUsed && pick(s))
                found.emplace_back(s, i);
        }
    }
    Liveness live(d);
    std::vector<DesktopWindow> out;
    for (auto& [s, i] : found)
        if (!verified || live.alive(s))
            out.push_back(window_of(s, i));
    live.reclaim(d);
    return out;
}

} // namespace

} // namespace platform::desktop_detail

namespace platform {

using desktop_detail::Desktop;
using namespace desktop_wire;

bool desktop_available() {
    return Desktop::current() != nullptr;
}

HWND desktop_allocate_handle(DesktopWindow& initial) {
    Desktop* d = Desktop::current();
    if (!d)
        return nullptr;
    d->ensure_socket();
    std::optional<uint32_t> taken;
    {
        Desktop::Lock lock(*d, true);
        uint32_t first = d->header().next_slot % kSlotCount;
        // Free slots first, from where the last search stopped; then those of dead processes.
        for (int pass = 0; pass < 2 && !taken; ++pass) {
            for (uint32_t k = 0; k < kSlotCount && !taken; ++k) {
                uint32_t i = (first + k) % kSlotCount;
                Slot& s = d->slot(i);
                if (s.state == kSlotFree ||
                    (pass == 1 && !desktop_detail::process_alive(s.pid, s.start_time))) {
                    if (s.state != kSlotFree)
                        d->free_slot(i);
                    taken = i;
                }
            }
        }
        if (!taken)
            return nullptr;
        Slot& s = d->slot(*taken);
        s.state = kSlotUsed;
        s.pid = d->own_pid();
        s.start_time = d->own_start();
        d->header().next_slot = *taken + 1;
        if (!initial.parent)
            initial.z = ++d->header().z_top;
        // Watchers hear of it at the flush that ends the window's creation.
        desktop_detail::fill(s, initial);
    }
    uint32_t h = handle_of(*taken, d->slot(*taken).generation);
    d->held().insert(h);
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(h));
}

bool desktop_holds(HWND hwnd) {
    Desktop* d = Desktop::current();
    return d && d->held().count(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hwnd)));
}

void desktop_publish(const std::vector<DesktopWindow>& windows, const std::vector<HWND>& released) {
    Desktop* d = Desktop::current();
    if (!d || (windows.empty() && released.empty()))
        return;
    Desktop::Lock lock(*d, true);
    for (const DesktopWindow& w : windows) {
        if (!desktop_holds(w.handle))
            continue;
        Slot* s = d->slot_of(w.handle);
        if (!s)
            s = desktop_detail::retake(*d, w.handle);
        if (s && s->pid == d->own_pid())
            desktop_detail::fill(*s, w);
    }
    for (HWND h : released) {
        uint32_t v = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(h));
        if (!d->held().erase(v))
            continue;
        if (Slot* s = d->slot_of(h); s && s->pid == d->own_pid())
            d->free_slot(desktop_wire::slot_of(v));
    }
    d->changed();
}

void desktop_release(HWND hwnd) {
    desktop_publish({}, {hwnd});
}

uint64_t desktop_z_stamp(bool top) {
    Desktop* d = Desktop::current();
    if (!d)
        return 0;
    Desktop::Lock lock(*d, true);
    return top ? ++d->header().z_top : --d->header().z_bottom;
}

std::optional<DesktopWindow> desktop_window(HWND hwnd) {
    Desktop* d = Desktop::current();
    if (!d)
        return std::nullopt;
    Slot copy;
    {
        Desktop::Lock lock(*d, false);
        Slot* s = d->slot_of(hwnd);
        if (!s)
            return std::nullopt;
        copy = *s;
    }
    if (copy.pid != d->own_pid() && !desktop_detail::process_alive(copy.pid, copy.start_time)) {
        d->reclaim_process(copy.pid, copy.start_time);
        return std::nullopt;
    }
    return desktop_detail::window_of(
        copy, desktop_wire::slot_of(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hwnd))));
}

std::vector<DesktopWindow> desktop_top_level(bool verified) {
    Desktop* d = Desktop::current();
    if (!d)
        return {};
    auto out = desktop_detail::collect(
        *d, [](const Slot& s) { return s.parent == 0; }, verified);
    std::sort(out.begin(), out.end(), [](const DesktopWindow& a, const DesktopWindow& b) {
        bool ta = a.ex_style & WS_EX_TOPMOST, tb = b.ex_style & WS_EX_TOPMOST;
        if (ta != tb)
            return ta;
        return a.z > b.z;
    });
    return out;
}

bool desktop_alive(const DesktopWindow& w) {
    Desktop* d = Desktop::current();
    if (!d)
        return false;
    int pid = static_cast<int>(w.pid);
    if ((pid == d->own_pid() && w.start_time == d->own_start()) ||
        desktop_detail::process_alive(pid, w.start_time))
        return true;
    d->reclaim_process(pid, w.start_time);
    return false;
}

std::vector<DesktopWindow> desktop_children(HWND parent) {
    Desktop* d = Desktop::current();
    if (!d || !parent)
        return {};
    uint32_t p = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(parent));
    auto out = desktop_detail::collect(*d, [p](const Slot& s) { return s.parent == p; });
    std::stable_sort(out.begin(), out.end(),
                     [](const DesktopWindow& a, const DesktopWindow& b) { return a.z < b.z; });
    return out;
}

void desktop_signal_change() {
    Desktop* d = Desktop::current();
    if (!d)
        return;
    Desktop::Lock lock(*d, true);
    d->changed();
}

std::optional<std::filesystem::path> desktop_change_file() {
    Desktop* d = Desktop::current();
    if (!d)
        return std::nullopt;
    return d->directory() / "changes";
}

std::optional<std::filesystem::path> desktop_socket_of(HWND hwnd) {
    Desktop* d = Desktop::current();
    if (!d)
        return std::nullopt;
    Desktop::Lock lock(*d, false);
    Slot* s = d->slot_of(hwnd);
    if (!s)
        return std::nullopt;
    return d->directory() / desktop_detail::socket_name(s->pid, s->start_time);
}

} // namespace platform
