// Posted messages between processes: one entry per message in the owner's queue file, and a
// datagram to its socket that wakes its wait (protocol.h). Nothing here runs while nothing
// arrives: the socket waits in the thread's one poll().
#include "desktop_state.h"
#include "entry_decode.h"

#include "message_rules.h"

#include "platform/kernel/trace.h"
#include "platform/kernel/wait.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform::desktop_detail {

using namespace desktop_wire;

namespace {

// A socket's address holds at most 107 bytes of path. A deeper desktop directory (a deep
// machine root without XDG_RUNTIME_DIR) is named through a descriptor of this process, as
// /proc/self/fd/N/NAME, which bind and sendto resolve like any path.
std::string short_directory(const std::filesystem::path& directory) {
    static std::mutex mutex;
    static std::string opened;
    static int fd = -1;
    std::lock_guard guard(mutex);
    if (fd < 0 || opened != directory.native()) {
        if (fd >= 0)
            ::close(fd);
        fd = ::open(directory.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        opened = directory.native();
    }
    return fd < 0 ? directory.native() : "/proc/self/fd/" + std::to_string(fd);
}

bool socket_address(const std::filesystem::path& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    std::string s = path.native();
    if (s.size() >= sizeof addr.sun_path)
        s = short_directory(path.parent_path()) + "/" + path.filename().native();
    if (s.size() >= sizeof addr.sun_path)
        return false;
    std::memcpy(addr.sun_path, s.data(), s.size());
    return true;
}

DesktopSink* g_sink = nullptr;
// The desktop whose queue this process reads, for the message queue's look before every
// retrieval: found without Desktop::current()'s look at the machine root.
Desktop* g_receiver = nullptr;

} // namespace

void Desktop::ensure_socket() {
    if (recv_fd_ >= 0)
        return;
    sockaddr_un addr;
    std::filesystem::path path = dir_ / socket_name(pid_, start_);
    if (!socket_address(path, addr)) {
        std::fprintf(stderr, "platform: socket path too long: %s\n", path.c_str());
        return;
    }
    // The queue stands before the socket: whoever finds the socket finds the queue.
    if (!queue_.create(dir_ / queue_name(pid_, start_)))
        return;
    int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return;
    ::unlink(path.c_str()); // left by an earlier process that had this pid and start time
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        queue_.close(true);
        return;
    }
    recv_fd_ = fd;
    // Ready without a poll while entries wait and the thread's queue has room for them.
    watch_ = add_wait_source({fd,
                              [this] {
                                  bool ready = g_sink && queue_.pending() && g_sink->room() > 0;
                                  return WaitPrepare{POLLIN, std::nullopt, ready};
                              },
                              [this](short) { drain_socket(); }});
    g_receiver = this;
}

void Desktop::stop_receiving() {
    if (g_receiver == this)
        g_receiver = nullptr;
}

int Desktop::send_socket() {
    if (send_fd_ < 0)
        send_fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    return send_fd_;
}

void Desktop::drain_socket() {
    // The datagrams only wake the wait; what they announce is in the queue, but for the
    // request to publish again.
    char wake[64];
    bool republish = false;
    for (;;) {
        ssize_t n = ::recv(recv_fd_, wake, sizeof wake, MSG_DONTWAIT);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        republish |= n == sizeof kRepublishWake &&
                     std::memcmp(wake, kRepublishWake, sizeof kRepublishWake) == 0;
    }
    take_posts();
    if (republish)
        run_republish_hooks();
}

void Desktop::take_posts() {
    // What the sink does may look at the queue again; it then finds what came after this
    // batch, in order, on its next look.
    if (taking_ || !g_sink || !queue_.pending())
        return;
    taking_ = true;
    std::vector<std::array<char, kEntryBytes>> entries;
    queue_.take(g_sink->room(), entries);
    for (const auto& bytes : entries) {
        Entry e = decode_entry(bytes.data(), bytes.size());
        // Only a window this process holds on this desktop may receive; the sink checks that
        // it still lives.
        if (e.kind == Entry::kRefused || !held_.count(e.target) || !g_sink)
            continue;
        HWND target = reinterpret_cast<HWND>(static_cast<uintptr_t>(e.target));
        switch (e.kind) {
        case Entry::kPost:
            g_sink->posted(target, e.message, static_cast<WPARAM>(e.wparam),
                           static_cast<LPARAM>(e.lparam));
            break;
        case Entry::kCursor:
            g_sink->cursor_moved(target, POINT{e.x, e.y});
            break;
        case Entry::kAction:
            g_sink->action(target, e.action, e.item);
            break;
        case Entry::kRefused:
            break;
        }
    }
    taking_ = false;
}

namespace {

std::vector<void (*)()>& republish_hooks() {
    static std::vector<void (*)()> hooks;
    return hooks;
}

} // namespace

void run_republish_hooks() {
    trace(TraceChannel::desktop, "publishing again after a rebuild");
    for (auto hook : republish_hooks())
        hook();
}

