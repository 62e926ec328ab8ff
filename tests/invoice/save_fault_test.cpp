// Saving and deleting an invoice when the disk refuses a write or a sync part way: whichever
// write fails, the tables stay exactly as they were and the user is told once.
#include <QDir>
#include <QTableWidget>
#include <map>

#include "db/change.h"
#include "invoice/invoice_form.h"
#include "tests/invoice/invoice_fixture.h"
#include "tests/xbase/fault_env.h"

namespace {

class SaveFaultTest : public InvoiceTest {
protected:
    void SetUp() override {
        InvoiceTest::SetUp();
        AddCustomer(1, "Adams");
        AddProduct("P1", 2.5);
        OpenInvoice(1, 1, 2, 1);
        Store(0);
        // The tables again, through a file layer that fails on command.
        DbContext->closeAll();
        DbContext = std::make_unique<xbase::Context>(".", &env_);
        ASSERT_TRUE(OpenCustomers() && OpenGroups() && OpenInvoices() && OpenItems() &&
                    OpenPayments() && OpenProducts());
    }
    void TearDown() override { ResetProgramState(); }  // the context goes before its file layer

    // Every file of the data directory but the lock files, whose bytes mean nothing.
    static std::map<QString, QByteArray> DirectoryBytes() {
        std::map<QString, QByteArray> files;
        for (const QString& name : QDir(".").entryList(QDir::Files))
            if (!name.endsWith(".lck")) files[name] = FileBytes(name.toStdString());
        return files;
    }
    // Opens the data files again as the program does after a failure it could not undo.
    static void Reopen() {
        CloseAllTables();
        bool undone = false;
        QString error;
        ASSERT_TRUE(UndoUnfinishedChange(&undone, &error)) << error.toStdString();
        ASSERT_TRUE(OpenCustomers() && OpenGroups() && OpenInvoices() && OpenItems() &&
                    OpenPayments() && OpenProducts());
    }

    static FaultEnv env_;
};

FaultEnv SaveFaultTest::env_;

TEST_F(SaveFaultTest, EveryFailingWriteOfASaveLeavesTheTablesAsTheyWere) {
    const auto before = DirectoryBytes();
    int k = 1;
    for (;; ++k) {
        SCOPED_TRACE("write or sync " + std::to_string(k) + " fails");
        ASSERT_LT(k, 200) << "a save that never gets through";
        // One write fails (an I/O error), or it and every later one (a full disk), when the
        // tables are only whole again once the data files are opened afresh.
        for (FaultEnv::Fault fault : {FaultEnv::Fault::Once, FaultEnv::Fault::Sticky}) {
            OpenInvoice(2, 1, 5, 2);
            env_.failAfter(k, fault);
            QString error;
            const bool stored = StoreInvoice(0, "note", nullptr, &error);
            const bool tripped = env_.tripped();
            env_.failAfter(0);
            // Past the commit point (the journal gone) a failing sync no longer undoes the save.
            if (stored) goto saved;
            EXPECT_TRUE(tripped);
            EXPECT_TRUE(error.contains("could not be saved")) << error.toStdString();
            if (fault == FaultEnv::Fault::Sticky) Reopen();
            EXPECT_TRUE(DirectoryBytes() == before);
        }
    }
saved:
    EXPECT_GT(k, 5) << "the journal, the tables and the syncs each take writes";
    EXPECT_EQ(StoredItems(2).size(), 5u);
    EXPECT_EQ(InvTbl->recCount(), 2u);
}

TEST_F(SaveFaultTest, TheEditorTellsTheFailureOnceAndKeepsTheInvoice) {
    CurInvRec = 0;
    TInvoice editor;
    editor.show();
    OpenInvoice(InvBuf.IvNo, 1, 5, 2);
    const auto before = DirectoryBytes();
    for (int k : {1, 4, 9}) {
        env_.failAfter(k, FaultEnv::Fault::Once);
        prompts_.expect(prompt::Kind::Information, "could not be saved");
        Click(&editor, "BtnSave");
        EXPECT_EQ(prompts_.pending(), 0);
        EXPECT_TRUE(editor.isVisible());
        EXPECT_TRUE(DirectoryBytes() == before);
    }
    env_.failAfter(0);
    prompts_.expect(prompt::Kind::Question, "Add another invoice?", {false, {}});
    Click(&editor, "BtnSave");
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(StoredItems(2).size(), 5u);
}

TEST_F(SaveFaultTest, AFailedDeleteKeepsTheInvoiceWithItsItems) {
    const auto before = DirectoryBytes();
    for (int k : {1, 3, 6}) {
        env_.failAfter(k, FaultEnv::Fault::Once);
        QString error;
        EXPECT_FALSE(RemoveInvoice(1, 1, &error));
        env_.failAfter(0);
        EXPECT_TRUE(DirectoryBytes() == before);
    }
    QString error;
    EXPECT_TRUE(RemoveInvoice(1, 1, &error)) << error.toStdString();
    EXPECT_TRUE(StoredItems(1).empty());
}

}  // namespace
