// How many lines a report page holds. The printing side installs a probe that measures the
// current printer with the report font; without a printer (or before one is installed) a page
// holds 60 lines.
#pragma once

#include <functional>
#include <optional>

namespace reports {

// The current printer's page height and the height of one text line in the report font, both
// in printer pixels.
struct PrinterPage {
    int pageHeight = 0;
    int lineHeight = 0;
};

// Answers the current printer's measures, or nothing when no printer is selected.
using PrinterPageProbe = std::function<std::optional<PrinterPage>()>;

// Installs the probe the report document asks at each start; returns the one installed before.
// An empty probe means that no printer is selected.
PrinterPageProbe SetPrinterPageProbe(PrinterPageProbe probe);

// Lines per page: the lines that fit on the printer page less 6, or 60 without a printer (also
// when the printer reports no usable line height).
int PageLengthFor(const std::optional<PrinterPage>& page);

// The page length for the printer selected now.
int CurrentPageLength();

inline constexpr int kPageLengthWithoutPrinter = 60;

}  // namespace reports
