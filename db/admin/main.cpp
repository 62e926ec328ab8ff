// corvane-admin: maintenance of a data directory from the command line, for the owner and for
// support. Works on the current directory, or on DIR with -C DIR.
//   check     verifies every table, memo file and index; exit 1 when anything is wrong
//   reindex   re-creates every index group
//   pack      removes the records marked deleted and compacts the memo files
//   generate  fills a directory holding the supplied, empty tables with synthetic data
#include <QStringList>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/entry/prompt.h"
#include "db/data_check.h"
#include "db/generator.h"
#include "db/maintenance.h"
#include "db/program_state.h"

namespace {

constexpr const char* kUsage =
    "usage: corvane-admin [-C DIR] check | reindex | pack | "
    "generate --customers N --invoices N [--seed S]\n";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

template <typename Number>
bool ToNumber(const std::string& text, Number* value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, *value);
    return !text.empty() && ec == std::errc() && ptr == end;
}

// Messages the data store would show in a box go to the error stream instead.
void PrintPrompts() {
    prompt::setHandler([](const prompt::Request& request) {
        QString text = request.text;
        std::fprintf(stderr, "corvane-admin: %s\n", qPrintable(text.replace('\n', ' ')));
        return prompt::Reply{true, {}};
    });
}

// The progress box as one line of text that is rewritten in place.
void PrintProgress() {
    static QString caption;
    Progress.show = [](bool visible, const QString& text) {
        if (visible) {
            caption = text;
            std::printf("%s", qPrintable(caption));
        } else {
            std::printf("\n");
        }
        std::fflush(stdout);
    };
    Progress.set = [](int percent) {
        std::printf("\r%s: %3d%%", qPrintable(caption), percent);
        std::fflush(stdout);
    };
}

int Check() {
    const QStringList problems = CheckDataFiles();
    for (const QString& p : problems) std::printf("%s\n", qPrintable(p));
    if (problems.isEmpty()) {
        std::printf("All tables, memo files and indexes are whole.\n");
        return 0;
    }
    std::printf("%lld problem%s found.\n", static_cast<long long>(problems.size()),
                problems.size() == 1 ? "" : "s");
    return 1;
}

int Pack() {
    const QStringList skipped = PackAll();
    for (const QString& table : skipped)
        std::printf("%s could not be packed and was left as it was.\n", qPrintable(table));
    return skipped.isEmpty() ? 0 : 1;
}

int Generate(const std::vector<std::string>& args) {
    GeneratorOptions options;
    bool haveCustomers = false;
    bool haveInvoices = false;
    for (size_t i = 0; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) return Usage();
        const std::string& value = args[i + 1];
        bool ok = false;
        if (args[i] == "--customers") {
            ok = haveCustomers = ToNumber(value, &options.customers);
        } else if (args[i] == "--invoices") {
            ok = haveInvoices = ToNumber(value, &options.invoices);
        } else if (args[i] == "--seed") {
            ok = ToNumber(value, &options.seed);
        }
        if (!ok) return Usage();
    }
    if (!haveCustomers || !haveInvoices || options.customers < 1 || options.invoices < 0)
        return Usage();
    GeneratorCounts counts;
    QString error;
    if (!GenerateData(options, &counts, &error)) {
        std::fprintf(stderr, "corvane-admin: %s\n", qPrintable(error));
        return 1;
    }
    std::printf(
        "Wrote %d groups, %d customers, %d products, %d purchases, %d invoices, "
        "%d items and %d payments.\n",
        counts.groups, counts.customers, counts.products, counts.purchases, counts.invoices,
        counts.items, counts.payments);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 2 && args[0] == "-C") {
        std::error_code ec;
        std::filesystem::current_path(args[1], ec);
        if (ec) {
            std::fprintf(stderr, "corvane-admin: cannot work in %s: %s\n", args[1].c_str(),
                         ec.message().c_str());
            return 2;
        }
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty()) return Usage();
    const std::string command = args[0];
    args.erase(args.begin());
    if (command != "generate" && !args.empty()) return Usage();
    if (command != "check" && command != "reindex" && command != "pack" && command != "generate")
        return Usage();

    PrintPrompts();
    PrintProgress();
    InitDbContext();
    int status = 0;
    if (command == "check") {
        status = Check();
    } else if (command == "reindex") {
        status = RebuildIndexes(false) ? 0 : 1;
    } else if (command == "pack") {
        status = Pack();
    } else {
        status = Generate(args);
    }
    FreeDbContext();
    return status;
}
