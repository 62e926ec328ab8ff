// corvane-admin: maintenance of a data directory from the command line, for the owner and for
// support. Works on the current directory, or on DIR with -C DIR.
//   check     verifies every table, memo file and index; exit 1 when anything is wrong
//   reindex   re-creates every index group
//   pack      removes the records marked deleted and compacts the memo files
//   backup DIR   copies the tables, memo files and settings to DIR (made when missing) beside
//                the backup there, verifying every copy, and puts the new backup in its place
//                when whole
//   restore DIR  copies them back from DIR as one whole after checking them against the
//                backup's list of files, then re-creates every index group
//   repair    mends damaged tables (record count, deletion flags, memo pointers) after keeping
//             a copy of each in a dated folder, and re-creates every index
//   generate  fills a directory holding the supplied, empty tables with synthetic data
//   report    runs a report and writes it as plain text, tab-delimited text or PDF; relative
//             file names are taken from the directory the command was started in
//   labels    prints a label run of customers, invoices or groups on a label stock into a PDF
//             file, its name taken as the report command takes it
//   reminders writes the reminder letters due as of a day as the report command writes a report,
//             then records them and charges their fees (not with --dry-run)
//   send      sends invoices, bills, statements or reminder letters by e-mail, one message per
//             document, recording each in the sent log (with --dry-run DIR writes .eml files)
// Whatever the program would tell the user goes to the error stream and makes the exit status 1;
// questions are answered No and file dialogs refused. Bad arguments: what is wrong with them and
// the usage on the error stream, exit status 2. --help (also after a command): the usage on the
// standard output, exit status 0.
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <charconv>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/prompt.h"
#include "db/backup.h"
#include "db/backup_folder.h"
#include "db/change.h"
#include "db/data_check.h"
#include "db/data_directory.h"
#include "db/generator.h"
#include "db/maintenance.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "db/repair.h"
#include "labels/label_command.h"
#include "report/command_options.h"
#include "report/report_export.h"
#include "reports/report_command.h"
#include "reports/send_command.h"

namespace {

constexpr const char* kUsage =
    "usage: corvane-admin [-C DIR] check | reindex | pack | repair | backup DIR | restore DIR | "
    "generate --customers N --invoices N [--products N] [--purchases N] [--seed S]\n";

void PrintUsage(FILE* stream) {
    std::fputs(kUsage, stream);
    std::fputs(qPrintable(reports::ReportUsage()), stream);
    std::fputs(qPrintable(labels::LabelUsage()), stream);
    std::fputs(qPrintable(reports::RemindersUsage()), stream);
    std::fputs(qPrintable(reports::SendUsage()), stream);
}

// Says what is wrong with the arguments, then how they go.
int Usage(const QString& why) {
    std::fprintf(stderr, "corvane-admin: %s\n", qPrintable(why));
    PrintUsage(stderr);
    return 2;
}

template <typename Number>
bool ToNumber(const std::string& text, Number* value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, *value);
    return !text.empty() && ec == std::errc() && ptr == end;
}

// A backup waits this long for a pack, reindex or restore under way to end; then it gives up
// and says who holds the data files.
constexpr int kBackupLockWaitMs = 60 * 1000;
constexpr unsigned long kLockPollMs = 100;

// Set when anything was told to the user.
bool MessageShown = false;
// Set while the progress line waits for its end; a message first ends it.
bool ProgressLineOpen = false;

// Messages the program would show in a box go to the error stream instead. With nobody to
// answer, a question gets No and a file dialog is refused.
void PrintPrompts() {
    // A table that cannot be opened ends the command, not a program the owner has to restart.
    EndingNotice.clear();
    prompt::setHandler([](const prompt::Request& request) {
        MessageShown = true;
        if (ProgressLineOpen) {
            std::printf("\n");
            std::fflush(stdout);
            ProgressLineOpen = false;
        }
        QString text = request.text;
        text.replace('\n', ' ');
        switch (request.kind) {
            case prompt::Kind::Information:
            case prompt::Kind::Warning:
                std::fprintf(stderr, "corvane-admin: %s\n", qPrintable(text));
                return prompt::Reply{true, {}};
            case prompt::Kind::Question:
                std::fprintf(stderr, "corvane-admin: %s (answered No)\n", qPrintable(text));
                break;
            case prompt::Kind::Confirm:
            case prompt::Kind::WarningConfirm:
                std::fprintf(stderr, "corvane-admin: %s (answered Cancel)\n", qPrintable(text));
                break;
            default:
                std::fprintf(stderr, "corvane-admin: %s (refused: no dialogs here)\n",
                             qPrintable(text));
                break;
        }
        return prompt::Reply{false, {}};
    });
}

