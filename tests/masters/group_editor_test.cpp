// The group editor: group numbers, names, and deleting a group into another.
#include <QListWidget>

#include <QPushButton>

#include "db/field_values.h"
#include "db/open_tables.h"
#include "masters/group_editor.h"
#include "masters/numbering.h"
#include "tests/masters/masters_fixture.h"

using prompt::Kind;

namespace {

class GroupTest : public MastersTest {
protected:
    void SetUp() override {
        MastersTest::SetUp();
        ASSERT_TRUE(OpenGroups() && OpenCustomers());
    }
    static GroupRecord Stored(int32_t rec) {
        GroupTbl->go(static_cast<uint32_t>(rec));
        ReadGroup();
        return GroupBuf;
    }
    static int GroupOf(int32_t customer) {
        CustTbl->go(static_cast<uint32_t>(customer));
        return CustFld.ngroup->asInt();
    }
    // Picks the listed group whose name starts with `name` in the group list shown next.
    static void PickNext(const QString& name) {
        onNextModal([name](QWidget* list) {
            auto* box = Child<QListWidget>(list, "ListBox1");
            for (int i = 0; i < box->count(); ++i)
                if (box->item(i)->text().startsWith(name)) box->setCurrentRow(i);
            Click(list, "BtnSelect");
        });
    }
};

TEST_F(GroupTest, TheNextNumberIsTheLowestFreeOne) {
    EXPECT_EQ(NextGroupNo(), 1);
    AddGroup(3, "Three");
    AddGroup(1, "One");
    EXPECT_EQ(NextGroupNo(), 2);
}

TEST_F(GroupTest, ANewGroupNeedsANameKeepsItsLeadingBlanksAndIsSavedByEnterOnSave) {
    AddGroup(1, "One");
    AddGroup(3, "Three");
    CurGroupRec = 0;
    TGroupDef editor;
    editor.show();
    EXPECT_EQ(editor.windowTitle(), "Customer Group Definition");
    EXPECT_EQ(Child<QLineEdit>(&editor, "Edit1")->text(), " 0");
    EXPECT_FALSE(Child<QWidget>(&editor, "BtnDelete")->isEnabled());
    QTest::keyClicks(Child<QLineEdit>(&editor, "Edit2"), "   ");
    prompts_.expect(Kind::Information, "Can't Save Blank Name");
    Click(&editor, "BtnSave");
    EXPECT_EQ(GroupTbl->recCount(), 2u);

    QTest::keyClicks(Child<QLineEdit>(&editor, "Edit2"), "Schools");
    // Enter in the box moves on without saving; Enter on Save saves.
    QTest::keyClick(Child<QLineEdit>(&editor, "Edit2"), Qt::Key_Return);
    EXPECT_EQ(GroupTbl->recCount(), 2u);
    QTest::keyClick(Child<QPushButton>(&editor, "BtnSave"), Qt::Key_Return);
    ASSERT_EQ(CurGroupRec, 3);
    const GroupRecord saved = Stored(3);
    EXPECT_EQ(saved.nGroup, 2);
    EXPECT_EQ(TrimRight(saved.cGroup), "   Schools");
}

TEST_F(GroupTest, AllNinetyNineNumbersTakenRefusesANewGroup) {
    for (int n = 1; n <= kMaxGroupNo; ++n) AddGroup(n, "G" + QString::number(n));
    TGroupDef editor;
    editor.show();
    QTest::keyClicks(Child<QLineEdit>(&editor, "Edit2"), "One too many");
    prompts_.expect(Kind::Information, "Every group number up to 99 is in use");
    Click(&editor, "BtnSave");
    EXPECT_EQ(GroupTbl->recCount(), 99u);
    EXPECT_TRUE(editor.isVisible());
}

TEST_F(GroupTest, DeletingGroupTwoIntoFiveMovesOnlyItsCustomers) {
    AddGroup(1, "One");
    const int32_t two = AddGroup(2, "Two");
    AddGroup(5, "Five");
    const int32_t a = AddCustomer(1, "A", {}, 2);
    const int32_t b = AddCustomer(2, "B", {}, 5);
    const int32_t c = AddCustomer(3, "C", {}, 2);
    const int32_t d = AddCustomer(4, "D", {}, 1);
    MarkDeleted(CustTbl, c);

    CurGroupRec = two;
    TGroupDef editor;
    editor.show();
    prompts_.expect(Kind::Confirm, "Move Customers in Two to a selected group");
    PickNext("Five");
    Click(&editor, "BtnDelete");

    EXPECT_EQ(GroupOf(a), 5);
    EXPECT_EQ(GroupOf(b), 5);
    EXPECT_EQ(GroupOf(c), 5);  // customers marked deleted move too
    EXPECT_EQ(GroupOf(d), 1);
    GroupTbl->go(static_cast<uint32_t>(two));
    EXPECT_TRUE(GroupTbl->deleted());
    EXPECT_TRUE(PackPending);
    EXPECT_EQ(CurGroupRec, two);
    EXPECT_FALSE(editor.isVisible());
}

TEST_F(GroupTest, ADeleteNotConfirmedOrIntoItselfChangesNothingAndSaveStillWritesThisGroup) {
    const int32_t only = AddGroup(1, "Only");
    const int32_t customer = AddCustomer(1, "A", {}, 1);
    CurGroupRec = only;
    TGroupDef editor;
    editor.show();

    prompts_.expect(Kind::Confirm, "Move Customers in Only", {false, {}});
    Click(&editor, "BtnDelete");
    prompts_.expect(Kind::Confirm, "Move Customers in Only");
    PickNext("Only");
    Click(&editor, "BtnDelete");
    prompts_.expect(Kind::Confirm, "Move Customers in Only");
    onNextModal([](QWidget* list) { Click(list, "BtnCancel"); });
    Click(&editor, "BtnDelete");

    EXPECT_TRUE(editor.isVisible());
    EXPECT_FALSE(PackPending);
    GroupTbl->go(static_cast<uint32_t>(only));
    EXPECT_FALSE(GroupTbl->deleted());
    EXPECT_EQ(GroupOf(customer), 1);

    // The cancelled pick must not leave the editor without its record.
    EXPECT_EQ(CurGroupRec, only);
    auto* name = Child<QLineEdit>(&editor, "Edit2");
    name->clear();
    QTest::keyClicks(name, "Renamed");
    Click(&editor, "BtnSave");
    EXPECT_EQ(TrimRight(Stored(only).cGroup), "Renamed");
    EXPECT_EQ(GroupTbl->recCount(), 1u);
}

TEST_F(GroupTest, SavingADeletedGroupRecallsIt) {
    const int32_t rec = AddGroup(4, "Four");
    MarkDeleted(GroupTbl, rec);
    CurGroupRec = rec;
    TGroupDef editor;
    editor.show();
    EXPECT_EQ(Child<QLineEdit>(&editor, "Edit1")->text(), " 4");
    Click(&editor, "BtnSave");
    GroupTbl->go(static_cast<uint32_t>(rec));
    EXPECT_FALSE(GroupTbl->deleted());
    EXPECT_EQ(Stored(rec).nGroup, 4);
}

}  // namespace
