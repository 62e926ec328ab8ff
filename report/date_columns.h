// Date columns that hold the locale's dates in full. The reports' layouts give a date eight
// columns, as a day, a month and a two-digit year with their separators take; where the locale
// writes a longer report date (a four-digit year, as LANG=C.UTF-8 does, or text between the
// parts), each date column widens by the difference: every position from the column's right
// edge on moves right and the report grows as wide, so nothing runs into its neighbour.
#pragma once

#include "report/report_document.h"

namespace reports {

// The columns a report date takes beyond the eight the layouts give it; 0 when it fits.
int DateWidening();

// Moves every position of the document at or right of `column` (cells of the lines and the
// headings, column codes, rules) `by` columns to the right and widens the report by as much;
// what was centred on the report stays centred on it.
void WidenAt(ReportDocument& doc, int column, int by);

// WidenAt(doc, column, DateWidening()) for each of the date columns, given by the position of
// their right edges.
void WidenDateColumns(ReportDocument& doc, std::initializer_list<int> rightEdges);

}  // namespace reports
