// Bounded waits for what another process does: a change in the file system, or its end. Both
// block in the kernel (inotify, pidfd) until something happens or the limit passes; nothing
// sleeps or polls on a timer.
#pragma once

#include <cerrno>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
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

} // namespace testing_support
