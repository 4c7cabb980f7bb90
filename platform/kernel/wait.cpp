#include "wait.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <vector>

namespace platform {

namespace {

struct Source {
    int id;
    WaitSource source;
};

struct WaitState {
    std::vector<Source> sources;
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

std::optional<Millis> earlier(std::optional<Millis> a, std::optional<Millis> b) {
    if (!a)
        return b;
    if (!b)
        return a;
    return std::min(*a, *b);
}

// One source's part of a turn, taken before poll().
struct Turn {
    int id;
    int fd;
    WaitPrepare want;
};

// Runs the dispatch step of each chosen source that is still registered. A dispatch may add
// or remove sources, so each is looked up again by id.
void dispatch(const std::vector<std::pair<int, short>>& chosen) {
    for (auto [id, revents] : chosen) {
        for (const Source& s : g_state.sources) {
            if (s.id == id) {
                auto step = s.source.dispatch; // the source may remove itself
                if (step)
                    step(revents);
                break;
            }
        }
    }
}

} // namespace

int add_wait_source(WaitSource source) {
    int id = g_state.next_id++;
    g_state.sources.push_back({id, std::move(source)});
    return id;
}

void remove_wait_source(int source_id) {
    std::erase_if(g_state.sources, [source_id](const Source& s) { return s.id == source_id; });
}

int add_wait_fd(int fd, short events, FdHandler handler) {
    return add_wait_source({fd,
                            [events] {
                                return WaitPrepare{events, std::nullopt, false};
                            },
                            std::move(handler)});
}

void remove_wait_fd(int watch_id) {
    remove_wait_source(watch_id);
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

        // Prepare: every source says what it waits for, or that it is ready now.
        std::vector<Turn> turns;
        turns.reserve(g_state.sources.size());
        for (const Source& s : g_state.sources)
            turns.push_back(
                {s.id, s.source.fd, s.source.prepare ? s.source.prepare() : WaitPrepare{}});
        std::vector<std::pair<int, short>> chosen;
        std::optional<Millis> sources_due;
        for (const Turn& t : turns) {
            if (t.want.ready || (t.want.deadline && *t.want.deadline <= now))
                chosen.emplace_back(t.id, 0);
            sources_due = earlier(sources_due, t.want.deadline);
        }
        if (!chosen.empty()) {
            dispatch(chosen);
            return true;
        }

        std::vector<pollfd> fds;
        std::vector<int> fd_owner;
        for (const Turn& t : turns) {
            if (t.fd >= 0 && t.want.events != 0) {
                fds.push_back({t.fd, t.want.events, 0});
                fd_owner.push_back(t.id);
            }
        }
        std::optional<Millis> until = earlier(deadline, sources_due);
        int timeout = poll_timeout(until, now);
        if (c.is_virtual() && until)
            timeout = 0; // a virtual deadline is reached by jumping, not by sleeping
        if (c.is_virtual() && !until && fds.empty()) {
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
            for (size_t i = 0; i < fds.size(); ++i)
                if (fds[i].revents != 0)
                    chosen.emplace_back(fd_owner[i], fds[i].revents);
            dispatch(chosen);
            return true;
        }
        if (c.is_virtual())
            c.advance_to(*until);
        // Whichever deadline has come: a source's is dispatched, the caller's ends the wait
        // at the top of the loop.
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
