// The engine's table: a .dbf with its memo file and open tags, the current record held in
// memory, and the operations of the public Table interface. Internal to the engine.
//
// Invariants: buf_ is the current record as the caller sees it and orig_ as the file holds it
// (both valid once loaded_); changed_ means buf_ or a pending memo differs from the file; the
// selected tag's cursor_ points at (key of orig_, rec_) whenever cursorValid_.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "db/xbase/dbf.h"
#include "db/xbase/dbt.h"
#include "db/xbase/expr.h"
#include "db/xbase/fit_record.h"
#include "db/xbase/ntx.h"
#include "db/xbase/xbase.h"

namespace xbase {

class TableImpl final : public Table {
public:
    TableImpl(Context* ctx, std::string name, std::string dbfPath);
    ~TableImpl() override;

    // Opens the files: the table, its memo file, and with `withTags` its group file's tags.
    Status openFiles(bool withTags);
    Status createIndex(std::string_view name, const std::vector<TagInfo>& tags);
    const std::string& dbfPath() const { return dbfPath_; }
    // Writes every pending change: the current record, appended records, index pages.
    Status writeAll();
    // Forgets everything held in memory and reads the files' headers again, after a change was
    // undone; the table is left positioned nowhere.
    Status reload();

    const std::string& name() const override { return name_; }
    Field* field(std::string_view name) override;
    int fieldCount() const override { return static_cast<int>(fields_.size()); }
    Field* fieldAt(int index) override;
    Tag* tag(std::string_view name) override;
    int tagCount() const override { return static_cast<int>(tags_.size()); }
    Tag* tagAt(int index) override;
    void select(Tag* tag) override;
    Tag* selected() const override;

    int top() override;
    int bottom() override;
    int skip(long n) override;
    int seek(std::string_view key) override;
    int go(uint32_t recNo) override;
    uint32_t recNo() const override { return rec_; }
    uint32_t recCount() const override { return dbf_ ? dbf_->count() : 0; }
    bool eof() const override { return eof_; }
    bool bof() const override { return bof_; }
    double position() override;
    uint32_t place() override;
    int goPlace(uint32_t place) override;
    std::string currentKey() override;

    bool deleted() override;
    void deleteRecord() override;
    void recall() override;
    int appendBlank() override;
    int flush() override;
    int pack() override;
    int memoCompress() override;
    int zap(uint32_t from, uint32_t count) override;
    void check(std::vector<std::string>* problems) override;
    bool tagFits(Tag* tag, std::string* why) override;
    int close() override;

    // Used by Field.
    const char* record();
    char* recordForWrite();
    std::string readMemo(int field);
    void setMemo(int field, std::string_view text);
    int fail(const Status& s);

private:
    struct TagState {
        std::unique_ptr<Tag> handle;
        std::unique_ptr<NtxIndex> index;
        KeyExpr expr;
        bool fits = false;  // surveyed by tagFits() and found to fit
    };

    Status openTag(const std::string& tagName);
    Status lockFile(File* file, uint64_t offset, uint64_t length);
    Status ensureLoaded();
    Status ensureCursor();
    // Writes the current record's changes; with optimize on, appended records and index pages
    // may stay in memory (bounded) until writeAll().
    Status flushRecord();
    // flushRecord() for the moves, failing while the handle is broken.
    int flushCurrent();
    void atRecord(uint32_t rec);
    void atEof();
    int positioned(const Status& s, int result);
    // After a descent of `index` to cursor_: the record under the cursor made current and
    // `result` given, or end of file when the descent failed (its error pending) or found nothing.
    int landed(NtxIndex* index, const Status& s, bool found, int result);
    // top() or bottom().
    int edge(bool first);
    // Rewrites the table keeping the records `keep` accepts, optionally compacting memos;
    // the new files replace the old atomically and the tags are rebuilt.
    template <typename Keep>
    Status rewrite(Keep keep, bool compactMemo);
    template <typename Keep>
    int rewriteAndTop(Keep keep, bool compactMemo);
    Status rebuildTags(const std::vector<TagInfo>& tags, const std::string& groupName);
    Status reopen();
    // The fit record (see fit_record.h): the files it names, as they stand; with `byPath` each
    // also looked up by its name, which must still lead to the file this table has open.
    Status fitEntries(std::vector<FitEntry>* entries, bool byPath);
    std::string fitPath() const { return ctx_->resolve(name_ + ".fit"); }
    // Whether the tags are known to fit the records: built here, found so by tagFits(), or the
    // files standing as the last clean close recorded; and nothing failed since.
    bool trusted() const;
    // At a clean close of a trusted table no other process has open: records the files.
    void recordFit();

    // Where the lock ranges of the files begin (see the format notes).
    static constexpr uint64_t kLockBase = 1000000000ULL;

    Context* ctx_;
    std::string name_;
    std::string dbfPath_;
    std::string dbtPath_;
    std::unique_ptr<DbfFile> dbf_;
    std::unique_ptr<DbtFile> dbt_;
    std::vector<std::unique_ptr<Field>> fields_;
    std::vector<TagState> tags_;
    std::string groupName_;
    int selected_ = -1;
    NtxIndex::Cursor cursor_;
    bool cursorValid_ = false;
    uint32_t rec_ = 0;
    bool eof_ = true;
    bool bof_ = false;
    std::string buf_;
    std::string orig_;
    bool loaded_ = false;
    bool changed_ = false;
    bool appended_ = false;
    bool modified_ = false;
    // Set when a rewrite failed half way: the handle no longer matches the files, and every
    // call fails with this until the table is opened again.
    Status broken_;
    std::map<int, std::string> memos_;
    bool stamped_ = false;  // the files stood as the fit record says when the table opened
    bool built_ = false;    // every tag built by this handle
    bool faulted_ = false;  // an error was reported, or the table was read afresh
    std::string keyNow_, keyBefore_;  // scratch for flushRecord
    std::string keySought_;           // scratch for ensureCursor
};

}  // namespace xbase
