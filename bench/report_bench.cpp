// report_bench: the program's reports side by side with SQLite answering the same selections.
//
// A business is generated (corvane-admin generate, --customers N --invoices N) or copied from a
// directory generated before (--data DIR; the copy is read, the original never opened). Its
// tables are copied into an SQLite database with an index for every tag. Each report then runs
// as corvane-admin's report command writes it (a child process, from start-up to the written
// text file), and its query as a child of this program that opens the database and writes every
// row; both are timed from outside: wall time, processor time (user + system) and peak memory
// (maximum resident set). The best of --repeat runs (default 3) is printed per side, with the
// ratios ours / SQLite. "ours less start" is our processor time less that of the report over an
// empty span (start-up, the index check and reading the settings), the time the report itself
// took, with its ratio to SQLite's processor time (steadier than wall time on a busy machine).
//
// Usage: report_bench --dir WORK --admin CORVANE_ADMIN (--data DIR | --customers N --invoices N
//        --supplied DIR) [--repeat N]
//        report_bench --small --dir WORK --admin CORVANE_ADMIN --supplied DIR
// WORK keeps the copy (data/), the database (business.sqlite) and the outputs; a later run on
// the same WORK reuses the first two. --small generates 200 customers and 2,000 invoices and
// runs each report once: it proves the bench works end to end and says nothing about speed.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "bench/figures.h"
#include "bench/report_sql.h"
#include "bench/results.h"
#include "bench/stopwatch.h"
#include "db/xbase/xbase.h"

namespace fs = std::filesystem;

