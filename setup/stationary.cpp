#include "setup/stationary.h"

#include <QButtonGroup>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "core/prompt.h"
#include "db/program_state.h"
#include "db/settings.h"
#include "ui/number_box.h"
#include "ui/number_entry.h"

namespace {

// The longest path the settings record keeps for the logo.
constexpr int kLogoPathLength = 254;

// A file name that leads to a file; empty for any other.
QString ExistingFile(const QString& name) {
    const QString trimmed = name.trimmed();
    return !trimmed.isEmpty() && QFileInfo(trimmed).isFile() ? trimmed : QString();
}

}  // namespace

TStationary::TStationary(QWidget* parent)
    : EditorForm("TStationary", "Stationery Setup", kHelpTopic, parent) {
    using Red = NumberBox::RedNegative;
    Edit1 = NamedEdit(this, "Edit1", kLogoPathLength);
    Edit1->setFocusPolicy(Qt::ClickFocus);
    BtnLogo = NamedButton(this, "BtnLogo", "Logo File");
    MaskEdit1 = new NumberBox("%5.2f", Red::OnLeave, this);
    MaskEdit1->setObjectName("MaskEdit1");
    MaskEdit2 = new NumberBox("%5.2f", Red::Never, this);
    MaskEdit2->setObjectName("MaskEdit2");
    MaskEdit3 = new NumberBox("%5.2f", Red::Never, this);
    MaskEdit3->setObjectName("MaskEdit3");
    for (NumberBox* box : {MaskEdit1, MaskEdit2, MaskEdit3}) box->setMaximumWidth(90);
    Edit2 = NamedEdit(this, "Edit2", 35);
    Edit3 = NamedEdit(this, "Edit3", 35);
    Edit4 = NamedEdit(this, "Edit4", 35);
    Edit5 = NamedEdit(this, "Edit5", 35);
    Edit6 = NamedEdit(this, "Edit6", 25);
    Edit7 = NamedEdit(this, "Edit7", 25);
    Edit8 = NamedEdit(this, "Edit8", 59);

    auto* frame = new QGroupBox(" Justification ", this);
    frame->setObjectName("GroupBox1");
    Justification = new QButtonGroup(frame);
    auto* choices = new QHBoxLayout(frame);
    const char* captions[] = {"Left", "Center", "Right"};
    for (int i = 0; i < 3; ++i) {
        auto* button = new QRadioButton(captions[i], frame);
        button->setObjectName("RadioButton" + QString::number(i + 1));
        Justification->addButton(button, i + 1);
        choices->addWidget(button);
    }

    auto* grid = new QGridLayout;
    grid->addWidget(BtnLogo, 0, 0);
    grid->addWidget(Edit1, 0, 1, 1, 4);
    grid->addWidget(NamedLabel(this, "Label1", "Logo Height:"), 1, 0);
    grid->addWidget(MaskEdit2, 1, 1);
    grid->addWidget(NamedLabel(this, "Label2", "Inches   Width:"), 1, 2);
    grid->addWidget(MaskEdit3, 1, 3);
    grid->addWidget(NamedLabel(this, "Label3", "Inches"), 1, 4);
    grid->addWidget(NamedLabel(this, "Label4", "Top Margin:"), 2, 0);
    grid->addWidget(MaskEdit1, 2, 1);
    grid->addWidget(NamedLabel(this, "Label5", "Inches"), 2, 2);
    grid->addWidget(NamedLabel(this, "Label6", "Company Name:"), 3, 0);
    grid->addWidget(Edit2, 3, 1, 1, 4);
    grid->addWidget(NamedLabel(this, "Label7", "Address:"), 4, 0);
    const QList<QLineEdit*> address = {Edit3, Edit4, Edit5, Edit6};
    for (int i = 0; i < address.size(); ++i) grid->addWidget(address[i], 4 + i, 1, 1, 4);
    grid->addWidget(NamedLabel(this, "Label8", "Closing Line:"), 8, 0);
    grid->addWidget(Edit7, 8, 1, 1, 4);
    grid->addWidget(NamedLabel(this, "Label9", "Signature Line:"), 9, 0);
    grid->addWidget(Edit8, 9, 1, 1, 4);
    grid->addWidget(frame, 10, 0, 1, 5);
    AddFormButtons(grid);

    QList<QWidget*> order = {BtnLogo, MaskEdit2, MaskEdit3, MaskEdit1, Edit2, Edit3,
                             Edit4,   Edit5,     Edit6,     Edit7,     Edit8};
    for (QAbstractButton* b : Justification->buttons()) order << b;
    order << BtnSave << BtnCancel;
    SetTabOrder(order);

    connect(BtnLogo, &QPushButton::clicked, this, [this] { BtnLogoClick(); });
}

void TStationary::FormShow() {
    const SettingsValues& s = SettingsRecord;
    MaskEdit1->setValue(s.TopMargin);
    MaskEdit2->setValue(s.LogoHeight);
    MaskEdit3->setValue(s.LogoWidth);
    Edit1->setText(s.LogoFile.trimmed());
    Edit2->setText(s.Company.trimmed());
    Edit3->setText(s.Addr1.trimmed());
    Edit4->setText(s.Addr2.trimmed());
    Edit5->setText(s.Addr3.trimmed());
    Edit6->setText(s.Addr4.trimmed());
    Edit7->setText(s.CloLine.trimmed());
    Edit8->setText(s.SigLine.trimmed());
    const int justify = s.LHJustify == 2 || s.LHJustify == 3 ? s.LHJustify : 1;
    Justification->button(justify)->setChecked(true);
    BtnLogo->setFocus();
}

// The file chosen shows in the box and is kept by Save; a name that leads to no file empties
// the box. A cancelled dialog leaves the box as it was.
void TStationary::BtnLogoClick() {
    const QString dataDir = QDir::currentPath();
    const std::optional<QString> chosen =
        prompt::openFileName(this, "Logo File", Edit1->text().trimmed(),
                             "Pictures (*.bmp *.png *.jpg *.jpeg);;All Files (*)");
    QDir::setCurrent(dataDir);
    if (chosen) Edit1->setText(ExistingFile(*chosen));
}

void TStationary::BtnSaveClick() {
    double topMargin = 0;
    double logoHeight = 0;
    double logoWidth = 0;
    if (!TakeNumber(MaskEdit1, &topMargin) || !TakeNumber(MaskEdit2, &logoHeight) ||
        !TakeNumber(MaskEdit3, &logoWidth))
        return;

    const SettingsValues before = SettingsRecord;
    SettingsValues& s = SettingsRecord;
    s.TopMargin = topMargin;
    s.LogoHeight = logoHeight;
    s.LogoWidth = logoWidth;
    s.LogoFile = ExistingFile(Edit1->text());
    s.Company = Edit2->text().trimmed();
    s.Addr1 = Edit3->text().trimmed();
    s.Addr2 = Edit4->text().trimmed();
    s.Addr3 = Edit5->text().trimmed();
    s.Addr4 = Edit6->text().trimmed();
    s.CloLine = Edit7->text().trimmed();
    s.SigLine = Edit8->text().trimmed();
    s.LHJustify = Justification->checkedId() > 0 ? Justification->checkedId() : 1;

    QString error;
    if (!StoreSettings(&error)) {
        // The settings in use stay those the file holds.
        SettingsRecord = before;
        if (!error.isEmpty())
            prompt::warning(
                this, "Unable to save the stationery settings . . Please try again.\n" + error);
        return;
    }
    accept();
}
