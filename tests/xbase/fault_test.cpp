// Failures of the file layer at every step of a pack or an update: the error is reported, and
// the table read back afterwards is whole, either as before or as after.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/temp_data_dir.h"
#include "tests/xbase/fault_env.h"
#include "tests/xbase/sample_tables.h"

using namespace xbase;
namespace fs = std::filesystem;

namespace {

std::vector<int> numbersInOrder(Table* t) {
    std::vector<int> n;
    t->select(t->tag("ccno"));
    for (int rc = t->top(); rc == kFound; rc = t->skip(1)) n.push_back(t->field("cuno")->asInt());
    return n;
}

// Opens CUST as the program would after a crash: an interrupted pack is finished or undone and
// missing index files are rebuilt first.
std::vector<int> reopenAndRead(std::vector<std::string>* problems) {
    Context ctx;
    Context::Leftover leftover;
    if (ctx.finishRewrite("CUST", &leftover) != kOk) return {-2};
    for (const char* tag : {"CNAME.ntx", "CCNO.ntx", "CZIP.ntx"})
        if (!fs::exists(tag)) {
            ctx.setAutoOpen(false);
            ctx.setSafety(false);
            Table* t = ctx.open("CUST");
            if (!t) return {-1};
            ctx.createIndex(
                t, "CUST",
                {{"CNAME", "Upper(Last + First)"}, {"CCNO", "Str(CuNo, 6)"}, {"CZIP", "Zip"}});
            ctx.closeAll();
            ctx.setAutoOpen(true);
            break;
        }
    Table* t = ctx.open("CUST");
    if (!t) return {-ctx.errorCode()};
    t->check(problems);
    auto n = numbersInOrder(t);
    for (uint32_t r = 1; r <= t->recCount(); ++r) {
        t->go(r);
        if (t->field("comments")->memo() != "memo " + std::to_string(t->field("cuno")->asInt()))
            problems->push_back("memo of record " + std::to_string(r) + " lost");
    }
    return n;
}

}  // namespace

TEST(Faults, PackWithMemoCompactionSurvivesAFailureAtEveryStep) {
    TempDataDir dir;
    const std::vector<int> before = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const std::vector<int> after = {1, 2, 4, 5, 7, 8, 10, 11};
    for (int k = 1;; ++k) {
        for (const auto& e : fs::directory_iterator(".")) fs::remove(e.path());
        {
            Context ctx;
            Table* t = makeCustomers(ctx);
            ASSERT_NE(t, nullptr);
            for (int i = 1; i <= 12; ++i)
                addCustomer(t, i, "L", "F", "", "memo " + std::to_string(i));
            for (uint32_t r = 3; r <= 12; r += 3) {
                t->go(r);
                t->deleteRecord();
            }
            t->flush();
        }
        FaultEnv env;
        bool failed = false;
        {
            Context ctx(".", &env);
            Table* t = ctx.open("CUST");
            ASSERT_NE(t, nullptr);
            env.failAfter(k);
            failed = t->pack() < 0 || t->memoCompress() < 0;
            if (failed) {
                EXPECT_NE(ctx.errorCode(), 0);
            }
            env.failAfter(0);
        }
        std::vector<std::string> problems;
        const auto numbers = reopenAndRead(&problems);
        EXPECT_TRUE(numbers == before || numbers == after) << "fault at step " << k;
        EXPECT_TRUE(problems.empty()) << "fault at step " << k << ": " << problems.front();
        if (!failed) {
            EXPECT_EQ(numbers, after);
            EXPECT_GT(k, 5);
            break;
        }
    }
}

TEST(Faults, FailedUpdateIsReportedAndTheFileKeepsItsOldRecord) {
    TempDataDir dir;
    {
        Context ctx;
        Table* t = makeCustomers(ctx);
        ASSERT_NE(t, nullptr);
        addCustomer(t, 1, "Before", "F");
    }
    FaultEnv env;
    {
        Context ctx(".", &env);
        Table* t = ctx.open("CUST");
        ASSERT_NE(t, nullptr);
        t->go(1);
        t->field("last")->assign("After");
        env.failAfter(1);
        EXPECT_LT(t->flush(), 0);
        EXPECT_EQ(ctx.errorCode(), kErrWrite);
        t->go(1);
        EXPECT_EQ(text(t, "last"), "Before");  // what is shown is what is stored
        env.failAfter(0);
    }
    Context ctx;
    Table* t = ctx.open("CUST");
    ASSERT_NE(t, nullptr);
    std::vector<std::string> problems;
    t->check(&problems);
    EXPECT_TRUE(problems.empty());
}

TEST(Locks, ExclusiveHolderKeepsOtherProcessesOut) {
    TempDataDir dir;
    Context ctx;
    ASSERT_NE(makeCustomers(ctx), nullptr);
    ctx.closeAll();
    auto otherProcessOpens = [](int mode) {
        pid_t pid = fork();
        if (pid == 0) {
            Context other;
            other.setAccessMode(mode);
            _exit(other.open("CUST") ? 0 : (other.errorCode() == kErrLocked ? 3 : 4));
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return WEXITSTATUS(status);
    };
    ctx.setAccessMode(1);
    ASSERT_NE(ctx.open("CUST"), nullptr);
    EXPECT_EQ(otherProcessOpens(0), 3);
    EXPECT_EQ(otherProcessOpens(1), 3);
    ctx.closeAll();
    ctx.setAccessMode(0);
    ASSERT_NE(ctx.open("CUST"), nullptr);
    EXPECT_EQ(otherProcessOpens(0), 0);  // shared users live side by side
    EXPECT_EQ(otherProcessOpens(1), 3);  // but nobody packs under them
    ctx.closeAll();
    EXPECT_EQ(otherProcessOpens(1), 0);
}
