// pick_list_bench: how fast the customer pick list opens and searches over a large customer table.
// It drives the real list (offscreen) on a data directory filled by the generator: the time to
// open the list on the last customer in name order and on the customer added last, each keystroke
// of an incremental search, and paging to the end and back. Given several sizes it measures each
// in turn and ends with the figures side by side: the cold open and the keystroke median of each
// size, and how the keystroke grows with the table. Exits non-zero when the list shows the wrong
// customer (never for slowness).
#include <unistd.h>
#include <QApplication>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/figures.h"
#include "bench/program_data.h"
#include "bench/stopwatch.h"
#include "db/current_records.h"
#include "db/field_values.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "masters/pick_cust.h"

namespace fs = std::filesystem;

namespace {

const char* const kUsage =
    "usage: pick_list_bench (--dir DIR | --customers N[,N...] [--work DIR]) [--repeat R]\n"
    "  --dir DIR        a data directory already filled by corvane-admin generate (read only)\n"
    "  --customers N    generate N customers first, into --work DIR (a new folder; default:\n"
    "                   one under the temporary directory, removed afterwards); several sizes,\n"
    "                   separated by commas, are measured one after the other (each into a\n"
    "                   folder named by its size under --work DIR)\n"
    "  --repeat R       timed repetitions of each warm measurement (default 20)\n";

// The search typed one key at a time: a last name in the middle of the alphabet, the place
// farthest from both ends of the order.
const char* const kSearch = "morales";

struct Options {
    std::string dir;
    std::string work;
    std::vector<int> customers;
    int repeat = 20;
};

// "100000,999999" into its sizes; false for anything else.
bool ParseSizes(const std::string& text, std::vector<int>* sizes) {
    size_t at = 0;
    while (at <= text.size()) {
        const size_t comma = std::min(text.find(',', at), text.size());
        const std::string one = text.substr(at, comma - at);
        if (one.empty() || one.size() > 9 || one.find_first_not_of("0123456789") != one.npos)
            return false;
        sizes->push_back(std::atoi(one.c_str()));
        if (sizes->back() <= 0) return false;
        at = comma + 1;
    }
    return true;
}

bool ParseOptions(int argc, char** argv, Options* o) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) return false;
        const std::string value = argv[++i];
        if (arg == "--dir") {
            o->dir = value;
        } else if (arg == "--work") {
            o->work = value;
        } else if (arg == "--customers") {
            if (!ParseSizes(value, &o->customers)) return false;
        } else if (arg == "--repeat") {
            o->repeat = std::max(1, std::atoi(value.c_str()));
        } else {
            return false;
        }
    }
    return o->dir.empty() != o->customers.empty();
}

int failures = 0;

void Check(bool ok, const std::string& what) {
    if (ok) return;
    std::printf("WRONG: %s\n", what.c_str());
    ++failures;
}

QTableWidget* Grid(TPickCust* list) {
    return list->findChild<QTableWidget*>("StringGrid1");
}

int32_t HighlightedRecord(TPickCust* list) {
    QTableWidget* grid = Grid(list);
    const int row = grid->currentRow();
    return row < 0 ? 0 : grid->item(row, grid->columnCount() - 1)->text().toInt();
}

QString HighlightedLast(TPickCust* list) {
    QTableWidget* grid = Grid(list);
    return grid->currentRow() < 0 ? QString() : grid->item(grid->currentRow(), 0)->text();
}

// Opens the list handed `target` (0 for none); gives the time until it is filled.
double TimeOpen(int32_t target, std::unique_ptr<TPickCust>* keep = nullptr) {
    CurCustRec = target;
    const bench::Stopwatch watch;
    auto list = std::make_unique<TPickCust>();
    list->show();
    const double ms = watch.milliseconds();
    Check(target <= 0 || HighlightedRecord(list.get()) == target,
          "list opened on record " + std::to_string(target) + " highlights record " +
              std::to_string(HighlightedRecord(list.get())));
    if (keep) *keep = std::move(list);
    return ms;
}

void OpenTables() {
    InitDbContext();
    if (!OpenCustomers() || !OpenGroups()) {
        std::fprintf(stderr, "pick_list_bench: the tables could not be opened\n");
        std::exit(1);
    }
}

// Opens the list on a fresh engine (nothing of the index in its memory yet), then again warm;
// gives the time of the first, cold open.
double MeasureOpen(const std::string& what, int32_t target, int repeat) {
    OpenTables();
    const double first = TimeOpen(target);
    std::vector<double> warm;
    for (int i = 0; i < repeat; ++i) warm.push_back(TimeOpen(target));
    const bench::Summary s = bench::Summarise(warm);
    std::printf("open on %-38s first %7.2f ms   then median %7.2f ms, max %7.2f ms\n", what.c_str(),
                first, s.median, s.max);
    return first;
}

