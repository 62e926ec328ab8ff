// corvane-admin labels run as a process on the hand-made business: the PDF read back with
// pdftotext one label cell at a time, the starting position, continuous stock over several
// pages, the refusal of a stock the paper cannot take, and bad options.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <utility>

#include "tests/labels/label_data_fixture.h"

namespace {

struct AdminRun {
    int status = -1;
    QString errors;
    QByteArray output;
};

class LabelCommandTest : public LabelDataTest {
protected:
    void SetUp() override {
        LabelDataTest::SetUp();
        AddStock(ThreeAcross("Sheet 3x10"));
    }

    AdminRun Admin(const QStringList& args) const {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("QT_QPA_PLATFORM");
        env.insert("LC_ALL", "en_US.UTF-8");
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(QDir::currentPath());
        process.start(CORVANE_ADMIN, QStringList{"labels"} + args);
        AdminRun run;
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
            return run;
        run.status = process.exitCode();
        run.errors = QString::fromUtf8(process.readAllStandardError());
        run.output = process.readAllStandardOutput();
        return run;
    }

    static int Pages(const QString& pdf) {
        QProcess process;
        process.start("pdfinfo", {pdf});
        process.waitForFinished(30000);
        for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split('\n'))
            if (line.startsWith("Pages:")) return line.mid(6).trimmed().toInt();
        return -1;
    }

    QTemporaryDir out_;
};

TEST_F(LabelCommandTest, EveryAddressIsPrintedInsideItsOwnLabelFromTheStartingPosition) {
    const QString pdf = out_.filePath("groups.pdf");
    const AdminRun run = Admin(
        {"--stock", "Sheet 3x10", "--groups", "1,2", "--row", "2", "--column", "3", "--pdf", pdf});
    ASSERT_EQ(run.status, 0) << run.errors.toStdString();
    EXPECT_EQ(run.errors.toStdString(), "");
    EXPECT_EQ(Pages(pdf), 1);
    // Postal-code order from row 2, column 3: Lee, then Adams and Ray on row 3.
    EXPECT_EQ(Cell(pdf, 1, 2, 3), "Ms Ann Lee|12 Oak St|Salem, MA 01970");
    EXPECT_EQ(Cell(pdf, 1, 3, 1), "Mr Al Adams|1 Elm St 02110");
    EXPECT_EQ(Cell(pdf, 1, 3, 2), "Bob Ray|Ray Farms|4 Mill Rd|Apt 2|Dover, DE 19901");
    for (const auto& [row, column] : {std::pair{1, 1}, {1, 2}, {1, 3}, {2, 1}, {2, 2}, {3, 3}})
        EXPECT_EQ(Cell(pdf, 1, row, column), "") << row << "," << column;
}

TEST_F(LabelCommandTest, InvoiceKindsTakeTheirSpanAndARowBeyondTheSheetBeginsOnPageTwo) {
    const QString pdf = out_.filePath("invoices.pdf");
    const AdminRun run = Admin({"--stock", "Sheet 3x10", "--invoices-dated", "2025-03-01",
                                "2025-03-31", "--row", "11", "--pdf", pdf});
    ASSERT_EQ(run.status, 0) << run.errors.toStdString();
    EXPECT_EQ(Pages(pdf), 2);
    EXPECT_EQ(Cell(pdf, 1, 1, 1), "");
    EXPECT_EQ(Cell(pdf, 2, 1, 1), "Ms Ann Lee|12 Oak St|Salem, MA 01970");
    EXPECT_EQ(Cell(pdf, 2, 1, 2), "Bob Ray|Ray Farms|4 Mill Rd|Apt 2|Dover, DE 19901");
    EXPECT_EQ(Cell(pdf, 2, 1, 3), "");
}

