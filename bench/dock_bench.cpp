// The tray icon on a real panel: under Xvfb with trayer as the XEmbed tray host,
//   - the time from starting the program to its icon embedded in the panel (median);
//   - the resident and private memory of the idle program;
//   - its wake-ups (context switches) over ten idle seconds (the goal is none).
// `--compare CMD` runs another tray program (nm-applet, blueman-applet...) through the same
// harness in the same run, so the figures stand side by side.
// Usage: bench_dock BIN_DIR [RUNS] [--compare CMD]
#include "bench/bench_support.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

pid_t start(const std::vector<std::string>& argv, int keep_fd = -1) {
    pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        if (keep_fd < 0) {
            int null = open("/dev/null", O_WRONLY);
            dup2(null, 2);
        }
        execvp(args[0], args.data());
        _exit(127);
    }
    return pid;
}

void stop(pid_t pid) {
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    if (testing_support::wait_for_exit(pid, std::chrono::seconds(3)) == -1) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

long proc_field(const std::string& file, pid_t pid, const char* key) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + file);
    std::string line;
    long sum = 0;
    bool found = false;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0) {
            sum += std::strtol(line.c_str() + line.find(':') + 1, nullptr, 10);
            found = true;
        }
    return found ? sum : -1;
}

long wakeups(pid_t pid) {
    return proc_field("status", pid, "voluntary_ctxt_switches:") +
           proc_field("status", pid, "nonvoluntary_ctxt_switches:");
}

bool has_xembed_info(Display* dpy, Window w) {
    Atom info = XInternAtom(dpy, "_XEMBED_INFO", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool found = XGetWindowProperty(dpy, w, info, 0, 2, False, AnyPropertyType, &type, &format,
                                    &count, &after, &data) == Success &&
                 data;
    if (data)
        XFree(data);
    return found;
}

// Starts `argv` and waits for a window with _XEMBED_INFO to be embedded (reparented away from
// the root): the panel has the icon. The milliseconds it took, or -1.
double time_to_dock(Display* dpy, const std::vector<std::string>& argv, pid_t& pid) {
    XSelectInput(dpy, DefaultRootWindow(dpy), SubstructureNotifyMask);
    XSync(dpy, True);
    auto begin = Clock::now();
    pid = start(argv);
    auto limit = begin + std::chrono::seconds(20);
    while (Clock::now() < limit) {
        while (XPending(dpy)) {
            XEvent e;
            XNextEvent(dpy, &e);
            if (e.type == ReparentNotify && e.xreparent.parent != DefaultRootWindow(dpy) &&
                has_xembed_info(dpy, e.xreparent.window)) {
                XSelectInput(dpy, DefaultRootWindow(dpy), NoEventMask);
                return std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
            }
        }
        pollfd p{ConnectionNumber(dpy), POLLIN, 0};
        poll(&p, 1, 1000);
    }
    return -1;
}

struct Figures {
    double median_ms = -1, min_ms = -1;
    long rss_kb = -1, private_kb = -1, wakeups = -1;
};

// Docks `argv` `runs` times; the last run stays for the idle figures.
Figures measure(Display* dpy, const std::vector<std::string>& argv, int runs) {
    Figures f;
    std::vector<double> times;
    pid_t pid = -1;
    for (int i = 0; i < runs; ++i) {
        double ms = time_to_dock(dpy, argv, pid);
        if (ms < 0) {
            std::fprintf(stderr, "%s: no icon docked\n", argv[0].c_str());
            stop(pid);
            return f;
        }
        times.push_back(ms);
        if (i + 1 < runs)
            stop(pid);
    }
    std::sort(times.begin(), times.end());
    f.median_ms = times[times.size() / 2];
    f.min_ms = times.front();
    testing_support::wait_idle(pid, std::chrono::seconds(10));
    f.rss_kb = proc_field("status", pid, "VmRSS:");
    f.private_kb = proc_field("smaps_rollup", pid, "Private_");
    long before = wakeups(pid);
    sleep(10); // the idle life being measured, not a wait for something
    f.wakeups = wakeups(pid) - before;
    stop(pid);
    return f;
}

void print(const char* who, const Figures& f) {
    std::printf("%-14s start to docked: median %.1f ms (min %.1f); resident %ld kB, private %ld "
                "kB; wake-ups in 10 s idle: %ld\n",
                who, f.median_ms, f.min_ms, f.rss_kb, f.private_kb, f.wakeups);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_dock BIN_DIR [RUNS] [--compare CMD]\n");
        return 2;
    }
    std::string bin = argv[1];
    int runs = 10;
    std::string compare;
    for (int i = 2; i < argc; ++i) {
        if (std::string(argv[i]) == "--compare" && i + 1 < argc)
            compare = argv[++i];
        else
            runs = std::max(1, std::atoi(argv[i]));
    }
    auto notebook = bench::temporary_notebook();
    if (!notebook)
        return 1;

    int fds[2];
    if (pipe(fds) != 0)
        return 1;
    pid_t xvfb = start({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24",
                        "-nolisten", "tcp"},
                       fds[1]);
    close(fds[1]);
    std::string number;
    char c;
    pollfd p{fds[0], POLLIN, 0};
    while (poll(&p, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    Display* dpy = number.empty() ? nullptr : XOpenDisplay((":" + number).c_str());
    if (!dpy) {
        std::fprintf(stderr, "Xvfb did not start\n");
        stop(xvfb);
        return 1;
    }
    setenv("DISPLAY", (":" + number).c_str(), 1);
    setenv("RADIODECK_DISPLAY", "x11", 1);
    unsetenv("DBUS_SESSION_BUS_ADDRESS"); // XEmbed only: no status notifier host here
    pid_t tray = start({"trayer", "--edge", "bottom", "--align", "right", "--height", "24",
                        "--widthtype", "request"});
    Atom selection = XInternAtom(dpy, "_NET_SYSTEM_TRAY_S0", False);
    for (int i = 0; i < 2000 && !XGetSelectionOwner(dpy, selection); ++i)
        usleep(5000); // the host's start-up, before anything is measured
    pid_t keywatch = bench::spawn(bin + "/keywatch");

    std::printf("Xvfb %s, trayer as the tray host, %d runs each\n", getenv("DISPLAY"), runs);
    print("radiodeck", measure(dpy, {bin + "/radiodeck"}, runs));
    if (!compare.empty())
        print(compare.substr(0, compare.find(' ')).c_str(),
              measure(dpy, {"sh", "-c", "exec " + compare}, runs));

    stop(keywatch);
    if (auto osd = bench::find_top("ZEBOSD", "ZEBOSD"))
        kill(static_cast<pid_t>(osd->pid), SIGTERM);
    stop(tray);
    XCloseDisplay(dpy);
    stop(xvfb);
    std::filesystem::remove_all(*notebook);
    return 0;
}
