// Every date column of every report holds its date in full: under a locale whose report date has
// a four-digit year (the C locale's, as LANG=C.UTF-8 gives it), no date of a line runs into a
// rule or another text, or past the report's edge.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "report/date_columns.h"
#include "report/paper_measure.h"
#include "reports/account_reports.h"
#include "reports/customer_profile.h"
#include "reports/invoice_documents.h"
#include "reports/purchasing_report.h"
#include "reports/sales_reports.h"
#include "tests/reports/sales_data_fixture.h"
#include "tests/support/default_locale.h"

using namespace reports;

namespace {

struct Extent {
    int from;
    int to;  // exclusive
    QString cell;
};

// Where the cells of a line put ink: the columns of each text without its outer blanks, and the
// columns of the rules. Layout codes as the report document defines them.
void InkOf(const ReportLine& line, std::vector<Extent>* texts, std::vector<int>* rules) {
    for (qsizetype i = 0; i + 1 < line.size(); ++i) {
        const QString& cell = line[i];
        if (cell.size() < 3) continue;
        const QChar code = cell.at(0);
        const int column = cell.mid(1, 2).trimmed().toInt();
        if (code == u'V') rules->push_back(column);
        if (code != u'L' && code != u'R' && code != u'C') continue;
        const QString text = cell.mid(3);
        const int length = static_cast<int>(text.size());
        int lead = 0;
        while (lead < length && text.at(lead) == u' ') ++lead;
        if (lead == length) continue;
        int trail = 0;
        while (text.at(length - 1 - trail) == u' ') ++trail;
        const int start = code == u'L'   ? column
                          : code == u'R' ? column - length
                                         : column - length / 2;
        texts->push_back({start + lead, start + length - trail, cell});
    }
}

// Every collision of a date with a rule, another text or the report's edge, one line of text each.
std::vector<std::string> DateCollisions(const ReportDocument& doc) {
    static const QRegularExpression date("[0-9]{2}/[0-9]{2}/[0-9]{4}");
    std::vector<std::string> found;
    for (const ReportLine& line : doc.Lines) {
        std::vector<Extent> texts;
        std::vector<int> rules;
        InkOf(line, &texts, &rules);
        for (size_t a = 0; a < texts.size(); ++a) {
            const Extent& t = texts[a];
            if (!t.cell.contains(date)) continue;
            if (t.from < 0 || t.to > doc.RptWidth)
                found.push_back(t.cell.toStdString() + " outside the report's width " +
                                std::to_string(doc.RptWidth));
            for (int rule : rules)
                if (t.from < rule && rule < t.to)
                    found.push_back(t.cell.toStdString() + " crosses the rule at " +
                                    std::to_string(rule));
            for (size_t b = 0; b < texts.size(); ++b)
                if (b != a && t.from < texts[b].to && texts[b].from < t.to)
                    found.push_back(t.cell.toStdString() + " runs into " +
                                    texts[b].cell.toStdString());
        }
    }
    return found;
}

bool Shows(const ReportDocument& doc, const QString& text) {
    for (const ReportLine& line : doc.Lines)
        for (const QString& cell : line)
            if (cell.contains(text)) return true;
    return false;
}

class DateColumnsTest : public SalesDataTest {
protected:
    ReportDocument& doc = TheReport();
    const double march1 = Day("20250301");
    const double march31 = Day("20250331");
};

TEST_F(DateColumnsTest, UnderAFourDigitYearEveryDateColumnHoldsItsDateInFull) {
    AddPurchase("HAM-1", "20250303", 12, 60);
    ScopedDefaultLocale c(QLocale::c());
    ASSERT_EQ(DateToReportText(march1), "01/03/2025");
    EXPECT_EQ(DateWidening(), 2);

    const PaperMeasure paper;
    const struct {
        const char* name;
        std::function<bool()> make;
    } reports[] = {
        {"sales summary", [&] { return MakeSalesSummary(doc, march1, march31); }},
        {"buyers", [&] { return MakeProductBuyers(doc, "HAM-1", march1, march31); }},
        {"daily income", [&] { return MakeDailyIncome(doc, march1, march31); }},
        {"customer profile",
         [&] {
             return MakeCustomerProfile(doc, {1, 2});
         }},
        {"purchasing", [&] { return MakePurchasingReport(doc, march1, march31); }},
        {"statements",
         [&] {
             return MakeStatementsForCustomers(doc, {1, 2}, paper);
         }},
    };
    for (const auto& report : reports) {
        SCOPED_TRACE(report.name);
        ResetTheReport();
        ASSERT_TRUE(report.make());
        EXPECT_TRUE(Shows(doc, "03/03/2025") || Shows(doc, "05/03/2025"));
        EXPECT_EQ(DateCollisions(doc), std::vector<std::string>());
    }
}

TEST_F(DateColumnsTest, WideningMovesEveryPositionRightOfTheColumnAndKeepsTitlesCentred) {
    doc.RptWidth = 64;
    doc.CellCount = 4;
    doc.StartReport();
    doc.Titles = {"Title"};
    doc.NewLine();
    doc.Cell(0) = "C32Title";
    // Packed lines: positions moved where they are stored, or the line read and packed again
    // where one grows to three digits or is not two plain digits; the style cell never moves.
    doc.NewLine();
    doc.Cell(0) = "IC32pic";
    doc.Cell(1) = "L20   text";
    doc.Cell(2) = "V16";
    doc.Cell(3) = "R40";
    doc.NewLine();
    doc.Cell(0) = "R99";
    doc.Cell(1) = "H18 9";
    doc.Cell(2) = "L 5";
    doc.Cell(3) = "R40";
    doc.NewLine();
    doc.Cell(0) = "V08";
    doc.Cell(1) = "R1701/03/2025";
    doc.Cell(2) = "H1064";
    WidenAt(doc, 17, 2);
    EXPECT_EQ(doc.RptWidth, 66);
    EXPECT_EQ(doc.Lines[0].join('|'), "C33Title|||");
    EXPECT_EQ(doc.Lines[1].join('|'), "IC33pic|L22   text|V16|R40");
    EXPECT_EQ(doc.Lines[2].join('|'), "R101|H20 9|L 5|R40");
    EXPECT_EQ(doc.Lines[3].join('|'), "V08|R1901/03/2025|H1066|");
}

}  // namespace