namespace {

// A process's socket is named "<pid>.<start time>"; its queue file has a suffix.
bool is_socket_name(const std::string& name) {
    size_t dot = name.find('.');
    return dot != 0 && dot != std::string::npos && dot + 1 < name.size() &&
           name.find_first_not_of("0123456789.") == std::string::npos &&
           name.find('.', dot + 1) == std::string::npos;
}

} // namespace

void announce_rebuild(Desktop& d) {
    int fd = d.send_socket();
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(d.directory(), ec)) {
        if (!is_socket_name(entry.path().filename().string()))
            continue;
        sockaddr_un addr;
        if (fd < 0 || !socket_address(entry.path(), addr))
            continue;
        while (::sendto(fd, kRepublishWake, sizeof kRepublishWake, MSG_NOSIGNAL | MSG_DONTWAIT,
                        reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0 &&
               errno == EINTR) {
        }
    }
}

} // namespace platform::desktop_detail

namespace platform {

void desktop_announce_rebuild() {
    if (desktop_detail::Desktop* d = desktop_detail::Desktop::current())
        desktop_detail::announce_rebuild(*d);
}

void desktop_add_republish_hook(void (*hook)()) {
    auto& hooks = desktop_detail::republish_hooks();
    if (std::find(hooks.begin(), hooks.end(), hook) == hooks.end())
        hooks.push_back(hook);
}

using desktop_detail::Desktop;
using namespace desktop_wire;

namespace {

// Puts one entry in the queue of the process that owns `hwnd` and wakes it.
BOOL send_to_owner(HWND hwnd, const void* entry) {
    Desktop* d = Desktop::current();
    std::optional<DesktopWindow> w = desktop_window(hwnd);
    if (!d || !w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    uint64_t start = 0;
    {
        Desktop::Lock lock(*d, false);
        if (desktop_wire::Slot* s = d->slot_of(hwnd))
            start = s->start_time;
    }
    int pid = static_cast<int>(w->pid);
    sockaddr_un addr;
    int fd = d->send_socket();
    if (fd < 0 || !desktop_detail::socket_address(
                      d->directory() / desktop_detail::socket_name(pid, start), addr)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    DWORD queued = desktop_detail::append_to_queue(
        d->directory() / desktop_detail::queue_name(pid, start), entry);
    if (queued == ERROR_NOT_ENOUGH_QUOTA || queued == ERROR_NOT_ENOUGH_MEMORY) {
        SetLastError(queued);
        return FALSE;
    }
    if (queued == ERROR_SUCCESS) {
        ssize_t n;
        do {
            n = ::sendto(fd, "", 0, MSG_NOSIGNAL | MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&addr),
                         sizeof addr);
        } while (n < 0 && errno == EINTR);
        // A full socket holds a wake-up already, which the owner reads before it looks.
        if (n == 0 || errno == EAGAIN || errno == EWOULDBLOCK)
            return TRUE;
    }
    // No queue or no socket: the owner is gone (or never could receive); its windows go
    // with it.
    if (!desktop_detail::process_alive(pid, start))
        d->reclaim_process(pid, start);
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
}

uint32_t own_pid() {
    Desktop* d = Desktop::current();
    return d ? static_cast<uint32_t>(d->own_pid()) : 0;
}

} // namespace

void desktop_set_sink(DesktopSink* sink) {
    desktop_detail::g_sink = sink;
}

void desktop_take_posts() {
    if (desktop_detail::g_receiver)
        desktop_detail::g_receiver->take_posts();
}

BOOL desktop_post(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (message_carries_pointers(msg, wparam)) {
        SetLastError(ERROR_MESSAGE_SYNC_ONLY);
        return FALSE;
    }
    PostDatagram dg{};
    dg.magic = kPostMagic;
    dg.version = kPostVersion;
    dg.size = sizeof dg;
    dg.target = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hwnd));
    dg.message = msg;
    dg.wparam = static_cast<uint64_t>(wparam);
    dg.lparam = static_cast<uint64_t>(lparam);
    dg.sender_pid = own_pid();
    return send_to_owner(hwnd, &dg);
}

BOOL desktop_move_cursor(HWND hwnd, POINT screen) {
    CursorDatagram dg{};
    dg.magic = kCursorMagic;
    dg.version = kCursorVersion;
    dg.size = sizeof dg;
    dg.target = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hwnd));
    dg.x = screen.x;
    dg.y = screen.y;
    dg.sender_pid = own_pid();
    return send_to_owner(hwnd, &dg);
}

BOOL desktop_send_action(HWND hwnd, uint32_t action, uint32_t item) {
    ActionDatagram dg{};
    dg.magic = kActionMagic;
    dg.version = kActionVersion;
    dg.size = sizeof dg;
    dg.target = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hwnd));
    dg.action = action;
    dg.item = item;
    dg.sender_pid = own_pid();
    return send_to_owner(hwnd, &dg);
}

} // namespace platform
