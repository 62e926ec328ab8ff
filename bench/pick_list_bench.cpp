// pick_list_bench: how fast the customer pick list opens and searches over a large customer table.
// It drives the real list (offscreen) on a data directory filled by the generator: the time to
// open the list on the last customer in name order and on the customer added last, each keystroke
// of an incremental search, and paging to the end and back. Exits non-zero when the list shows
// the wrong customer (never for slowness).
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

#include "app/entry/prompt.h"
#include "bench/stopwatch.h"
#include "db/field_values.h"
#include "db/generator.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "masters/current_records.h"
#include "masters/pick_cust.h"

namespace fs = std::filesystem;

namespace {

const char* const kUsage =
    "usage: pick_list_bench (--dir DIR | --customers N [--work DIR]) [--repeat R]\n"
    "  --dir DIR        a data directory already filled by corvane-admin generate (read only)\n"
    "  --customers N    generate N customers first, into --work DIR (a new folder; default:\n"
    "                   one under the temporary directory, removed afterwards)\n"
    "  --repeat R       timed repetitions of each warm measurement (default 20)\n";

// The search typed one key at a time: a last name in the middle of the alphabet, the place
// farthest from both ends of the order.
const char* const kSearch = "morales";

struct Options {
    std::string dir;
    std::string work;
    int customers = 0;
    int repeat = 20;
};

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
            o->customers = std::atoi(value.c_str());
        } else if (arg == "--repeat") {
            o->repeat = std::max(1, std::atoi(value.c_str()));
        } else {
            return false;
        }
    }
    return o->dir.empty() != (o->customers <= 0);
}

double Ms(const bench::Stopwatch& watch) {
    return watch.seconds() * 1000.0;
}

struct Summary {
    double median = 0;
    double max = 0;
};

Summary Summarise(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
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
    const double ms = Ms(watch);
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

void MeasureOpen(const std::string& what, int32_t target, int repeat) {
    OpenTables();  // a fresh engine: nothing of the index in its memory yet
    const double first = TimeOpen(target);
    std::vector<double> warm;
    for (int i = 0; i < repeat; ++i) warm.push_back(TimeOpen(target));
    const Summary s = Summarise(warm);
    std::printf("open on %-38s first %7.2f ms   then median %7.2f ms, max %7.2f ms\n", what.c_str(),
                first, s.median, s.max);
}

void MeasureSearch(int repeat) {
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
            const double ms = Ms(watch);
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
    for (size_t k = 0; k < keys; ++k) {
        const Summary s = Summarise(perKey[k]);
        std::printf("  \"%-8s first %7.2f ms   then median %7.2f ms, max %7.2f ms   (%d)\n",
                    (std::string(kSearch, k + 1) + "\"").c_str(), firstPass[k], s.median, s.max,
                    offsets[k]);
    }
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
            times[i].push_back(Ms(watch));
        }
    }
    for (size_t i = 0; i < std::size(steps); ++i) {
        const Summary s = Summarise(times[i]);
        std::printf("key %-30s median %7.2f ms, max %7.2f ms\n", steps[i].name, s.median, s.max);
    }
}

bool Generate(int customers, const fs::path& dir) {
    if (!fs::create_directories(dir)) {
        std::fprintf(stderr, "pick_list_bench: %s exists already\n", dir.c_str());
        return false;
    }
    for (const auto& entry : fs::directory_iterator(CORVANE_SUPPLIED_DATA))
        fs::copy_file(entry.path(), dir / entry.path().filename());
    fs::current_path(dir);
    InitDbContext();
    GeneratorCounts counts;
    QString error;
    const bool ok = GenerateData({customers, customers / 10, 1}, &counts, &error);
    if (!ok) std::fprintf(stderr, "pick_list_bench: %s\n", qPrintable(error));
    FreeDbContext();
    return ok;
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
    prompt::setHandler([](const prompt::Request& r) {
        std::fprintf(stderr, "pick_list_bench: %s\n", qPrintable(r.text));
        return prompt::Reply{true, {}};
    });

    fs::path dir = options.dir;
    bool removeAfter = false;
    if (options.customers > 0) {
        dir = options.work.empty()
                  ? fs::temp_directory_path() / ("pick-list-bench-" + std::to_string(getpid()))
                  : fs::path(options.work);
        removeAfter = options.work.empty();
        if (!Generate(options.customers, dir)) return 1;
    }
    fs::current_path(dir);
    SettingsRecord.ByCust = true;

    OpenTables();
    const uint32_t count = CustTbl->recCount();
    CustTbl->bottom();
    const auto lastByName = static_cast<int32_t>(CustTbl->recNo());
    std::printf("pick_list_bench: %u customers in %s, listed by name, %d repetitions\n", count,
                fs::absolute(dir).c_str(), options.repeat);
    MeasureOpen("the last customer by name", lastByName, options.repeat);
    MeasureOpen("the customer added last (record " + std::to_string(count) + ")",
                static_cast<int32_t>(count), options.repeat);
    MeasureSearch(options.repeat);
    MeasurePaging(options.repeat);

    FreeDbContext();
    if (removeAfter) {
        fs::current_path(fs::temp_directory_path());
        fs::remove_all(dir);
    }
    if (failures > 0) std::printf("%d wrong results\n", failures);
    return failures > 0 ? 1 : 0;
}
