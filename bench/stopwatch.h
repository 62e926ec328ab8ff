// Wall-clock time of a stretch of the benchmark, from a monotonic clock.
#pragma once

#include <chrono>

namespace bench {

class Stopwatch {
public:
    Stopwatch() : start_(std::chrono::steady_clock::now()) {}
    double seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }
    double milliseconds() const { return seconds() * 1000.0; }

private:
    std::chrono::steady_clock::time_point start_;
};

}  // namespace bench
