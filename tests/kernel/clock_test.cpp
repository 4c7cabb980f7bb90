#include "platform/kernel/wait.h"
#include "tests/support/machine_fixture.h"

#include <windows.h>

#include <poll.h>
#include <vector>
#include <unistd.h>

namespace {

using KernelWait = testing_support::MachineFixture;

TEST_F(KernelWait, VirtualDeadlineJumpsWithoutSleeping) {
    platform::Millis start = clock().now();
    EXPECT_FALSE(platform::wait_events(start + 16000));
    EXPECT_EQ(clock().now(), start + 16000);
}

TEST_F(KernelWait, ReadyDescriptorRunsItsHandlerAndKeepsTheClock) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_EQ(write(fds[1], "x", 1), 1);
    int calls = 0;
    int id = platform::add_wait_fd(fds[0], POLLIN, [&](short) {
        char c;
        ASSERT_EQ(read(fds[0], &c, 1), 1);
        ++calls;
    });
    platform::Millis start = clock().now();
    EXPECT_TRUE(platform::wait_events(start + 5000));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(clock().now(), start);
    platform::remove_wait_fd(id);
    close(fds[0]);
    close(fds[1]);
}

} // namespace

namespace {

TEST_F(KernelWait, ScheduledEventsHappenAtTheirMomentDuringAWait) {
    platform::Millis start = clock().now();
    std::vector<platform::Millis> seen;
    clock().schedule(start + 3000, [&] { seen.push_back(clock().now()); });
    clock().schedule(start + 20000, [&] { seen.push_back(clock().now()); });
    Sleep(16000);
    EXPECT_EQ(seen, (std::vector<platform::Millis>{start + 3000}));
    EXPECT_EQ(clock().now(), start + 16000);
    // A thread with nothing else to wait for runs into the next scheduled event.
    EXPECT_FALSE(platform::wait_events(std::nullopt));
    EXPECT_EQ(seen.size(), 2u);
}

} // namespace

namespace {

// A source shaped like Xlib or sd-bus: input it already holds makes it ready without a poll,
// its interest changes from turn to turn, and it has a deadline of its own.
TEST_F(KernelWait, SourcesPrepareEachTurnAndAreDispatchedByReadinessEventsOrDeadline) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    int held = 1;                        // "events already queued"
    short wants = POLLIN;                // what it asks poll() for this turn
    std::optional<platform::Millis> due; // its own timeout
    std::vector<short> dispatched;
    int id = platform::add_wait_source({fds[1],
                                        [&] {
                                            return platform::WaitPrepare{wants, due, held > 0};
                                        },
                                        [&](short revents) {
                                            dispatched.push_back(revents);
                                            held = 0;
                                        }});
    platform::Millis start = clock().now();
    // Ready now: dispatched at once, although its descriptor (a pipe's writing end polled for
    // input) says nothing.
    EXPECT_TRUE(platform::wait_events(start + 5000));
    // Its interest changes to output, which the pipe can take at once.
    wants = POLLOUT;
    EXPECT_TRUE(platform::wait_events(start + 5000));
    // Nothing wanted, but a deadline of its own before the caller's: dispatched then.
    wants = 0;
    due = start + 300;
    EXPECT_TRUE(platform::wait_events(start + 5000));
    EXPECT_EQ(clock().now(), start + 300);
    EXPECT_EQ(dispatched, (std::vector<short>{0, POLLOUT, 0}));
    // No interest and no deadline of its own: the caller's deadline ends the wait.
    due.reset();
    EXPECT_FALSE(platform::wait_events(start + 5000));
    EXPECT_EQ(clock().now(), start + 5000);
    EXPECT_EQ(dispatched.size(), 3u);
    platform::remove_wait_source(id);
    close(fds[0]);
    close(fds[1]);
}

} // namespace
