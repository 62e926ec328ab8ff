// The File Maintenance buttons that copy, erase and convert the data files: backup, restore,
// erase and the upgrade from the earlier product, each through the drive and directory chooser.
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QStorageInfo>

#include "app/drive_dir.h"
#include "app/main_window.h"
#include "core/prompt.h"
#include "db/backup.h"
#include "db/backup_folder.h"
#include "db/maintenance.h"
#include "db/open_tables.h"
#include "db/upgrade.h"

QString TMain::ChooseDirectory(const QString& caption, const QString& okCaption,
                               const QString& proposed) {
    TDriveDir chooser(this);
    chooser.setWindowTitle(caption);
    chooser.BtnOK->setText(okCaption);
    if (!proposed.isEmpty()) chooser.SetDirectory(proposed);
    chooser.exec();
    repaint();
    return chooser.ChosenDir;
}

void TMain::CopyThroughChooser(bool toBackup) {
    // The chooser starts beside the data directory, which it may not copy to or from.
    QDir beside = QDir::current();
    const QString proposed = beside.cdUp() ? beside.path() : QString();
    const QString chosen =
        toBackup
            ? ChooseDirectory("Choose Backup Drive & Directory", "Backup", proposed)
            : ChooseDirectory("Choose Drive & Directory Containing BACKUP", "Restore", proposed);
    if (chosen.isEmpty()) return;
    if (IsDataDirectory(chosen)) {
        prompt::information(this, toBackup ? "Backup must be to a different drive and/or directory"
                                           : "Restore must be from a different drive and/or "
                                             "directory");
        return;
    }
    if (!toBackup && !HoldsBackup(chosen)) {
        prompt::information(this, NoBackupMessage(chosen));
        return;
    }
    if (!toBackup &&
        !prompt::confirmLoss(this, "Restoring from " + QDir::toNativeSeparators(chosen) +
                                       " replaces all of your current data with the backup: "
                                       "every customer, product, purchase, invoice and payment "
                                       "entered or changed since the backup was made will be "
                                       "lost.\n\nRestore?"))
        return;
    QString closing;
    const bool copied = CopyDataFiles(toBackup, chosen, &closing);
    if (!copied) prompt::information(this, closing);
    ShowProgress(false, QString());
    const bool indexed = toBackup || RebuildIndexes(false);
    if (copied && indexed)
        prompt::information(this, toBackup ? "Backup complete" : "Restore complete");
}

void TMain::BtnBackupClick() {
    CopyThroughChooser(true);
}

void TMain::BtnRestoreClick() {
    CopyThroughChooser(false);
}

void TMain::BtnEraseClick() {
    EraseAll();
}

void TMain::BtnUpgradeClick() {
    // Where the earlier product kept its data, on the drive of the data directory.
    const QString drive = QStorageInfo(QDir::currentPath()).rootPath();
    QString proposed;
    for (const char* dir : {"kiv_bus", "kiv"}) {
        if (proposed.isEmpty() &&
            QFileInfo::exists(QDir(drive).filePath(QString(dir) + "/Prod4.dbf")))
            proposed = QDir(drive).filePath(dir);
    }
    const QString chosen =
        ChooseDirectory("Choose Drive & Directory Containing Old ZARDO Data", "Upgrade", proposed);
    if (chosen.isEmpty()) return;
    if (!UpgradeData(chosen)) {
        CloseAllTables();
        RebuildIndexes(false);
    }
    PackAll();
}
