// Every window's title is drawn in full: a window is at least as wide as its title bar needs,
// also after its title changes.
#include <QFontDatabase>
#include <QFontMetrics>

#include "db/open_tables.h"
#include "masters/group_editor.h"
#include "masters/purchase_editor.h"
#include "tests/masters/masters_fixture.h"
#include "ui/form_parts.h"

namespace {

TEST_F(MastersTest, EditorsAreAsWideAsTheirTitleBarsNeed) {
    ASSERT_TRUE(OpenGroups() && OpenPurchases() && OpenProducts());
    const QFontMetrics titleFont(QFontDatabase::systemFont(QFontDatabase::TitleFont));
    TGroupDef group;
    TPurDef purchase;
    for (QDialog* editor : {static_cast<QDialog*>(&group), static_cast<QDialog*>(&purchase)}) {
        editor->show();
        const QString title = editor->windowTitle();
        // Room for the title and for the icon and buttons beside it.
        EXPECT_GT(TitleBarWidth(title), titleFont.horizontalAdvance(title) + 60);
        EXPECT_GE(editor->width(), TitleBarWidth(title)) << title.toStdString();
    }
    EXPECT_EQ(group.windowTitle(), "Customer Group Definition");
    EXPECT_EQ(purchase.windowTitle(), "Inventory Purchase Definition");

    const QString longer = group.windowTitle() + " for the Retail and Wholesale Customers";
    group.setWindowTitle(longer);
    group.adjustSize();
    EXPECT_GE(group.width(), TitleBarWidth(longer));
}

}  // namespace
