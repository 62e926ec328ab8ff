#include "db/xbase/rewrite_marker.h"

#include <cstring>
#include <memory>

#include "db/xbase/dbf.h"
#include "db/xbase/set_aside.h"

namespace xbase {
namespace {

constexpr char kMagic[8] = {'X', 'B', 'R', 'E', 'W', 'R', 'T', '1'};
constexpr size_t kStampAt = 9;
constexpr size_t kMarkerBytes = kStampAt + 4 * 12 + 4;

void putStamp(char* p, const FileStamp& s) {
    put32(p, static_cast<uint32_t>(s.size));
    put32(p + 4, static_cast<uint32_t>(s.size >> 32));
    put32(p + 8, s.crc);
}

FileStamp getStamp(const char* p) {
    return {static_cast<uint64_t>(get32(p)) | static_cast<uint64_t>(get32(p + 4)) << 32,
            get32(p + 8)};
}

// The stamp of `path`, or an empty one when there is no such file.
Status stampIfThere(Env* env, const std::string& path, FileStamp* stamp, bool* there) {
    *stamp = {};
    *there = env->kind(path) != FileKind::Missing;
    return *there ? stampOf(env, path, stamp) : Status();
}

}  // namespace

Status writeMarker(Env* env, const RewriteFiles& files, bool memo) {
    RewriteMarker m;
    m.memo = memo;
    XBASE_TRY(stampOf(env, files.dbf, &m.table));
    XBASE_TRY(stampOf(env, files.newDbf, &m.newTable));
    if (memo) {
        XBASE_TRY(stampOf(env, files.dbt, &m.memoFile));
        XBASE_TRY(stampOf(env, files.newDbt, &m.newMemo));
    }
    char bytes[kMarkerBytes] = {};
    std::memcpy(bytes, kMagic, 8);
    bytes[8] = memo ? 1 : 0;
    putStamp(bytes + kStampAt, m.table);
    putStamp(bytes + kStampAt + 12, m.memoFile);
    putStamp(bytes + kStampAt + 24, m.newTable);
    putStamp(bytes + kStampAt + 36, m.newMemo);
    put32(bytes + kMarkerBytes - 4, crc32(bytes, kMarkerBytes - 4));
    std::unique_ptr<File> file;
    XBASE_TRY(env->open(files.marker, OpenMode::CreateNew, &file));
    XBASE_TRY(file->write(0, bytes, kMarkerBytes));
    return file->sync();
}

MarkerRead readMarker(Env* env, const RewriteFiles& files, RewriteMarker* marker) {
    if (env->kind(files.marker) != FileKind::File) return MarkerRead::kOther;
    std::unique_ptr<File> file;
    char bytes[kMarkerBytes + 1] = {};
    size_t got = 0;
    uint64_t size = 0;
    if (!env->open(files.marker, OpenMode::ReadOnly, &file).ok() || !file->size(&size).ok())
        return MarkerRead::kOther;
    if (size == 0) return MarkerRead::kEmpty;
    if (!file->read(0, sizeof bytes, bytes, &got).ok() || got != kMarkerBytes ||
        std::memcmp(bytes, kMagic, 8) != 0 || bytes[8] > 1 ||
        crc32(bytes, kMarkerBytes - 4) != get32(bytes + kMarkerBytes - 4))
        return MarkerRead::kOther;
    marker->memo = bytes[8] == 1;
    marker->table = getStamp(bytes + kStampAt);
    marker->memoFile = getStamp(bytes + kStampAt + 12);
    marker->newTable = getStamp(bytes + kStampAt + 24);
    marker->newMemo = getStamp(bytes + kStampAt + 36);
    return MarkerRead::kWhole;
}

std::string markerMismatch(Env* env, const RewriteFiles& files, const RewriteMarker& m) {
    FileStamp dbf, dbt, newDbf, newDbt;
    bool hasDbf = false, hasDbt = false, hasNewDbf = false, hasNewDbt = false;
    for (Status s :
         {stampIfThere(env, files.dbf, &dbf, &hasDbf), stampIfThere(env, files.dbt, &dbt, &hasDbt),
          stampIfThere(env, files.newDbf, &newDbf, &hasNewDbf),
          stampIfThere(env, files.newDbt, &newDbt, &hasNewDbt)})
        if (!s.ok()) return s.message();
    const std::string other = "they were not made from this table";
    if (!m.memo && hasNewDbt) return other;
    // The table: not yet replaced (its new file waiting), or replaced by it.
    const bool tableOnItsWay =
        hasNewDbf ? newDbf == m.newTable && dbf == m.table : hasDbf && dbf == m.newTable;
    if (!tableOnItsWay) return other;
    if (!m.memo) return {};
    // The memo file goes first: while the new table waits, the memo file may be either; once
    // the table is in place, the memo file is too.
    const bool memoOnItsWay = hasNewDbt ? hasNewDbf && newDbt == m.newMemo && dbt == m.memoFile
                                        : hasDbt && dbt == m.newMemo;
    return memoOnItsWay ? std::string() : other;
}

Status setLeftoversAside(Env* env, const RewriteFiles& files) {
    for (const std::string* path : {&files.newDbf, &files.newDbt, &files.marker}) {
        std::string keptAs;
        if (env->kind(*path) != FileKind::Missing)
            XBASE_TRY(setAside(env, *path, "foreign", &keptAs));
    }
    return {};
}

}  // namespace xbase
