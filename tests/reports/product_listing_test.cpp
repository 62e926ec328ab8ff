// The product listing over hand-made products (exact lines) and over generated data.
#include <gtest/gtest.h>

#include "db/generator.h"
#include "reports/product_listing.h"
#include "tests/reports/report_data_fixture.h"

using namespace reports;

namespace {

QString Line(const ReportDocument& doc, int i) {
    return doc.Lines.at(i).join('|');
}

class ProductListingTest : public ReportDataTest {};

TEST_F(ProductListingTest, ProductsInCodeOrderWithCommentsOnTheirOwnLine) {
    AddProduct("ZETA-9", "Zeta widget", 5, 2);
    AddProduct("alpha-1", "Alpha gadget", 12.5, 10, "Fragile");
    AddProduct("Beta-2", "Beta thing", 1234.5);

    ReportDocument& doc = TheReport();
    ASSERT_TRUE(MakeProductListing(doc));
    ASSERT_EQ(doc.Lines.size(), 12);
    EXPECT_EQ(doc.RptWidth, 64);
    EXPECT_EQ(Line(doc, 0),
              "L00Page 1|R64" + DateToReportText(DateValue(QDate::currentDate())) + "|||");
    EXPECT_EQ(Line(doc, 2), "C32Product Listing||||B");
    EXPECT_EQ(Line(doc, 6), "||||U");
    EXPECT_EQ(Line(doc, 7), "L00Product|L12Description|R51Unit Price|R64Reorder|U");
    EXPECT_EQ(Line(doc, 8), "L00alpha-1|L12Alpha gadget|R51       12.50|R64       10.00|");
    EXPECT_EQ(Line(doc, 9), "|L12Fragile|||");
    EXPECT_EQ(Line(doc, 10), "L00Beta-2|L12Beta thing|R51     1234.50|R64        0.00|");
    EXPECT_EQ(Line(doc, 11), "L00ZETA-9|L12Zeta widget|R51        5.00|R64        2.00|U");

    EXPECT_EQ(progress_, QStringList({"show Processing Product Listing", "hide"}));
    EXPECT_EQ(percents_, QList<int>({33, 66, 100}));
    EXPECT_EQ(ProdTbl, nullptr);
    EXPECT_EQ(endCalls_, 0);
}

TEST_F(ProductListingTest, DeletedProductsAndAnEmptyTableListNothing) {
    ReportDocument& doc = TheReport();
    EXPECT_FALSE(MakeProductListing(doc));
    EXPECT_EQ(doc.CurLine, -1);
    EXPECT_EQ(progress_, QStringList({"show Processing Product Listing", "hide"}));

    AddProduct("GONE", "Deleted before packing", 1);
    AddProduct("KEPT", "Still sold", 2);
    MarkDeleted(OpenProducts, &ProdTbl, "GONE");
    ASSERT_TRUE(MakeProductListing(doc));
    ASSERT_EQ(doc.Lines.size(), 9);
    EXPECT_TRUE(doc.Lines[8][0] == "L00KEPT");
}

TEST_F(ProductListingTest, AProductAndItsCommentStayOnOnePage) {
    PageLength(11);  // eight header lines leave room for three lines
    for (int i = 1; i <= 6; ++i)
        AddProduct(QString("P%1").arg(i), "Item", i, 0, i % 2 ? "Comment" : "");

    ReportDocument& doc = TheReport();
    ASSERT_TRUE(MakeProductListing(doc));
    QList<QStringList> pages = {{}};
    for (const ReportLine& line : doc.Lines) {
        if (line[0] == "EJECT")
            pages.append(QStringList());
        else
            pages.last() << line.join('|');
    }
    ASSERT_EQ(pages.size(), 3);
    for (const QStringList& page : pages) {
        EXPECT_LE(page.size(), 11);
        EXPECT_TRUE(page[8].startsWith("L00P")) << page[8].toStdString();  // never a comment
    }
    EXPECT_EQ(pages[0].mid(8),
              QStringList({"L00P1|L12Item|R51        1.00|R64        0.00|", "|L12Comment|||",
                           "L00P2|L12Item|R51        2.00|R64        0.00|U"}));
}

TEST_F(ProductListingTest, GeneratedDataListsEveryProductOnceWithinThePageLength) {
    PageLength(20);
    GeneratorCounts counts;
    QString error;
    ASSERT_TRUE(GenerateData({40, 200, 5}, &counts, &error)) << error.toStdString();

    ReportDocument& doc = TheReport();
    ASSERT_TRUE(MakeProductListing(doc));
    int products = 0;
    int pageLines = 0;
    QString previous;
    for (const ReportLine& line : doc.Lines) {
        pageLines = line[0] == "EJECT" ? 0 : pageLines + 1;
        EXPECT_LE(pageLines, doc.PageLength);
        if (line[0] != "L00Product" && line[2].startsWith("R51")) {
            const QString code = line[0].mid(3).toUpper();
            EXPECT_LT(previous, code);
            previous = code;
            ++products;
        }
    }
    EXPECT_EQ(products, counts.products);
    EXPECT_GT(doc.PageNo, 1);
    EXPECT_EQ(percents_.last(), 100);
}

}  // namespace
