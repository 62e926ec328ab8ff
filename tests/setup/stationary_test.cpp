// The stationery dialog driven as the user drives it: what it shows, the logo chosen through the
// file dialog, what Save stores in the settings table and what Cancel leaves alone.
#include <gtest/gtest.h>

#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "db/settings.h"
#include "setup/stationary.h"
#include "tests/db/data_store_fixture.h"
#include "tests/support/scripted_prompts.h"
#include "ui/number_box.h"

using prompt::Kind;

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

class StationaryTest : public DataStoreTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadSettings());
        logo_ = pictures_.filePath("logo.png");
        QImage picture(40, 20, QImage::Format_RGB32);
        picture.fill(Qt::darkBlue);
        ASSERT_TRUE(picture.save(logo_));
    }

    template <typename W>
    static W* Child(QWidget* form, const char* name) {
        W* w = form->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    static QString Text(QWidget* form, const char* name) {
        return Child<QLineEdit>(form, name)->text();
    }
    static void Type(QWidget* form, const char* name, const QString& text) {
        auto* box = Child<QLineEdit>(form, name);
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
    }

    QTemporaryDir pictures_;
    QString logo_;
};

TEST_F(StationaryTest, ShowsTheLetterheadAndSavesWhatIsTypedAndChosen) {
    SettingsRecord.Company = "Corner Hardware  ";
    SettingsRecord.LHJustify = 3;
    SettingsRecord.TopMargin = 0.5;
    ASSERT_TRUE(SaveSettings());

    TStationary dialog;
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Stationery Setup");
    EXPECT_EQ(Text(&dialog, "Edit2"), "Corner Hardware");
    EXPECT_DOUBLE_EQ(Child<NumberBox>(&dialog, "MaskEdit1")->value(), 0.5);
    EXPECT_TRUE(Child<QRadioButton>(&dialog, "RadioButton3")->isChecked());

    ScriptedPrompts script;
    script.expect(Kind::OpenFile, "Logo File", {true, logo_});
    Child<QPushButton>(&dialog, "BtnLogo")->click();
    EXPECT_EQ(Text(&dialog, "Edit1"), logo_);

    Type(&dialog, "MaskEdit2", "1.25");
    Type(&dialog, "MaskEdit3", "2.5");
    Type(&dialog, "Edit3", "  12 Main Street  ");
    Type(&dialog, "Edit6", "Springfield, IL 62704 and more");  // typing stops at 25
    Child<QRadioButton>(&dialog, "RadioButton2")->click();
    Child<QPushButton>(&dialog, "BtnSave")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    SettingsRecord = {};
    ASSERT_TRUE(LoadSettings());
    EXPECT_EQ(SettingsRecord.LogoFile.trimmed(), logo_);
    EXPECT_DOUBLE_EQ(SettingsRecord.LogoHeight, 1.25);
    EXPECT_DOUBLE_EQ(SettingsRecord.LogoWidth, 2.5);
    EXPECT_DOUBLE_EQ(SettingsRecord.TopMargin, 0.5);
    EXPECT_EQ(SettingsRecord.Addr1.trimmed(), "12 Main Street");
    EXPECT_EQ(SettingsRecord.Addr4.trimmed(), "Springfield, IL 62704 and");
    EXPECT_EQ(SettingsRecord.LHJustify, 2);
    EXPECT_EQ(script.pending(), 0);
}

TEST_F(StationaryTest, TheTopMarginTurnsRedWhenItIsLeftNotOnEveryKey) {
    TStationary dialog;
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    auto* margin = Child<NumberBox>(&dialog, "MaskEdit1");
    const auto red = [margin] {
        return margin->palette().color(QPalette::Text) == QColor(Qt::red);
    };
    Type(&dialog, "MaskEdit1", "-1");
    EXPECT_FALSE(red());
    QTest::keyClick(margin, Qt::Key_Return);
    EXPECT_TRUE(red());
    ScriptedPrompts script;
    script.expect(Kind::WarningConfirm, "Close without saving?");
    dialog.close();
}

TEST_F(StationaryTest, ALogoThatIsNoFileIsNoLogoAndCancelChangesNothing) {
    SettingsRecord.LogoFile = logo_;
    ASSERT_TRUE(SaveSettings());
    {
        TStationary dialog;
        dialog.show();
        ScriptedPrompts script;
        // A cancelled file dialog keeps the logo; a name that leads to no file empties the box.
        script.expect(Kind::OpenFile, "Logo File", {false, {}});
        script.expect(Kind::OpenFile, "Logo File", {true, pictures_.filePath("gone.png")});
        Child<QPushButton>(&dialog, "BtnLogo")->click();
        EXPECT_EQ(Text(&dialog, "Edit1"), logo_);
        Child<QPushButton>(&dialog, "BtnLogo")->click();
        EXPECT_EQ(Text(&dialog, "Edit1"), "");
        Type(&dialog, "Edit2", "Changed");
        script.expect(Kind::WarningConfirm, "Close without saving?");
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible());
    }
    EXPECT_EQ(SettingsRecord.LogoFile.trimmed(), logo_);
    EXPECT_EQ(SettingsRecord.Company.trimmed(), "");
    ASSERT_TRUE(LoadSettings());
    EXPECT_EQ(SettingsRecord.LogoFile.trimmed(), logo_);

    // A path typed into the box that leads to no file is stored as no logo.
    TStationary dialog;
    dialog.show();
    Child<QLineEdit>(&dialog, "Edit1")->setText(pictures_.filePath("typed.bmp"));
    Child<QPushButton>(&dialog, "BtnSave")->click();
    ASSERT_TRUE(LoadSettings());
    EXPECT_EQ(SettingsRecord.LogoFile.trimmed(), "");
}

}  // namespace
