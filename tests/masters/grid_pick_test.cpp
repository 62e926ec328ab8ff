// The grid pick lists driven as the user does: paging by keys and scroll bar, blank rows, the
// incremental search, deleted marks, the record handed in, and the pick routine around the list.
#include <QScrollBar>
#include <algorithm>
#include <map>
#include <memory>

#include "db/open_tables.h"
#include "masters/customer_editor.h"
#include "masters/pick_group.h"
#include "masters/pick_routines.h"
#include "tests/masters/masters_fixture.h"
#include "ui/form_help.h"

using prompt::Kind;

namespace {

QStringList Numbers(int from, int to) {
    QStringList list;
    for (int i = from; i <= to; ++i) list << QString::number(i);
    return list;
}

QString TwoDigits(int i) {
    return QString::number(i).rightJustified(2, '0');
}

class CustomerListTest : public MastersTest {
protected:
    void SetUp() override {
        MastersTest::SetUp();
        ASSERT_TRUE(OpenCustomers() && OpenGroups());
        SettingsRecord.ByCust = true;
    }

    // Customers "Name01" to "NameNN", added in name order, so record i is the i-th in the list.
    static void AddNamed(int count) {
        for (int i = 1; i <= count; ++i) AddCustomer(i, "Name" + TwoDigits(i));
    }
    static std::unique_ptr<TPickCust> ShowList() {
        auto list = std::make_unique<TPickCust>();
        list->show();
        return list;
    }
    static QTableWidget* Grid(QWidget* list) { return Child<QTableWidget>(list, "StringGrid1"); }
    static void Key(QWidget* list, Qt::Key key) { QTest::keyClick(Grid(list), key); }
    static QString Highlighted(QWidget* list, int col = 0) {
        QTableWidget* grid = Grid(list);
        return grid->currentRow() < 0 ? QString() : grid->item(grid->currentRow(), col)->text();
    }
};

TEST_F(CustomerListTest, ElevenRecordsPageByOneRecordAtMost) {
    AddNamed(11);
    auto list = ShowList();
    auto* bar = Child<QScrollBar>(list.get(), "ScrollBar1");
    EXPECT_EQ(PickCustState.MaxTop, 1);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(RecNos(list.get()), Numbers(1, 10));

    Key(list.get(), Qt::Key_PageDown);
    EXPECT_EQ(RecNos(list.get()), Numbers(2, 11));
    EXPECT_EQ(Column(list.get(), 0).last(), "Name11");
    EXPECT_EQ(bar->value(), 100);

    Key(list.get(), Qt::Key_Home);
    EXPECT_EQ(RecNos(list.get()), Numbers(1, 10));
    EXPECT_EQ(bar->value(), 0);

    Key(list.get(), Qt::Key_End);
    EXPECT_EQ(RecNos(list.get()), Numbers(2, 11));

    // The arrows move the list only from the first and the last row.
    Grid(list.get())->setCurrentCell(0, 0);
    Key(list.get(), Qt::Key_Up);
    EXPECT_EQ(RecNos(list.get()), Numbers(1, 10));
    Grid(list.get())->setCurrentCell(4, 0);
    Key(list.get(), Qt::Key_Down);
    EXPECT_EQ(RecNos(list.get()), Numbers(1, 10));
    Grid(list.get())->setCurrentCell(9, 0);
    Key(list.get(), Qt::Key_Down);
    EXPECT_EQ(RecNos(list.get()), Numbers(2, 11));
}

TEST_F(CustomerListTest, ThreeRecordsLeaveSevenBlankRowsThatCannotBeChosen) {
    AddNamed(3);
    auto list = ShowList();
    const QStringList expected = Numbers(1, 3) + QStringList(7, QString());
    EXPECT_EQ(RecNos(list.get()), expected);
    EXPECT_FALSE(Child<QScrollBar>(list.get(), "ScrollBar1")->isVisible());

    for (Qt::Key key : {Qt::Key_PageDown, Qt::Key_End, Qt::Key_PageUp}) {
        Key(list.get(), key);
        EXPECT_EQ(RecNos(list.get()), expected);
    }

    QTableWidget* grid = Grid(list.get());
    EXPECT_EQ(grid->item(3, 0)->flags(), Qt::NoItemFlags);
    grid->setCurrentCell(0, 0);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(5, 0)).center());
    EXPECT_EQ(grid->currentRow(), 0);

    grid->setCurrentCell(2, 0);
    Key(list.get(), Qt::Key_Down);
    EXPECT_EQ(grid->currentRow(), 2);
    grid->setCurrentCell(5, 0);
    EXPECT_EQ(grid->currentRow(), 2);
}

