// Which customers each kind of label run labels, in which order, and the mail-merge file, over
// the hand-made business of the sales reports:
//   customer  zip    group   invoices (date, amount due)
//   1 Lee     01970  1       1 (03/03/25, 3.86), 4 (04/02/25, -11.77)
//   2 Ray     19901  2       2 (03/10/25, 0.00)
//   3 Doe     12345  9       5 (02/27/25, 1.05)
//   4 Adams   02110  1       -
//   (none)                   3 (03/10/25, 10.50) of customer 99, who does not exist
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "labels/label_selection.h"
#include "labels/mail_merge.h"
#include "tests/labels/label_data_fixture.h"
#include "tests/support/fifo_reader.h"

using labels::LabelKind;
using labels::LabelSelection;

namespace {

class LabelSelectionTest : public LabelDataTest {
protected:
    // The first line of each label of the selection.
    QStringList Names(const LabelSelection& selection) {
        const labels::SelectedLabels selected = labels::SelectLabels(selection);
        EXPECT_TRUE(selected.read);
        QStringList names;
        for (const labels::AddressBlock& label : selected.labels) names << label[0];
        return names;
    }

    static LabelSelection Span(LabelKind kind, const char* from, const char* to) {
        LabelSelection s;
        s.kind = kind;
        s.from = Day(from);
        s.to = Day(to);
        return s;
    }
};

TEST_F(LabelSelectionTest, EachKindLabelsItsCustomersInItsOrder) {
    LabelSelection picked;
    picked.kind = LabelKind::SelectedCustomers;
    picked.customers = {4, 77, 1};
    const labels::SelectedLabels selected = labels::SelectLabels(picked);
    ASSERT_EQ(selected.labels.size(), 2u);
    EXPECT_EQ(selected.labels[0],
              labels::AddressBlock({"Mr Al Adams", "1 Elm St  02110", "", "", ""}));
    EXPECT_EQ(selected.labels[1][0], "Ms Ann Lee");
    EXPECT_EQ(selected.notFound, QList<int>({77}));

    // One label per invoice, in date order; invoice 3's customer does not exist.
    EXPECT_EQ(Names(Span(LabelKind::InvoicesDated, "20250227", "20250402")),
              QStringList({"Cy Doe", "Ms Ann Lee", "Bob Ray", "Ms Ann Lee"}));
    EXPECT_EQ(progress_.first(), "show Processing Invoice Labels");
    // Only invoices with an amount due; a credit is an amount due.
    EXPECT_EQ(Names(Span(LabelKind::PastDueBilling, "20250301", "20250430")),
              QStringList({"Ms Ann Lee", "Ms Ann Lee"}));
    // Once per customer, in postal-code order.
    EXPECT_EQ(Names(Span(LabelKind::BalanceDueStatement, "20250201", "20250430")),
              QStringList({"Ms Ann Lee", "Cy Doe"}));
    EXPECT_EQ(Names(Span(LabelKind::BalanceDueStatement, "20250304", "20250401")), QStringList());

    LabelSelection groups;
    groups.kind = LabelKind::CustomerGroups;
    groups.groups = {1, 2};
    EXPECT_EQ(Names(groups), QStringList({"Ms Ann Lee", "Mr Al Adams", "Bob Ray"}));
    EXPECT_TRUE(progress_.contains("show Processing Customers"));
    EXPECT_TRUE(progress_.contains("show Processing Statement Labels"));
    EXPECT_TRUE(progress_.contains("show Processing Billing Labels"));
    EXPECT_EQ(progress_.last(), "hide");
}

TEST_F(LabelSelectionTest, ACustomerMarkedDeletedButNotPackedIsStillLabelled) {
    MarkDeleted(OpenCustomers, &CustTbl, "LEE");
    LabelSelection groups;
    groups.kind = LabelKind::CustomerGroups;
    groups.groups = {1};
    EXPECT_EQ(Names(groups), QStringList({"Ms Ann Lee", "Mr Al Adams"}));
}

QByteArray Bytes(const QString& fileName) {
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

TEST_F(LabelSelectionTest, TheMailMergeFileHasTheHeaderAndTheGroupsCustomersInPostalCodeOrder) {
    AddCustomer(5, "Dr", "Tab\tby", " Mistake ", {QStringLiteral("Café €\tInc")}, "00001", 2);
    MarkDeleted(OpenCustomers, &CustTbl, "ADAMS");
    QTemporaryDir out;
    const QString name = out.filePath("merge.doc");
    {
        QFile old(name);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(5000, 'x'));
    }
    const labels::MergeResult result = labels::WriteMailMerge(name, {1, 2});
    ASSERT_TRUE(result.saved) << result.message.toStdString();
    EXPECT_EQ(result.customers, 4);
    EXPECT_EQ(Bytes(name),
              "Title\tFirstName\tLastName\tCompany\tAddr1\tAddr2\tAddr3\tPostalCode\r\n"
              // the tabs inside fields stand as they are: two extra columns; text in the
              // tables' code page, the euro sign as its byte 0x80
              "Dr\tTab\tby\tMistake\tCaf\xe9 \x80\tInc\t\t\t\t00001\r\n"
              "Ms\tAnn\tLee\t12 Oak St\tSalem, MA\t\t\t01970\r\n"
              // marked deleted, not yet packed: exported
              "Mr\tAl\tAdams\t1 Elm St\t\t\t\t02110\r\n"
              "\tBob\tRay\tRay Farms\t4 Mill Rd\tApt 2\tDover, DE\t19901\r\n");
    EXPECT_EQ(progress_.first(), "show Exporting Mail Merge File");
    EXPECT_EQ(percents_.last(), 100);

    // Groups without customers: the header alone.
    ASSERT_TRUE(labels::WriteMailMerge(name, {8}).saved);
    EXPECT_EQ(Bytes(name), labels::MergeHeader().toLatin1() + "\r\n");
}

TEST_F(LabelSelectionTest, AMailMergeFileThatCannotBeWrittenIsToldAndLeavesAnEarlierFileWhole) {
    QTemporaryDir out;
    const QString earlier = out.filePath("earlier.doc");
    {
        QFile file(earlier);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("the earlier merge file\r\n");
    }
    {
        const FileSizeLimit full(100);  // the header and a customer or two
        const labels::MergeResult result = labels::WriteMailMerge(earlier, {1, 2});
        EXPECT_FALSE(result.saved);
        EXPECT_EQ(result.message, "Unable to save to: " + earlier);
    }
    EXPECT_EQ(Bytes(earlier), "the earlier merge file\r\n");
    EXPECT_EQ(QDir(out.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList({"earlier.doc"}));

    // A folder that does not exist.
    const QString name = out.filePath("no such folder/merge.doc");
    const labels::MergeResult result = labels::WriteMailMerge(name, {1});
    EXPECT_FALSE(result.saved);
    EXPECT_EQ(result.message, "Unable to save to: " + name);
    EXPECT_EQ(QDir(out.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList({"earlier.doc"}));
}

// A FIFO named as the mail-merge file gets the file written into it and stays a FIFO.
TEST_F(LabelSelectionTest, AMailMergeFileThatIsAFifoIsWrittenIntoAndStaysOne) {
    QTemporaryDir out;
    const std::string name = out.filePath("merge.fifo").toStdString();
    FifoReader fifo(name);
    ASSERT_TRUE(fifo.ok());
    const labels::MergeResult result = labels::WriteMailMerge(QString::fromStdString(name), {9});
    EXPECT_TRUE(result.saved) << result.message.toStdString();
    EXPECT_EQ(fifo.received(),
              labels::MergeHeader().toStdString() + "\r\n\tCy\tDoe\tDoe Bakery\t\t\t\t12345\r\n");
    EXPECT_EQ(FileKind(name), 'p');
}

}  // namespace
