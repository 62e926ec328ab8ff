// The selection dialogs offscreen: the date range dialog in both uses, and the group choice.
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "report/date_span_form.h"
#include "report/mult_group_form.h"
#include "tests/reports/modal_of.h"
#include "tests/reports/report_data_fixture.h"
#include "tests/support/scripted_prompts.h"
#include "ui/date_box.h"
#include "ui/form_help.h"

using namespace reports;
using prompt::Kind;

namespace {

class DateSpanTest : public ReportDataTest {
protected:
    // Runs the date range dialog on March 2025 with `act` working the dialog.
    bool AskMarch(std::function<void(TDateSpan*, DateBox*, DateBox*)> act) {
        TheReport().SpanMonthOf(QDate(2025, 3, 10));
        onModalOf<TDateSpan>([act](TDateSpan* dialog) {
            ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
            act(dialog, dialog->findChild<DateBox*>("MaskEdit1"),
                dialog->findChild<DateBox*>("MaskEdit2"));
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the dialog is still open";
                dialog->reject();
            }
        });
        return AskDateSpan(nullptr);
    }

    static void Type(DateBox* box, const char* text) {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
    }
    static void Click(QWidget* dialog, const char* button) {
        QTest::mouseClick(dialog->findChild<QPushButton*>(button), Qt::LeftButton);
    }
};

TEST_F(DateSpanTest, OpensOnTheSpanAndTakesAOneDaySpan) {
    EXPECT_TRUE(AskMarch([](TDateSpan* dialog, DateBox* start, DateBox* end) {
        EXPECT_EQ(dialog->windowTitle(), "Date Range");
        EXPECT_EQ(start->entryText(), "03/01/25");
        EXPECT_EQ(end->entryText(), "03/31/25");
        EXPECT_TRUE(start->hasFocus());
        QTest::keyClick(start, Qt::Key_Return);  // Enter moves on, it does not press OK
        EXPECT_TRUE(end->hasFocus());
        EXPECT_TRUE(dialog->isVisible());
        QTest::keyClicks(end, "030125");
        Click(dialog, "BtnOK");
    }));
    EXPECT_FALSE(SpanCancelled);
    EXPECT_EQ(TheReport().SpanStart, DateValue(QDate(2025, 3, 1)));
    EXPECT_EQ(TheReport().SpanEnd, DateValue(QDate(2025, 3, 1)));
}

TEST_F(DateSpanTest, EnterInTheLastDateRunsTheReport) {
    EXPECT_TRUE(AskMarch([](TDateSpan* dialog, DateBox* start, DateBox* end) {
        QTest::keyClick(start, Qt::Key_Return);
        ASSERT_TRUE(end->hasFocus());
        QTest::keyClick(end, Qt::Key_Return);
        EXPECT_FALSE(dialog->isVisible());
    }));
    EXPECT_FALSE(SpanCancelled);
    EXPECT_EQ(TheReport().SpanEnd, DateValue(QDate(2025, 3, 31)));
}

TEST_F(DateSpanTest, AnEndBeforeTheStartKeepsTheDialogOpen) {
    ScriptedPrompts script;
    script.expect(Kind::Information, "Ending Date must be greater than or equal to Starting Date.");
    EXPECT_TRUE(AskMarch([](TDateSpan* dialog, DateBox*, DateBox* end) {
        Type(end, "022825");
        Click(dialog, "BtnOK");
        EXPECT_TRUE(dialog->isVisible());
        Type(end, "030525");
        Click(dialog, "BtnOK");
    }));
    EXPECT_EQ(TheReport().SpanEnd, DateValue(QDate(2025, 3, 5)));
}

TEST_F(DateSpanTest, ABadDateIsToldOnLeavingTheBoxAndOnOkThenCancelled) {
    ScriptedPrompts script;
    script.expect(Kind::Warning, "Invalid Date Entered")
        .expect(Kind::Warning, "Invalid Date Entered");
    EXPECT_FALSE(AskMarch([](TDateSpan* dialog, DateBox* start, DateBox* end) {
        Type(start, "134525");
        QTest::keyClick(start, Qt::Key_Tab);
        EXPECT_TRUE(start->hasFocus());
        Click(dialog, "BtnOK");
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_TRUE(start->hasFocus());
        end->setEntryText("04/30/25");
        Click(dialog, "BtnCancel");
    }));
    EXPECT_TRUE(SpanCancelled);
    EXPECT_EQ(TheReport().SpanStart, DateValue(QDate(2025, 3, 1)));  // the bad box is not taken
    EXPECT_EQ(TheReport().SpanEnd, DateValue(QDate(2025, 4, 30)));
}

TEST_F(DateSpanTest, ClosingTheWindowCancels) {
    EXPECT_FALSE(AskMarch([](TDateSpan* dialog, DateBox*, DateBox*) { dialog->close(); }));
    EXPECT_TRUE(SpanCancelled);
}

