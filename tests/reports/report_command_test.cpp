// corvane-admin report run as a process on a generated data directory: its text outputs against
// the report window's own export of the same document built here, its PDF read back with
// pdftotext, the report font it prints with, and how it tells bad options and failures.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>
#include <utility>

#include "db/field_values.h"
#include "db/generator.h"
#include "db/settings.h"
#include "invoice/invoice_store.h"
#include "report/report_export.h"
#include "report/report_form.h"
#include "reports/account_reports.h"
#include "reports/aging_report.h"
#include "reports/customer_profile.h"
#include "reports/invoice_documents.h"
#include "reports/product_listing.h"
#include "reports/purchasing_report.h"
#include "reports/sales_reports.h"
#include "tests/reports/modal_of.h"
#include "tests/reports/report_data_fixture.h"
#include "tests/support/fifo_reader.h"
#include "tests/support/scripted_prompts.h"

using namespace reports;
using prompt::Kind;

namespace {

struct AdminRun {
    int status = -1;
    QStringList told;  // the lines of the error stream that the command wrote itself
    QString errors;    // the whole error stream
    QString output;    // the standard output
};

QString Contents(const QString& fileName) {
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll())
                                          : QStringLiteral("<missing>");
}

// The words of every line that has any.
QList<QStringList> NonBlankLineWords(const QStringList& lines) {
    QList<QStringList> words;
    for (const QString& line : lines) {
        const QStringList w = line.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
        if (!w.isEmpty()) words << w;
    }
    return words;
}

// The text of a PDF file as pdftotext lays it out: its pages, split into lines.
QList<QStringList> PdfPages(const QString& fileName) {
    QProcess process;
    process.start("pdftotext", {"-layout", fileName, "-"});
    if (!process.waitForFinished(30000) || process.exitCode() != 0) return {};
    QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split(u'\f');
    if (pages.last().trimmed().isEmpty()) pages.removeLast();
    QList<QStringList> lines;
    for (const QString& page : pages) lines << page.split(u'\n');
    return lines;
}

