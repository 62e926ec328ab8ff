#include <gtest/gtest.h>

#include "report/draw_plan.h"
#include "report/layout_code.h"

using namespace reports;

namespace {

// Ten pixels per character, eleven in bold.
int Width(const QString& text, bool bold) {
    return text.size() * (bold ? 11 : 10);
}

ReportDocument Document(const QList<QStringList>& lines) {
    ReportDocument doc;
    doc.RptWidth = 71;
    doc.CellCount = 3;
    doc.Lines = lines;
    return doc;
}

template <typename Op>
std::vector<Op> OpsOf(const DrawList& list) {
    std::vector<Op> out;
    for (const DrawOp& op : list)
        if (const Op* found = std::get_if<Op>(&op)) out.push_back(*found);
    return out;
}

// Page 800 wide, 10-pixel characters: the report's left edge is at 45, top margin 60.
const PrinterGeometry kPrinter = ComputePrinterGeometry(800, 10, 20, 100, 100, 71);

TEST(PrintPlan, EjectStartsANewPageWhoseFirstLineIsAtTheTopMargin) {
    const auto pages = PlanPrint(Document({{"L00Page 1", "R71today", ""},
                                           {"C35Title", "", "B"},
                                           {"L00last", "", "U"},
                                           {"EJECT", "", ""},
                                           {"L00Page 2", "", ""}}),
                                 kPrinter, Width);
    ASSERT_EQ(pages.size(), 2u);
    const auto first = OpsOf<TextOp>(pages[0]);
    ASSERT_EQ(first.size(), 4u);
    EXPECT_EQ(first[0].x, 45);
    EXPECT_EQ(first[0].y, 60);
    EXPECT_EQ(first[1].x, 45 + 710 - 50);  // right edge of "today" on column 71
    EXPECT_EQ(first[2].x, 45 + 350 - 27);  // bold title centred on column 35
    EXPECT_TRUE(first[2].bold);
    EXPECT_EQ(first[2].y, 80);
    EXPECT_FALSE(first[3].bold);

    const auto rules = OpsOf<RuleOp>(pages[0]);
    ASSERT_EQ(rules.size(), 1u);  // the underline under "last"
    EXPECT_EQ(rules[0].y1, 120);
    EXPECT_EQ(rules[0].y2, 120);
    EXPECT_EQ(rules[0].x1, 45);
    EXPECT_EQ(rules[0].x2, 755);

    const auto second = OpsOf<TextOp>(pages[1]);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].text, "Page 2");
    EXPECT_EQ(second[0].y, 60);
}

TEST(PrintPlan, RulesAndStretchedPictures) {
    const auto pages =
        PlanPrint(Document({{"V08", "H2059", ""},
                            {PictureCode(u'C', 35, "logo.bmp"), "", PictureStyle(1.5, 2.0)},
                            {PictureCode(u'R', 71, "nosize.bmp"), "", "B"}}),
                  kPrinter, Width);
    ASSERT_EQ(pages.size(), 1u);
    const auto rules = OpsOf<RuleOp>(pages[0]);
    ASSERT_EQ(rules.size(), 2u);
    EXPECT_EQ(rules[0].x1, 125);
    EXPECT_EQ(rules[0].x2, 125);
    EXPECT_EQ(rules[0].y1, 60);
    EXPECT_EQ(rules[0].y2, 80);
    EXPECT_EQ(rules[1].x1, 245);
    EXPECT_EQ(rules[1].x2, 635);
    EXPECT_EQ(rules[1].y1, 60);

    const auto pictures = OpsOf<PictureOp>(pages[0]);
    ASSERT_EQ(pictures.size(), 1u);  // the picture without a size is left out
    EXPECT_EQ(pictures[0].fileName, "logo.bmp");
    EXPECT_EQ(pictures[0].target, QRect(395 - 100, 80, 200, 150));
}

TEST(ScreenPlan, DrawsOnlyTheVisibleWindowFromTheTopLine) {
    QList<QStringList> lines;
    for (int i = 0; i < 10; ++i) lines.append({"L00line " + QString::number(i), "", ""});
    lines[3] = {"EJECT", "", ""};
    const ScreenGeometry g = ComputeScreenGeometry(816, 47, 16, 0, 10, 15, 71);
    ASSERT_EQ(g.visibleLines, 3);
    const auto noPictures = [](const QString&) { return std::optional<QSize>(); };

    const DrawList ops = PlanScreen(Document(lines), g, 2, Width, noPictures);
    const auto texts = OpsOf<TextOp>(ops);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "line 2");
    EXPECT_EQ(texts[0].y, 0);
    EXPECT_EQ(texts[1].text, "line 4");
    EXPECT_EQ(texts[1].y, 30);
    const auto rules = OpsOf<RuleOp>(ops);
    ASSERT_EQ(rules.size(), 1u);  // the page break, dotted across the usable width
    EXPECT_TRUE(rules[0].dotted);
    EXPECT_EQ(rules[0].y1, 15 + 7);
    EXPECT_EQ(rules[0].x1, 0);
    EXPECT_EQ(rules[0].x2, 800);

    EXPECT_EQ(OpsOf<TextOp>(PlanScreen(Document(lines), g, 8, Width, noPictures)).size(), 2u);
}

TEST(ScreenPlan, PicturesAtNaturalSizeAndUnreadableOnesSkipped) {
    const auto sizes = [](const QString& name) {
        return name == "logo.bmp" ? std::optional<QSize>(QSize(120, 60)) : std::nullopt;
    };
    const ScreenGeometry g = ComputeScreenGeometry(816, 600, 16, 0, 10, 15, 71);
    const DrawList ops = PlanScreen(
        Document({{PictureCode(u'R', 71, "logo.bmp"), PictureCode(u'L', 0, "missing.bmp"), ""}}), g,
        0, Width, sizes);
    const auto pictures = OpsOf<PictureOp>(ops);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].target, QRect(g.grid.ColumnX(71) - 120, 0, 120, 60));

    // With the screen's resolution known, a picture sized by its line takes that size in inches.
    ScreenGeometry inches = g;
    inches.dpiX = inches.dpiY = 96;
    const DrawList sized = PlanScreen(
        Document({{PictureCode(u'C', 35, "logo.bmp"), "", PictureStyle(0.75, 1.5)},
                  {PictureCode(u'C', 35, "missing.bmp"), "", PictureStyle(0.75, 1.5)}}),
        inches, 0, Width, sizes);
    const auto logos = OpsOf<PictureOp>(sized);
    ASSERT_EQ(logos.size(), 1u);
    EXPECT_EQ(logos[0].target, QRect(g.grid.ColumnX(35) - 72, 0, 144, 72));
}

}  // namespace