TEST_F(DateSpanTest, OneDateUseAsksForTodayAndComparesNothing) {
    const double today = DateValue(QDate::currentDate());
    TheReport().SpanEnd = today - 400;
    onModalOf<TDateSpan>([today](TDateSpan* dialog) {
        EXPECT_EQ(dialog->findChild<QLabel*>("Label1")->text(), "Inventory as Of:");
        EXPECT_TRUE(dialog->findChild<QLabel*>("Label2")->isHidden());
        EXPECT_TRUE(dialog->findChild<DateBox*>("MaskEdit2")->isHidden());
        EXPECT_EQ(dialog->findChild<DateBox*>("MaskEdit1")->entryText(), DateToShortText(today));
        Click(dialog, "BtnOK");
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the dialog is still open";
            dialog->reject();
        }
    });
    EXPECT_TRUE(AskAsOfDate(nullptr));
    EXPECT_EQ(TheReport().SpanStart, today);
    EXPECT_EQ(TheReport().SpanEnd, today - 400);
}

class MultGroupTest : public ReportDataTest {
protected:
    // Shows the group choice over GROUPS with `act` working the dialog.
    static QList<int> Ask(std::function<void(TMultGroup*, QListWidget*)> act) {
        EXPECT_TRUE(OpenGroups());
        onModalOf<TMultGroup>([act](TMultGroup* dialog) {
            act(dialog, dialog->findChild<QListWidget*>("ListBox1"));
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the dialog is still open";
                dialog->reject();
            }
        });
        const QList<int> chosen = AskGroups(nullptr);
        CloseReportTables();
        return chosen;
    }

    static QStringList Items(const QListWidget* list) {
        QStringList items;
        for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
        return items;
    }
    static void ClickItem(QListWidget* list, int row) {
        const QRect rect = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }
    static void Click(QWidget* dialog, const char* button) {
        QTest::mouseClick(dialog->findChild<QPushButton*>(button), Qt::LeftButton);
    }
};

TEST_F(MultGroupTest, ASingleGroupIsChosenAlreadyAndReadBackFromItsPaddedNumber) {
    AddGroup(7, "Retail");
    EXPECT_EQ(Ask([](TMultGroup* dialog, QListWidget* list) {
                  EXPECT_EQ(dialog->windowTitle(), "Select One or More Groups");
                  EXPECT_EQ(Items(list), QStringList({" 7 - Retail"}));
                  EXPECT_TRUE(list->item(0)->isSelected());
                  Click(dialog, "BtnRun");
              }),
              QList<int>({7}));
}

TEST_F(MultGroupTest, GroupsInNumberOrderChosenByClicksAllOrNone) {
    AddGroup(12, "Wholesale");
    AddGroup(3, "Schools");
    AddGroup(5, "Closed down");
    AddGroup(7, "Retail");
    MarkDeleted(OpenGroups, &GroupTbl, " 5");

    EXPECT_EQ(
        Ask([](TMultGroup* dialog, QListWidget* list) {
            EXPECT_EQ(Items(list), QStringList({" 3 - Schools", " 7 - Retail", "12 - Wholesale"}));
            EXPECT_TRUE(list->selectedItems().isEmpty());
            Click(dialog, "BtnRun");
        }),
        QList<int>());
    EXPECT_EQ(Ask([](TMultGroup* dialog, QListWidget* list) {
                  ClickItem(list, 2);
                  ClickItem(list, 0);
                  ClickItem(list, 1);
                  ClickItem(list, 1);  // a second click takes a group out again
                  Click(dialog, "BtnRun");
              }),
              QList<int>({3, 12}));
    EXPECT_EQ(Ask([](TMultGroup* dialog, QListWidget*) {
                  Click(dialog, "BtnAll");
                  Click(dialog, "BtnRun");
              }),
              QList<int>({3, 7, 12}));
    EXPECT_EQ(Ask([](TMultGroup* dialog, QListWidget*) {
                  Click(dialog, "BtnAll");
                  Click(dialog, "BtnCancel");
              }),
              QList<int>());
}

TEST_F(MultGroupTest, F1InEitherDialogShowsItsHelpTopic) {
    QStringList topics;
    ShowHelpTopic = [&](const auto& topic) { topics << QString("%1").arg(topic); };
    AddGroup(1, "Retail");
    ASSERT_TRUE(OpenGroups());
    const auto pressF1 = [](QDialog* dialog) {
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
        QTest::keyClick(dialog, Qt::Key_F1);
        dialog->reject();
    };
    onModalOf<TDateSpan>([&](TDateSpan* dialog) { pressF1(dialog); });
    AskAsOfDate(nullptr, "Receivables as Of:");
    onModalOf<TMultGroup>([&](TMultGroup* dialog) { pressF1(dialog); });
    AskGroups(nullptr);
    CloseReportTables();
    ShowHelpTopic = nullptr;
    EXPECT_EQ(topics, QStringList({"520", "530"}));
}

}  // namespace
