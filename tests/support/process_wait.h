// Bounded waits for what another process does: a change in the file system, or its end, which
// block in the kernel (inotify, pidfd) until something happens or the limit passes; and its
// going idle, which only /proc shows.
#pragma once

#include <cerrno>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

// Waits until `done()` holds, re-checking whenever something changes in one of `dirs`.
inline bool wait_in_dirs(const std::vector<std::filesystem::path>& dirs,
                         const std::function<bool()>& done,
                         std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    int fd = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (fd < 0)
        return done();
    for (const std::filesystem::path& dir : dirs)
        inotify_add_watch(fd, dir.c_str(),
                          IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_DELETE |
                              IN_ATTRIB | IN_DELETE_SELF);
    auto end = std::chrono::steady_clock::now() + limit;
    bool ok = false;
    for (;;) {
        if (done()) {
            ok = true;
            break;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) > 0) {
            char buffer[4096];
            while (read(fd, buffer, sizeof buffer) > 0) {
            }
        }
    }
    close(fd);
    return ok;
}

// Waits until `done()` holds, re-checking whenever something changes in `dir`.
inline bool wait_in_dir(const std::filesystem::path& dir, const std::function<bool()>& done,
                        std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    return wait_in_dirs({dir}, done, limit);
}

// Waits for a child process to end and reaps it; its exit status, or -1 when it did not end
// within the limit.
inline int wait_for_exit(pid_t pid, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (fd >= 0) {
        pollfd p{fd, POLLIN, 0};
        int ready = poll(&p, 1, static_cast<int>(limit.count()));
        close(fd);
        if (ready <= 0)
            return -1;
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return -1;
    return status;
}

// Waits for any process, a child or not, to end (a process that is not a child is not reaped
// here). False when it still runs after the limit.
inline bool wait_gone(pid_t pid, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (fd < 0)
        return errno == ESRCH;
    pollfd p{fd, POLLIN, 0};
    int ready = poll(&p, 1, static_cast<int>(limit.count()));
    close(fd);
    return ready > 0;
}

// Whether the process's main thread is blocked waiting for input with no deadline: a program
// of the platform in its message loop with no timer left, having done all it was given.
inline bool is_idle(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/syscall");
    long number = -1;
    unsigned long fds = 0, count = 0, timeout = 0;
    if (!(in >> number >> std::hex >> fds >> count >> timeout))
        return false;
#ifdef SYS_poll
    if (number == SYS_poll)
        return static_cast<int>(timeout) < 0;
#endif
    return number == SYS_ppoll && timeout == 0;
}

// Waits until the process is idle. The kernel tells nobody when a process goes to sleep, so
// this looks again every millisecond; it is for settling a start-up before a test acts.
inline bool wait_idle(pid_t pid, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (!is_idle(pid)) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace testing_support
