#include "app/drive_dir.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStorageInfo>
#include <QTreeView>

#include "core/prompt.h"
#include "ui/form_help.h"
#include "ui/form_parts.h"

TDriveDir::TDriveDir(QWidget* parent) : QDialog(parent) {
    setObjectName("TDriveDir");
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    SetFormHelp(this, kHelpTopic);

    DriveComboBox1 = new QComboBox(this);
    DriveComboBox1->setObjectName("DriveComboBox1");
    dirs_ = new QFileSystemModel(this);
    dirs_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    dirs_->setRootPath("/");
    DirectoryListBox1 = new QTreeView(this);
    DirectoryListBox1->setObjectName("DirectoryListBox1");
    DirectoryListBox1->setModel(dirs_);
    for (int column = 1; column < dirs_->columnCount(); ++column)
        DirectoryListBox1->hideColumn(column);
    DirectoryListBox1->setHeaderHidden(true);
    files_ = new QFileSystemModel(this);
    files_->setFilter(QDir::Files);
    FileListBox1 = new QListView(this);
    FileListBox1->setObjectName("FileListBox1");
    FileListBox1->setModel(files_);
    FileListBox1->setEnabled(false);
    BtnOK = new QPushButton("OK", this);
    BtnOK->setObjectName("BtnOK");
    BtnOK->setDefault(true);
    BtnCancel = new QPushButton("Cancel", this);
    BtnCancel->setObjectName("BtnCancel");

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Drive:", this), 0, 0);
    grid->addWidget(DriveComboBox1, 0, 1, 1, 2);
    grid->addWidget(new QLabel("Directories:", this), 1, 0, 1, 2);
    grid->addWidget(new QLabel("Files:", this), 1, 2);
    grid->addWidget(DirectoryListBox1, 2, 0, 1, 2);
    grid->addWidget(FileListBox1, 2, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCancel);
    grid->addLayout(buttons, 3, 0, 1, 3);
    FitToTitle(this);
    resize(560, 360);

    setTabOrder(DriveComboBox1, DirectoryListBox1);
    setTabOrder(DirectoryListBox1, BtnOK);
    setTabOrder(BtnOK, BtnCancel);

    FillDrives();
    connect(DriveComboBox1, &QComboBox::currentIndexChanged, this,
            &TDriveDir::DriveComboBox1Change);
    connect(DirectoryListBox1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TDriveDir::DirectoryChanged);
    // The model reads directories as they are needed; once the way to the current one is read,
    // the list shows it.
    connect(dirs_, &QFileSystemModel::directoryLoaded, this,
            [this] { DirectoryListBox1->scrollTo(DirectoryListBox1->currentIndex()); });
    connect(BtnOK, &QPushButton::clicked, this, &TDriveDir::BtnOKClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TDriveDir::BtnCancelClick);
    PointAt(QDir::currentPath());
}

void TDriveDir::FillDrives() {
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        // Volumes on devices; the system's own file systems (proc, sysfs ...) are no drives.
        if (volume.isValid() && volume.isReady() && volume.device().startsWith("/dev/"))
            roots << volume.rootPath();
    }
    roots << "/" << QDir::homePath();
    roots.removeDuplicates();
    roots.sort();
    for (const QString& root : roots) DriveComboBox1->addItem(QDir::toNativeSeparators(root), root);
}

int TDriveDir::DriveOf(const QString& dir) const {
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < DriveComboBox1->count(); ++i) {
        const QString root = DriveComboBox1->itemData(i).toString();
        const bool holds = dir == root || root == "/" || dir.startsWith(root + "/");
        if (holds && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    return best;
}

void TDriveDir::PointAt(const QString& dir) {
    const QString path = QDir(dir).absolutePath();
    pointing_ = true;
    DriveComboBox1->setCurrentIndex(DriveOf(path));
    pointing_ = false;
    const QString root = DriveComboBox1->currentData().toString();
    // The list shows the drive's directories; with none of them current, the drive itself is.
    DirectoryListBox1->setRootIndex(dirs_->index(root));
    const QModelIndex index = dirs_->index(path);
    DirectoryListBox1->setCurrentIndex(index);
    DirectoryListBox1->scrollTo(index);
    DirectoryListBox1->expand(index);
    DirectoryChanged();
}

void TDriveDir::SetDirectory(const QString& dir) {
    PointAt(dir);
}

QString TDriveDir::CurrentDirectory() const {
    const QModelIndex index = DirectoryListBox1->currentIndex();
    return index.isValid() ? dirs_->filePath(index) : DriveComboBox1->currentData().toString();
}

void TDriveDir::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
    FormActivate();
}

void TDriveDir::closeEvent(QCloseEvent* event) {
    // The close box counts as Cancel.
    ChosenDir.clear();
    QDialog::closeEvent(event);
}

void TDriveDir::FormShow() {
    SavedDir = QDir::currentPath();
    ChosenDir.clear();
}

void TDriveDir::FormActivate() {
    LastGoodDrive = DriveComboBox1->currentIndex();
}

void TDriveDir::DriveComboBox1Change(int index) {
    if (pointing_ || index < 0) return;
    const QString root = DriveComboBox1->itemData(index).toString();
    const QFileInfo drive(root);
    if (!drive.isDir() || !drive.isReadable() || !QDir(root).isReadable()) {
        prompt::information(this, "Unable to read from drive " + DriveComboBox1->itemText(index));
        PointAt(DriveComboBox1->itemData(LastGoodDrive).toString());
        return;
    }
    PointAt(root);
    LastGoodDrive = index;
}

void TDriveDir::DirectoryChanged() {
    const QString dir = CurrentDirectory();
    files_->setRootPath(dir);
    FileListBox1->setRootIndex(files_->index(dir));
}

void TDriveDir::BtnOKClick() {
    ChosenDir = CurrentDirectory();
    QDir::setCurrent(SavedDir);
    accept();
}

void TDriveDir::BtnCancelClick() {
    ChosenDir.clear();
    QDir::setCurrent(SavedDir);
    reject();
}
