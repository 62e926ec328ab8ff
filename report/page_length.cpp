#include "report/page_length.h"

#include <utility>

namespace reports {
namespace {

PrinterPageProbe& InstalledProbe() {
    static PrinterPageProbe probe;
    return probe;
}

}  // namespace

PrinterPageProbe SetPrinterPageProbe(PrinterPageProbe probe) {
    return std::exchange(InstalledProbe(), std::move(probe));
}

int PageLengthFor(const std::optional<PrinterPage>& page) {
    if (!page || page->lineHeight <= 0) return kPageLengthWithoutPrinter;
    return page->pageHeight / page->lineHeight - 6;
}

int CurrentPageLength() {
    const PrinterPageProbe& probe = InstalledProbe();
    return PageLengthFor(probe ? probe() : std::nullopt);
}

}  // namespace reports
