// The label run with no printer: the layout arithmetic on given paper, and where a run puts its
// labels, through a device that records what would be drawn.
#include <gtest/gtest.h>

#include "labels/label_layout.h"
#include "labels/label_run.h"

namespace {

using labels::AddressBlock;

using labels::PageFacts;
using labels::Point;

// Letter paper at 72 dots an inch with no unprintable strips: pixels are points.
PageFacts PlainLetter() {
    return {72, 72, 612, 792, 0, 0, 612, 792};
}

// Three across, ten rows of 72 points with 0 gap between margins of 36.
LabelRecord ThreeAcross(bool continuous = false) {
    LabelRecord s;
    s.Name = "Avery-ish 3x10   ";
    s.TopM = 36;
    s.BottomM = 36;
    s.LeftM = 18;
    s.Width = 180;
    s.Height = 72;
    s.HGap = 9;
    s.VGap = 0;
    s.NAcross = 3;
    s.Continuous = continuous;
    return s;
}

struct Drawn {
    int page;
    int x;
    int y;
    QString text;
};

// A device that records the job: the texts drawn with their page, and the font size begun with.
// Its font is 10 points; "Abcde" is 3 pixels a point wide and a line 1.2 pixels a point high.
class RecordingDevice : public labels::LabelDevice {
public:
    explicit RecordingDevice(PageFacts facts = PlainLetter()) : facts_(facts) {}
    PageFacts Facts() override { return facts_; }
    int FontSize() override { return 10; }
    labels::TextMeasure Measure(int size) override { return {3 * size, size * 12 / 10}; }
    bool Begin(int size) override {
        beganAt = size;
        page = 1;
        return true;
    }
    bool NewPage() override {
        ++page;
        return true;
    }
    void Text(int x, int y, const QString& text) override { drawn.push_back({page, x, y, text}); }
    bool End() override {
        ended = true;
        return true;
    }
    QString FailureMessage() override { return "device failed"; }

    // The first line of each label drawn: where its text began, the inset inside its corner.
    std::vector<Drawn> FirstLines() const {
        std::vector<Drawn> firsts;
        for (const Drawn& d : drawn)
            if (d.text.startsWith("Name")) firsts.push_back(d);
        return firsts;
    }

