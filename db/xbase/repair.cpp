#include <algorithm>

#include "db/xbase/dbf.h"
#include "db/xbase/dbt.h"
#include "db/xbase/table.h"

namespace xbase {
namespace {

constexpr uint32_t kBatchBytes = 1 << 20;

bool wholeFlag(char flag) {
    return flag == ' ' || flag == '*';
}

// Finds what is wrong with the table's records and mends them in `records` (whole records
// only, as the count taken from the size gives them); a damaged tail leaves `records` shorter.
Status mendRecords(DbfFile* dbf, DbtFile* memo, std::string* records, Context::Repair* repair) {
    const auto len = static_cast<size_t>(dbf->recordLength());
    const uint32_t batch = std::max<uint32_t>(1, kBatchBytes / dbf->recordLength());
    records->resize(static_cast<size_t>(dbf->count()) * len);
    for (uint32_t first = 1; first <= dbf->count(); first += batch) {
        const uint32_t n = std::min(batch, dbf->count() - first + 1);
        XBASE_TRY(dbf->readRange(first, n, records->data() + (first - 1) * len));
    }
    const std::string where = dbf->path() + ": record ";
    // A run of records at the end whose deletion flags are neither blank nor '*' is what a
    // power loss leaves (zeros, most often): none of it was ever a record, so it is cut off.
    uint32_t kept = dbf->count();
    while (kept > 0 && !wholeFlag((*records)[(kept - 1) * len])) --kept;
    if (kept < dbf->count()) {
        const uint32_t cut = dbf->count() - kept;
        repair->lost.push_back(dbf->path() + ": " + std::to_string(cut) + " damaged record" +
                               (cut == 1 ? "" : "s") + " at the end (from record " +
                               std::to_string(kept + 1) +
                               ", deletion flag neither blank nor '*') cut off");
        records->resize(static_cast<size_t>(kept) * len);
    }
    for (uint32_t r = 1; r <= kept; ++r) {
        char* rec = records->data() + (r - 1) * len;
        if (!wholeFlag(rec[0])) {
            repair->mended.push_back(where + std::to_string(r) +
                                     " had a bad deletion flag; it is kept as a live record");
            rec[0] = ' ';
        }
        if (!memo) continue;
        for (size_t f = 0; f < dbf->fields().size(); ++f) {
            if (dbf->fields()[f].type != 'M') continue;
            char* field = rec + dbf->offsets()[f];
            const uint32_t block = DbtFile::blockOf(field);
            if (block < memo->nextFree()) continue;
            repair->lost.push_back(where + std::to_string(r) + ": its " + dbf->fields()[f].name +
                                   " memo named block " + std::to_string(block) +
                                   ", past the end of the memo file; the memo is cleared");
            std::fill(field, field + 10, ' ');
        }
    }
    return {};
}

}  // namespace

int Context::repairTable(std::string_view name, bool apply, Repair* repair) {
    *repair = {};
    const std::string base(name);
    const std::string dbfPath = resolve(base + ".dbf");
    for (const auto& t : tables_)
        if (static_cast<TableImpl*>(t.get())->dbfPath() == dbfPath)
            return fail(Status(kErrArgument, dbfPath + " is open"));
    std::unique_ptr<DbfFile> dbf;
    if (Status s = DbfFile::openForRepair(env(), dbfPath, &dbf); !s.ok()) return fail(s);
    uint64_t size = 0;
    if (Status s = dbf->file()->size(&size); !s.ok()) return fail(s);
    const uint64_t whole = static_cast<uint64_t>(dbf->headerLength()) +
                           static_cast<uint64_t>(dbf->count()) * dbf->recordLength();
    if (dbf->statedCount() != dbf->count())
        repair->mended.push_back(dbfPath + ": the header gave " +
                                 std::to_string(dbf->statedCount()) + " records, the file holds " +
                                 std::to_string(dbf->count()) + "; the count now follows the file");
    char last = 0x1A;
    size_t got = 0;
    if (size == whole + 1)
        if (Status s = dbf->file()->read(whole, 1, &last, &got); !s.ok()) return fail(s);
    if (size > whole + 1 || last != 0x1A)
        repair->lost.push_back(dbfPath + ": record " + std::to_string(dbf->count() + 1) +
                               " was cut short (" + std::to_string(size - whole) + " of " +
                               std::to_string(dbf->recordLength()) +
                               " bytes) and cannot be kept");
    std::unique_ptr<DbtFile> memo;
    if (dbf->hasMemo())
        if (Status s = DbtFile::open(env(), resolve(base + ".dbt"), &memo); !s.ok())
            return fail(s);
    std::string records;
    if (Status s = mendRecords(dbf.get(), memo.get(), &records, repair); !s.ok()) return fail(s);
    if (!apply || !repair->needed()) return kOk;

    // The mended table goes beside the old one and takes its place in one rename; a crash
    // before the rename leaves a new file without a commit marker, which is removed.
    std::string header(static_cast<size_t>(dbf->headerLength()), '\0');
    if (Status s = dbf->file()->read(0, header.size(), header.data(), &got); !s.ok())
        return fail(s);
    put32(&header[4], static_cast<uint32_t>(records.size() / dbf->recordLength()));
    records.push_back('\x1A');
    const std::string newPath = dbfPath + ".new";
    Status s;
    {
        std::unique_ptr<File> out;
        s = env()->open(newPath, OpenMode::Create, &out);
        if (s.ok()) s = out->write(0, header.data(), header.size());
        if (s.ok()) s = out->write(header.size(), records.data(), records.size());
        if (s.ok()) s = out->sync();
    }
    if (s.ok()) {
        dbf.reset();
        s = env()->rename(newPath, dbfPath);
    }
    if (!s.ok())
        if (Status removed = env()->remove(newPath); !removed.ok())
            s = Status(s.code(), s.message() + "; " + removed.message());
    return fail(s);
}

}  // namespace xbase
