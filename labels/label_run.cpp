#include "labels/label_run.h"

#include <algorithm>

namespace labels {
namespace {

// The row buffer and the run state: the labels of the row being filled, and where the next one
// goes.
class Run {
public:
    Run(const LabelRecord& stock, int startColumn, int startRow, LabelDevice& device)
        : stock_(stock),
          device_(device),
          column_(std::clamp(startColumn, 1, std::max(1, stock.NAcross))),
          row_(std::max(1, startRow)),
          cells_(static_cast<size_t>(std::max(1, stock.NAcross))) {}

    bool Add(const AddressBlock& label) {
        cells_[static_cast<size_t>(column_ - 1)] = label;
        rowOpen_ = true;
        if (column_ < stock_.NAcross) {
            ++column_;
            return true;
        }
        const bool printed = PrintRow();
        std::fill(cells_.begin(), cells_.end(), AddressBlock{});
        column_ = 1;
        ++row_;
        rowOpen_ = false;
        return printed;
    }

    RunResult Finish() {
        if (rowOpen_ && !PrintRow()) return result_;
        if (started_ && !device_.End()) Fail(device_.FailureMessage());
        return result_;
    }

    RunResult Failed() const { return result_; }

private:
    bool Fail(const QString& message) {
        result_.ok = false;
        result_.message = message;
        return false;
    }

    // Computes the layout and starts the job, once, before the first row.
    bool Start() {
        const QString problem = CheckStock(stock_, device_);
        if (!problem.isEmpty()) return Fail(problem);
        const PageFacts page = device_.Facts();
        layout_ = ComputeLayout(stock_, page);
        const int size = FitLabelFont(
            device_.FontSize(), kSmallestLabelFont, layout_.width - 2 * layout_.insetX,
            layout_.height - 2 * layout_.insetY,
            [this](int points) { return device_.Measure(points); });
        lineHeight_ = device_.Measure(size).lineHeight;
        if (!device_.Begin(size)) return Fail(device_.FailureMessage());
        started_ = true;
        result_.pages = 1;
        return true;
    }

    bool PrintRow() {
        if (!result_.ok) return false;
        if (!started_ && !Start()) return false;
        const RowPlace place = PlaceRow(row_, layout_.rowsPerPage);
        if (place.newPage) {
            if (!device_.NewPage()) return Fail(device_.FailureMessage());
            ++result_.pages;
        }
        row_ = place.row;
        for (int line = 0; line < 5; ++line) {
            for (int j = 0; j < stock_.NAcross; ++j) {
                const QString& text = cells_[static_cast<size_t>(j)][static_cast<size_t>(line)];
                if (text.isEmpty()) continue;
                const Point at = LabelOrigin(layout_, row_, j + 1);
                device_.Text(at.x + layout_.insetX,
                             at.y + layout_.insetY + line * lineHeight_, text);
            }
        }
        return true;
    }

    const LabelRecord& stock_;
    LabelDevice& device_;
    int column_;
    int row_;
    std::vector<AddressBlock> cells_;
    bool rowOpen_ = false;
    bool started_ = false;
    LabelLayout layout_;
    int lineHeight_ = 0;
    RunResult result_;
};

}  // namespace

QString CheckStock(const LabelRecord& stock, LabelDevice& device) {
    return StockProblem(stock, device.Facts(), device.Measure(kSmallestLabelFont));
}

RunResult PrintLabelRun(const LabelRecord& stock, int startColumn, int startRow,
                        const std::vector<AddressBlock>& labels, LabelDevice& device) {
    Run run(stock, startColumn, startRow, device);
    for (const AddressBlock& label : labels) {
        if (!run.Add(label)) return run.Failed();
    }
    return run.Finish();
}

}  // namespace labels
