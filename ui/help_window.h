// The help window: the HTML help pages of the help folder shown in a browser window with
// Contents, Back, Forward and Close (Escape closes it too). Asked for while a modal window is
// open, it opens modal over it, so that it can be read, scrolled and closed at once. A page is
// named after its topic: "contents.html" for the contents,
// "<number>.html" for the help context number of a window or tab ("10.html" the main window).
#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

// The folder holding the help pages. Starts as the "help" folder beside the program, or
// share/corvane/help beside its bin folder when installed; tests point it at the build's copy.
extern QString HelpDirectory;

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the page of the topic ("contents" or a help context number) and brings the window to
    // the front; when there is no such page the user is told and false is returned.
    bool showTopic(const QString& topic);
    // The file name of the page shown.
    QString pageShown() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QTextBrowser* browser_;
};
