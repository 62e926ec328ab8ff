// SQLite's half of the benchmark: the same rows in a table of the same columns (text kept
// blank-padded exactly as the engine stores it, so that index orders agree byte for byte),
// and for every tag an index ordering rows the same way. Statements are prepared once and
// timed without their preparation; any SQLite error throws BenchFailure.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/results.h"
#include "bench/rows.h"

struct sqlite3;
struct sqlite3_stmt;

namespace bench {

class SqliteSide {
public:
    // Opens (creating) the database file at `path`, with a page cache big enough to hold it.
    SqliteSide(const std::string& path, const TableShape& shape);
    ~SqliteSide();
    SqliteSide(const SqliteSide&) = delete;
    SqliteSide& operator=(const SqliteSide&) = delete;

    // "3.40.1, journal_mode delete, synchronous 2, cache 2048 MiB"
    std::string settings();

    // CREATE TABLE, then every row by a prepared INSERT in one transaction.
    double bulkAppend(const RowSet& rows);
    double createIndex(const TagShape& tag);
    double reindex();
    // Exact seeks on `tag`'s single integer column.
    double seekEqual(const TagShape& tag, const std::vector<int64_t>& values, SeekResults* out);
    // The first row whose leading index column is not less than each prefix (out->exact is
    // left 0: whether the row matches is checked apart from the timing).
    double seekFrom(const TagShape& tag, const std::vector<std::string>& prefixes,
                    SeekResults* out);
    double walk(const TagShape& tag, bool forward, WalkDigest* out);
    // Per record: its key columns fetched by rowid, then an index lookup of (key, rowid).
    // *found receives how many lookups found their row.
    double rowThenIndex(const TagShape& tag, const std::vector<uint32_t>& recs, size_t* found);
    // More rows by the same INSERT, one transaction, with every index in place.
    double append(const RowSet& rows);
    // DELETE by rowid, one transaction.
    double deleteRows(const std::vector<uint32_t>& recs);
    double vacuum();
    int64_t count();

private:
    void exec(const std::string& sql);
    sqlite3_stmt* prepare(const std::string& sql);
    // Throws unless SQLite answers `sql` through an index, without a temporary sort.
    void requireIndexPlan(const std::string& sql);
    void fail(const std::string& what);
    void insertRows(const RowSet& rows);
    std::string indexName(const TagShape& tag) const;
    std::string orderBy(const TagShape& tag, bool descending) const;

    const TableShape& shape_;
    std::string table_;  // lower-case name
    sqlite3* db_ = nullptr;
};

}  // namespace bench
