#include <gtest/gtest.h>

#include <stdexcept>

#include "core/dates.h"
#include "report/report_document.h"
#include "tests/support/default_locale.h"

using namespace reports;

namespace {

class ReportDocumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetTheReport();
        previousProbe_ = SetPrinterPageProbe({});
    }
    void TearDown() override { SetPrinterPageProbe(previousProbe_); }

    // A report of width 71 with three columns and the usual two heading rows.
    ReportDocument& Start() {
        ReportDocument& doc = TheReport();
        doc.RptWidth = 71;
        doc.CellCount = 4;
        doc.StartReport();
        doc.Titles = {"Sales Report"};
        doc.ColCodes = {"L00", "V40", "R71"};
        doc.Headings[0][3] = "U";
        doc.Headings.append(doc.EmptyLine());
        doc.Headings[1] = {"L00Customer", "V40", "R71Amount", "U"};
        return doc;
    }

    // One detail line the way every generator writes it.
    static void Detail(ReportDocument& doc, int n, bool withHeadings = true) {
        doc.CheckPage(doc.PageLine + 1, withHeadings);
        doc.NewLine();
        doc.Cell(0) = doc.ColCodes[0] + "row " + QString::number(n);
        doc.Cell(2) = doc.ColCodes[2] + "1.00";
    }

    static QString Line(const ReportDocument& doc, int i) { return doc.Lines.at(i).join('|'); }

private:
    PrinterPageProbe previousProbe_;
};

TEST_F(ReportDocumentTest, StartResetsEverythingAnEarlierReportLeft) {
    ReportDocument& doc = Start();
    Detail(doc, 1);
    doc.RptWidth = 50;
    doc.CellCount = 3;
    doc.StartReport();
    EXPECT_EQ(doc.CurLine, -1);
    EXPECT_EQ(doc.PageLine, -1);
    EXPECT_EQ(doc.PageNo, 0);
    EXPECT_EQ(doc.PageLength, 60);
    EXPECT_TRUE(doc.Lines.isEmpty());
    EXPECT_TRUE(doc.Titles.isEmpty());
    ASSERT_EQ(doc.Headings.size(), 1);
    EXPECT_EQ(doc.Headings[0], QStringList({"", "", ""}));
    EXPECT_EQ(doc.ColCodes, QStringList({"", ""}));
}

TEST_F(ReportDocumentTest, StartRefusesAShapeNoLineCanHave) {
    ReportDocument& doc = TheReport();
    doc.CellCount = 4;
    doc.RptWidth = 100;
    EXPECT_THROW(doc.StartReport(), std::invalid_argument);
    doc.RptWidth = 0;
    EXPECT_THROW(doc.StartReport(), std::invalid_argument);
    doc.RptWidth = 60;
    doc.CellCount = 1;
    EXPECT_THROW(doc.StartReport(), std::invalid_argument);
}

TEST_F(ReportDocumentTest, PageLengthComesFromThePrinter) {
    SetPrinterPageProbe([] { return PrinterPage{3000, 47}; });
    EXPECT_EQ(Start().PageLength, 3000 / 47 - 6);
    SetPrinterPageProbe([] { return std::optional<PrinterPage>(); });
    EXPECT_EQ(Start().PageLength, 60);
    SetPrinterPageProbe([] { return PrinterPage{3000, 0}; });
    EXPECT_EQ(Start().PageLength, 60);
}

