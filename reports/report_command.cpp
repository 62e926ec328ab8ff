#include "reports/report_command.h"

#include <QFont>
#include <QSet>
#include <functional>
#include <utility>

#include "core/dates.h"
#include "core/prompt.h"
#include "db/data_directory.h"
#include "db/maintenance.h"
#include "db/program_state.h"
#include "db/settings.h"
#include "report/command_options.h"
#include "report/page_length.h"
#include "report/print_target.h"
#include "report/report_document.h"
#include "report/report_export.h"
#include "report/report_painter.h"
#include "reports/account_reports.h"
#include "reports/aging_report.h"
#include "reports/customer_profile.h"
#include "reports/inventory_reports.h"
#include "reports/invoice_documents.h"
#include "reports/product_listing.h"
#include "reports/purchasing_report.h"
#include "reports/reminder_letters.h"
#include "reports/sales_reports.h"
#include "reports/sent_log_report.h"

namespace reports {
namespace {

// The kinds of selection the reports take, each with its own options: none; a date span;
// invoices by a date span (today when left out) or by number; statements for the customers with
// a balance in a date span, or for customers by number; one date (today when left out); a
// product and a date span; customers or groups by number; one date with the aging's choices.
enum class SelectionKind {
    None,
    DateSpan,
    Invoices,
    Statements,
    AsOf,
    ProductSpan,
    Customers,
    Aging,
    Reminders
};

// What a generator is given besides its selection: the paper its documents are measured for and
// where the documents of a run begin, and the reminders found for the letters.
struct RunContext {
    PaperMeasure paper;
    DocumentRun* run = nullptr;
    ReminderRun* reminders = nullptr;
};

struct ReportEntry {
    const char* name;
    SelectionKind selection;
    // Said when the generator has nothing to show and says nothing itself; may be null.
    const char* nothingToShow;
    bool (*make)(ReportDocument& doc, const ReportSelection& selection, const RunContext& context);
    // Documents to customers: their width, and the name of each one's own PDF file before its
    // number; null for a report.
    int width = 0;
    const char* eachName = nullptr;
    // By dates, the span left out is the current month, or today for invoices.
    bool spanDefaultsToToday = false;
    // A command of its own rather than a report of the report command (reminders).
    const char* command = nullptr;
    // What a run that wrote every output records; false (the user told) when it could not.
    bool (*record)(const ReportSelection& selection, const RunContext& context) = nullptr;
    // The generator changes no line but the last two once written: text outputs may take the
    // lines as they come rather than the whole document after it (report/report_lines.h).
    bool streams = false;
};

// Every report the command knows. A report that lands in the program adds its row here.
const ReportEntry kReports[] = {
    {"product-listing", SelectionKind::None, "No Products on file.",
     [](ReportDocument& doc, const ReportSelection&, const RunContext&) {
         return MakeProductListing(doc);
     }},
    {"purchasing", SelectionKind::DateSpan, "No Purchases within selected dates.",
     [](ReportDocument& doc, const ReportSelection& s, const RunContext&) {
         return MakePurchasingReport(doc, s.spanStart, s.spanEnd);
     }},
    {"stock-on-hand", SelectionKind::None, "No inventory items on file.",
     [](ReportDocument& doc, const ReportSelection&, const RunContext&) {
         return MakeStockOnHand(doc, DateValue(QDate::currentDate()));
     }},
    {"cost-of-goods", SelectionKind::DateSpan, nullptr,
     [](ReportDocument& doc, const ReportSelection& s, const RunContext&) {
         return MakeCostOfGoodsSold(doc, s.spanStart, s.spanEnd);
     }},
    {"inventory", SelectionKind::AsOf, "No inventory items on file.",
     [](ReportDocument& doc, const ReportSelection& s, const RunContext&) {
         return MakeInventoryValuation(doc, s.asOf);
     }},
    {"invoices", SelectionKind::Invoices, "No invoices to print.",
     [](ReportDocument& doc, const ReportSelection& s, const RunContext& c) {
         if (!s.invoices.isEmpty())
             return MakeInvoicesByNumber(doc, s.invoices, true, c.paper, c.run);
         return MakeInvoicesForDates(doc, s.spanStart, s.spanEnd, true, c.paper, c.run);
     },
     kInvoiceWidth, "invoice", true, nullptr, nullptr, true},
    {"bills", SelectionKind::Invoices, "No bills to print.",
     [](ReportDocument& doc, const ReportSelection& s, const RunContext& c) {
         if (!s.invoices.isEmpty())
             return MakeInvoicesByNumber(doc, s.invoices, false, c.paper, c.run);
         return MakeInvoicesForDates(doc, s.spanStart, s.spanEnd, false, c.paper, c.run);
     },
     kInvoiceWidth, "bill", false, nullptr, nullptr, true},
    {"statements", SelectionKind::Statements, "No statements to print.",
     [](ReportDocument& doc, const ReportSelection& s, const RunContext& c) {
         if (s.balancesOnly)
             return MakeStatementsWithBalances(doc, s.spanStart, s.spanEnd, c.paper, c.run);
         return MakeStatementsForCustomers(doc, s.customers, c.paper, c.run);
     },
     kStatementWidth, "statement", false, nullptr, nullptr, true},
    // These generators tell themselves when they have nothing to show.
    {"sales-summary", SelectionKind::DateSpan, nullptr,
     [](ReportDocument& doc, const ReportSelection& s, const RunContext&) {
         return MakeSalesSummary(doc, s.spanStart, s.spanEnd);
     },
     0, nullptr, false, nullptr, nullptr, true},
    {"product-summary", SelectionKind::DateSpan, nullptr,
     [](ReportDocument& doc, const ReportSelection& s, const RunContext&) {
         return MakeProductSummary(doc, s.spanStart, s.spanEnd);
     }},
    {"product-buyers", SelectionKind::ProductSpan, nullptr,
     [](ReportDocument& doc, const ReportSelection& s, const RunContext&) {
         return MakeProductBuyers(doc, s.product, s.spanStart, s.spanEnd);
     }},
    {"daily-income", SelectionKind::DateSpan, nullptr,
     [](ReportDocument& doc, const ReportSelection& s, const RunContext&) {
         return MakeDailyIncome(doc, s.spanStart, s.spanEnd);
     }},
    {"receivables", SelectionKind::AsOf, nullptr,
     [](ReportDocument& doc, const ReportSelection& s, const RunContext&) {
         return MakeReceivables(doc, s.asOf);
     },
     0, nullptr, false, nullptr, nullptr, true},
    {"aging", SelectionKind::Aging, nullptr,
     [](ReportDocument& doc, const ReportSelection& s, const RunContext&) {
         return MakeAgingReport(doc, {s.asOf, s.byInvoiceDate, s.detail});
     }},
    {"reminders", SelectionKind::Reminders, nullptr,
     [](ReportDocument& doc, const ReportSelection& s, const RunContext& c) {
         return FindReminders(s.asOf, c.reminders) &&
                MakeReminderLetters(doc, *c.reminders, c.paper, c.run);
     },
     kInvoiceWidth, "reminder", false, "reminders",
     [](const ReportSelection& s, const RunContext& c) {
         if (s.dryRun) return true;
         QString error;
         if (RecordReminderRun(*c.reminders, &error)) return true;
         prompt::information(nullptr, "The reminders could not be recorded.\n" + error);
         return false;
     }},
    {"sent-log", SelectionKind::DateSpan, nullptr,
     [](ReportDocument& doc, const ReportSelection& s, const RunContext&) {
         return MakeSentLogReport(doc, s.spanStart, s.spanEnd);
     }},
    {"tax-summary", SelectionKind::DateSpan, nullptr,
     [](ReportDocument& doc, const ReportSelection& s, const RunContext&) {
         return MakeTaxReport(doc, s.spanStart, s.spanEnd);
     }},
    {"profile", SelectionKind::Customers, nullptr,
     [](ReportDocument& doc, const ReportSelection& s, const RunContext&) {
         return s.groups.isEmpty() ? MakeCustomerProfile(doc, s.customers)
                                   : MakeGroupProfile(doc, s.groups);
     },
     0, nullptr, false, nullptr, nullptr, true},
};

// The report of that name; a command of its own is found only by its command.
const ReportEntry* FindReport(const QString& name, bool asCommand = false) {
    for (const ReportEntry& entry : kReports) {
        if (name == QLatin1String(entry.name) && (entry.command != nullptr) == asCommand)
            return &entry;
    }
    return nullptr;
}

QString SelectionUsage(SelectionKind kind) {
    switch (kind) {
        case SelectionKind::DateSpan:
            return QStringLiteral(" [--from YYYY-MM-DD] [--to YYYY-MM-DD]");
        case SelectionKind::Invoices:
            return QStringLiteral(" ([--from YYYY-MM-DD] [--to YYYY-MM-DD] | --invoices N,N...)");
        case SelectionKind::Statements:
            return QStringLiteral(
                " (--balances-only [--from YYYY-MM-DD] [--to YYYY-MM-DD] | --customers N,N...)");
        case SelectionKind::AsOf:
            return QStringLiteral(" [--as-of YYYY-MM-DD]");
        case SelectionKind::Aging:
            return QStringLiteral(" [--as-of YYYY-MM-DD] [--by-invoice-date] [--detail]");
        case SelectionKind::Reminders:
            return QStringLiteral(" [--as-of YYYY-MM-DD] [--dry-run]");
        case SelectionKind::ProductSpan:
            return QStringLiteral(" --product ID [--from YYYY-MM-DD] [--to YYYY-MM-DD]");
        case SelectionKind::Customers:
            return QStringLiteral(" (--customers N,N... | --groups N,N...)");
        case SelectionKind::None:
            break;
    }
    return {};
}

bool TakesSpan(SelectionKind kind) {
    return kind == SelectionKind::DateSpan || kind == SelectionKind::Invoices ||
           kind == SelectionKind::Statements || kind == SelectionKind::ProductSpan;
}

// While it lives, ending the program only records that the program would end, so that a run
// the data store gives up on returns in order with its message told.
class HeldOffEnd {
public:
    HeldOffEnd() : previous_(std::exchange(EndProgram, [this] { ended_ = true; })) {}
    ~HeldOffEnd() { EndProgram = std::move(previous_); }
    HeldOffEnd(const HeldOffEnd&) = delete;
    HeldOffEnd& operator=(const HeldOffEnd&) = delete;

