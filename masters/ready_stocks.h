// Label stocks ready to pick: the common address-label sheets and the continuous roll, in printer
// points as the LABELS table keeps them. The label stock editor fills a stock from one of them,
// and the label command prints on one by name when the table has no stock of that name.
#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "db/records.h"

std::vector<LabelRecord> ReadyStocks();
// The ready stock of that name (compared trimmed, ignoring letter case), if any.
std::optional<LabelRecord> ReadyStock(const QString& name);
