// The list-box pick lists of groups and label stocks: names in order with deleted marks, the
// group search, the record chosen, and the group order put back afterwards.
#include "db/field_values.h"
#include "db/open_tables.h"
#include "masters/pick_group.h"
#include "masters/pick_lab.h"
#include "masters/pick_routines.h"
#include "tests/masters/masters_fixture.h"

using prompt::Kind;

namespace {

class GroupListTest : public MastersTest {
protected:
    void SetUp() override {
        MastersTest::SetUp();
        ASSERT_TRUE(OpenGroups() && OpenCustomers());
        gamma = AddGroup(1, "Gamma");
        alpha = AddGroup(2, "Alpha");
        beta = AddGroup(3, "Beta");
    }
    static QString SelectedTag() {
        return QString::fromStdString(GroupTbl->selected()->name()).toUpper();
    }
    static QListWidget* List(QWidget* w) { return Child<QListWidget>(w, "ListBox1"); }
    static void Search(QWidget* w, const QString& text) {
        auto* box = Child<QLineEdit>(w, "Edit1");
        box->clear();
        QTest::keyClicks(box, text);
    }
    int32_t gamma = 0, alpha = 0, beta = 0;
};

TEST_F(GroupListTest, GroupsAreListedByNameWithTheHandedInOneHighlighted) {
    CurGroupRec = beta;
    TPickGroup list;
    list.show();
    EXPECT_EQ(list.windowTitle(), "Customer Groups");
    EXPECT_EQ(ListItems(&list), QStringList({"Alpha", "Beta", "Gamma"}));
    EXPECT_EQ(List(&list)->currentRow(), 1);
    EXPECT_EQ(CurGroupRec, -1);
}

TEST_F(GroupListTest, SearchingHighlightsTheFirstNameFromTheTextOrNone) {
    TPickGroup list;
    list.show();
    Search(&list, "b");
    EXPECT_EQ(List(&list)->currentRow(), 1);
    Search(&list, "GA");
    EXPECT_EQ(List(&list)->currentRow(), 2);
    Search(&list, "alz");
    EXPECT_EQ(List(&list)->currentRow(), 1);  // "BETA" is the first name after "ALZ"
    Search(&list, "z");
    EXPECT_EQ(List(&list)->currentRow(), -1);

    prompts_.expect(Kind::Information, "Item Not Selected");
    Click(&list, "BtnSelect");
    EXPECT_TRUE(list.isVisible());
    EXPECT_EQ(CurGroupRec, -1);

    Search(&list, "g");
    Click(&list, "BtnSelect");
    EXPECT_EQ(CurGroupRec, gamma);
}

TEST_F(GroupListTest, EnterInTheSearchBoxTakesTheNameFound) {
    TPickGroup list;
    list.show();
    Search(&list, "be");
    QTest::keyClick(Child<QLineEdit>(&list, "Edit1"), Qt::Key_Return);
    EXPECT_FALSE(list.isVisible());
    EXPECT_EQ(CurGroupRec, beta);
}

TEST_F(GroupListTest, TheGroupOrderIsPutBackWhicheverWayTheListCloses) {
    GroupTbl->select(GroupTbl->tag("nGroup"));
    onNextModal([](QWidget* w) {
        EXPECT_EQ(SelectedTag(), "CGROUP");
        QTest::keyClick(List(w), Qt::Key_Return);
    });
    EXPECT_TRUE(PickGroup(false));
    EXPECT_EQ(CurGroupRec, alpha);
    EXPECT_EQ(SelectedTag(), "NGROUP");

    onNextModal([](QWidget* w) { w->close(); });
    EXPECT_FALSE(PickGroup(false));
    EXPECT_EQ(CurGroupRec, -1);
    EXPECT_EQ(SelectedTag(), "NGROUP");
}

TEST_F(GroupListTest, ADeletedGroupIsListedWithItsMarkAndCanBeChosen) {
    MarkDeleted(GroupTbl, beta);
    TPickGroup list;
    list.show();
    EXPECT_EQ(ListItems(&list), QStringList({"Alpha", "Beta<DELETED>", "Gamma"}));
    Search(&list, "be");
    const QPoint at = List(&list)->visualItemRect(List(&list)->item(1)).center();
    QTest::mouseClick(List(&list)->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(List(&list)->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(CurGroupRec, beta);
}

TEST_F(MastersTest, LabelStocksAreListedByNameAndChosenByTheirRecord) {
    ASSERT_TRUE(OpenLabels());
    for (const char* name : {"Sheet 3x10", "Continuous", "Avery"}) {
        LabTbl->appendBlank();
        LabBuf = {};
        LabBuf.Name = name;
        WriteLabel();
    }
    MarkDeleted(LabTbl, 1);
    CurLabRec = 2;
    TPickLab list;
    list.show();
    EXPECT_EQ(list.windowTitle(), "Label Stock");
    EXPECT_EQ(ListItems(&list), QStringList({"Avery", "Continuous", "Sheet 3x10<DELETED>"}));
    EXPECT_EQ(Child<QListWidget>(&list, "ListBox1")->currentRow(), 1);
    Child<QListWidget>(&list, "ListBox1")->setCurrentRow(2);
    Click(&list, "BtnSelect");
    EXPECT_EQ(CurLabRec, 1);
}

}  // namespace
