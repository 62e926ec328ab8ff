// The SQL half of report_bench: a business's tables copied into an SQLite database with an index
// for every tag, and for each report of the bench the query that answers the same selection,
// run to its last row with every row written out as text, as the report writes its lines.
// Amounts are kept as whole cents and dates as "yyyymmdd" text, as the tables hold them.
#pragma once

#include <string>

namespace bench {

// Copies the customers, groups, products, invoices, items and payments of the data directory
// `dataDir` (read through the table engine, in record order, records marked deleted left out)
// into a new database at `dbPath` and indexes it. Throws BenchFailure on any error.
void LoadBusiness(const std::string& dataDir, const std::string& dbPath);

// The query of report `name` (as report_bench names its runs) over `dbPath`, with `from` and
// `to` ("yyyymmdd") and `product` as the selection; each row goes to `outPath` as one line of
// tab-separated values. The rows written; throws BenchFailure on an SQLite error or an unknown
// name.
long RunReportSql(const std::string& name, const std::string& dbPath, const std::string& from,
                  const std::string& to, const std::string& product, const std::string& outPath);

}  // namespace bench
