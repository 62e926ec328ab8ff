// The table engine's public interface: dBASE III tables with memo files (.dbf/.dbt), Clipper-
// layout index files (.ntx) gathered in group files (.cgp). One Context per program owns every
// open table; tables hand out Field and Tag handles that live as long as the table is open.
//
// Positioning calls return a result code: kFound (0) found or moved, kAfter (2) positioned on
// the next greater key, kEof (3) past the end, kBof (4) a backward skip hit the first record;
// a negative value is an error, also left pending in the context for errorCode().
//
// The current record is held in memory; changes made through Field handles reach the files,
// and every tag of the table follows the changed keys, when the table moves (top, bottom, skip,
// seek, go, appendBlank) or closes, or on flush().
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/xbase/env.h"
#include "db/xbase/status.h"

namespace xbase {

enum Result : int { kFound = 0, kAfter = 2, kEof = 3, kBof = 4 };

struct FieldInfo {
    std::string name;  // at most 10 characters
    char type;         // 'C', 'N', 'D', 'L' or 'M'
    int length;        // C: 1-254, N: 1-19, D: 8, L: 1, M: 10
    int decimals = 0;  // N only
};

struct TagInfo {
    std::string name;        // also the base name of the tag's .ntx file
    std::string expression;  // e.g. "Upper(Last + First)", "Str(CuNo, 6)", "DTOS(IDate)"
};

class CacheBudget;
class Journal;
class Table;
class TableImpl;

class Field {
public:
    const std::string& name() const { return name_; }
    char type() const { return type_; }
    int length() const { return length_; }
    int decimals() const { return decimals_; }

    std::string str() const;  // blank-padded to the width
    int asInt() const;
    long asLong() const;
    double asDouble() const;
    bool isTrue() const;       // logical 'T', 't', 'Y' or 'y'
    std::string memo() const;  // memo fields only

    // Text is cut or blank-padded to the width; logicals take "T"/"F".
    void assign(std::string_view text);
    void assignInt(int value) { assignLong(value); }
    void assignLong(long value);
    void assignDouble(double value);
    void assignMemo(std::string_view text);

private:
    friend class TableImpl;
    Field(TableImpl* table, int index, const FieldInfo& info, int offset);
    TableImpl* table_;
    int index_;
    std::string name_;
    char type_;
    int length_;
    int decimals_;
    int offset_;  // of the field within the record, deletion flag included
};

class Tag {
public:
    const std::string& name() const { return name_; }
    const std::string& expression() const { return expression_; }
    int keyLength() const { return keyLength_; }

private:
    friend class TableImpl;
    Tag(std::string name, std::string expression, int keyLength, int index)
        : name_(std::move(name)),
          expression_(std::move(expression)),
          keyLength_(keyLength),
          index_(index) {}
    std::string name_;
    std::string expression_;
    int keyLength_;
    int index_;
};

class Table {
public:
    virtual ~Table() = default;
    virtual const std::string& name() const = 0;  // as given to open, without extension

    // Fields and tags by name, in any letter case; nullptr (error pending) when there is none.
    virtual Field* field(std::string_view name) = 0;
    virtual int fieldCount() const = 0;
    virtual Field* fieldAt(int index) = 0;
    virtual Tag* tag(std::string_view name) = 0;
    virtual int tagCount() const = 0;
    virtual Tag* tagAt(int index) = 0;
    // Selects the order: a tag, or nullptr for record-number order.
    virtual void select(Tag* tag) = 0;
    virtual Tag* selected() const = 0;

    virtual int top() = 0;             // kFound, or kEof when empty
    virtual int bottom() = 0;          // kFound, or kEof when empty
    virtual int skip(long n = 1) = 0;  // kFound, kEof past the last, kBof before the first
    virtual int seek(std::string_view key) = 0;  // kFound, kAfter or kEof; compares key's length
    virtual int go(uint32_t recNo) = 0;          // kFound, or kErrRecord
    virtual uint32_t recNo() const = 0;          // 1-based; recCount() + 1 at end of file
    virtual uint32_t recCount() const = 0;       // deleted records included
    virtual bool eof() const = 0;
    virtual bool bof() const = 0;
    // Relative place of the current record in the selected order, 0.0 to 1.0; an estimate
    // taken from the index path in O(tree depth).
    virtual double position() = 0;
    // The current record's exact place in the selected order, 1 for the first (in record order
    // its record number); 0 at end of file or on failure (error pending). O(tree depth) once
    // the tag's page counts are in memory; the first call on a tag reads its file once.
    virtual uint32_t place() = 0;
    // Makes the record at `place` (1-based) of the selected order current, in O(tree depth):
    // kFound, or kEof when the order holds fewer records.
    virtual int goPlace(uint32_t place) = 0;
    // The current record's key in the selected tag (empty in record order).
    virtual std::string currentKey() = 0;

