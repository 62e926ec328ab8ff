// The label and mail-merge actions as the main window runs them, every dialog answered by the
// test and every prompt scripted; without a printer the labels go to the PDF file named.
#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "db/settings.h"
#include "labels/lab_print_form.h"
#include "labels/label_actions.h"
#include "report/mult_group_form.h"
#include "report/print_target.h"
#include "tests/labels/label_data_fixture.h"
#include "tests/reports/modal_of.h"
#include "tests/support/scripted_prompts.h"
#include "ui/digit_box.h"

using labels::LabelKind;
using labels::TLabPrint;
using prompt::Kind;

namespace {

class LabelActionsTest : public LabelDataTest {
protected:
    void SetUp() override {
        LabelDataTest::SetUp();
        // No printer: output to a file, whatever printers the machine has.
        noPrinter_.setOutputFormat(QPrinter::PdfFormat);
        reports::UseReportOutput(nullptr, &noPrinter_);
    }
    void TearDown() override { reports::UseReportOutput(nullptr, nullptr); }

    static QString EntryOf(TLabPrint* dialog, const char* box) {
        return dialog->findChild<DigitBox*>(box)->entryText();
    }

    // Clicks the left (0) or right (1) arrow of an up-down, or its up (0) or down (1) arrow.
    static void Arrow(TLabPrint* dialog, const char* upDown, int which, int times = 1) {
        const auto arrows = dialog->findChild<QWidget*>(upDown)->findChildren<QToolButton*>();
        for (int i = 0; i < times; ++i) QTest::mouseClick(arrows.at(which), Qt::LeftButton);
    }

    static void ChooseAllGroups() {
        onModalOf<reports::TMultGroup>([](reports::TMultGroup* dialog) {
            QTest::mouseClick(dialog->findChild<QPushButton*>("BtnAll"), Qt::LeftButton);
            QTest::mouseClick(dialog->findChild<QPushButton*>("BtnRun"), Qt::LeftButton);
        });
    }

