// xbase_bench: the table engine side by side with SQLite on customer- and item-shaped tables.
// Prints one line per operation with both times, their ratio and the targets; exits non-zero
// when any engine or SQLite call fails or the two disagree on an answer (never for slowness).
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

#include "bench/engine_side.h"
#include "bench/figures.h"
#include "bench/report.h"
#include "bench/table_run.h"

namespace fs = std::filesystem;
using namespace bench;

namespace {

constexpr size_t kSmallRows = 20000;

struct Options {
    size_t customers = 999999;
    size_t items = 1000000;
    bool customersGiven = false;
    bool itemsGiven = false;
    bool small = false;
    bool keep = false;
    std::string dir;
};

const char* const kUsage =
    "usage: xbase_bench [--customers N] [--items N] [--small] [--dir DIR] [--keep]\n"
    "  --customers N  customer rows (default 999999)\n"
    "  --items N      item rows (default 1000000)\n"
    "  --small        20000 rows of each, for a run of a few seconds\n"
    "  --dir DIR      work directory (default: a new one under the temporary directory)\n"
    "  --keep         leave the tables behind\n";

bool parseCount(std::string_view text, size_t* out) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != text.npos)
        return false;
    *out = std::stoul(std::string(text));
    return *out > 0;
}

bool parse(int argc, char** argv, Options* o) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--customers" && hasValue && parseCount(argv[i + 1], &o->customers)) {
            o->customersGiven = true;
            ++i;
        } else if (a == "--items" && hasValue && parseCount(argv[i + 1], &o->items)) {
            o->itemsGiven = true;
            ++i;
        } else if (a == "--dir" && hasValue) {
            o->dir = argv[++i];
        } else if (a == "--small") {
            o->small = true;
        } else if (a == "--keep") {
            o->keep = true;
        } else {
            return false;
        }
    }
    if (o->small) {
        if (!o->customersGiven) o->customers = kSmallRows;
        if (!o->itemsGiven) o->items = kSmallRows;
    }
    return true;
}

// A fresh work directory: the one given (its bench folders emptied) or a new temporary one.
fs::path workDir(const Options& o) {
    if (!o.dir.empty()) return fs::absolute(o.dir);
    std::string pattern = (fs::temp_directory_path() / "xbase-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw BenchFailure("cannot make a temporary directory");
    return pattern;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, &options)) {
        std::cerr << kUsage;
        return 2;
    }
    Report report;
    fs::path dir;
    try {
        dir = workDir(options);
        RunOptions run;
        run.engineDir = (dir / "engine").string();
        run.sqliteDir = (dir / "sqlite").string();
        for (const std::string& d : {run.engineDir, run.sqliteDir}) {
            fs::remove_all(d);
            fs::create_directories(d);
        }
        std::cout << "The table engine and SQLite: " << withCommas(options.customers)
                  << " customers, " << withCommas(options.items) << " items; "
                  << withCommas(run.queries) << " seeks and go + position() calls of each kind; "
                  << "files in " << dir.string() << "; load average " << bench::LoadAverage() << "\n\n";
        const TableShape customers = customerShape();
        const TableShape items = itemShape();
        std::string settings;
        runTable(customers, makeCustomers, options.customers, run, &report, &settings);
        runTable(items, makeItems, options.items, run, &report, &settings);
        report.addNote("sqlite", settings +
                                     "; one database file per table, text stored "
                                     "blank-padded as in the table files; the engine's cache "
                                     "budget set to the same size");
    } catch (const std::exception& e) {
        report.print(std::cout);
        std::cerr << "FAILED: " << e.what() << '\n';
        return 1;
    }
    addNotes(&report);
    report.addNote("load", "load average at the end " + bench::LoadAverage());
    report.print(std::cout);
    if (!options.keep) {
        fs::remove_all(dir / "engine");
        fs::remove_all(dir / "sqlite");
        if (options.dir.empty()) fs::remove(dir);
    }
    return 0;
}
