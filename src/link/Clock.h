#pragma once
// The link's clock: what time it is, and waiting until a time. The link and
// the transfers take every time and every pause from the clock they are
// given; the programs use the steady clock, the tests a virtual one that
// moves only when someone waits, so that timing cases run in exact
// milliseconds and no test sleeps.
#include <chrono>
#include <memory>

namespace tc {

class Clock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using Duration = std::chrono::steady_clock::duration;

    virtual ~Clock() = default;
    virtual TimePoint Now() const = 0;
    // Returns at `until` (at once when it has passed).
    virtual void SleepUntil(TimePoint until) = 0;
};

// The machine's steady clock; waits really sleep.
std::shared_ptr<Clock> SteadyClock();

// Time that passes only when someone waits on it. It starts at the steady
// clock's present, so its times mix with real ones in a test's arithmetic.
class VirtualClock final : public Clock {
public:
    VirtualClock() : now_(std::chrono::steady_clock::now()) {}
    TimePoint Now() const override { return now_; }
    void SleepUntil(TimePoint until) override
    {
        if (until > now_)
            now_ = until;
    }
    void Advance(Duration by) { now_ += by; }

private:
    TimePoint now_;
};

} // namespace tc
