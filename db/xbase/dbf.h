// Record storage of a dBASE III table (.dbf).
//
// Layout: a 32-byte header (version 0x03, or 0x83 with a memo file; date of last update as
// year-1900, month, day; record count; header length; record length; at byte 29 the language
// driver, which names the code page of the text), one 32-byte descriptor
// per field (name, type, length, decimals), 0x0D, then the records back to back, each a
// deletion flag (' ' or '*') followed by the fields as text, and one 0x1A after the last.
//
// Invariant: file size is header length + count x record length, plus at most the one 0x1A.
// A file that breaks it is reported as damaged (kErrData) and never guessed at. The header
// length is always taken from the header, never recomputed.
//
// With `optimize` on, reads are served from chunks of the file held in memory (loaded on first
// use, under the context's cache budget: the least recently used chunk goes when the budget is
// spent; 4 KB chunks for a table larger than an eighth of the budget, else 64 KB), and appended
// records collect in a tail buffer that is written, followed by the new header count, when it
// grows past 1 MB or on flush(). Changes to records already in the file always go through at
// once.
#pragma once

#include <memory>
#include <new>
#include <string>
#include <vector>

#include "db/xbase/cache.h"
#include "db/xbase/chunk_memory.h"
#include "db/xbase/env.h"
#include "db/xbase/xbase.h"

namespace xbase {

// The language driver every table written here declares: Windows-1252 (Western European), the
// code page its users store their text in. The engine itself moves bytes and never decodes them.
inline constexpr unsigned char kLanguageDriver = 0x03;

class DbfFile final : private CachePart {
public:
    // The chunks held with `optimize` count against `budget`; without one they stay until
    // reload() or the end.
    static Status open(Env* env, const std::string& path, bool optimize,
                       std::unique_ptr<DbfFile>* out, CacheBudget* budget = nullptr);
    ~DbfFile() override;
    DbfFile(const DbfFile&) = delete;
    DbfFile& operator=(const DbfFile&) = delete;
    // Opens a table whose record count may disagree with its size, for repair: the count is
    // taken from the size (whole records only) and statedCount() is what the header says.
    static Status openForRepair(Env* env, const std::string& path, std::unique_ptr<DbfFile>* out);
    // Writes a new, empty table; fails if the fields are invalid.
    static Status create(Env* env, const std::string& path, const std::vector<FieldInfo>& fields);
    // Writes header and field descriptors of a table with `count` records (no records).
    static std::string headerBytes(const std::vector<FieldInfo>& fields, bool memo, uint32_t count,
                                   int headerLength);

    const std::vector<FieldInfo>& fields() const { return fields_; }
    const std::vector<int>& offsets() const { return offsets_; }
    int recordLength() const { return recordLength_; }
    int headerLength() const { return headerLength_; }
    uint32_t count() const { return count_; }
    uint32_t statedCount() const { return statedCount_; }
    bool hasMemo() const { return hasMemo_; }
    File* file() { return file_.get(); }
    const std::string& path() const { return path_; }

    // rec is 1-based and at most count().
    Status read(uint32_t rec, char* dst);
    // The record where it lies in memory (in one chunk, or among the appended records), without a
    // copy: *at stays valid until the next call on this file. *at is nullptr when the record is
    // not held in one piece (reads without optimize, a record across two chunks); read() it then.
    Status peek(uint32_t rec, const char** at);
    // Reads `n` consecutive records starting at `first` (bulk scans bypass the cache).
    Status readRange(uint32_t first, uint32_t n, char* dst);
    Status write(uint32_t rec, const char* src);
    // Appends a record after the last; the header count follows when it reaches the file.
    Status append(const char* src);
    // Writes the appended records still held in memory, and the header count.
    Status flush();
    // Drops the records held in memory, appended ones included, and reads the header again.
    Status reload();
    // Compares the header against the file size and looks at every record's deletion flag.
    void check(std::vector<std::string>* problems);

private:
    DbfFile() = default;
    Status parse(bool countFromSize = false);
    Status writeCount();
    void updateCache(uint64_t offset, const char* src, size_t n);
    uint64_t oldestUse() override;
    void dropOldest() override;
    void dropChunks();
    // Reads chunk `first` of the file (and, in a run of misses, the ones after it).
    Status loadChunks(size_t first);

    static constexpr size_t kSmallChunk = 1 << 12;
    static constexpr size_t kLargeChunk = 1 << 16;
    size_t chunk_ = kLargeChunk;              // bytes of the file in one chunk, chosen at open
    static constexpr size_t kReadAhead = 16;  // chunks at most in one read
    // A chunk's bytes follow it in the same allocation, so that where they lie is known without
    // reading the chunk first.
    struct Chunk : CacheLink {
        size_t index = 0;
        size_t bytes = 0;  // of its memory (chunk_memory.h), itself included
        char* data() { return reinterpret_cast<char*>(this + 1); }
    };
    struct ChunkFree {
        void operator()(Chunk* c) const {
            const size_t bytes = c->bytes;
            c->~Chunk();
            GiveChunkMemory(c, bytes);
        }
    };
    using ChunkPtr = std::unique_ptr<Chunk, ChunkFree>;
    ChunkPtr newChunk() const {
        const size_t bytes = sizeof(Chunk) + chunk_;
        ChunkPtr c(new (TakeChunkMemory(bytes)) Chunk);
        c->bytes = bytes;
        return c;
    }
    // Chunk `index`, read if it is not held, and marked used.
    Status useChunk(size_t index, Chunk** out);
    std::unique_ptr<File> file_;
    std::string path_;
    std::vector<FieldInfo> fields_;
    std::vector<int> offsets_;
    int recordLength_ = 0;
    int headerLength_ = 0;
    uint32_t count_ = 0;
    uint32_t statedCount_ = 0;
    bool hasMemo_ = false;
    bool optimize_ = false;
    uint32_t written_ = 0;  // records in the file; those after it are in tail_
    std::string tail_;
    std::vector<ChunkPtr> chunks_;  // of the file from offset 0, null until read
    UseOrder order_;
    CacheBudget* budget_ = nullptr;
    size_t lastMiss_ = SIZE_MAX;  // the chunk the last read from the file began at
    size_t run_ = 1;              // chunks that read took
    std::string staging_;
    std::vector<ChunkPtr> spare_;  // given up, for reuse
};

// Little-endian helpers shared by the file formats.
inline uint16_t get16(const char* p) {
    return static_cast<uint16_t>(static_cast<uint8_t>(p[0]) | static_cast<uint8_t>(p[1]) << 8);
}
inline uint32_t get32(const char* p) {
    return static_cast<uint32_t>(get16(p)) | static_cast<uint32_t>(get16(p + 2)) << 16;
}
inline void put16(char* p, uint16_t v) {
    p[0] = static_cast<char>(v & 0xFF);
    p[1] = static_cast<char>(v >> 8);
}
inline void put32(char* p, uint32_t v) {
    put16(p, static_cast<uint16_t>(v & 0xFFFF));
    put16(p + 2, static_cast<uint16_t>(v >> 16));
}

}  // namespace xbase
