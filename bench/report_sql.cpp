#include "bench/report_sql.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "bench/results.h"
#include "db/xbase/xbase.h"

namespace bench {
namespace {

struct CloseDb {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct Finalize {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Db = std::unique_ptr<sqlite3, CloseDb>;
using Statement = std::unique_ptr<sqlite3_stmt, Finalize>;

[[noreturn]] void Fail(sqlite3* db, const std::string& what) {
    throw BenchFailure("SQLite: " + what + ": " + (db ? sqlite3_errmsg(db) : "no database"));
}

Db Open(const std::string& path, int flags) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    Db owned(db);
    if (rc != SQLITE_OK) Fail(db, "opening " + path);
    return owned;
}

void Exec(sqlite3* db, const std::string& sql) {
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) Fail(db, sql);
}

Statement Prepare(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) Fail(db, sql);
    return Statement(s);
}

// How a column of the copy is taken from its field: text as stored, a whole number, an amount
// in cents, or a logical as 0 or 1.
enum class Kind { Text, Int, Cents, Flag };

struct Column {
    const char* field;
    Kind kind;
};

struct TableCopy {
    const char* table;  // the engine's table
    const char* name;   // the copy's
    std::vector<Column> columns;
};

const std::vector<TableCopy>& Tables() {
    static const std::vector<TableCopy> tables = {
        {"GROUPS", "grp", {{"nGroup", Kind::Int}, {"cGroup", Kind::Text}}},
        {"CUST5",
         "cust",
         {{"CuNo", Kind::Int},
          {"Title", Kind::Text},
          {"First", Kind::Text},
          {"Last", Kind::Text},
          {"Addr1", Kind::Text},
          {"Addr2", Kind::Text},
          {"Addr3", Kind::Text},
          {"Addr4", Kind::Text},
          {"Zip", Kind::Text},
          {"nGroup", Kind::Int}}},
        {"Prod5", "prod", {{"PrID", Kind::Text}, {"PDesc", Kind::Text}}},
        {"INV5",
         "inv",
         {{"IvNo", Kind::Int},
          {"CuNo", Kind::Int},
          {"IDate", Kind::Text},
          {"IMemo", Kind::Text},
          {"Ship", Kind::Cents},
          {"Tax", Kind::Cents},
          {"Due", Kind::Cents}}},
        {"ITM5",
         "itm",
         {{"IvNo", Kind::Int},
          {"PrID", Kind::Text},
          {"Qty", Kind::Cents},
          {"UPR", Kind::Cents},
          {"LTax1", Kind::Flag},
          {"LTax2", Kind::Flag},
          {"PDesc", Kind::Text},
          {"IComm", Kind::Text}}},
        {"PMT", "pmt", {{"IvNo", Kind::Int}, {"PDate", Kind::Text}, {"PAmt", Kind::Cents}}},
    };
    return tables;
}

// One index for every tag the reports read.
constexpr const char* kIndexes[] = {
    "CREATE INDEX inv_no ON inv(ivno)",
    "CREATE INDEX inv_cust ON inv(cuno)",
    "CREATE INDEX inv_date ON inv(idate)",
    "CREATE INDEX inv_date_due ON inv(idate, due)",
    "CREATE INDEX itm_no ON itm(ivno)",
    "CREATE INDEX itm_prod ON itm(prid, ivno)",
    "CREATE INDEX pmt_no ON pmt(ivno)",
    "CREATE INDEX pmt_date ON pmt(pdate)",
    "CREATE INDEX cust_no ON cust(cuno)",
    "CREATE INDEX cust_zip ON cust(zip)",
    "CREATE INDEX cust_name ON cust(upper(last || first))",
    "CREATE INDEX grp_no ON grp(ngroup)",
    "CREATE INDEX prod_id ON prod(upper(prid))",
};

void CopyTable(xbase::Context& ctx, sqlite3* db, const TableCopy& copy) {
    xbase::Table* table = ctx.open(copy.table);
    if (!table) throw BenchFailure(std::string("opening ") + copy.table + ": " + ctx.errorText());
    std::vector<xbase::Field*> fields;
    std::string names;
    std::string marks;
    for (const Column& column : copy.columns) {
        xbase::Field* field = table->field(column.field);
        if (!field) throw BenchFailure(std::string("no field ") + column.field);
        fields.push_back(field);
        names += std::string(names.empty() ? "" : ", ") + column.field;
        marks += marks.empty() ? "?" : ", ?";
    }
    Exec(db, "CREATE TABLE " + std::string(copy.name) + " (" + names + ")");
    const Statement insert =
        Prepare(db, "INSERT INTO " + std::string(copy.name) + " VALUES (" + marks + ")");
    table->select(nullptr);
    int rc = table->top();
    for (; rc == xbase::kFound; rc = table->skip()) {
        if (table->deleted()) continue;
        for (size_t i = 0; i < fields.size(); ++i) {
            const int at = static_cast<int>(i) + 1;
            switch (copy.columns[i].kind) {
                case Kind::Text: {
                    const std::string text = fields[i]->str();
                    sqlite3_bind_text(insert.get(), at, text.data(), static_cast<int>(text.size()),
                                      SQLITE_TRANSIENT);
                    break;
                }
                case Kind::Int:
                    sqlite3_bind_int64(insert.get(), at, fields[i]->asLong());
                    break;
                case Kind::Cents:
                    sqlite3_bind_int64(insert.get(), at, std::llround(fields[i]->asDouble() * 100));
                    break;
                case Kind::Flag:
                    sqlite3_bind_int(insert.get(), at, fields[i]->isTrue() ? 1 : 0);
                    break;
            }
        }
        if (sqlite3_step(insert.get()) != SQLITE_DONE) Fail(db, "inserting into " + names);
        sqlite3_reset(insert.get());
    }
    if (rc < 0) throw BenchFailure(std::string("reading ") + copy.table + ": " + ctx.errorText());
    if (table->close() != 0) throw BenchFailure(std::string("closing ") + copy.table);
}

struct ReportQuery {
    std::string name;
    std::vector<std::string> sql;  // ?1 from, ?2 to, ?3 product
};

const std::vector<ReportQuery>& Queries() {
    // The items' sales of invoice i summed: price x quantity in cents, rounded to the cent with
    // halves away from zero, as the invoice rounds them.
    const std::string items =
        "(SELECT COALESCE(SUM((t.upr * t.qty + (CASE WHEN t.upr * t.qty < 0 THEN -50 ELSE 50 "
        "END)) / 100), 0) FROM itm t WHERE t.ivno = i.ivno)";
    static const std::vector<ReportQuery> queries = {
        {"sales-summary",
         {"SELECT i.ivno, i.idate, " + items +
          ", i.ship, i.tax FROM inv i WHERE i.idate BETWEEN ?1 AND ?2 ORDER BY i.idate, i.rowid"}},
        {"receivables",
         {"SELECT i.ivno, c.title, c.first, c.last, c.addr1, i.idate, i.due FROM inv i "
          "LEFT JOIN cust c ON c.cuno = i.cuno WHERE i.due <> 0 ORDER BY i.ivno"}},
        {"product-buyers",
         {"SELECT c.title, c.first, c.last, c.addr1, g.cgroup, i.idate, t.upr FROM itm t "
          "JOIN inv i ON i.ivno = t.ivno LEFT JOIN cust c ON c.cuno = i.cuno "
          "LEFT JOIN grp g ON g.ngroup = c.ngroup "
          "WHERE t.prid = ?3 AND i.idate BETWEEN ?1 AND ?2 ORDER BY i.idate, i.rowid"}},
        {"statements",
         {"SELECT c.cuno, c.title, c.first, c.last, c.addr1, c.addr2, c.addr3, c.addr4, c.zip, "
          "i.ivno, i.idate, " +
          items +
          " + i.ship + i.tax, (SELECT COALESCE(SUM(p.pamt), 0) FROM pmt p WHERE p.ivno = i.ivno), "
          "i.due FROM inv i JOIN cust c ON c.cuno = i.cuno "
          "WHERE i.idate BETWEEN ?1 AND ?2 AND i.due <> 0 ORDER BY c.zip, c.rowid, i.rowid"}},
        {"invoices",
         {"SELECT i.ivno, i.idate, i.imemo, i.ship, i.tax, i.due, c.title, c.first, c.last, "
          "c.addr1, c.addr2, c.addr3, c.addr4, c.zip, t.prid, t.pdesc, t.icomm, t.qty, t.upr "
          "FROM inv i LEFT JOIN cust c ON c.cuno = i.cuno JOIN itm t ON t.ivno = i.ivno "
          "WHERE i.idate BETWEEN ?1 AND ?2 ORDER BY i.idate, i.rowid, t.rowid",
          "SELECT p.ivno, p.pdate, p.pamt FROM inv i JOIN pmt p ON p.ivno = i.ivno "
          "WHERE i.idate BETWEEN ?1 AND ?2 ORDER BY i.idate, i.rowid, p.rowid"}},
        {"profile",
         {"SELECT c.cuno, c.title, c.first, c.last, c.addr1, c.addr2, c.addr3, c.addr4, "
          "g.cgroup, i.idate, t.prid, t.qty, t.upr FROM cust c "
          "LEFT JOIN grp g ON g.ngroup = c.ngroup JOIN inv i ON i.cuno = c.cuno "
          "JOIN itm t ON t.ivno = i.ivno WHERE c.ngroup = 1 "
          "ORDER BY upper(c.last || c.first), c.rowid, i.rowid, t.rowid"}},
    };
    return queries;
}

}  // namespace

