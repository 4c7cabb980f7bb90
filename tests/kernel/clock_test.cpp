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