    virtual bool deleted() = 0;
    virtual void deleteRecord() = 0;
    virtual void recall() = 0;
    virtual int appendBlank() = 0;  // appends a blank record and makes it current
    virtual int flush() = 0;        // writes pending changes of the current record

    // Removes deleted records, then rebuilds every tag; the new files replace the old ones
    // atomically.
    virtual int pack() = 0;
    // Rewrites the memo file with only the memos the records still use.
    virtual int memoCompress() = 0;
    // Removes records from..from+count-1 (1-based), keeping those after them; rebuilds tags.
    virtual int zap(uint32_t from, uint32_t count) = 0;

    // Verifies the table, memo file and every open tag; appends one line per problem.
    virtual void check(std::vector<std::string>* problems) = 0;
    // Whether the tag's entries fit this table, reading only index pages, each once and in large
    // reads: one entry per record and no record number past recCount(), from the entries each
    // page holds. False (with *why) for an index left by another table or another data set under
    // the same name, one that missed changes, or a damaged one. True at once when the table was
    // opened on files standing exactly as its last clean close recorded them (NAME.fit).
    virtual bool tagFits(Tag* tag, std::string* why) = 0;

    virtual int close() = 0;  // the handle is invalid afterwards
};

class Context {
public:
    // Tables are found in `dir`; all file access goes through `env`.
    explicit Context(std::string dir = ".", Env* env = Env::standard());
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    // autoOpen: opening a table also opens its group file and tags (default on).
    void setAutoOpen(bool on) { autoOpen_ = on; }
    bool autoOpen() const { return autoOpen_; }
    // safety: when off, createIndex may replace existing index files (default on).
    void setSafety(bool on) { safety_ = on; }
    bool safety() const { return safety_; }
    // accessMode 1: tables opened from now on are held exclusively; 0: shared (default).
    void setAccessMode(int mode) { accessMode_ = mode; }
    int accessMode() const { return accessMode_; }
    // optimize: keep read data in memory (default on); writes always go through to the file.
    void setOptimize(bool on) { optimize_ = on; }
    bool optimize() const { return optimize_; }
    // The memory all open tables may keep of what they read (chunks of tables, index pages),
    // in bytes: 64 MB unless set; the least recently used goes first when it is spent.
    void setCacheLimit(size_t bytes);
    size_t cacheLimit() const;

    // The pending error code (0 when none), cleared by the call; and its text.
    int errorCode();
    const std::string& errorText() const { return errorText_; }

    // Opens table `name` (no extension; the file name's letter case does not matter, but two
    // files whose names differ only in it are refused). nullptr on failure, with the error
    // pending. The context owns the table.
    Table* open(std::string_view name);
    // Creates a new, empty table (replacing none: an existing file is an error) and opens it.
    Table* create(std::string_view name, const std::vector<FieldInfo>& fields);
    // Writes group file `name`.cgp and one .ntx per tag, built from the table's records, and
    // opens the tags on the table. With safety on, existing files are not replaced.
    int createIndex(Table* table, std::string_view name, const std::vector<TagInfo>& tags);
    int closeAll();

