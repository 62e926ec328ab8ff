#include <gtest/gtest.h>

#include <QFile>

#include "report/report_export.h"
#include "report/report_lines.h"
#include "tests/support/temp_data_dir.h"

using namespace reports;

namespace {

// Cells that pack each way: blanks after the code (packed as a count), a run too short to pack,
// text past U+00FF and past U+FFFF, empty and null cells, a cell of blanks only, a column with a
// blank for its tens, and a cell longer than a block of lines.
QList<ReportLine> Awkward() {
    return {
        {"R28    440.18", "L00 x", "", "U"},
        {"C 4Żółw", "R60  😀", QString(), ""},
        {"L05" + QString(300, u' '), "L10" + QString(2'000'000, u'a'), "R99     ", "B"},
        {"EJECT", ""},
    };
}

TEST(ReportLines, EveryLineReadsBackCellForCellWhetherPackedOrOpen) {
    const QList<ReportLine> lines = Awkward();
    const ReportLines packed(lines);
    ASSERT_EQ(packed.size(), lines.size());
    qsizetype i = 0;
    for (const ReportLine& line : packed) EXPECT_EQ(line, lines[i++]);
    EXPECT_EQ(packed.mid(1, 2).at(1), lines[2]);
}

TEST(ReportLines, ReplacedLinesOfAnotherLengthAndTheReopenedLastLineKeepTheirNeighbours) {
    ReportLines packed(Awkward());
    packed.replace(0, {"R28 1.00", "", "", ""});
    for (qsizetype i = 0; i < packed.size(); ++i) {
        ReportLine line = packed.at(i);
        line[0] = line[0].left(3) + "   moved";
        packed.replace(i, line);
    }
    ReportLine& last = packed.last();  // packed since the list was read: opened again
    last[1] = "S";
    packed.append({"L00next", ""});
    EXPECT_EQ(packed.at(0), ReportLine({"R28   moved", "", "", ""}));
    EXPECT_EQ(packed.at(1)[1], "R60  😀");
    EXPECT_EQ(packed.at(2)[1].size(), 2'000'003);
    EXPECT_EQ(packed.at(3), ReportLine({"EJE   moved", "S"}));
    EXPECT_EQ(packed.at(4), ReportLine({"L00next", ""}));
}

// The file is written in pieces of about a megabyte: enough lines follow the awkward ones to
// need several, so that a line at a piece's edge is neither lost nor written twice.
TEST(ReportLines, ExportsOfPackedLinesMatchTheLinesAsLists) {
    ResetTheReport();
    ReportDocument& doc = TheReport();
    QList<ReportLine> lines = Awkward();
    for (int i = 0; i < 60'000; ++i)
        lines.append(
            {"R07" + QString::number(i).rightJustified(6), "R40      " + QString::number(i), ""});
    doc.Lines = lines;
    TempDataDir dir;
    for (const ExportFormat format : {ExportFormat::PlainText, ExportFormat::TabDelimited}) {
        QString expected;
        for (const ReportLine& line : lines) expected += ExportLine(line, format) + u'\n';
        EXPECT_EQ(ExportLines(doc, format).join(u'\n') + u'\n', expected);
        const QString name = QString::fromStdString((dir.path() / "out.txt").string());
        ASSERT_TRUE(SaveReport(doc, name, format).saved);
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromUtf8(file.readAll()), expected);
    }
    EXPECT_EQ(ExportLine(lines[0], ExportFormat::PlainText), QString(22, u' ') + "440.18 x");
    EXPECT_EQ(ExportLine(lines[1], ExportFormat::TabDelimited), "Żółw\t  😀");
}

}  // namespace
