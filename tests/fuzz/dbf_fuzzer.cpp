// Fuzz target for the table reader; the input is a .dbf file. A file the reader accepts must keep
// its promises: the size matches the header, every record reads the same with and without the
// record cache and in ranges, the public Table interface shows the same bytes (memos come from a
// small valid memo file), key expressions over every field evaluate within their record, the
// check flags exactly the bad deletion flags, and an appended record leaves the others as they
// were.
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "db/xbase/dbf.h"
#include "db/xbase/expr.h"
#include "db/xbase/xbase.h"
#include "tests/fuzz/fuzz_require.h"
#include "tests/fuzz/mem_env.h"

using namespace xbase;

namespace {

const std::string kDir = "/data";
const std::string kDbf = kDir + "/T.dbf";

// A memo file with memos at blocks 1 and 2 (two blocks long); the next free block is 4.
std::string memoFile() {
    std::string m(4 * 512, '\0');
    put32(&m[0], 4);
    m[16] = 0x03;
    m.replace(512, 12, "first memo\x1A\x1A");
    m.replace(1024, 600, std::string(600, 'x'));
    m.replace(1624, 2, "\x1A\x1A");
    return m;
}

std::string readEach(DbfFile* dbf) {
    std::string all(static_cast<size_t>(dbf->count()) * dbf->recordLength(), '\0');
    for (uint32_t r = 1; r <= dbf->count(); ++r) {
        const Status s =
            dbf->read(r, all.data() + static_cast<size_t>(r - 1) * dbf->recordLength());
        FUZZ_REQUIRE(s.ok());
    }
    return all;
}

// Compiles a key expression over each field and evaluates it on every record, each record in a
// buffer of exactly its length so that a read past it is caught.
void evaluateKeys(DbfFile* dbf, const std::string& records) {
    const size_t len = static_cast<size_t>(dbf->recordLength());
    for (const FieldInfo& f : dbf->fields()) {
        std::vector<std::string> texts;
        switch (f.type) {
            case 'C':
                texts = {"Upper(" + f.name + ")"};
                break;
            case 'N':
                texts = {"Str(" + f.name + ")", "Str(" + f.name + ", 12, 3)"};
                break;
            case 'D':
                texts = {"DTOS(" + f.name + ")"};
                break;
            default:
                break;
        }
        for (const std::string& text : texts) {
            KeyExpr expr;
            if (!KeyExpr::compile(text, dbf->fields(), dbf->offsets(), &expr).ok()) continue;
            auto record = std::make_unique<char[]>(len);
            auto key = std::make_unique<char[]>(static_cast<size_t>(expr.length()));
            for (uint32_t r = 0; r < dbf->count(); ++r) {
                std::memcpy(record.get(), records.data() + r * len, len);
                expr.eval(record.get(), key.get());
                if (f.type == 'C')
                    for (int i = 0; i < expr.length(); ++i)
                        FUZZ_REQUIRE(key[i] < 'a' || key[i] > 'z');
            }
        }
    }
}

void readThroughTable(MemEnv* env, const DbfFile& dbf, const std::string& records) {
    Context ctx(kDir, env);
    Table* t = ctx.open("T");
    FUZZ_REQUIRE(t != nullptr);
    FUZZ_REQUIRE(t->recCount() == dbf.count());
    const size_t len = static_cast<size_t>(dbf.recordLength());
    for (uint32_t r = 1; r <= t->recCount(); ++r) {
        FUZZ_REQUIRE(t->go(r) == kFound);
        const char* bytes = records.data() + (r - 1) * len;
        FUZZ_REQUIRE(t->deleted() == (bytes[0] == '*'));
        for (int i = 0; i < t->fieldCount(); ++i) {
            Field* f = t->fieldAt(i);
            const std::string s = f->str();
            FUZZ_REQUIRE(s.size() == static_cast<size_t>(f->length()));
            FUZZ_REQUIRE(std::memcmp(s.data(), bytes + dbf.offsets()[i], s.size()) == 0);
            FUZZ_REQUIRE(std::isfinite(f->asDouble()));
            (void)f->asLong();
            (void)f->isTrue();
            const std::string memo = f->memo();
            FUZZ_REQUIRE(memo.find('\x1A') == std::string::npos);
        }
    }
    uint32_t seen = 0;
    for (int rc = t->top(); rc == kFound; rc = t->skip(1)) ++seen;
    FUZZ_REQUIRE(seen == t->recCount());
    ctx.errorCode();  // memo blocks out of range leave an error pending; that is expected

    // Appending through the table leaves every earlier record as it was.
    FUZZ_REQUIRE(t->appendBlank() == kFound);
    if (t->fieldCount() > 0) t->fieldAt(0)->assign("1");
    FUZZ_REQUIRE(ctx.closeAll() == 0);
    std::unique_ptr<DbfFile> again;
    FUZZ_REQUIRE(DbfFile::open(env, kDbf, false, &again).ok());
    FUZZ_REQUIRE(again->count() == dbf.count() + 1);
    const std::string after = readEach(again.get());
    FUZZ_REQUIRE(after.compare(0, records.size(), records) == 0);
    FUZZ_REQUIRE(after[records.size()] == ' ');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemEnv env;
    env.put(kDbf, std::string(reinterpret_cast<const char*>(data), size));
    env.put(kDir + "/T.dbt", memoFile());

    // The cached reader keeps no chunk past the read that needed it.
    CacheBudget noRoom(0);
    std::unique_ptr<DbfFile> cached, direct;
    const Status s = DbfFile::open(&env, kDbf, true, &cached, &noRoom);
    if (!s.ok()) {
        FUZZ_REQUIRE(s.code() == kErrData);
        return 0;
    }
    FUZZ_REQUIRE(DbfFile::open(&env, kDbf, false, &direct).ok());
    const uint64_t expected =
        cached->headerLength() + static_cast<uint64_t>(cached->count()) * cached->recordLength();
    FUZZ_REQUIRE(size == expected || size == expected + 1);
    int sum = 1;
    for (const FieldInfo& f : cached->fields()) sum += f.length;
    FUZZ_REQUIRE(sum == cached->recordLength());

    const std::string records = readEach(cached.get());
    FUZZ_REQUIRE(readEach(direct.get()) == records);
    if (cached->count() > 0) {
        std::string range(records.size(), '\0');
        FUZZ_REQUIRE(direct->readRange(1, cached->count(), range.data()).ok());
        FUZZ_REQUIRE(range == records);
    }

    std::vector<std::string> problems;
    cached->check(&problems);
    bool badFlag = false;
    for (size_t at = 0; at < records.size(); at += cached->recordLength())
        badFlag = badFlag || (records[at] != ' ' && records[at] != '*');
    FUZZ_REQUIRE(problems.empty() == !badFlag);

    evaluateKeys(cached.get(), records);
    cached.reset();
    readThroughTable(&env, *direct, records);
    return 0;
}
