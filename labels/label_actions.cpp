#include "labels/label_actions.h"

#include <QDate>
#include <QFileInfo>
#include <memory>
#include <optional>

#include "core/dates.h"
#include "core/prompt.h"
#include "db/current_records.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "labels/lab_print_form.h"
#include "labels/label_device.h"
#include "labels/mail_merge.h"
#include "masters/pick_routines.h"
#include "report/date_span_form.h"
#include "report/device_output.h"
#include "report/generator_steps.h"
#include "report/mult_group_form.h"
#include "report/print_target.h"
#include "report/report_document.h"

namespace labels {
namespace {

// The chosen file name with `suffix` added when it has none and is not a device, FIFO or socket,
// which is written into as it is named.
QString WithSuffix(const QString& chosen, const QString& suffix) {
    const bool named = !QFileInfo(chosen).suffix().isEmpty() || reports::IsDeviceOutput(chosen);
    return named ? chosen : chosen + u'.' + suffix;
}

// The customers picked one by one from the customer list until it is closed without a choice.
QList<int> PickCustomers(QWidget* parent) {
    QList<int> customers;
    if (OpenCustomers() && OpenGroups()) {
        CustTbl->select(CustTbl->tag(SettingsRecord.ByCust ? "cname" : "cComp"));
        CurCustRec = CustTbl->top() == xbase::kFound ? static_cast<int32_t>(CustTbl->recNo()) : 0;
        while (PickCustomer(false, nullptr, parent)) {
            if (CustTbl->go(static_cast<uint32_t>(CurCustRec)) != xbase::kFound) break;
            ReadCustomer();
            customers << CustBuf.cuno;
        }
    }
    reports::CloseReportTables();
    return customers;
}

QList<int> ChooseGroups(QWidget* parent) {
    QList<int> groups;
    if (OpenCustomers() && OpenGroups()) groups = reports::AskGroups(parent);
    reports::CloseReportTables();
    return groups;
}

// The selection of the kind as the user gives it; nothing when a dialog was cancelled or
// nothing was chosen.
std::optional<LabelSelection> AskSelection(QWidget* parent, LabelKind kind) {
    LabelSelection selection;
    selection.kind = kind;
    switch (kind) {
        case LabelKind::SelectedCustomers:
            selection.customers = PickCustomers(parent);
            if (selection.customers.isEmpty()) return std::nullopt;
            break;
        case LabelKind::CustomerGroups:
            selection.groups = ChooseGroups(parent);
            if (selection.groups.isEmpty()) return std::nullopt;
            break;
        case LabelKind::InvoicesDated:
        case LabelKind::PastDueBilling:
        case LabelKind::BalanceDueStatement: {
            reports::ReportDocument& doc = reports::TheReport();
            doc.SpanStart = doc.SpanEnd = DateValue(QDate::currentDate());
            if (!reports::AskDateSpan(parent)) return std::nullopt;
            selection.from = doc.SpanStart;
            selection.to = doc.SpanEnd;
            break;
        }
    }
    return selection;
}

// The print options, after saying so when there is no stock to print on.
std::optional<PrintOptions> AskOptions(QWidget* parent) {
    if (!OpenLabels()) return std::nullopt;
    std::optional<PrintOptions> options;
    if (LabTbl->recCount() == 0) {
        prompt::information(parent,
                            "Label Stock has not been defined. Choose Preferences - Label Forms "
                            "to define label stock; ready stocks for the common sheets and rolls "
                            "are offered there.");
    } else {
        options = AskPrintOptions(parent);
    }
    reports::CloseReportTables();
    return options;
}

// The chosen printer, or with none a PDF file of that name.
std::unique_ptr<LabelDevice> OutputDevice(const QString& pdfFile, const QFont& font) {
    if (reports::PrinterInstalled())
        return std::make_unique<PrinterLabelDevice>(reports::CurrentReportPrinter(), font);
    return std::make_unique<PdfLabelDevice>(pdfFile, font);
}

}  // namespace

void RunLabels(QWidget* parent, LabelKind kind) {
    const std::optional<PrintOptions> options = AskOptions(parent);
    if (!options) return;
    const QFont font = reports::CurrentReportFont();
    // Refused before the selection is asked for, so that no choosing goes to waste.
    const QString problem = CheckStock(options->stock, *OutputDevice({}, font));
    if (!problem.isEmpty()) {
        prompt::information(parent, problem);
        return;
    }
    const std::optional<LabelSelection> selection = AskSelection(parent, kind);
    if (!selection) return;
    const SelectedLabels selected = SelectLabels(*selection);
    if (!selected.read || selected.labels.empty()) return;
    QString pdfFile;
    if (!reports::PrinterInstalled()) {
        const std::optional<QString> chosen =
            prompt::saveFileName(parent, QStringLiteral("Print Labels to File"), {},
                                 QStringLiteral("PDF files (*.pdf)"));
        if (!chosen || chosen->isEmpty()) return;
        pdfFile = WithSuffix(*chosen, QStringLiteral("pdf"));
    }
    const RunResult result = PrintLabelRun(options->stock, options->column, options->row,
                                           selected.labels, *OutputDevice(pdfFile, font));
    if (!result.ok) prompt::information(parent, result.message);
}

void RunMailMerge(QWidget* parent) {
    const QList<int> groups = ChooseGroups(parent);
    if (groups.isEmpty()) return;
    const std::optional<QString> chosen =
        prompt::saveFileName(parent, QStringLiteral("Save Mail Merge File"), {},
                             QStringLiteral("Delimited files (*.doc)"));
    if (!chosen || chosen->isEmpty()) return;
    const MergeResult result = WriteMailMerge(WithSuffix(*chosen, QStringLiteral("doc")), groups);
    if (!result.saved) prompt::information(parent, result.message);
}

}  // namespace labels
