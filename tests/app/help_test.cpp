#include <QDialog>
#include <QDir>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextBrowser>

#include "tests/app/main_window_fixture.h"
#include "tests/support/modal.h"
#include "ui/form_help.h"

using prompt::Kind;

TEST_F(MainWindowTest, HelpContentsAndTheHelpButtonsOpenTheirTopics) {
    TMain& main = start();
    HelpWindow* help = main.helpWindow();
    EXPECT_FALSE(help->isVisible());
    main.findChild<QAction*>("HelpContents1")->trigger();
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->pageShown(), "contents.html");

    auto* browser = help->findChild<QTextBrowser*>("HelpText");
    const char* const buttons[] = {"BitBtn1", "BitBtn2", "BitBtn3", "BitBtn4", "BitBtn5"};
    const int topics[] = {300, 400, 500, 600, 700};
    for (int i = 0; i < 5; ++i) {
        click(main, buttons[i]);
        EXPECT_EQ(help->pageShown(), QString::number(topics[i]) + ".html");
        EXPECT_GT(browser->toPlainText().size(), 200) << buttons[i];
    }

    // F1 opens the topic of the tab in front.
    activate(main);
    auto* tabs = child<QTabWidget>(main, "PageControl1");
    tabs->setCurrentIndex(3);
    QTest::keyClick(&main, Qt::Key_F1);
    EXPECT_EQ(help->pageShown(), "600.html");
}

TEST_F(MainWindowTest, HelpFromAModalWindowCanBeUsedAndClosedAtOnce) {
    TMain& main = start();
    HelpWindow* help = main.helpWindow();
    QDialog editor(&main);
    bool helpWasInFront = false;
    onNextModal([&](QWidget* dialog) {
        RequestHelp(310);  // as F1 or a Help button of the editor asks
        EXPECT_EQ(help->pageShown(), "310.html");
        // The help window takes the input, not the editor beneath it.
        helpWasInFront = QApplication::activeModalWidget() == help;
        QTest::keyClick(help->findChild<QTextBrowser*>("HelpText"), Qt::Key_Escape);
        EXPECT_FALSE(help->isVisible());
        EXPECT_EQ(QApplication::activeModalWidget(), dialog);
        dialog->close();
    });
    editor.exec();
    EXPECT_TRUE(helpWasInFront);
    // Over the main window alone it is an ordinary window again, closed by its Close button.
    main.findChild<QAction*>("HelpContents1")->trigger();
    EXPECT_EQ(help->windowModality(), Qt::NonModal);
    help->findChild<QPushButton*>("HelpClose")->click();
    EXPECT_FALSE(help->isVisible());
}

TEST_F(MainWindowTest, AMissingHelpPageIsReportedInsteadOfShown) {
    TMain& main = start();
    HelpDirectory = QString::fromStdString(dir_.path().string());  // holds no help pages
    prompts_.expect(Kind::Information, "No help page was found for topic contents");
    main.findChild<QAction*>("HelpContents1")->trigger();
    EXPECT_FALSE(main.helpWindow()->isVisible());
}

TEST(HelpPages, EveryLinkLeadsToAPageThatExists) {
    const QDir pages(CORVANE_HELP_DIR);
    const QStringList files = pages.entryList({"*.html"});
    for (const char* required : {"contents", "10", "300", "400", "500", "600", "700"})
        EXPECT_TRUE(files.contains(QString(required) + ".html")) << required;
    const QRegularExpression link("href=\"([^\"]+)\"");
    for (const QString& file : files) {
        QFile page(pages.absoluteFilePath(file));
        ASSERT_TRUE(page.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(page.readAll());
        EXPECT_TRUE(html.contains("<title>")) << file.toStdString();
        for (const QRegularExpressionMatch& m : link.globalMatch(html))
            EXPECT_TRUE(files.contains(m.captured(1)))
                << file.toStdString() << " links to " << m.captured(1).toStdString();
    }
}