// Gives the median of every warm keystroke.
double MeasureSearch(int repeat) {
    OpenTables();
    const size_t keys = std::strlen(kSearch);
    std::vector<std::vector<double>> perKey(keys);
    std::vector<double> firstPass;
    std::vector<int> offsets;
    for (int pass = 0; pass <= repeat; ++pass) {
        std::unique_ptr<TPickCust> list;
        TimeOpen(0, &list);
        auto* box = list->findChild<QLineEdit*>("Edit1");
        for (size_t k = 0; k < keys; ++k) {
            const bench::Stopwatch watch;
            QTest::keyClick(box, kSearch[k]);
            const double ms = watch.milliseconds();
            (pass == 0 ? firstPass : perKey[k]).push_back(ms);
            if (pass == 0) offsets.push_back(PickCustState.TopOffset);
            const QString typed = QString::fromLatin1(kSearch, static_cast<int>(k + 1));
            Check(HighlightedLast(list.get()).toUpper().startsWith(typed.toUpper()),
                  "search \"" + typed.toStdString() + "\" highlights " +
                      HighlightedLast(list.get()).toStdString());
        }
    }
    std::printf("incremental search \"%s\", per keystroke (place of the first row shown):\n",
                kSearch);
    std::vector<double> all;
    for (size_t k = 0; k < keys; ++k) {
        const bench::Summary s = bench::Summarise(perKey[k]);
        std::printf("  \"%-8s first %7.2f ms   then median %7.2f ms, max %7.2f ms   (%d)\n",
                    (std::string(kSearch, k + 1) + "\"").c_str(), firstPass[k], s.median, s.max,
                    offsets[k]);
        all.insert(all.end(), perKey[k].begin(), perKey[k].end());
    }
    const double median = bench::Summarise(all).median;
    std::printf("  every keystroke: median %.3f ms\n", median);
    return median;
}

void MeasurePaging(int repeat) {
    OpenTables();
    std::unique_ptr<TPickCust> list;
    TimeOpen(0, &list);
    QTableWidget* grid = Grid(list.get());
    struct Step {
        const char* name;
        Qt::Key key;
    };
    const Step steps[] = {{"End", Qt::Key_End},
                          {"Page Up at the end", Qt::Key_PageUp},
                          {"Home", Qt::Key_Home},
                          {"Page Down at the top", Qt::Key_PageDown}};
    std::vector<std::vector<double>> times(std::size(steps));
    for (int pass = 0; pass < repeat; ++pass) {
        for (size_t i = 0; i < std::size(steps); ++i) {
            const bench::Stopwatch watch;
            QTest::keyClick(grid, steps[i].key);
            times[i].push_back(watch.milliseconds());
        }
    }
    for (size_t i = 0; i < std::size(steps); ++i) {
        const bench::Summary s = bench::Summarise(times[i]);
        std::printf("key %-30s median %7.2f ms, max %7.2f ms\n", steps[i].name, s.median, s.max);
    }
}

bool Generate(int customers, const fs::path& dir) {
    if (!fs::create_directories(dir)) {
        std::fprintf(stderr, "pick_list_bench: %s exists already\n", dir.c_str());
        return false;
    }
    return bench::GenerateDataDir(dir, {customers, customers / 10, 1}, "pick_list_bench");
}

struct SizeFigures {
    uint32_t customers = 0;
    double coldOpen = 0;   // the slower of the two opens on a fresh engine
    double keystroke = 0;  // median of every warm keystroke
};

// Every measurement on the data directory `dir`.
SizeFigures MeasureDirectory(const fs::path& dir, int repeat) {
    fs::current_path(dir);
    SettingsRecord.ByCust = true;
    OpenTables();
    SizeFigures f;
    f.customers = CustTbl->recCount();
    CustTbl->bottom();
    const auto lastByName = static_cast<int32_t>(CustTbl->recNo());
    std::printf("pick_list_bench: %u customers in %s, listed by name, %d repetitions\n",
                f.customers, fs::absolute(dir).c_str(), repeat);
    f.coldOpen = MeasureOpen("the last customer by name", lastByName, repeat);
    f.coldOpen = std::max(f.coldOpen, MeasureOpen("the customer added last (record " +
                                                      std::to_string(f.customers) + ")",
                                                  static_cast<int32_t>(f.customers), repeat));
    f.keystroke = MeasureSearch(repeat);
    MeasurePaging(repeat);
    FreeDbContext();
    return f;
}

// Qt's one-time start-up (fonts, style, the first window) is paid by the program's main window
// before any list opens; here one list is shown and closed first, on an engine context that is
// then dropped, so that the cold opens measure a cold engine and not Qt starting.
void WarmUpQt(const fs::path& dir) {
    fs::current_path(dir);
    SettingsRecord.ByCust = true;
    OpenTables();
    TimeOpen(0);
    FreeDbContext();
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::PrintPrompts("pick_list_bench");

    // The directories to measure, and whether each is generated here and removed afterwards.
    std::vector<std::pair<fs::path, bool>> dirs;
    if (!options.dir.empty()) dirs.emplace_back(options.dir, false);
    for (int customers : options.customers) {
        fs::path dir;
        if (options.work.empty())
            dir = fs::temp_directory_path() /
                  ("pick-list-bench-" + std::to_string(getpid()) + "-" + std::to_string(customers));
        else
            dir = options.customers.size() == 1
                      ? fs::path(options.work)
                      : fs::path(options.work) / std::to_string(customers);
        if (!Generate(customers, dir)) return 1;
        dirs.emplace_back(dir, options.work.empty());
    }
    WarmUpQt(dirs.front().first);
    std::vector<SizeFigures> figures;
    for (const auto& [dir, removeAfter] : dirs) {
        std::printf("load average before: %s\n", bench::LoadAverage().c_str());
        figures.push_back(MeasureDirectory(dir, options.repeat));
        std::printf("load average after: %s\n\n", bench::LoadAverage().c_str());
        if (removeAfter) {
            fs::current_path(fs::temp_directory_path());
            fs::remove_all(dir);
        }
    }
    std::printf("customers   cold open   keystroke median   keystroke / first size's\n");
    for (const SizeFigures& f : figures)
        std::printf("%9u   %6.2f ms   %13.3f ms   %10.2fx\n", f.customers, f.coldOpen, f.keystroke,
                    f.keystroke / figures.front().keystroke);
    if (failures > 0) std::printf("%d wrong results\n", failures);
    return failures > 0 ? 1 : 0;
}
