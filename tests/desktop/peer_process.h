// Real processes on a temporary machine root: the test peer and deskctl.
#pragma once

#include "tests/support/machine_fixture.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <sys/types.h>
#include <sys/un.h>
#include <vector>

namespace desktop_test {

// A running program whose standard output the test reads line by line.
class Process {
public:
    explicit Process(const std::vector<std::string>& argv);
    ~Process(); // kills what still runs
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t pid() const { return pid_; }
    // The next line of output, waiting at most `timeout_ms` for it.
    std::optional<std::string> next_line(int timeout_ms = 10000);
    // Waits for the exit and returns its status (-1 after a signal or a timeout).
    int wait_exit(int timeout_ms = 10000);
    void kill_now();

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string pending_;
    bool exited_ = false;
    int status_ = -1;
};

// desk_peer, ready: its windows are on the desktop.
struct Peer {
    Peer(const std::string& cls, const std::string& title,
         const std::vector<std::string>& options = {});
    Process process;
    HWND top = nullptr;
    HWND child = nullptr;
    // The next "msg M W L" line, as {M, W, L}.
    std::optional<std::vector<long long>> next_message(int timeout_ms = 10000);
};

struct Outcome {
    int code = -1;
    std::string out, err;
};

// The machine root and the runtime directory are fresh for each test; the clock is real.
class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs deskctl to its end.
    Outcome deskctl(const std::vector<std::string>& args);

    std::unique_ptr<testing_support::TempDir> root_;
    std::unique_ptr<testing_support::TempDir> runtime_;
};

std::string hex_handle(HWND h);

// Raw entries in the queue of the process of a window, past the platform's own sending:
// what a stranger who could open the queue could put there.
class RawSocket {
public:
    explicit RawSocket(HWND window);
    bool ok() const { return ok_; }
    // Whether the entry (desktop_wire::kEntryBytes bytes) went into the queue.
    bool send(const void* data) const;
    // Tries the same from a child that becomes another user (nobody); that child cannot
    // open the queue. False when no other user can be had (not running as root); an entry
    // that gets in fails the test.
    bool send_as_other_user(const void* data) const;

private:
    sockaddr_un addr_{};
    std::string queue_;
    bool ok_ = false;
};

} // namespace desktop_test
