#include "labels/label_command.h"

#include <algorithm>

#include "app/entry/prompt.h"
#include "db/maintenance.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "db/settings.h"
#include "labels/label_device.h"
#include "labels/label_stock.h"
#include "reports/generator_steps.h"
#include "reports/report_command.h"

namespace labels {
namespace {

// The options of a date span and the kind each selects.
struct SpanOption {
    const char* option;
    LabelKind kind;
};
constexpr SpanOption kSpanOptions[] = {{"--invoices-dated", LabelKind::InvoicesDated},
                                       {"--past-due", LabelKind::PastDueBilling},
                                       {"--balance-due", LabelKind::BalanceDueStatement}};

std::optional<int> Position(const QString& text) {
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < 1 || n > 99) return std::nullopt;
    return n;
}

}  // namespace

QString LabelUsage() {
    return QStringLiteral(
        "       corvane-admin [-C DIR] labels --stock NAME (--customers N,N... | --groups N,N... |"
        "\n         --invoices-dated FROM TO | --past-due FROM TO | --balance-due FROM TO)"
        "\n         [--row R --column C] --pdf FILE     (dates as YYYY-MM-DD)\n");
}

std::optional<LabelRequest> ParseLabelArgs(const QStringList& args, const QDir& base) {
    LabelRequest request;
    bool haveSelection = false;
    bool haveRow = false;
    bool haveColumn = false;
    for (qsizetype i = 0; i < args.size(); i += 2) {
        const QString& option = args.at(i);
        if (i + 1 >= args.size()) return std::nullopt;
        const QString& value = args.at(i + 1);
        if (value.isEmpty()) return std::nullopt;
        const SpanOption* span = nullptr;
        for (const SpanOption& s : kSpanOptions)
            if (option == QLatin1String(s.option)) span = &s;
        if (span || option == QLatin1String("--customers") || option == QLatin1String("--groups")) {
            if (haveSelection) return std::nullopt;
            haveSelection = true;
        }
        if (span) {
            if (i + 2 >= args.size()) return std::nullopt;
            const std::optional<double> from = reports::IsoDay(value);
            const std::optional<double> to = reports::IsoDay(args.at(i + 2));
            if (!from || !to) return std::nullopt;
            request.selection.kind = span->kind;
            request.selection.from = *from;
            request.selection.to = *to;
            ++i;  // a span takes two values
        } else if (option == QLatin1String("--customers") || option == QLatin1String("--groups")) {
            const std::optional<QList<int>> numbers = reports::NumberList(value);
            if (!numbers) return std::nullopt;
            const bool customers = option == QLatin1String("--customers");
            request.selection.kind =
                customers ? LabelKind::SelectedCustomers : LabelKind::CustomerGroups;
            (customers ? request.selection.customers : request.selection.groups) = *numbers;
        } else if (option == QLatin1String("--stock") && request.stock.isEmpty()) {
            request.stock = value.trimmed();
            if (request.stock.isEmpty()) return std::nullopt;
        } else if (option == QLatin1String("--pdf") && request.pdfFile.isEmpty()) {
            request.pdfFile = QDir::cleanPath(base.absoluteFilePath(value));
        } else if (option == QLatin1String("--row") && !haveRow) {
            const std::optional<int> row = Position(value);
            if (!row) return std::nullopt;
            request.row = *row;
            haveRow = true;
        } else if (option == QLatin1String("--column") && !haveColumn) {
            const std::optional<int> column = Position(value);
            if (!column) return std::nullopt;
            request.column = *column;
            haveColumn = true;
        } else {
            return std::nullopt;
        }
    }
    if (!haveSelection || request.stock.isEmpty() || request.pdfFile.isEmpty()) return std::nullopt;
    return request;
}

int RunLabelCommand(const LabelRequest& request) {
    if (!RebuildIndexes(true) || !LoadSettings()) return 1;  // the data store has said why
    const LabelSelection& selection = request.selection;
    if (selection.kind != LabelKind::SelectedCustomers &&
        selection.kind != LabelKind::CustomerGroups && selection.from > selection.to) {
        prompt::information(
            nullptr, QStringLiteral("Ending Date must be greater than or equal to Starting Date."));
        return 1;
    }
    if (!OpenLabels()) return 1;
    const std::optional<LabelRecord> stock = FindStock(request.stock);
    reports::CloseReportTables();
    if (!stock) {
        prompt::information(nullptr, "Label Stock \"" + request.stock + "\" is not defined.");
        return 1;
    }
    PdfLabelDevice device(request.pdfFile, reports::CommandLineReportFont());
    const QString problem = CheckStock(*stock, device);
    if (!problem.isEmpty()) {
        prompt::information(nullptr, problem);
        return 1;
    }
    const SelectedLabels selected = SelectLabels(selection);
    if (!selected.read) return 1;
    for (int cuno : selected.notFound)
        prompt::information(nullptr, "Customer " + QString::number(cuno) + " not found.");
    if (selected.labels.empty()) {
        prompt::information(nullptr, QStringLiteral("No labels to print."));
        return 1;
    }
    const int column = std::clamp(request.column, 1, std::max(1, stock->NAcross));
    const RunResult result = PrintLabelRun(*stock, column, request.row, selected.labels, device);
    if (!result.ok) {
        prompt::information(nullptr, result.message);
        return 1;
    }
    return selected.notFound.isEmpty() ? 0 : 1;
}

}  // namespace labels
