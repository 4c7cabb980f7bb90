#include "clock.h"

#include <ctime>

namespace platform {

Millis MonotonicClock::now() const {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<Millis>(ts.tv_sec) * 1000 + static_cast<Millis>(ts.tv_nsec) / 1000000;
}

namespace {
std::unique_ptr<Clock>& current() {
    static std::unique_ptr<Clock> c = std::make_unique<MonotonicClock>();
    return c;
}
} // namespace

Clock& clock() {
    return *current();
}

std::unique_ptr<Clock> set_clock(std::unique_ptr<Clock> clock) {
    auto previous = std::move(current());
    current() = std::move(clock);
    return previous;
}

} // namespace platform