void LoadBusiness(const std::string& dataDir, const std::string& dbPath) {
    std::remove(dbPath.c_str());
    const Db db = Open(dbPath, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    Exec(db.get(), "PRAGMA journal_mode = OFF");
    Exec(db.get(), "PRAGMA synchronous = OFF");
    Exec(db.get(), "BEGIN");
    xbase::Context ctx(dataDir);
    ctx.setAutoOpen(false);
    for (const TableCopy& copy : Tables()) CopyTable(ctx, db.get(), copy);
    for (const char* index : kIndexes) Exec(db.get(), index);
    Exec(db.get(), "COMMIT");
    Exec(db.get(), "ANALYZE");
}

long RunReportSql(const std::string& name, const std::string& dbPath, const std::string& from,
                  const std::string& to, const std::string& product, const std::string& outPath) {
    const ReportQuery* query = nullptr;
    for (const ReportQuery& q : Queries())
        if (name == q.name) query = &q;
    if (!query) throw BenchFailure("no query for " + name);
    const Db db = Open(dbPath, SQLITE_OPEN_READONLY);
    std::FILE* out = std::fopen(outPath.c_str(), "w");
    if (!out) throw BenchFailure("cannot write " + outPath);
    long rows = 0;
    for (const std::string& sql : query->sql) {
        const Statement s = Prepare(db.get(), sql);
        const int params = sqlite3_bind_parameter_count(s.get());
        const std::string* values[] = {&from, &to, &product};
        for (int p = 1; p <= params && p <= 3; ++p)
            sqlite3_bind_text(s.get(), p, values[p - 1]->c_str(), -1, SQLITE_STATIC);
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(s.get())) == SQLITE_ROW) {
            const int columns = sqlite3_column_count(s.get());
            for (int c = 0; c < columns; ++c) {
                const unsigned char* text = sqlite3_column_text(s.get(), c);
                std::fputs(text ? reinterpret_cast<const char*>(text) : "", out);
                std::fputc(c + 1 < columns ? '\t' : '\n', out);
            }
            ++rows;
        }
        if (rc != SQLITE_DONE) {
            std::fclose(out);
            Fail(db.get(), sql);
        }
    }
    if (std::fclose(out) != 0) throw BenchFailure("cannot write " + outPath);
    return rows;
}

}  // namespace bench