    // All-or-nothing changes. Between begin() and commit() the changes to the open tables are
    // held back from the files; commit() writes them as one whole through a rollback journal in
    // dir(), so that after a failure or a crash the files hold every change or none. begin()
    // takes the directory's lock exclusively, waiting up to lockWait() for other processes
    // (kErrLocked after). A failed write inside the change is remembered: commit() then drops
    // the change and returns that error. Whenever a change is dropped (rollback(), or a failed
    // commit) every open table is read afresh from its files and left positioned nowhere.
    // pack, zap, memoCompress, createIndex and create are refused (kErrArgument) in a change.
    int begin();
    int commit();
    int rollback();
    bool inTransaction() const;
    void setLockWait(int milliseconds) { lockWaitMs_ = milliseconds; }
    int lockWait() const { return lockWaitMs_; }
    // Holds the directory's lock shared until the context ends, so that no change made by
    // another process is seen half done; waits up to lockWait().
    int lockShared();
    // What recovery found in dir(): nothing; the journal of a change a crash left unfinished,
    // rolled back; or a journal that is damaged or not this directory's, never applied but
    // renamed to `keptAs` (a file name in dir()) for `why`, the tables left as they were.
    struct Recovery {
        bool rolledBack = false;
        std::string keptAs;
        std::string why;
    };
    // Rolls back a change a crash left unfinished in dir(), under the directory's lock, or sets
    // aside a journal that does not belong there; only while no table is open.
    int recoverJournal(Recovery* found);
    // True when dir() holds a journal (whatever it is).
    bool journalLeft() const;
    // Why the journal in dir() would be set aside rather than rolled back; empty when it would
    // be rolled back or there is none.
    std::string journalFault() const;

    // What a rewrite of a table (pack, memo compaction) that a crash interrupted left beside
    // it: nothing; new files that its marker says were made from this table, and that check
    // whole against it (header, size, fields, deletion flags, memo pointers), which take its
    // place; new files that are incomplete, which are removed while the table stays as it is;
    // or files that are not this table's rewrite (another table's, another data set's, a marker
    // that does not match), which are renamed to NAME.foreign-YYYYMMDD-HHMMSS and never taken.
    // `why` says what is wrong with the new files of kDiscard and kSetAside.
    struct Leftover {
        enum Action { kNone, kFinish, kDiscard, kSetAside };
        Action action = kNone;
        std::string why;
    };
    // Looks at what the rewrite of table `name` left and changes nothing. Tables are opened on
    // their own files whatever is left beside them.
    Leftover inspectRewrite(std::string_view name) const;
    // Does what inspectRewrite says, holding the table exclusively; only while the table is
    // not open. Used where the program writes, before it opens the table.
    int finishRewrite(std::string_view name, Leftover* leftover);

    // What is wrong with the headers of table `name` and its memo file against their sizes, read
    // without reading a record; empty when nothing is.
    std::string headerFault(std::string_view name) const;

    // Mends a damaged table file as trusted xBase tools do, no index involved: the record count
    // taken from the file size (a torn last record dropped), a bad deletion flag made live (the
    // record kept), memo pointers past the end of the memo file cleared. With `apply` false it
    // only says what it would do; with it true it writes the mended table beside the old one
    // and puts it in place in one rename. Only while the table is not open. Each line of
    // `mended` tells one change; each line of `lost` something of a record that could not be
    // kept. kErrData when the header itself cannot be read.
    struct Repair {
        std::vector<std::string> mended;
        std::vector<std::string> lost;
        bool needed() const { return !mended.empty() || !lost.empty(); }
    };
    int repairTable(std::string_view name, bool apply, Repair* repair);

    // Records an error as pending (the first one wins until errorCode() clears it); returns
    // the code. Used by the engine's parts.
    int fail(const Status& status);
    // The context's Env: the one given, with the journal in front of it.
    Env* env() const;
    // The budget the tables' caches share.
    CacheBudget* cache() const { return cache_.get(); }
    const std::string& dir() const { return dir_; }
    // The path of an existing file in dir() matching `fileName` in any letter case (the name
    // as given when that exists), or the plain path when none exists.
    std::string resolve(std::string_view fileName) const;

private:
    friend class TableImpl;
    void forget(Table* table);
    // After a dropped change: every open table read afresh.
    void reloadTables();
    // kErrOpen naming both when two of `names` (dir()'s listing) match fileName in letter case.
    Status oneFileNamed(const std::vector<std::string>& names, const std::string& fileName) const;

    std::string dir_;
    Env* env_;
    std::unique_ptr<Journal> journal_;
    std::unique_ptr<CacheBudget> cache_;  // before the tables, which leave it as they go
    int lockWaitMs_ = 10000;
    bool autoOpen_ = true;
    bool safety_ = true;
    int accessMode_ = 0;
    bool optimize_ = true;
    int error_ = 0;
    std::string errorText_;
    std::vector<std::unique_ptr<Table>> tables_;
};

}  // namespace xbase
