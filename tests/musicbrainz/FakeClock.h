#pragma once

#include <vector>

#include "musicbrainz/MusicBrainzClient.h"

namespace corvane::test {

// A request clock that only pretends to sleep, and keeps each wait.
struct FakeClock : RequestClock {
    TimePoint Now() override { return now; }
    void SleepUntil(TimePoint when) override {
        sleeps.push_back(when - now);
        now = when;
    }
    TimePoint now{};
    std::vector<std::chrono::steady_clock::duration> sleeps;
};

}  // namespace corvane::test