class NameSearchTest : public CustomerListTest {
protected:
    void SetUp() override {
        CustomerListTest::SetUp();
        AddGroup(1, "Retail");
        AddGroup(2, "Schools");
        const QStringList names = {
            "Adams", "Baker",  "Carter", "Davis",   "Evans", "Foster", "Green",   "Hill",  "Irwin",
            "Jones", "Sloan",  "smith",  "Smalley", "Snow",  "Turner", "Vaughan", "Walsh", "Wood",
            "Young", "Zeller", "Zimmer", "Zorn",    "Zuber", "Zwick",  "Zygmunt"};
        // Added out of name order, so record numbers and list places differ.
        int cuno = 0;
        for (auto name = names.rbegin(); name != names.rend(); ++name)
            recOf[*name] = AddCustomer(++cuno, *name, "Ann", *name == "Smalley" ? 2 : 1);
    }
    static void Type(QWidget* list, const QString& text) {
        QTest::keyClicks(Child<QLineEdit>(list, "Edit1"), text);
    }
    std::map<QString, int32_t> recOf;
};

TEST_F(NameSearchTest, TypingSmInEitherCaseStartsTheListAtTheFirstNameFromSm) {
    auto list = ShowList();
    Type(list.get(), "s");
    EXPECT_EQ(Column(list.get(), 0).first(), "Sloan");
    Type(list.get(), "m");
    EXPECT_EQ(PickCustState.LastSeek, "SM");
    // Upper(Last + First): SMALLEY before SMITH, whatever case the name was typed in.
    EXPECT_EQ(Column(list.get(), 0).mid(0, 3), QStringList({"Smalley", "smith", "Snow"}));
    EXPECT_EQ(Highlighted(list.get()), "Smalley");
    EXPECT_EQ(RecNos(list.get()).first(), QString::number(recOf["Smalley"]));
    EXPECT_EQ(Child<QLineEdit>(list.get(), "Edit2")->text(), "Schools");

    Child<QLineEdit>(list.get(), "Edit1")->clear();
    Type(list.get(), "SMI");
    EXPECT_EQ(Highlighted(list.get()), "smith");
    EXPECT_EQ(Child<QLineEdit>(list.get(), "Edit2")->text(), "Retail");

    // Enter in the search box takes the customer found.
    QTest::keyClick(Child<QLineEdit>(list.get(), "Edit1"), Qt::Key_Return);
    EXPECT_EQ(CurCustRec, recOf["smith"]);
    EXPECT_FALSE(list->isVisible());
}

TEST_F(NameSearchTest, AFindInTheLastTenRowsIsShownLowerAndHighlighted) {
    auto list = ShowList();
    Type(list.get(), "yo");
    EXPECT_EQ(PickCustState.TopOffset, PickCustState.MaxTop);
    EXPECT_EQ(Column(list.get(), 0).last(), "Zygmunt");
    EXPECT_EQ(Highlighted(list.get()), "Young");
    EXPECT_EQ(Grid(list.get())->currentRow(), 3);
}

TEST_F(NameSearchTest, ASearchPastEveryKeyOrTheSameTextAgainLeavesTheList) {
    auto list = ShowList();
    Type(list.get(), "z");
    EXPECT_EQ(Highlighted(list.get()), "Zeller");
    Key(list.get(), Qt::Key_Home);
    Type(list.get(), "z");
    EXPECT_EQ(PickCustState.LastSeek, "ZZ");
    EXPECT_EQ(PickCustState.TopOffset, 0);
    EXPECT_EQ(Column(list.get(), 0).first(), "Adams");

    Child<QLineEdit>(list.get(), "Edit1")->clear();
    Type(list.get(), "sm");
    EXPECT_EQ(Column(list.get(), 0).first(), "Smalley");
    Key(list.get(), Qt::Key_PageUp);
    EXPECT_EQ(Column(list.get(), 0).first(), "Baker");
    // "sm " is sought as "SM", the text sought last: the list stays where it was paged to.
    Type(list.get(), " ");
    EXPECT_EQ(Column(list.get(), 0).first(), "Baker");
}

