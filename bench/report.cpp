#include "bench/report.h"

#include <algorithm>
#include <cstdio>

namespace bench {
namespace {

std::string ratioText(double r) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", r);
    return text;
}

struct Column {
    const char* title;
    bool left;
};

}  // namespace

std::string formatSeconds(double seconds) {
    struct Unit {
        double scale;
        const char* name;
    };
    static constexpr Unit kUnits[] = {{1.0, "s"}, {1e-3, "ms"}, {1e-6, "us"}, {1e-9, "ns"}};
    const Unit* unit = &kUnits[3];
    for (const Unit& u : kUnits)
        if (seconds >= u.scale) {
            unit = &u;
            break;
        }
    const double v = seconds / unit->scale;
    char text[32];
    std::snprintf(text, sizeof text,
                  v >= 100  ? "%.0f %s"
                  : v >= 10 ? "%.1f %s"
                            : "%.2f %s",
                  v, unit->name);
    return text;
}

std::string withCommas(size_t n) {
    std::string digits = std::to_string(n), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out.push_back(',');
        out.push_back(digits[i]);
    }
    return out;
}

void Report::print(std::ostream& out) const {
    static constexpr Column kColumns[] = {
        {"operation", true},     {"count", false},     {"ours total", false},  {"ours/op", false},
        {"SQLite total", false}, {"SQLite/op", false}, {"ours/SQLite", false}, {"other", true},
        {"target", true},        {"result", true},     {"note", true}};
    std::vector<std::vector<std::string>> rows;
    for (const Line& l : lines_) {
        const double n = static_cast<double>(std::max<size_t>(l.count, 1));
        std::string targets, result = "met";
        for (const Target& t : l.targets) {
            targets += (targets.empty() ? "" : "; ") + t.what;
            if (!t.met) result = "NOT MET";
        }
        rows.push_back({l.operation, withCommas(l.count), formatSeconds(l.ours),
                        formatSeconds(l.ours / n), l.sqlite ? formatSeconds(*l.sqlite) : "-",
                        l.sqlite ? formatSeconds(*l.sqlite / n) : "-",
                        l.sqlite ? ratioText(l.ours / *l.sqlite) : "-", l.other, targets,
                        l.targets.empty() ? "" : result, l.note});
    }
    constexpr size_t kCount = std::size(kColumns);
    size_t width[kCount];
    for (size_t c = 0; c < kCount; ++c) {
        width[c] = std::string(kColumns[c].title).size();
        for (const auto& r : rows) width[c] = std::max(width[c], r[c].size());
    }
    auto emit = [&](auto cell) {
        std::string line;
        for (size_t c = 0; c < kCount; ++c) {
            const std::string text = cell(c);
            const std::string pad(width[c] - text.size(), ' ');
            line += kColumns[c].left ? text + pad : pad + text;
            if (c + 1 < kCount) line += "  ";
        }
        line.erase(line.find_last_not_of(' ') + 1);
        out << line << '\n';
    };
    emit([&](size_t c) { return std::string(kColumns[c].title); });
    emit([&](size_t c) { return std::string(width[c], '-'); });
    for (const auto& r : rows) emit([&](size_t c) { return r[c]; });
    out << '\n';
    for (const auto& [key, text] : notes_) out << '[' << key << "] " << text << '\n';
}

}  // namespace bench