TEST_F(LabelCommandTest, ContinuousStockLongerThanAPdfPageGoesOnOnTheNextPage) {
    // One label of 380 points a row from 36 down: one row fits Letter's 792, the next would not.
    LabelRecord roll = ThreeAcross("Roll");
    roll.NAcross = 1;
    roll.Height = 380;
    roll.Continuous = true;
    AddStock(roll);
    const QString pdf = out_.filePath("roll.pdf");
    const AdminRun run = Admin({"--stock", "Roll", "--groups", "1,2", "--pdf", pdf});
    ASSERT_EQ(run.status, 0) << run.errors.toStdString();
    ASSERT_EQ(Pages(pdf), 3);
    const QStringList names{"Ms Ann Lee", "Mr Al Adams", "Bob Ray"};
    for (int page = 1; page <= 3; ++page) {
        QProcess text;
        text.start("pdftotext", {"-f", QString::number(page), "-l", QString::number(page),
                                 "-layout", pdf, "-"});
        ASSERT_TRUE(text.waitForFinished(30000));
        const QString found = QString::fromUtf8(text.readAllStandardOutput()).simplified();
        EXPECT_TRUE(found.startsWith(names[page - 1])) << page << ": " << found.toStdString();
    }
    // A ready stock is printed on by its name though LABELS does not hold it.
    const AdminRun ready = Admin({"--stock", "Continuous 1 across (3 1/2 x 15/16 in)",
                                  "--groups", "1,2", "--pdf", pdf});
    ASSERT_EQ(ready.status, 0) << ready.errors.toStdString();
    EXPECT_EQ(Pages(pdf), 1);
}

TEST_F(LabelCommandTest, AStockTooWideForThePaperIsRefusedByNameAndNoFileIsWritten) {
    LabelRecord wide = ThreeAcross("Four across");
    wide.NAcross = 4;
    AddStock(wide);
    const QString pdf = out_.filePath("wide.pdf");
    {
        QFile earlier(pdf);
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier");
    }
    const AdminRun run = Admin({"--stock", "Four across", "--groups", "1", "--pdf", pdf});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errors.toStdString(),
              "corvane-admin: Label Stock \"Four across\" cannot be printed: its labels are "
              "wider than the paper.\n");
    QFile earlier(pdf);
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), "earlier");
}

TEST_F(LabelCommandTest, NothingToPrintAnUnknownStockAndBadOptionsAreTold) {
    const QString pdf = out_.filePath("none.pdf");
    AdminRun run = Admin({"--stock", "Sheet 3x10", "--groups", "8", "--pdf", pdf});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errors.toStdString(), "corvane-admin: No labels to print.\n");
    run = Admin({"--stock", "Roll", "--groups", "1", "--pdf", pdf});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errors.toStdString(), "corvane-admin: Label Stock \"Roll\" is not defined.\n");
    EXPECT_FALSE(QFile::exists(pdf));
    const std::pair<QStringList, QString> bad[] = {
        {{"--stock", "Sheet 3x10", "--pdf", pdf}, "labels needs a selection"},
        {{"--stock", "Sheet 3x10", "--groups", "1", "--customers", "1", "--pdf", pdf},
         "--customers: only one selection may be given"},
        {{"--stock", "Sheet 3x10", "--past-due", "2025-03-01", "--pdf", pdf},
         "--past-due: \"--pdf\" is not a date written YYYY-MM-DD"},
        {{"--stock", "Sheet 3x10", "--groups", "1", "--row", "0", "--pdf", pdf},
         "--row: \"0\" is not a number from 1 to 99"},
        {{"--groups", "1", "--pdf", pdf}, "labels needs --stock"},
        {{"--stock", "Sheet 3x10", "--groups", "1", "--sort", "zip"},
         "--sort is not an option of labels"},
    };
    for (const auto& [args, why] : bad) {
        run = Admin(args);
        EXPECT_EQ(run.status, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.errors.startsWith("corvane-admin: " + why)) << run.errors.toStdString();
        EXPECT_TRUE(run.errors.contains("labels --stock NAME"));
    }
}

TEST_F(LabelCommandTest, APdfNamedDashGoesToTheStandardOutput) {
    const AdminRun run = Admin({"--stock", "Sheet 3x10", "--groups", "1,2", "--pdf", "-"});
    ASSERT_EQ(run.status, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.output.startsWith("%PDF-"));
    const QString pdf = out_.filePath("from-output.pdf");
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(run.output), run.output.size());
    file.close();
    EXPECT_EQ(Cell(pdf, 1, 1, 1), "Ms Ann Lee|12 Oak St|Salem, MA 01970");
    EXPECT_FALSE(QFile::exists(QDir::current().filePath("-")));
}

}  // namespace
