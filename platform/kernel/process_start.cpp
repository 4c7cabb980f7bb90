#include "process_start.h"

#include "machine.h"
#include "trace.h"

#include <windows.h>

#include <string>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

struct Hooks {
    std::vector<ProcessStartHook> hooks;
    pid_t pid = 0;
    std::string root;
};

// Built on first use: registrations come from static initializers of other libraries.
Hooks& hooks() {
    static Hooks h;
    return h;
}

} // namespace

void add_process_start_hook(ProcessStartHook hook) {
    hooks().hooks.push_back(std::move(hook));
}

void run_process_start_hooks() {
    Hooks& h = hooks();
    std::string root = machine_root().string();
    if (h.pid == static_cast<pid_t>(GetCurrentProcessId()) && h.root == root)
        return;
    h.pid = static_cast<pid_t>(GetCurrentProcessId());
    h.root = std::move(root);
    trace(TraceChannel::kernel, "process start on %s: %zu hooks", h.root.c_str(), h.hooks.size());
    for (const ProcessStartHook& hook : h.hooks)
        hook();
}

} // namespace platform
