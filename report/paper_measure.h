// The paper a document will be printed on, as the generators that lay out whole documents need
// to know it: how tall a line is and how wide a text is in the report font on that paper.
// Measuring needs the report font and so a graphical application; a measure may therefore be
// taken on first reading, so that a run whose documents never ask pays for no font.
#pragma once

#include <QString>
#include <functional>
#include <memory>

namespace reports {

// How lines fall on the paper the document will be printed on, in the paper's pixels: its
// vertical resolution, the height of one line and the width of texts in the report font as
// printing will fit it. The letterhead turns inches into lines with them and WrapText breaks
// memo lines by the printed width. Without a text measure a character is one unit wide; the
// measure made with no figures is 72 dots an inch, lines 12 high, characters 1 wide.
class PaperMeasure {
public:
    PaperMeasure() = default;
    PaperMeasure(int dpiY, int lineHeight, int charWidth,
                 std::function<int(const QString&)> textWidth = {});
    // A measure taken by `take` the first time any of its figures is read, once for this measure
    // and every copy of it.
    explicit PaperMeasure(std::function<PaperMeasure()> take);

    int DpiY() const { return Taken().dpiY_; }
    int LineHeight() const { return Taken().lineHeight_; }
    int CharWidth() const { return Taken().charWidth_; }  // the width of "B"
    int WidthOf(const QString& text) const;

private:
    struct Deferred;
    const PaperMeasure& Taken() const;

    int dpiY_ = 72;
    int lineHeight_ = 12;
    int charWidth_ = 1;
    std::function<int(const QString&)> textWidth_;
    std::shared_ptr<Deferred> deferred_;
};

}  // namespace reports