// The progress box as one line of text that is rewritten in place.
void PrintProgress() {
    static QString caption;
    Progress.show = [](bool visible, const QString& text) {
        if (visible) {
            caption = text;
            std::printf("%s", qPrintable(caption));
        } else if (ProgressLineOpen) {
            std::printf("\n");
        }
        ProgressLineOpen = visible;
        std::fflush(stdout);
    };
    Progress.set = [](int percent) {
        std::printf("\r%s: %3d%%", qPrintable(caption), percent);
        ProgressLineOpen = true;
        std::fflush(stdout);
    };
}

// What the owner is told to do after the check, one line for each kind of remedy found; repair
// is named only for damage it mends.
QStringList NextSteps(const std::vector<DataProblem>& problems) {
    const auto any = [&problems](Remedy remedy) {
        return std::any_of(problems.begin(), problems.end(),
                           [remedy](const DataProblem& p) { return p.remedy == remedy; });
    };
    QStringList steps;
    if (any(Remedy::Settle))
        steps << "What a change or a rewrite left unfinished is settled by starting Corvane or by "
                 "a corvane-admin command that writes, such as reindex.";
    if (any(Remedy::Repair))
        steps << "corvane-admin repair mends the damaged tables and indexes, keeping a copy of "
                 "each damaged file first.";
    if (any(Remedy::Restore))
        steps << "Repair cannot mend a missing file, a table of another layout or damage of that "
                 "kind: restore the data files from a backup (corvane-admin restore DIR).";
    if (any(Remedy::Correct))
        steps << "A number used twice is put right in Corvane: give one of the records another "
                 "number.";
    return steps;
}

int Check() {
    const std::vector<DataProblem> problems = FindDataProblems();
    for (const DataProblem& p : problems) std::printf("%s\n", qPrintable(p.text));
    if (problems.empty()) {
        std::printf("All tables, memo files and indexes are whole.\n");
        return 0;
    }
    int count = 0;
    for (const DataProblem& p : problems) count += p.count;
    std::printf("%d problem%s found.\n", count, count == 1 ? "" : "s");
    for (const QString& step : NextSteps(problems)) std::printf("%s\n", qPrintable(step));
    return 1;
}

int Repair() {
    RepairResult result;
    const bool repaired = RepairDataFiles(&result);
    if (!result.copied.isEmpty())
        std::printf("Copies of the damaged files are in %s: %s\n", qPrintable(result.folder),
                    qPrintable(result.copied.join(", ")));
    for (const QString& line : result.mended) std::printf("Mended: %s\n", qPrintable(line));
    for (const QString& line : result.lost) std::printf("Not kept: %s\n", qPrintable(line));
    for (const QString& line : result.failed)
        std::fprintf(stderr, "corvane-admin: not repaired: %s\n", qPrintable(line));
    if (repaired && result.folder.isEmpty())
        std::printf("No table needed mending; every index was re-created.\n");
    return repaired ? 0 : 1;
}

int Pack() {
    const QStringList skipped = PackAll();
    for (const QString& line : skipped)
        std::printf("%s (could not be packed and was left as it was)\n", qPrintable(line));
    return skipped.isEmpty() ? 0 : 1;
}

