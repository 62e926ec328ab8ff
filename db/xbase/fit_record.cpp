#include "db/xbase/fit_record.h"

#include <cinttypes>
#include <cstdio>
#include <memory>
#include <sstream>

#include "db/xbase/checksum.h"

namespace xbase {
namespace {

constexpr const char* kSignature = "xbase-fit 1\n";
constexpr size_t kMaxBytes = 1 << 16;

}  // namespace

std::string fitRecordText(const std::vector<FitEntry>& entries) {
    std::string text = kSignature;
    char line[160];
    for (const FitEntry& e : entries) {
        std::snprintf(line, sizeof line,
                      " %" PRIu64 " %" PRIu64 " %" PRIu64 " %" PRId64 " %" PRId64 "\n", e.stat.size,
                      e.stat.device, e.stat.inode, e.stat.modified, e.stat.changed);
        text += e.name;
        text += line;
    }
    std::snprintf(line, sizeof line, "crc %08x\n", crc32(text.data(), text.size()));
    return text + line;
}

bool parseFitRecord(const std::string& text, std::vector<FitEntry>* entries) {
    entries->clear();
    const size_t crcAt = text.rfind("crc ");
    if (text.compare(0, std::string(kSignature).size(), kSignature) != 0 ||
        crcAt == std::string::npos || crcAt == 0 || text[crcAt - 1] != '\n')
        return false;
    char line[32];
    std::snprintf(line, sizeof line, "crc %08x\n", crc32(text.data(), crcAt));
    if (text.compare(crcAt, std::string::npos, line) != 0) return false;
    std::istringstream in(
        text.substr(std::string(kSignature).size(), crcAt - std::string(kSignature).size()));
    std::string row;
    while (std::getline(in, row)) {
        std::istringstream fields(row);
        FitEntry e;
        if (!(fields >> e.name >> e.stat.size >> e.stat.device >> e.stat.inode >> e.stat.modified >>
              e.stat.changed))
            return false;
        std::string rest;
        if (fields >> rest) return false;
        entries->push_back(std::move(e));
    }
    return !entries->empty();
}

Status statPath(Env* env, const std::string& path, FileStat* stat) {
    std::unique_ptr<File> file;
    XBASE_TRY(env->open(path, OpenMode::ReadOnly, &file));
    return file->stat(stat);
}

Status writeFitRecord(Env* env, const std::string& temp, const std::vector<FitEntry>& entries) {
    const std::string text = fitRecordText(entries);
    std::unique_ptr<File> file;
    XBASE_TRY(env->open(temp, OpenMode::Create, &file));
    return file->write(0, text.data(), text.size());
}

Status renameFitRecord(Env* env, const std::string& temp, const std::string& path) {
    Status s = env->rename(temp, path);
    if (!s.ok() && env->exists(temp)) {
        if (Status removed = env->remove(temp); !removed.ok())
            return Status(s.code(), s.message() + "; " + removed.message());
    }
    return s;
}

bool fitRecordMatches(Env* env, const std::string& path, const std::vector<FitEntry>& entries) {
    if (env->kind(path) != FileKind::File) return false;
    std::unique_ptr<File> file;
    FileStat written;
    if (!env->open(path, OpenMode::ReadOnly, &file).ok() || !file->stat(&written).ok() ||
        written.size == 0 || written.size > kMaxBytes)
        return false;
    std::string text(static_cast<size_t>(written.size), '\0');
    size_t got = 0;
    std::vector<FitEntry> recorded;
    if (!file->read(0, text.size(), text.data(), &got).ok() || got != text.size() ||
        !parseFitRecord(text, &recorded) || recorded.size() != entries.size())
        return false;
    for (size_t i = 0; i < entries.size(); ++i) {
        const FitEntry& now = entries[i];
        if (recorded[i].name != now.name || !(recorded[i].stat == now.stat) ||
            now.stat.changed >= written.modified || now.stat.modified >= written.modified)
            return false;
    }
    return true;
}

}  // namespace xbase
