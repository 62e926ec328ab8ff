// The files a rewrite of a table (pack, zap, memo compaction) leaves beside it while it puts new
// files in place, and the marker that says whose they are.
//
// A rewrite that compacts the memo file replaces two files, which no one rename can do: it
// writes TABLE.dbf.new and TABLE.dbt.new, syncs them, writes the marker TABLE.dbf.commit, then
// renames the memo file, then the table, then removes the marker. The marker (little-endian):
//   "XBREWRT1" (8 bytes), 1 when it covers the memo file too (1), then four stamps of size (8)
//   and CRC-32 of the whole file (4): the table and its memo file as the rewrite found them,
//   and the new table and memo file; then a CRC-32 of the bytes before it (4).
// New files are taken only when the marker is whole and every file stands as it says: the table
// (and memo file) still the ones they were made from, or already replaced by the new ones. A
// marker created but not yet written is empty: the renames had not begun. Anything else is not
// this table's rewrite and is kept aside untouched.
#pragma once

#include <string>

#include "db/xbase/checksum.h"
#include "db/xbase/env.h"

namespace xbase {

struct RewriteFiles {
    std::string dbf, dbt, newDbf, newDbt, marker;

    RewriteFiles(std::string dbfPath, std::string dbtPath)
        : dbf(std::move(dbfPath)),
          dbt(std::move(dbtPath)),
          newDbf(dbf + ".new"),
          newDbt(dbt + ".new"),
          marker(dbf + ".commit") {}

    bool any(Env* env) const {
        return env->kind(newDbf) != FileKind::Missing || env->kind(newDbt) != FileKind::Missing ||
               env->kind(marker) != FileKind::Missing;
    }
};

struct RewriteMarker {
    bool memo = false;
    FileStamp table, memoFile, newTable, newMemo;
};

// Stamps the files as they stand and writes the marker (created new, never through a link), synced.
Status writeMarker(Env* env, const RewriteFiles& files, bool memo);

// What a marker found beside the table says. kEmpty: created, never written (the renames had
// not begun); kOther: not a marker the engine wrote.
enum class MarkerRead { kWhole, kEmpty, kOther };
MarkerRead readMarker(Env* env, const RewriteFiles& files, RewriteMarker* marker);

// Whether the files stand as `marker` says a rewrite left them on its way: empty when they do,
// else why not.
std::string markerMismatch(Env* env, const RewriteFiles& files, const RewriteMarker& marker);

// Sets each leftover (new files, marker) that exists aside as NAME.foreign-YYYYMMDD-HHMMSS.
Status setLeftoversAside(Env* env, const RewriteFiles& files);

}  // namespace xbase
