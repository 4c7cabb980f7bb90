// What the process benchmarks share: finding a window of the desktop and waiting until a
// condition about the machine holds.
#pragma once

#include "machine/notebookctl/notebook_setup.h"
#include "platform/desktop/desktop.h"
#include "platform/kernel/machine.h"
#include "tests/support/process_wait.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <spawn.h>
#include <string>

extern char** environ;

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

// Starts a program of BIN_DIR with the machine root of this process; -1 when it cannot.
inline pid_t spawn(const std::string& program) {
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    pid_t pid = -1;
    return posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) == 0 ? pid : -1;
}

// A fresh notebook of the default profile in a temporary machine root that this process
// then uses; its path, or nothing (with the reason on stderr).
inline std::optional<std::filesystem::path> temporary_notebook() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "radiodeck-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return std::nullopt;
    }
    setenv("RADIODECK_ROOT", pattern.c_str(), 1);
    if (machine::init_notebook({}) != ERROR_SUCCESS) {
        std::fprintf(stderr, "cannot set up the notebook in %s\n", pattern.c_str());
        return std::nullopt;
    }
    return pattern;
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
