// A private X server for the tests (Xvfb, on a display number it picks itself) and a second
// client of it that looks at what the program shows, as another program on the desktop would.
#pragma once

#include "tests/support/machine_fixture.h"

#include <X11/Xlib.h>

#include <sys/types.h>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <string>
#include <vector>

namespace testing_support {

class Xvfb {
public:
    // Starts the server with a 1024 x 768 screen of 24 bits; `dpi` sets its size in
    // millimetres. Fails the test when it does not come up.
    explicit Xvfb(int dpi = 96);
    ~Xvfb();
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    const std::string& name() const { return name_; } // ":N"
    ::Display* probe() const { return probe_; }

    // Runs the process's wait until `done()` holds; false after `limit_ms` of real time with
    // nothing of it. Each round blocks in poll() on the driver's connection and the probe's.
    bool pump_until(const std::function<bool()>& done, int limit_ms = 5000);

    // Properties of a window, as the probe reads them.
    std::vector<long> cardinals(::Window w, const char* property, const char* type) const;
    std::string text(::Window w, const char* property) const;
    std::vector<std::string> atom_names(::Window w, const char* property) const;
    ::Atom atom(const char* name) const;

    // The top-level X window whose _NET_WM_PID is this process's and whose WM_NAME is `title`.
    std::optional<::Window> find_window(const std::string& title) const;
    // The pixel (0x00RRGGBB) at a point of a window.
    unsigned long pixel(::Window w, int x, int y) const;

private:
    pid_t pid_ = -1;
    std::string name_;
    ::Display* probe_ = nullptr;
};

// A machine fixture whose process shows its windows on the suite's own Xvfb.
class X11Test : public MachineFixture {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    // The session bus the process's display connects to; empty for none.
    virtual std::string bus_address() const { return {}; }

    static std::unique_ptr<Xvfb> server_;
};

// A private session bus (dbus-daemon) for the test, at an address of its own.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    const std::string& address() const { return address_; }

private:
    pid_t pid_ = -1;
    std::string address_;
};

// Runs a program to its end while the process's wait keeps running, so the program may call
// back into this process (a bus client calling a method of ours). Its exit code and output;
// code -1 when it did not end within the limit.
std::pair<int, std::string> run_pumping(Xvfb& server, const std::vector<std::string>& argv);

// Starts a program beside the test with DISPLAY set; kills it when the object goes.
class XClient {
public:
    XClient(const Xvfb& server, std::vector<std::string> argv);
    ~XClient();
    void stop();
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
};

} // namespace testing_support
