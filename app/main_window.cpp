#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/about_form.h"
#include "app/tab_layout.h"
#include "db/data_directory.h"
#include "ui/help_window.h"

namespace {

const QColor kTabBackground(0, 128, 128);
constexpr int kPictureSize = 36;
// The client area the window is laid out for; it grows when the fonts need more room.
constexpr int kClientWidth = 539;
constexpr int kClientHeight = 346;

}  // namespace

TMain::TMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName("Main");
    setWindowTitle("Corvane");
    setWindowIcon(PictureIcon(Picture::Program));

    About = new TAboutForm(this);
    Help = new HelpWindow(this);

    auto* client = new QWidget(this);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(6, 6, 6, 6);
    PageControl1 = new QTabWidget(client);
    PageControl1->setObjectName("PageControl1");
    PageControl1->setUsesScrollButtons(false);  // every tab caption in full
    layout->addWidget(PageControl1);
    setCentralWidget(client);

    BuildMenus();
    BuildPopupMenus();
    BuildInvoicesTab();
    BuildCustomersTab();
    BuildReportsTab();
    BuildPreferencesTab();
    BuildMaintenanceTab();
    // Nothing on the tabs works before start-up has found the data files and read the settings.
    PageControl1->setEnabled(false);

    ProgressBox = new QGroupBox(client);
    ProgressBox->setObjectName("ProgressBox");
    ProgressBox->setAutoFillBackground(true);
    ProgressBar1 = new QProgressBar(ProgressBox);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(0, 100);
    (new QVBoxLayout(ProgressBox))->addWidget(ProgressBar1);
    ProgressBox->hide();

    WireActions();
    connect(qApp, &QApplication::focusChanged, this, &TMain::FocusMoved);
    auto* helpKey = new QShortcut(QKeySequence::HelpContents, this);
    connect(helpKey, &QShortcut::activated, this, [this] {
        HelpButtonClick(PageControl1->currentWidget()->property("helpContext").toInt());
    });

    resize(QSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height())
               .expandedTo(minimumSizeHint()));
}

void TMain::BuildMenus() {
    QMenuBar* menus = menuBar();
    menus->setObjectName("MainMenu1");
    QMenu* file = menus->addMenu("&File");
    file->setObjectName("File1");
    file->addAction("E&xit")->setObjectName("Exit1");
    QMenu* help = menus->addMenu("&Help");
    help->setObjectName("Help1");
    help->addAction("About Corvane")->setObjectName("AboutCVNI1");
    help->addSeparator();
    help->addAction("Help &Contents")->setObjectName("HelpContents1");
}

void TMain::BuildPopupMenus() {
    auto item = [](QMenu* menu, const char* name, const QString& caption) {
        menu->addAction(caption)->setObjectName(name);
    };
    auto submenu = [](QMenu* menu, const char* name, const QString& caption) {
        QMenu* sub = menu->addMenu(caption);
        sub->setObjectName(name);
        return sub;
    };
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    QMenu* invoices = submenu(PopupMenu1, "Invoices1", "&Invoices");
    item(invoices, "SelectedDates2", "Selected &Date(s)");
    item(invoices, "SelectedInvoices1", "Selected &Invoices");
    QMenu* bills = submenu(PopupMenu1, "Bills1", "&Bills");
    item(bills, "WithBalancesDue2", "&With Balances Due");
    item(bills, "SelectedBills2", "Selected &Bills");
    QMenu* statements = submenu(PopupMenu1, "Statements1", "&Statements");
    item(statements, "WithBalances2", "With &Balances");
    item(statements, "SelectedCustomers4", "Selected &Customers");

    PopupMenu4 = new QMenu(this);
    PopupMenu4->setObjectName("PopupMenu4");
    item(PopupMenu4, "SelectedCustomers2", "Selected &Customers");
    item(PopupMenu4, "SelectedGroups1", "Selected &Groups");

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName("PopupMenu2");
    item(PopupMenu2, "SalesSummary1", "&Sales Summary");
    item(PopupMenu2, "ProductSummary1", "&Product Summary");
    item(PopupMenu2, "ProductBuyers1", "Product &Buyers");
    PopupMenu2->addSeparator();
    item(PopupMenu2, "IncomeSummary1", "&Income Summary");
    item(PopupMenu2, "ReceivableIncome1", "&Receivable Income");
    item(PopupMenu2, "Aging1", "&Aging");
    item(PopupMenu2, "ReminderLetters1", "Reminder &Letters");
    item(PopupMenu2, "MessagesSent1", "&Messages Sent");
    PopupMenu2->addSeparator();
    item(PopupMenu2, "TaxSummary1", "&Tax Summary");

    PopupMenu3 = new QMenu(this);
    PopupMenu3->setObjectName("PopupMenu3");
    item(PopupMenu3, "Inventory1", "&Inventory");
    item(PopupMenu3, "CostofGoodsSold1", "&Cost of Goods Sold");
    item(PopupMenu3, "StockOnHand1", "&Stock On-Hand");

    PopupMenu5 = new QMenu(this);
    PopupMenu5->setObjectName("PopupMenu5");
    item(PopupMenu5, "SelectedCustomers3", "&Selected Customers");
    item(PopupMenu5, "InvoicesDated1", "&Invoices Dated");
    item(PopupMenu5, "PastDueBilling1", "&Past Due Billing");
    item(PopupMenu5, "BalanceDueStatement1", "&Balance Due Statement");
    item(PopupMenu5, "CustomerGroups1", "&Customer Group(s)");
}

