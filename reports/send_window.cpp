#include "reports/send_window.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/dates.h"
#include "core/prompt.h"
#include "db/data_directory.h"
#include "db/program_state.h"
#include "mail/mail_password.h"
#include "report/print_target.h"
#include "report/report_painter.h"
#include "reports/invoice_pass.h"
#include "ui/form_help.h"
#include "ui/form_parts.h"

namespace reports {
namespace {

QTableWidget* NamedGrid(QWidget* form, const char* name, const QStringList& headings) {
    auto* grid = new QTableWidget(0, static_cast<int>(headings.size()), form);
    grid->setObjectName(QLatin1String(name));
    grid->setHorizontalHeaderLabels(headings);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setSectionsClickable(false);
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setTabKeyNavigation(false);
    grid->setMinimumSize(640, 240);
    return grid;
}

void AddRow(QTableWidget* grid, const QStringList& cells, int numberColumn = -1) {
    const int row = grid->rowCount();
    grid->insertRow(row);
    for (int column = 0; column < cells.size(); ++column) {
        auto* item = new QTableWidgetItem(cells.at(column));
        if (column == numberColumn) item->setTextAlignment(kNumberAlignment);
        grid->setItem(row, column, item);
    }
}

QString DocumentText(const CustomerDocument& d) {
    return KindTitle(d.kind) + u' ' + d.number;
}

QString ResultText(const SendLine& line) {
    switch (line.state) {
        case SendState::Sent:
            return QStringLiteral("Sent");
        case SendState::Written:
            return QStringLiteral("Written");
        case SendState::Refused:
            break;
    }
    return "Refused: " + line.reason;
}

// Asks for a PDF file name; the dialog may change the current directory, which holds the data
// files, so it is put back. Nothing when the user cancelled or named a data file (told).
std::optional<QString> AskPdfName(QWidget* parent, const QString& caption) {
    const QString dataDir = QDir::currentPath();
    const std::optional<QString> chosen =
        prompt::saveFileName(parent, caption, {}, QStringLiteral("PDF files (*.pdf)"));
    QDir::setCurrent(dataDir);
    if (!chosen || chosen->isEmpty()) return std::nullopt;
    const QString fileName = QFileInfo(*chosen).suffix().isEmpty() ? *chosen + ".pdf" : *chosen;
    if (IsDataDirectoryFile(fileName)) {
        prompt::information(parent, DataFileOutputMessage(fileName));
        return std::nullopt;
    }
    return fileName;
}

}  // namespace

TSendList::TSendList(const std::vector<CustomerDocument>& documents, QWidget* parent)
    : QDialog(parent), documents_(documents) {
    setObjectName(QStringLiteral("TSendList"));
    setWindowTitle(QStringLiteral("Send by E-mail"));
    setModal(true);
    SetFormHelp(this, kSendHelpTopic);

    GridMessages = NamedGrid(this, "GridMessages", {"Customer", "Address", "Document", "Amount"});
    CheckResend = new QCheckBox(this);
    CheckResend->setObjectName(QStringLiteral("CheckResend"));
    LabelNoAddress = NamedLabel(this, "LabelNoAddress", {});
    LabelNoAddress->setWordWrap(true);
    BtnSend = NamedButton(this, "BtnSend", QStringLiteral("Send"));
    BtnCancel = NamedButton(this, "BtnCancel", QStringLiteral("Cancel"));
    BtnHelp = NamedButton(this, "BtnHelp", QStringLiteral("Help"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnSend);
    buttons->addWidget(BtnCancel);
    buttons->addWidget(BtnHelp);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GridMessages, 1);
    layout->addWidget(CheckResend);
    layout->addWidget(LabelNoAddress);
    layout->addLayout(buttons);
    FitToTitle(this);
    SetTabOrder({GridMessages, CheckResend, BtnSend, BtnCancel, BtnHelp});

    connect(BtnSend, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(BtnHelp, &QPushButton::clicked, this, [] { RequestHelp(kSendHelpTopic); });
    connect(CheckResend, &QCheckBox::toggled, this, &TSendList::Fill);
    Fill();
    BtnSend->setDefault(true);
}

bool TSendList::Resend() const {
    return CheckResend->isChecked();
}

void TSendList::Fill() {
    planned_ = PlanSending(documents_, Resend(), &plan_);
    GridMessages->setRowCount(0);
    for (const CustomerDocument& d : plan_.toSend)
        AddRow(GridMessages, {d.name, d.address, DocumentText(d), MoneyText(d.due, 0).trimmed()},
               3);
    GridMessages->resizeColumnsToContents();
    if (!Resend()) {
        const int before = static_cast<int>(plan_.alreadySent.size());
        CheckResend->setText(before == 1 ? QStringLiteral("Send again the 1 document sent before")
                                         : "Send again the " + QString::number(before) +
                                               " documents sent before");
        CheckResend->setVisible(before > 0);
    }
    QStringList missing;
    for (const CustomerDocument& d : plan_.noAddress)
        missing << d.name + " (" + DocumentText(d) + u')';
    LabelNoAddress->setText(missing.isEmpty() ? QString()
                                              : "Not sent, no mail address: " +
                                                    missing.join(QStringLiteral(", ")));
    LabelNoAddress->setVisible(!missing.isEmpty());
    BtnSend->setEnabled(planned_ && !plan_.toSend.empty());
}

TSendResults::TSendResults(const ReportDocument& doc, const SendReport& report,
                           const SendPlan& plan, QWidget* parent)
    : QDialog(parent), unsent_(JoinedDocuments(doc, UnsentDocuments(report, plan))) {
    setObjectName(QStringLiteral("TSendResults"));
    setWindowTitle(QStringLiteral("Messages Sent"));
    setModal(true);
    SetFormHelp(this, kSendHelpTopic);

    GridResults = NamedGrid(this, "GridResults", {"Customer", "Address", "Document", "Result"});
    // A refusal's reason is long: the window is wide, and the cell's tip shows it whole.
    GridResults->setMinimumWidth(1000);
    for (const SendLine& line : report.lines) {
        AddRow(GridResults, {line.document.name, line.document.address, DocumentText(line.document),
                             ResultText(line)});
        QTableWidgetItem* result = GridResults->item(GridResults->rowCount() - 1, 3);
        result->setToolTip(result->text());
    }
    for (const CustomerDocument& d : plan.noAddress)
        AddRow(GridResults,
               {d.name, d.address, DocumentText(d), QStringLiteral("Skipped: no mail address")});
    for (int column = 0; column < 3; ++column) GridResults->resizeColumnToContents(column);
    auto* summary = NamedLabel(this, "LabelSummary", SendSummary(report, plan));
    BtnPrint = NamedButton(this, "BtnPrint", QStringLiteral("Print Unsent"));
    BtnSavePdf = NamedButton(this, "BtnSavePdf", QStringLiteral("Save Unsent as PDF..."));
    BtnClose = NamedButton(this, "BtnClose", QStringLiteral("Close"));
    const bool anyUnsent = unsent_.CurLine >= 0;
    BtnPrint->setEnabled(anyUnsent);
    BtnSavePdf->setEnabled(anyUnsent);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnPrint);
    buttons->addWidget(BtnSavePdf);
    buttons->addWidget(BtnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GridResults, 1);
    layout->addWidget(summary);
    layout->addLayout(buttons);
    FitToTitle(this);
    SetTabOrder({GridResults, BtnPrint, BtnSavePdf, BtnClose});

    connect(BtnPrint, &QPushButton::clicked, this, &TSendResults::BtnPrintClick);
    connect(BtnSavePdf, &QPushButton::clicked, this, &TSendResults::BtnSavePdfClick);
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::accept);
    BtnClose->setDefault(true);
}

