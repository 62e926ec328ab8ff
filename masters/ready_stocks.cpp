#include "masters/ready_stocks.h"

#include <cmath>

namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;

// A measure in millimetres as points, to the thousandth the table keeps.
double Mm(double mm) {
    return std::round(mm * kPointsPerMm * 1000.0) / 1000.0;
}

}  // namespace

std::vector<LabelRecord> ReadyStocks() {
    // 30 labels of 2 5/8 x 1 inch on US Letter: three across, ten down, 1/2 inch top and bottom,
    // 3/16 inch at the sides and 1/8 inch between the columns.
    LabelRecord letter{"Address 3 x 10 (US Letter)", 36, 13.5, 36, 13.5, 189, 72, 9, 0, 3, false};
    // 24 labels of 63.5 x 33.9 mm on A4: three across, eight down, 2.5 mm between the columns.
    LabelRecord a4{"Address 3 x 8 (A4)", Mm(12.9), Mm(7.25), Mm(12.9), Mm(7.25), Mm(63.5),
                   Mm(33.9), Mm(2.5), 0, 3, false};
    // A pin-feed roll of 3 1/2 x 15/16 inch labels, one across, an inch apart.
    LabelRecord roll{"Continuous 1 across (3 1/2 x 15/16 in)", 0, 0, 0, 0, 252, 67.5, 0, 4.5, 1,
                     true};
    return {letter, a4, roll};
}

std::optional<LabelRecord> ReadyStock(const QString& name) {
    for (const LabelRecord& stock : ReadyStocks())
        if (stock.Name.compare(name.trimmed(), Qt::CaseInsensitive) == 0) return stock;
    return std::nullopt;
}