namespace bench {
namespace {

struct Options {
    std::string work;
    std::string admin;
    std::string data;
    std::string supplied;
    long customers = 0;
    long invoices = 0;
    int repeat = 3;
    bool small = false;
};

// One run of a child: its figures as the system counted them.
struct Figures {
    double wall = 0;
    double cpu = 0;
    double peakMb = 0;
    int exitCode = 0;
};

// The best of several runs: least wall and processor time, the highest peak.
struct Best {
    double wall = 1e300;
    double cpu = 1e300;
    double peakMb = 0;
    void add(const Figures& f) {
        wall = std::min(wall, f.wall);
        cpu = std::min(cpu, f.cpu);
        peakMb = std::max(peakMb, f.peakMb);
    }
};

// Runs `args` as a child with its standard output and error going to `log`; waits for it.
Figures RunChild(const std::vector<std::string>& args, const std::string& log) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const Stopwatch clock;
    const pid_t pid = fork();
    if (pid < 0) throw BenchFailure("fork failed");
    if (pid == 0) {
        const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || dup2(fd, 1) < 0 || dup2(fd, 2) < 0) _exit(126);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) throw BenchFailure("wait4 failed");
    Figures f;
    f.wall = clock.seconds();
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    f.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    f.peakMb = usage.ru_maxrss / 1024.0;
    f.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return f;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

long LineCount(const std::string& path) {
    const std::string text = ReadAll(path);
    return static_cast<long>(std::count(text.begin(), text.end(), '\n'));
}

// One report of the bench: its report command and its query.
struct BenchRun {
    std::string label;
    std::vector<std::string> command;  // after "report"
    std::string query;
    std::string from;  // yyyymmdd
    std::string to;
    bool empty = false;  // the report has nothing to show: corvane-admin exits 1
};

std::string Iso(const std::string& day) {
    return day.substr(0, 4) + "-" + day.substr(4, 2) + "-" + day.substr(6, 2);
}

std::vector<BenchRun> Runs(const std::string& product) {
    const auto span = [](const std::string& name, const std::string& from, const std::string& to,
                         std::vector<std::string> before = {}) {
        before.insert(before.begin(), name);
        for (const std::string& s :
             {std::string("--from"), Iso(from), std::string("--to"), Iso(to)})
            before.push_back(s);
        return before;
    };
    return {
        {"sales-summary (a year)", span("sales-summary", "20250101", "20251231"), "sales-summary",
         "20250101", "20251231"},
        {"receivables", {"receivables", "--as-of", "2025-12-31"}, "receivables", "", ""},
        {"product-buyers (a year)",
         span("product-buyers", "20250101", "20251231", {"--product", product}), "product-buyers",
         "20250101", "20251231"},
        {"statements (one month)", span("statements", "20250601", "20250630", {"--balances-only"}),
         "statements", "20250601", "20250630"},
        {"invoices (one day)", span("invoices", "20250616", "20250616"), "invoices", "20250616",
         "20250616"},
        {"empty span", span("sales-summary", "20270101", "20270131"), "sales-summary", "20270101",
         "20270131", true},
        {"profile --groups 1", {"profile", "--groups", "1"}, "profile", "", ""},
    };
}

void Check(bool ok, const std::string& what) {
    if (!ok) throw BenchFailure(what);
}

// The data directory of the run under WORK: copied or generated once.
std::string PrepareData(const Options& o) {
    const fs::path dir = fs::path(o.work) / "data";
    const fs::path ready = fs::path(o.work) / "data.ready";
    if (fs::exists(ready)) {
        std::cout << "data: " << dir.string() << " (kept from an earlier run)\n";
        return dir.string();
    }
    fs::remove_all(dir);
    fs::create_directories(dir);
    if (!o.data.empty()) {
        for (const fs::directory_entry& e : fs::directory_iterator(o.data))
            if (e.is_regular_file()) fs::copy_file(e.path(), dir / e.path().filename());
        for (const fs::directory_entry& e : fs::directory_iterator(dir))
            fs::permissions(e.path(), fs::perms::owner_write, fs::perm_options::add);
        std::cout << "data: a copy of " << o.data << "\n";
    } else {
        for (const fs::directory_entry& e : fs::directory_iterator(o.supplied))
            if (e.is_regular_file()) fs::copy_file(e.path(), dir / e.path().filename());
        const Stopwatch clock;
        const Figures f =
            RunChild({o.admin, "-C", dir.string(), "generate", "--customers",
                      std::to_string(o.customers), "--invoices", std::to_string(o.invoices)},
                     (fs::path(o.work) / "generate.log").string());
        Check(f.exitCode == 0, "corvane-admin generate failed: " +
                                   ReadAll((fs::path(o.work) / "generate.log").string()));
        std::printf("data: generated %ld customers, %ld invoices in %.1f s\n", o.customers,
                    o.invoices, clock.seconds());
    }
    std::ofstream(ready) << "ready\n";
    return dir.string();
}

std::string PrepareDatabase(const Options& o, const std::string& data) {
    const fs::path db = fs::path(o.work) / "business.sqlite";
    const fs::path ready = fs::path(o.work) / "sqlite.ready";
    if (fs::exists(ready)) return db.string();
    // The load runs in a child of its own: a child's peak as the system counts it includes the
    // memory of this process when it was forked, and the load would leave this one large.
    const Stopwatch clock;
    const pid_t pid = fork();
    if (pid < 0) throw BenchFailure("fork failed");
    if (pid == 0) {
        try {
            LoadBusiness(data, db.string());
        } catch (const std::exception& e) {
            std::fprintf(stderr, "report_bench: loading SQLite: %s\n", e.what());
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    Check(waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0,
          "loading the business into SQLite failed");
    std::ofstream(ready) << "ready\n";
    std::printf("SQLite: loaded with its indexes in %.1f s\n", clock.seconds());
    return db.string();
}

// The product code of the first item on file, which the buyers report asks for, as stored
// (blank-padded to its field's width).
std::string FirstSoldProduct(const std::string& data) {
    xbase::Context ctx(data);
    ctx.setAutoOpen(false);
    xbase::Table* items = ctx.open("ITM5");
    Check(items && items->top() == xbase::kFound, "no item to take a product from");
    const std::string code = items->field("PrID")->str();
    items->close();
    return code;
}

int Bench(const Options& o) {
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    fs::create_directories(fs::path(o.work) / "out");
    const std::string data = PrepareData(o);
    const std::string db = PrepareDatabase(o, data);
    const std::string product = FirstSoldProduct(data);
    const std::string productCode = product.substr(0, product.find_last_not_of(' ') + 1);
    const fs::path out = fs::path(o.work) / "out";
    std::printf("load average: %s; best of %d; times in seconds, memory in MB\n",
                LoadAverage().c_str(), o.repeat);
    std::printf("%-24s %7s %7s %7s | %7s %7s %7s | %6s %6s | %7s %6s | %8s %8s\n", "report", "wall",
                "cpu", "peak", "wall", "cpu", "peak", "wall x", "cpu x", "cpu", "x", "lines",
                "rows");
    std::printf("%-24s %23s | %23s | %13s | %14s |\n", "", "ours", "SQLite", "ours / SQLite",
                "ours less start");
    const std::vector<BenchRun> runs = Runs(productCode);
    std::vector<Best> ours(runs.size());
    std::vector<Best> theirs(runs.size());
    for (int round = 0; round < o.repeat; ++round) {
        for (size_t i = 0; i < runs.size(); ++i) {
            const BenchRun& r = runs[i];
            const std::string text = (out / ("report-" + std::to_string(i) + ".txt")).string();
            const std::string log = (out / ("report-" + std::to_string(i) + ".log")).string();
            std::vector<std::string> args = {o.admin, "-C", data, "report"};
            args.insert(args.end(), r.command.begin(), r.command.end());
            args.insert(args.end(), {"--text", text});
            const Figures f = RunChild(args, log);
            Check(f.exitCode == (r.empty ? 1 : 0), r.label + ": corvane-admin exited " +
                                                       std::to_string(f.exitCode) + ": " +
                                                       ReadAll(log));
            ours[i].add(f);
            const std::string rows = (out / ("sql-" + std::to_string(i) + ".txt")).string();
            const std::string sqlLog = (out / ("sql-" + std::to_string(i) + ".log")).string();
            const Figures s =
                RunChild({self, "--sql", r.query, db, r.from, r.to, product, rows}, sqlLog);
            Check(s.exitCode == 0, r.label + ": the query failed: " + ReadAll(sqlLog));
            theirs[i].add(s);
        }
    }
    double startUp = 0;
    for (size_t i = 0; i < runs.size(); ++i)
        if (runs[i].empty) startUp = ours[i].cpu;
    for (size_t i = 0; i < runs.size(); ++i) {
        const BenchRun& r = runs[i];
        const long lines =
            r.empty ? 0 : LineCount((out / ("report-" + std::to_string(i) + ".txt")).string());
        const long rows = LineCount((out / ("sql-" + std::to_string(i) + ".txt")).string());
        Check(r.empty == (rows == 0), r.label + ": the query's rows disagree with the selection");
        Check(r.empty || lines > 0, r.label + ": the report has no lines");
        const double lessStart = std::max(0.0, ours[i].cpu - startUp);
        std::printf(
            "%-24s %7.3f %7.3f %7.1f | %7.3f %7.3f %7.1f | %6.2f %6.2f | %7.3f %6.2f | "
            "%8ld %8ld\n",
            r.label.c_str(), ours[i].wall, ours[i].cpu, ours[i].peakMb, theirs[i].wall,
            theirs[i].cpu, theirs[i].peakMb, ours[i].wall / theirs[i].wall,
            ours[i].cpu / theirs[i].cpu, lessStart, lessStart / theirs[i].cpu, lines, rows);
    }
    return 0;
}

bool ParseOptions(int argc, char** argv, Options* o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--small") {
            o->small = true;
            continue;
        }
        if (i + 1 >= argc) return false;
        const std::string v = argv[++i];
        if (a == "--dir")
            o->work = v;
        else if (a == "--admin")
            o->admin = v;
        else if (a == "--data")
            o->data = v;
        else if (a == "--supplied")
            o->supplied = v;
        else if (a == "--customers")
            o->customers = std::stol(v);
        else if (a == "--invoices")
            o->invoices = std::stol(v);
        else if (a == "--repeat")
            o->repeat = std::max(1, std::stoi(v));
        else
            return false;
    }
    if (o->small) {
        o->customers = 200;
        o->invoices = 2000;
        o->repeat = 1;
    }
    const bool generated = o->customers > 0 && o->invoices > 0 && !o->supplied.empty();
    return !o->work.empty() && !o->admin.empty() && (o->data.empty() != !generated);
}

}  // namespace
}  // namespace bench

int main(int argc, char** argv) {
    try {
        if (argc == 8 && std::string(argv[1]) == "--sql") {
            bench::RunReportSql(argv[2], argv[3], argv[4], argv[5], argv[6], argv[7]);
            return 0;
        }
        bench::Options options;
        if (!bench::ParseOptions(argc, argv, &options)) {
            std::cerr << "usage: report_bench --dir WORK --admin CORVANE_ADMIN (--data DIR | "
                         "--customers N --invoices N --supplied DIR) [--repeat N]\n"
                         "       report_bench --small --dir WORK --admin CORVANE_ADMIN "
                         "--supplied DIR\n";
            return 2;
        }
        return bench::Bench(options);
    } catch (const std::exception& e) {
        std::cerr << "report_bench: " << e.what() << "\n";
        return 1;
    }
}
