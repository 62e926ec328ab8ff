#include <gtest/gtest.h>

#include <QFile>

#include <stdexcept>

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
    EXPECT_EQ(ExportLine(lines[2], ExportFormat::PlainText),
              QString(305, u' ') + QString(2'000'000, u'a') + QString(5, u' '));
}

// Keeps what it is given, as a file written line by line would.
struct RecordingSink : LineSink {
    QList<ReportLine> taken;
    int restarts = 0;
    void Take(const ReportLine& line) override { taken << line; }
    void Restart() override {
        taken.clear();
        ++restarts;
    }
};

TEST(ReportLines, StreamedLinesReachTheSinkInOrderOnlyOnceTheLastTwoCanNoLongerChange) {
    RecordingSink sink;
    ReportLines lines;
    lines.StreamTo(&sink);
    const QList<ReportLine> awkward = Awkward();
    for (const ReportLine& line : awkward) lines.append(line);
    EXPECT_EQ(lines.size(), awkward.size());
    EXPECT_EQ(sink.taken, awkward.mid(0, 2));
    EXPECT_FALSE(lines.IsPacked(0));
    EXPECT_THROW(lines.at(1), std::out_of_range);
    EXPECT_THROW(lines.replace(0, {"L00late", ""}), std::out_of_range);

    // The line before the last and the last are still the generator's: a day's total put on
    // the one before, an underline on the last.
    ReportLine before = lines.at(2);
    before[2] = "R99  total";
    lines.replace(2, before);
    lines.last()[1] = "U";
    lines.EndStream();
    const QList<ReportLine> ends = {before, {"EJECT", "U"}};
    EXPECT_EQ(sink.taken, awkward.mid(0, 2) + ends);
    EXPECT_TRUE(lines.isEmpty());
    EXPECT_EQ(sink.restarts, 0);

    // A document started again after lines went out voids them; one dropped gives nothing more.
    lines.StreamTo(&sink);
    for (const ReportLine& line : awkward) lines.append(line);
    lines.clear();
    EXPECT_EQ(sink.restarts, 1);
    EXPECT_TRUE(sink.taken.isEmpty());
    lines.append(awkward[0]);
    lines.append(awkward[1]);
    lines.DropStream();
    EXPECT_TRUE(sink.taken.isEmpty());
    lines.append(awkward[3]);  // held again as before
    EXPECT_EQ(lines.at(0), awkward[3]);
    EXPECT_THROW(ReportLines(awkward).StreamTo(&sink), std::logic_error);
}

// Keeps only the text of each line, so that the lists given to it are free to be used again.
struct TextSink : LineSink {
    QStringList texts;
    void Take(const ReportLine& line) override { texts << line.join(u'|'); }
    void Restart() override { texts.clear(); }
};

// Empty lines reuse the lists of closed ones, packed or streamed, whether the sink keeps copies
// of the lines it is given or only their text: none may show a cell of a line before it.
TEST(ReportLines, LinesStartedEmptyCarryNothingOfTheLinesBefore) {
    QStringList expected;
    const auto write = [&expected](ReportLines& lines) {
        expected.clear();
        for (int i = 0; i < 7; ++i) {
            const qsizetype cells = i == 5 ? 2 : 4;
            lines.AppendEmpty(cells);
            ReportLine line(cells);
            lines.last()[i % 2] = line[i % 2] = "L0" + QString::number(i);
            expected << line.join(u'|');
        }
    };
    ReportLines packed;
    write(packed);
    QStringList read;
    for (const ReportLine& line : packed) read << line.join(u'|');
    EXPECT_EQ(read, expected);

    TextSink texts;
    ReportLines streamed;
    streamed.StreamTo(&texts);
    write(streamed);
    streamed.EndStream();
    EXPECT_EQ(texts.texts, expected);

    RecordingSink copies;
    streamed.StreamTo(&copies);
    write(streamed);
    streamed.EndStream();
    read.clear();
    for (const ReportLine& line : copies.taken) read << line.join(u'|');
    EXPECT_EQ(read, expected);
}

}  // namespace
