#include "reports/reminder_letters.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "core/dates.h"
#include "core/prompt.h"
#include "db/change.h"
#include "db/chasing_tables.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "invoice/invoice_data.h"
#include "invoice/invoice_store.h"
#include "masters/address_block.h"
#include "report/generator_steps.h"
#include "reports/aging_report.h"
#include "reports/invoice_pass.h"

namespace reports {
namespace {

// The name a letter greets: title, first and last name, or the company when they are blank.
QString GreetingName() {
    QStringList parts;
    for (const QString* part : {&CustBuf.title, &CustBuf.first, &CustBuf.last})
        if (!part->trimmed().isEmpty()) parts << part->trimmed();
    return parts.isEmpty() ? CustBuf.addr1.trimmed() : parts.join(u' ');
}

// The open invoice as the fee of a letter: one item, no charges, dated the run's day.
void FeeInvoice(int number, int customer, double day, Cents fee) {
    ClearInvoiceRows();
    InvBuf = {};
    InvBuf.IvNo = number;
    InvBuf.CuNo = customer;
    InvBuf.IDate = day;
    InvBuf.IMemo = QStringLiteral("Reminder fee");
    InvBuf.Due = FromCents(fee);
    ItemRow item;
    item[kItemQty] = QString::asprintf("%9.2f", 1.0);
    item[kItemPrice] = QString::asprintf("%8.2f", FromCents(fee));
    item[kItemTax1] = TaxFlag(false);
    item[kItemTax2] = TaxFlag(false);
    item[kItemDesc] = QStringLiteral("Reminder fee");
    item[kItemComment] = "Reminder of " + DateToReportText(day);
    ItemRows.push_back(item);
}

}  // namespace

int NextReminderLevel(long daysPast, int lastLevel, long daysSinceLast,
                      const std::vector<ReminderLevel>& levels) {
    if (daysPast < 1 || lastLevel < 0 || lastLevel >= static_cast<int>(levels.size())) return 0;
    const int next = levels[static_cast<size_t>(lastLevel)].days;
    const int last = lastLevel > 0 ? levels[static_cast<size_t>(lastLevel - 1)].days : 0;
    const bool spaced = lastLevel == 0 || daysSinceLast >= next - last;
    return daysPast >= next && spaced ? lastLevel + 1 : 0;
}

QString FillReminderText(const QString& text, const QString& name, Cents overdue,
                         std::optional<int> termsDays) {
    const QString terms = termsDays && *termsDays > 0
                              ? "net " + QString::number(*termsDays) + " days"
                              : QStringLiteral("due on receipt");
    QString filled = text;
    filled.replace(QLatin1String("{name}"), name);
    filled.replace(QLatin1String("{overdue}"), MoneyText(overdue, 1));
    filled.replace(QLatin1String("{terms}"), terms);
    return filled;
}

bool FindReminders(double asOf, ReminderRun* run) {
    *run = {};
    run->day = std::floor(asOf);
    QHash<int, LastReminder> lastReminders;
    if (!ReadReminderLevels(&run->levels) || !ReadLastReminders(&lastReminders)) return false;
    if (!OpenInvoices() || !OpenPayments() || !OpenCustomers()) {
        CloseReportTables();
        return false;
    }
    std::map<int, ReminderLetter> letters;
    bool failed = !VisitOpenInvoices(run->day, [&](Cents amount) {
        if (amount < 0) return;
        const double dated = std::floor(InvBuf.IDate);
        const double due = DueDay(dated, TermsRecord.DaysFor(InvBuf.CuNo));
        const auto daysPast = static_cast<long>(run->day - due);
        const LastReminder last = lastReminders.value(InvBuf.IvNo);
        const int level =
            NextReminderLevel(daysPast, last.level,
                              static_cast<long>(run->day - std::floor(last.day)), run->levels);
        if (level == 0) return;
        ReminderLetter& letter = letters[InvBuf.CuNo];
        letter.customer = InvBuf.CuNo;
        letter.level = std::max(letter.level, level);
        letter.rows.push_back({InvBuf.IvNo, dated, due, daysPast, amount});
    });
    for (auto& [customer, letter] : letters) {
        if (failed || !FindCustomerNo(customer)) continue;
        std::sort(letter.rows.begin(), letter.rows.end(),
                  [](const ReminderRow& a, const ReminderRow& b) { return a.number < b.number; });
        letter.fee = run->levels[static_cast<size_t>(letter.level - 1)].fee;
        run->letters.push_back(std::move(letter));
    }
    failed = failed || PassFailed();
    CloseReportTables();
    return !failed;
}

bool MakeReminderLetters(ReportDocument& doc, const ReminderRun& run, const PaperMeasure& paper,
                         DocumentRun* docs) {
    if (run.letters.empty()) {
        prompt::information(nullptr, QStringLiteral("No invoices are due a reminder."));
        return false;
    }
    if (!OpenCustomers()) {
        CloseReportTables();
        return false;
    }
    StartReminderDoc(doc);
    for (const ReminderLetter& letter : run.letters) {
        if (!FindCustomerNo(letter.customer)) continue;
        CustAddressBlock();
        Cents overdue = 0;
        for (const ReminderRow& row : letter.rows) overdue += row.amount;
        const ReminderLevel& level = run.levels[static_cast<size_t>(letter.level - 1)];
        if (docs)
            docs->starts.push_back({doc.CurLine + (doc.CurLine >= 0 ? 2 : 1), letter.customer});
        PutReminderLetter(doc,
                          FillReminderText(level.letter, GreetingName(), overdue,
                                           TermsRecord.DaysFor(letter.customer)),
                          letter.rows, letter.fee, SettingsRecord, paper);
    }
    const bool failed = PassFailed();
    CloseReportTables();
    return !failed && doc.CurLine >= 0;
}

bool RecordReminderRun(const ReminderRun& run, QString* error) {
    error->clear();
    const auto close = [] {
        CloseReminded();
        CloseReportTables();
    };
    if (!OpenInvoices() || !OpenItems() || !OpenPayments() || !OpenReminded()) {
        close();
        return false;
    }
    int next = NextInvoiceNo();
    if (!BeginChange(error)) {
        close();
        return false;
    }
    bool stored = true;
    for (const ReminderLetter& letter : run.letters) {
        for (const ReminderRow& row : letter.rows) {
            if (!AppendReminder(row.number, letter.level, run.day)) {
                *error = QStringLiteral("Unable to record the reminders at this time.");
                stored = false;
                break;
            }
        }
        if (stored && letter.fee != 0) {
            FeeInvoice(next++, letter.customer, run.day, letter.fee);
            stored = AppendInvoiceInChange(error);
        }
        if (!stored) break;
    }
    if (!stored) {
        const QString reason = QString::fromStdString(DbContext->errorText());
        RollbackChange();
        if (DbContext->errorCode() < 0 && !reason.isEmpty()) *error += '\n' + reason;
        close();
        return false;
    }
    stored = CommitChange(error);
    close();
    return stored;
}

}  // namespace reports
