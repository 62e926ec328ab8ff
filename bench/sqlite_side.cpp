#include "bench/sqlite_side.h"

#include <sqlite3.h>

#include <cctype>
#include <memory>

#include "bench/stopwatch.h"

namespace bench {
namespace {

constexpr size_t kCacheKiB = kCacheBytes >> 10;

struct Finalize {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalize>;

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string columnType(const xbase::FieldInfo& f) {
    switch (f.type) {
        case 'N':
            return f.decimals > 0 ? "REAL" : "INTEGER";
        case 'L':
            return "INTEGER";
        default:
            return "TEXT";
    }
}

}  // namespace

SqliteSide::SqliteSide(const std::string& path, const TableShape& shape)
    : shape_(shape), table_(lower(shape.name)) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK)
        fail("opening " + path);
    exec("PRAGMA cache_size = -" + std::to_string(kCacheKiB));
}

SqliteSide::~SqliteSide() {
    sqlite3_close(db_);
}

void SqliteSide::fail(const std::string& what) {
    throw BenchFailure("SQLite: " + what + ": " + (db_ ? sqlite3_errmsg(db_) : "no database"));
}

void SqliteSide::exec(const std::string& sql) {
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) fail(sql);
}

sqlite3_stmt* SqliteSide::prepare(const std::string& sql) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) fail(sql);
    return s;
}

void SqliteSide::requireIndexPlan(const std::string& sql) {
    Statement plan(prepare("EXPLAIN QUERY PLAN " + sql));
    int rc;
    while ((rc = sqlite3_step(plan.get())) == SQLITE_ROW) {
        const std::string detail =
            reinterpret_cast<const char*>(sqlite3_column_text(plan.get(), 3));
        if (detail.find("TEMP B-TREE") != std::string::npos ||
            (detail.rfind("SCAN", 0) == 0 && detail.find("INDEX") == std::string::npos))
            throw BenchFailure("SQLite: no index plan for \"" + sql + "\": " + detail);
    }
    if (rc != SQLITE_DONE) fail(sql);
}

std::string SqliteSide::settings() {
    auto pragma = [&](const char* name) {
        Statement s(prepare(std::string("PRAGMA ") + name));
        if (sqlite3_step(s.get()) != SQLITE_ROW) fail(name);
        return std::string(reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0)));
    };
    return std::string("SQLite ") + sqlite3_libversion() + ", journal_mode " +
           pragma("journal_mode") + ", synchronous " + pragma("synchronous") + ", cache " +
           std::to_string(kCacheKiB / 1024) + " MiB";
}

std::string SqliteSide::indexName(const TagShape& tag) const {
    return table_ + "_" + lower(tag.name);
}

std::string SqliteSide::orderBy(const TagShape& tag, bool descending) const {
    std::string sql;
    for (const std::string& c : tag.sqlColumns) sql += c + (descending ? " DESC, " : ", ");
    return sql + (descending ? "rowid DESC" : "rowid");
}

void SqliteSide::insertRows(const RowSet& rows) {
    std::string sql = "INSERT INTO " + table_ + " VALUES (";
    for (size_t f = 0; f < shape_.fields.size(); ++f) sql += f == 0 ? "?" : ", ?";
    Statement insert(prepare(sql + ")"));
    sqlite3_stmt* s = insert.get();
    const int fields = static_cast<int>(shape_.fields.size());
    for (size_t r = 0; r < rows.size(); ++r) {
        for (int f = 0; f < fields; ++f) {
            const xbase::FieldInfo& info = shape_.fields[static_cast<size_t>(f)];
            int rc = SQLITE_OK;
            if (info.type == 'M') {
                const std::string& memo = rows.memo(r);
                rc = memo.empty() ? sqlite3_bind_null(s, f + 1)
                                  : sqlite3_bind_text(s, f + 1, memo.data(),
                                                      static_cast<int>(memo.size()), SQLITE_STATIC);
            } else if (info.type == 'N' && info.decimals > 0) {
                rc = sqlite3_bind_double(s, f + 1, rows.number(r, f));
            } else if (info.type == 'N' || info.type == 'L') {
                rc = sqlite3_bind_int64(s, f + 1, static_cast<sqlite3_int64>(rows.number(r, f)));
            } else {
                const std::string_view text = rows.text(r, f);
                rc = sqlite3_bind_text(s, f + 1, text.data(), static_cast<int>(text.size()),
                                       SQLITE_STATIC);
            }
            if (rc != SQLITE_OK) fail("binding");
        }
        if (sqlite3_step(s) != SQLITE_DONE) fail("insert");
        sqlite3_reset(s);
    }
}

double SqliteSide::bulkAppend(const RowSet& rows) {
    std::string create = "CREATE TABLE " + table_ + " (";
    for (size_t f = 0; f < shape_.fields.size(); ++f)
        create += (f == 0 ? "" : ", ") + lower(shape_.fields[f].name) + " " +
                  columnType(shape_.fields[f]);
    Stopwatch watch;
    exec(create + ")");
    exec("BEGIN");
    insertRows(rows);
    exec("COMMIT");
    return watch.seconds();
}

double SqliteSide::createIndex(const TagShape& tag) {
    std::string columns;
    for (const std::string& c : tag.sqlColumns) columns += (columns.empty() ? "" : ", ") + c;
    Stopwatch watch;
    exec("CREATE INDEX " + indexName(tag) + " ON " + table_ + " (" + columns + ")");
    return watch.seconds();
}

double SqliteSide::reindex() {
    Stopwatch watch;
    exec("REINDEX " + table_);
    return watch.seconds();
}