TEST_F(ReportDocumentTest, LinesTitlesGapAndHeadings) {
    ReportDocument& doc = Start();
    doc.NewLine();
    doc.NewLine();
    EXPECT_EQ(doc.Lines.size(), 2);
    EXPECT_EQ(doc.CurLine, 1);
    EXPECT_EQ(doc.Lines[1], QStringList({"", "", "", ""}));

    doc.Titles = {"First", "Second"};
    doc.PutTitles();
    EXPECT_EQ(Line(doc, 2), "C35First|||B");
    EXPECT_EQ(Line(doc, 3), "C35Second|||B");

    doc.PutGap();
    EXPECT_EQ(Line(doc, 4), "|||");
    EXPECT_EQ(Line(doc, 5), "L00|||");

    doc.Headings.append(QStringList({"L00Short"}));  // a row built too short still fits a line
    doc.PutHeadings();
    EXPECT_EQ(Line(doc, 6), "|||");
    EXPECT_EQ(Line(doc, 7), "|||U");
    EXPECT_EQ(Line(doc, 8), "L00Customer|V40|R71Amount|U");
    EXPECT_EQ(Line(doc, 9), "L00Short|||");
    EXPECT_EQ(doc.CurLine, 9);
}

TEST_F(ReportDocumentTest, NarrowReportTitleColumnIsBlankPadded) {
    ReportDocument& doc = TheReport();
    doc.RptWidth = 9;
    doc.CellCount = 2;
    doc.StartReport();
    doc.Titles = {"T"};
    doc.PutTitles();
    EXPECT_EQ(doc.Lines[0][0], "C 4T");
}

TEST_F(ReportDocumentTest, FirstCheckPageAlwaysStartsPageOneWithoutEject) {
    for (int needed : {0, 1000}) {
        ReportDocument& doc = Start();
        EXPECT_TRUE(doc.CheckPage(needed, true));
        EXPECT_EQ(doc.PageNo, 1);
        ASSERT_EQ(doc.Lines.size(), 8);  // page line, blank, title, gap, blank, two heading rows
        EXPECT_EQ(doc.PageLine, 8);
        EXPECT_EQ(Line(doc, 0),
                  "L00Page 1|R71" + DateToReportText(DateValue(QDate::currentDate())) + "||");
        EXPECT_EQ(Line(doc, 1), "|||");
        EXPECT_EQ(Line(doc, 2), "C35Sales Report|||B");
        EXPECT_EQ(Line(doc, 7), "L00Customer|V40|R71Amount|U");
        for (const QStringList& line : doc.Lines) EXPECT_NE(line[0], "EJECT");
    }
}

// Today's date on the page line keeps the year as the locale writes it: four digits where its
// short format has four, two where it has two.
TEST_F(ReportDocumentTest, ThePageLineDatesThePageWithTheLocalesOwnYear) {
    const struct {
        QLocale locale;
        const char* format;
    } cases[] = {{QLocale(QLocale::Swedish, QLocale::Sweden), "yyyy-MM-dd"},
                 {QLocale(QLocale::English, QLocale::UnitedKingdom), "dd/MM/yyyy"},
                 {QLocale(QLocale::English, QLocale::UnitedStates), "MM/dd/yy"},
                 {QLocale(QLocale::German, QLocale::Germany), "dd.MM.yy"}};
    for (const auto& c : cases) {
        const ScopedDefaultLocale locale(c.locale);
        ReportDocument& doc = Start();
        doc.CheckPage(0, true);
        EXPECT_EQ(doc.Lines[0][1], "R71" + QDate::currentDate().toString(c.format))
            << c.locale.name().toStdString();
    }
}

TEST_F(ReportDocumentTest, PageBreaksWhenTheNextLineWouldPassPageLength) {
    ReportDocument& doc = Start();
    doc.PageLength = 12;
    for (int n = 1; n <= 5; ++n) Detail(doc, n);
    // Page 1: eight header lines and four rows fill the twelve lines.
    EXPECT_EQ(Line(doc, 11), "L00row 4||R711.00|U");  // last line of the page underlined
    EXPECT_EQ(Line(doc, 12), "EJECT|||");
    EXPECT_EQ(Line(doc, 13).left(13), "L00Page 2|R71");
    EXPECT_EQ(Line(doc, 15), "C35Sales Report|||B");
    EXPECT_EQ(Line(doc, 20), "L00Customer|V40|R71Amount|U");
    EXPECT_EQ(Line(doc, 21), "L00row 5||R711.00|");
    EXPECT_EQ(doc.PageNo, 2);
    EXPECT_EQ(doc.PageLine, 9);
    EXPECT_FALSE(doc.CheckPage(12, true));
}

