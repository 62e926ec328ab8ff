#include "report/paper_measure.h"

#include <optional>
#include <utility>

namespace reports {

struct PaperMeasure::Deferred {
    std::function<PaperMeasure()> take;
    std::optional<PaperMeasure> taken;
};

PaperMeasure::PaperMeasure(int dpiY, int lineHeight, int charWidth,
                           std::function<int(const QString&)> textWidth)
    : dpiY_(dpiY),
      lineHeight_(lineHeight),
      charWidth_(charWidth),
      textWidth_(std::move(textWidth)) {}

PaperMeasure::PaperMeasure(std::function<PaperMeasure()> take)
    : deferred_(std::make_shared<Deferred>(Deferred{std::move(take), std::nullopt})) {}

const PaperMeasure& PaperMeasure::Taken() const {
    if (!deferred_) return *this;
    if (!deferred_->taken) deferred_->taken = deferred_->take();
    return deferred_->taken->Taken();
}

int PaperMeasure::WidthOf(const QString& text) const {
    const PaperMeasure& paper = Taken();
    return paper.textWidth_ ? paper.textWidth_(text)
                            : static_cast<int>(text.size()) * paper.charWidth_;
}

}  // namespace reports