double SqliteSide::seekEqual(const TagShape& tag, const std::vector<int64_t>& values,
                             SeekResults* out) {
    const std::string& column = tag.sqlColumns.at(0);
    const std::string sql = "SELECT rowid FROM " + table_ + " WHERE " + column + " = ? ORDER BY " +
                            orderBy(tag, false) + " LIMIT 1";
    requireIndexPlan(sql);
    Statement stmt(prepare(sql));
    sqlite3_stmt* s = stmt.get();
    out->recs.assign(values.size(), 0);
    out->exact = 0;
    Stopwatch watch;
    exec("BEGIN");
    for (size_t i = 0; i < values.size(); ++i) {
        sqlite3_bind_int64(s, 1, values[i]);
        const int rc = sqlite3_step(s);
        if (rc == SQLITE_ROW) {
            out->recs[i] = static_cast<uint32_t>(sqlite3_column_int64(s, 0));
            ++out->exact;
        } else if (rc != SQLITE_DONE) {
            fail(sql);
        }
        sqlite3_reset(s);
    }
    exec("COMMIT");
    return watch.seconds();
}

double SqliteSide::seekFrom(const TagShape& tag, const std::vector<std::string>& prefixes,
                            SeekResults* out) {
    const std::string& lead = tag.sqlColumns.at(0);
    const std::string sql = "SELECT rowid FROM " + table_ + " WHERE " + lead + " >= ? ORDER BY " +
                            orderBy(tag, false) + " LIMIT 1";
    requireIndexPlan(sql);
    Statement stmt(prepare(sql));
    sqlite3_stmt* s = stmt.get();
    out->recs.assign(prefixes.size(), 0);
    out->exact = 0;
    Stopwatch watch;
    exec("BEGIN");
    for (size_t i = 0; i < prefixes.size(); ++i) {
        const std::string& p = prefixes[i];
        sqlite3_bind_text(s, 1, p.data(), static_cast<int>(p.size()), SQLITE_STATIC);
        const int rc = sqlite3_step(s);
        if (rc == SQLITE_ROW)
            out->recs[i] = static_cast<uint32_t>(sqlite3_column_int64(s, 0));
        else if (rc != SQLITE_DONE) {
            fail(sql);
        }
        sqlite3_reset(s);
    }
    exec("COMMIT");
    return watch.seconds();
}

double SqliteSide::walk(const TagShape& tag, bool forward, WalkDigest* out) {
    const std::string sql = "SELECT rowid FROM " + table_ + " ORDER BY " + orderBy(tag, !forward);
    requireIndexPlan(sql);
    Statement stmt(prepare(sql));
    sqlite3_stmt* s = stmt.get();
    *out = {};
    Stopwatch watch;
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW)
        out->add(static_cast<uint64_t>(sqlite3_column_int64(s, 0)));
    if (rc != SQLITE_DONE) fail(sql);
    return watch.seconds();
}

double SqliteSide::rowThenIndex(const TagShape& tag, const std::vector<uint32_t>& recs,
                                size_t* found) {
    std::string columns, match;
    for (const std::string& c : tag.sqlColumns) {
        columns += (columns.empty() ? "" : ", ") + c;
        match += c + " = ? AND ";
    }
    const std::string byRow = "SELECT " + columns + " FROM " + table_ + " WHERE rowid = ?";
    const std::string byKey = "SELECT rowid FROM " + table_ + " INDEXED BY " + indexName(tag) +
                              " WHERE " + match + "rowid = ?";
    requireIndexPlan(byKey);
    Statement rowStmt(prepare(byRow)), keyStmt(prepare(byKey));
    sqlite3_stmt* a = rowStmt.get();
    sqlite3_stmt* b = keyStmt.get();
    const int n = static_cast<int>(tag.sqlColumns.size());
    *found = 0;
    Stopwatch watch;
    exec("BEGIN");
    for (uint32_t r : recs) {
        sqlite3_bind_int64(a, 1, r);
        if (sqlite3_step(a) != SQLITE_ROW) fail(byRow);
        for (int c = 0; c < n; ++c) sqlite3_bind_value(b, c + 1, sqlite3_column_value(a, c));
        sqlite3_bind_int64(b, n + 1, r);
        const int rc = sqlite3_step(b);
        if (rc == SQLITE_ROW && static_cast<uint32_t>(sqlite3_column_int64(b, 0)) == r)
            ++*found;
        else if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            fail(byKey);
        sqlite3_reset(a);
        sqlite3_reset(b);
    }
    exec("COMMIT");
    return watch.seconds();
}

double SqliteSide::append(const RowSet& rows) {
    Stopwatch watch;
    exec("BEGIN");
    insertRows(rows);
    exec("COMMIT");
    return watch.seconds();
}

double SqliteSide::deleteRows(const std::vector<uint32_t>& recs) {
    Statement stmt(prepare("DELETE FROM " + table_ + " WHERE rowid = ?"));
    sqlite3_stmt* s = stmt.get();
    Stopwatch watch;
    exec("BEGIN");
    for (uint32_t r : recs) {
        sqlite3_bind_int64(s, 1, r);
        if (sqlite3_step(s) != SQLITE_DONE || sqlite3_changes(db_) != 1) fail("delete");
        sqlite3_reset(s);
    }
    exec("COMMIT");
    return watch.seconds();
}

double SqliteSide::vacuum() {
    Stopwatch watch;
    exec("VACUUM");
    return watch.seconds();
}

int64_t SqliteSide::count() {
    Statement s(prepare("SELECT count(*) FROM " + table_));
    if (sqlite3_step(s.get()) != SQLITE_ROW) fail("count");
    return sqlite3_column_int64(s.get(), 0);
}

}  // namespace bench
