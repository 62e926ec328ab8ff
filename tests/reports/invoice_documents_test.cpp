// Invoices, bills and statements over hand-made customers, products and invoices: the exact
// lines of one document, the letterhead's placement and room, memo wrapping, page breaks and
// page numbers within and between documents, and which invoices and customers a run selects.
#include <gtest/gtest.h>

#include <QDate>
#include <functional>

#include "core/convert.h"
#include "core/dates.h"
#include "db/chasing_tables.h"
#include "db/settings.h"
#include "invoice/invoice_data.h"
#include "masters/address_block.h"
#include "reports/invoice_documents.h"
#include "tests/reports/report_data_fixture.h"
#include "tests/support/default_locale.h"

using namespace reports;

namespace {

QString Line(const ReportDocument& doc, int i) {
    return doc.Lines.at(i).join('|');
}

QString Today() {
    return DateToReportText(DateValue(QDate::currentDate()));
}

// Cell 0 of every line, the page breaks and page numbers of a run at a glance.
QStringList FirstCells(const ReportDocument& doc) {
    QStringList cells;
    for (const ReportLine& line : doc.Lines) cells << line.at(0);
    return cells;
}

// The invoice rows of the statements in doc: each row's invoice cell joined with `more` cells.
QStringList StatementRows(const ReportDocument& doc, std::initializer_list<int> more = {}) {
    QStringList rows;
    for (const ReportLine& line : doc.Lines) {
        if (!line.at(1).startsWith("R08") || line.at(1) == "R08Invoice") continue;
        QString row = line.at(1);
        for (int cell : more) row += line.at(cell);
        rows << row;
    }
    return rows;
}

int IndexOfCell(const ReportDocument& doc, const QString& cell, int from = 0) {
    for (int i = from; i < doc.Lines.size(); ++i)
        if (doc.Lines.at(i).contains(cell)) return i;
    return -1;
}

class InvoiceDocumentsTest : public ReportDataTest {
protected:
    void SetUp() override {
        SettingsRecord = {};
        SettingsRecord.ByCust = true;         // the name heads the address
        TermsRecord.business = std::nullopt;  // no terms: no due date
        SettingsRecord.ShipLine = "Shipping  ";
        SettingsRecord.TaxLine = "Sales Tax";
        AddCustomer(3, "Baxter", "Ann", "4 Elm Road", "Springfield", "62704");
        AddCustomer(17, "Avery", "Tom", "9 Oak Lane", "Shelbyville", "10001");
        AddCustomer(20, "Zeller", "Kim", "1 Pine Court", "Ogden", "55555");
        ASSERT_TRUE(OpenProducts());
        ProdBuf = {};
        ProdBuf.PrID = "NAIL";
        ProdBuf.PDesc = "Nails, box";
        ProdBuf.UPrice = 2.5;
        ProdBuf.RCode = "RC-9";
        ProdBuf.PMemo = "Keep dry.";
        ProdTbl->appendBlank();
        WriteProduct();
        CloseReportTables();
    }

    static void AddCustomer(int cuno, const QString& last, const QString& first,
                            const QString& street, const QString& town, const QString& zip) {
        ASSERT_TRUE(OpenCustomers());
        CustBuf = {};
        CustBuf.cuno = cuno;
        CustBuf.last = last;
        CustBuf.first = first;
        CustBuf.addr1 = street;
        CustBuf.addr2 = town;
        CustBuf.zip = zip;
        CustBuf.ngroup = 1;
        CustTbl->appendBlank();
        WriteCustomer();
        CloseReportTables();
    }

    struct Item {
        QString id;
        double qty;
        double price;
        QString comment = {};
    };