    bool Ended() const { return ended_; }

private:
    std::function<void()> previous_;
    bool ended_ = false;
};

bool Told(const ExportResult& result) {
    if (!result.saved) prompt::information(nullptr, result.message);
    return result.saved;
}

// One PDF file per document of the run, named by its invoice or customer number, in a directory
// made when missing; true when all were written.
bool WriteEachDocument(const ReportDocument& doc, const DocumentRun& run, const QString& eachName,
                       const QString& dirName, const QFont& font) {
    if (!QDir().mkpath(dirName)) {
        prompt::information(nullptr, QStringLiteral("Unable to save to: ") + dirName);
        return false;
    }
    const QDir dir(dirName);
    bool written = true;
    for (size_t i = 0; i < run.starts.size(); ++i) {
        // The next document begins after the page break that ends this one.
        const int end = i + 1 < run.starts.size() ? run.starts[i + 1].line - 1
                                                  : static_cast<int>(doc.Lines.size());
        const ReportDocument part = DocumentPart(doc, run.starts[i].line, end);
        const QString name = eachName + u'-' + QString::number(run.starts[i].number) + ".pdf";
        written &= Told(PrintToPdf(part, dir.filePath(name), font));
    }
    return written;
}

// The text outputs of a run that may take the report's lines as they come: those of a report
// that streams, when every output asked for is a text file that can be streamed into.
std::vector<std::pair<QString, ExportFormat>> StreamedOutputs(const ReportEntry& entry,
                                                              const ReportRequest& request) {
    if (!entry.streams || !request.pdfFile.isEmpty() || !request.pdfEachDir.isEmpty()) return {};
    std::vector<std::pair<QString, ExportFormat>> files;
    if (!request.textFile.isEmpty()) files.emplace_back(request.textFile, ExportFormat::PlainText);
    if (!request.tabFile.isEmpty()) files.emplace_back(request.tabFile, ExportFormat::TabDelimited);
    for (const auto& file : files)
        if (!StreamedExport::Streams(file.first)) return {};
    return files;
}

// Writes every output asked for, also after one has failed; true when all were written.
bool WriteOutputs(const ReportDocument& doc, const ReportRequest& request, const DocumentRun& run,
                  const ReportEntry& entry) {
    bool written = true;
    if (!request.textFile.isEmpty())
        written &= Told(SaveReport(doc, request.textFile, ExportFormat::PlainText));
    if (!request.tabFile.isEmpty())
        written &= Told(SaveReport(doc, request.tabFile, ExportFormat::TabDelimited));
    if (!request.pdfFile.isEmpty())
        written &= Told(PrintToPdf(doc, request.pdfFile, CommandLineReportFont()));
    if (!request.pdfEachDir.isEmpty())
        written &= WriteEachDocument(doc, run, QLatin1String(entry.eachName), request.pdfEachDir,
                                     CommandLineReportFont());
    return written;
}

// Tells the invoices or customers asked for by number that have no record.
void TellNotFound(const ReportEntry& entry, const QList<int>& numbers) {
    const QString what = entry.selection == SelectionKind::Statements ? QStringLiteral("Customer ")
                                                                      : QStringLiteral("Invoice ");
    for (int number : numbers)
        prompt::information(nullptr, what + QString::number(number) + " not found.");
}

// Builds the report into the program's report document as start-up and then the report's button
// would: true when it has something to show.
bool Build(const ReportEntry& entry, const ReportRequest& request, const HeldOffEnd& end,
           RunContext& context) {
    if (!RebuildIndexes(true) || !LoadSettings()) return false;  // the data store has said why
    if (TakesSpan(entry.selection) && request.selection.spanStart > request.selection.spanEnd) {
        prompt::information(
            nullptr, QStringLiteral("Ending Date must be greater than or equal to Starting Date."));
        return false;
    }
    // Measured when a generator first reads the paper: a run that never does makes no font.
    if (entry.width > 0)
        context.paper = PaperMeasure([width = entry.width] {
            return MeasurePdfPaper(CommandLineReportFont(), width, kPageLengthWithoutPrinter + 1);
        });
    const bool made = entry.make(TheReport(), request.selection, context);
    if (!end.Ended()) TellNotFound(entry, context.run->notFound);
    if (!made && !end.Ended() && entry.nothingToShow)
        prompt::information(nullptr, QLatin1String(entry.nothingToShow));
    return made;
}

// The run itself; true when every output was written.
bool BuildAndWrite(const ReportEntry& entry, const ReportRequest& request, const HeldOffEnd& end) {
    DocumentRun run;
    ReminderRun reminders;
    RunContext context;
    context.run = &run;
    context.reminders = &reminders;
    bool written = false;
    StreamedExport stream;
    const std::vector<std::pair<QString, ExportFormat>> streamed = StreamedOutputs(entry, request);
    const bool streaming = !streamed.empty() && stream.Open(streamed);
    if (streaming) TheReport().Lines.StreamTo(&stream);
    if (Build(entry, request, end, context)) {
        if (streaming) {
            TheReport().Lines.EndStream();
            written = true;
            for (const ExportResult& result : stream.Commit()) written &= Told(result);
            written = written && run.notFound.isEmpty();
        } else {
            written = WriteOutputs(TheReport(), request, run, entry) && run.notFound.isEmpty();
        }
        if (written && entry.record) written = entry.record(request.selection, context);
    }
    if (streaming) TheReport().Lines.DropStream();
    TheReport().FinishReport();
    return written;
}

}  // namespace

QString ReportUsage() {
    QString usage = QStringLiteral(
        "       corvane-admin [-C DIR] report NAME [selection] "
        "(--text FILE | --tab FILE | --pdf FILE | --pdf-each DIR)...\n"
        "       (a FILE of - is the standard output), NAME [selection] one of:\n");
    for (const ReportEntry& entry : kReports)
        if (!entry.command)
            usage +=
                "         " + QLatin1String(entry.name) + SelectionUsage(entry.selection) + u'\n';
    return usage;
}

QString RemindersUsage() {
    return QStringLiteral(
        "       corvane-admin [-C DIR] reminders [--as-of YYYY-MM-DD] "
        "(--pdf FILE | --pdf-each DIR | --text FILE)... [--dry-run]\n");
}

namespace {

// ParseReportArgs for a report, or (asCommand) for a report that is a command of its own.
// Documents to customers without outputs (`withOutputs` false) take their selection alone.
std::optional<ReportRequest> ParseEntryArgs(const QStringList& args, const QDir& base, QString* why,
                                            bool asCommand, bool withOutputs = true) {
    const auto refuse = [why](const QString& reason) -> std::optional<ReportRequest> {
        *why = reason;
        return std::nullopt;
    };
    if (args.isEmpty()) return refuse(QStringLiteral("report: name the report to run"));
    const ReportEntry* entry = FindReport(args.first(), asCommand);
    if (!entry || (!withOutputs && entry->width == 0))
        return refuse(QStringLiteral("unknown %1 \"%2\"")
                          .arg(withOutputs ? QStringLiteral("report") : QStringLiteral("document"),
                               args.first()));
    ReportRequest request;
    request.name = QLatin1String(entry->name);
    std::optional<double> from;
    std::optional<double> to;
    const SelectionKind kind = entry->selection;
    ReportSelection& selection = request.selection;
    std::optional<double> asOf;
    for (qsizetype i = 1; i < args.size(); i += 2) {
        const QString& option = args.at(i);
        bool* flag = nullptr;
        if (kind == SelectionKind::Statements && option == QLatin1String("--balances-only"))
            flag = &selection.balancesOnly;
        if (kind == SelectionKind::Aging && option == QLatin1String("--by-invoice-date"))
            flag = &selection.byInvoiceDate;
        if (kind == SelectionKind::Aging && option == QLatin1String("--detail"))
            flag = &selection.detail;
        if (withOutputs && kind == SelectionKind::Reminders && option == QLatin1String("--dry-run"))
            flag = &selection.dryRun;
        if (flag) {
            if (*flag) return refuse(option + " given twice");
            *flag = true;
            --i;  // a flag takes no value
            continue;
        }
        QString* file = !withOutputs                        ? nullptr
                        : option == QLatin1String("--text") ? &request.textFile
                        : option == QLatin1String("--tab")  ? &request.tabFile
                        : option == QLatin1String("--pdf")  ? &request.pdfFile
                        : option == QLatin1String("--pdf-each") && entry->eachName
                            ? &request.pdfEachDir
                            : nullptr;
        std::optional<double>* day = nullptr;
        if (TakesSpan(kind)) {
            if (option == QLatin1String("--from")) day = &from;
            if (option == QLatin1String("--to")) day = &to;
        }
        const bool oneDay = kind == SelectionKind::AsOf || kind == SelectionKind::Aging ||
                            kind == SelectionKind::Reminders;
        if (oneDay && option == QLatin1String("--as-of")) day = &asOf;
        QList<int>* numbers = nullptr;
        if (kind == SelectionKind::Invoices && option == QLatin1String("--invoices"))
            numbers = &selection.invoices;
        if ((kind == SelectionKind::Statements || kind == SelectionKind::Customers) &&
            option == QLatin1String("--customers"))
            numbers = &selection.customers;
        if (kind == SelectionKind::Customers && option == QLatin1String("--groups"))
            numbers = &selection.groups;
        const bool product =
            kind == SelectionKind::ProductSpan && option == QLatin1String("--product");
        if (!file && !day && !numbers && !product)
            return refuse(option + " is not an option of " + request.name);
        if (i + 1 >= args.size()) return refuse(option + " needs a value");
        const QString& value = args.at(i + 1);
        if (value.isEmpty() || value.startsWith(QLatin1String("--")))
            return refuse(option + " needs a value");
        if ((file && !file->isEmpty()) || (day && *day) || (numbers && !numbers->isEmpty()) ||
            (product && !selection.product.isEmpty()))
            return refuse(option + " given twice");
        if (file == &request.pdfEachDir && value == QLatin1String(kStandardOutput)) {
            return refuse(option + " needs a directory; the standard output takes one file");
        } else if (file) {
            *file = value == QLatin1String(kStandardOutput)
                        ? value
                        : QDir::cleanPath(base.absoluteFilePath(value));
        } else if (day) {
            *day = IsoDay(value);
            if (!*day)
                return refuse(option + ": \"" + value + "\" is not a date written YYYY-MM-DD");
        } else if (numbers) {
            const std::optional<QList<int>> list = NumberList(value);
            if (!list)
                return refuse(option + ": \"" + value +
                              "\" is not a list of numbers from 1 to 999999 written N,N...");
            *numbers = *list;
        } else {
            selection.product = value;
        }
    }
    QSet<QString> outputs;
    const QString* files[] = {&request.textFile, &request.tabFile, &request.pdfFile,
                              &request.pdfEachDir};
    int asked = 0;
    for (const QString* file : files) {
        if (file->isEmpty()) continue;
        outputs.insert(*file);
        ++asked;
    }
    if (asked == 0 && withOutputs)
        return refuse(QStringLiteral("no output named: give --text, --tab or --pdf") +
                      (entry->eachName ? " or --pdf-each" : ""));
    if (outputs.size() != asked) return refuse(QStringLiteral("one file named for two outputs"));
    // Invoices go by dates or by numbers; statements by balances in a span or by customers.
    const bool bySpan = from || to;
    if (kind == SelectionKind::Invoices && bySpan && !selection.invoices.isEmpty())
        return refuse(QStringLiteral("--invoices cannot go with --from or --to"));
    if (kind == SelectionKind::Statements &&
        selection.balancesOnly == !selection.customers.isEmpty())
        return refuse(request.name + " takes one of --balances-only and --customers");
    if (kind == SelectionKind::Statements && bySpan && !selection.balancesOnly)
        return refuse(QStringLiteral("--from and --to go with --balances-only"));
    if (kind == SelectionKind::ProductSpan && selection.product.isEmpty())
        return refuse(request.name + " needs --product");
    if (kind == SelectionKind::Customers &&
        selection.customers.isEmpty() == selection.groups.isEmpty())
        return refuse(request.name + " takes one of --customers and --groups");
    if (TakesSpan(kind)) {
        ReportDocument month;
        month.DefaultSpan();
        const double today = DateValue(QDate::currentDate());
        const bool onToday = entry->spanDefaultsToToday;
        selection.spanStart = from.value_or(onToday ? today : month.SpanStart);
        selection.spanEnd = to.value_or(onToday ? today : month.SpanEnd);
    }
    if (kind == SelectionKind::AsOf || kind == SelectionKind::Aging ||
        kind == SelectionKind::Reminders)
        selection.asOf = asOf.value_or(DateValue(QDate::currentDate()));
    return request;
}

}  // namespace

std::optional<ReportRequest> ParseReportArgs(const QStringList& args, const QDir& base,
                                             QString* why) {
    return ParseEntryArgs(args, base, why, false);
}

bool OutputsKeepOffTheDataFiles(const ReportRequest& request) {
    bool clear = true;
    for (const QString* file : {&request.textFile, &request.tabFile, &request.pdfFile}) {
        if (file->isEmpty() || !IsDataDirectoryFile(*file)) continue;
        prompt::information(nullptr, DataFileOutputMessage(*file));
        clear = false;
    }
    return clear;
}

std::optional<ReportRequest> ParseRemindersArgs(const QStringList& args, const QDir& base,
                                                QString* why) {
    return ParseEntryArgs(QStringList{QStringLiteral("reminders")} + args, base, why, true);
}

std::optional<ReportRequest> ParseDocumentArgs(const QStringList& args, const QDir& base,
                                               QString* why) {
    const bool reminders = !args.isEmpty() && args.first() == QLatin1String("reminders");
    return ParseEntryArgs(args, base, why, reminders, false);
}

bool BuildCustomerDocuments(const ReportRequest& request, DocumentRun* run,
                            ReminderRun* reminders) {
    const ReportEntry* entry = FindReport(request.name);
    if (!entry) entry = FindReport(request.name, true);
    if (!entry || entry->width == 0) return false;
    HeldOffEnd end;
    const PrinterPageProbe previousProbe = SetPrinterPageProbe({});
    RunContext context;
    context.run = run;
    context.reminders = reminders;
    const bool made = Build(*entry, request, end, context) && !end.Ended();
    SetPrinterPageProbe(previousProbe);
    return made;
}

int RunReport(const ReportRequest& request) {
    const ReportEntry* entry = FindReport(request.name);
    if (!entry) entry = FindReport(request.name, true);
    if (!entry) return 1;
    HeldOffEnd end;
    const PrinterPageProbe previousProbe = SetPrinterPageProbe({});
    const bool written = BuildAndWrite(*entry, request, end);
    SetPrinterPageProbe(previousProbe);
    return written ? 0 : 1;
}

}  // namespace reports
