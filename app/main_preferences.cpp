// The Preferences tab: report font, printer, customer order and inventory method. Each change
// is written to the settings record at once.
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/main_window.h"
#include "app/report_output.h"
#include "app/tab_layout.h"
#include "db/program_state.h"
#include "db/settings.h"

namespace {

QGroupBox* ChoiceGroup(QWidget* tab, const char* name, const QString& title, const QString& hint,
                       QRadioButton* first, QRadioButton* second) {
    auto* group = new QGroupBox(title, tab);
    group->setObjectName(name);
    group->setToolTip(hint);
    auto* row = new QHBoxLayout(group);
    row->addWidget(first);
    row->addWidget(second);
    row->addStretch();
    first->setParent(group);
    second->setParent(group);
    return group;
}

QRadioButton* Choice(const char* name, const QString& caption) {
    auto* button = new QRadioButton(caption);
    button->setObjectName(name);
    return button;
}

QLineEdit* ReadOnlyBox(QWidget* tab, const char* name, const QString& text) {
    auto* box = new QLineEdit(text, tab);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    return box;
}

}  // namespace

QWidget* TMain::BuildPreferencesTab() {
    QWidget* tab = NewTab("Preferences", 600);
    QGridLayout* grid = TabGrid(tab);

    QPushButton* font =
        CaptionButton(tab, "BtnFont", "Report Font", "Select a Font for printing reports");
    QPushButton* printer =
        CaptionButton(tab, "BtnPSetup", "Printer Setup", "Select a printer for reports");
    const int width = std::max(font->sizeHint().width(), printer->sizeHint().width());
    font->setMinimumWidth(width);
    printer->setMinimumWidth(width);
    grid->addWidget(font, 0, 0);
    Edit1 = ReadOnlyBox(tab, "Edit1", QString());
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(printer, 1, 0);
    Edit2 = ReadOnlyBox(tab, "Edit2", "No printer selected");
    grid->addWidget(Edit2, 1, 1);

    RadioButton1 = Choice("RadioButton1", "By Name");
    RadioButton2 = Choice("RadioButton2", "By Company Name");
    GroupBox1 =
        ChoiceGroup(tab, "GroupBox1", " Display - Sort Customers ",
                    "Select how customers are displayed in pick lists", RadioButton1, RadioButton2);
    grid->addWidget(GroupBox1, 2, 0, 1, 2);
    RadioButton3 = Choice("RadioButton3", "First in - First out");
    RadioButton4 = Choice("RadioButton4", "Last in - First out");
    GroupBox2 = ChoiceGroup(tab, "GroupBox2", " Inventory Method ", "Select Inventory Method",
                            RadioButton3, RadioButton4);
    grid->addWidget(GroupBox2, 3, 0, 1, 2);
    for (QRadioButton* choice : {RadioButton1, RadioButton2, RadioButton3, RadioButton4})
        connect(choice, &QRadioButton::clicked, this, &TMain::RadioButtonClick);

    auto* setup = new QVBoxLayout;
    setup->setSpacing(8);
    setup->addWidget(CaptionButton(tab, "BtnStationary", "Stationery", "Set up custom stationery"));
    setup->addWidget(CaptionButton(tab, "BtnSTax", "Sales Tax", "Set up sales tax rates"));
    setup->addWidget(
        CaptionButton(tab, "BtnLabForms", "Label Forms", "Define Address Label Stock"));
    setup->addWidget(CaptionButton(tab, "BtnChasing", "Terms && Reminders",
                                   "Set payment terms and reminder letters"));
    BtnDirectories = CaptionButton(tab, "BtnDirectories", "Import Dir's",
                                   "Set the directories orders are imported from");
    BtnDirectories->setVisible(false);
    setup->addWidget(BtnDirectories);
    // Below the buttons that were there before it, so that none of them moves.
    setup->addWidget(CaptionButton(tab, "BtnMail", "Mail Settings",
                                   "Set the mail server and the messages documents are sent with"));
    setup->addStretch();
    grid->addLayout(setup, 0, 2, 4, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(2, 120);
    AddHelpRow(grid, HelpButton(tab, "BitBtn4", 600));

    FontDialog1 = new QFontDialog(this);
    FontDialog1->setObjectName("FontDialog1");
    return tab;
}

void TMain::BtnFontClick() {
    FontDialog1->setCurrentFont(ReportFont);
    if (FontDialog1->exec() == QDialog::Accepted) ReportFont = FontDialog1->selectedFont();
    Edit1->setText(FontText(ReportFont));
    SettingsRecord.FontName = ReportFont.family();
    SettingsRecord.FontSize = ReportFont.pointSize();
    SaveSettings();
}

void TMain::BtnPSetupClick() {
    if (!PrinterSetupDialog1) {
        PrinterSetupDialog1 = new QPrintDialog(&ReportPrinter(), this);
        PrinterSetupDialog1->setObjectName("PrinterSetupDialog1");
        PrinterSetupDialog1->setWindowTitle("Printer Setup");
        PrinterSetupDialog1->setOptions(QAbstractPrintDialog::PrintShowPageSize);
    }
    PrinterSetupDialog1->exec();
    const QString printer = PrinterText(ReportPrinter());
    if (!printer.isEmpty()) Edit2->setText(printer);
}

void TMain::GroupBox1Exit() {
    SettingsRecord.ByCust = RadioButton1->isChecked();
    SaveSettings();
}

void TMain::GroupBox2Exit() {
    SettingsRecord.fifo = RadioButton3->isChecked();
    SaveSettings();
}

// A click that changes a choice stores it at once, as leaving its group would: the program may
// be closed before the focus ever leaves the group.
void TMain::RadioButtonClick() {
    if (RadioButton1->isChecked() != SettingsRecord.ByCust) GroupBox1Exit();
    if (RadioButton3->isChecked() != SettingsRecord.fifo) GroupBox2Exit();
}

// The focus leaving a group for another control of this window runs the group's Exit handler.
// Focus going to another window (a dialog, another program) does not leave the group.
void TMain::FocusMoved(QWidget* old, QWidget* now) {
    if (!old || !now || now->window() != this) return;
    if (GroupBox1->isAncestorOf(old) && !GroupBox1->isAncestorOf(now)) GroupBox1Exit();
    if (GroupBox2->isAncestorOf(old) && !GroupBox2->isAncestorOf(now)) GroupBox2Exit();
}
