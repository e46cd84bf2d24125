#include "link/Clock.h"

#include <thread>

namespace tc {

namespace {

class Steady final : public Clock {
public:
    TimePoint Now() const override { return std::chrono::steady_clock::now(); }
    void SleepUntil(TimePoint until) override { std::this_thread::sleep_until(until); }
};

} // namespace

std::shared_ptr<Clock> SteadyClock()
{
    static const auto clock = std::make_shared<Steady>();
    return clock;
}

} // namespace tc
