#include "machine/peer_life/peer_life.h"

#include "platform/kernel/machine.h"
#include "platform/kernel/wait.h"

#include <windows.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace machine {

namespace {

struct RootWatch {
    int fd = -1;
    int self = -1;   // the machine root
    int parent = -1; // the folder that holds it
    std::string name;
};

// Empties a non-blocking descriptor so that poll() does not report it again.
void drain(int fd) {
    char buffer[4096];
    while (read(fd, buffer, sizeof buffer) > 0) {
    }
}

// Whether the events read from the watch say that the machine root went.
bool root_went(const RootWatch& watch) {
    alignas(inotify_event) char buffer[4096];
    bool went = false;
    ssize_t n;
    while ((n = read(watch.fd, buffer, sizeof buffer)) > 0) {
        for (char* p = buffer; p < buffer + n;) {
            auto* event = reinterpret_cast<inotify_event*>(p);
            if (event->wd == watch.self)
                went = true;
            else if (event->wd == watch.parent && event->len > 0 && watch.name == event->name)
                went = true;
            p += sizeof(inotify_event) + event->len;
        }
    }
    return went;
}

} // namespace

bool end_with_machine(const char* program) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    // Delivered as readable data in the one wait instead of interrupting it.
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    int signal_fd = signalfd(-1, &signals, SFD_NONBLOCK | SFD_CLOEXEC);

    // The root's own deletion is reported only once nothing holds it open, and the desktop
    // keeps files there; its removal from the folder that holds it is reported at once.
    std::error_code ec;
    std::filesystem::path root =
        std::filesystem::absolute(platform::machine_root(), ec).lexically_normal();
    if (!root.has_filename())
        root = root.parent_path();
    RootWatch watch;
    watch.name = root.filename().string();
    watch.fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch.fd >= 0) {
        watch.self = inotify_add_watch(watch.fd, root.c_str(), IN_DELETE_SELF | IN_MOVE_SELF);
        watch.parent = inotify_add_watch(watch.fd, root.parent_path().c_str(),
                                         IN_DELETE | IN_MOVED_FROM | IN_ONLYDIR);
    }
    if (signal_fd < 0 || watch.fd < 0 || watch.self < 0 || watch.parent < 0) {
        std::fprintf(stderr, "%s: cannot watch the machine root %s: %s\n", program, root.c_str(),
                     std::strerror(errno));
        if (signal_fd >= 0)
            close(signal_fd);
        if (watch.fd >= 0)
            close(watch.fd);
        sigprocmask(SIG_UNBLOCK, &signals, nullptr);
        return false;
    }
    platform::add_wait_fd(signal_fd, POLLIN, [signal_fd](short) {
        drain(signal_fd);
        PostQuitMessage(0);
    });
    platform::add_wait_fd(watch.fd, POLLIN, [watch](short) {
        if (root_went(watch))
            PostQuitMessage(0);
    });
    return true;
}

} // namespace machine