void TSendResults::BtnPrintClick() {
    if (!PrinterInstalled()) {
        BtnSavePdfClick();
        return;
    }
    QPrinter& printer = CurrentReportPrinter();
    printer.setDocName(unsent_.Titles.value(0));
    if (!PrintDocument(unsent_, printer, CurrentReportFont()))
        prompt::information(this, "Unable to print on " + printer.printerName());
}

void TSendResults::BtnSavePdfClick() {
    const std::optional<QString> fileName = AskPdfName(this, QStringLiteral("Save as PDF"));
    if (!fileName) return;
    const ExportResult result = PrintToPdf(unsent_, *fileName, CurrentReportFont());
    if (!result.saved) prompt::information(this, result.message);
}

void SendFromPreview(QWidget* window, const ReportDocument& doc, const DocumentRun& run,
                     const DocumentSelection& selection) {
    MailSettings settings;
    QString error;
    if (!LoadMailSettings(&settings, &error)) {
        prompt::information(window, error);
        return;
    }
    if (settings.server.trimmed().isEmpty() || settings.senderAddress.trimmed().isEmpty()) {
        prompt::information(window, QStringLiteral("Mail is not set up. Give the mail server and "
                                                   "the sender's address in Mail Settings on "
                                                   "the Preferences tab."));
        return;
    }
    std::vector<CustomerDocument> documents;
    if (!DescribeDocuments(doc, run, selection, &documents)) return;
    TSendList list(documents, window);
    if (list.exec() != QDialog::Accepted || !list.Planned()) return;
    QString password;
    if (!settings.user.isEmpty() && !FindMailPassword(settings, &password, &error)) {
        prompt::information(window, error.isEmpty()
                                        ? "No password is kept for " + settings.user + " at " +
                                              settings.server + ". Type it in Mail Settings."
                                        : error);
        return;
    }
    SmtpSession session(settings, password);
    SendRun send;
    send.doc = &doc;
    send.font = CurrentReportFont();
    send.settings = settings;
    send.company = SettingsRecord.Company;
    send.deliver = [&session](const MailMessage& message, const QByteArray& composed) {
        return session.Send(message, composed);
    };
    send.progress = [](int done, int total) {
        if (Progress.set) Progress.set(total > 0 ? done * 100 / total : 100);
    };
    if (Progress.show) Progress.show(true, QStringLiteral("Sending Messages"));
    const SendReport report = SendDocuments(list.Plan(), send);
    if (Progress.show) Progress.show(false, QString());
    if (!report.stopped.isEmpty()) prompt::warning(window, report.stopped);
    TSendResults results(doc, report, list.Plan(), window);
    results.exec();
}

SendAction MailSender(const ReportDocument& doc, const DocumentRun& run,
                      const DocumentSelection& selection) {
    return
        [&doc, run, selection](QWidget* window) { SendFromPreview(window, doc, run, selection); };
}

}  // namespace reports