QWidget* TMain::NewTab(const QString& caption, int helpContext) {
    auto* tab = new QWidget;
    tab->setProperty("helpContext", helpContext);
    tab->setAutoFillBackground(true);
    QPalette teal = tab->palette();
    teal.setColor(QPalette::Window, kTabBackground);
    teal.setColor(QPalette::WindowText, Qt::white);
    teal.setColor(QPalette::Disabled, QPalette::WindowText, QColor(160, 205, 205));
    tab->setPalette(teal);
    PageControl1->addTab(tab, caption);
    return tab;
}

// A picture button with its hint, and beside it a label repeating the hint so that the tab
// can be read without hovering. The label is enabled with its button (WireActions).
QWidget* TMain::PictureButton(QWidget* tab, const char* name, Picture picture,
                              const QString& hint) {
    auto* button = new QToolButton(tab);
    button->setObjectName(name);
    button->setIcon(PictureIcon(picture));
    button->setIconSize(QSize(kPictureSize, kPictureSize));
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    button->setEnabled(false);

    auto* label = new QLabel(hint, tab);
    label->setObjectName(QString(name) + "Label");
    label->setTextFormat(Qt::PlainText);
    label->setEnabled(false);

    auto* cell = new QWidget(tab);
    auto* row = new QHBoxLayout(cell);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    row->addWidget(button);
    row->addWidget(label, 1);
    return cell;
}

QPushButton* TMain::CaptionButton(QWidget* tab, const char* name, const QString& caption,
                                  const QString& hint) {
    auto* button = new QPushButton(caption, tab);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setEnabled(false);
    return button;
}

QPushButton* TMain::HelpButton(QWidget* tab, const char* name, int helpContext) {
    auto* button = new QPushButton(PictureIcon(Picture::Help), "&Help", tab);
    button->setObjectName(name);
    button->setIconSize(QSize(18, 18));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this,
            [this, helpContext] { HelpButtonClick(helpContext); });
    return button;
}

QWidget* TMain::BuildInvoicesTab() {
    QWidget* tab = NewTab("Invoices", 300);
    QGridLayout* grid = TabGrid(tab);
    grid->addWidget(PictureButton(tab, "BtnInvoice", Picture::Invoice, "Create & Edit Invoices"), 0,
                    0);
    grid->addWidget(PictureButton(tab, "BtnInvPrint", Picture::InvoicePrint,
                                  "Print Invoices for specified date(s)"),
                    1, 0);
    grid->addWidget(PictureButton(tab, "BtnInvLab", Picture::InvoiceLabels,
                                  "Print Mailing Labels for Invoice Date(s)"),
                    2, 0);
    AddHelpRow(grid, HelpButton(tab, "BitBtn1", 300));
    return tab;
}