QString PdfFonts(const QString& fileName) {
    QProcess process;
    process.start("pdffonts", {fileName});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

class ReportCommandTest : public ReportDataTest {
protected:
    ReportCommandTest() {
        GeneratorCounts counts;
        QString error;
        EXPECT_TRUE(GenerateData({300, 40, 7}, &counts, &error)) << error.toStdString();
        dataDir_ = QDir::currentPath();
    }

    // Runs corvane-admin in `workDir` (the data directory unless given) as the owner would from a
    // shell: no display platform named (unless `platform` names one), and the locale the document
    // built here is in.
    AdminRun Admin(const QStringList& args, const QString& workDir = {},
                   const QStringList& unset = {}, const QString& platform = {}) const {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("QT_QPA_PLATFORM");
        if (!platform.isEmpty()) env.insert("QT_QPA_PLATFORM", platform);
        for (const QString& name : unset) env.remove(name);
        env.insert("LC_ALL", "en_US.UTF-8");
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(workDir.isEmpty() ? dataDir_ : workDir);
        process.start(CORVANE_ADMIN, args);
        AdminRun run;
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
            return run;
        run.status = process.exitCode();
        run.errors = QString::fromUtf8(process.readAllStandardError());
        run.output = QString::fromUtf8(process.readAllStandardOutput());
        for (const QString& line : run.errors.split(u'\n'))
            if (line.startsWith("corvane-admin")) run.told << line;
        return run;
    }

    // The document saved through the report window's export menu, as the user saves it.
    static QString PreviewExport(const ReportDocument& doc, ExportFormat format,
                                 const QString& fileName) {
        ScriptedPrompts script;
        script.expect(Kind::SaveFile, "Export Report", {true, fileName});
        onModalOf<TReportF>([format](TReportF* form) {
            const char* item = format == ExportFormat::PlainText ? "AsciiText1" : "TabDelimited1";
            form->findChild<QAction*>(item)->trigger();
            form->findChild<QAction*>("mExit")->trigger();
        });
        ShowReport(doc, nullptr);
        return Contents(fileName);
    }

    QString Data(const QString& name) const { return dataDir_ + u'/' + name; }

    QTemporaryDir out_;
    QString dataDir_;
};

TEST_F(ReportCommandTest, ASuccessfulRunWithoutARuntimeDirectoryWritesNothingToTheErrorStream) {
    const AdminRun run = Admin({"report", "product-listing", "--pdf", out_.filePath("cron.pdf")},
                               {}, {"XDG_RUNTIME_DIR"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.errors.toStdString(), "");
    EXPECT_TRUE(QFile::exists(out_.filePath("cron.pdf")));
}

// Only a run that reads its paper or paints makes a graphical application object: with no
// display platform to be had, reports written as text are still written, and a PDF or a
// letterhead measured for its margin cannot be.
TEST_F(ReportCommandTest, OnlyARunThatReadsItsPaperOrPaintsMakesAGraphicalApplication) {
    const auto noDisplay = [this](const QStringList& args) {
        return Admin(QStringList{"report"} + args, {}, {}, QStringLiteral("none-such"));
    };
    const QStringList summary = {"sales-summary", "--from", "2024-01-01", "--to", "2025-12-31"};
    const QStringList statements = {"statements", "--balances-only", "--from", "2024-01-01",
                                    "--to",       "2025-12-31",      "--text", "st.txt"};
    AdminRun run = noDisplay(summary + QStringList{"--text", "s.txt"});
    EXPECT_EQ(run.status, 0) << run.errors.toStdString();
    run = noDisplay(statements);
    EXPECT_EQ(run.status, 0) << run.errors.toStdString();
    const QString plain = Contents(Data("st.txt"));

    EXPECT_NE(noDisplay(summary + QStringList{"--pdf", "s.pdf"}).status, 0);
    ASSERT_TRUE(LoadSettings());
    SettingsRecord.TopMargin = 0.5;
    ASSERT_TRUE(SaveSettings());
    EXPECT_NE(noDisplay(statements).status, 0);
    run = Admin(QStringList{"report"} + statements);
    EXPECT_EQ(run.status, 0) << run.errors.toStdString();
    EXPECT_NE(Contents(Data("st.txt")), plain);
}

TEST_F(ReportCommandTest, AReportRunsWhileTheProgramHasTheTablesOpen) {
    // Held shared, as the program holds them while a list or an editor is open.
    for (const char* table : {"Prod5", "Pur5", "CUST5"})
        ASSERT_NE(DbContext->open(table), nullptr) << table;
    const AdminRun run = Admin({"report", "product-listing", "--text", "-"});
    EXPECT_EQ(run.status, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.output.contains("Product Listing"));
}

TEST_F(ReportCommandTest, TheProductListingsTextOutputsAreThePreviewsExports) {
    // A missing index file is re-created first, as at start-up.
    ASSERT_TRUE(QFile::remove(Data("Prod.ntx")));
    // Run from another directory: relative output names are taken from there.
    const AdminRun run = Admin({"-C", dataDir_, "report", "product-listing", "--text",
                                "listing.txt", "--tab", "listing.asc"},
                               out_.path());
    ASSERT_EQ(run.status, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.told.isEmpty()) << run.errors.toStdString();
    EXPECT_TRUE(QFile::exists(Data("Prod.ntx")));

    ReportDocument& doc = TheReport();
    ASSERT_TRUE(MakeProductListing(doc));
    EXPECT_GE(doc.PageNo, 2);
    EXPECT_EQ(Contents(out_.filePath("listing.txt")),
              PreviewExport(doc, ExportFormat::PlainText, out_.filePath("preview.txt")));
    EXPECT_EQ(Contents(out_.filePath("listing.asc")),
              PreviewExport(doc, ExportFormat::TabDelimited, out_.filePath("preview.asc")));
    EXPECT_FALSE(QFile::exists(Data("listing.txt")));
}

TEST_F(ReportCommandTest, ThePurchasingReportsPdfReadsBackWithTheSameLinesPageByPage) {
    const AdminRun run = Admin({"report", "purchasing", "--from", "2024-01-01", "--to",
                                "2025-12-31", "--pdf", "p.pdf", "--text", "p.txt"});
    ASSERT_EQ(run.status, 0) << run.errors.toStdString();

    ReportDocument& doc = TheReport();
    ASSERT_TRUE(MakePurchasingReport(doc, Day("20240101"), Day("20251231")));
    ASSERT_GE(doc.PageNo, 2);
    EXPECT_EQ(Contents(Data("p.txt")),
              PreviewExport(doc, ExportFormat::PlainText, out_.filePath("preview.txt")));

    const QList<QStringList> pages = PdfPages(Data("p.pdf"));
    EXPECT_EQ(pages.size(), doc.PageNo);
    QStringList pdfLines;
    for (const QStringList& page : pages) pdfLines << page;
    const QList<QStringList> expected =
        NonBlankLineWords(ExportLines(doc, ExportFormat::PlainText));
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(NonBlankLineWords(pdfLines), expected);
    // Each page starts with its page-number line, 60 lines a page at the most.
    for (int p = 0; p < pages.size(); ++p) {
        const QList<QStringList> lines = NonBlankLineWords(pages[p]);
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_EQ(lines.first().mid(0, 2), QStringList({"Page", QString::number(p + 1)}));
    }
}

TEST_F(ReportCommandTest, ASpanLeftOutIsTheCurrentMonth) {
    const QDate today = QDate::currentDate();
    AddProduct("NEW-1", "New stock", 10);
    AddPurchase("NEW-1", qPrintable(today.toString("yyyyMMdd")), 4, 22);
    const AdminRun run = Admin({"report", "purchasing", "--text", "month.txt"});
    ASSERT_EQ(run.status, 0) << run.errors.toStdString();

    ReportDocument& doc = TheReport();
    doc.DefaultSpan();
    ASSERT_TRUE(MakePurchasingReport(doc, doc.SpanStart, doc.SpanEnd));
    const QString text = Contents(Data("month.txt"));
    EXPECT_EQ(text, PreviewExport(doc, ExportFormat::PlainText, out_.filePath("preview.txt")));
    EXPECT_TRUE(text.contains("NEW-1")) << text.toStdString();
}

TEST_F(ReportCommandTest, BadOptionsAreNamedWithTheUsageAndExitTwoWritingNothing) {
    const QStringList before = QDir(dataDir_).entryList(QDir::Files);
    const QString notDate = QStringLiteral("\" is not a date written YYYY-MM-DD");
    const QString notNumbers =
        QStringLiteral("\" is not a list of numbers from 1 to 999999 written N,N...");
    const std::pair<QStringList, QString> bad[] = {
        {{"report"}, "report: name the report to run"},
        {{"report", "no-such-report", "--text", "a.txt"}, "unknown report \"no-such-report\""},
        {{"report", "product-listing"}, "no output named: give --text, --tab or --pdf"},
        {{"report", "product-listing", "--text"}, "--text needs a value"},
        {{"report", "product-listing", "--text", "--pdf", "a.pdf"}, "--text needs a value"},
        {{"report", "product-listing", "--text", "a.txt", "--text", "b.txt"},
         "--text given twice"},
        {{"report", "product-listing", "--text", "a.txt", "--tab", "a.txt"},
         "one file named for two outputs"},
        {{"report", "product-listing", "--text", "-", "--tab", "-"},
         "one file named for two outputs"},
        {{"report", "product-listing", "--from", "2025-01-01", "--text", "a.txt"},
         "--from is not an option of product-listing"},
        {{"report", "product-listing", "--colour", "red", "--text", "a.txt"},
         "--colour is not an option of product-listing"},
        {{"report", "purchasing", "--from", "2025-13-01", "--text", "a.txt"},
         "--from: \"2025-13-01" + notDate},
        {{"report", "purchasing", "--from", "2025-02-30", "--text", "a.txt"},
         "--from: \"2025-02-30" + notDate},
        {{"report", "purchasing", "--to", "01/31/2025", "--text", "a.txt"},
         "--to: \"01/31/2025" + notDate},
        {{"report", "purchasing", "--to", "2025-1-31", "--text", "a.txt"},
         "--to: \"2025-1-31" + notDate},
        {{"report", "purchasing", "--from", "2025-01-01", "--from", "2025-01-02", "--pdf", "a"},
         "--from given twice"},
        {{"report", "purchasing", "--pdf-each", "each"},
         "--pdf-each is not an option of purchasing"},
        {{"report", "invoices", "--invoices", "12", "--from", "2025-01-01", "--text", "a.txt"},
         "--invoices cannot go with --from or --to"},
        {{"report", "invoices", "--invoices", "0", "--text", "a.txt"},
         "--invoices: \"0" + notNumbers},
        {{"report", "bills", "--invoices", "12,", "--text", "a.txt"},
         "--invoices: \"12," + notNumbers},
        {{"report", "invoices", "--balances-only", "--text", "a.txt"},
         "--balances-only is not an option of invoices"},
        {{"report", "statements", "--text", "a.txt"},
         "statements takes one of --balances-only and --customers"},
        {{"report", "statements", "--balances-only", "--customers", "3", "--text", "a.txt"},
         "statements takes one of --balances-only and --customers"},
        {{"report", "statements", "--customers", "3,x", "--text", "a.txt"},
         "--customers: \"3,x" + notNumbers},
        {{"report", "statements", "--customers", "3", "--to", "2025-01-01", "--text", "a.txt"},
         "--from and --to go with --balances-only"},
        {{"report", "statements", "--balances-only", "--balances-only", "--text", "a.txt"},
         "--balances-only given twice"},
        {{"report", "statements", "--balances-only", "--pdf-each", "d", "--pdf", "d"},
         "one file named for two outputs"},
        {{"report", "statements", "--balances-only", "--pdf-each", "-"},
         "--pdf-each needs a directory; the standard output takes one file"},
    };
    for (const auto& [args, why] : bad) {
        const AdminRun run = Admin(args);
        const std::string shown = args.join(' ').toStdString();
        EXPECT_EQ(run.status, 2) << shown;
        EXPECT_TRUE(run.errors.startsWith("corvane-admin: " + why + "\nusage: corvane-admin"))
            << shown << ": " << run.errors.toStdString();
        EXPECT_TRUE(run.errors.contains("purchasing [--from YYYY-MM-DD] [--to YYYY-MM-DD]"))
            << shown;
    }
    EXPECT_EQ(QDir(dataDir_).entryList(QDir::Files), before);
}

TEST_F(ReportCommandTest, AnOutputNamedDashGoesToTheStandardOutput) {
    const AdminRun run =
        Admin({"report", "product-listing", "--text", "-", "--tab", out_.filePath("l.asc")});
    ASSERT_EQ(run.status, 0) << run.errors.toStdString();
    EXPECT_EQ(run.errors.toStdString(), "");
    ReportDocument& doc = TheReport();
    ASSERT_TRUE(MakeProductListing(doc));
    EXPECT_EQ(run.output, PreviewExport(doc, ExportFormat::PlainText, out_.filePath("p.txt")));
    EXPECT_EQ(Contents(out_.filePath("l.asc")),
              PreviewExport(doc, ExportFormat::TabDelimited, out_.filePath("p.asc")));
    EXPECT_FALSE(QFile::exists(Data("-")));
}

TEST_F(ReportCommandTest, NothingToReportIsToldOnTheErrorStreamWithStatusOne) {
    AdminRun run = Admin({"report", "purchasing", "--from", "2030-01-01", "--to", "2030-01-31",
                          "--text", "empty.txt", "--pdf", "empty.pdf"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.told, QStringList({"corvane-admin: No Purchases within selected dates."}));

    run = Admin({"report", "purchasing", "--from", "2025-02-01", "--to", "2025-01-31", "--text",
                 "empty.txt"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.told, QStringList({"corvane-admin: Ending Date must be greater than or equal "
                                     "to Starting Date."}));
    EXPECT_FALSE(QFile::exists(Data("empty.txt")));
    EXPECT_FALSE(QFile::exists(Data("empty.pdf")));
}

TEST_F(ReportCommandTest, ATableThatCannotBeOpenedIsToldOnceAndEndsTheRun) {
    ASSERT_TRUE(QFile::remove(Data("Pur5.dbf")));
    const AdminRun run = Admin(
        {"report", "purchasing", "--from", "2024-01-01", "--to", "2025-12-31", "--text", "p.txt"});
    EXPECT_EQ(run.status, 1);
    // The start-up check of the index files finds it first, and says what the engine met; the
    // command ends, and no program is said to terminate.
    EXPECT_EQ(run.told.join(u'|').toStdString(),
              "corvane-admin: cannot open ./Pur5.dbf: no such file");
    EXPECT_FALSE(QFile::exists(Data("p.txt")));
}

TEST_F(ReportCommandTest, AnOutputThatCannotBeWrittenIsToldAndTheOthersAreStillWritten) {
    const QString missing = out_.filePath("no-such-folder/l.txt");
    const AdminRun run =
        Admin({"report", "product-listing", "--text", missing, "--tab", out_.filePath("l.asc")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.told, QStringList({"corvane-admin: Unable to save to: " + missing +
                                     ": No such file or directory"}));

    ReportDocument& doc = TheReport();
    ASSERT_TRUE(MakeProductListing(doc));
    EXPECT_EQ(Contents(out_.filePath("l.asc")),
              PreviewExport(doc, ExportFormat::TabDelimited, out_.filePath("preview.asc")));
}

TEST_F(ReportCommandTest, AnOutputNamingADataFileIsRefusedAndNothingIsWritten) {
    ASSERT_TRUE(QFile::link(Data("CUST5.dbf"), out_.filePath("link.txt")));
    const auto files = [this] {
        QMap<QString, QByteArray> bytes;
        for (const QString& name : QDir(dataDir_).entryList(QDir::Files)) {
            QFile file(Data(name));
            bytes[name] = file.open(QIODevice::ReadOnly) ? file.readAll() : "<unreadable>";
        }
        return bytes;
    };
    const QMap<QString, QByteArray> before = files();
    const QList<QStringList> outputs = {
        {"--text", "CUST5.dbf"},      {"--tab", "cust5.DBT"}, {"--pdf", "CCNO.ntx"},
        {"--text", "CUST5.cgp"},      {"--tab", "corvane.lck"},
        {"--text", "../" + QDir(dataDir_).dirName() + "/Prod5.dbf"},
        {"--pdf", out_.filePath("link.txt")},
        {"--text", out_.filePath("fine.txt"), "--tab", "changes.jnl"},
    };
    for (const QStringList& output : outputs) {
        const AdminRun run = Admin(QStringList({"report", "product-listing"}) + output);
        const std::string shown = output.join(' ').toStdString();
        EXPECT_EQ(run.status, 1) << shown;
        ASSERT_EQ(run.told.size(), 1) << shown << run.errors.toStdString();
        EXPECT_TRUE(run.told[0].startsWith("corvane-admin: Not saved: ")) << shown;
        EXPECT_TRUE(run.told[0].endsWith(
            " is one of the data files, and a report never replaces it."))
            << run.told[0].toStdString();
    }
    EXPECT_FALSE(QFile::exists(out_.filePath("fine.txt")));
    const QMap<QString, QByteArray> after = files();
    EXPECT_EQ(after.keys().join(u' ').toStdString(), before.keys().join(u' ').toStdString());
    for (const QString& name : before.keys())
        EXPECT_TRUE(after.value(name) == before.value(name)) << name.toStdString() << " changed";
}

// An output naming a character device, made here where the test may (else a FIFO read by the
// test), is written into: it stays a device, and a FIFO's reader gets the report.
TEST_F(ReportCommandTest, AnOutputThatIsADeviceOrAFifoIsWrittenIntoAndStaysOne) {
    const std::string device = out_.filePath("device").toStdString();
    if (MakeNullDevice(device)) {
        const AdminRun run =
            Admin({"report", "product-listing", "--text", out_.filePath("device")});
        EXPECT_EQ(run.status, 0) << run.errors.toStdString();
        EXPECT_EQ(FileKind(device), 'c');
    }
    FifoReader fifo(out_.filePath("fifo").toStdString());
    ASSERT_TRUE(fifo.ok());
    const AdminRun run = Admin({"report", "product-listing", "--tab", out_.filePath("fifo")});
    EXPECT_EQ(run.status, 0) << run.errors.toStdString();
    ReportDocument& doc = TheReport();
    ASSERT_TRUE(MakeProductListing(doc));
    EXPECT_EQ(QString::fromStdString(fifo.received()),
              PreviewExport(doc, ExportFormat::TabDelimited, out_.filePath("preview.asc")));
    EXPECT_EQ(FileKind(out_.filePath("fifo").toStdString()), 'p');
}

// The text and tab outputs written onto a disk with no room left (a small file system of the
// test's own, where user namespaces allow one): each is told with the system's reason, the
// status is 1, and the earlier file of each name is still whole.
TEST_F(ReportCommandTest, ExportsToAFullDiskSayWhyAndLeaveTheEarlierFiles) {
    QProcess probe;
    probe.start("unshare", {"-Urm", "true"});
    if (!probe.waitForFinished(10000) || probe.exitCode() != 0)
        GTEST_SKIP() << "no mount namespace for a small file system";
    const QString disk = out_.filePath("disk");
    ASSERT_TRUE(QDir().mkpath(disk));
    const QString script = QStringLiteral(
        "mount -t tmpfs -o size=8k tmpfs \"$0\" || exit 99\n"
        "printf 'old text' > \"$0/l.txt\"; printf 'old tab' > \"$0/l.asc\"\n"
        "\"$1\" report product-listing --text \"$0/l.txt\" --tab \"$0/l.asc\"\n"
        "status=$?\n"
        "echo \"status $status\"; echo \"text $(cat \"$0/l.txt\")\"; "
        "echo \"tab $(cat \"$0/l.asc\")\"; echo \"files $(ls -A \"$0\" | tr '\\n' ' ')\"\n");
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QT_QPA_PLATFORM");
    run.setProcessEnvironment(env);
    run.setWorkingDirectory(dataDir_);
    run.start("unshare", {"-Urm", "sh", "-c", script, disk, CORVANE_ADMIN});
    ASSERT_TRUE(run.waitForFinished(60000));
    ASSERT_NE(run.exitCode(), 99) << "tmpfs cannot be mounted here";
    const QString errors = QString::fromUtf8(run.readAllStandardError());
    const QString out = QString::fromUtf8(run.readAllStandardOutput());
    EXPECT_TRUE(errors.contains("corvane-admin: Unable to save to: " + disk +
                                "/l.txt: No space left on device"))
        << errors.toStdString();
    EXPECT_TRUE(errors.contains("corvane-admin: Unable to save to: " + disk +
                                "/l.asc: No space left on device"))
        << errors.toStdString();
    EXPECT_TRUE(out.contains("status 1\n")) << out.toStdString();
    EXPECT_TRUE(out.contains("text old text\n")) << out.toStdString();
    EXPECT_TRUE(out.contains("tab old tab\n")) << out.toStdString();
    EXPECT_TRUE(out.contains("files l.asc l.txt \n")) << out.toStdString();
}

TEST_F(ReportCommandTest, ThePdfIsPrintedInTheSettingsFontOrElseInAFixedPitchDefault) {
    ASSERT_EQ(Admin({"report", "product-listing", "--pdf", "default.pdf"}).status, 0);
    const QString defaultFonts = PdfFonts(Data("default.pdf"));
    EXPECT_TRUE(defaultFonts.contains("Mono")) << defaultFonts.toStdString();

    ASSERT_TRUE(LoadSettings());
    SettingsRecord.FontName = "DejaVu Serif";
    SettingsRecord.FontSize = 9;
    ASSERT_TRUE(SaveSettings());
    ASSERT_EQ(Admin({"report", "product-listing", "--pdf", "serif.pdf"}).status, 0);
    const QString serifFonts = PdfFonts(Data("serif.pdf"));
    EXPECT_TRUE(serifFonts.contains("DejaVuSerif")) << serifFonts.toStdString();
    EXPECT_FALSE(serifFonts.contains("Mono")) << serifFonts.toStdString();
}

// The words of every non-blank line of a PDF file, all pages together.
QList<QStringList> PdfWords(const QString& fileName) {
    QStringList lines;
    for (const QStringList& page : PdfPages(fileName)) lines << page;
    return NonBlankLineWords(lines);
}

TEST_F(ReportCommandTest, InvoicesGoToOneFileAndEachToAFileNamedByItsNumber) {
    const AdminRun run = Admin({"report", "invoices", "--invoices", "13,12", "--text", "i.txt",
                                "--pdf", "i.pdf", "--pdf-each", "mail"});
    ASSERT_EQ(run.status, 0) << run.errors.toStdString();

    ASSERT_TRUE(LoadSettings());
    ReportDocument& doc = TheReport();
    DocumentRun made;
    ASSERT_TRUE(MakeInvoicesByNumber(doc, {13, 12}, true, PaperMeasure(), &made));
    ASSERT_TRUE(SaveReport(doc, out_.filePath("here.txt"), ExportFormat::PlainText).saved);
    EXPECT_EQ(Contents(Data("i.txt")), Contents(out_.filePath("here.txt")));
    EXPECT_EQ(PdfWords(Data("i.pdf")),
              NonBlankLineWords(ExportLines(doc, ExportFormat::PlainText)));

    EXPECT_EQ(QDir(Data("mail")).entryList(QDir::Files),
              QStringList({"invoice-12.pdf", "invoice-13.pdf"}));
    ASSERT_EQ(made.starts.size(), 2u);
    const ReportDocument first = DocumentPart(doc, 0, made.starts[1].line - 1);
    const ReportDocument second = DocumentPart(doc, made.starts[1].line, doc.Lines.size());
    EXPECT_EQ(PdfWords(Data("mail/invoice-13.pdf")),
              NonBlankLineWords(ExportLines(first, ExportFormat::PlainText)));
    EXPECT_EQ(PdfWords(Data("mail/invoice-12.pdf")),
              NonBlankLineWords(ExportLines(second, ExportFormat::PlainText)));
}

TEST_F(ReportCommandTest, StatementsWithBalancesMakeAFilePerCustomer) {
    const AdminRun run = Admin({"report", "statements", "--balances-only", "--from", "2024-01-01",
                                "--to", "2025-12-31", "--pdf-each", "st", "--pdf", "st.pdf"});
    ASSERT_EQ(run.status, 0) << run.errors.toStdString();

    ASSERT_TRUE(LoadSettings());
    ReportDocument& doc = TheReport();
    DocumentRun made;
    ASSERT_TRUE(
        MakeStatementsWithBalances(doc, Day("20240101"), Day("20251231"), PaperMeasure(), &made));
    ASSERT_GE(made.starts.size(), 2u);
    QStringList expected;
    for (const DocumentStart& start : made.starts)
        expected << "statement-" + QString::number(start.number) + ".pdf";
    expected.sort();
    EXPECT_EQ(QDir(Data("st")).entryList(QDir::Files, QDir::Name), expected);
    EXPECT_EQ(PdfWords(Data("st.pdf")),
              NonBlankLineWords(ExportLines(doc, ExportFormat::PlainText)));
}

TEST_F(ReportCommandTest, AnInvoiceOrCustomerNotFoundIsToldWithStatusOne) {
    AdminRun run = Admin({"report", "bills", "--invoices", "999999", "--text", "b.txt"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.told, QStringList({"corvane-admin: Invoice 999999 not found.",
                                     "corvane-admin: No bills to print."}));
    EXPECT_FALSE(QFile::exists(Data("b.txt")));

    ASSERT_TRUE(OpenInvoices());
    ASSERT_EQ(Seek(InvTbl, InvKey(12)), xbase::kFound);
    ReadInvoice();
    CloseReportTables();
    const QString customer = QString::number(InvBuf.CuNo);
    run = Admin({"report", "statements", "--customers", "999998," + customer, "--text", "s.txt"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.told, QStringList({"corvane-admin: Customer 999998 not found."}));
    EXPECT_TRUE(QFile::exists(Data("s.txt")));
}

TEST_F(ReportCommandTest, TheSalesIncomeAndCustomerReportsWriteWhatTheirGeneratorsBuild) {
    ASSERT_TRUE(OpenItems());
    ASSERT_EQ(ItemTbl->top(), xbase::kFound);
    ReadItem();
    const QString product = TrimRight(ItemBuf.PrID);
    CloseReportTables();
    const double from = Day("20240101");
    const double to = Day("20251231");
    const QStringList span = {"--from", "2024-01-01", "--to", "2025-12-31"};
    const struct {
        QStringList args;
        std::function<bool(ReportDocument&)> make;
    } runs[] = {
        {QStringList{"sales-summary"} + span,
         [&](ReportDocument& d) { return MakeSalesSummary(d, from, to); }},
        {QStringList{"product-summary"} + span,
         [&](ReportDocument& d) { return MakeProductSummary(d, from, to); }},
        {QStringList{"product-buyers", "--product", product.toLower()} + span,
         [&](ReportDocument& d) { return MakeProductBuyers(d, product, from, to); }},
        {QStringList{"daily-income"} + span,
         [&](ReportDocument& d) { return MakeDailyIncome(d, from, to); }},
        {{"receivables", "--as-of", "2026-01-31"},
         [](ReportDocument& d) { return MakeReceivables(d, Day("20260131")); }},
        {QStringList{"tax-summary"} + span,
         [&](ReportDocument& d) { return MakeTaxReport(d, from, to); }},
        {{"profile", "--customers", "7,3"},
         [](ReportDocument& d) {
             return MakeCustomerProfile(d, {7, 3});
         }},
        {{"profile", "--groups", "2"}, [](ReportDocument& d) { return MakeGroupProfile(d, {2}); }},
    };
    for (const auto& run : runs) {
        const std::string shown = run.args.join(' ').toStdString();
        const AdminRun admin =
            Admin(QStringList{"report"} + run.args + QStringList{"--text", "r.txt"});
        ASSERT_EQ(admin.status, 0) << shown << admin.errors.toStdString();
        ReportDocument& doc = TheReport();
        ASSERT_TRUE(run.make(doc)) << shown;
        EXPECT_EQ(Contents(Data("r.txt")),
                  ExportLines(doc, ExportFormat::PlainText).join(u'\n') + u'\n')
            << shown;
        doc.FinishReport();
    }
}

TEST_F(ReportCommandTest, TheAgingWritesWhatItsGeneratorBuildsAndRemindersRecordOnlyWhenAsked) {
    const AdminRun aging = Admin({"report", "aging", "--as-of", "2025-12-31", "--by-invoice-date",
                                  "--detail", "--text", "r.txt"});
    ASSERT_EQ(aging.status, 0) << aging.errors.toStdString();
    ReportDocument& doc = TheReport();
    ASSERT_TRUE(MakeAgingReport(doc, {Day("20251231"), true, true}));
    EXPECT_EQ(Contents(Data("r.txt")),
              ExportLines(doc, ExportFormat::PlainText).join(u'\n') + u'\n');
    doc.FinishReport();

    // A dry run writes the letters and records nothing, so a second one writes them again.
    const QStringList reminders = {"reminders", "--as-of", "2025-12-31", "--text"};
    const AdminRun dry = Admin(reminders + QStringList{"dry.txt", "--dry-run"});
    ASSERT_EQ(dry.status, 0) << dry.errors.toStdString();
    EXPECT_TRUE(Contents(Data("dry.txt")).contains("Payment Reminder"));
    ASSERT_EQ(Admin(reminders + QStringList{"sent.txt"}).status, 0);
    EXPECT_EQ(Contents(Data("sent.txt")), Contents(Data("dry.txt")));
    const AdminRun again = Admin(reminders + QStringList{"again.txt"});
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.told, QStringList({"corvane-admin: No invoices are due a reminder."}));

    const std::pair<QStringList, QString> bad[] = {
        {{"report", "reminders", "--text", "a.txt"}, "unknown report \"reminders\""},
        {{"reminders", "--detail", "--text", "a.txt"}, "--detail is not an option of reminders"},
        {{"report", "aging", "--dry-run", "--text", "a.txt"},
         "--dry-run is not an option of aging"},
        {{"reminders", "--dry-run", "--dry-run", "--text", "a.txt"}, "--dry-run given twice"},
    };
    for (const auto& [args, why] : bad) {
        const AdminRun run = Admin(args);
        EXPECT_EQ(run.status, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.errors.startsWith("corvane-admin: " + why)) << run.errors.toStdString();
    }
}

TEST_F(ReportCommandTest, TheSalesReportsSelectionOptionsAreChecked) {
    const std::pair<QStringList, QString> bad[] = {
        {{"report", "product-buyers", "--text", "a.txt"}, "product-buyers needs --product"},
        {{"report", "product-buyers", "--product", "A", "--product", "B", "--text", "a.txt"},
         "--product given twice"},
        {{"report", "sales-summary", "--as-of", "2025-01-01", "--text", "a.txt"},
         "--as-of is not an option of sales-summary"},
        {{"report", "receivables", "--from", "2025-01-01", "--text", "a.txt"},
         "--from is not an option of receivables"},
        {{"report", "receivables", "--as-of", "2025-02-30", "--text", "a.txt"},
         "--as-of: \"2025-02-30\" is not a date"},
        {{"report", "profile", "--text", "a.txt"},
         "profile takes one of --customers and --groups"},
        {{"report", "profile", "--customers", "1", "--groups", "2", "--text", "a.txt"},
         "profile takes one of --customers and --groups"},
        {{"report", "profile", "--customers", "1,,2", "--text", "a.txt"}, "--customers: \"1,,2"},
        {{"report", "profile", "--groups", "retail", "--text", "a.txt"}, "--groups: \"retail"},
        {{"report", "profile", "--customers", "1234567", "--text", "a.txt"},
         "--customers: \"1234567"},
    };
    for (const auto& [args, why] : bad) {
        const AdminRun run = Admin(args);
        const std::string shown = args.join(' ').toStdString();
        EXPECT_EQ(run.status, 2) << shown;
        EXPECT_TRUE(run.errors.startsWith("corvane-admin: " + why)) << run.errors.toStdString();
        EXPECT_TRUE(run.errors.contains("profile (--customers N,N... | --groups N,N...)")) << shown;
    }
    EXPECT_FALSE(QFile::exists(Data("a.txt")));
}

TEST_F(ReportCommandTest, WhatTheSalesReportsHaveNothingForIsToldOnce) {
    const struct {
        QStringList args;
        QString told;
    } runs[] = {
        {{"sales-summary", "--from", "2030-01-01", "--to", "2030-01-31"},
         "No Invoices within selected dates."},
        {{"product-buyers", "--product", "NO-SUCH"}, "Product not on file: NO-SUCH"},
        {{"profile", "--customers", "999"}, "Customer not on file: 999"},
    };
    for (const auto& run : runs) {
        const AdminRun admin =
            Admin(QStringList{"report"} + run.args + QStringList{"--text", "n.txt"});
        EXPECT_EQ(admin.status, 1) << run.args.join(' ').toStdString();
        EXPECT_EQ(admin.told, QStringList({"corvane-admin: " + run.told}));
        EXPECT_FALSE(QFile::exists(Data("n.txt")));
    }
}

}  // namespace
