#include "db/xbase/checksum.h"

#include <array>
#include <memory>

namespace xbase {

uint32_t crc32(const char* data, size_t n, uint32_t crc) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t c = crc ^ 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) c = table[(c ^ static_cast<uint8_t>(data[i])) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

Status stampOf(Env* env, const std::string& path, FileStamp* stamp) {
    *stamp = {};
    std::unique_ptr<File> file;
    XBASE_TRY(env->open(path, OpenMode::ReadOnly, &file));
    std::string chunk(1 << 20, '\0');
    for (;;) {
        size_t got = 0;
        XBASE_TRY(file->read(stamp->size, chunk.size(), chunk.data(), &got));
        stamp->crc = crc32(chunk.data(), got, stamp->crc);
        stamp->size += got;
        if (got < chunk.size()) return {};
    }
}

}  // namespace xbase