QWidget* TMain::BuildCustomersTab() {
    QWidget* tab = NewTab("Customers and Products", 400);
    QGridLayout* grid = TabGrid(tab);
    grid->addWidget(PictureButton(tab, "BtnCust", Picture::Customer, "Add & Edit Customers"), 0, 0);
    grid->addWidget(PictureButton(tab, "BtnGroups", Picture::Groups, "Add & Edit Customer Groups"),
                    1, 0);
    grid->addWidget(
        PictureButton(tab, "BtnProd", Picture::Product, "Add & Edit Products / Services"), 0, 1);
    grid->addWidget(
        PictureButton(tab, "BtnPurchase", Picture::Purchase, "Add & Edit Inventory Purchases"), 1,
        1);
    grid->addWidget(PictureButton(tab, "Image4", Picture::ProductList, "Print Product Listing"), 2,
                    1);
    grid->addWidget(
        PictureButton(tab, "Image5", Picture::PurchaseReport, "Print Purchasing Report"), 3, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    AddHelpRow(grid, HelpButton(tab, "BitBtn2", 400));
    return tab;
}

QWidget* TMain::BuildReportsTab() {
    QWidget* tab = NewTab("Report Generation", 500);
    QGridLayout* grid = TabGrid(tab);
    grid->addWidget(PictureButton(tab, "BtnRInv", Picture::Statements,
                                  "Print Invoices, Bills or Customer Statements"),
                    0, 0);
    grid->addWidget(
        PictureButton(tab, "BtnRProf", Picture::Profile, "Print Customer's Purchasing Profile"), 1,
        0);
    grid->addWidget(
        PictureButton(tab, "BtnRSales", Picture::SalesReport, "Print Sales & Tax Reports"), 2, 0);
    grid->addWidget(
        PictureButton(tab, "BtnRLabels", Picture::AddressLabels, "Print Address Labels"), 0, 1);
    grid->addWidget(
        PictureButton(tab, "BtnInvRpts", Picture::InventoryReport, "Print Inventory Reports"), 1,
        1);
    grid->addWidget(
        PictureButton(tab, "BtnMMerge", Picture::MailMerge, "Generate a Mail Merge File"), 2, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    AddHelpRow(grid, HelpButton(tab, "BitBtn3", 500));
    return tab;
}

QWidget* TMain::BuildMaintenanceTab() {
    QWidget* tab = NewTab("File Maintenance", 700);
    QGridLayout* grid = TabGrid(tab);
    struct Entry {
        const char* name;
        Picture picture;
        const char* caption;
        int row, column;
    };
    const Entry entries[] = {
        {"BtnBackup", Picture::Backup, "Backup Data Files", 0, 0},
        {"BtnRestore", Picture::Restore, "Restore Data Files", 1, 0},
        {"BtnErase", Picture::Erase, "Erase all data and start over", 2, 0},
        {"BtnIndex", Picture::Reindex, "Reindex Data Files", 0, 1},
        {"BtnPack", Picture::Pack, "Pack Data Files", 1, 1},
        {"BtnUpgrade", Picture::Upgrade, "Import Data from ZARDO version 4 or 5", 2, 1},
    };
    for (const Entry& e : entries) {
        QPushButton* button = CaptionButton(tab, e.name, e.caption, QString());
        button->setIcon(PictureIcon(e.picture));
        button->setIconSize(QSize(kPictureSize - 4, kPictureSize - 4));
        button->setStyleSheet("text-align: left; padding: 4px 8px;");
        grid->addWidget(button, e.row, e.column);
    }
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    AddHelpRow(grid, HelpButton(tab, "BitBtn5", 700));
    return tab;
}

void TMain::ShowProgress(bool visible, const QString& caption) {
    ProgressBar1->setValue(0);
    ProgressBox->setTitle(caption);
    ProgressBox->setVisible(visible);
    if (visible) ProgressBox->raise();
    repaint();
}

void TMain::SetProgress(int percent) {
    ProgressBar1->setValue(percent);
    ProgressBar1->repaint();
}

void TMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    const QRect area = centralWidget()->rect();
    const int height = ProgressBox->sizeHint().height();
    ProgressBox->setGeometry(area.left() + 40, area.bottom() - height - 48, area.width() - 80,
                             height);
}

void TMain::PopUp(QMenu* menu) {
    menu->popup(QCursor::pos());
}

void TMain::ShowHelp(const QString& topic) {
    Help->showTopic(topic);
}

void TMain::HelpButtonClick(int helpContext) {
    ShowHelp(QString::number(helpContext));
}

void TMain::HelpContents1Click() {
    ShowHelp("contents");
}

void TMain::AboutCVNI1Click() {
    About->exec();
}

void TMain::Exit1Click() {
    close();
}
