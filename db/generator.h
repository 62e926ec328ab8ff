// Fills a data directory with realistic synthetic data for demonstrations and benchmarks:
// customers in groups, products (some of them inventory items) with their purchases, and
// invoices over two years with 1 to 8 items and 0 to 2 payments each. The same options give
// the same tables. Records are written through the program's own write operations.
#pragma once

#include <QString>
#include <cstdint>

struct GeneratorOptions {
    int customers = 0;
    int invoices = 0;
    uint64_t seed = 1;
    int products = 0;   // 0: one per ten customers, 20 to 400
    int purchases = 0;  // 0: two to eight per inventory item; else this many over them at random
};

// What one run wrote.
struct GeneratorCounts {
    int groups = 0;
    int customers = 0;
    int products = 0;
    int purchases = 0;
    int invoices = 0;
    int items = 0;
    int payments = 0;
};

// The first and last day the invoices are dated (yyyymmdd).
inline constexpr const char* kGeneratedFirstDay = "20240101";
inline constexpr const char* kGeneratedLastDay = "20251231";

// Writes into the current directory, whose business tables must be present and empty, then
// rebuilds every index. Needs DbContext. On failure returns false with *error saying why.
bool GenerateData(const GeneratorOptions& options, GeneratorCounts* counts, QString* error);
