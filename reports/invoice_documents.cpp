#include "reports/invoice_documents.h"

#include <QDate>
#include <QDateTime>
#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <optional>
#include <string_view>
#include <tuple>

#include "core/convert.h"
#include "core/dates.h"
#include "core/money.h"
#include "db/chasing_tables.h"
#include "db/field_values.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "invoice/invoice_data.h"
#include "invoice/invoice_store.h"
#include "invoice/invoice_totals.h"
#include "masters/address_block.h"
#include "report/date_columns.h"
#include "report/generator_steps.h"
#include "report/layout_code.h"
#include "reports/aging_report.h"
#include "reports/invoice_loader.h"
#include "reports/invoice_pass.h"

namespace reports {
namespace {

constexpr int kCells = 12;

QString Amount(Cents cents, int width) {
    return MoneyText(cents, width);
}

// Today's date as the documents print it. A run prints it on every document: it is worked out
// again only once the day has ended or the report date format has changed, since asking for
// the local date consults the time zone each time.
QString TodayText() {
    static QString text;
    static QString format;
    static qint64 dayEnds = 0;  // milliseconds since the epoch at which the day of `text` ends
    const QString dateFormat = ReportDateFormat();
    if (QDateTime::currentMSecsSinceEpoch() >= dayEnds || dateFormat != format) {
        const QDate today = QDate::currentDate();
        text = DateToReportText(DateValue(today));
        format = dateFormat;
        dayEnds = today.addDays(1).startOfDay().toMSecsSinceEpoch();
    }
    return text;
}

bool AllBlank(const SettingsValues& s) {
    for (const QString* text : {&s.Company, &s.Addr1, &s.Addr2, &s.Addr3, &s.Addr4})
        if (!text->trimmed().isEmpty()) return false;
    return true;
}

// The page break between two documents of a run; each document's pages count from 1.
void BeginDocument(ReportDocument& doc, const QString& title) {
    if (doc.CurLine != -1) {
        doc.NewLine();
        doc.Cell(0) = kEject;
        doc.PageLine = 0;
    }
    doc.PageNo = 1;
    doc.Titles = {title};
}

// The line the next document will begin on, after the page break that will precede it.
int NextDocumentLine(const ReportDocument& doc) {
    return doc.CurLine + (doc.CurLine >= 0 ? 2 : 1);
}

void NoteStart(DocumentRun* run, int line, int number) {
    if (run) run->starts.push_back({line, number});
}

// The caption of a charge on the totals box: its label in the settings, or while it has none the
// editor's own caption of its box, so no total goes without a name.
QString ChargeCaption(const QString& label, const char* editorCaption) {
    const QString trimmed = label.trimmed();
    return (trimmed.isEmpty() ? QLatin1String(editorCaption) : trimmed) + u':';
}

// The six rule cells of an item line.
void PutItemRules(ReportDocument& doc) {
    for (int i : {0, 2, 4, 6, 8, 10}) doc.Cell(i) = doc.ColCodes[i];
}

// A line of the totals box; `caption` is its cell, column code and all.
void PutTotalLine(ReportDocument& doc, const QString& caption, Cents amount) {
    doc.NewLine();
    doc.Cell(7) = caption;
    doc.Cell(8) = QStringLiteral("V60");
    doc.Cell(9) = MoneyCell(QStringLiteral("R72"), amount, 12);
    doc.Cell(10) = QStringLiteral("V73");
}

// The lines of a memo after an invoice's totals: a blank line, then the lines, pages broken
// without headings; nothing for a blank memo.
void PutWrapped(ReportDocument& doc, const WrappedText& wrapped) {
    if (!wrapped.printable) return;
    doc.NewLine();
    for (const QString& line : wrapped.lines) {
        doc.CheckPage(doc.PageLine + 1, false);
        doc.NewLine();
        doc.Cell(0) = "L00" + line;
    }
}

// PutWrapped of `memo` wrapped for the document's width on the paper.
void PutMemo(ReportDocument& doc, const QString& memo, const PaperMeasure& paper) {
    PutWrapped(doc, WrapText(memo, doc.RptWidth, paper));
}

// The tables a run reads: customers, invoices, items and payments, and for invoices and bills
// the products; false (tables closed) when one cannot be opened.
bool OpenInvoiceTables(bool products) {
    if (OpenCustomers() && OpenInvoices() && OpenItems() && OpenPayments() &&
        (!products || OpenProducts()))
        return true;
    CloseReportTables();
    return false;
}

// The INV5 record of invoice `number`; 0 when there is none.
int32_t InvoiceRecNo(int number) {
    InvTbl->select(InvTbl->tag("Inv"));
    if (Seek(InvTbl, InvKey(number)) != xbase::kFound) return 0;
    for (int rc = xbase::kFound; rc == xbase::kFound && InvFld.IvNo->asInt() == number;
         rc = InvTbl->skip()) {
        if (!InvTbl->deleted()) return static_cast<int32_t>(InvTbl->recNo());
    }
    return 0;
}

// The statement row of the current INV5 record, read field by field: its charges are its items'
// sales and its two charges, its payments those on PMT.
StatementRow ReadStatementRow() {
    ReadInvoiceAmounts();
    ItemTbl->select(ItemTbl->tag("Itm"));
    Cents items = 0;
    ForEachItem(InvBuf.IvNo, [&items] { items += ItemSale(); });
    return {InvBuf.IvNo, InvBuf.IDate, items + ToCents(InvBuf.Ship) + ToCents(InvBuf.Tax),
            PaymentsOf(InvBuf.IvNo), ToCents(InvBuf.Due)};
}

// The statement rows of the INV5 records `records`, in the order given; false when a read
// failed (the user has been told and the program is ending).
bool StatementRows(const std::vector<uint32_t>& records, std::vector<StatementRow>* rows) {
    for (uint32_t rec : records) {
        if (ReadFailed(InvTbl->go(rec))) return false;
        rows->push_back(ReadStatementRow());
    }
    return !PassFailed();
}

// The INV5 records of customer `cuno`'s invoices not marked deleted, in InvC order (which it
// selects).
std::vector<uint32_t> CustomerInvoices(int cuno) {
    std::vector<uint32_t> records;
    InvTbl->select(InvTbl->tag("InvC"));
    int rc = Seek(InvTbl, InvKey(cuno));
    for (; rc == xbase::kFound && InvFld.CuNo->asInt() == cuno; rc = InvTbl->skip())
        if (!InvTbl->deleted()) records.push_back(InvTbl->recNo());
    return records;
}

// A statement of the run with balances: its customer's record with its key in CZip, which
// orders the statements, the address of its number, and the INV5 records of its rows.
struct DueStatement {
    std::string zip;
    uint32_t custRec = 0;
    int cuno = 0;
    std::array<QString, 5> address;
    const std::vector<uint32_t>* invoices = nullptr;
};

// The CUST5 records of customer number `key` (its CCNO key) that are not marked deleted onto
// *statements, each with the address of the number: that of its first record unless that one is
// marked deleted (none then), read once as the tag passes it. CCNO is selected.
int AddDueStatements(const std::string& key, int cuno, const std::vector<uint32_t>* invoices,
                     std::vector<DueStatement>* statements) {
    AddressLines = {};
    bool first = true;
    int rc = CustTbl->seek(key);
    for (; rc == xbase::kFound && CustTbl->currentKey() == key; rc = CustTbl->skip()) {
        const bool deleted = CustTbl->deleted();
        if (first && !deleted) {
            ReadCustomerAddress();
            CustAddressBlock();
        }
        first = false;
        if (!deleted)
            statements->push_back(
                {CustFld.zip->str(), CustTbl->recNo(), cuno, AddressLines, invoices});
    }
    return rc;
}

// The balance of an invoice as its InvB key holds it after the date; nothing when the key's
// text is not a plain amount.
std::optional<Cents> KeyBalance(const std::string& key) {
    return key.size() > 8 ? PlainCents(std::string_view(key).substr(8), '.') : std::nullopt;
}

// The key text of a day's date as InvB holds it, "yyyyMMdd": the day itself, without the
// century window of dates typed as text (a span may end in 2099).
std::string DayKey(double day) {
    const QDate date = QDateOf(std::floor(day));
    return date.isValid() ? date.toString(QStringLiteral("yyyyMMdd")).toStdString() : std::string();
}

// Starts a document of the customer documents' kind: its width, title, column codes and the
// captions of its standard headings.
void StartDocument(ReportDocument& doc, int width, const QString& title, const QStringList& codes,
                   const QStringList& captions) {
    doc.RptWidth = width;
    doc.CellCount = kCells;
    doc.StartReport();
    doc.Titles = {title};
    doc.ColCodes = codes;
    PutStandardHeadings(doc, captions);
}

bool Finish(ReportDocument& doc, bool failed) {
    CloseReportTables();
    return !failed && doc.CurLine >= 0;
}

}  // namespace

WrappedText WrapText(const QString& text, int rptWidth, const PaperMeasure& paper) {
    WrappedText out{false, {QString()}};
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return out;
    const int limit = rptWidth * paper.CharWidth();
    for (const QChar ch : trimmed) {
        if (ch == u'\n') {
            out.lines.append(QString());
            continue;
        }
        if (ch == u'\r') continue;
        QString& line = out.lines.last();
        line += ch;
        if (paper.WidthOf(line) <= limit) continue;
        const qsizetype space = line.lastIndexOf(u' ');
        // Without a space the word is cut where the line is full.
        const qsizetype keep = space >= 0 ? space + 1 : line.size() - 1;
        const QString rest = line.mid(keep).left(100);
        line.truncate(keep);
        out.lines.append(rest);
    }
    out.printable = true;
    return out;
}

void StartInvoiceDoc(ReportDocument& doc) {
    StartDocument(doc, kInvoiceWidth, QString(),
                  {"V00", "L01", "V12", "L13", "V41", "R49", "V50", "R59", "V60", "R72", "V73"},
                  {"", "Item Code", "", "Description", "", "Price", "", "Qty", "", "Total", ""});
}

void StartStatementDoc(ReportDocument& doc) {
    // The invoice number ends a column further right than the other values, so that its
    // seven-letter caption stands clear of the rule on the left.
    StartDocument(
        doc, kStatementWidth, QStringLiteral("Account Statement"),
        {"V00", "R08", "V09", "R18", "V20", "R31", "V33", "R44", "V46", "R57", "V59"},
        {"", "Invoice", "", "Date", "", "Charges", "", "Payments", "", "Amount Due", ""});
    // Widened before the first line: every line is then written in its place once.
    WidenDateColumns(doc, {18});
}

void PutLetterhead(ReportDocument& doc, const SettingsValues& s, const PaperMeasure& paper) {
    doc.PageLine = 0;
    doc.PageNo = 1;
    QChar align = u'L';
    int column = 0;
    if (s.LHJustify == 2) {
        align = u'C';
        column = doc.RptWidth / 2;
    } else if (s.LHJustify == 3) {
        align = u'R';
        column = doc.RptWidth;
    }
    const QString place = ColumnCode(align, column);
    // The paper is read only for a margin or a logo: a plain letterhead asks for no measure.
    const auto lineHeight = [&paper] { return std::max(1, paper.LineHeight()); };
    if (s.TopMargin > 0) {
        while (paper.DpiY() * s.TopMargin > static_cast<double>(lineHeight()) * doc.PageLine)
            doc.NewLine();
    }
    const bool noAddress = AllBlank(s);
    const QString logo = s.LogoFile.trimmed();
    if (!logo.isEmpty()) {
        doc.NewLine();
        doc.Cell(0) = PictureCode(align, column, logo);
        doc.Style() = PictureStyle(s.LogoHeight, s.LogoWidth);
        const int covered =
            static_cast<int>(std::trunc(paper.DpiY() * s.LogoHeight / lineHeight()));
        for (int i = 0; i < covered; ++i) doc.NewLine();
        if (covered > 1 && noAddress) doc.Style() = QStringLiteral("U");
    }
    if (!noAddress) {
        QList<const QString*> fields = {&s.Company, &s.Addr1, &s.Addr2};
        if (!s.Addr3.trimmed().isEmpty() || !s.Addr4.trimmed().isEmpty()) fields << &s.Addr3;
        if (!s.Addr4.trimmed().isEmpty()) fields << &s.Addr4;
        for (const QString* field : fields) {
            doc.NewLine();
            doc.Cell(0) = place + field->trimmed();
            doc.Style() = QStringLiteral("B");
        }
        doc.Style() = QStringLiteral("BU");
    }
    doc.NewLine();
    doc.Cell(0) = ColumnCode(u'R', doc.RptWidth) + TodayText();
    doc.NewLine();
}

namespace {

// PutLetterhead; a run that has `texts` puts the lines its first document put, while the day
// they are dated stays today.
void PutRunLetterhead(ReportDocument& doc, const SettingsValues& settings,
                      const PaperMeasure& paper, DocumentTexts* texts) {
    if (!texts) return PutLetterhead(doc, settings, paper);
    const QString today = TodayText();
    if (texts->letterhead.isEmpty() || texts->letterheadToday != today) {
        // Put on a page of its own, since the run's lines may be given away as they come.
        ReportDocument head;
        head.RptWidth = doc.RptWidth;
        head.CellCount = doc.CellCount;
        PutLetterhead(head, settings, paper);
        texts->letterhead = QList<ReportLine>(head.Lines.begin(), head.Lines.end());
        texts->letterheadToday = today;
    }
    doc.PageLine = 0;
    doc.PageNo = 1;
    for (const ReportLine& line : texts->letterhead) {
        doc.NewLine();
        for (int c = 0; c < line.size(); ++c)
            if (!line[c].isEmpty()) doc.Cell(c) = line[c];
    }
}

// The report text of `day`, kept in `texts` when there are any.
QString DayText(double day, DocumentTexts* texts) {
    if (!texts) return DateToReportText(day);
    auto known = texts->days.constFind(day);
    if (known == texts->days.constEnd()) known = texts->days.insert(day, DateToReportText(day));
    return *known;
}

}  // namespace

void PutInvoice(ReportDocument& doc, bool asInvoice, const SettingsValues& settings,
                const PaperMeasure& paper, DocumentTexts* texts) {
    const InvoiceRecord& inv = InvBuf;
    const QString title = asInvoice              ? QStringLiteral("Invoice")
                          : ToCents(inv.Due) > 0 ? QStringLiteral("Bill")
                                                 : QStringLiteral("Statement");
    BeginDocument(doc, title);
    PutRunLetterhead(doc, settings, paper, texts);
    doc.PutTitles();

    doc.NewLine();
    doc.NewLine();
    doc.Cell(0) = QStringLiteral("L00To:");
    doc.Cell(1) = "L10" + TrimRight(AddressLines[0]);
    doc.Cell(2) = QStringLiteral("R60Invoice No:");
    doc.Cell(3) = "L62" + QString::number(inv.IvNo);
    doc.NewLine();
    doc.Cell(1) = "L10" + TrimRight(AddressLines[1]);
    doc.Cell(2) = QStringLiteral("R60Invoice Date:");
    doc.Cell(3) = "L62" + DayText(inv.IDate, texts);
    const std::optional<int> terms = TermsRecord.DaysFor(inv.CuNo);
    for (size_t i = 2; i < AddressLines.size(); ++i) {
        doc.NewLine();
        doc.Cell(1) = "L10" + TrimRight(AddressLines[i]);
        if (i == 2 && terms) {
            doc.Cell(2) = QStringLiteral("R60Due Date:");
            doc.Cell(3) = "L62" + DayText(DueDay(inv.IDate, terms), texts);
        }
    }
    doc.PutHeadings();

    Cents subtotal = 0;
    for (const ItemRow& row : ItemRows) {
        doc.CheckPage(doc.PageLine + 3, true);
        doc.NewLine();
        PutItemRules(doc);
        doc.Cell(1) = doc.ColCodes[1] + TrimRight(row[kItemPrID]);
        doc.Cell(3) = doc.ColCodes[3] + TrimRight(row[kItemDesc]);
        // The texts may be as typed into the editor's masked boxes: printed in their formats.
        const Cents price = TextCentsOr0(row[kItemPrice]);
        const Cents quantity = TextCentsOr0(row[kItemQty]);
        const Cents line = LineTotalOf(price, quantity);
        subtotal += line;
        doc.Cell(5) = MoneyCell(doc.ColCodes[5], price, 8);
        doc.Cell(7) = MoneyCell(doc.ColCodes[7], quantity, 9);
        doc.Cell(9) = MoneyCell(doc.ColCodes[9], line, 12);
        const QString comment = TrimRight(row[kItemComment]);
        if (!comment.isEmpty()) {
            doc.NewLine();
            PutItemRules(doc);
            doc.Cell(3) = doc.ColCodes[3] + comment;
        }
        const QString licence = row[kItemRCode].trimmed();
        if (!licence.isEmpty()) {
            doc.NewLine();
            PutItemRules(doc);
            doc.Cell(3) = doc.ColCodes[3] + "License No. " + licence + QString::number(inv.CuNo);
        }
    }
    doc.Style() = QStringLiteral("U");

    const Cents ship = ToCents(inv.Ship);
    const Cents tax = ToCents(inv.Tax);
    doc.CheckPage(doc.PageLine + 6, true);
    PutTotalLine(doc, QStringLiteral("R59SubTotal:"), subtotal);
    doc.Cell(0) = "L01" + TrimRight(inv.IMemo);
    PutTotalLine(doc, "R59" + ChargeCaption(settings.ShipLine, "Shipping"), ship);
    PutTotalLine(doc, "R59" + ChargeCaption(settings.TaxLine, "Sales Tax"), tax);
    PutTotalLine(doc, QStringLiteral("R59Total:"), subtotal + ship + tax);
    PutTotalLine(doc, QStringLiteral("R59Amount Paid:"), SumPayments(PmtRows));
    PutTotalLine(doc, QStringLiteral("R59Balance Due:"), ToCents(inv.Due));
    doc.NewLine();
    doc.Cell(10) = RuleCode(60, 73);

    if (!asInvoice) return;
    WrappedMemos* memos = texts ? &texts->memos : nullptr;
    const auto putMemo = [&](const QString& memo) {
        if (!memos) {
            PutMemo(doc, memo, paper);
            return;
        }
        auto wrapped = memos->constFind(memo);
        if (wrapped == memos->constEnd())
            wrapped = memos->insert(memo, WrapText(memo, doc.RptWidth, paper));
        PutWrapped(doc, *wrapped);
    };
    for (const ItemRow& row : ItemRows) putMemo(row[kItemPMemo]);
    putMemo(inv.REM);
}

namespace {

// The letterhead, the document's title and "To:" with the customer's address block below it,
// as statements and reminder letters begin.
void PutLetterheadAndAddressee(ReportDocument& doc, const SettingsValues& settings,
                               const PaperMeasure& paper, DocumentTexts* texts = nullptr) {
    PutRunLetterhead(doc, settings, paper, texts);
    doc.PutTitles();
    doc.NewLine();
    doc.NewLine();
    doc.Cell(0) = QStringLiteral("L00To:");
    doc.Cell(1) = "L10" + TrimRight(AddressLines[0]);
    for (size_t i = 1; i < AddressLines.size(); ++i) {
        doc.NewLine();
        doc.Cell(1) = "L10" + TrimRight(AddressLines[i]);
    }
}

}  // namespace

void PutStatement(ReportDocument& doc, const std::vector<StatementRow>& rows,
                  const SettingsValues& settings, const PaperMeasure& paper,
                  DocumentTexts* texts) {
    BeginDocument(doc, QStringLiteral("Account Statement"));
    PutLetterheadAndAddressee(doc, settings, paper, texts);
    doc.PutHeadings();

    Cents charges = 0;
    Cents payments = 0;
    Cents due = 0;
    ReportDates dates;
    for (const StatementRow& row : rows) {
        doc.CheckPage(doc.PageLine + 1, true);
        doc.NewLine();
        PutItemRules(doc);
        doc.Cell(1) = doc.ColCodes[1] + PadNum(row.number, 6);
        doc.Cell(3) = doc.ColCodes[3] + (texts ? DayText(row.date, texts) : dates.Of(row.date));
        doc.Cell(5) = MoneyCell(doc.ColCodes[5], row.charges, 11);
        doc.Cell(7) = MoneyCell(doc.ColCodes[7], row.payments, 11);
        doc.Cell(9) = MoneyCell(doc.ColCodes[9], row.due, 11);
        charges += row.charges;
        payments += row.payments;
        due += row.due;
    }
    UnderlineLastLine(doc);
    doc.CheckPage(doc.PageLine + 1, true);
    // Placed by the column codes, which the date column may have widened already.
    doc.NewLine();
    doc.Cell(1) = doc.ColCodes[3] + QStringLiteral("Totals");
    for (int c : {4, 6, 8, 10}) doc.Cell(c) = doc.ColCodes[c];
    doc.Cell(5) = MoneyCell(doc.ColCodes[5], charges, 11);
    doc.Cell(7) = MoneyCell(doc.ColCodes[7], payments, 11);
    doc.Cell(9) = MoneyCell(doc.ColCodes[9], due, 11);
    doc.NewLine();
    doc.Cell(10) = RuleCode(ParseCell(doc.ColCodes[4]).column, ParseCell(doc.ColCodes[10]).column);
}

void StartReminderDoc(ReportDocument& doc) {
    StartDocument(doc, kInvoiceWidth, QStringLiteral("Payment Reminder"),
                  {"V00", "R09", "V11", "R23", "V25", "R37", "V39", "R49", "V51", "R71", "V73"},
                  {"", "Invoice", "", "Date", "", "Due Date", "", "Days", "", "Amount Due", ""});
}

void PutReminderLetter(ReportDocument& doc, const QString& text,
                       const std::vector<ReminderRow>& rows, Cents fee,
                       const SettingsValues& settings, const PaperMeasure& paper) {
    BeginDocument(doc, QStringLiteral("Payment Reminder"));
    PutLetterheadAndAddressee(doc, settings, paper);
    PutMemo(doc, text, paper);
    doc.NewLine();
    doc.PutHeadings();

    Cents overdue = 0;
    ReportDates dates;
    for (const ReminderRow& row : rows) {
        doc.CheckPage(doc.PageLine + 1, true);
        doc.NewLine();
        PutItemRules(doc);
        doc.Cell(1) = doc.ColCodes[1] + QString::number(row.number);
        doc.Cell(3) = doc.ColCodes[3] + dates.Of(row.date);
        doc.Cell(5) = doc.ColCodes[5] + DateToReportText(row.due);
        doc.Cell(7) = doc.ColCodes[7] + QString::number(row.daysPast);
        doc.Cell(9) = doc.ColCodes[9] + Amount(row.amount, 12);
        overdue += row.amount;
    }
    UnderlineLastLine(doc);
    const auto total = [&doc](const QString& caption, Cents amount) {
        doc.CheckPage(doc.PageLine + 1, false);
        doc.NewLine();
        doc.Cell(7) = "R49" + caption;
        doc.Cell(8) = QStringLiteral("V51");
        doc.Cell(9) = "R71" + Amount(amount, 12);
        doc.Cell(10) = QStringLiteral("V73");
    };
    total(QStringLiteral("Total overdue"), overdue);
    if (fee != 0) {
        total(QStringLiteral("Reminder fee"), fee);
        total(QStringLiteral("Total now due"), overdue + fee);
    }
    doc.NewLine();
    doc.Cell(10) = RuleCode(51, 73);
    const QString closing = settings.CloLine.trimmed();
    const QString signature = settings.SigLine.trimmed();
    doc.CheckPage(doc.PageLine + 6, false);
    doc.NewLine();
    doc.NewLine();
    doc.Cell(0) = "L00" + (closing.isEmpty() ? QStringLiteral("Yours sincerely,") : closing);
    doc.NewLine();
    doc.NewLine();
    doc.NewLine();
    doc.Cell(0) = "L00" + (signature.isEmpty() ? settings.Company.trimmed() : signature);
}

bool MakeInvoicesForDates(ReportDocument& doc, double spanStart, double spanEnd, bool asInvoice,
                          const PaperMeasure& paper, DocumentRun* run) {
    if (!OpenInvoiceTables(true)) return false;
    StartInvoiceDoc(doc);
    const double firstDay = std::floor(spanStart);
    const double lastDay = std::floor(spanEnd);
    InvTbl->select(InvTbl->tag("InvD"));
    int rc = Seek(InvTbl, DateToText(firstDay));
    bool failed = false;
    DocumentTexts texts;
    InvoiceLoader loader;
    {
        RecordProgress progress(
            asInvoice ? QStringLiteral("Processing Invoices") : QStringLiteral("Processing Bills"),
            static_cast<long>(InvTbl->recCount()));
        for (; rc == xbase::kFound || rc == xbase::kAfter; rc = InvTbl->skip()) {
            progress.Visited();
            if (std::floor(ReadDate(InvFld.IDate)) > lastDay) break;
            if (InvTbl->deleted()) continue;
            if (!asInvoice && ToCents(InvFld.Due->asDouble()) <= 0) continue;
            if (!loader.Load(InvTbl->recNo())) {
                failed = ReadFailed(-1);
                break;
            }
            NoteStart(run, NextDocumentLine(doc), InvBuf.IvNo);
            PutInvoice(doc, asInvoice, SettingsRecord, paper, &texts);
        }
        failed = failed || ReadFailed(rc);
    }
    return Finish(doc, failed);
}

bool MakeInvoicesByNumber(ReportDocument& doc, const QList<int>& numbers, bool asInvoice,
                          const PaperMeasure& paper, DocumentRun* run) {
    if (!OpenInvoiceTables(true)) return false;
    StartInvoiceDoc(doc);
    bool failed = false;
    DocumentTexts texts;
    InvoiceLoader loader;
    {
        RecordProgress progress(
            asInvoice ? QStringLiteral("Processing Invoices") : QStringLiteral("Processing Bills"),
            static_cast<long>(numbers.size()));
        for (int number : numbers) {
            progress.Visited();
            const int32_t rec = InvoiceRecNo(number);
            if (rec == 0) {
                if (run) run->notFound << number;
                continue;
            }
            if (!loader.Load(static_cast<uint32_t>(rec))) {
                failed = ReadFailed(-1);
                break;
            }
            NoteStart(run, NextDocumentLine(doc), number);
            PutInvoice(doc, asInvoice, SettingsRecord, paper, &texts);
        }
    }
    return Finish(doc, failed);
}

bool MakeStatementsWithBalances(ReportDocument& doc, double spanStart, double spanEnd,
                                const PaperMeasure& paper, DocumentRun* run) {
    if (!OpenInvoiceTables(false)) return false;
    StartStatementDoc(doc);
    bool failed = false;
    DocumentTexts texts;
    {
        // The invoices of the span with a balance, through InvB (date, then balance): only the
        // records of those with a balance are read.
        const std::string first = DayKey(spanStart);
        const std::string last = DayKey(spanEnd);
        std::map<int, std::vector<uint32_t>> byCustomer;
        InvTbl->select(InvTbl->tag("InvB"));
        int rc = InvTbl->seek(first);
        for (; rc == xbase::kFound || rc == xbase::kAfter; rc = InvTbl->skip()) {
            const std::string key = InvTbl->currentKey();
            if (key.compare(0, last.size(), last) > 0) break;
            const std::optional<Cents> balance = KeyBalance(key);
            if (balance == Cents(0) || InvTbl->deleted()) continue;
            if (!balance && ToCents(InvFld.Due->asDouble()) == 0) continue;
            byCustomer[InvFld.CuNo->asInt()].push_back(InvTbl->recNo());
        }
        failed = ReadFailed(rc);
        // Their customers in CZip order: by postal code, then record.
        std::vector<DueStatement> statements;
        CustTbl->select(CustTbl->tag("CCNO"));
        for (auto& [cuno, invoices] : byCustomer) {
            if (failed) break;
            std::sort(invoices.begin(), invoices.end());
            failed = ReadFailed(
                AddDueStatements(NumberKey(cuno), cuno, &invoices, &statements));
        }
        std::sort(statements.begin(), statements.end(),
                  [](const DueStatement& a, const DueStatement& b) {
                      return std::tie(a.zip, a.custRec) < std::tie(b.zip, b.custRec);
                  });
        RecordProgress progress(QStringLiteral("Processing Statements"),
                                static_cast<long>(statements.size()));
        for (const DueStatement& statement : statements) {
            if (failed) break;
            progress.Visited();
            std::vector<StatementRow> rows;
            failed = !StatementRows(*statement.invoices, &rows);
            if (failed) break;
            AddressLines = statement.address;
            NoteStart(run, NextDocumentLine(doc), statement.cuno);
            PutStatement(doc, rows, SettingsRecord, paper, &texts);
        }
    }
    return Finish(doc, failed);
}

bool MakeStatementsForCustomers(ReportDocument& doc, const QList<int>& customers,
                                const PaperMeasure& paper, DocumentRun* run) {
    if (!OpenInvoiceTables(false)) return false;
    StartStatementDoc(doc);
    bool failed = false;
    DocumentTexts texts;
    {
        RecordProgress progress(QStringLiteral("Processing Statements"),
                                static_cast<long>(customers.size()));
        for (int cuno : customers) {
            progress.Visited();
            // The address of the number's first record; a number whose first record is marked
            // deleted has none.
            CustTbl->select(CustTbl->tag("CCNO"));
            if (CustTbl->seek(NumberKey(cuno)) != xbase::kFound || CustTbl->deleted()) {
                if (run) run->notFound << cuno;
                continue;
            }
            ReadCustomerAddress();
            CustAddressBlock();
            const std::vector<uint32_t> invoices = CustomerInvoices(cuno);
            if (invoices.empty()) continue;
            std::vector<StatementRow> rows;
            if (!StatementRows(invoices, &rows)) {
                failed = true;
                break;
            }
            NoteStart(run, NextDocumentLine(doc), cuno);
            PutStatement(doc, rows, SettingsRecord, paper, &texts);
        }
    }
    return Finish(doc, failed);
}

ReportDocument DocumentPart(const ReportDocument& doc, int from, int to) {
    ReportDocument part;
    part.RptWidth = doc.RptWidth;
    part.CellCount = doc.CellCount;
    part.Titles = doc.Titles;
    part.PageLength = doc.PageLength;
    part.Lines = doc.Lines.mid(from, to - from);
    part.CurLine = static_cast<int>(part.Lines.size()) - 1;
    return part;
}

}  // namespace reports
