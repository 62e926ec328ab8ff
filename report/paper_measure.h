// The paper a document will be printed on, as the generators that lay out whole documents need
// to know it: how tall a line is and how wide a text is in the report font on that paper.
#pragma once

#include <QString>
#include <functional>

namespace reports {

// How lines fall on the paper the document will be printed on, in the paper's pixels: its
// vertical resolution, the height of one line and the width of texts in the report font as
// printing will fit it. The letterhead turns inches into lines with them and WrapText breaks
// memo lines by the printed width. Without a text measure a character is one unit wide.
struct PaperMeasure {
    int dpiY = 72;
    int lineHeight = 12;
    int charWidth = 1;  // the width of "B"
    std::function<int(const QString&)> textWidth;

    int WidthOf(const QString& text) const {
        return textWidth ? textWidth(text) : static_cast<int>(text.size()) * charWidth;
    }
};

}  // namespace reports