TEST_F(NameSearchTest, ByCompanyTheListShowsTheCompanyFirstInItsOwnOrder) {
    SettingsRecord.ByCust = false;
    CustTbl->go(static_cast<uint32_t>(recOf["Young"]));
    CustFld.addr1->assign("Aardvark Ltd");
    CustTbl->flush();
    auto list = ShowList();
    auto* grid = Grid(list.get());
    EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), "Company");
    EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), "Last");
    // Every other company is blank and sorts first; the one company is last.
    EXPECT_EQ(PickCustState.MaxTop, 15);
    Key(list.get(), Qt::Key_End);
    EXPECT_EQ(Column(list.get(), 0).last(), "Aardvark Ltd");
    EXPECT_EQ(Column(list.get(), 1).last(), "Young");
}

TEST_F(CustomerListTest, TheHandedInRecordIsFoundAtItsPlaceWhereverItStands) {
    // Records added in a scrambled order: record numbers say nothing about list places.
    std::vector<int> order(45);
    for (int i = 0; i < 45; ++i) order[i] = (i * 17) % 45;
    std::map<int, int32_t> recAt;
    for (int place : order) recAt[place] = AddCustomer(place + 1, "Name" + TwoDigits(place));
    const int maxTop = 35;
    for (int place = 0; place < 45; ++place) {
        CurCustRec = recAt[place];
        auto list = ShowList();
        EXPECT_EQ(PickCustState.TopOffset, std::min(place, maxTop)) << "place " << place;
        EXPECT_EQ(Highlighted(list.get()), "Name" + TwoDigits(place));
        EXPECT_EQ(CurCustRec, -1);
    }
    // Paging from a record found in the middle shows the places next to it.
    CurCustRec = recAt[20];
    auto list = ShowList();
    Key(list.get(), Qt::Key_PageDown);
    EXPECT_EQ(Column(list.get(), 0).first(), "Name30");
    Key(list.get(), Qt::Key_PageUp);
    Key(list.get(), Qt::Key_PageUp);
    EXPECT_EQ(Column(list.get(), 0).first(), "Name10");
    EXPECT_EQ(Column(list.get(), 0).last(), "Name19");
    list.reset();

    for (int32_t none : {0, -1, 46}) {
        CurCustRec = none;
        auto list = ShowList();
        EXPECT_EQ(PickCustState.TopOffset, 0);
        EXPECT_EQ(Highlighted(list.get()), "Name00");
    }
}

TEST_F(CustomerListTest, TheScrollBarPagesByLineAndPageAndJumpsWhereTheThumbIsReleased) {
    AddNamed(35);  // MaxTop 25
    auto list = ShowList();
    auto* bar = Child<QScrollBar>(list.get(), "ScrollBar1");
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(PickCustState.TopOffset, 10);
    EXPECT_EQ(bar->value(), 40);
    EXPECT_EQ(RecNos(list.get()).first(), "11");
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(PickCustState.TopOffset, 9);
    EXPECT_EQ(bar->value(), 36);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(RecNos(list.get()), Numbers(26, 35));
    EXPECT_EQ(bar->value(), 100);

    bar->setSliderDown(true);
    bar->setSliderPosition(50);
    bar->triggerAction(QAbstractSlider::SliderMove);
    EXPECT_EQ(PickCustState.TopOffset, 25);  // nothing moves while the thumb is held
    bar->setSliderDown(false);
    EXPECT_EQ(PickCustState.TopOffset, 12);
    EXPECT_EQ(RecNos(list.get()).first(), "13");
    EXPECT_EQ(bar->value(), 48);
}

TEST_F(CustomerListTest, AfterAFillWithoutTheTargetTheCustomerListHighlightsRowOne) {
    AddNamed(30);
    auto list = ShowList();
    Grid(list.get())->setCurrentCell(3, 0);
    Child<QScrollBar>(list.get(), "ScrollBar1")
        ->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(Grid(list.get())->currentRow(), 0);
}

TEST_F(CustomerListTest, ADeletedCustomerIsListedMarkedAndSavingItRecallsIt) {
    AddGroup(1, "Retail");
    AddNamed(3);
    MarkDeleted(CustTbl, 2);
    CurCustRec = 2;
    onNextModal([](QWidget* w) {
        EXPECT_EQ(Column(w, 2), QStringList({"", "< DELETED >", ""}) + QStringList(7, ""));
        Grid(w)->setCurrentCell(1, 0);
        QTest::keyClick(Grid(w), Qt::Key_Return);
    });
    bool createdNew = true;
    ASSERT_TRUE(PickCustomer(true, &createdNew));
    EXPECT_FALSE(createdNew);
    EXPECT_EQ(CurCustRec, 2);

    onNextModal([](QWidget* w) { Click(w, "BtnSave"); });
    TCustomer editor;
    editor.exec();
    EXPECT_EQ(CurCustRec, 2);
    CustTbl->go(2);
    EXPECT_FALSE(CustTbl->deleted());
}

