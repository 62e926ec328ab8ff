#include "db/xbase/dbt.h"

#include <cstdio>
#include <cstring>

#include "db/xbase/dbf.h"

namespace xbase {

uint32_t DbtFile::blockOf(const char* field) {
    uint64_t block = 0;
    for (int i = 0; i < 10; ++i)
        if (field[i] >= '0' && field[i] <= '9')
            block = block * 10 + static_cast<uint64_t>(field[i] - '0');
    return block > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(block);
}

void DbtFile::putBlock(char* field, uint32_t block) {
    char text[16];
    std::snprintf(text, sizeof text, "%10u", block);
    std::memcpy(field, block == 0 ? "          " : text, 10);
}

Status DbtFile::create(Env* env, const std::string& path) {
    std::string head(kBlock, '\0');
    put32(&head[0], 1);
    head[16] = 0x03;
    std::unique_ptr<File> file;
    XBASE_TRY(env->open(path, OpenMode::Create, &file));
    XBASE_TRY(file->write(0, head.data(), head.size()));
    return file->sync();
}

Status DbtFile::open(Env* env, const std::string& path, std::unique_ptr<DbtFile>* out) {
    std::unique_ptr<DbtFile> m(new DbtFile);
    m->path_ = path;
    XBASE_TRY(env->open(path, OpenMode::ReadWrite, &m->file_));
    XBASE_TRY(m->reload());
    *out = std::move(m);
    return {};
}

Status DbtFile::reload() {
    XBASE_TRY(file_->size(&size_));
    char head[4];
    size_t got = 0;
    XBASE_TRY(file_->read(0, 4, head, &got));
    if (got < 4) return Status(kErrData, path_ + ": memo file too short");
    nextFree_ = get32(head);
    const uint64_t blocks = (size_ + kBlock - 1) / kBlock;
    if (nextFree_ == 0 || nextFree_ > blocks + 1)
        return Status(kErrData, path_ + ": next free block " + std::to_string(nextFree_) +
                                    " lies past the end of the file");
    return {};
}

Status DbtFile::read(uint32_t block, std::string* text) {
    text->clear();
    if (block == 0) return {};
    const uint64_t start = static_cast<uint64_t>(block) * kBlock;
    if (block >= nextFree_ || start >= size_)
        return Status(kErrData, path_ + ": memo block " + std::to_string(block) +
                                    " lies past the end of the memo file");
    std::string buf;
    for (uint64_t at = start; at < size_;) {
        size_t want = static_cast<size_t>(std::min<uint64_t>(8 * kBlock, size_ - at));
        buf.resize(want);
        size_t got = 0;
        XBASE_TRY(file_->read(at, want, buf.data(), &got));
        if (got == 0) break;
        const void* end = std::memchr(buf.data(), 0x1A, got);
        if (end) {
            text->append(buf.data(), static_cast<const char*>(end) - buf.data());
            return {};
        }
        text->append(buf.data(), got);
        at += got;
    }
    return {};
}

Status DbtFile::append(std::string_view text, uint32_t* block) {
    if (text.empty()) {
        *block = 0;
        return {};
    }
    std::string bytes(text);
    bytes += "\x1A\x1A";
    bytes.resize((bytes.size() + kBlock - 1) / kBlock * kBlock, '\0');
    const uint32_t at = nextFree_;
    XBASE_TRY(file_->write(static_cast<uint64_t>(at) * kBlock, bytes.data(), bytes.size()));
    const uint32_t next = at + static_cast<uint32_t>(bytes.size() / kBlock);
    char head[4];
    put32(head, next);
    XBASE_TRY(file_->write(0, head, 4));
    nextFree_ = next;
    size_ = std::max<uint64_t>(size_, static_cast<uint64_t>(next) * kBlock);
    *block = at;
    return {};
}

}  // namespace xbase
