// Timing shared by the benchmarks: the wall time of a piece of work, the best of several runs,
// and seconds printed with three decimals.
#pragma once

#include <algorithm>
#include <charconv>
#include <chrono>
#include <functional>
#include <string>

namespace bench {

inline double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline double BestOf(int reps, const std::function<void()>& work) {
    double best = 1e30;
    for (int i = 0; i < reps; ++i) {
        best = std::min(best, Seconds(work));
    }
    return best;
}

inline std::string Number(double value) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 3);
    return std::string(buf, r.ptr);
}

}  // namespace bench