    static void AddInvoice(int ivNo, int cuno, const char* date, double ship, double tax,
                           double due, const std::vector<Item>& items,
                           const std::vector<double>& payments, const QString& remarks = {}) {
        ASSERT_TRUE(OpenInvoices() && OpenItems() && OpenPayments());
        InvBuf = {};
        InvBuf.IvNo = ivNo;
        InvBuf.CuNo = cuno;
        InvBuf.IDate = Day(date);
        InvBuf.IMemo = "Order " + QString::number(ivNo);
        InvBuf.Ship = ship;
        InvBuf.Tax = tax;
        InvBuf.Due = due;
        InvBuf.REM = remarks;
        InvTbl->appendBlank();
        WriteInvoice();
        for (const Item& item : items) {
            ItemBuf = {};
            ItemBuf.IvNo = ivNo;
            ItemBuf.PrID = item.id;
            ItemBuf.Qty = item.qty;
            ItemBuf.UPR = item.price;
            ItemBuf.PDesc = "Desc " + item.id;
            ItemBuf.IComm = item.comment;
            ItemTbl->appendBlank();
            WriteItem();
        }
        for (double amount : payments) {
            PmtBuf = {ivNo, Day(date), amount};
            PmtTbl->appendBlank();
            WritePayment();
        }
        CloseReportTables();
    }

