#include "labels/label_stock.h"

#include "db/program_state.h"
#include "db/read_write.h"

namespace labels {

std::vector<LabelRecord> ReadStocks() {
    std::vector<LabelRecord> stocks;
    LabTbl->select(LabTbl->tag("Labels"));
    for (int rc = LabTbl->top(); rc == xbase::kFound; rc = LabTbl->skip()) {
        if (LabTbl->deleted()) continue;
        ReadLabel();
        LabBuf.Name = LabBuf.Name.trimmed();
        stocks.push_back(LabBuf);
    }
    return stocks;
}

int PreselectedStock(const std::vector<LabelRecord>& stocks, const QString& name) {
    const QString wanted = name.trimmed();
    for (int i = static_cast<int>(stocks.size()) - 1; i >= 0; --i) {
        if (stocks[static_cast<size_t>(i)].Name == wanted) return i;
    }
    return stocks.empty() ? -1 : 0;
}

std::optional<LabelRecord> FindStock(const QString& name) {
    const std::vector<LabelRecord> stocks = ReadStocks();
    const int i = PreselectedStock(stocks, name);
    if (i < 0 || stocks[static_cast<size_t>(i)].Name != name.trimmed()) return std::nullopt;
    return stocks[static_cast<size_t>(i)];
}

}  // namespace labels
