// Writes the fuzzers' seed corpus: small valid tables, memo files and indexes made by the engine
// itself (bulk-built and then changed record by record, so that there are multi-level trees and
// freed pages), into DIR/dbf, DIR/dbt and DIR/ntx.
//
// Usage: make_seeds DIR
#include <cstdio>
#include <filesystem>
#include <string>

#include "db/xbase/xbase.h"

using namespace xbase;
namespace fs = std::filesystem;

namespace {

bool fail(Context& ctx, const char* what) {
    std::fprintf(stderr, "make_seeds: %s: %s\n", what, ctx.errorText().c_str());
    return false;
}

bool customers(Context& ctx) {
    Table* t = ctx.create("CUST", {{"CUNO", 'N', 6, 0},
                                   {"LAST", 'C', 20, 0},
                                   {"FIRST", 'C', 13, 0},
                                   {"IDATE", 'D', 8, 0},
                                   {"AMOUNT", 'N', 8, 2},
                                   {"ACTIVE", 'L', 1, 0},
                                   {"NOTES", 'M', 10, 0}});
    if (!t) return fail(ctx, "CUST");
    const char* last[] = {"Smith", "jones", "Brown", "Lee"};
    for (int i = 1; i <= 12; ++i) {
        t->appendBlank();
        t->field("cuno")->assignInt(i % 5 == 0 ? 3 : i);
        t->field("last")->assign(last[i % 4]);
        t->field("first")->assign(i % 3 ? "Ann" : "");
        if (i % 4) t->field("idate")->assign("202603" + std::to_string(10 + i));
        t->field("amount")->assignDouble(i * 12.5 - 40);
        t->field("active")->assign(i % 2 ? "T" : "F");
        if (i % 3 == 1) t->field("notes")->assignMemo("Call back.\r\nMemo " + std::to_string(i));
        if (i == 5) t->field("notes")->assignMemo(std::string(700, 'm'));
        if (i == 4 || i == 9) t->deleteRecord();
    }
    if (ctx.createIndex(t, "CUST",
                        {{"CNAME", "Upper(Last + First)"},
                         {"CCNO", "Str(CuNo, 6)"},
                         {"CDATE", "DTOS(IDate)"}}) != 0)
        return fail(ctx, "CUST tags");
    t->go(2);
    t->field("notes")->assignMemo("Rewritten");
    return t->flush() == 0 || fail(ctx, "CUST update");
}

// Keys of 250 bytes leave room for two per page: a few records make a deep tree.
bool wide(Context& ctx) {
    Table* t = ctx.create("WIDE", {{"TEXT", 'C', 250, 0}, {"N", 'N', 4, 0}});
    if (!t) return fail(ctx, "WIDE");
    for (int i = 1; i <= 14; ++i) {
        t->appendBlank();
        t->field("text")->assign(std::string(1, static_cast<char>('a' + i * 5 % 14)) + "wide");
        t->field("n")->assignInt(i);
    }
    if (ctx.createIndex(t, "WIDE", {{"WTEXT", "Text"}}) != 0) return fail(ctx, "WIDE tag");
    for (uint32_t r = 2; r <= 14; r += 3) {
        t->go(r);
        t->field("text")->assign("zz" + std::to_string(r));
    }
    return t->flush() == 0 || fail(ctx, "WIDE update");
}

// Enough short keys for a two-level tree, then a run of them moved away so that pages merge.
bool numbers(Context& ctx) {
    Table* t = ctx.create("NUMS", {{"CUNO", 'N', 6, 0}});
    if (!t) return fail(ctx, "NUMS");
    for (int i = 1; i <= 300; ++i) {
        t->appendBlank();
        t->field("cuno")->assignInt(i);
    }
    if (ctx.createIndex(t, "NUMS", {{"NCUNO", "Str(CuNo, 6)"}}) != 0) return fail(ctx, "NUMS tag");
    for (uint32_t r = 50; r <= 150; ++r) {
        t->go(r);
        t->field("cuno")->assignInt(static_cast<int>(r) + 1000);
    }
    return t->flush() == 0 || fail(ctx, "NUMS update");
}

bool empty(Context& ctx) {
    Table* t = ctx.create("EMPTY", {{"NAME", 'C', 10, 0}});
    if (!t) return fail(ctx, "EMPTY");
    return ctx.createIndex(t, "EMPTY", {{"ENAME", "Upper(Name)"}}) == 0 || fail(ctx, "EMPTY tag");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds DIR\n");
        return 2;
    }
    const fs::path out = argv[1];
    const fs::path work = out / "work";
    for (const char* dir : {"work", "dbf", "dbt", "ntx"}) fs::remove_all(out / dir);
    fs::create_directories(work);
    {
        Context ctx(work.string());
        if (!customers(ctx) || !wide(ctx) || !numbers(ctx) || !empty(ctx)) return 1;
        if (ctx.closeAll() != 0) {
            fail(ctx, "close");
            return 1;
        }
    }
    for (const char* kind : {"dbf", "dbt", "ntx"}) fs::create_directories(out / kind);
    for (const auto& entry : fs::directory_iterator(work)) {
        std::string ext = entry.path().extension().string();
        if (ext == ".dbf" || ext == ".dbt" || ext == ".ntx")
            fs::copy_file(entry.path(), out / ext.substr(1) / entry.path().filename());
    }
    fs::remove_all(work);
    return 0;
}