    // Six lines a page of letterhead per inch: 72 dots, 12 a line, a unit per character.
    PaperMeasure paper_;
};

TEST_F(InvoiceDocumentsTest, AnInvoiceHasItsLetterheadAddressItemsTotalsBoxAndMemos) {
    SettingsRecord.Company = "Corner Hardware";
    SettingsRecord.Addr1 = "12 Main Street";
    SettingsRecord.Addr2 = "Springfield";
    SettingsRecord.LHJustify = 1;
    AddInvoice(7, 3, "20250310", 1.50, 0.83, 10.00,
               {{"NAIL", 3, 2.5, "Galvanised"}, {"SCREW", 1.5, 1.01}}, {1.00, 0.84},
               "Thank you for your order.");
    ReportDocument& doc = TheReport();
    ASSERT_TRUE(MakeInvoicesByNumber(doc, {7}, true, paper_));

    const QStringList expected = {
        "L00Corner Hardware|||||||||||B",
        "L0012 Main Street|||||||||||B",
        "L00Springfield|||||||||||BU",
        "R73" + Today() + "|||||||||||",
        "|||||||||||",
        "C36Invoice|||||||||||B",
        "|||||||||||",
        "L00To:|L10Ann Baxter|R60Invoice No:|L627||||||||",
        "|L104 Elm Road|R60Invoice Date:|L6203/10/25||||||||",
        "|L10Springfield  62704||||||||||",
        "|L10||||||||||",
        "|L10||||||||||",
        "|||||||||||",
        "|||||||||||U",
        "V00|L01Item Code|V12|L13Description|V41|R49Price|V50|R59Qty|V60|R72Total|V73|U",
        "V00|L01NAIL|V12|L13Desc NAIL|V41|R49    2.50|V50|R59     3.00|V60|R72        7.50|V73|",
        "V00||V12|L13Galvanised|V41||V50||V60||V73|",
        "V00||V12|L13License No. RC-93|V41||V50||V60||V73|",
        "V00|L01SCREW|V12|L13Desc SCREW|V41|R49    1.01|V50|R59     1.50|V60|R72        1.52|V73|U",
        "L01Order 7|||||||R59SubTotal:|V60|R72        9.02|V73|",
        "|||||||R59Shipping:|V60|R72        1.50|V73|",
        "|||||||R59Sales Tax:|V60|R72        0.83|V73|",
        "|||||||R59Total:|V60|R72       11.35|V73|",
        "|||||||R59Amount Paid:|V60|R72        1.84|V73|",
        "|||||||R59Balance Due:|V60|R72       10.00|V73|",
        "||||||||||H6073|",
        "|||||||||||",
        "L00Keep dry.|||||||||||",
        "|||||||||||",
        "L00Thank you for your order.|||||||||||",
    };
    ASSERT_EQ(doc.Lines.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_EQ(Line(doc, i).toStdString(), expected[i].toStdString()) << "line " << i;
    EXPECT_EQ(progress_, QStringList({"show Processing Invoices", "hide"}));
    EXPECT_EQ(InvTbl, nullptr);
}

TEST_F(InvoiceDocumentsTest, WithTermsTheDueDateFollowsTheInvoiceDate) {
    TermsRecord.business = 30;
    TermsRecord.customers.insert(17, 0);
    AddInvoice(7, 3, "20250310", 0, 0, 4.00, {{"NAIL", 2, 2.5}}, {1.00}, "");
    AddInvoice(8, 17, "20250310", 0, 0, 4.00, {{"NAIL", 2, 2.5}}, {1.00}, "");
    ReportDocument& doc = TheReport();
    ASSERT_TRUE(MakeInvoicesByNumber(doc, {7, 8}, false, paper_));
    const int first = IndexOfCell(doc, "R60Invoice Date:");
    ASSERT_GE(first, 0);
    EXPECT_EQ(Line(doc, first + 1), "|L10Springfield  62704|R60Due Date:|L6204/09/25||||||||");
    const int second = IndexOfCell(doc, "R60Invoice Date:", first + 1);
    ASSERT_GE(second, 0);
    EXPECT_EQ(Line(doc, second + 1), "|L10Shelbyville  10001|R60Due Date:|L6203/10/25||||||||");
}

TEST_F(InvoiceDocumentsTest, BillsAreTitledByBalanceAndCarryNoMemos) {
    AddInvoice(7, 3, "20250310", 0, 0, 4.00, {{"NAIL", 2, 2.5}}, {1.00}, "Remarks");
    AddInvoice(8, 3, "20250311", 0, 0, 0.00, {{"NAIL", 1, 2.5}}, {2.50});
    AddInvoice(9, 17, "20250312", 0, 0, -1.00, {{"NAIL", 1, 2.5}}, {3.50});
    ReportDocument& doc = TheReport();
    ASSERT_TRUE(MakeInvoicesByNumber(doc, {8, 7, 9}, false, paper_));
    QStringList titles;
    for (const ReportLine& line : doc.Lines)
        if (line.at(0).startsWith("C36")) titles << line.at(0);
    EXPECT_EQ(titles, QStringList({"C36Statement", "C36Bill", "C36Statement"}));
    EXPECT_EQ(IndexOfCell(doc, "L00Keep dry."), -1);
    EXPECT_EQ(IndexOfCell(doc, "L00Remarks"), -1);

    // By dates, bills are the invoices of the span with a balance due above zero.
    DocumentRun run;
    ASSERT_TRUE(MakeInvoicesForDates(doc, Day("20250301"), Day("20250331"), false, paper_, &run));
    ASSERT_EQ(run.starts.size(), 1u);
    EXPECT_EQ(run.starts[0].number, 7);
    EXPECT_FALSE(MakeInvoicesForDates(doc, Day("20250313"), Day("20250331"), false, paper_));
    EXPECT_EQ(doc.CurLine, -1);
}

TEST_F(InvoiceDocumentsTest, EachDocumentOfARunStartsAfterAPageBreakAtPageOne) {
    PageLength(30);
    std::vector<Item> many;
    for (int i = 0; i < 20; ++i) many.push_back({"P" + QString::number(i), 1, 1});
    AddInvoice(7, 3, "20250310", 0, 0, 20, many, {});
    AddInvoice(8, 17, "20250312", 0, 0, 20, many, {});
    AddInvoice(9, 17, "20250401", 0, 0, 20, many, {});
    ReportDocument& doc = TheReport();
    DocumentRun run;
    ASSERT_TRUE(MakeInvoicesForDates(doc, Day("20250301"), Day("20250331"), true, paper_, &run));

    ASSERT_EQ(run.starts.size(), 2u);
    EXPECT_EQ(run.starts[0].line, 0);
    EXPECT_EQ(run.starts[1].number, 8);
    const int second = run.starts[1].line;
    EXPECT_EQ(doc.Lines.at(second - 1).at(0), "EJECT");
    // Each invoice breaks once; its second page is page 2, with the headings repeated.
    const QStringList cells = FirstCells(doc);
    EXPECT_EQ(cells.count("L00Page 2"), 2);
    EXPECT_EQ(cells.count("L00Page 3"), 0);
    EXPECT_EQ(cells.count("EJECT"), 3);
    const int page2 = IndexOfCell(doc, "L00Page 2", second);
    EXPECT_GT(page2, second);
    EXPECT_EQ(doc.Lines.at(page2 - 1).at(0), "EJECT");
    EXPECT_EQ(doc.Lines.at(page2 - 2).last(), "U");  // the page's last item is ruled off
    EXPECT_EQ(doc.Lines.at(page2 + 2).at(0), "C36Invoice");
    EXPECT_EQ(doc.Lines.at(page2 + 7).at(1), "L01Item Code");

    // Split into its documents, the second starts with its letterhead, without the break.
    const ReportDocument part = DocumentPart(doc, second, static_cast<int>(doc.Lines.size()));
    EXPECT_EQ(part.Lines.first().at(0), "R73" + Today());
    EXPECT_EQ(part.RptWidth, 73);
}

TEST_F(InvoiceDocumentsTest, LetterheadPlacementMarginAndLogoRoom) {
    SettingsRecord.Company = "Corner Hardware";
    SettingsRecord.Addr4 = "USA";
    for (const auto& [justify, place] :
         {std::pair{1, "L00"}, std::pair{2, "C36"}, std::pair{3, "R73"}, std::pair{0, "L00"}}) {
        ReportDocument doc;
        StartInvoiceDoc(doc);
        SettingsRecord.LHJustify = justify;
        PutLetterhead(doc, SettingsRecord, paper_);
        // Company, Addr1, Addr2, Addr3 (because Addr4 has text) and Addr4.
        ASSERT_EQ(doc.Lines.size(), 7) << justify;
        EXPECT_EQ(Line(doc, 0), QString(place) + "Corner Hardware|||||||||||B");
        EXPECT_EQ(Line(doc, 3), QString(place) + "|||||||||||B");
        EXPECT_EQ(Line(doc, 4), QString(place) + "USA|||||||||||BU");
        EXPECT_EQ(Line(doc, 5), "R73" + Today() + "|||||||||||");
        EXPECT_EQ(doc.PageNo, 1);
    }

    // Half an inch of margin is three lines at six lines an inch; a logo of 1.00 inch by 2.50
    // covers its own line and six more; with no address the last of them is ruled.
    SettingsRecord = {};
    SettingsRecord.TopMargin = 0.5;
    SettingsRecord.LogoFile = "  /srv/art/logo.png ";
    SettingsRecord.LogoHeight = 1.0;
    SettingsRecord.LogoWidth = 2.5;
    SettingsRecord.LHJustify = 2;
    ReportDocument doc;
    StartInvoiceDoc(doc);
    PutLetterhead(doc, SettingsRecord, paper_);
    ASSERT_EQ(doc.Lines.size(), 3 + 1 + 6 + 2);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Line(doc, i), "|||||||||||");
    EXPECT_EQ(Line(doc, 3), "IC36/srv/art/logo.png|||||||||||S 1.00 2.50");
    for (int i = 4; i < 9; ++i) EXPECT_EQ(Line(doc, i), "|||||||||||");
    EXPECT_EQ(Line(doc, 9), "|||||||||||U");

    // On paper of 600 dots an inch with 100-dot lines the same logo covers six lines.
    const PaperMeasure fine(600, 100, 1);
    SettingsRecord.TopMargin = 0;
    SettingsRecord.Company = "X";
    ReportDocument finer;
    StartInvoiceDoc(finer);
    PutLetterhead(finer, SettingsRecord, fine);
    EXPECT_EQ(finer.Lines.at(0).at(0), "IC36/srv/art/logo.png");
    EXPECT_EQ(finer.Lines.at(7).at(0), "C36X");
    EXPECT_EQ(finer.Lines.at(6).last(), "");
}

// The command line measures its paper when a generator first reads it: a plain letterhead reads
// nothing, a margin and a logo read it once for every copy of the measure, as measured before.
TEST_F(InvoiceDocumentsTest, ALetterheadMeasuresThePaperOnlyForAMarginOrALogoAndThenOnce) {
    int taken = 0;
    const PaperMeasure deferred([&taken] {
        ++taken;
        return PaperMeasure(600, 100, 1);
    });
    const PaperMeasure copy = deferred;
    const auto lines = [](const ReportDocument& doc) {
        QStringList all;
        for (int i = 0; i < static_cast<int>(doc.Lines.size()); ++i) all << Line(doc, i);
        return all;
    };
    SettingsRecord.Company = "Corner Hardware";
    ReportDocument plain;
    StartInvoiceDoc(plain);
    PutLetterhead(plain, SettingsRecord, copy);
    EXPECT_EQ(taken, 0);

    SettingsRecord.TopMargin = 0.5;
    SettingsRecord.LogoFile = "/srv/art/logo.png";
    SettingsRecord.LogoHeight = 1.0;
    ReportDocument measured;
    StartInvoiceDoc(measured);
    PutLetterhead(measured, SettingsRecord, copy);
    ReportDocument direct;
    StartInvoiceDoc(direct);
    PutLetterhead(direct, SettingsRecord, PaperMeasure(600, 100, 1));
    EXPECT_EQ(lines(measured), lines(direct));
    EXPECT_EQ(deferred.LineHeight(), 100);
    EXPECT_EQ(taken, 1);
}

// A run works its letterhead, dates and memos out once: every document of it must read as the
// same document made on its own.
TEST_F(InvoiceDocumentsTest, EachDocumentOfARunReadsAsTheSameDocumentMadeAlone) {
    SettingsRecord.Company = "Corner Hardware";
    SettingsRecord.Addr4 = "USA";
    SettingsRecord.TopMargin = 0.5;
    SettingsRecord.LogoFile = "/srv/art/logo.png";
    SettingsRecord.LogoHeight = 1.0;
    SettingsRecord.LHJustify = 2;
    TermsRecord.business = 30;
    AddInvoice(7, 3, "20250310", 1.5, 0, 9.00, {{"NAIL", 3, 2.5, "Galvanised"}}, {}, "Thanks.");
    AddInvoice(8, 17, "20250312", 0, 0, 2.50, {{"NAIL", 1, 2.5}}, {}, "Thanks.");
    AddInvoice(9, 17, "20250312", 0, 0, 1.00, {{"SCREW", 1, 1}}, {});
    const auto parts = [](const ReportDocument& doc, const DocumentRun& run) {
        std::vector<std::vector<std::string>> out;
        for (size_t i = 0; i < run.starts.size(); ++i) {
            const int to = i + 1 < run.starts.size() ? run.starts[i + 1].line - 1
                                                     : static_cast<int>(doc.Lines.size());
            out.push_back(Lines(DocumentPart(doc, run.starts[i].line, to), 0));
        }
        return out;
    };
    for (const bool statements : {false, true}) {
        ReportDocument& doc = TheReport();
        DocumentRun run;
        ASSERT_TRUE(statements ? MakeStatementsForCustomers(doc, {3, 17}, paper_, &run)
                               : MakeInvoicesByNumber(doc, {7, 8, 9}, true, paper_, &run));
        const std::vector<std::vector<std::string>> together = parts(doc, run);
        ASSERT_EQ(together.size(), statements ? 2u : 3u);
        for (size_t i = 0; i < together.size(); ++i) {
            ReportDocument& alone = TheReport();
            DocumentRun one;
            const int number = run.starts[i].number;
            ASSERT_TRUE(statements ? MakeStatementsForCustomers(alone, {number}, paper_, &one)
                                   : MakeInvoicesByNumber(alone, {number}, true, paper_, &one));
            EXPECT_EQ(parts(alone, one).at(0), together[i]) << "document " << i;
        }
    }
}

// Text outputs take a run's lines as they come: each line must reach them as the document held
// whole has it, with the letterhead repeated and, under a four-digit year, the date column widened.
TEST_F(InvoiceDocumentsTest, ARunGivenAwayLineByLineGivesTheLinesOfTheWholeDocument) {
    struct Taken : LineSink {
        QList<ReportLine> lines;
        void Take(const ReportLine& line) override { lines << line; }
        void Restart() override { lines.clear(); }
    };
    ScopedDefaultLocale c(QLocale::c());
    SettingsRecord.Company = "Corner Hardware";
    SettingsRecord.TopMargin = 0.5;
    SettingsRecord.LogoFile = "/srv/art/logo.png";
    SettingsRecord.LogoHeight = 1.0;
    SettingsRecord.LHJustify = 3;
    TermsRecord.business = 30;
    PageLength(30);
    AddInvoice(7, 3, "20250310", 1.5, 0, 9.00, {{"NAIL", 3, 2.5, "Galvanised"}}, {}, "Thanks.");
    AddInvoice(8, 20, "20250312", 0, 0, 2.50, {{"NAIL", 1, 2.5}}, {}, "Thanks.");
    for (int i = 0; i < 30; ++i)
        AddInvoice(100 + i, 17, "20250314", 0.10, 0.05, 1.00, {{"NAIL", 1, 1.01}}, {0.16});
    const std::function<bool(ReportDocument&)> runs[] = {
        [this](ReportDocument& d) {
            return MakeInvoicesByNumber(d, {7, 8}, true, paper_, nullptr);
        },
        [this](ReportDocument& d) {
            return MakeInvoicesForDates(d, Day("20250301"), Day("20250331"), false, paper_,
                                        nullptr);
        },
        [this](ReportDocument& d) {
            return MakeStatementsForCustomers(d, {3, 17, 20}, paper_, nullptr);
        },
        [this](ReportDocument& d) {
            return MakeStatementsWithBalances(d, Day("20250301"), Day("20250331"), paper_, nullptr);
        },
    };
    for (size_t r = 0; r < std::size(runs); ++r) {
        ReportDocument& doc = TheReport();
        ASSERT_TRUE(runs[r](doc));
        const QList<ReportLine> whole(doc.Lines.begin(), doc.Lines.end());
        if (r >= 2) {
            EXPECT_GE(IndexOfCell(doc, "R20Totals"), 0) << "the date column widened";
        }
        doc.FinishReport();
        Taken taken;
        doc.Lines.StreamTo(&taken);
        ASSERT_TRUE(runs[r](doc));
        doc.Lines.EndStream();
        EXPECT_EQ(taken.lines, whole) << "run " << r;
        doc.FinishReport();
    }
}

TEST(WrapText, BreaksAtTheLastSpaceAndCutsAWordWiderThanTheLine) {
    const PaperMeasure paper;
    EXPECT_FALSE(WrapText(" \n ", 10, paper).printable);
    EXPECT_EQ(WrapText("", 10, paper).lines, QStringList({""}));

    const WrappedText words = WrapText("the quick brown fox jumps", 10, paper);
    EXPECT_TRUE(words.printable);
    EXPECT_EQ(words.lines, QStringList({"the quick ", "brown fox ", "jumps"}));

    // Line feeds start lines; carriage returns are dropped.
    EXPECT_EQ(WrapText("one\r\ntwo\n\nthree", 10, paper).lines,
              QStringList({"one", "two", "", "three"}));

    // A word wider than the line is cut where the line is full, with no empty line left.
    EXPECT_EQ(WrapText("abcdefghijklmnopqrstuvwxyz", 10, paper).lines,
              QStringList({"abcdefghij", "klmnopqrst", "uvwxyz"}));
    EXPECT_EQ(WrapText("go abcdefghijkl", 10, paper).lines,
              QStringList({"go ", "abcdefghij", "kl"}));

    // A proportional measure: "W" is three units, others one; the line holds 10 units.
    const PaperMeasure proportional(72, 12, 1, [](const QString& text) {
        return static_cast<int>(text.size() + 2 * text.count(u'W'));
    });
    EXPECT_EQ(WrapText("WW ab WWW", 10, proportional).lines, QStringList({"WW ab ", "WWW"}));
}

TEST_F(InvoiceDocumentsTest, AStatementListsItsInvoicesOverSeveralPagesWithTotals) {
    PageLength(30);
    for (int i = 0; i < 30; ++i)
        AddInvoice(100 + i, 17, "20250301", 0.10, 0.05, 1.00, {{"NAIL", 1, 1.01}}, {0.16});
    ReportDocument& doc = TheReport();
    DocumentRun run;
    ASSERT_TRUE(MakeStatementsForCustomers(doc, {17, 99}, paper_, &run));
    EXPECT_EQ(run.notFound, QList<int>({99}));
    ASSERT_EQ(run.starts.size(), 1u);

    const int headings = IndexOfCell(doc, "R08Invoice");
    EXPECT_EQ(Line(doc, headings - 1), "|||||||||||U");
    EXPECT_EQ(Line(doc, headings),
              "V00|R08Invoice|V09|R18Date|V20|R31Charges|V33|R44Payments|V46|R57Amount Due|V59|U");
    // A row: the charges are the line total to the cent plus both charges.
    EXPECT_EQ(Line(doc, headings + 1),
              "V00|R08   100|V09|R1803/01/25|V20|R31       1.16|V33|"
              "R44       0.16|V46|R57       1.00|V59|");
    const QStringList cells = FirstCells(doc);
    EXPECT_EQ(cells.count("L00Page 2"), 1);
    const int page2 = cells.indexOf("L00Page 2");
    EXPECT_EQ(doc.Lines.at(page2 + 2).at(0), "C29Account Statement");
    EXPECT_EQ(doc.Lines.at(page2 + 7).at(1), "R08Invoice");

    const int totals = IndexOfCell(doc, "R18Totals");
    EXPECT_EQ(doc.Lines.at(totals - 1).last(), "U");
    EXPECT_EQ(Line(doc, totals),
              "|R18Totals|||V20|R31      34.80|V33|R44       4.80|V46|R57      30.00|V59|");
    EXPECT_EQ(Line(doc, totals + 1), "||||||||||H2059|");
    EXPECT_EQ(totals + 2, doc.Lines.size());
}

TEST_F(InvoiceDocumentsTest, StatementsWithBalancesGoByPostalCodeAndSkipSettledCustomers) {
    AddInvoice(1, 3, "20250305", 0, 0, 5.00, {{"NAIL", 2, 2.5}}, {});
    AddInvoice(2, 3, "20250306", 0, 0, 0.00, {{"NAIL", 1, 2.5}}, {2.50});
    AddInvoice(3, 17, "20250307", 0, 0, -2.00, {{"NAIL", 1, 2.5}}, {4.50});
    AddInvoice(4, 20, "20250308", 0, 0, 0.00, {{"NAIL", 1, 2.5}}, {2.50});
    AddInvoice(5, 20, "20250402", 0, 0, 2.50, {{"NAIL", 1, 2.5}}, {});
    ReportDocument& doc = TheReport();
    DocumentRun run;
    ASSERT_TRUE(MakeStatementsWithBalances(doc, Day("20250301"), Day("20250331"), paper_, &run));
    // Tom Avery (10001) before Ann Baxter (62704); Kim Zeller owes nothing in March.
    ASSERT_EQ(run.starts.size(), 2u);
    EXPECT_EQ(run.starts[0].number, 17);
    EXPECT_EQ(run.starts[1].number, 3);
    EXPECT_EQ(StatementRows(doc), QStringList({"R08     3", "R08     1"}));
    EXPECT_EQ(doc.Lines.at(run.starts[1].line - 1).at(0), "EJECT");
    EXPECT_EQ(IndexOfCell(doc, "L10Tom Avery"), IndexOfCell(doc, "L00To:"));

    // Picked customers list every invoice, settled or not.
    ASSERT_TRUE(MakeStatementsForCustomers(doc, {20}, paper_));
    EXPECT_EQ(StatementRows(doc), QStringList({"R08     4", "R08     5"}));

    EXPECT_FALSE(MakeStatementsWithBalances(doc, Day("20250501"), Day("20250531"), paper_));

    // A span that ends late in the century ends there, not a hundred years before.
    DocumentRun late;
    ASSERT_TRUE(MakeStatementsWithBalances(doc, Day("20250301"), DateValue(QDate(2099, 12, 31)),
                                           paper_, &late));
    EXPECT_EQ(late.starts.size(), 3u);
}

// The statements read the balances off the invoices' date-and-balance tag; what that tag holds of
// records marked deleted must not reach them, and a customer marked deleted gets none.
TEST_F(InvoiceDocumentsTest, StatementsWithBalancesPassOverMarkedInvoicesAndCustomers) {
    AddInvoice(1, 3, "20250305", 0, 0, 5.00, {{"NAIL", 2, 2.5}}, {});
    AddInvoice(2, 17, "20250306", 0, 0, 2.50, {{"NAIL", 1, 2.5}}, {});
    AddInvoice(3, 20, "20250331", 0, 0, 1.50, {{"NAIL", 1, 2.5}}, {1.00});
    AddInvoice(4, 3, "20250301", 0, 0, 2.50, {{"NAIL", 1, 2.5}}, {});
    MarkDeleted(OpenInvoices, &InvTbl, "     4");
    MarkDeleted(OpenCustomers, &CustTbl, "AVERY");
    ReportDocument& doc = TheReport();
    DocumentRun run;
    ASSERT_TRUE(MakeStatementsWithBalances(doc, Day("20250301"), Day("20250331"), paper_, &run));
    // Kim Zeller (55555) before Ann Baxter (62704).
    ASSERT_EQ(run.starts.size(), 2u);
    EXPECT_EQ(run.starts[0].number, 20);
    EXPECT_EQ(run.starts[1].number, 3);
    EXPECT_EQ(StatementRows(doc, {5, 7, 9}),
              QStringList({"R08     3R31       2.50R44       1.00R57       1.50",
                           "R08     1R31       5.00R44       0.00R57       5.00"}));
    EXPECT_EQ(IndexOfCell(doc, "L10Ann Baxter"), IndexOfCell(doc, "L00To:", run.starts[1].line));
}

// Customers may share a number. Each record of the number gets its statement, and every one of
// them is addressed as the number's first record is, or not at all when that record is marked
// deleted.
TEST_F(InvoiceDocumentsTest, StatementsOfASharedNumberCarryTheAddressOfItsFirstRecord) {
    AddCustomer(3, "Carter", "Lee", "5 Ash Row", "Dover", "10001");
    AddInvoice(1, 3, "20250305", 0, 0, 5.00, {{"NAIL", 2, 2.5}}, {});
    ReportDocument& doc = TheReport();
    DocumentRun run;
    ASSERT_TRUE(MakeStatementsWithBalances(doc, Day("20250301"), Day("20250331"), paper_, &run));
    ASSERT_EQ(run.starts.size(), 2u);
    QStringList addressees;
    for (const DocumentStart& start : run.starts)
        addressees << doc.Lines.at(IndexOfCell(doc, "L00To:", start.line)).at(1);
    EXPECT_EQ(addressees, QStringList({"L10Ann Baxter", "L10Ann Baxter"}));
    DocumentRun picked;
    ASSERT_TRUE(MakeStatementsForCustomers(doc, {3}, paper_, &picked));
    ASSERT_EQ(picked.starts.size(), 1u);
    EXPECT_EQ(doc.Lines.at(IndexOfCell(doc, "L00To:")).at(1), "L10Ann Baxter");

    MarkDeleted(OpenCustomers, &CustTbl, "BAXTER");
    DocumentRun after;
    ASSERT_TRUE(MakeStatementsWithBalances(doc, Day("20250301"), Day("20250331"), paper_, &after));
    ASSERT_EQ(after.starts.size(), 1u);
    EXPECT_EQ(after.starts[0].number, 3);
    EXPECT_EQ(doc.Lines.at(IndexOfCell(doc, "L00To:", after.starts[0].line)).at(1), "L10");
    // Picked by number, such a customer is not found.
    DocumentRun none;
    EXPECT_FALSE(MakeStatementsForCustomers(doc, {3}, paper_, &none));
    EXPECT_EQ(none.notFound, QList<int>({3}));
}

}  // namespace