    int beganAt = 0;
    int page = 0;
    bool ended = false;
    std::vector<Drawn> drawn;

private:
    PageFacts facts_;
};

std::vector<AddressBlock> Labels(int count) {
    std::vector<AddressBlock> labels;
    for (int i = 1; i <= count; ++i)
        labels.push_back({"Name " + QString::number(i), "1 Main St", "", "Town  12345", ""});
    return labels;
}

TEST(LabelLayout, MarginsMoveIntoThePrintableAreaAndRowsCountTheLastWithoutItsGap) {
    // 300 dpi, a quarter inch unprintable all round: 75 pixels.
    const PageFacts page{300, 300, 2550, 3300, 75, 75, 2400, 3150};
    LabelRecord s = ThreeAcross();
    s.TopM = 36;     // 150 px, 75 inside the printable area
    s.LeftM = 9;     // 37 px, inside the strip: 0
    s.BottomM = 10;  // 41 px, inside the strip: 0
    s.Height = 71.9;
    s.VGap = 12;
    const labels::LabelLayout l = labels::ComputeLayout(s, page);
    EXPECT_EQ(l.top, 75);
    EXPECT_EQ(l.left, 0);
    EXPECT_EQ(l.bottom, 0);
    EXPECT_EQ(l.height, 299);  // 300 x 71.9 / 72, truncated
    EXPECT_EQ(l.vGap, 50);
    // 3075 usable: 8 rows of 349 take 2792, and 283 are left, less than a label: 8 rows.
    EXPECT_EQ(l.rowsPerPage, 8);
    // A label of 282 fits the rest without its gap: one row more.
    s.Height = 67.8;  // 282.5 px
    s.VGap = 16.1;    // 67 px: pitch 349 again
    EXPECT_EQ(labels::ComputeLayout(s, page).rowsPerPage, 9);
}

TEST(LabelLayout, TheFontShrinksUntilFiveWordsAndFiveLinesFitButNotBelowTheSmallest) {
    const auto measure = [](int size) { return labels::TextMeasure{3 * size, 2 * size}; };
    EXPECT_EQ(labels::FitLabelFont(10, 4, 180, 200, measure), 10);  // 150 wide, 100 high: fits
    EXPECT_EQ(labels::FitLabelFont(10, 4, 120, 200, measure), 8);   // 5 x 24 = 120
    EXPECT_EQ(labels::FitLabelFont(10, 4, 180, 60, measure), 6);    // 5 x 12 = 60
    // A label too small for any size stops at the smallest size.
    EXPECT_EQ(labels::FitLabelFont(10, 4, 0, 0, measure), 4);
}

TEST(LabelLayout, AStockThePaperCannotTakeIsRefusedByName) {
    const labels::TextMeasure smallest{12, 5};
    EXPECT_EQ(labels::StockProblem(ThreeAcross(), PlainLetter(), smallest), QString());

    LabelRecord wide = ThreeAcross();
    wide.Width = 200;  // 18 + 3 x 200 + 2 x 9 = 636 > 612
    EXPECT_EQ(labels::StockProblem(wide, PlainLetter(), smallest),
              "Label Stock \"Avery-ish 3x10\" cannot be printed: its labels are wider than the "
              "paper.");
    LabelRecord none = ThreeAcross();
    none.NAcross = 0;
    EXPECT_TRUE(labels::StockProblem(none, PlainLetter(), smallest).contains("no labels across"));
    LabelRecord tall = ThreeAcross();
    tall.Height = 800;
    EXPECT_TRUE(labels::StockProblem(tall, PlainLetter(), smallest).contains("fit down"));
    LabelRecord tiny = ThreeAcross();
    tiny.Height = 4;  // under one line of the smallest font
    EXPECT_TRUE(labels::StockProblem(tiny, PlainLetter(), smallest).contains("too small"));
    LabelRecord zero = ThreeAcross();
    zero.Width = 0;
    zero.Height = 0;
    EXPECT_FALSE(labels::StockProblem(zero, PlainLetter(), smallest).isEmpty());
}

TEST(LabelRun, StartingAtTheLastColumnPutsTheNextLabelAtTheStartOfTheNextRow) {
    RecordingDevice device;
    const labels::RunResult r = labels::PrintLabelRun(ThreeAcross(), 3, 1, Labels(2), device);
    ASSERT_TRUE(r.ok);
    const auto firsts = device.FirstLines();
    ASSERT_EQ(firsts.size(), 2u);
    // Column 3: 18 + 2 x (180 + 9); row 1 at the top margin; the text 4 points inside.
    EXPECT_EQ(Point({firsts[0].x, firsts[0].y}), Point({400, 40}));
    EXPECT_EQ(Point({firsts[1].x, firsts[1].y}), Point({22, 112}));
    EXPECT_TRUE(device.ended);
    EXPECT_EQ(r.pages, 1);
}

TEST(LabelRun, SevenLabelsOnThreeAcrossFillTwoRowsAndStartAThirdInColumnOne) {
    RecordingDevice device;
    ASSERT_TRUE(labels::PrintLabelRun(ThreeAcross(), 1, 1, Labels(7), device).ok);
    std::vector<Point> corners;
    for (const Drawn& d : device.FirstLines()) corners.push_back({d.x, d.y});
    EXPECT_EQ(corners,
              std::vector<Point>(
                  {{22, 40}, {211, 40}, {400, 40}, {22, 112}, {211, 112}, {400, 112}, {22, 184}}));
    // The lines of a label go down by the line height of the fitted font (10 points: 12 px);
    // empty lines are not drawn.
    std::vector<int> label7;
    for (const Drawn& d : device.drawn)
        if (d.x == 22 && d.y >= 184) label7.push_back(d.y);
    EXPECT_EQ(label7, std::vector<int>({184, 196, 220}));
    EXPECT_EQ(device.beganAt, 10);
}

TEST(LabelRun, RowsBeyondThePageStartANewPageAndContinuousStockLosesNoLabel) {
    // Ten rows a page: (792 - 72) / 72.
    {
        RecordingDevice device;
        const labels::RunResult r = labels::PrintLabelRun(ThreeAcross(), 1, 5, Labels(1), device);
        ASSERT_EQ(device.FirstLines().size(), 1u);
        EXPECT_EQ(device.FirstLines()[0].y, 40 + 4 * 72);  // the fifth row position
        EXPECT_EQ(r.pages, 1);
    }
    {
        // Row 12 of a ten-row sheet: the first page stays empty, the labels begin at row 1 of
        // the second.
        RecordingDevice device;
        const labels::RunResult r = labels::PrintLabelRun(ThreeAcross(), 1, 12, Labels(4), device);
        EXPECT_EQ(r.pages, 2);
        const auto firsts = device.FirstLines();
        ASSERT_EQ(firsts.size(), 4u);
        EXPECT_EQ(firsts[0].page, 2);
        EXPECT_EQ(firsts[0].y, 40);
        EXPECT_EQ(firsts[3].y, 112);
    }
    {
        // 33 labels from row 1: 11 rows, the eleventh on a new page.
        RecordingDevice device;
        const labels::RunResult r = labels::PrintLabelRun(ThreeAcross(), 1, 1, Labels(33), device);
        EXPECT_EQ(r.pages, 2);
        EXPECT_EQ(device.FirstLines().back().page, 2);
        EXPECT_EQ(device.FirstLines().back().y, 40);
    }
    {
        // Continuous stock has no bottom margin: with one of 108 points a sheet takes 9 rows,
        // the roll 10, the rows going on down; the eleventh, which would leave the paper,
        // goes on at the top of a new page, and every label is drawn on the paper.
        LabelRecord roll = ThreeAcross(true);
        roll.BottomM = 108;
        RecordingDevice device;
        const labels::RunResult r = labels::PrintLabelRun(roll, 1, 1, Labels(33), device);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.pages, 2);
        const auto firsts = device.FirstLines();
        ASSERT_EQ(firsts.size(), 33u);
        EXPECT_EQ(firsts[29].page, 1);
        EXPECT_EQ(firsts[29].y, 40 + 9 * 72);
        EXPECT_EQ(firsts[30].page, 2);
        EXPECT_EQ(firsts[30].y, 40);
        for (const Drawn& d : device.drawn) EXPECT_LT(d.y + 12, 792) << d.text.toStdString();
    }
}

TEST(LabelRun, ARefusedStockOrNoLabelsStartsNoJob) {
    {
        RecordingDevice device;
        const labels::RunResult r = labels::PrintLabelRun(ThreeAcross(), 1, 1, {}, device);
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(r.pages, 0);
        EXPECT_EQ(device.beganAt, 0);
        EXPECT_FALSE(device.ended);
    }
    {
        LabelRecord tiny = ThreeAcross();
        tiny.Height = 3;  // smaller than a line at 4 points (4 px)
        RecordingDevice device;
        const labels::RunResult r = labels::PrintLabelRun(tiny, 1, 1, Labels(3), device);
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.message.contains("\"Avery-ish 3x10\""));
        EXPECT_EQ(device.beganAt, 0);
        EXPECT_TRUE(device.drawn.empty());
    }
    {
        // Small but printable: the font stops at the smallest size.
        LabelRecord small = ThreeAcross();
        small.Width = 60;
        small.Height = 10;
        RecordingDevice device;
        ASSERT_TRUE(labels::PrintLabelRun(small, 1, 1, Labels(1), device).ok);
        EXPECT_EQ(device.beganAt, labels::kSmallestLabelFont);
    }
}

}  // namespace
