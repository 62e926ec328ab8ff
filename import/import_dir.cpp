#include "import/import_dir.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "core/prompt.h"
#include "import/import_dirs.h"
#include "ui/form_help.h"
#include "ui/form_parts.h"

namespace {

constexpr int kPathBoxWidth = 360;

}  // namespace

TImportdir::TImportdir(QWidget* parent) : QDialog(parent) {
    setObjectName("TImportdir");
    setWindowTitle("Import Directories");
    setModal(false);
    SetFormHelp(this, kHelpTopic);

    BInfo = NamedButton(this, "BInfo", "Browse");
    BOrder = NamedButton(this, "BOrder", "Browse");
    Edit1 = NamedEdit(this, "Edit1", kMaxImportDirLength);
    Edit2 = NamedEdit(this, "Edit2", kMaxImportDirLength);
    Edit1->setMinimumWidth(kPathBoxWidth);
    Edit2->setMinimumWidth(kPathBoxWidth);
    BSave = NamedButton(this, "BSave", "Save");
    BCancel = NamedButton(this, "BCancel", "Cancel");

    auto* grid = new QGridLayout;
    grid->addWidget(NamedLabel(this, "Label1", "Directory containing Info Files"), 0, 0, 1, 2);
    grid->addWidget(Edit1, 1, 0);
    grid->addWidget(BInfo, 1, 1);
    grid->addWidget(NamedLabel(this, "Label2", "Directory containing Order Files"), 2, 0, 1, 2);
    grid->addWidget(Edit2, 3, 0);
    grid->addWidget(BOrder, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BSave);
    buttons->addWidget(BCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    FitToTitle(this);

    SetTabOrder({BInfo, BOrder, Edit1, Edit2, BSave, BCancel});
    connect(BInfo, &QPushButton::clicked, this, [this] { BInfoClick(); });
    connect(BOrder, &QPushButton::clicked, this, [this] { BOrderClick(); });
    connect(BSave, &QPushButton::clicked, this, [this] { BSaveClick(); });
    connect(BCancel, &QPushButton::clicked, this, [this] { BCancelClick(); });
}

void TImportdir::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TImportdir::FormShow() {
    if (!ReadImportDirs()) return;
    Edit1->setText(InfoDir);
    Edit2->setText(OrderDir);
    Edit1->setFocus();
}

void TImportdir::ChooseInto(QLineEdit* box, const QString& caption) {
    const std::optional<QString> chosen = prompt::directory(this, caption, box->text());
    box->setText(chosen.value_or(QString()));
}

void TImportdir::BInfoClick() {
    ChooseInto(Edit1, "Choose Customer Info Directory");
}

void TImportdir::BOrderClick() {
    ChooseInto(Edit2, "Choose Order File Directory");
}

void TImportdir::BSaveClick() {
    const QString infoBefore = InfoDir;
    const QString orderBefore = OrderDir;
    InfoDir = Edit1->text();
    OrderDir = Edit2->text();
    QString error;
    if (!WriteImportDirs(&error)) {
        InfoDir = infoBefore;
        OrderDir = orderBefore;
        if (!error.isEmpty())
            prompt::warning(this,
                            "Unable to save the import directories. Please try again.\n" + error);
        return;
    }
    accept();
}

void TImportdir::BCancelClick() {
    reject();
}
