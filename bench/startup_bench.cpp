// The program's start-up and its idle life, on a simulated notebook of its own with the
// hotkey service and the on-screen display present:
//   - the time from starting the process to the end of its start-up: the console titled,
//     hidden by its timer, and the process idle (median);
//   - the resident memory of the running program afterwards;
//   - the system calls the idle program makes over ten seconds (the goal is none).
// Usage: bench_startup BIN_DIR [RUNS]   (BIN_DIR holds radiodeck, keywatch, notebookctl)
#include "bench/bench_support.h"
#include "platform/desktop/desktop.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using bench::find_top;
using bench::spawn;
using bench::wait_for;

using Clock = std::chrono::steady_clock;

long status_field(pid_t pid, const char* key) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0)
            return std::strtol(line.c_str() + std::string(key).size(), nullptr, 10);
    return -1;
}

void end_console(pid_t pid) {
    if (auto w = find_top("#32770", "Radiodeck"))
        PostMessageA(w->handle, WM_COMMAND, 32771, 0); // the tray's Exit
    if (testing_support::wait_for_exit(pid, std::chrono::seconds(2)) == -1) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_startup BIN_DIR [RUNS]\n");
        return 2;
    }
    std::string bin = argv[1];
    int runs = argc > 2 ? std::atoi(argv[2]) : 20;
    auto notebook = bench::temporary_notebook();
    if (!notebook)
        return 1;
    const std::filesystem::path& root = *notebook;
    pid_t keywatch = spawn(bin + "/keywatch");
    wait_for([] { return find_top("KEYWATCH", "KEYWATCH").has_value(); }, 10);

    std::vector<double> times;
    pid_t last = -1;
    for (int i = 0; i < runs; ++i) {
        auto start = Clock::now();
        pid_t pid = spawn(bin + "/radiodeck");
        if (pid < 0 || !bench::wait_console_settled(pid, 30)) {
            std::fprintf(stderr, "the console did not come up in run %d\n", i + 1);
            return 1;
        }
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (i + 1 < runs)
            end_console(pid);
        else
            last = pid;
    }
    std::sort(times.begin(), times.end());
    std::printf("start to settled console: median %.1f ms (min %.1f, max %.1f, %d runs)\n",
                times[times.size() / 2], times.front(), times.back(), runs);
    std::printf("resident memory after start: %ld kB\n", status_field(last, "VmRSS:"));

    long switches_before = status_field(last, "voluntary_ctxt_switches:") +
                           status_field(last, "nonvoluntary_ctxt_switches:");
    bool strace = std::system("command -v strace >/dev/null 2>&1") == 0;
    if (strace) {
        std::string cmd = "timeout -s INT 10 strace -c -f -p " + std::to_string(last) + " -o " +
                          (root / "strace.txt").string() + " >/dev/null 2>&1";
        (void)!std::system(cmd.c_str());
        std::ifstream in(root / "strace.txt");
        std::string line, total = "0";
        while (std::getline(in, line))
            if (line.find("total") != std::string::npos) {
                char buf[64] = "";
                std::sscanf(line.c_str(), "%*s %*s %*s %63s", buf);
                total = buf;
            }
        std::printf("system calls while idle for 10 s: %s (strace)\n", total.c_str());
    } else {
        sleep(10);
    }
    long switches_after = status_field(last, "voluntary_ctxt_switches:") +
                          status_field(last, "nonvoluntary_ctxt_switches:");
    std::printf("context switches while idle for 10 s: %ld%s\n", switches_after - switches_before,
                strace ? " (strace attaching counts a few)" : "");

    end_console(last);
    kill(keywatch, SIGTERM);
    waitpid(keywatch, nullptr, 0);
    if (auto osd = find_top("ZEBOSD", "ZEBOSD"))
        kill(static_cast<pid_t>(osd->pid), SIGTERM);
    std::filesystem::remove_all(root);
    return 0;
}
