// Fuzz target for the memo reader; the input is a .dbt file. A file the reader accepts must keep
// its promises: its next free block lies at most one past the end, every block below it reads
// without error and stops at the terminator or the end of the file, blocks from the next free one
// on are refused, and a memo appended to it reads back, also after reopening.
#include <algorithm>
#include <memory>
#include <string>

#include "db/xbase/dbt.h"
#include "tests/fuzz/fuzz_require.h"
#include "tests/fuzz/mem_env.h"

using namespace xbase;

namespace {

const std::string kDbt = "/data/T.dbt";
constexpr uint32_t kMaxBlocks = 4096;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemEnv env;
    const std::string input(reinterpret_cast<const char*>(data), size);
    env.put(kDbt, input);
    std::unique_ptr<DbtFile> dbt;
    const Status s = DbtFile::open(&env, kDbt, &dbt);
    if (!s.ok()) {
        FUZZ_REQUIRE(s.code() == kErrData);
        return 0;
    }
    const uint64_t blocks = (size + DbtFile::kBlock - 1) / DbtFile::kBlock;
    FUZZ_REQUIRE(dbt->nextFree() >= 1 && dbt->nextFree() <= blocks + 1);

    std::string text;
    FUZZ_REQUIRE(dbt->read(0, &text).ok() && text.empty());
    for (uint32_t b = 1; b < std::min(dbt->nextFree(), kMaxBlocks); ++b) {
        const uint64_t start = static_cast<uint64_t>(b) * DbtFile::kBlock;
        const Status r = dbt->read(b, &text);
        if (start >= size) {
            FUZZ_REQUIRE(r.code() == kErrData);
            continue;
        }
        FUZZ_REQUIRE(r.ok());
        FUZZ_REQUIRE(text.find('\x1A') == std::string::npos);
        FUZZ_REQUIRE(text.size() <= size - start);
        FUZZ_REQUIRE(input.compare(start, text.size(), text) == 0);
        const size_t end = start + text.size();
        FUZZ_REQUIRE(end == size || input[end] == '\x1A');
    }
    FUZZ_REQUIRE(dbt->read(dbt->nextFree(), &text).code() == kErrData);

    // A memo made of the input's own bytes goes after the last block and reads back.
    std::string memo = input.substr(0, 700);
    std::replace(memo.begin(), memo.end(), '\x1A', ' ');
    uint32_t block = 0;
    const uint32_t before = dbt->nextFree();
    FUZZ_REQUIRE(dbt->append(memo, &block).ok());
    FUZZ_REQUIRE(memo.empty() ? block == 0 : block == before);
    FUZZ_REQUIRE(dbt->read(block, &text).ok() && text == memo);
    std::unique_ptr<DbtFile> again;
    FUZZ_REQUIRE(DbtFile::open(&env, kDbt, &again).ok());
    FUZZ_REQUIRE(again->nextFree() == dbt->nextFree());
    FUZZ_REQUIRE(again->read(block, &text).ok() && text == memo);
    return 0;
}
