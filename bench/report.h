// The benchmark's result table: one line per measured operation with the engine's time, the
// SQLite peer's time, their ratio, further comparisons and whether each target was met, plus
// the notes that say where a pair of measurements is not like for like.
#pragma once

#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace bench {

struct Target {
    std::string what;  // e.g. "<= 0.6x SQLite"
    bool met;
};

struct Line {
    std::string operation;
    size_t count = 0;  // operations (rows, keys, seeks) the totals are divided by
    double ours = 0;   // seconds
    std::optional<double> sqlite;
    std::string other;  // a further comparison, e.g. against a plain sort
    std::vector<Target> targets;
    std::string note;  // a note key, explained below the table
};

// "1.234 s", "12.3 ms", "850 ns": three significant digits in a fitting unit.
std::string formatSeconds(double seconds);
// 1234567 as "1,234,567".
std::string withCommas(size_t n);

class Report {
public:
    void add(Line line) { lines_.push_back(std::move(line)); }
    void addNote(std::string key, std::string text) {
        notes_.push_back({std::move(key), std::move(text)});
    }
    const std::vector<Line>& lines() const { return lines_; }
    void print(std::ostream& out) const;

private:
    std::vector<Line> lines_;
    std::vector<std::pair<std::string, std::string>> notes_;
};

}  // namespace bench