TEST_F(CustomerListTest, ClosingTheListByItsFrameIsCancel) {
    AddNamed(12);
    CurCustRec = 5;
    onNextModal([](QWidget* w) { w->close(); });
    EXPECT_FALSE(PickCustomer(true));
    EXPECT_EQ(CurCustRec, -1);
}

TEST_F(CustomerListTest, AnEmptyTableWithNewAllowedOffersOnlyNewAndTheEditorMakesTheRecord) {
    AddGroup(1, "Retail");
    onNextModal([](QWidget* list) {
        EXPECT_FALSE(Child<QWidget>(list, "BtnSelect")->isEnabled());
        EXPECT_FALSE(Grid(list)->isEnabled());
        EXPECT_EQ(Grid(list)->rowCount(), 0);
        onNextModal([](QWidget* editor) {
            QTest::keyClicks(Child<QLineEdit>(editor, "Edit4"), "First");
            onNextModal([](QWidget* groups) { Click(groups, "BtnSelect"); });
            Click(editor, "BtnGroup");
            Click(editor, "BtnSave");
        });
        Click(list, "BtnNew");
    });
    bool createdNew = false;
    EXPECT_TRUE(PickCustomer(true, &createdNew));
    EXPECT_TRUE(createdNew);
    EXPECT_EQ(CurCustRec, 1);
    CustTbl->go(1);
    ReadCustomer();
    EXPECT_EQ(CustBuf.cuno, 1);
    EXPECT_EQ(CustBuf.ngroup, 1);
    EXPECT_EQ(CustBuf.last.trimmed(), "First");
}

TEST_F(CustomerListTest, NewIsOfferedOnlyWhenAllowed) {
    AddNamed(2);
    onNextModal([](QWidget* list) {
        EXPECT_FALSE(Child<QWidget>(list, "BtnNew")->isEnabled());
        Click(list, "BtnCancel");
    });
    EXPECT_FALSE(PickCustomer(false));
}

TEST_F(MastersTest, EveryPickRoutineRefusesAnEmptyTableWithoutNew) {
    ASSERT_TRUE(OpenCustomers() && OpenGroups() && OpenProducts() && OpenPurchases() &&
                OpenLabels());
    prompts_.expect(Kind::Information, "Customer Database is Empty")
        .expect(Kind::Information, "Group Database is Empty")
        .expect(Kind::Information, "Product Database is Empty")
        .expect(Kind::Information, "Purchase Database is Empty")
        .expect(Kind::Information, "Label Database is Empty");
    CurCustRec = CurGroupRec = CurProdRec = CurPurRec = CurLabRec = 7;
    bool createdNew = true;
    EXPECT_FALSE(PickCustomer(false, &createdNew));
    EXPECT_FALSE(createdNew);
    EXPECT_FALSE(PickGroup(false));
    EXPECT_FALSE(PickProduct(false));
    EXPECT_FALSE(PickPurchase(false));
    EXPECT_FALSE(PickLabelStock(false));
    for (int32_t result : {CurCustRec, CurGroupRec, CurProdRec, CurPurRec, CurLabRec})
        EXPECT_EQ(result, -1);
}

TEST_F(MastersTest, F1InEveryPickListShowsTheHelpOnLists) {
    ASSERT_TRUE(OpenCustomers() && OpenGroups() && OpenProducts() && OpenPurchases());
    AddCustomer(1, "Adams");
    AddGroup(1, "Retail");
    QStringList topics;
    ShowHelpTopic = [&](const auto& topic) { topics << QString("%1").arg(topic); };
    const auto pressF1 = [](QDialog* list) {
        list->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(list));
        QTest::keyClick(list->focusWidget() ? list->focusWidget() : list, Qt::Key_F1);
        list->reject();
    };
    TPickCust customers;
    customers.show();
    pressF1(&customers);
    TPickProd products;
    products.show();
    pressF1(&products);
    TPickPur purchases;
    purchases.show();
    pressF1(&purchases);
    TPickGroup groups;
    groups.show();
    pressF1(&groups);
    ShowHelpTopic = nullptr;
    EXPECT_EQ(topics, QStringList({"lists", "lists", "lists", "lists"}));
}

