#include "peer_process.h"

#include "platform/desktop/desktop.h"
#include "platform/desktop/protocol.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace desktop_test {

Peer::Peer(const std::string& cls, const std::string& title,
           const std::vector<std::string>& options)
    : process([&] {
          std::vector<std::string> argv{DESK_PEER, cls, title};
          argv.insert(argv.end(), options.begin(), options.end());
          return argv;
      }()) {
    auto line = process.next_line();
    unsigned long t = 0, c = 0;
    if (line && std::sscanf(line->c_str(), "ready %lx %lx", &t, &c) == 2) {
        top = reinterpret_cast<HWND>(static_cast<uintptr_t>(t));
        child = reinterpret_cast<HWND>(static_cast<uintptr_t>(c));
    }
}

std::optional<std::vector<long long>> Peer::next_message(int timeout_ms) {
    auto line = process.next_line(timeout_ms);
    long long m = 0, w = 0, l = 0;
    if (!line || std::sscanf(line->c_str(), "msg %lld %lld %lld", &m, &w, &l) != 3)
        return std::nullopt;
    return std::vector<long long>{m, w, l};
}

void DesktopTest::SetUp() {
    root_ = std::make_unique<testing_support::TempDir>();
    runtime_ = std::make_unique<testing_support::TempDir>();
    setenv("RADIODECK_ROOT", root_->path().c_str(), 1);
    setenv("XDG_RUNTIME_DIR", runtime_->path().c_str(), 1);
}

void DesktopTest::TearDown() {
    unsetenv("XDG_RUNTIME_DIR");
    unsetenv("RADIODECK_ROOT");
    runtime_.reset();
    root_.reset();
}

Outcome DesktopTest::deskctl(const std::vector<std::string>& args) {
    std::vector<std::string> argv{DESKCTL};
    argv.insert(argv.end(), args.begin(), args.end());
    return testing_support::run_program(argv);
}

RawSocket::RawSocket(HWND window) {
    auto path = platform::desktop_socket_of(window);
    if (!path || path->native().size() >= sizeof addr_.sun_path)
        return;
    addr_.sun_family = AF_UNIX;
    std::memcpy(addr_.sun_path, path->c_str(), path->native().size());
    queue_ = path->native() + ".queue";
    ok_ = true;
}

namespace {

// Appends the bytes as they are to a queue file and wakes its owner, as a stranger with
// access to the file could; no check of its own. The file's owner-only mode is the lock.
bool append_raw(const std::string& queue, const sockaddr_un& addr, const void* data) {
    using namespace platform::desktop_wire;
    int fd = open(queue.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    flock(fd, LOCK_EX);
    QueueHeader h{};
    bool ok = pread(fd, &h, sizeof h, 0) == sizeof h && h.tail - h.head < kQueueCapacity;
    if (ok) {
        off_t at = static_cast<off_t>(sizeof h + (h.tail % kQueueCapacity) * kEntryBytes);
        uint64_t tail = h.tail + 1;
        ok = pwrite(fd, data, kEntryBytes, at) == static_cast<ssize_t>(kEntryBytes) &&
             pwrite(fd, &tail, sizeof tail, offsetof(QueueHeader, tail)) == sizeof tail;
    }
    flock(fd, LOCK_UN);
    close(fd);
    int wake = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sendto(wake, "", 0, MSG_DONTWAIT, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    close(wake);
    return ok;
}

} // namespace

bool RawSocket::send(const void* data) const {
    return append_raw(queue_, addr_, data);
}

bool RawSocket::damage_header() const {
    int fd = open(queue_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    uint64_t tail = uint64_t{1} << 40; // far more waiting than the ring holds
    bool ok = pwrite(fd, &tail, sizeof tail, offsetof(platform::desktop_wire::QueueHeader, tail)) ==
              sizeof tail;
    close(fd);
    int wake = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sendto(wake, "", 0, MSG_DONTWAIT, reinterpret_cast<const sockaddr*>(&addr_), sizeof addr_);
    close(wake);
    return ok;
}

bool RawSocket::send_as_other_user(const void* data) const {
    pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(3);
        _exit(append_raw(queue_, addr_, data) ? 0 : 6);
    }
    int status = 0;
    waitpid(child, &status, 0);
    int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    EXPECT_TRUE(code == 6 || code == 3) << "the other user's post was not refused: " << code;
    return code == 6;
}

std::string hex_handle(HWND h) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08lx",
                  static_cast<unsigned long>(reinterpret_cast<uintptr_t>(h)));
    return buf;
}

} // namespace desktop_test
