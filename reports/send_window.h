// "Send by E-mail" in the report window of invoices, bills, statements and reminder letters.
// First the list of the messages to go (customer, address, document, amount), with the documents
// sent before left out unless the user ticks them in again and the customers without a mail
// address named below; Send or Cancel. Then the progress box while the messages go, one at a
// time. Last the list of results (sent, or refused with the server's reason, or skipped for want
// of an address), from which the documents that did not go are printed or saved as one PDF file
// in one step.
#pragma once

#include <QDialog>
#include <vector>

#include "report/report_form.h"
#include "reports/send_run.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace reports {

inline constexpr int kSendHelpTopic = 597;

// The messages about to be sent. Exec: Accepted for Send.
class TSendList : public QDialog {
    Q_OBJECT
public:
    TSendList(const std::vector<CustomerDocument>& documents, QWidget* parent = nullptr);

    // Whether the documents sent before are to go again.
    bool Resend() const;
    const SendPlan& Plan() const { return plan_; }
    // False when the sent log could not be read (the user has been told).
    bool Planned() const { return planned_; }

private:
    void Fill();

    std::vector<CustomerDocument> documents_;
    SendPlan plan_;
    bool planned_ = false;
    QTableWidget* GridMessages;
    QCheckBox* CheckResend;
    QLabel* LabelNoAddress;
    QPushButton* BtnSend;
    QPushButton* BtnCancel;
    QPushButton* BtnHelp;
};

// The results of a run. Print and Save as PDF take the documents that did not go.
class TSendResults : public QDialog {
    Q_OBJECT
public:
    TSendResults(const ReportDocument& doc, const SendReport& report, const SendPlan& plan,
                 QWidget* parent = nullptr);

private:
    void BtnPrintClick();
    void BtnSavePdfClick();

    ReportDocument unsent_;
    QTableWidget* GridResults;
    QPushButton* BtnPrint;
    QPushButton* BtnSavePdf;
    QPushButton* BtnClose;
};

// The whole flow over the documents of `run` in `doc` (the report window's document).
void SendFromPreview(QWidget* window, const ReportDocument& doc, const DocumentRun& run,
                     const DocumentSelection& selection);

// The report window's action running that flow; `doc` and what `selection` points to must
// outlive the window.
SendAction MailSender(const ReportDocument& doc, const DocumentRun& run,
                      const DocumentSelection& selection);

}  // namespace reports
