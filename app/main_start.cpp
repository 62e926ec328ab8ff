// Start-up and closing of the main window, and the two maintenance buttons that work on every
// table at once.
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QThread>

#include "app/about_form.h"
#include "app/main_window.h"
#include "app/report_output.h"
#include "core/prompt.h"
#include "db/change.h"
#include "db/data_check.h"
#include "db/data_directory.h"
#include "db/maintenance.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "db/settings.h"
#include "report/print_target.h"
#include "ui/help_window.h"

namespace {

// The splash stays at least this long, however fast start-up is.
constexpr qint64 kSplashMs = 1728;

void TellPackFailures(QWidget* parent, const QStringList& failed) {
    if (!failed.isEmpty()) prompt::information(parent, PackFailureMessage(failed));
}

}  // namespace

void TMain::showEvent(QShowEvent* event) {
    if (!shown_) {
        shown_ = true;
        if (const QScreen* shownOn = screen())
            move(shownOn->availableGeometry().center() - rect().center());
        FormShow();
    }
    QMainWindow::showEvent(event);
}

void TMain::FormShow() {
    StartingUp = true;
    About->show();
    About->repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QElapsedTimer splash;
    splash.start();
    if (StartUp()) {
        PageControl1->setEnabled(true);
        EndSplash(splash.elapsed());
    }
}

// Everything start-up does while the splash is shown; false when the program is to end.
bool TMain::StartUp() {
    if (!DataFilesPresent()) {
        EndSplash(kSplashMs);
        prompt::information(this,
                            "Database files not found in startup directory\n"
                            "Program must be started from the directory containing the data "
                            "files.\n(Looked in " +
                                QDir::toNativeSeparators(QDir::currentPath()) + ")");
        EndProgram();
        return false;
    }
    if (const QStringList clashes = NamesDifferingOnlyInCase(); !clashes.isEmpty()) {
        EndSplash(kSplashMs);
        prompt::information(this, "Data files whose names differ only in letter case:\n" +
                                      clashes.join(u'\n') +
                                      "\nCorvane cannot tell which one holds the data. Rename or "
                                      "remove one of each, then start Corvane again.");
        EndProgram();
        return false;
    }
    LockRefusal refusal;
    lock_ = LockDataDirectory(QStringLiteral("Corvane"), &refusal);
    if (!lock_) {
        EndSplash(kSplashMs);
        prompt::information(this, refusal.kind == LockRefusal::Held
                                      ? LockRefusalMessage(refusal) +
                                            "\nOnly one Corvane at a time may work on the same "
                                            "data files."
                                      : LockRefusalMessage(refusal));
        EndProgram();
        return false;
    }
    InitDbContext();
    bool undone = false;
    QString error;
    if (!UndoUnfinishedChange(&undone, &error)) {
        EndSplash(kSplashMs);
        prompt::information(this, error + "\nProgram will now terminate.");
        EndProgram();
        return false;
    }
    if (undone)
        prompt::information(this,
                            "The last change was not finished when Corvane stopped; it has been "
                            "undone, and the data files are as they were before it.");
    QStringList finished;
    if (!FinishInterruptedRewrites(&finished, &error)) {
        EndSplash(kSplashMs);
        prompt::information(this, error + "\nProgram will now terminate.");
        EndProgram();
        return false;
    }
    if (!finished.isEmpty()) prompt::information(this, finished.join(u'\n'));
    if (const QStringList damaged = DamagedTableHeaders(); !damaged.isEmpty()) {
        EndSplash(kSplashMs);
        prompt::information(this, "These data files are damaged:\n" + damaged.join(u'\n') +
                                      "\nRun \"corvane-admin repair\" in the data directory: it "
                                      "keeps a copy of each damaged file, then mends them.\n"
                                      "Program will now terminate.");
        EndProgram();
        return false;
    }
    Progress.show = [this](bool visible, const QString& caption) {
        ShowProgress(visible, caption);
    };
    Progress.set = [this](int percent) { SetProgress(percent); };
    if (!RebuildIndexes(true) || !LoadSettings()) {
        EndSplash(kSplashMs);
        return false;
    }

    BtnDirectories->setVisible(true);
    setWindowTitle("Corvane 1.05");
    PackPending = false;

    ReportFont = FontFromSettings(font(), SettingsRecord.FontName, SettingsRecord.FontSize);
    Edit1->setText(FontText(ReportFont));
    reports::UseReportOutput(&ReportFont, &ReportPrinter());
    const QString printer = PrinterText(ReportPrinter());
    if (!printer.isEmpty()) Edit2->setText(printer);
    (SettingsRecord.ByCust ? RadioButton1 : RadioButton2)->setChecked(true);
    (SettingsRecord.fifo ? RadioButton3 : RadioButton4)->setChecked(true);
    return true;
}

// Keeps the splash up until it has been shown for kSplashMs, then closes it.
void TMain::EndSplash(qint64 shownForMs) {
    QElapsedTimer waiting;
    waiting.start();
    while (shownForMs + waiting.elapsed() < kSplashMs) {
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(5);
    }
    About->hide();
    StartingUp = false;
}

void TMain::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TMain::FormClose() {
    if (DbContext) {
        if (ExitOnError()) return;
        if (PackPending) TellPackFailures(this, PackAll());
        FreeDbContext();
    }
    Progress = {};
    lock_.reset();
    disconnect(qApp, nullptr, this, nullptr);
    Help->close();
    QApplication::quit();
}

TMain::~TMain() {
    // The focus moves while the controls go away; this window no longer follows it.
    disconnect(qApp, nullptr, this, nullptr);
    if (lock_) Progress = {};
}

void TMain::BtnIndexClick() {
    RebuildIndexes(false);
}

void TMain::BtnPackClick() {
    TellPackFailures(this, PackAll());
}