int Generate(const std::vector<std::string>& args) {
    GeneratorOptions options;
    bool haveCustomers = false;
    bool haveInvoices = false;
    for (size_t i = 0; i < args.size(); i += 2) {
        const QString option = QString::fromStdString(args[i]);
        if (i + 1 >= args.size()) return Usage(option + " needs a value");
        const std::string& value = args[i + 1];
        bool ok = false;
        QString range;
        if (args[i] == "--customers") {
            ok = haveCustomers = ToNumber(value, &options.customers) && options.customers >= 1;
            range = "1 or more";
        } else if (args[i] == "--invoices") {
            ok = haveInvoices = ToNumber(value, &options.invoices) && options.invoices >= 0;
            range = "0 or more";
        } else if (args[i] == "--products") {
            ok = ToNumber(value, &options.products) && options.products >= 1 &&
                 options.products <= 99999;
            range = "from 1 to 99999";
        } else if (args[i] == "--purchases") {
            ok = ToNumber(value, &options.purchases) && options.purchases >= 0;
            range = "0 or more";
        } else if (args[i] == "--seed") {
            ok = ToNumber(value, &options.seed);
        } else {
            return Usage(option + " is not an option of generate");
        }
        if (!ok)
            return Usage(option + ": \"" + QString::fromStdString(value) +
                         "\" is not a whole number" + (range.isEmpty() ? "" : " (" + range + ")"));
    }
    if (!haveCustomers || !haveInvoices)
        return Usage(QStringLiteral("generate needs --customers and --invoices"));
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

// Commands that change the files keep off a data directory the program or another command is
// working on; the lock lasts while the returned object lives. Nothing (after saying who holds
// it, or why it cannot be taken) when it cannot be had.
// waitMs: how long to wait for a holder to let go.
std::unique_ptr<DataDirectoryLock> LockForChanges(const std::string& command, int waitMs = 0) {
    LockRefusal refusal;
    const QString holder = QStringLiteral("corvane-admin ") + QString::fromStdString(command);
    QDeadlineTimer deadline(waitMs);
    std::unique_ptr<DataDirectoryLock> lock = LockDataDirectory(holder, &refusal);
    while (!lock && refusal.kind == LockRefusal::Held && !deadline.hasExpired()) {
        QThread::msleep(kLockPollMs);
        lock = LockDataDirectory(holder, &refusal);
    }
    if (!lock) std::fprintf(stderr, "corvane-admin: %s\n", qPrintable(LockRefusalMessage(refusal)));
    return lock;
}

// A report or label run: whether it may go on beside a running Corvane (or another command) that
// holds the data directory, which it may when it finds every index file in place (it would
// re-create missing ones). The lock, when it could be had, lasts while `lock` lives. Needs
// DbContext.
bool MayRead(const std::string& command, std::unique_ptr<DataDirectoryLock>* lock) {
    LockRefusal refusal;
    *lock = LockDataDirectory(QStringLiteral("corvane-admin ") + QString::fromStdString(command),
                              &refusal);
    if (*lock || !IndexFilesMissing()) return true;
    std::fprintf(stderr, "corvane-admin: %s\n", qPrintable(LockRefusalMessage(refusal)));
    return false;
}

// Before any table opens: a command that writes undoes a change a crash left unfinished, and
// says so; one that only reads holds the data directory shared, so that it never sees half of a
// change the program is making. False (after saying why) when the command cannot go on.
bool OpenDataFiles(bool readOnly) {
    if (const QStringList clashes = NamesDifferingOnlyInCase(); !clashes.isEmpty()) {
        for (const QString& clash : clashes)
            std::fprintf(stderr,
                         "corvane-admin: %s differ only in letter case; which one holds the "
                         "data cannot be told. Rename or remove one of them.\n",
                         qPrintable(clash));
        return false;
    }
    if (readOnly) {
        if (DbContext->lockShared() == 0) return true;
        DbContext->errorCode();
        std::fprintf(stderr, "corvane-admin: %s\n", DbContext->errorText().c_str());
        return false;
    }
    bool undone = false;
    QString error;
    if (!UndoUnfinishedChange(&undone, &error)) {
        std::fprintf(stderr, "corvane-admin: %s\n", qPrintable(error.replace('\n', ' ')));
        return false;
    }
    if (undone)
        std::fprintf(stderr,
                     "corvane-admin: a change left unfinished in the data files has been "
                     "undone.\n");
    QStringList told;
    if (!FinishInterruptedRewrites(&told, &error)) {
        std::fprintf(stderr, "corvane-admin: %s\n", qPrintable(error.replace('\n', ' ')));
        return false;
    }
    for (const QString& line : told) std::fprintf(stderr, "corvane-admin: %s\n", qPrintable(line));
    return true;
}

// Backup and restore of the data directory with DIR, as the File Maintenance buttons do them.
int BackupOrRestore(bool toBackup, const QString& dir) {
    // A backup makes the folder it is to go into; a restore needs one that is there.
    if (toBackup && !QFileInfo::exists(dir) && !QDir().mkpath(dir)) {
        std::fprintf(stderr, "corvane-admin: cannot make the folder %s\n", qPrintable(dir));
        return 1;
    }
    if (!QFileInfo(dir).isDir()) {
        std::fprintf(stderr, "corvane-admin: %s is not a directory\n", qPrintable(dir));
        return 1;
    }
    if (IsDataDirectory(dir)) {
        prompt::information(nullptr, toBackup
                                         ? "Backup must be to a different drive and/or directory"
                                         : "Restore must be from a different drive and/or "
                                           "directory");
        return 1;
    }
    if (!toBackup && !HoldsBackup(dir)) {
        prompt::information(nullptr, NoBackupMessage(dir));
        return 1;
    }
    QString closing;
    const bool copied = CopyDataFiles(toBackup, dir, &closing);
    if (Progress.show) Progress.show(false, QString());
    if (!copied) prompt::information(nullptr, closing);
    if (!toBackup && !RebuildIndexes(false)) return 1;
    return copied ? 0 : 1;
}

// Runs a command that prints to PDF. Printing needs a graphical application object; it is made
// for these commands only, offscreen unless a platform is named, so that the other commands stay
// light, and only when the run first asks for the report font (`paints`: before the run), so that
// a report written as text alone makes none. One that `writes` holds the data directory as the
// commands that change it do.
int RunPrinting(char* program, const std::string& command, const std::function<int()>& run,
                bool writes = false, bool paints = false) {
    // The locale the application object would set from the environment, whether it is made or
    // not, so that the run reads and writes numbers alike either way.
    std::setlocale(LC_ALL, "");
    // Run from cron there is often no runtime directory; Qt would complain on the error stream,
    // which scripts read as the command's messages. A private one serves for this run.
    std::optional<QTemporaryDir> runtimeDir;
    reports::MakePaintingApplication = [program, &runtimeDir] {
        if (QCoreApplication::instance()) return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtimeDir.emplace().isValid())
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir->path()));
        // The application object is left standing when the command ends, for the process ends
        // with it: destroying it would have the platform's font database load the whole font
        // configuration only to free it (4 ms, a fifth of a report that finds nothing).
        static int qtArgc = 1;
        static char* qtArgv[] = {program, nullptr};
        new QGuiApplication(qtArgc, qtArgv);
    };
    if (paints) reports::MakePaintingApplication();
    InitDbContext();
    std::unique_ptr<DataDirectoryLock> lock;
    if (writes) lock = LockForChanges(command);
    const bool ready =
        writes ? lock && OpenDataFiles(false) : MayRead(command, &lock) && OpenDataFiles(true);
    const int status = ready ? run() : 1;
    FreeDbContext();
    reports::MakePaintingApplication = nullptr;
    return status;
}

