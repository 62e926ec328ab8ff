// Drawing plans carried out with a painter, and the printed font fitted to the paper.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>

#include "report/report_painter.h"
#include "tests/support/temp_data_dir.h"

using namespace reports;

namespace {

// A document with pages of the given numbers of lines.
ReportDocument Pages(const QList<int>& lineCounts, int width = 40) {
    ReportDocument doc;
    doc.RptWidth = width;
    doc.CellCount = 2;
    for (int count : lineCounts) {
        if (!doc.Lines.isEmpty()) doc.Lines.append(ReportLine{"EJECT", ""});
        for (int i = 0; i < count; ++i) doc.Lines.append(ReportLine{"L00line", ""});
    }
    return doc;
}

QRect InkBox(const QImage& image, QRgb ink) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == ink) box |= QRect(x, y, 1, 1);
    return box;
}

TEST(PrintFont, APageTooLongForThePaperGetsASmallerFont) {
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    QPdfWriter writer(&pdf);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                     QMarginsF(0.5, 0.5, 0.5, 0.5), QPageLayout::Inch));
    QFont font = QGuiApplication::font();
    font.setPointSize(30);
    const ReportDocument doc = Pages({10, 60, 5});
    EXPECT_EQ(LongestPageLines(doc), 60);

    const QFont fitted = PrintFont(doc, writer, font);
    ASSERT_LT(fitted.pointSize(), 30);
    const auto height = [&](int points) {
        QFont f = font;
        f.setPointSize(points);
        return QFontMetrics(f, &writer).height();
    };
    EXPECT_LE(63 * height(fitted.pointSize()), writer.height());
    EXPECT_GT(63 * height(fitted.pointSize() + 1), writer.height());

    font.setPointSize(12);
    EXPECT_EQ(PrintFont(Pages({40}), writer, font).pointSize(), 12);
}

TEST(DrawPlan, TextHangsFromItsTopAndPicturesStretchIntoTheirRectangle) {
    TempDataDir dir;
    QImage tiny(2, 2, QImage::Format_RGB32);
    tiny.fill(Qt::red);
    ASSERT_TRUE(tiny.save("tiny.png"));

    QImage canvas(200, 100, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QFont font = QGuiApplication::font();
    font.setPointSize(12);
    {
        QPainter painter(&canvas);
        DrawPlan(painter,
                 {TextOp{10, 20, "Hg", false}, PictureOp{"tiny.png", QRect(120, 10, 40, 30)},
                  PictureOp{"missing.png", QRect(0, 0, 200, 100)}, RuleOp{0, 90, 199, 90, false}},
                 font, 1);
    }
    EXPECT_EQ(InkBox(canvas, qRgb(255, 0, 0)), QRect(120, 10, 40, 30));
    const QRect text = InkBox(canvas.copy(0, 0, 100, 80), qRgb(0, 0, 0));
    ASSERT_TRUE(text.isValid());
    EXPECT_GE(text.top(), 20);
    EXPECT_LT(text.bottom(), 20 + QFontMetrics(font).height());
    EXPECT_EQ(InkBox(canvas.copy(0, 85, 200, 15), qRgb(0, 0, 0)), QRect(0, 5, 200, 1));
}

}  // namespace
