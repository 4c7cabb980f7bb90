#include "wait.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <vector>

namespace platform {

namespace {

struct Watch {
    int id;
    int fd;
    short events;
    FdHandler handler;
};

struct WaitState {
    std::vector<Watch> watches;
    std::vector<std::pair<int, FlushHook>> flush;
    int next_id = 1;
    IdleHook idle;
};

thread_local WaitState g_state;

int poll_timeout(std::optional<Millis> deadline, Millis now) {
    if (!deadline)
        return -1;
    if (*deadline <= now)
        return 0;
    Millis left = *deadline - now;
    return left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

} // namespace

int add_wait_fd(int fd, short events, FdHandler handler) {
    int id = g_state.next_id++;
    g_state.watches.push_back({id, fd, events, std::move(handler)});
    return id;
}

void remove_wait_fd(int watch_id) {
    auto& w = g_state.watches;
    for (auto it = w.begin(); it != w.end(); ++it) {
        if (it->id == watch_id) {
            w.erase(it);
            return;
        }
    }
}

int add_flush_hook(FlushHook hook) {
    int id = g_state.next_id++;
    g_state.flush.emplace_back(id, std::move(hook));
    return id;
}

void remove_flush_hook(int hook_id) {
    std::erase_if(g_state.flush, [hook_id](const auto& h) { return h.first == hook_id; });
}

void run_flush_hooks() {
    // A hook may add or remove hooks: run a copy.
    auto hooks = g_state.flush;
    for (auto& [id, hook] : hooks)
        hook();
}

bool wait_events(std::optional<Millis> deadline) {
    run_flush_hooks();
    Clock& c = clock();
    // Something scheduled on a virtual clock happens before the thread would wait past it.
    if (auto next = c.next_scheduled(); next && (!deadline || *next < *deadline)) {
        if (*next <= c.now())
            c.advance_to(c.now());
        else
            c.advance_to(*next);
        return false;
    }
    for (;;) {
        Millis now = c.now();
        if (deadline && *deadline <= now)
            return false;
        std::vector<pollfd> fds;
        fds.reserve(g_state.watches.size());
        for (const Watch& w : g_state.watches)
            fds.push_back({w.fd, w.events, 0});
        int timeout = poll_timeout(deadline, now);
        if (c.is_virtual() && deadline)
            timeout = 0; // a virtual deadline is reached by jumping, not by sleeping
        if (c.is_virtual() && !deadline && fds.empty()) {
            std::fprintf(stderr, "platform: the thread waits for nothing that can ever come\n");
            std::abort();
        }
        int n = poll(fds.data(), fds.size(), timeout);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n > 0) {
            // Handlers may add or remove watches: collect first, then run.
            std::vector<std::pair<int, short>> ready;
            for (size_t i = 0; i < fds.size(); ++i) {
                if (fds[i].revents != 0)
                    ready.emplace_back(g_state.watches[i].id, fds[i].revents);
            }
            for (auto [id, revents] : ready) {
                for (const Watch& w : g_state.watches) {
                    if (w.id == id) {
                        FdHandler handler = w.handler;
                        handler(revents);
                        break;
                    }
                }
            }
            return true;
        }
        if (c.is_virtual()) {
            c.advance_to(*deadline);
            return false;
        }
    }
}

IdleHook set_idle_hook(IdleHook hook) {
    IdleHook previous = std::move(g_state.idle);
    g_state.idle = std::move(hook);
    return previous;
}

bool run_idle_hook() {
    if (!g_state.idle)
        return false;
    IdleHook hook = g_state.idle; // the hook may replace itself
    return hook();
}

} // namespace platform
