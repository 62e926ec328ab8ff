// The main window's master-data buttons open their lists, and the editors' help opens in the
// main window's help.
#include <QKeySequence>

#include "tests/app/main_window_fixture.h"
#include "tests/support/modal.h"

namespace {

TEST_F(MainWindowTest, EachMasterDataButtonOpensItsList) {
    TMain& main = start();
    const struct {
        const char* button;
        const char* list;
    } buttons[] = {{"BtnCust", "TPickCust"},
                   {"BtnGroups", "TPickGroup"},
                   {"BtnProd", "TPickProd"},
                   {"BtnPurchase", "TPickPur"},
                   {"BtnLabForms", "TPickLab"}};
    for (const auto& b : buttons) {
        QString shown;
        onNextModal([&](QWidget* list) {
            shown = list->objectName();
            list->close();
        });
        click(main, b.button);
        EXPECT_EQ(shown, b.list) << b.button;
    }
}

TEST_F(MainWindowTest, F1InAnEditorShowsItsHelpPage) {
    TMain& main = start();
    onNextModal([](QWidget* list) {
        onNextModal([](QWidget* editor) {
            editor->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(editor));
            QTest::keySequence(editor, QKeySequence::HelpContents);
            editor->close();
            onNextModal([](QWidget* again) { again->close(); });
        });
        list->findChild<QAbstractButton*>("BtnNew")->click();
    });
    click(main, "BtnProd");
    EXPECT_EQ(main.helpWindow()->pageShown(), "430.html");
    EXPECT_TRUE(main.helpWindow()->isVisible());
}

}  // namespace