TEST_F(ReportDocumentTest, LongReportKeepsEveryPageWithinPageLength) {
    ReportDocument& doc = Start();
    doc.PageLength = 20;
    for (int n = 1; n <= 100; ++n) Detail(doc, n);
    int pageStart = 0;
    int page = 1;
    int rows = 0;
    for (int i = 0; i <= doc.Lines.size(); ++i) {
        if (i < doc.Lines.size() && doc.Lines[i][0] != "EJECT") continue;
        EXPECT_LE(i - pageStart, 20) << "page " << page;
        EXPECT_EQ(doc.Lines[pageStart][0], "L00Page " + QString::number(page));
        EXPECT_EQ(doc.Lines[pageStart + 7][0], "L00Customer");
        for (int k = pageStart + 8; k < i; ++k) rows += doc.Lines[k][0].startsWith("L00row");
        pageStart = i + 1;
        ++page;
    }
    EXPECT_EQ(rows, 100);
    EXPECT_EQ(page - 1, doc.PageNo);
    EXPECT_EQ(doc.PageNo, 9);  // twelve rows fit under each eight-line header
}

TEST_F(ReportDocumentTest, PagesWithoutHeadingsNeitherRepeatNorUnderline) {
    ReportDocument& doc = Start();
    doc.PageLength = 7;
    for (int n = 1; n <= 3; ++n) Detail(doc, n, false);
    // Five header lines (page line, blank, title, gap) and two rows per page.
    EXPECT_EQ(Line(doc, 6), "L00row 2||R711.00|");
    EXPECT_EQ(Line(doc, 7), "EJECT|||");
    EXPECT_EQ(Line(doc, 8).left(9), "L00Page 2");
    EXPECT_EQ(Line(doc, 13), "L00row 3||R711.00|");
}

TEST_F(ReportDocumentTest, FinishReleasesTheBodyAndKeepsTheCounters) {
    ReportDocument& doc = Start();
    Detail(doc, 1);
    doc.FinishReport();
    EXPECT_TRUE(doc.Lines.isEmpty());
    EXPECT_TRUE(doc.Headings.isEmpty());
    EXPECT_TRUE(doc.ColCodes.isEmpty());
    EXPECT_EQ(doc.CurLine, 8);
    EXPECT_EQ(doc.PageNo, 1);
}

TEST_F(ReportDocumentTest, SpanCoversTheWholeMonth) {
    ReportDocument& doc = TheReport();
    doc.SpanMonthOf(QDate(2025, 12, 17));
    EXPECT_EQ(doc.SpanStart, 45992);  // 1 December 2025
    EXPECT_EQ(doc.SpanEnd, 46022);    // 31 December 2025
    doc.SpanMonthOf(QDate(2024, 2, 29));
    EXPECT_EQ(doc.SpanStart, 45323);
    EXPECT_EQ(doc.SpanEnd, 45351);  // leap day

    doc.DefaultSpan();
    const QDate today = QDate::currentDate();
    EXPECT_EQ(doc.SpanStart, DateValue(QDate(today.year(), today.month(), 1)));
    EXPECT_EQ(doc.SpanEnd - doc.SpanStart + 1, today.daysInMonth());
}

TEST_F(ReportDocumentTest, OneProgramWideDocumentThatResets) {
    EXPECT_EQ(&TheReport(), &TheReport());
    ReportDocument& doc = Start();
    Detail(doc, 1);
    doc.SpanStart = 45000;
    ResetTheReport();
    EXPECT_TRUE(TheReport().Lines.isEmpty());
    EXPECT_EQ(TheReport().CurLine, -1);
    EXPECT_EQ(TheReport().RptWidth, 0);
    EXPECT_EQ(TheReport().SpanStart, 0);
}

}  // namespace
