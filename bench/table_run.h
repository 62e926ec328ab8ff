// One table's benchmark: generates its rows, runs every operation on the engine and on SQLite
// one after the other, checks that both gave the same answers, and adds a report line per
// operation.
#pragma once

#include <cstddef>
#include <string>

#include "bench/report.h"
#include "bench/rows.h"

namespace bench {

using RowMaker = RowSet (*)(const TableShape& shape, uint64_t first, size_t count);

struct RunOptions {
    std::string engineDir;    // the engine's files
    std::string sqliteDir;    // the SQLite database files
    size_t queries = 100000;  // seeks and go + position() calls, each after as many warm-ups
};

// Throws BenchFailure when either side fails or their answers differ. *sqliteSettings
// receives the SQLite version and settings the table was measured with.
void runTable(const TableShape& shape, RowMaker make, size_t rows, const RunOptions& options,
              Report* report, std::string* sqliteSettings);

// The notes and target legend the lines of runTable refer to.
void addNotes(Report* report);

}  // namespace bench