class ProductListTest : public MastersTest {
protected:
    void SetUp() override {
        MastersTest::SetUp();
        ASSERT_TRUE(OpenProducts());
    }
};

TEST_F(ProductListTest, PricesAreShownAndADeletedProductIsMarkedInsteadOfItsPrice) {
    AddProduct("XYZ", 3);
    AddProduct("ABC", 12.5);
    MarkDeleted(ProdTbl, AddProduct("ABD", 1));
    TPickProd list;
    list.show();
    EXPECT_EQ(list.windowTitle(), "Products");
    EXPECT_EQ(Column(&list, 0).mid(0, 3), QStringList({"ABC", "ABD", "XYZ"}));
    EXPECT_EQ(Column(&list, 2).mid(0, 3), QStringList({"   12.50", "<DELETED>", "    3.00"}));
}

TEST_F(ProductListTest, TheHighlightStaysOnItsRowWhenTheListMoves) {
    for (int i = 0; i < 15; ++i) AddProduct("P" + TwoDigits(i));
    TPickProd list;
    list.show();
    auto* grid = Child<QTableWidget>(&list, "StringGrid1");
    grid->setCurrentCell(3, 0);
    Child<QScrollBar>(&list, "ScrollBar1")->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(Column(&list, 0).first(), "P01");
    EXPECT_EQ(grid->currentRow(), 3);
    QTest::keyClicks(Child<QLineEdit>(&list, "Edit1"), "p03");
    EXPECT_EQ(Column(&list, 0).first(), "P03");
    EXPECT_EQ(grid->currentRow(), 0);
}

TEST_F(MastersTest, PurchasesAreListedByProductThenDateAndFoundByTheProduct) {
    ASSERT_TRUE(OpenPurchases() && OpenProducts());
    AddPurchase("C1", "20250101", 1, 10);
    const int32_t later = AddPurchase("B1", "20250301", 2, 20);
    const int32_t earlier = AddPurchase("B1", "20250201", 3, 30);
    MarkDeleted(PurTbl, AddPurchase("A1", "20250101", 4, 40));
    TPickPur list;
    list.show();
    EXPECT_EQ(list.windowTitle(), "Inventory Purchases");
    EXPECT_EQ(Column(&list, 0).mid(0, 4), QStringList({"A1", "B1", "B1", "C1"}));
    EXPECT_EQ(Column(&list, 1).mid(0, 2), QStringList({"01/01/25", "02/01/25"}));
    EXPECT_EQ(Column(&list, 2)[1], "      3.00");
    EXPECT_EQ(Column(&list, 3).mid(0, 2), QStringList({"<DELETED>", "       30.00"}));
    EXPECT_EQ(Column(&list, 4).mid(1, 2),
              QStringList({QString::number(earlier), QString::number(later)}));

    QTest::keyClicks(Child<QLineEdit>(&list, "Edit1"), "b");
    auto* grid = Child<QTableWidget>(&list, "StringGrid1");
    EXPECT_EQ(grid->item(grid->currentRow(), 4)->text(), QString::number(earlier));
    Click(&list, "BtnSelect");
    EXPECT_EQ(CurPurRec, earlier);
}

// Amounts, quantities and record numbers stand right-aligned; codes, names and dates left.
TEST_F(MastersTest, NumberColumnsOfThePickListsStandRight) {
    ASSERT_TRUE(OpenPurchases() && OpenProducts() && OpenCustomers() && OpenGroups());
    AddPurchase("A1", "20250101", 4, 40);
    AddProduct("A1", 3);
    AddCustomer(1, "Adams");
    TPickPur purchases;
    TPickProd products;
    TPickCust customers;
    const struct {
        QDialog* list;
        QList<bool> right;
    } cases[] = {{&purchases, {false, false, true, true, true}},
                 {&products, {false, false, true, true}},
                 {&customers, {false, false, false, true}}};
    for (const auto& c : cases) {
        c.list->show();
        auto* grid = Child<QTableWidget>(c.list, "StringGrid1");
        QList<bool> right;
        for (int col = 0; col < grid->columnCount(); ++col)
            right << ((grid->item(0, col)->textAlignment() & Qt::AlignHorizontal_Mask) ==
                      Qt::AlignRight);
        EXPECT_EQ(right, c.right) << c.list->windowTitle().toStdString();
    }
}

}  // namespace
