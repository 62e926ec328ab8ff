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
    const LabelRecord letter{.Name = "Address 3 x 10 (US Letter)", .TopM = 36, .LeftM = 13.5,
                             .BottomM = 36, .RightM = 13.5, .Width = 189, .Height = 72,
                             .HGap = 9, .VGap = 0, .NAcross = 3, .Continuous = false};
    // 24 labels of 63.5 x 33.9 mm on A4: three across, eight down, 2.5 mm between the columns.
    const LabelRecord a4{.Name = "Address 3 x 8 (A4)", .TopM = Mm(12.9), .LeftM = Mm(7.25),
                         .BottomM = Mm(12.9), .RightM = Mm(7.25), .Width = Mm(63.5),
                         .Height = Mm(33.9), .HGap = Mm(2.5), .VGap = 0, .NAcross = 3,
                         .Continuous = false};
    // A pin-feed roll of 3 1/2 x 15/16 inch labels, one across, an inch apart.
    const LabelRecord roll{.Name = "Continuous 1 across (3 1/2 x 15/16 in)", .TopM = 0,
                           .LeftM = 0, .BottomM = 0, .RightM = 0, .Width = 252, .Height = 67.5,
                           .HGap = 0, .VGap = 4.5, .NAcross = 1, .Continuous = true};
    return {letter, a4, roll};
}

std::optional<LabelRecord> ReadyStock(const QString& name) {
    for (const LabelRecord& stock : ReadyStocks())
        if (stock.Name.compare(name.trimmed(), Qt::CaseInsensitive) == 0) return stock;
    return std::nullopt;
}
