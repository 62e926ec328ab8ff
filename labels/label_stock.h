// The label stocks a run can be printed on, as the print dialog lists them: every stock of
// LABELS in name order, and the one it preselects, the stock last used for printing.
#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "db/records.h"

namespace labels {

// Every stock of the open LABELS table in name order (tag "Labels"), names trimmed.
std::vector<LabelRecord> ReadStocks();

// The index in `stocks` of the stock named `name` (the last of them when names repeat); the
// first stock when none has that name; -1 when there are none.
int PreselectedStock(const std::vector<LabelRecord>& stocks, const QString& name);

// The stock of the open LABELS named `name`, the last of them when names repeat; nothing when
// none has that name.
std::optional<LabelRecord> FindStock(const QString& name);

}  // namespace labels
