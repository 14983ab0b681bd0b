#pragma once

#include <cstdint>
#include <deque>

// Test-only millisecond clock for a batch (SetTickSourceForTest(std::ref(clock))): the queued ticks in turn, then
// 999999 for ever.
struct TickSource {
    std::deque<std::uint64_t> ticks;

    std::uint64_t operator()() {
        if (ticks.empty())
            return 999999;
        const std::uint64_t tick = ticks.front();
        ticks.pop_front();
        return tick;
    }
};
