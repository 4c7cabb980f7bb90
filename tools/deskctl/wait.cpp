// deskctl wait WINDOW [--visible|--hidden|--gone] [--timeout SECONDS]: blocks until the
// window appears, shows, hides or goes. It sleeps in poll() on the desktop's change file
// (inotify) and on the window's process (a pidfd, for a process that dies without a word),
// and looks again after each wake-up; it never polls on a timer of its own.
#include "deskctl.h"

#include "platform/desktop/desktop.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace deskctl {

namespace {

enum class Want { appear, visible, hidden, gone };

// The window now, or nothing when it does not exist.
std::optional<platform::DesktopWindow> look(const WindowSpec& spec) {
    HWND h = resolve_window(spec);
    return h ? platform::desktop_window(h) : std::nullopt;
}

bool satisfied(Want want, const std::optional<platform::DesktopWindow>& w) {
    switch (want) {
    case Want::appear:
        return w.has_value();
    case Want::visible:
        return w && (w->style & WS_VISIBLE);
    case Want::hidden:
        return w && !(w->style & WS_VISIBLE);
    case Want::gone:
        return !w;
    }
    return false;
}

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    void reset(int fd = -1) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

int run_wait(const Args& args) {
    std::optional<WindowSpec> spec;
    Want want = Want::appear;
    double timeout = 10.0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--visible")
            want = Want::visible;
        else if (a == "--hidden")
            want = Want::hidden;
        else if (a == "--gone")
            want = Want::gone;
        else if (a == "--timeout" && i + 1 < args.size()) {
            char* end = nullptr;
            timeout = std::strtod(args[++i].c_str(), &end);
            if (!end || *end || !std::isfinite(timeout) || timeout < 0)
                return fail(kExitUsage, "wait: bad timeout: " + args[i]);
        } else if (!spec && a.rfind("--", 0) != 0) {
            spec = parse_window(a);
            if (!spec)
                return fail(kExitUsage, "wait: bad window: " + a);
        } else {
            return fail(kExitUsage, "wait: unexpected argument " + a);
        }
    }
    if (!spec)
        return fail(kExitUsage, "wait: expected WINDOW");
    auto change_file = platform::desktop_change_file();
    if (!change_file)
        return fail(kExitFailed, "the desktop of this machine root cannot be used");

    // Watch first, then look: a change between the two still wakes the poll.
    Fd notify(inotify_init1(IN_CLOEXEC | IN_NONBLOCK));
    if (notify.get() < 0 || inotify_add_watch(notify.get(), change_file->c_str(), IN_MODIFY) < 0)
        return fail(kExitFailed, "wait: cannot watch " + change_file->string());
    Fd process;
    DWORD watched_pid = 0;
    auto deadline = std::chrono::steady_clock::now() +
                    std::chrono::milliseconds(static_cast<long long>(timeout * 1000.0));
    for (;;) {
        auto w = look(*spec);
        if (satisfied(want, w))
            return kExitOk;
        if (w && w->pid != watched_pid) {
            process.reset(static_cast<int>(::syscall(SYS_pidfd_open, w->pid, 0)));
            watched_pid = w->pid;
            continue; // the process may have ended just before its pidfd was taken
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return fail(kExitFailed, "wait: timed out");
        pollfd fds[2] = {{notify.get(), POLLIN, 0}, {process.get(), POLLIN, 0}};
        int n = ::poll(fds, process.get() >= 0 ? 2 : 1, static_cast<int>(left.count()));
        if (n > 0 && (fds[0].revents & POLLIN)) {
            char events[4096];
            while (::read(notify.get(), events, sizeof events) > 0) {
            }
        }
        if (n > 0 && process.get() >= 0 && fds[1].revents) {
            process.reset(); // it ended: the next look finds its windows gone
            watched_pid = 0;
        }
    }
}

} // namespace deskctl
