// Real processes on a temporary machine root: the test peer and deskctl.
#pragma once

#include "tests/support/machine_fixture.h"
#include "tests/support/process.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <sys/types.h>
#include <sys/un.h>
#include <vector>

namespace desktop_test {

using testing_support::Outcome;
using testing_support::Process;

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
    // Writes counters into the queue's header that no sender writes, and wakes its owner.
    bool damage_header() const;

private:
    sockaddr_un addr_{};
    std::string queue_;
    bool ok_ = false;
};

} // namespace desktop_test
