// Timing helpers the benchmarks share.
#pragma once

#include <algorithm>
#include <chrono>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The shortest of `rounds` runs of f, in seconds.
template <typename F>
double bestOf(int rounds, F&& f) {
    double best = 1e30;
    for (int r = 0; r < rounds; ++r) {
        const Clock::time_point start = Clock::now();
        f();
        best = std::min(best, secondsSince(start));
    }
    return best;
}

}  // namespace bench
