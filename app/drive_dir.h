// The drive and directory chooser of the File Maintenance buttons (backup, restore, upgrade):
// a drive box, a directory list and a disabled list of the files in the chosen directory, built
// on Qt's file system model. A drive is a mounted volume or a directory (the home directory). The
// caller sets the window caption and the caption of BtnOK, shows it modally and reads ChosenDir:
// the directory chosen with OK, or empty after Cancel. Browsing never changes the process's current
// directory, which is the data directory.
#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QFileSystemModel;
class QListView;
class QPushButton;
class QTreeView;

class TDriveDir : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 710;

    explicit TDriveDir(QWidget* parent = nullptr);

    // Points the drive box and the directory list at `dir` (an existing directory); used
    // before showing to propose a directory.
    void SetDirectory(const QString& dir);
    // The directory the list points at.
    QString CurrentDirectory() const;

    QString ChosenDir;

    QComboBox* DriveComboBox1 = nullptr;
    QTreeView* DirectoryListBox1 = nullptr;
    QListView* FileListBox1 = nullptr;
    QPushButton* BtnOK = nullptr;
    QPushButton* BtnCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormShow();
    void FormActivate();
    void DriveComboBox1Change(int index);
    void DirectoryChanged();
    void BtnOKClick();
    void BtnCancelClick();
    // Fills the drive box: the mounted volumes and the home directory.
    void FillDrives();
    // The drive (index in the drive box) that holds `dir`: the longest path that contains it.
    int DriveOf(const QString& dir) const;
    void PointAt(const QString& dir);

    QString SavedDir;
    int LastGoodDrive = -1;
    bool pointing_ = false;  // the drive box is being set by the program, not by the user
    QFileSystemModel* dirs_ = nullptr;
    QFileSystemModel* files_ = nullptr;
};
