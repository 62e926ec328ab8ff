#include "reports/report_command.h"

#include <QFont>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QSet>
#include <functional>
#include <utility>

#include "app/entry/dates.h"
#include "app/entry/prompt.h"
#include "db/maintenance.h"
#include "db/program_state.h"
#include "db/settings.h"
#include "reports/account_reports.h"
#include "reports/customer_profile.h"
#include "reports/page_length.h"
#include "reports/print_target.h"
#include "reports/product_listing.h"
#include "reports/purchasing_report.h"
#include "reports/report_document.h"
#include "reports/report_export.h"
#include "reports/report_painter.h"
#include "reports/sales_reports.h"

namespace reports {
namespace {

// The kinds of selection the reports take, each with its own options.
enum class SelectionKind { None, DateSpan, ProductSpan, AsOf, Customers };

bool TakesSpan(SelectionKind kind) {
    return kind == SelectionKind::DateSpan || kind == SelectionKind::ProductSpan;
}

struct ReportEntry {
    const char* name;
    SelectionKind selection;
    // Said when the generator has nothing to show and says nothing itself; may be null.
    const char* nothingToShow;
    bool (*make)(ReportDocument& doc, const ReportSelection& selection);
};

// Every report the command knows. A report that lands in the program adds its row here.
const ReportEntry kReports[] = {
    {"product-listing", SelectionKind::None, "No Products on file.",
     [](ReportDocument& doc, const ReportSelection&) { return MakeProductListing(doc); }},
    {"purchasing", SelectionKind::DateSpan, "No Purchases within selected dates.",
     [](ReportDocument& doc, const ReportSelection& s) {
         return MakePurchasingReport(doc, s.spanStart, s.spanEnd);
     }},
    // These generators tell themselves when they have nothing to show.
    {"sales-summary", SelectionKind::DateSpan, nullptr,
     [](ReportDocument& doc, const ReportSelection& s) {
         return MakeSalesSummary(doc, s.spanStart, s.spanEnd);
     }},
    {"product-summary", SelectionKind::DateSpan, nullptr,
     [](ReportDocument& doc, const ReportSelection& s) {
         return MakeProductSummary(doc, s.spanStart, s.spanEnd);
     }},
    {"product-buyers", SelectionKind::ProductSpan, nullptr,
     [](ReportDocument& doc, const ReportSelection& s) {
         return MakeProductBuyers(doc, s.product, s.spanStart, s.spanEnd);
     }},
    {"daily-income", SelectionKind::DateSpan, nullptr,
     [](ReportDocument& doc, const ReportSelection& s) {
         return MakeDailyIncome(doc, s.spanStart, s.spanEnd);
     }},
    {"receivables", SelectionKind::AsOf, nullptr,
     [](ReportDocument& doc, const ReportSelection& s) { return MakeReceivables(doc, s.asOf); }},
    {"tax-summary", SelectionKind::DateSpan, nullptr,
     [](ReportDocument& doc, const ReportSelection& s) {
         return MakeTaxReport(doc, s.spanStart, s.spanEnd);
     }},
    {"profile", SelectionKind::Customers, nullptr,
     [](ReportDocument& doc, const ReportSelection& s) {
         return s.groups.isEmpty() ? MakeCustomerProfile(doc, s.customers)
                                   : MakeGroupProfile(doc, s.groups);
     }},
};

const ReportEntry* FindReport(const QString& name) {
    for (const ReportEntry& entry : kReports) {
        if (name == QLatin1String(entry.name)) return &entry;
    }
    return nullptr;
}

QString SelectionUsage(SelectionKind kind) {
    switch (kind) {
        case SelectionKind::DateSpan:
            return QStringLiteral(" [--from YYYY-MM-DD] [--to YYYY-MM-DD]");
        case SelectionKind::ProductSpan:
            return QStringLiteral(" --product ID [--from YYYY-MM-DD] [--to YYYY-MM-DD]");
        case SelectionKind::AsOf:
            return QStringLiteral(" [--as-of YYYY-MM-DD]");
        case SelectionKind::Customers:
            return QStringLiteral(" (--customers N,N... | --groups N,N...)");
        case SelectionKind::None:
            break;
    }
    return {};
}

// A date written YYYY-MM-DD as a day number; nothing for any other text.
std::optional<double> IsoDay(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    if (!form.match(text).hasMatch()) return std::nullopt;
    const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid()) return std::nullopt;
    return DateValue(date);
}

// Numbers written N,N,... (each 1 to 999999); nothing for any other text.
std::optional<QList<int>> NumberList(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^\\d{1,6}(,\\d{1,6})*$"));
    if (!form.match(text).hasMatch()) return std::nullopt;
    QList<int> numbers;
    for (const QString& part : text.split(u',')) numbers << part.toInt();
    return numbers;
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

// The report font of the command line: the settings' name and size on a fixed default, so that
// the output does not depend on the desktop the command happens to run on.
QFont CommandLineReportFont() {
    QFont base(QStringLiteral("monospace"), 10);
    base.setStyleHint(QFont::TypeWriter);
    QGuiApplication::setFont(base);
    return CurrentReportFont();
}

bool Told(const ExportResult& result) {
    if (!result.saved) prompt::information(nullptr, result.message);
    return result.saved;
}

// Writes every output asked for, also after one has failed; true when all were written.
bool WriteOutputs(const ReportDocument& doc, const ReportRequest& request) {
    bool written = true;
    if (!request.textFile.isEmpty())
        written &= Told(SaveReport(doc, request.textFile, ExportFormat::PlainText));
    if (!request.tabFile.isEmpty())
        written &= Told(SaveReport(doc, request.tabFile, ExportFormat::TabDelimited));
    if (!request.pdfFile.isEmpty())
        written &= Told(PrintToPdf(doc, request.pdfFile, CommandLineReportFont()));
    return written;
}

// The run itself, as start-up and then the report's button would do it; true when every output
// was written.
bool BuildAndWrite(const ReportEntry& entry, const ReportRequest& request, const HeldOffEnd& end) {
    if (!RebuildIndexes(true) || !LoadSettings()) return false;  // the data store has said why
    if (TakesSpan(entry.selection) && request.selection.spanStart > request.selection.spanEnd) {
        prompt::information(
            nullptr, QStringLiteral("Ending Date must be greater than or equal to Starting Date."));
        return false;
    }
    ReportDocument& doc = TheReport();
    bool written = false;
    if (entry.make(doc, request.selection)) {
        written = WriteOutputs(doc, request);
    } else if (!end.Ended() && entry.nothingToShow) {
        prompt::information(nullptr, QLatin1String(entry.nothingToShow));
    }
    doc.FinishReport();
    return written;
}

}  // namespace

QString ReportUsage() {
    QString usage = QStringLiteral(
        "       corvane-admin [-C DIR] report NAME [selection] "
        "(--text FILE | --tab FILE | --pdf FILE)...\n"
        "       NAME [selection], one of:\n");
    for (const ReportEntry& entry : kReports)
        usage += "         " + QLatin1String(entry.name) + SelectionUsage(entry.selection) + u'\n';
    return usage;
}

std::optional<ReportRequest> ParseReportArgs(const QStringList& args, const QDir& base) {
    const ReportEntry* entry = args.isEmpty() ? nullptr : FindReport(args.first());
    if (!entry) return std::nullopt;
    ReportRequest request;
    request.name = QLatin1String(entry->name);
    std::optional<double> from;
    std::optional<double> to;
    std::optional<double> asOf;
    std::optional<QList<int>> customers;
    std::optional<QList<int>> groups;
    for (qsizetype i = 1; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) return std::nullopt;
        const QString& option = args.at(i);
        const QString& value = args.at(i + 1);
        if (value.isEmpty() || value.startsWith(QLatin1String("--"))) return std::nullopt;
        QString* file = option == QLatin1String("--text")  ? &request.textFile
                        : option == QLatin1String("--tab") ? &request.tabFile
                        : option == QLatin1String("--pdf") ? &request.pdfFile
                                                           : nullptr;
        std::optional<double>* day = nullptr;
        std::optional<QList<int>>* numbers = nullptr;
        const SelectionKind kind = entry->selection;
        if (TakesSpan(kind)) {
            if (option == QLatin1String("--from")) day = &from;
            if (option == QLatin1String("--to")) day = &to;
        }
        if (kind == SelectionKind::AsOf && option == QLatin1String("--as-of")) day = &asOf;
        if (kind == SelectionKind::Customers) {
            if (option == QLatin1String("--customers")) numbers = &customers;
            if (option == QLatin1String("--groups")) numbers = &groups;
        }
        const bool product =
            kind == SelectionKind::ProductSpan && option == QLatin1String("--product");
        if (file && file->isEmpty()) {
            *file = QDir::cleanPath(base.absoluteFilePath(value));
        } else if (day && !*day) {
            *day = IsoDay(value);
            if (!*day) return std::nullopt;
        } else if (numbers && !*numbers) {
            *numbers = NumberList(value);
            if (!*numbers) return std::nullopt;
        } else if (product && request.selection.product.isEmpty()) {
            request.selection.product = value;
        } else {
            return std::nullopt;  // unknown, not this report's, or given twice
        }
    }
    QSet<QString> outputs;
    for (const QString* file : {&request.textFile, &request.tabFile, &request.pdfFile}) {
        if (!file->isEmpty()) outputs.insert(*file);
    }
    const int asked =
        !request.textFile.isEmpty() + !request.tabFile.isEmpty() + !request.pdfFile.isEmpty();
    if (asked == 0 || outputs.size() != asked) return std::nullopt;  // none, or one file twice
    const SelectionKind kind = entry->selection;
    if (TakesSpan(kind)) {
        ReportDocument month;
        month.DefaultSpan();
        request.selection.spanStart = from.value_or(month.SpanStart);
        request.selection.spanEnd = to.value_or(month.SpanEnd);
    }
    if (kind == SelectionKind::ProductSpan && request.selection.product.isEmpty())
        return std::nullopt;
    if (kind == SelectionKind::AsOf)
        request.selection.asOf = asOf.value_or(DateValue(QDate::currentDate()));
    if (kind == SelectionKind::Customers) {
        if (customers.has_value() == groups.has_value()) return std::nullopt;  // one of the two
        request.selection.customers = customers.value_or(QList<int>());
        request.selection.groups = groups.value_or(QList<int>());
    }
    return request;
}

int RunReport(const ReportRequest& request) {
    const ReportEntry* entry = FindReport(request.name);
    if (!entry) return 1;
    HeldOffEnd end;
    const PrinterPageProbe previousProbe = SetPrinterPageProbe({});
    const bool written = BuildAndWrite(*entry, request, end);
    SetPrinterPageProbe(previousProbe);
    return written ? 0 : 1;
}

}  // namespace reports
