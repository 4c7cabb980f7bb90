// Posted messages between processes: one datagram per message to the owner's socket.
// Nothing here runs while nothing arrives: the socket waits in the thread's one poll().
#include "desktop_state.h"

#include "platform/kernel/wait.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform::desktop_detail {

using namespace desktop_wire;

namespace {

bool socket_address(const std::filesystem::path& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    const std::string& s = path.native();
    if (s.size() >= sizeof addr.sun_path)
        return false;
    std::memcpy(addr.sun_path, s.data(), s.size());
    return true;
}

// A queue that stays full this long belongs to a process that does not read it.
constexpr int kSendWaitSeconds = 2;

DesktopSink* g_sink = nullptr;

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
    int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return;
    int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_PASSCRED, &on, sizeof on);
    ::unlink(path.c_str()); // left by an earlier process that had this pid and start time
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return;
    }
    recv_fd_ = fd;
    watch_ = add_wait_fd(fd, POLLIN, [this](short) { drain_socket(); });
}

int Desktop::send_socket() {
    if (send_fd_ < 0) {
        send_fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        timeval limit{kSendWaitSeconds, 0};
        if (send_fd_ >= 0)
            ::setsockopt(send_fd_, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    }
    return send_fd_;
}

void Desktop::drain_socket() {
    for (;;) {
        PostDatagram d;
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(ucred))];
        iovec iov{&d, sizeof d};
        msghdr mh{};
        mh.msg_iov = &iov;
        mh.msg_iovlen = 1;
        mh.msg_control = control;
        mh.msg_controllen = sizeof control;
        ssize_t n = ::recvmsg(recv_fd_, &mh, MSG_DONTWAIT | MSG_CMSG_CLOEXEC);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return; // EAGAIN: drained
        }
        const ucred* cred = nullptr;
        for (cmsghdr* c = CMSG_FIRSTHDR(&mh); c; c = CMSG_NXTHDR(&mh, c))
            if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_CREDENTIALS &&
                c->cmsg_len == CMSG_LEN(sizeof(ucred)))
                cred = reinterpret_cast<const ucred*>(CMSG_DATA(c));
        // A peer of another user is refused, as is anything not exactly our datagram.
        if (!cred || cred->uid != ::getuid() || (mh.msg_flags & (MSG_TRUNC | MSG_CTRUNC)))
            continue;
        if (n != static_cast<ssize_t>(sizeof d))
            continue;
        // Only a window this process holds on this desktop may receive; the sink checks
        // that it still lives.
        HWND target = reinterpret_cast<HWND>(static_cast<uintptr_t>(d.target));
        if (!held_.count(d.target) || !g_sink)
            continue;
        if (d.magic == kCursorMagic) {
            CursorDatagram c;
            std::memcpy(&c, &d, sizeof c);
            if (c.version == kCursorVersion && c.size == sizeof c)
                g_sink->cursor_moved(target, POINT{c.x, c.y});
            continue;
        }
        if (d.magic == kActionMagic) {
            ActionDatagram a;
            std::memcpy(&a, &d, sizeof a);
            if (a.version == kActionVersion && a.size == sizeof a)
                g_sink->action(target, a.action, a.item);
            continue;
        }
        if (d.magic != kPostMagic || d.version != kPostVersion || d.size != sizeof d)
            continue;
        g_sink->posted(target, d.message, static_cast<WPARAM>(d.wparam),
                       static_cast<LPARAM>(d.lparam));
    }
}

} // namespace platform::desktop_detail

namespace platform {

using desktop_detail::Desktop;
using namespace desktop_wire;

namespace {

// Sends one datagram to the socket of the process that owns `hwnd`.
BOOL send_to_owner(HWND hwnd, const void* datagram, size_t size) {
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
    sockaddr_un addr;
    int fd = d->send_socket();
    if (fd < 0 ||
        !desktop_detail::socket_address(
            d->directory() / desktop_detail::socket_name(static_cast<int>(w->pid), start), addr)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    ssize_t n;
    do {
        n = ::sendto(fd, datagram, size, MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&addr),
                     sizeof addr);
    } while (n < 0 && errno == EINTR);
    if (n == static_cast<ssize_t>(size))
        return TRUE;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
        SetLastError(ERROR_NOT_ENOUGH_QUOTA);
        return FALSE;
    }
    // No socket: the owner is gone (or never could receive); its windows go with it.
    if (!desktop_detail::process_alive(static_cast<int>(w->pid), start))
        d->reclaim_process(static_cast<int>(w->pid), start);
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

BOOL desktop_post(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    PostDatagram dg{};
    dg.magic = kPostMagic;
    dg.version = kPostVersion;
    dg.size = sizeof dg;
    dg.target = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hwnd));
    dg.message = msg;
    dg.wparam = static_cast<uint64_t>(wparam);
    dg.lparam = static_cast<uint64_t>(lparam);
    dg.sender_pid = own_pid();
    return send_to_owner(hwnd, &dg, sizeof dg);
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
    return send_to_owner(hwnd, &dg, sizeof dg);
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
    return send_to_owner(hwnd, &dg, sizeof dg);
}

} // namespace platform
