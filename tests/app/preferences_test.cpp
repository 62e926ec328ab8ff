#include <QApplication>
#include <QFontDialog>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "app/report_output.h"
#include "import/import_dirs.h"
#include "report/print_target.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/modal.h"

namespace {

// Starts the program with the Preferences tab in front and the window active.
TMain& ShowPreferences(TMain& main) {
    main.findChild<QTabWidget*>("PageControl1")->setCurrentIndex(3);
    return main;
}

// Answers the font dialog: picks `font` in it, then presses OK or Cancel.
void AnswerFontDialog(const QFont& font, bool ok) {
    onNextModal([=](QWidget* dialog) {
        auto* fonts = qobject_cast<QFontDialog*>(dialog);
        ASSERT_NE(fonts, nullptr);
        fonts->setCurrentFont(font);
        ok ? fonts->accept() : fonts->reject();
    });
}

QFont Serif(int size) {
    QFont font("DejaVu Serif");
    font.setPointSize(size);
    return font;
}

}  // namespace

TEST_F(MainWindowTest, ClickingAnotherCustomerOrderOrInventoryMethodWritesTheSettingsAtOnce) {
    TMain& main = ShowPreferences(start());
    activate(main);
    QTest::mouseClick(child<QRadioButton>(main, "RadioButton1"), Qt::LeftButton);
    EXPECT_TRUE(SettingsRecord.ByCust);
    EXPECT_TRUE(ReadStoredSettings().byCust);

    QTest::mouseClick(child<QRadioButton>(main, "RadioButton3"), Qt::LeftButton);
    EXPECT_TRUE(ReadStoredSettings().fifo);
    EXPECT_TRUE(ReadStoredSettings().byCust);

    QTest::mouseClick(child<QRadioButton>(main, "RadioButton2"), Qt::LeftButton);
    EXPECT_FALSE(SettingsRecord.ByCust);
    EXPECT_FALSE(ReadStoredSettings().byCust);
    EXPECT_TRUE(ReadStoredSettings().fifo);
}

TEST_F(MainWindowTest, TheFocusLeavingAChoiceGroupWritesTheWholeRecord) {
    TMain& main = ShowPreferences(start());
    activate(main);
    child<QRadioButton>(main, "RadioButton4")->setFocus();
    StoreCompany("Changed elsewhere");
    child<QRadioButton>(main, "RadioButton3")->setFocus();  // still inside the group
    EXPECT_EQ(ReadStoredSettings().company, "Changed elsewhere");

    child<QRadioButton>(main, "RadioButton1")->setFocus();  // into the other group
    EXPECT_EQ(ReadStoredSettings().company, "");            // the record was written from memory
    EXPECT_FALSE(ReadStoredSettings().fifo);

    StoreCompany("Changed again");
    child<QPushButton>(main, "BtnFont")->setFocus();
    EXPECT_EQ(ReadStoredSettings().company, "");
}

TEST_F(MainWindowTest, TheFontDialogChangesTheReportFontOnlyOnOkButWritesTheSettingsEitherWay) {
    TMain& main = start();
    const QFont before = ReportFont;
    auto* box = child<QLineEdit>(main, "Edit1");
    const QString shown = box->text();
    ASSERT_EQ(ReadStoredSettings().fontName, "");

    AnswerFontDialog(Serif(13), false);
    click(main, "BtnFont");
    EXPECT_EQ(ReportFont, before);
    EXPECT_EQ(box->text(), shown);
    EXPECT_EQ(ReadStoredSettings().fontName, before.family());
    EXPECT_EQ(ReadStoredSettings().fontSize, before.pointSize());

    AnswerFontDialog(Serif(13), true);
    click(main, "BtnFont");
    EXPECT_EQ(ReportFont.family(), "DejaVu Serif");
    EXPECT_EQ(box->text(), "DejaVu Serif@13");
    EXPECT_EQ(ReadStoredSettings().fontName, "DejaVu Serif");
    EXPECT_EQ(ReadStoredSettings().fontSize, 13);
    EXPECT_EQ(SettingsRecord.FontSize, 13);
    EXPECT_EQ(reports::CurrentReportFont(), ReportFont);  // what reports are drawn with
}

TEST_F(MainWindowTest, WithNoPrinterInstalledThePrinterBoxKeepsItsText) {
    if (!QPrinterInfo::availablePrinters().isEmpty()) GTEST_SKIP() << "a printer is installed";
    TMain& main = start();
    auto* box = child<QLineEdit>(main, "Edit2");
    const QString designText = box->text();
    EXPECT_FALSE(designText.isEmpty());
    for (bool ok : {false, true}) {
        onNextModal([ok](QWidget* dialog) {
            ASSERT_NE(qobject_cast<QPrintDialog*>(dialog), nullptr);
            ok ? static_cast<QDialog*>(dialog)->accept() : static_cast<QDialog*>(dialog)->reject();
        });
        click(main, "BtnPSetup");
        EXPECT_EQ(box->text(), designText);
    }
    EXPECT_EQ(PrinterText(ReportPrinter()), "");
    EXPECT_EQ(&reports::CurrentReportPrinter(), &ReportPrinter());
}

TEST_F(MainWindowTest, SalesTaxOpensTheTaxDefinitionAndItsSaveReachesTheSettings) {
    TMain& main = ShowPreferences(start());
    activate(main);
    onNextModal([](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Tax Definition");
        dialog->findChild<QLineEdit*>("Edit2")->setText("State Tax");
        dialog->findChild<QPushButton*>("BtnSave")->click();
    });
    child<QPushButton>(main, "BtnSTax")->click();
    EXPECT_EQ(SettingsRecord.TaxLine, "State Tax");
    SettingsRecord = {};
    ASSERT_TRUE(LoadSettings());
    EXPECT_EQ(SettingsRecord.TaxLine.trimmed(), "State Tax");
}

TEST_F(MainWindowTest, ImportDirsOpensTheDirectoriesWithoutWaitingAndOnlyOnce) {
    TMain& main = ShowPreferences(start());
    activate(main);
    child<QPushButton>(main, "BtnDirectories")->click();
    auto* dialog = main.findChild<QDialog*>("TImportdir");
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the main window stays usable";
    dialog->findChild<QLineEdit*>("Edit1")->setText("/orders/info");
    child<QPushButton>(main, "BtnDirectories")->click();
    EXPECT_EQ(main.findChildren<QDialog*>("TImportdir").size(), 1);
    EXPECT_EQ(dialog->findChild<QLineEdit*>("Edit1")->text(), "/orders/info")
        << "pressed again, the open dialog comes to the front as it is";
    dialog->findChild<QPushButton*>("BSave")->click();
    EXPECT_FALSE(dialog->isVisible());
    ASSERT_TRUE(ReadImportDirs());
    EXPECT_EQ(InfoDir, "/orders/info");
}
