// The process clock. Real runs use the monotonic clock; tests install a virtual clock,
// where a blocked wait jumps straight to its deadline instead of sleeping.
#pragma once

#include <cstdint>
#include <memory>

namespace platform {

using Millis = uint64_t;

class Clock {
public:
    virtual ~Clock() = default;
    virtual Millis now() const = 0;
    virtual bool is_virtual() const = 0;
    // Called by a wait that found nothing to do before `deadline`; a virtual clock jumps there.
    virtual void advance_to(Millis /*deadline*/) {}
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
    void advance_to(Millis deadline) override {
        if (deadline > now_)
            now_ = deadline;
    }
    void advance_by(Millis delta) { now_ += delta; }

private:
    Millis now_;
};

Clock& clock();
// Installs a clock for the whole process and returns the previous one.
std::unique_ptr<Clock> set_clock(std::unique_ptr<Clock> clock);

} // namespace platform
