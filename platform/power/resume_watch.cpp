// A minimal system-bus client: connect, authenticate, subscribe, then read signals from the
// thread's one wait. Anything unexpected ends the connection for good; nothing retries.
#include "resume_watch.h"

#include "dbus_wire.h"
#include "platform/kernel/process_start.h"
#include "platform/kernel/wait.h"
#include "platform/user/message_queue.h"
#include "platform/user/window.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr const char* kDefaultBus = "/run/dbus/system_bus_socket";
// The handshake blocks the thread; a bus that does not answer in this time is given up.
constexpr int kHandshakeSeconds = 2;

struct Connection {
    int fd = -1;
    int watch = -1;
    pid_t pid = 0;
    std::vector<uint8_t> buffer;
};

Connection g_bus;

void drop() {
    // In a forked child this closes only the child's copies; the parent keeps its own.
    if (g_bus.watch >= 0)
        remove_wait_fd(g_bus.watch);
    if (g_bus.fd >= 0)
        ::close(g_bus.fd);
    g_bus = Connection{};
}

std::string bus_path() {
    const char* env = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    std::string_view prefix = "unix:path=";
    if (env && std::string_view(env).starts_with(prefix)) {
        std::string path(env + prefix.size());
        return path.substr(0, path.find(',')); // further keys such as guid= are not ours
    }
    return kDefaultBus;
}

bool send_all(int fd, const void* data, size_t size) {
    auto* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::send(fd, p, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool handshake(int fd) {
    std::string uid = std::to_string(::getuid());
    std::string auth("\0AUTH EXTERNAL ", 15);
    for (char c : uid) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(c));
        auth += hex;
    }
    auth += "\r\n";
    if (!send_all(fd, auth.data(), auth.size()))
        return false;
    std::string reply;
    while (reply.find("\r\n") == std::string::npos) {
        char chunk[256];
        ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || reply.size() > 4096)
            return false;
        reply.append(chunk, static_cast<size_t>(n));
    }
    if (!reply.starts_with("OK"))
        return false;
    std::vector<uint8_t> out = {'B', 'E', 'G', 'I', 'N', '\r', '\n'};
    auto hello = dbus::method_call(1, "Hello", std::nullopt);
    auto match = dbus::method_call(2, "AddMatch", dbus::kSleepRule);
    out.insert(out.end(), hello.begin(), hello.end());
    out.insert(out.end(), match.begin(), match.end());
    return send_all(fd, out.data(), out.size());
}

void resumed() {
    std::vector<HWND> windows = top_level_windows();
    for (HWND hwnd : windows)
        post_message(hwnd, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
}

// Consumes every complete message in the buffer; false when one is malformed.
bool parse_buffer() {
    size_t at = 0;
    std::vector<uint8_t>& b = g_bus.buffer;
    for (;;) {
        dbus::Message m;
        size_t used = 0;
        auto result = dbus::parse_message(b.data() + at, b.size() - at, m, used);
        if (result == dbus::ParseResult::malformed)
            return false;
        if (result == dbus::ParseResult::incomplete)
            break;
        at += used;
        if (m.type == dbus::kSignal && m.interface == dbus::kLoginInterface &&
            m.member == dbus::kPrepareForSleep && m.boolean == false)
            resumed();
    }
    b.erase(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(at));
    return true;
}

void on_readable(short) {
    while (g_bus.fd >= 0) {
        uint8_t chunk[4096];
        ssize_t n = ::recv(g_bus.fd, chunk, sizeof chunk, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (n <= 0) { // the bus went away: what arrived before still counts
            parse_buffer();
            drop();
            return;
        }
        g_bus.buffer.insert(g_bus.buffer.end(), chunk, chunk + n);
        if (!parse_buffer() || g_bus.buffer.size() > dbus::kMaxMessage) {
            drop();
            return;
        }
    }
}

} // namespace

void start_resume_watch() {
    drop();
    std::string path = bus_path();
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr.sun_path)
        return;
    std::memcpy(addr.sun_path, path.data(), path.size());
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return;
    timeval limit{kHandshakeSeconds, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || !handshake(fd) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK) != 0) {
        ::close(fd);
        return;
    }
    g_bus.fd = fd;
    g_bus.pid = ::getpid();
    g_bus.watch = add_wait_fd(fd, POLLIN, on_readable);
}

namespace {
// The process's first window starts the watch: only then are there windows a resume concerns.
[[maybe_unused]] const bool registered = (add_process_start_hook(start_resume_watch), true);
} // namespace

bool resume_watch_connected() {
    return g_bus.fd >= 0 && g_bus.pid == ::getpid();
}

} // namespace platform
