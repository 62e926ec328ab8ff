#include "tests/support/temp_data_dir.h"

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace fs = std::filesystem;

TempDataDir::TempDataDir(Contents contents) : previous_(fs::current_path()) {
    std::string pattern = (fs::temp_directory_path() / "corvane-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary directory");
    path_ = pattern;
    if (contents == SuppliedTables) {
        for (const auto& entry : fs::directory_iterator(CORVANE_SUPPLIED_DATA))
            fs::copy_file(entry.path(), path_ / entry.path().filename());
    }
    fs::current_path(path_);
}

TempDataDir::~TempDataDir() {
    std::error_code ec;
    fs::current_path(previous_, ec);
    fs::remove_all(path_, ec);
}
