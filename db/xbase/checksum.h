// CRC-32 (the common polynomial 0xEDB88320) over bytes and over whole files: what the journal
// and the marker of a table rewrite use to tell their own files from any others.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "db/xbase/env.h"

namespace xbase {

uint32_t crc32(const char* data, size_t n, uint32_t crc = 0);

// A file as it stands: its size and the CRC-32 of all its bytes.
struct FileStamp {
    uint64_t size = 0;
    uint32_t crc = 0;
    bool operator==(const FileStamp&) const = default;
};

// Reads the whole of `path` through `env`.
Status stampOf(Env* env, const std::string& path, FileStamp* stamp);

}  // namespace xbase
