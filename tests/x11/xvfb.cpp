// The tests' own X server and the probe that reads what the program shows.
#include <gtest/gtest.h> // before Xlib, whose macros (None, Bool) collide with its names

#include "xvfb.h"

#include "platform/drivers/display.h"
#include "platform/drivers/x11_display.h"
#include "platform/kernel/wait.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <windows.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {

namespace {

// Reads one line that a starting server writes to a pipe once it serves.
std::string first_line(int fd) {
    std::string line;
    pollfd p{fd, POLLIN, 0};
    char c;
    while (poll(&p, 1, 10000) > 0 && read(fd, &c, 1) == 1 && c != '\n')
        line += c;
    close(fd);
    return line;
}

// Runs the messages posted so far, as the message loop would.
void run_messages() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&m);
}

pid_t start(const std::vector<std::string>& argv, const std::string& display, int keep_fd,
            int out_fd = -1) {
    pid_t pid = fork();
    if (pid == 0) {
        if (out_fd >= 0)
            dup2(out_fd, 1);
        if (!display.empty())
            setenv("DISPLAY", display.c_str(), 1);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        for (int fd = 3; fd < 256; ++fd)
            if (fd != keep_fd)
                close(fd);
        execvp(args[0], args.data());
        _exit(127);
    }
    return pid;
}

void stop_process(pid_t& pid) {
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    pid = -1;
}

} // namespace

Xvfb::Xvfb(int dpi) {
    int fds[2];
    if (pipe(fds) != 0) {
        ADD_FAILURE() << "no pipe for Xvfb";
        return;
    }
    pid_ = start({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24",
                  "-dpi", std::to_string(dpi), "-nolisten", "tcp", "-noreset"},
                 "", fds[1]);
    close(fds[1]);
    // Xvfb writes its display number once it accepts clients.
    std::string number = first_line(fds[0]);
    if (number.empty()) {
        ADD_FAILURE() << "Xvfb did not start";
        return;
    }
    name_ = ":" + number;
    probe_ = XOpenDisplay(name_.c_str());
    EXPECT_TRUE(probe_) << "Xvfb at " << name_ << " does not answer";
}

Xvfb::~Xvfb() {
    if (probe_)
        XCloseDisplay(probe_);
    stop_process(pid_);
}

bool Xvfb::pump_until(const std::function<bool()>& done, int limit_ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit_ms);
    for (;;) {
        run_messages();
        if (done())
            return true;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        end - std::chrono::steady_clock::now())
                        .count();
        if (left <= 0)
            return false;
        platform::run_flush_hooks();
        platform::DisplayDriver& driver = platform::display_driver();
        driver.flush();
        XSync(probe_, False);
        // Blocks until the server or the bus has something, then lets the wait dispatch it.
        auto& x11 = static_cast<platform::x11::X11Display&>(driver);
        pollfd p[2] = {{driver.connection(), POLLIN, 0}, {x11.bus_fd(), POLLIN, 0}};
        if (!driver.prepare().ready)
            poll(p, x11.bus_fd() >= 0 ? 2 : 1, static_cast<int>(std::min(left, 100L)));
        platform::wait_events(platform::clock().now() + 1);
    }
}

::Atom Xvfb::atom(const char* name) const {
    return XInternAtom(probe_, name, False);
}

std::vector<long> Xvfb::cardinals(::Window w, const char* property, const char* type) const {
    Atom actual = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<long> out;
    if (XGetWindowProperty(probe_, w, atom(property), 0, 1 << 20, False, atom(type), &actual,
                           &format, &count, &after, &data) == Success &&
        data && format == 32)
        out.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
    if (data)
        XFree(data);
    return out;
}

std::string Xvfb::text(::Window w, const char* property) const {
    Atom actual = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string out;
    if (XGetWindowProperty(probe_, w, atom(property), 0, 1 << 16, False, AnyPropertyType, &actual,
                           &format, &count, &after, &data) == Success &&
        data && format == 8)
        out.assign(reinterpret_cast<char*>(data), count);
    if (data)
        XFree(data);
    return out;
}

