// Whether a table's tags fit its records: the survey of each tag's pages, and the fit record a
// clean close leaves so that the next open may skip the surveys (see fit_record.h).
#include "db/xbase/table.h"

namespace xbase {
namespace {

std::string baseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool TableImpl::tagFits(Tag* tag, std::string* why) {
    TagState& t = tags_.at(static_cast<size_t>(tag->index_));
    if (stamped_) return true;
    const uint32_t n = dbf_->count();
    NtxIndex::Survey survey;
    if (Status s = t.index->survey(&survey); !s.ok()) {
        *why = s.message();
        return false;
    }
    const std::string& path = t.index->path();
    if (survey.entries > 0 && (survey.lowRec == 0 || survey.highRec > n)) {
        *why = path + ": an entry names record " +
               std::to_string(survey.lowRec == 0 ? 0 : survey.highRec) + " of a table of " +
               std::to_string(n);
        return false;
    }
    if (survey.entries != n) {
        *why = path + ": " + std::to_string(survey.entries) + " entries for " + std::to_string(n) +
               " records";
        return false;
    }
    t.fits = true;
    return true;
}

bool TableImpl::trusted() const {
    if (faulted_ || !broken_.ok() || groupName_.empty() || tags_.empty()) return false;
    if (stamped_ || built_) return true;
    for (const TagState& t : tags_)
        if (!t.fits) return false;
    return true;
}

Status TableImpl::fitEntries(std::vector<FitEntry>* entries, bool byPath) {
    Env* env = ctx_->env();
    entries->clear();
    const auto add = [&](const std::string& path, File* file) -> Status {
        FitEntry e{baseName(path), {}};
        XBASE_TRY(file ? file->stat(&e.stat) : statPath(env, path, &e.stat));
        if (file && byPath) {
            FileStat named;
            XBASE_TRY(statPath(env, path, &named));
            if (!(named == e.stat)) return Status(kErrArgument, path + " is not the file open");
        }
        entries->push_back(std::move(e));
        return {};
    };
    XBASE_TRY(add(dbfPath_, dbf_->file()));
    if (dbt_) XBASE_TRY(add(dbtPath_, dbt_->file()));
    XBASE_TRY(add(ctx_->resolve(groupName_ + ".cgp"), nullptr));
    for (TagState& t : tags_) XBASE_TRY(add(t.index->path(), t.index->file()));
    return {};
}

void TableImpl::recordFit() {
    // Only while no other process has the table open: the lock every opener holds on the
    // table is made exclusive, which fails while another holds it too. The files are looked
    // at and the record written under it, so that a change made after it shows in the files'
    // times; the record takes its place after.
    File* dbf = dbf_->file();
    if (!dbf->lock(kLockBase + 1, kLockBase, true).ok()) return;
    Env* env = ctx_->env();
    const std::string path = fitPath();
    const std::string temp = path + ".new";
    std::vector<FitEntry> entries;
    Status s = fitEntries(&entries, true);
    // A table whose size disagrees with its count was written by someone else meanwhile.
    const uint64_t size = dbf_->headerLength() + uint64_t{dbf_->count()} * dbf_->recordLength();
    if (s.ok() && entries[0].stat.size != size && entries[0].stat.size != size + 1)
        s = Status(kErrData, dbfPath_ + ": size and count disagree");
    if (!s.ok() || fitRecordMatches(env, path, entries)) {
        static_cast<void>(lockFile(dbf, kLockBase + 1, kLockBase));
        return;
    }
    s = writeFitRecord(env, temp, entries);
    if (s.ok()) s = lockFile(dbf, kLockBase + 1, kLockBase);
    if (s.ok()) s = renameFitRecord(env, temp, path);
    // The record is no data: without it the next open surveys the tags, nothing more. A record
    // not put in place leaves no temporary file behind.
    if (!s.ok() && env->exists(temp)) static_cast<void>(env->remove(temp));
}

}  // namespace xbase
