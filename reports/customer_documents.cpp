#include "reports/customer_documents.h"

#include <cmath>

#include "core/dates.h"
#include "db/chasing_tables.h"
#include "db/field_values.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "invoice/invoice_store.h"
#include "report/generator_steps.h"
#include "reports/aging_report.h"
#include "reports/invoice_pass.h"

namespace reports {
namespace {

// The invoice's customer, balance and due date; false when there is no such invoice.
bool DescribeInvoice(int number, CustomerDocument* d) {
    InvTbl->select(InvTbl->tag("Inv"));
    int rc = Seek(InvTbl, InvKey(number));
    for (; rc == xbase::kFound && InvFld.IvNo->asInt() == number; rc = InvTbl->skip()) {
        if (InvTbl->deleted()) continue;
        d->customer = InvFld.CuNo->asInt();
        d->due = ToCents(InvFld.Due->asDouble());
        if (const std::optional<int> terms = TermsRecord.DaysFor(d->customer))
            d->dueDay = DueDay(ReadDate(InvFld.IDate), terms);
        return true;
    }
    return false;
}

// The total of the balances a statement of the customer lists: of every invoice, or of those
// dated in the span whose balance is not zero.
Cents StatementDue(int customer, const DocumentSelection& selection) {
    Cents due = 0;
    InvTbl->select(InvTbl->tag("InvC"));
    int rc = Seek(InvTbl, InvKey(customer));
    for (; rc == xbase::kFound && InvFld.CuNo->asInt() == customer; rc = InvTbl->skip()) {
        if (InvTbl->deleted()) continue;
        const Cents balance = ToCents(InvFld.Due->asDouble());
        const double day = std::floor(ReadDate(InvFld.IDate));
        if (selection.spanned && (balance == 0 || day < std::floor(selection.spanStart) ||
                                  day > std::floor(selection.spanEnd)))
            continue;
        due += balance;
    }
    return due;
}

// The total a reminder letter asks for: the overdue invoices and the fee.
Cents LetterDue(int customer, const ReminderRun* run) {
    if (!run) return 0;
    for (const ReminderLetter& letter : run->letters) {
        if (letter.customer != customer) continue;
        Cents due = letter.fee;
        for (const ReminderRow& row : letter.rows) due += row.amount;
        return due;
    }
    return 0;
}

// The name a message greets the customer in CustBuf by: first and last name, or the company
// when the customer has neither.
QString PersonName() {
    const QString name = (CustBuf.first.trimmed() + u' ' + CustBuf.last.trimmed()).trimmed();
    return name.isEmpty() ? CustBuf.addr1.trimmed() : name;
}

}  // namespace

QString KindName(MailDocument kind) {
    switch (kind) {
        case MailDocument::Bill:
            return QStringLiteral("bill");
        case MailDocument::Statement:
            return QStringLiteral("statement");
        case MailDocument::Reminder:
            return QStringLiteral("reminder");
        case MailDocument::Invoice:
            break;
    }
    return QStringLiteral("invoice");
}

QString KindTitle(MailDocument kind) {
    QString title = KindName(kind);
    title[0] = title[0].toUpper();
    return title;
}

QString DayNumber(int number, double day) {
    return QString::number(number) + u'-' + DateToText(std::floor(day));
}

bool DescribeDocuments(const ReportDocument& doc, const DocumentRun& run,
                       const DocumentSelection& selection, std::vector<CustomerDocument>* out) {
    out->clear();
    if (!OpenCustomers() || !OpenInvoices()) {
        CloseReportTables();
        return false;
    }
    const bool byInvoice =
        selection.kind == MailDocument::Invoice || selection.kind == MailDocument::Bill;
    for (size_t i = 0; i < run.starts.size(); ++i) {
        CustomerDocument d;
        d.kind = selection.kind;
        d.from = run.starts[i].line;
        // The next document begins after the page break that ends this one.
        d.to = i + 1 < run.starts.size() ? run.starts[i + 1].line - 1
                                         : static_cast<int>(doc.Lines.size());
        const int number = run.starts[i].number;
        if (byInvoice) {
            if (!DescribeInvoice(number, &d)) continue;
            d.invoice = number;
            d.number = selection.kind == MailDocument::Bill ? DayNumber(number, selection.day)
                                                            : QString::number(number);
        } else {
            d.customer = number;
            d.number = DayNumber(number, selection.day);
            d.due = selection.kind == MailDocument::Statement
                        ? StatementDue(number, selection)
                        : LetterDue(number, selection.reminders);
        }
        if (FindCustomerNo(d.customer)) {
            d.name = PersonName();
            d.address = ReadText(CustFld.email).trimmed();
        }
        out->push_back(d);
    }
    const bool failed = PassFailed();
    CloseReportTables();
    return !failed;
}

}  // namespace reports
