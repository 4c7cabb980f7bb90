// The entry of every test program: GoogleTest, with the process's real clock and idle hook
// set so that no test can wait for long or forever (see test_clock.h and ui_script.h).
#include "test_clock.h"
#include "ui_script.h"

#include "platform/kernel/wait.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace testing_support {

bool TestRealClock::may_sleep(platform::Millis ms) {
    const void* test = ::testing::UnitTest::GetInstance()->current_test_info();
    if (test != test_) {
        test_ = test;
        slept_ = 0;
    }
    if (slept_ + ms <= 2000) {
        slept_ += ms;
        return true;
    }
    ADD_FAILURE() << "Sleep(" << ms << ") on the real clock after " << slept_
                  << " ms of sleeping: a peer search waits up to 16 s this way; use the "
                     "machine fixture's virtual clock, or let the peer's window exist first";
    return false;
}

} // namespace testing_support

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // A developer's own X server is no place for the tests' windows: the tests that need a
    // server start their own and say so.
    setenv("RADIODECK_DISPLAY", "headless", 0);
    platform::set_clock(std::make_unique<testing_support::TestRealClock>());
    platform::set_idle_hook(testing_support::fail_unanswered_ui);
    return RUN_ALL_TESTS();
}
