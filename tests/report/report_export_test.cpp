#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <chrono>
#include <csignal>
#include <cstring>
#include <thread>

#include <QDir>
#include <QFile>

#include "report/report_export.h"
#include "tests/support/fifo_reader.h"
#include "tests/support/temp_data_dir.h"

using namespace reports;

namespace {

QString Plain(const QStringList& line) {
    return ExportLine(line, ExportFormat::PlainText);
}
QString Tabbed(const QStringList& line) {
    return ExportLine(line, ExportFormat::TabDelimited);
}

QByteArray ReadAll(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Writes the file a failed save must leave as it was.
void WriteEarlierReport(const QString& name) {
    QFile earlier(name);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    ASSERT_EQ(earlier.write("earlier report\n"), 15);
}

// While it stands, files may grow to 100 bytes only: the write beyond fails as on a full disk,
// with "File too large" for its reason instead of the signal.
class SmallFileLimit {
public:
    SmallFileLimit() {
        getrlimit(RLIMIT_FSIZE, &previous_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = previous_;
        small.rlim_cur = 100;
        set_ = setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~SmallFileLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    bool set() const { return set_; }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
    bool set_ = false;
};

// A two-page report of two columns in a box, with its page lines, headings and a page break.
ReportDocument& SmallReport() {
    ResetTheReport();
    ReportDocument& doc = TheReport();
    doc.RptWidth = 40;
    doc.CellCount = 5;
    doc.StartReport();
    doc.PageLength = 9;
    doc.Titles = {"Test"};
    doc.ColCodes = {"V00", "L02", "R39", "V40"};
    doc.Headings.append({"V00", "L02Name", "R39Amount", "V40", "U"});
    for (const char* name : {"Ann", "Bob"}) {
        doc.CheckPage(doc.PageLine + 1, true);
        doc.NewLine();
        doc.Cell(0) = doc.ColCodes[0];
        doc.Cell(1) = doc.ColCodes[1] + name;
        doc.Cell(2) = doc.ColCodes[2] + "12.50";
        doc.Cell(3) = doc.ColCodes[3];
    }
    return doc;
}

TEST(ReportExport, PlainTextPlacesEachTextAtItsColumn) {
    const QString right = Plain({"R7112.50", ""});
    EXPECT_EQ(right.size(), 71);
    EXPECT_EQ(right, QString(66, u' ') + "12.50");  // ends at character 71

    EXPECT_EQ(Plain({"L05abc", "C20abcd", "R30xy", ""}),
              "     abc" + QString(10, u' ') + "abcd" + QString(6, u' ') + "xy");
    EXPECT_EQ(Plain({"C10abc", ""}), "         abc");  // half of an odd length rounds down
    // A text reaching past the next one's start pushes it along instead of overwriting it.
    EXPECT_EQ(Plain({"L00Long customer name", "L05Next", ""}), "Long customer nameNext");
    EXPECT_EQ(Plain({"R03toolong", ""}), "toolong");
}

TEST(ReportExport, OnlyTextCellsBeforeTheStyleCellAreWritten) {
    const QStringList line = {"V00", "H0040", "IL05logo.bmp", "X10junk", "L02Ann", "L30Style"};
    EXPECT_EQ(Plain(line), "  Ann");
    EXPECT_EQ(Tabbed(line), "Ann");
    EXPECT_EQ(Plain({"EJECT", "", "B"}), "");
}

TEST(ReportExport, TabDelimitedKeepsOnlyTextsSeparatedBySingleTabs) {
    EXPECT_EQ(Tabbed({"V00", "L02Ann", "V20", "R39 12.50", "V40", "U"}), "Ann\t 12.50");
    // An empty text field counts once the line has text.
    EXPECT_EQ(Tabbed({"L00x", "L10", "R30y", ""}), "x\t\ty");
    EXPECT_EQ(Tabbed({"L00", "R30y", ""}), "y");
}

TEST(ReportExport, WholeDocumentWithPageLinesHeadingsAndBreaks) {
    const ReportDocument& doc = SmallReport();
    const QStringList plain = ExportLines(doc, ExportFormat::PlainText);
    ASSERT_EQ(plain.size(), doc.Lines.size());
    EXPECT_TRUE(plain[0].startsWith("Page 1 "));
    EXPECT_EQ(plain[0].size(), 40);  // the date ends at the right edge
    EXPECT_EQ(plain[2], QString(18, u' ') + "Test");
    EXPECT_EQ(plain[7], "  Name" + QString(27, u' ') + "Amount");
    EXPECT_EQ(plain[8], "  Ann" + QString(29, u' ') + "12.50");
    EXPECT_EQ(plain[9], "");  // the page break
    EXPECT_TRUE(plain[10].startsWith("Page 2 "));

    const QStringList tabbed = ExportLines(doc, ExportFormat::TabDelimited);
    EXPECT_TRUE(tabbed[0].startsWith("Page 1\t"));
    EXPECT_EQ(tabbed[7], "Name\tAmount");
    EXPECT_EQ(tabbed.last(), "Bob\t12.50");
}

TEST(ReportExport, FileNamesGetTheFormatsExtension) {
    EXPECT_EQ(ExportFileName("/tmp/sales", ExportFormat::PlainText), "/tmp/sales.txt");
    EXPECT_EQ(ExportFileName("/tmp/sales", ExportFormat::TabDelimited), "/tmp/sales.asc");
    EXPECT_EQ(ExportFileName("/tmp/sales.csv", ExportFormat::TabDelimited), "/tmp/sales.csv");
    // A device or FIFO chosen is written into as it is named, not beside it under a new name.
    EXPECT_EQ(ExportFileName("/dev/null", ExportFormat::PlainText), "/dev/null");
}

TEST(ReportSave, WritesEveryLineAndReplacesAnEarlierFile) {
    TempDataDir dir;
    const ReportDocument& doc = SmallReport();
    const QString name = QDir::current().filePath("report.asc");
    QFile earlier(name);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write(QByteArray(5000, 'x'));
    earlier.close();

    const ExportResult result = SaveReport(doc, name, ExportFormat::TabDelimited);
    EXPECT_TRUE(result.saved);
    EXPECT_TRUE(result.message.isEmpty());
    const QByteArray expected =
        (ExportLines(doc, ExportFormat::TabDelimited).join('\n') + '\n').toUtf8();
    EXPECT_EQ(ReadAll(name), expected);
    EXPECT_EQ(QDir::current().entryList(QDir::Files), QStringList({"report.asc"}));
}

TEST(ReportSave, UnwritableDirectoryLeavesNothingAndSaysSo) {
    const ReportDocument& doc = SmallReport();
    const QString name = "/proc/corvane-report.txt";
    const ExportResult result = SaveReport(doc, name, ExportFormat::PlainText);
    EXPECT_FALSE(result.saved);
    EXPECT_TRUE(result.message.startsWith("Unable to save to: /proc/corvane-report.txt: "))
        << result.message.toStdString();
    EXPECT_FALSE(QFile::exists(name));
}

TEST(ReportSave, MissingDirectoryFails) {
    TempDataDir dir;
    const ExportResult result =
        SaveReport(SmallReport(), "no-such-dir/report.txt", ExportFormat::PlainText);
    EXPECT_FALSE(result.saved);
    EXPECT_EQ(result.message,
              "Unable to save to: no-such-dir/report.txt: No such file or directory");
    EXPECT_TRUE(QDir::current().entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

TEST(ReportSave, FailureAtTheFinalRenameLeavesNoPartialFile) {
    TempDataDir dir;
    // The chosen name is taken by a directory: the text is written but cannot be put in place.
    ASSERT_TRUE(QDir::current().mkdir("taken"));
    const ExportResult result = SaveReport(SmallReport(), "taken", ExportFormat::PlainText);
    EXPECT_FALSE(result.saved);
    EXPECT_EQ(QDir::current().entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList({"taken"}));
    EXPECT_TRUE(QDir("taken").isEmpty());
}

// A write the system refuses part way: the file size limit stands in for a disk that fills up
// (the same failing write, with "File too large" for its reason). The text is smaller than the
// write buffer, so the failure only shows when the buffer goes out.
TEST(ReportSave, AWriteThatFailsLeavesTheEarlierFileWholeAndSaysWhy) {
    TempDataDir dir;
    const QString name = QDir::current().filePath("report.txt");
    WriteEarlierReport(name);
    ExportResult result;
    {
        const SmallFileLimit limit;
        ASSERT_TRUE(limit.set());
        result = SaveReport(SmallReport(), name, ExportFormat::PlainText);
    }

    EXPECT_FALSE(result.saved);
    EXPECT_EQ(result.message.toStdString(),
              ("Unable to save to: " + name + ": File too large").toStdString());
    EXPECT_EQ(ReadAll(name), "earlier report\n");
    EXPECT_EQ(QDir::current().entryList(QDir::Files), QStringList({"report.txt"}));
}

// Lines taken as the generator gives them up make the bytes SaveReport makes of the whole
// document, in both formats at once, across many chunks; each file appears only on Commit.
TEST(StreamedSave, WritesWhatSaveReportWritesAndOnlyOnCommit) {
    TempDataDir dir;
    const ReportDocument& doc = SmallReport();
    QList<ReportLine> lines;
    for (const ReportLine& line : doc.Lines) lines << line;
    for (int i = 0; i < 40'000; ++i)
        lines.append({"V00", "L02Żółw " + QString::number(i), "R39" + QString(30, u' ') + "1.50",
                      "V40", ""});
    ResetTheReport();
    TheReport().Lines = lines;
    QByteArray expected[2];
    int k = 0;
    for (const ExportFormat format : {ExportFormat::PlainText, ExportFormat::TabDelimited}) {
        ASSERT_TRUE(SaveReport(TheReport(), "whole", format).saved);
        expected[k++] = ReadAll("whole");
    }

    StreamedExport stream;
    ASSERT_TRUE(
        stream.Open({{"s.txt", ExportFormat::PlainText}, {"s.asc", ExportFormat::TabDelimited}}));
    for (const ReportLine& line : lines) stream.Take(line);
    EXPECT_FALSE(QFile::exists("s.txt"));
    const std::vector<ExportResult> results = stream.Commit();
    ASSERT_EQ(results.size(), 2u);
    EXPECT_TRUE(results[0].saved && results[1].saved);
    EXPECT_EQ(ReadAll("s.txt"), expected[0]);
    EXPECT_EQ(ReadAll("s.asc"), expected[1]);
}

TEST(StreamedSave, ARestartVoidsTheLinesGivenAndARunNotCommittedLeavesTheEarlierFile) {
    TempDataDir dir;
    {
        StreamedExport stream;
        ASSERT_TRUE(stream.Open({{"s.txt", ExportFormat::PlainText}}));
        stream.Take({"L00first", ""});
        stream.Restart();
        stream.Take({"L00second", ""});
        EXPECT_TRUE(stream.Commit().at(0).saved);
    }
    EXPECT_EQ(ReadAll("s.txt"), "second\n");
    {
        StreamedExport stream;
        ASSERT_TRUE(stream.Open({{"s.txt", ExportFormat::PlainText}}));
        stream.Take({"L00third", ""});
    }
    EXPECT_EQ(ReadAll("s.txt"), "second\n");
    EXPECT_EQ(QDir::current().entryList(QDir::Files), QStringList({"s.txt"}));

    // What cannot be streamed into is left to SaveReport: the standard output, a missing folder.
    EXPECT_FALSE(StreamedExport::Streams("-"));
    StreamedExport stream;
    EXPECT_FALSE(stream.Open(
        {{"s.txt", ExportFormat::PlainText}, {"no-such-dir/s.asc", ExportFormat::TabDelimited}}));
    EXPECT_TRUE(stream.Commit().empty());
}

// A write refused part way (the file size limit standing in for a full disk) is told by Commit
// with the system's reason, and the earlier file stays whole.
TEST(StreamedSave, AWriteThatFailsIsToldAndLeavesTheEarlierFile) {
    TempDataDir dir;
    WriteEarlierReport("s.txt");
    StreamedExport stream;
    ASSERT_TRUE(stream.Open({{"s.txt", ExportFormat::PlainText}}));
    std::vector<ExportResult> results;
    {
        const SmallFileLimit limit;
        ASSERT_TRUE(limit.set());
        for (int i = 0; i < 20; ++i) stream.Take({"L00a line of the report", ""});
        results = stream.Commit();
    }

    ASSERT_EQ(results.size(), 1u);
    EXPECT_FALSE(results[0].saved);
    EXPECT_EQ(results[0].message.toStdString(), "Unable to save to: s.txt: File too large");
    EXPECT_EQ(ReadAll("s.txt"), "earlier report\n");
    EXPECT_EQ(QDir::current().entryList(QDir::Files), QStringList({"s.txt"}));
}

// A FIFO, a socket and a character device named as the output get the text written into them
// and stay what they are; a regular file would be put in their place.
TEST(ReportSave, ADeviceFifoOrSocketIsWrittenIntoAndStaysWhatItIs) {
    TempDataDir dir;
    const ReportDocument& doc = SmallReport();
    const std::string expected =
        (ExportLines(doc, ExportFormat::PlainText).join('\n') + '\n').toStdString();

    FifoReader fifo("report.fifo");
    ASSERT_TRUE(fifo.ok());
    ExportResult result = SaveReport(doc, "report.fifo", ExportFormat::PlainText);
    EXPECT_TRUE(result.saved) << result.message.toStdString();
    EXPECT_EQ(fifo.received(), expected);
    EXPECT_EQ(FileKind("report.fifo"), 'p');

    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, "report.sock");
    ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    std::string received;
    std::thread server([&] {
        pollfd waiting{listener, POLLIN, 0};
        if (::poll(&waiting, 1, 10000) != 1) return;  // nobody came
        const int peer = ::accept(listener, nullptr, nullptr);
        char buffer[4096];
        for (ssize_t n; (n = ::read(peer, buffer, sizeof buffer)) > 0;)
            received.append(buffer, static_cast<size_t>(n));
        ::close(peer);
    });
    result = SaveReport(doc, "report.sock", ExportFormat::TabDelimited);
    server.join();
    ::close(listener);
    EXPECT_TRUE(result.saved) << result.message.toStdString();
    EXPECT_EQ(received,
              (ExportLines(doc, ExportFormat::TabDelimited).join('\n') + '\n').toStdString());
    EXPECT_EQ(FileKind("report.sock"), 's');

    if (MakeNullDevice("report.null")) {
        result = SaveReport(doc, "report.null", ExportFormat::PlainText);
        EXPECT_TRUE(result.saved) << result.message.toStdString();
        EXPECT_EQ(FileKind("report.null"), 'c');
    }
    // Nothing was left beside them.
    QStringList left =
        QDir::current().entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    left.removeOne("report.null");
    EXPECT_EQ(left, QStringList({"report.fifo", "report.sock"}));
}

// A FIFO whose reader goes away before it has read everything: the save fails with the system's
// reason, and the program goes on.
TEST(ReportSave, AFifoWhoseReaderGoesAwayIsAFailureToldNotTheEndOfTheProgram) {
    TempDataDir dir;
    ASSERT_EQ(::mkfifo("report.fifo", 0600), 0);
    const int reader = ::open("report.fifo", O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    // More than the pipe holds, so that the writer is still writing when the reader closes.
    std::thread leaving([reader] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ::close(reader);
    });
    const ExportResult result = WriteExportFile("report.fifo", QByteArray(1 << 20, 'x'));
    leaving.join();
    EXPECT_FALSE(result.saved);
    EXPECT_EQ(result.message, "Unable to save to: report.fifo: Broken pipe");
    EXPECT_EQ(FileKind("report.fifo"), 'p');
}

}  // namespace
