// A clock that tests drive by hand: while one exists, MonotonicMs reads it.
#pragma once

#include "platform/tick_clock.h"

#include <atomic>

namespace corvane_test {

// Installs itself as the tick source for its lifetime. Time stands still until the test
// moves it with Advance or Set, so a test can step exactly to either side of a threshold.
class FakeClock : public TickSource {
public:
    explicit FakeClock(TickMs start = 100000) : now_(start) { SetTickSourceForTesting(this); }
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;
    ~FakeClock() override { SetTickSourceForTesting(nullptr); }

    TickMs NowMs() const override { return now_.load(); }
    void Advance(TickMs ms) { now_ += ms; }
    void Set(TickMs ms) { now_ = ms; }

private:
    std::atomic<TickMs> now_;
};

}  // namespace corvane_test
