#pragma once

#include <algorithm>
#include <chrono>
#include <functional>

/// The shortest of `runs` timings of `work`, in seconds.
inline double BestSeconds(int runs, const std::function<void()>& work) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}
