// The report window offscreen: what it shows and how it scrolls, the screen font, and its three
// outputs (plain text, tab-delimited text, and print, which goes to a PDF file without a printer).
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "db/program_state.h"
#include "report/print_target.h"
#include "report/report_export.h"
#include "report/report_form.h"
#include "reports/invoice_documents.h"
#include "tests/reports/modal_of.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/temp_data_dir.h"

using namespace reports;
using prompt::Kind;

namespace {

class ReportFormTest : public ::testing::Test {
protected:
    ReportFormTest() {
        ResetProgramState();
        ResetTheReport();
        previousProbe_ = SetPrinterPageProbe({});
        pdfPrinter_.setOutputFormat(QPrinter::PdfFormat);
        UseReportOutput(nullptr, &pdfPrinter_);  // no printer installed
    }
    ~ReportFormTest() override {
        UseReportOutput(nullptr, nullptr);
        SetPrinterPageProbe(previousProbe_);
        ResetProgramState();
    }

    // A report of `rows` detail lines in pages of `pageLength` lines.
    static ReportDocument& Report(int rows, int pageLength = 60, int width = 60) {
        ReportDocument& doc = TheReport();
        doc.RptWidth = width;
        doc.CellCount = 4;
        doc.StartReport();
        doc.PageLength = pageLength;
        doc.Titles = {"Monthly Stock Report"};
        doc.ColCodes = {"L00", "L20", "R" + QString::number(width)};
        doc.Headings = {{"", "", "", "U"}, {"L00Code", "L20Name", doc.ColCodes[2] + "Amount", "U"}};
        for (int i = 1; i <= rows; ++i) {
            doc.CheckPage(doc.PageLine + 1, true);
            doc.NewLine();
            doc.Cell(0) = "L00C" + QString::number(i);
            doc.Cell(1) = "L20Name" + QString::number(i);
            doc.Cell(2) = doc.ColCodes[2] + QString::number(i * 12.5, 'f', 2);
        }
        doc.Style() = "U";
        return doc;
    }

    // Shows the document in the report window and runs `check` on it, then closes it.
    static void Preview(const ReportDocument& doc, std::function<void(TReportF*)> check) {
        bool checked = false;
        onModalOf<TReportF>([&](TReportF* form) {
            QTest::qWait(50);  // let the window take its maximized size
            check(form);
            checked = true;
            form->findChild<QAction*>("mExit")->trigger();
        });
        ShowReport(doc, nullptr);
        EXPECT_TRUE(checked);
    }

    // Dark pixels in the band of screen lines first .. first+count-1 of the window's page.
    static int InkInLines(TReportF* form, int first, int count) {
        const QImage image = form->findChild<QWidget*>("Page")->grab().toImage();
        const int height = form->Geometry().lineHeight;
        int ink = 0;
        for (int y = first * height; y < (first + count) * height && y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) < 128) ++ink;
        return ink;
    }

    TempDataDir dir_;
    QPrinter pdfPrinter_;

private:
    PrinterPageProbe previousProbe_;
};

