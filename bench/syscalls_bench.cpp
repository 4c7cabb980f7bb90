// The system calls of the program's start-up, from exec to the idle wait: `strace -c -f` on a
// real radiodeck of a fresh notebook, with the hotkey service and the on-screen display
// already running, so the figure is the console's own. Prints the median total of the runs
// and the calls of the median run, most frequent first.
// Usage: bench_startup_syscalls BIN_DIR [RUNS]   (needs strace)
#include "bench/bench_support.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

using bench::find_top;
using bench::wait_for;

struct Count {
    std::string name;
    long calls = 0;
};

struct Run {
    long total = 0;
    std::vector<Count> calls;
};

// The table `strace -c` writes: "% time seconds usecs/call calls [errors] syscall".
Run read_summary(const std::filesystem::path& file) {
    Run run;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::vector<std::string> f;
        for (std::string s; fields >> s;)
            f.push_back(s);
        if (f.size() < 5 || f[0].find_first_not_of("0123456789.") != std::string::npos)
            continue;
        Count c{f.back(), std::strtol(f[3].c_str(), nullptr, 10)};
        if (c.name == "total")
            run.total = c.calls;
        else
            run.calls.push_back(c);
    }
    std::sort(run.calls.begin(), run.calls.end(),
              [](const Count& a, const Count& b) { return a.calls > b.calls; });
    return run;
}

std::optional<Run> traced_start(const std::string& bin, const std::filesystem::path& out) {
    std::string program = bin + "/radiodeck";
    std::string file = out.string();
    // -I2: strace then takes SIGINT as the order to detach and write its table.
    const char* argv[] = {"strace",        "-c",   "-f", "-I2", "-o", file.c_str(),
                          program.c_str(), nullptr};
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT); // whatever the shell that started the benchmark ignored
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);
    pid_t tracer = -1;
    int spawned =
        posix_spawnp(&tracer, "strace", nullptr, &attr, const_cast<char**>(argv), environ);
    posix_spawnattr_destroy(&attr);
    if (spawned != 0)
        return std::nullopt;
    std::optional<platform::DesktopWindow> console;
    bool up = wait_for([&] { return (console = find_top("#32770", "Radiodeck")).has_value(); });
    bool settled = up && bench::wait_console_settled(static_cast<pid_t>(console->pid), 30);
    kill(tracer, SIGINT); // strace detaches and writes its table
    waitpid(tracer, nullptr, 0);
    if (console)
        PostMessageA(console->handle, WM_COMMAND, 32771, 0); // the tray's Exit
    if (console &&
        !bench::wait_for([&] { return !platform::desktop_window(console->handle).has_value(); }, 5))
        kill(static_cast<pid_t>(console->pid), SIGKILL);
    if (!settled)
        return std::nullopt;
    return read_summary(out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_startup_syscalls BIN_DIR [RUNS]\n");
        return 2;
    }
    if (std::system("command -v strace >/dev/null 2>&1") != 0) {
        std::fprintf(stderr, "bench_startup_syscalls: strace is not installed\n");
        return 1;
    }
    std::string bin = argv[1];
    int runs = std::max(1, argc > 2 ? std::atoi(argv[2]) : 5);
    auto notebook = bench::temporary_notebook();
    if (!notebook)
        return 1;
    const std::filesystem::path& root = *notebook;
    std::vector<pid_t> peers{bench::spawn(bin + "/keywatch"), bench::spawn(bin + "/zebosd")};
    wait_for([] {
        return find_top("KEYWATCH", "KEYWATCH").has_value() &&
               find_top("ZEBOSD", "ZEBOSD").has_value();
    });

    std::vector<Run> results;
    for (int i = 0; i < runs; ++i) {
        auto run = traced_start(bin, root / "strace.txt");
        if (!run) {
            std::fprintf(stderr, "the console did not settle under strace in run %d\n", i + 1);
            break;
        }
        results.push_back(*run);
    }
    for (pid_t p : peers) {
        kill(p, SIGTERM);
        waitpid(p, nullptr, 0);
    }
    std::filesystem::remove_all(root);
    if (results.empty())
        return 1;
    std::sort(results.begin(), results.end(),
              [](const Run& a, const Run& b) { return a.total < b.total; });
    const Run& median = results[results.size() / 2];
    std::printf("system calls from exec to the idle wait: median %ld (min %ld, max %ld, %zu "
                "runs)\n",
                median.total, results.front().total, results.back().total, results.size());
    for (const Count& c : median.calls)
        std::printf("  %7ld %s\n", c.calls, c.name.c_str());
    return 0;
}
