// The process clock. Real runs use the monotonic clock; tests install a virtual clock,
// where a blocked wait jumps straight to its deadline instead of sleeping.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace platform {

using Millis = uint64_t;

class Clock {
public:
    virtual ~Clock() = default;
    virtual Millis now() const = 0;
    virtual bool is_virtual() const = 0;
    // Called by a wait that found nothing to do before `deadline`; a virtual clock jumps there.
    virtual void advance_to(Millis /*deadline*/) {}
    // The moment of the next event a test scheduled on a virtual clock.
    virtual std::optional<Millis> next_scheduled() const { return std::nullopt; }
    // Sleep is about to wait this long on a real clock. A test's real clock refuses long
    // sleeps (false: the sleep ends at once) so that a peer search fails a test quickly
    // instead of stalling it for seconds.
    virtual bool may_sleep(Millis /*ms*/) { return true; }
};

class MonotonicClock final : public Clock {
public:
    Millis now() const override;
    bool is_virtual() const override { return false; }
};

class VirtualClock final : public Clock {
public:
    explicit VirtualClock(Millis start = 1000) : now_(start) {}
    Millis now() const override { return now_; }
    bool is_virtual() const override { return true; }
    // Time passes in one jump, but what a test scheduled on the way happens at its moment,
    // as something another program did while this one waited.
    void advance_to(Millis deadline) override {
        while (!events_.empty() && events_.begin()->first <= deadline) {
            auto event = events_.begin();
            now_ = std::max(now_, event->first);
            auto action = std::move(event->second);
            events_.erase(event);
            action();
        }
        if (deadline > now_)
            now_ = deadline;
    }
    void advance_by(Millis delta) { advance_to(now_ + delta); }
    std::optional<Millis> next_scheduled() const override {
        if (events_.empty())
            return std::nullopt;
        return events_.begin()->first;
    }
    // Runs `action` when the clock reaches `at`.
    void schedule(Millis at, std::function<void()> action) {
        events_.emplace(at, std::move(action));
    }

private:
    Millis now_;
    std::multimap<Millis, std::function<void()>> events_;
};

Clock& clock();
// Installs a clock for the whole process and returns the previous one.
std::unique_ptr<Clock> set_clock(std::unique_ptr<Clock> clock);

} // namespace platform
