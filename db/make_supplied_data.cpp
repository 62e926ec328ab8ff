// Build step: writes the tables supplied with the program, empty except for their blank
// records (CVN1 and ImpDirs hold one), from the table description built into the program.
// Usage: make-supplied-data DIR. No index files are written; the program creates them.
#include <filesystem>
#include <iostream>

#include "db/schema.h"
#include "db/xbase/xbase.h"

namespace fs = std::filesystem;

namespace {

// Removes the table's files left by an earlier build, in any letter case.
void RemoveOld(const fs::path& dir, const TableSchema& table) {
    std::vector<fs::path> old;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string file = entry.path().filename().string();
        if (SameName(file, table.name + ".dbf") || SameName(file, table.name + ".dbt"))
            old.push_back(entry.path());
    }
    for (const fs::path& p : old) fs::remove(p);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make-supplied-data DIR\n";
        return 2;
    }
    const fs::path dir = argv[1];
    fs::create_directories(dir);
    xbase::Context context(dir.string());
    for (const TableSchema& table : SuppliedSchema().tables) {
        RemoveOld(dir, table);
        xbase::Table* t = context.create(table.name, table.fields);
        for (int i = 0; t && i < table.records; ++i) t->appendBlank();
        context.closeAll();
        const std::string why = context.errorText();
        if (!t || context.errorCode() != 0) {
            std::cerr << "make-supplied-data: " << table.name << ": " << why << "\n";
            return 1;
        }
    }
    return 0;
}