std::vector<std::string> Xvfb::atom_names(::Window w, const char* property) const {
    std::vector<std::string> out;
    for (long a : cardinals(w, property, "ATOM")) {
        char* name = XGetAtomName(probe_, static_cast<Atom>(a));
        out.push_back(name ? name : "");
        if (name)
            XFree(name);
    }
    return out;
}

std::optional<::Window> Xvfb::find_window(const std::string& title) const {
    ::Window root_return = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    std::optional<::Window> found;
    XQueryTree(probe_, DefaultRootWindow(probe_), &root_return, &parent, &children, &count);
    for (unsigned i = 0; i < count && !found; ++i) {
        std::vector<long> pid = cardinals(children[i], "_NET_WM_PID", "CARDINAL");
        if (pid.size() == 1 && pid[0] == getpid() && text(children[i], "WM_NAME") == title)
            found = children[i];
    }
    if (children)
        XFree(children);
    return found;
}

unsigned long Xvfb::pixel(::Window w, int x, int y) const {
    XImage* image = XGetImage(probe_, w, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return ~0UL;
    unsigned long value = XGetPixel(image, 0, 0) & 0xFFFFFF;
    XDestroyImage(image);
    return value;
}

PrivateBus::PrivateBus() {
    int fds[2];
    if (pipe(fds) != 0)
        return;
    pid_ = start({"dbus-daemon", "--session", "--nofork", "--nopidfile",
                  "--print-address=" + std::to_string(fds[1])},
                 "", fds[1]);
    close(fds[1]);
    address_ = first_line(fds[0]);
    EXPECT_FALSE(address_.empty()) << "dbus-daemon did not start";
}

PrivateBus::~PrivateBus() {
    stop_process(pid_);
}

std::pair<int, std::string> run_pumping(Xvfb& server, const std::vector<std::string>& argv) {
    int fds[2];
    if (pipe(fds) != 0)
        return {-1, ""};
    pid_t pid = start(argv, server.name(), -1, fds[1]);
    close(fds[1]);
    int status = -1;
    std::string out;
    bool ended = server.pump_until([&] {
        char buffer[4096];
        pollfd p{fds[0], POLLIN, 0};
        while (poll(&p, 1, 0) > 0) {
            ssize_t n = read(fds[0], buffer, sizeof buffer);
            if (n <= 0)
                break;
            out.append(buffer, static_cast<size_t>(n));
        }
        return waitpid(pid, &status, WNOHANG) == pid;
    });
    char buffer[4096];
    ssize_t n;
    while (ended && (n = read(fds[0], buffer, sizeof buffer)) > 0)
        out.append(buffer, static_cast<size_t>(n));
    close(fds[0]);
    if (!ended)
        stop_process(pid);
    return {ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

std::unique_ptr<Xvfb> X11Test::server_;

void X11Test::SetUpTestSuite() {
    server_ = std::make_unique<Xvfb>();
}

void X11Test::TearDownTestSuite() {
    setenv("RADIODECK_DISPLAY", "headless", 1);
    platform::open_display("test");
    server_.reset();
}

void X11Test::SetUp() {
    MachineFixture::SetUp();
    ASSERT_TRUE(server_->probe());
    setenv("DISPLAY", server_->name().c_str(), 1);
    // A fresh connection for each test, on the session bus the test chose (none by default).
    setenv("RADIODECK_DISPLAY", "headless", 1);
    platform::open_display("test");
    if (bus_address().empty())
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
    else
        setenv("DBUS_SESSION_BUS_ADDRESS", bus_address().c_str(), 1);
    setenv("RADIODECK_DISPLAY", "x11", 1);
    ASSERT_TRUE(platform::open_display("test"));
    ASSERT_STREQ(platform::display_driver().name(), "x11");
}

XClient::XClient(const Xvfb& server, std::vector<std::string> argv)
    : pid_(start(argv, server.name(), -1)) {}

XClient::~XClient() {
    stop();
}

void XClient::stop() {
    stop_process(pid_);
}

} // namespace testing_support