    QPrinter noPrinter_;
    QTemporaryDir out_;
};

TEST_F(LabelActionsTest, GroupLabelsGoOnTheStockChosenFromTheColumnAndRowChosen) {
    LabelRecord twoUp = ThreeAcross("Two up");
    twoUp.NAcross = 2;
    AddStock(ThreeAcross("Sheet 3x10"));
    AddStock(twoUp);
    SettingsRecord.LabID = "Two up";
    ASSERT_TRUE(SaveSettings());
    const QString pdf = out_.filePath("labels");
    QStringList shown;
    onModalOf<TLabPrint>([&](TLabPrint* dialog) {
        auto* stocks = dialog->findChild<QComboBox*>("ComboBox1");
        shown << stocks->currentText() << EntryOf(dialog, "MaskEdit1")
              << EntryOf(dialog, "MaskEdit2");
        Arrow(dialog, "UpDown1", 1, 4);  // two across: stops at 2
        shown << EntryOf(dialog, "MaskEdit1");
        stocks->setCurrentIndex(stocks->findText("Sheet 3x10"));
        Arrow(dialog, "UpDown1", 1, 4);  // three across: stops at 3
        Arrow(dialog, "UpDown2", 0);     // row 1 stays
        Arrow(dialog, "UpDown2", 1, 2);  // row 3
        Arrow(dialog, "UpDown2", 0);     // row 2
        shown << EntryOf(dialog, "MaskEdit1") << EntryOf(dialog, "MaskEdit2");
        QTest::mouseClick(dialog->findChild<QPushButton*>("BtnOK"), Qt::LeftButton);
    });
    ChooseAllGroups();
    ScriptedPrompts script;
    script.expect(Kind::SaveFile, "Print Labels to File", {true, pdf});
    labels::RunLabels(nullptr, LabelKind::CustomerGroups);
    EXPECT_EQ(script.pending(), 0) << script.seen().join('\n').toStdString();
    EXPECT_EQ(shown, QStringList({"Two up", "1", "1 ", "2", "3", "2 "}));
    // Groups 1 and 2 (Doe's group 9 is not on file) in postal-code order from row 2, column 3.
    const QString file = pdf + ".pdf";
    EXPECT_EQ(Cell(file, 1, 2, 3), "Ms Ann Lee|12 Oak St|Salem, MA 01970");
    EXPECT_EQ(Cell(file, 1, 3, 1), "Mr Al Adams|1 Elm St 02110");
    EXPECT_EQ(Cell(file, 1, 3, 2), "Bob Ray|Ray Farms|4 Mill Rd|Apt 2|Dover, DE 19901");
    EXPECT_EQ(Cell(file, 1, 3, 3), "");
    // The stock printed on is the one preselected next time.
    ASSERT_TRUE(LoadSettings());
    EXPECT_EQ(SettingsRecord.LabID.trimmed(), "Sheet 3x10");
}

TEST_F(LabelActionsTest, WithoutStockOrWithAStockThePaperCannotTakeNothingIsAskedOrPrinted) {
    {
        ScriptedPrompts script;
        script.expect(Kind::Information,
                      "Label Stock has not been defined. Choose Preferences - Label Forms "
                      "to define label stock; ready stocks for the common sheets and rolls "
                      "are offered there.");
        labels::RunLabels(nullptr, LabelKind::CustomerGroups);
        EXPECT_EQ(script.pending(), 0);
    }
    LabelRecord wide = ThreeAcross("Four across");
    wide.NAcross = 4;
    AddStock(wide);
    onModalOf<TLabPrint>([](TLabPrint* dialog) {
        QTest::mouseClick(dialog->findChild<QPushButton*>("BtnOK"), Qt::LeftButton);
    });
    ScriptedPrompts script;
    script.expect(Kind::Information,
                  "Label Stock \"Four across\" cannot be printed: its labels are wider than the "
                  "paper.");
    labels::RunLabels(nullptr, LabelKind::InvoicesDated);
    EXPECT_EQ(script.seen().size(), 1);  // no date dialog, no file dialog
}

TEST_F(LabelActionsTest, CancellingThePrintOptionsOrTheFileDialogPrintsNothing) {
    AddStock(ThreeAcross("Sheet 3x10"));
    onModalOf<TLabPrint>([](TLabPrint* dialog) {
        QTest::mouseClick(dialog->findChild<QPushButton*>("BtnCancel"), Qt::LeftButton);
    });
    {
        ScriptedPrompts script;
        labels::RunLabels(nullptr, LabelKind::CustomerGroups);
        EXPECT_TRUE(script.seen().isEmpty());
    }
    onModalOf<TLabPrint>([](TLabPrint* dialog) {
        QTest::mouseClick(dialog->findChild<QPushButton*>("BtnOK"), Qt::LeftButton);
    });
    ChooseAllGroups();
    ScriptedPrompts script;
    script.expect(Kind::SaveFile, "Print Labels to File", {false, {}});
    labels::RunLabels(nullptr, LabelKind::CustomerGroups);
    EXPECT_EQ(script.pending(), 0);
    EXPECT_TRUE(QDir(out_.path()).isEmpty());
}

TEST_F(LabelActionsTest, ALabelFileThatCannotBeWrittenIsToldAndAnEarlierOneStaysWhole) {
    AddStock(ThreeAcross("Sheet 3x10"));
    SettingsRecord.LabID = "Sheet 3x10";  // printing on it again writes no settings
    ASSERT_TRUE(SaveSettings());
    const QString pdf = out_.filePath("labels.pdf");
    {
        QFile earlier(pdf);
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier labels");
    }
    onModalOf<TLabPrint>([](TLabPrint* dialog) {
        QTest::mouseClick(dialog->findChild<QPushButton*>("BtnOK"), Qt::LeftButton);
    });
    ChooseAllGroups();
    ScriptedPrompts script;
    script.expect(Kind::SaveFile, "Print Labels to File", {true, pdf});
    script.expect(Kind::Information, "Unable to save to: " + pdf);
    {
        const FileSizeLimit full(1000);  // far less than a page of labels
        labels::RunLabels(nullptr, LabelKind::CustomerGroups);
    }
    EXPECT_EQ(script.pending(), 0) << script.seen().join('\n').toStdString();
    QFile earlier(pdf);
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), "earlier labels");
    EXPECT_EQ(QDir(out_.path()).entryList(QDir::Files), QStringList({"labels.pdf"}));
}

TEST_F(LabelActionsTest, MailMergeWritesTheChosenGroupsToTheFileNamedAndTellsAFailure) {
    ChooseAllGroups();
    {
        ScriptedPrompts script;
        script.expect(Kind::SaveFile, "Save Mail Merge File", {true, out_.filePath("merge")});
        labels::RunMailMerge(nullptr);
        EXPECT_EQ(script.pending(), 0);
    }
    QFile merge(out_.filePath("merge.doc"));
    ASSERT_TRUE(merge.open(QIODevice::ReadOnly));
    // The header and the three customers of groups 1 and 2.
    EXPECT_EQ(merge.readAll().count("\r\n"), 4);

    ChooseAllGroups();
    const QString nowhere = out_.filePath("gone/merge.doc");
    ScriptedPrompts script;
    script.expect(Kind::SaveFile, "Save Mail Merge File", {true, nowhere});
    script.expect(Kind::Information, "Unable to save to: " + nowhere);
    labels::RunMailMerge(nullptr);
    EXPECT_EQ(script.pending(), 0);
}

}  // namespace
