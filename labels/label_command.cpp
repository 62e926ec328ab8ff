#include "labels/label_command.h"

#include <algorithm>

#include "core/prompt.h"
#include "db/maintenance.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "db/settings.h"
#include "labels/label_device.h"
#include "labels/label_stock.h"
#include "masters/ready_stocks.h"
#include "report/command_options.h"
#include "report/generator_steps.h"
#include "report/report_export.h"

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
        "\n         [--row R --column C] --pdf FILE\n"
        "       (dates as YYYY-MM-DD; a FILE of - is the standard output; NAME is a stock of"
        "\n        Label Forms or a ready one: \"Address 3 x 10 (US Letter)\","
        "\n        \"Address 3 x 8 (A4)\", \"Continuous 1 across (3 1/2 x 15/16 in)\")\n");
}

std::optional<LabelRequest> ParseLabelArgs(const QStringList& args, const QDir& base,
                                           QString* why) {
    const auto refuse = [why](const QString& reason) -> std::optional<LabelRequest> {
        *why = reason;
        return std::nullopt;
    };
    const auto notDate = [](const QString& option, const QString& value) {
        return option + ": \"" + value + "\" is not a date written YYYY-MM-DD";
    };
    LabelRequest request;
    bool haveSelection = false;
    bool haveRow = false;
    bool haveColumn = false;
    for (qsizetype i = 0; i < args.size(); i += 2) {
        const QString& option = args.at(i);
        const SpanOption* span = nullptr;
        for (const SpanOption& s : kSpanOptions)
            if (option == QLatin1String(s.option)) span = &s;
        const bool numbers =
            option == QLatin1String("--customers") || option == QLatin1String("--groups");
        const bool known = span || numbers || option == QLatin1String("--stock") ||
                           option == QLatin1String("--pdf") || option == QLatin1String("--row") ||
                           option == QLatin1String("--column");
        if (!known) return refuse(option + " is not an option of labels");
        const qsizetype values = span ? 2 : 1;
        if (i + values >= args.size() || args.at(i + 1).isEmpty() ||
            (span && args.at(i + 2).isEmpty()))
            return refuse(option + (span ? " needs two dates" : " needs a value"));
        const QString& value = args.at(i + 1);
        if (span || numbers) {
            if (haveSelection) return refuse(option + ": only one selection may be given");
            haveSelection = true;
        }
        if (span) {
            const std::optional<double> from = reports::IsoDay(value);
            if (!from) return refuse(notDate(option, value));
            const std::optional<double> to = reports::IsoDay(args.at(i + 2));
            if (!to) return refuse(notDate(option, args.at(i + 2)));
            request.selection.kind = span->kind;
            request.selection.from = *from;
            request.selection.to = *to;
            ++i;  // a span takes two values
        } else if (numbers) {
            const std::optional<QList<int>> list = reports::NumberList(value);
            if (!list)
                return refuse(option + ": \"" + value +
                              "\" is not a list of numbers from 1 to 999999 written N,N...");
            const bool customers = option == QLatin1String("--customers");
            request.selection.kind =
                customers ? LabelKind::SelectedCustomers : LabelKind::CustomerGroups;
            (customers ? request.selection.customers : request.selection.groups) = *list;
        } else if (option == QLatin1String("--stock")) {
            if (!request.stock.isEmpty()) return refuse(option + " given twice");
            request.stock = value.trimmed();
            if (request.stock.isEmpty()) return refuse(option + " needs a stock's name");
        } else if (option == QLatin1String("--pdf")) {
            if (!request.pdfFile.isEmpty()) return refuse(option + " given twice");
            request.pdfFile = value == QLatin1String(reports::kStandardOutput)
                                  ? value
                                  : QDir::cleanPath(base.absoluteFilePath(value));
        } else {
            bool& given = option == QLatin1String("--row") ? haveRow : haveColumn;
            if (given) return refuse(option + " given twice");
            const std::optional<int> position = Position(value);
            if (!position) return refuse(option + ": \"" + value + "\" is not a number from 1 to 99");
            (option == QLatin1String("--row") ? request.row : request.column) = *position;
            given = true;
        }
    }
    if (!haveSelection)
        return refuse(QStringLiteral(
            "labels needs a selection: --customers, --groups, --invoices-dated, --past-due or "
            "--balance-due"));
    if (request.stock.isEmpty()) return refuse(QStringLiteral("labels needs --stock"));
    if (request.pdfFile.isEmpty()) return refuse(QStringLiteral("labels needs --pdf"));
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
    std::optional<LabelRecord> stock = FindStock(request.stock);
    reports::CloseReportTables();
    if (!stock) stock = ReadyStock(request.stock);
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