QStringList CommandArgs(const std::vector<std::string>& args) {
    QStringList list;
    for (const std::string& arg : args) list << QString::fromLocal8Bit(arg);
    return list;
}

int Report(char* program, const std::vector<std::string>& args, const QDir& startDir) {
    QString why;
    const std::optional<reports::ReportRequest> request =
        reports::ParseReportArgs(CommandArgs(args), startDir, &why);
    if (!request) return Usage(why);
    if (!reports::OutputsKeepOffTheDataFiles(*request)) return 1;
    return RunPrinting(program, "report", [&] { return reports::RunReport(*request); });
}

int Reminders(char* program, const std::vector<std::string>& args, const QDir& startDir) {
    QString why;
    const std::optional<reports::ReportRequest> request =
        reports::ParseRemindersArgs(CommandArgs(args), startDir, &why);
    if (!request) return Usage(why);
    if (!reports::OutputsKeepOffTheDataFiles(*request)) return 1;
    return RunPrinting(
        program, "reminders", [&] { return reports::RunReport(*request); },
        !request->selection.dryRun);
}

int Send(char* program, const std::vector<std::string>& args, const QDir& startDir) {
    QString why;
    const std::optional<reports::SendRequest> request =
        reports::ParseSendArgs(CommandArgs(args), startDir, &why);
    if (!request) return Usage(why);
    if (!request->dryRunDir.isEmpty() && IsDataDirectory(request->dryRunDir)) {
        prompt::information(nullptr,
                            QStringLiteral("--dry-run needs a directory other than the data "
                                           "directory"));
        return 1;
    }
    // Sending finds its mail module beside the program through the application object, and
    // attaches PDF files: it has the object from its start.
    return RunPrinting(
        program, "send", [&] { return reports::RunSend(*request); }, request->dryRunDir.isEmpty(),
        true);
}

