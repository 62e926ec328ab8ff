#include <QGroupBox>
#include <QMenu>
#include <QProgressBar>
#include <QToolButton>

#include "db/open_tables.h"
#include "db/read_write.h"
#include "tests/app/main_window_fixture.h"

namespace {

// What the progress box showed at each percentage an operation set.
struct ProgressWatch {
    QList<int> percents;
    QStringList captions;
    bool hiddenWhileRunning = false;

    explicit ProgressWatch(const TMain& main) {
        auto* box = main.findChild<QGroupBox*>("ProgressBox");
        auto* bar = main.findChild<QProgressBar*>("ProgressBar1");
        QObject::connect(bar, &QProgressBar::valueChanged, bar, [this, box](int value) {
            if (value == 0) return;  // reset as the box is shown or hidden
            percents << value;
            if (!captions.contains(box->title())) captions << box->title();
            if (!box->isVisible()) hiddenWhileRunning = true;
        });
    }
};

}  // namespace

TEST_F(MainWindowTest, ReindexRebuildsEveryIndexFileWhileTheProgressBoxShowsHowFar) {
    TMain& main = start();
    std::filesystem::remove(dir_.file("CCNO.ntx"));
    std::filesystem::remove(dir_.file("Labels.ntx"));
    ProgressWatch watch(main);
    click(main, "BtnIndex");
    EXPECT_TRUE(exists("CCNO.ntx"));
    EXPECT_TRUE(exists("Labels.ntx"));
    EXPECT_EQ(watch.percents, QList<int>({5, 25, 30, 35, 40, 60, 80, 100}));
    EXPECT_EQ(watch.captions, QStringList{"Rebuilding Indexes"});
    EXPECT_FALSE(watch.hiddenWhileRunning);
    EXPECT_FALSE(child<QGroupBox>(main, "ProgressBox")->isVisible());
    ASSERT_TRUE(OpenCustomers());
    EXPECT_NE(CustTbl->tag("CCNO"), nullptr);
}

TEST_F(MainWindowTest, PackRemovesDeletedRecordsWhileTheProgressBoxShowsHowFar) {
    TMain& main = start();
    ASSERT_TRUE(OpenProducts());
    for (const char* id : {"A", "B", "C"}) {
        ProdTbl->appendBlank();
        ProdBuf = {};
        ProdBuf.PrID = id;
        WriteProduct();
    }
    ProdTbl->go(2);
    ProdTbl->deleteRecord();
    DbContext->closeAll();
    PackPending = true;

    ProgressWatch watch(main);
    click(main, "BtnPack");
    EXPECT_EQ(RecordCount("Prod5"), 2);
    EXPECT_FALSE(PackPending);
    EXPECT_EQ(watch.percents, QList<int>({10, 30, 35, 50, 70, 75, 85, 100}));
    EXPECT_EQ(watch.captions, QStringList{"Packing Data Files"});
    EXPECT_FALSE(watch.hiddenWhileRunning);
    EXPECT_FALSE(child<QGroupBox>(main, "ProgressBox")->isVisible());
}

TEST_F(MainWindowTest, OnlyTheWorkingActionsAreEnabledAndTheOthersKeepTheirHints) {
    TMain& main = start();
    QStringList enabled;
    QStringList withoutText;
    for (QAbstractButton* button : main.findChildren<QAbstractButton*>()) {
        const QString name = button->objectName();
        if (!name.startsWith("Btn") && !name.startsWith("Image")) continue;
        if (button->isEnabled()) enabled << name;
        if (button->text().isEmpty() && button->toolTip().isEmpty()) withoutText << name;
    }
    for (QMenu* menu : main.findChildren<QMenu*>()) {
        for (QAction* item : menu->actions()) {
            if (!item->isSeparator() && !item->menu() && item->isEnabled())
                enabled << item->objectName();
        }
    }
    enabled.sort();
    EXPECT_EQ(enabled, QStringList({"AboutCVNI1",
                                    "Aging1",
                                    "BalanceDueStatement1",
                                    "BtnBackup",
                                    "BtnChasing",
                                    "BtnCust",
                                    "BtnDirectories",
                                    "BtnErase",
                                    "BtnFont",
                                    "BtnGroups",
                                    "BtnIndex",
                                    "BtnInvLab",
                                    "BtnInvPrint",
                                    "BtnInvRpts",
                                    "BtnInvoice",
                                    "BtnLabForms",
                                    "BtnMMerge",
                                    "BtnMail",
                                    "BtnPSetup",
                                    "BtnPack",
                                    "BtnProd",
                                    "BtnPurchase",
                                    "BtnRInv",
                                    "BtnRLabels",
                                    "BtnRProf",
                                    "BtnRSales",
                                    "BtnRestore",
                                    "BtnSTax",
                                    "BtnStationary",
                                    "BtnUpgrade",
                                    "CostofGoodsSold1",
                                    "CustomerGroups1",
                                    "Exit1",
                                    "HelpContents1",
                                    "Image4",
                                    "Image5",
                                    "IncomeSummary1",
                                    "Inventory1",
                                    "InvoicesDated1",
                                    "MessagesSent1",
                                    "PastDueBilling1",
                                    "ProductBuyers1",
                                    "ProductSummary1",
                                    "ReceivableIncome1",
                                    "ReminderLetters1",
                                    "SalesSummary1",
                                    "SelectedBills2",
                                    "SelectedCustomers2",
                                    "SelectedCustomers3",
                                    "SelectedCustomers4",
                                    "SelectedDates2",
                                    "SelectedGroups1",
                                    "SelectedInvoices1",
                                    "StockOnHand1",
                                    "TaxSummary1",
                                    "WithBalances2",
                                    "WithBalancesDue2"}));
    EXPECT_TRUE(withoutText.isEmpty()) << withoutText.join(", ").toStdString();

    // The label button pops up its five kinds of label run.
    auto* labels = child<QToolButton>(main, "BtnRLabels");
    EXPECT_TRUE(labels->isEnabled());
    EXPECT_EQ(labels->toolTip(), "Print Address Labels");
    EXPECT_EQ(child<QMenu>(main, "PopupMenu5")->actions().size(), 5);
}
