// Memo storage of a dBASE III table (.dbt).
//
// Layout: 512-byte blocks. Block 0 is the header: bytes 0-3 the next free block (1 in a new
// file), byte 16 the version 0x03. A memo starts at its first block and runs over consecutive
// blocks up to a 0x1A 0x1A terminator; its last block is padded. There is no free list: a
// rewritten memo goes to the next free block and the old blocks stay unused until the file is
// compacted. Memo text therefore never contains 0x1A.
//
// Invariant: every block number a record holds is below the next free block and inside the
// file; a memo read stops at the terminator or the end of the file, never beyond.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "db/xbase/env.h"

namespace xbase {

class DbtFile {
public:
    static constexpr uint32_t kBlock = 512;

    static Status open(Env* env, const std::string& path, std::unique_ptr<DbtFile>* out);
    static Status create(Env* env, const std::string& path);

    // A memo field's ten characters: the first block, right-aligned digits, blanks for none.
    // A number too large for a block number reads as one past any file.
    static uint32_t blockOf(const char* field);
    static void putBlock(char* field, uint32_t block);

    // Reads the memo starting at `block`; block 0 is the empty memo.
    Status read(uint32_t block, std::string* text);
    // Writes `text` at the next free block; *block gets its number (0 for an empty text).
    Status append(std::string_view text, uint32_t* block);
    // Reads the next free block and the size from the file again.
    Status reload();
    uint32_t nextFree() const { return nextFree_; }
    File* file() { return file_.get(); }
    const std::string& path() const { return path_; }

private:
    DbtFile() = default;
    std::unique_ptr<File> file_;
    std::string path_;
    uint32_t nextFree_ = 1;
    uint64_t size_ = 0;
};

}  // namespace xbase
