// What the process benchmarks share: finding a window of the desktop and waiting until a
// condition about the machine holds.
#pragma once

#include "platform/desktop/desktop.h"
#include "platform/kernel/machine.h"
#include "tests/support/process_wait.h"

#include <functional>
#include <optional>

namespace bench {

inline std::optional<platform::DesktopWindow> find_top(const char* cls, const char* title) {
    for (const platform::DesktopWindow& w : platform::desktop_top_level())
        if (w.class_name == cls && w.title == title)
            return w;
    return std::nullopt;
}

// Re-checks `done` at every change of the desktop and of the machine root.
inline bool wait_for(const std::function<bool()>& done, int seconds = 20) {
    std::vector<std::filesystem::path> dirs{platform::machine_root()};
    if (auto change = platform::desktop_change_file())
        dirs.push_back(change->parent_path());
    return testing_support::wait_in_dirs(dirs, done, std::chrono::seconds(seconds));
}

// Waits until the console of the program started as `pid` has ended its start-up: titled,
// hidden by its timer, and the process idle.
inline bool wait_console_settled(pid_t pid, int seconds = 20) {
    return wait_for(
               [] {
                   auto w = find_top("#32770", "Radiodeck");
                   return w && !(w->style & WS_VISIBLE);
               },
               seconds) &&
           testing_support::wait_idle(pid, std::chrono::seconds(seconds));
}

} // namespace bench
