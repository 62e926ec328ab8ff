// The small statistics the benchmarks print: the median and the worst of repeated timings, and
// the machine's load averages, for judging how much other work shared the machine.
#pragma once

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace bench {

struct Summary {
    double median = 0;
    double max = 0;
};

// Of at least one timing.
inline Summary Summarise(std::vector<double> timings) {
    std::sort(timings.begin(), timings.end());
    return {timings[timings.size() / 2], timings.back()};
}

// "1.00 1.57 2.00", or "unknown".
inline std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    if (!(in >> one >> five >> fifteen)) return "unknown";
    return one + " " + five + " " + fifteen;
}

}  // namespace bench
