// The real clock as tests use it: real time, but a test may sleep at most two seconds in all
// (the display's start-up pause). Past that, as in a peer search on real time (sixteen
// one-second pauses for the hotkey service), each sleep fails the test and ends at once.
#pragma once

#include "platform/kernel/clock.h"

namespace testing_support {

class TestRealClock final : public platform::Clock {
public:
    platform::Millis now() const override { return real_.now(); }
    bool is_virtual() const override { return false; }
    bool may_sleep(platform::Millis ms) override;

private:
    platform::MonotonicClock real_;
    const void* test_ = nullptr; // the test whose sleeps are counted
    platform::Millis slept_ = 0;
};

} // namespace testing_support
