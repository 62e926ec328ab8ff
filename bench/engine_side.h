// The table engine's half of the benchmark: each operation runs through the engine's public
// interface and returns the seconds it took. Any failing engine call throws BenchFailure with
// the engine's error text, so a broken engine can never produce a figure.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/results.h"
#include "bench/rows.h"
#include "db/xbase/xbase.h"

namespace bench {

class EngineSide {
public:
    EngineSide(const std::string& dir, const TableShape& shape);

    // Creates the table, appends every row and closes the table (which syncs it).
    double bulkAppend(const RowSet& rows);
    // Builds one tag into a group of its own.
    double createTag(const TagShape& tag);
    // Builds every tag into the table's own group, replacing the single-tag files.
    double reindex();
    double seek(const TagShape& tag, const std::vector<std::string>& keys, SeekResults* out);
    double walk(const TagShape& tag, bool forward, WalkDigest* out);
    // go() to each record, then position() in `tag`; *positions receives what it returned.
    double goPosition(const TagShape& tag, const std::vector<uint32_t>& recs,
                      std::vector<double>* positions);
    // Appends the rows with every tag open, then closes the table (which syncs it).
    double appendWithTags(const RowSet& rows);
    double deleteRecords(const std::vector<uint32_t>& recs);
    double pack();

    uint32_t recCount() const { return table_->recCount(); }
    // Runs the engine's own integrity check of table and tags; throws on any problem.
    void check();
    void close();

private:
    void appendRows(const RowSet& rows);
    void open();
    void closeTable();
    // Throws when `rc` is an error or the engine has one pending.
    void need(int rc, const std::string& what);
    xbase::Tag* tagNamed(const std::string& name);

    std::string dir_;
    const TableShape& shape_;
    xbase::Context ctx_;
    xbase::Table* table_ = nullptr;
};

}  // namespace bench