QByteArray Contents(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QString Expected(const ReportDocument& doc, ExportFormat format) {
    return ExportLines(doc, format).join('\n') + '\n';
}

// The words of each page of a PDF file as pdftotext lays them out.
QList<QStringList> PdfPageWords(const QString& fileName) {
    QProcess process;
    process.start("pdftotext", {"-layout", fileName, "-"});
    if (!process.waitForFinished(30000) || process.exitCode() != 0) return {};
    QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split('\f');
    if (pages.last().trimmed().isEmpty()) pages.removeLast();
    QList<QStringList> words;
    for (const QString& page : pages)
        words << page.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
    return words;
}

// The words of each page of the document, page breaks taken out.
QList<QStringList> DocumentPageWords(const ReportDocument& doc) {
    QList<QStringList> pages = {{}};
    for (const ReportLine& line : doc.Lines) {
        if (line[0] == "EJECT")
            pages.append(QStringList());
        else
            pages.last() << ExportLine(line, ExportFormat::PlainText)
                                .split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
    }
    return pages;
}

TEST_F(ReportFormTest, AShortReportIsDrawnLineByLineWithoutAScrollBar) {
    const ReportDocument& doc = Report(3);
    Preview(doc, [&](TReportF* form) {
        EXPECT_EQ(form->windowTitle(), "Report");
        EXPECT_TRUE(form->windowState() & Qt::WindowMaximized);
        const auto* scroll = form->findChild<QScrollBar*>("ScrollBar1");
        EXPECT_FALSE(scroll->isEnabled());
        EXPECT_GT(form->Geometry().visibleLines, doc.Lines.size());
        // Page line, blank, title, blank, "L00" (blank), blank, rule row, headings, 3 rows.
        EXPECT_GT(InkInLines(form, 0, 1), 0);
        EXPECT_EQ(InkInLines(form, 1, 1), 0);
        EXPECT_GT(InkInLines(form, 2, 1), 0);
        EXPECT_EQ(InkInLines(form, 3, 3), 0);
        EXPECT_GT(InkInLines(form, 10, 1), 0);
        EXPECT_EQ(InkInLines(form, 12, 10), 0);  // nothing below the last line
    });
}

TEST_F(ReportFormTest, EscapeClosesTheWindowWhereverTheFocusIs) {
    const ReportDocument& doc = Report(3);
    for (const char* focus : {"ScrollBar1", "MainMenu1"}) {
        Preview(doc, [&](TReportF* form) {
            auto* widget = form->findChild<QWidget*>(focus);
            ASSERT_NE(widget, nullptr);
            widget->setFocus();
            QTest::keyClick(widget, Qt::Key_Escape);
            EXPECT_FALSE(form->isVisible()) << focus;
        });
    }
}

TEST_F(ReportFormTest, ALongReportScrollsByLinesAndPages) {
    const ReportDocument& doc = Report(300);
    Preview(doc, [&](TReportF* form) {
        auto* scroll = form->findChild<QScrollBar*>("ScrollBar1");
        const int visible = form->Geometry().visibleLines;
        ASSERT_TRUE(scroll->isEnabled());
        EXPECT_EQ(scroll->maximum(), doc.Lines.size() - visible);
        EXPECT_EQ(scroll->pageStep(), visible - 1);
        QTest::keyClick(form, Qt::Key_PageDown);
        EXPECT_EQ(form->TopLine(), visible - 1);
        QTest::keyClick(form, Qt::Key_End);
        EXPECT_EQ(form->TopLine(), doc.Lines.size() - visible);
        EXPECT_GT(InkInLines(form, visible - 1, 1), 0);  // the last line fills the bottom row
        scroll->setValue(1);                             // line 1 is blank
        EXPECT_EQ(form->TopLine(), 1);
        EXPECT_EQ(InkInLines(form, 0, 1), 0);
    });
}

TEST_F(ReportFormTest, TheScreenFontShrinksToFitButNotBelowEightPoints) {
    SettingsRecord.FontSize = 24;
    const ReportDocument& doc = Report(3, 60, 99);
    Preview(doc, [&](TReportF* form) {
        form->setWindowState(Qt::WindowNoState);
        form->resize(300, 400);
        QTest::qWait(20);
        EXPECT_EQ(form->ScreenFont().pointSize(), 8);

        form->resize(1600, 400);
        QTest::qWait(20);
        const int points = form->ScreenFont().pointSize();
        EXPECT_GT(points, 8);
        EXPECT_LE(points, 24);
        const auto charWidth = [](QFont font, int size) {
            font.setPointSize(size);
            return QFontMetrics(font).horizontalAdvance('B');
        };
        const int usable = form->Geometry().usableWidth;
        EXPECT_LE(99 * charWidth(form->ScreenFont(), points), usable);
        if (points < 24) {
            EXPECT_GT(99 * charWidth(form->ScreenFont(), points + 1), usable);
        }
    });
}

TEST_F(ReportFormTest, ExportsAsPlainAndTabDelimitedTextThroughTheSaveDialog) {
    const ReportDocument& doc = Report(70);
    const QString dir = QString::fromStdString(dir_.path().string());
    ScriptedPrompts script;
    script.expect(Kind::SaveFile, "Export Report", {true, dir + "/plain"})
        .expect(Kind::SaveFile, "Export Report", {true, dir + "/tabs"})
        .expect(Kind::SaveFile, "Export Report", {false, {}})
        .expect(Kind::SaveFile, "Export Report", {true, dir + "/missing/x.txt"})
        .expect(Kind::Information, "Unable to save to: " + dir + "/missing/x.txt");
    Preview(doc, [&](TReportF* form) {
        form->findChild<QAction*>("AsciiText1")->trigger();
        form->findChild<QAction*>("TabDelimited1")->trigger();
        form->findChild<QAction*>("AsciiText1")->trigger();  // cancelled
        form->findChild<QAction*>("AsciiText1")->trigger();  // cannot be created
    });
    EXPECT_EQ(QString::fromUtf8(Contents(dir + "/plain.txt")),
              Expected(doc, ExportFormat::PlainText));
    EXPECT_EQ(QString::fromUtf8(Contents(dir + "/tabs.asc")),
              Expected(doc, ExportFormat::TabDelimited));
    EXPECT_EQ(QDir(dir).entryList(QDir::Files).size(), 2);
}

TEST_F(ReportFormTest, TheDataDirectoryStaysCurrentWhateverTheDialogDid) {
    const ReportDocument& doc = Report(2);
    const QString dataDir = QDir::currentPath();
    const prompt::Handler previous = prompt::setHandler([&](const prompt::Request&) {
        QDir::setCurrent(QDir::tempPath());
        return prompt::Reply{true, dataDir + "/out.txt"};
    });
    Preview(doc, [&](TReportF* form) { form->findChild<QAction*>("AsciiText1")->trigger(); });
    prompt::setHandler(previous);
    EXPECT_EQ(QDir::currentPath(), dataDir);
    EXPECT_TRUE(QFile::exists(dataDir + "/out.txt"));
}

TEST_F(ReportFormTest, AnExportNamingADataFileIsRefusedAndTheFileKept) {
    const ReportDocument& doc = Report(3);
    const QString previousDir = QDir::currentPath();
    QTemporaryDir dataDir;
    ASSERT_TRUE(QDir::setCurrent(dataDir.path()));
    QFile table(dataDir.filePath("CUST5.dbf"));
    ASSERT_TRUE(table.open(QIODevice::WriteOnly));
    ASSERT_EQ(table.write("table bytes"), 11);
    table.close();
    ScriptedPrompts script;
    script.expect(Kind::SaveFile, "Export Report", {true, dataDir.filePath("cust5.DBF")})
        .expect(Kind::Information, "Not saved: " + dataDir.filePath("cust5.DBF") +
                                       " is one of the data files")
        .expect(Kind::SaveFile, "Print to PDF File", {true, dataDir.filePath("CUST5.ntx")})
        .expect(Kind::Information, "Not saved: " + dataDir.filePath("CUST5.ntx"));
    Preview(doc, [&](TReportF* form) {
        form->findChild<QAction*>("AsciiText1")->trigger();
        form->findChild<QAction*>("mPrint")->trigger();
    });
    QDir::setCurrent(previousDir);
    EXPECT_EQ(script.pending(), 0);
    EXPECT_EQ(Contents(dataDir.filePath("CUST5.dbf")), "table bytes");
    EXPECT_EQ(QDir(dataDir.path()).entryList(QDir::Files), QStringList({"CUST5.dbf"}));
}

TEST_F(ReportFormTest, WithoutAPrinterPrintWritesAPdfThatReadsBackPageByPage) {
    const ReportDocument& doc = Report(12, 14);
    ASSERT_EQ(doc.PageNo, 2);
    const QString dir = QString::fromStdString(dir_.path().string());
    ScriptedPrompts script;
    script.expect(Kind::SaveFile, "Print to PDF File", {true, dir + "/report"})
        .expect(Kind::SaveFile, "Print to PDF File", {true, dir + "/missing/r.pdf"})
        .expect(Kind::Information, "Unable to save to: " + dir + "/missing/r.pdf");
    Preview(doc, [&](TReportF* form) {
        form->findChild<QAction*>("mPrint")->trigger();
        form->findChild<QAction*>("mPrint")->trigger();
    });

    const QList<QStringList> pdf = PdfPageWords(dir + "/report.pdf");
    const QList<QStringList> expected = DocumentPageWords(doc);
    ASSERT_EQ(pdf.size(), 2);
    EXPECT_EQ(pdf[0].mid(0, 2), QStringList({"Page", "1"}));
    EXPECT_EQ(pdf[1].mid(0, 2), QStringList({"Page", "2"}));
    EXPECT_EQ(pdf[0], expected[0]);
    EXPECT_EQ(pdf[1], expected[1]);
}

// The pictures a PDF file holds, as pdfimages lists them.
int PdfImageCount(const QString& fileName) {
    QProcess process;
    process.start("pdfimages", {"-list", fileName});
    if (!process.waitForFinished(30000) || process.exitCode() != 0) return -1;
    const QStringList lines =
        QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    return static_cast<int>(lines.size()) - 2;  // two heading lines
}

TEST_F(ReportFormTest, SaveAsPdfPrintsTheLetterheadWithItsLogoOrWithoutOneThatCannotBeRead) {
    const QString dir = QString::fromStdString(dir_.path().string());
    QImage picture(60, 30, QImage::Format_RGB32);
    picture.fill(Qt::darkBlue);
    ASSERT_TRUE(picture.save(dir + "/logo.jpg"));
    ASSERT_TRUE(picture.save(dir + "/logo.bmp"));
    QFile junk(dir + "/junk.png");
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a picture");
    junk.close();

    ScriptedPrompts script;
    for (const char* logo : {"logo.jpg", "logo.bmp", "junk.png", "gone.png"}) {
        SettingsValues settings;
        settings.Company = "Harbor Lane Hardware";
        settings.LogoFile = dir + u'/' + logo;
        settings.LogoHeight = 0.5;
        settings.LogoWidth = 1;
        settings.LHJustify = 2;
        ReportDocument doc;
        StartInvoiceDoc(doc);
        doc.Titles = {"Invoice"};
        PutLetterhead(doc, settings, PaperMeasure());
        doc.PutTitles();
        const QString name = dir + "/doc-" + QFileInfo(logo).completeBaseName() +
                             QFileInfo(logo).suffix();
        script.expect(Kind::SaveFile, "Save as PDF", {true, name});
        Preview(doc, [](TReportF* form) { form->findChild<QAction*>("mSavePdf")->trigger(); });
        EXPECT_EQ(PdfPageWords(name + ".pdf"), DocumentPageWords(doc)) << logo;
        EXPECT_EQ(PdfImageCount(name + ".pdf"), QString(logo).startsWith("logo") ? 1 : 0) << logo;
    }
    EXPECT_EQ(script.pending(), 0);
}

}  // namespace
