#include "ui/help_window.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "core/prompt.h"
#include "ui/form_parts.h"
#include "ui/pictures.h"

namespace {

QString DefaultHelpDirectory() {
    const QDir program(QCoreApplication::applicationDirPath());
    const QString installed = program.absoluteFilePath("../share/corvane/help");
    if (!QFileInfo::exists(program.absoluteFilePath("help")) && QFileInfo::exists(installed))
        return QDir::cleanPath(installed);
    return program.absoluteFilePath("help");
}

}  // namespace

QString HelpDirectory;

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("HelpWindow");
    setWindowTitle("Corvane Help");
    setWindowIcon(PictureIcon(Picture::Help));
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(560, 480);

    browser_ = new QTextBrowser(this);
    browser_->setObjectName("HelpText");
    browser_->setOpenExternalLinks(true);
    auto* contents = new QPushButton("&Contents", this);
    auto* close = new QPushButton("C&lose", this);
    close->setObjectName("HelpClose");
    auto* back = new QPushButton("&Back", this);
    auto* forward = new QPushButton("&Forward", this);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(contents, &QPushButton::clicked, this, [this] { showTopic("contents"); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = browser_->documentTitle();
        setWindowTitle(title.isEmpty() ? "Corvane Help" : "Corvane Help - " + title);
    });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser_);
    FitToTitle(this);
}

bool HelpWindow::showTopic(const QString& topic) {
    if (HelpDirectory.isEmpty()) HelpDirectory = DefaultHelpDirectory();
    const QString page = QDir(HelpDirectory).absoluteFilePath(topic + ".html");
    if (!QFileInfo(page).isFile()) {
        prompt::information(parentWidget(), "No help page was found for topic " + topic +
                                                ".\nThe help files are missing from " +
                                                QDir::toNativeSeparators(HelpDirectory) + ".");
        return false;
    }
    browser_->setSource(QUrl::fromLocalFile(page));
    // Over a modal window, help is modal itself, or it would take no click until that window
    // closed; over the main window it stays beside it.
    const QWidget* modal = QApplication::activeModalWidget();
    const Qt::WindowModality modality =
        modal && modal != this ? Qt::ApplicationModal : Qt::NonModal;
    if (windowModality() != modality) {
        hide();
        setWindowModality(modality);
    }
    // Opened anew, it goes to the middle of the screen the user is working on, whole: left to
    // the window manager it may be put where part of it is off the screen.
    if (!isVisible()) {
        const QWidget* over = modal ? modal : parentWidget();
        const QRect area = (over ? over->screen() : screen())->availableGeometry();
        move(area.center() - rect().center());
    }
    show();
    raise();
    activateWindow();
    return true;
}

void HelpWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        close();
    else
        QWidget::keyPressEvent(event);
}

QString HelpWindow::pageShown() const {
    return QFileInfo(browser_->source().toLocalFile()).fileName();
}