int Labels(char* program, const std::vector<std::string>& args, const QDir& startDir) {
    QString why;
    const std::optional<labels::LabelRequest> request =
        labels::ParseLabelArgs(CommandArgs(args), startDir, &why);
    if (!request) return Usage(why);
    if (IsDataDirectoryFile(request->pdfFile)) {
        prompt::information(nullptr, reports::DataFileOutputMessage(request->pdfFile));
        return 1;
    }
    return RunPrinting(
        program, "labels", [&] { return labels::RunLabelCommand(*request); }, false, true);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const QDir startDir = QDir::current();
    if (std::find_if(args.begin(), args.end(), [](const std::string& arg) {
            return arg == "--help" || arg == "-h";
        }) != args.end()) {
        PrintUsage(stdout);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    }
    if (!args.empty() && args[0] == "-C") {
        if (args.size() < 2) return Usage(QStringLiteral("-C needs a directory"));
        std::error_code ec;
        std::filesystem::current_path(args[1], ec);
        if (ec) {
            std::fprintf(stderr, "corvane-admin: cannot work in %s: %s\n", args[1].c_str(),
                         ec.message().c_str());
            return 2;
        }
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty()) return Usage(QStringLiteral("name a command"));
    const std::string command = args[0];
    args.erase(args.begin());
    if (command == "report" || command == "labels" || command == "reminders" || command == "send") {
        PrintPrompts();
        const int status = command == "report"      ? Report(argv[0], args, startDir)
                           : command == "labels"    ? Labels(argv[0], args, startDir)
                           : command == "reminders" ? Reminders(argv[0], args, startDir)
                                                    : Send(argv[0], args, startDir);
        return status == 0 && MessageShown ? 1 : status;
    }
    const QString named = QString::fromStdString(command);
    if (command != "check" && command != "reindex" && command != "pack" && command != "repair" &&
        command != "generate" && command != "backup" && command != "restore")
        return Usage("unknown command \"" + named + "\"");
    const bool withDir = command == "backup" || command == "restore";
    if (withDir && args.size() != 1) return Usage(named + " needs one directory");
    if (command != "generate" && !withDir && !args.empty())
        return Usage(named + " takes no arguments");
    // DIR is taken from the directory the command was started in.
    const QString otherDir =
        withDir ? startDir.absoluteFilePath(QString::fromLocal8Bit(args[0])) : QString();

    std::unique_ptr<DataDirectoryLock> lock;
    // A backup holds the data directory like the commands that change it: no pack, reindex or
    // restore moves the files while it copies them, and it may undo a change a crash left
    // unfinished. It waits a while for one under way to end.
    const bool readOnly = command == "check";
    if (!readOnly) {
        lock = LockForChanges(command, command == "backup" ? kBackupLockWaitMs : 0);
        if (!lock) return 1;
    }
    PrintPrompts();
    PrintProgress();
    InitDbContext();
    if (!OpenDataFiles(readOnly)) {
        FreeDbContext();
        return 1;
    }
    int status = 0;
    if (command == "check") {
        status = Check();
    } else if (withDir) {
        status = BackupOrRestore(command == "backup", otherDir);
    } else if (command == "reindex") {
        status = RebuildIndexes(false) ? 0 : 1;
    } else if (command == "pack") {
        status = Pack();
    } else if (command == "repair") {
        status = Repair();
    } else {
        status = Generate(args);
    }
    FreeDbContext();
    return status == 0 && MessageShown ? 1 : status;
}
