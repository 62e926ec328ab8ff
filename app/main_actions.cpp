// Which of the main window's buttons and menu items work, and the buttons that pop up the
// report menus.
#include <QAbstractButton>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <algorithm>

#include "app/main_window.h"
#include "import/import_dir.h"
#include "invoice/invoice_form.h"
#include "invoice/invoice_loop.h"
#include "labels/label_actions.h"
#include "mail/mail_setup.h"
#include "masters/editing_loops.h"
#include "reports/invoice_actions.h"
#include "reports/report_actions.h"
#include "setup/chasing_setup.h"
#include "setup/stationary.h"
#include "setup/tax_def.h"
#include "ui/form_help.h"

// The controls whose features are part of the program, with their handlers. Every other button
// and menu item of the main window is shown disabled with its hint; a feature that lands gets
// its line here.
const std::vector<TMain::Action>& TMain::Actions() {
    static const std::vector<Action> actions = {
        {"BtnInvoice", &TMain::BtnInvoiceClick},
        {"BtnInvPrint", &TMain::BtnInvPrintClick},
        {"SelectedDates2", &TMain::SelectedDates2Click},
        {"SelectedInvoices1", &TMain::SelectedInvoices1Click},
        {"WithBalancesDue2", &TMain::WithBalancesDue2Click},
        {"SelectedBills2", &TMain::SelectedBills2Click},
        {"WithBalances2", &TMain::WithBalances2Click},
        {"SelectedCustomers4", &TMain::SelectedCustomers4Click},
        {"BtnStationary", &TMain::BtnStationaryClick},
        {"BtnCust", &TMain::BtnCustClick},
        {"BtnGroups", &TMain::BtnGroupsClick},
        {"BtnProd", &TMain::BtnProdClick},
        {"BtnPurchase", &TMain::BtnPurchaseClick},
        {"BtnLabForms", &TMain::BtnLabFormsClick},
        {"BtnFont", &TMain::BtnFontClick},
        {"BtnPSetup", &TMain::BtnPSetupClick},
        {"BtnSTax", &TMain::BtnSTaxClick},
        {"BtnChasing", &TMain::BtnChasingClick},
        {"BtnMail", &TMain::BtnMailClick},
        {"BtnDirectories", &TMain::BtnDirectoriesClick},
        {"BtnIndex", &TMain::BtnIndexClick},
        {"BtnPack", &TMain::BtnPackClick},
        {"BtnBackup", &TMain::BtnBackupClick},
        {"BtnRestore", &TMain::BtnRestoreClick},
        {"BtnErase", &TMain::BtnEraseClick},
        {"BtnUpgrade", &TMain::BtnUpgradeClick},
        {"Exit1", &TMain::Exit1Click},
        {"HelpContents1", &TMain::HelpContents1Click},
        {"AboutCVNI1", &TMain::AboutCVNI1Click},
        {"Image4", &TMain::Image4Click},
        {"Image5", &TMain::Image5Click},
        {"StockOnHand1", &TMain::StockOnHand1Click},
        {"CostofGoodsSold1", &TMain::CostofGoodsSold1Click},
        {"Inventory1", &TMain::Inventory1Click},
        {"SalesSummary1", &TMain::SalesSummary1Click},
        {"ProductSummary1", &TMain::ProductSummary1Click},
        {"ProductBuyers1", &TMain::ProductBuyers1Click},
        {"IncomeSummary1", &TMain::IncomeSummary1Click},
        {"ReceivableIncome1", &TMain::ReceivableIncome1Click},
        {"TaxSummary1", &TMain::TaxSummary1Click},
        {"Aging1", &TMain::Aging1Click},
        {"ReminderLetters1", &TMain::ReminderLetters1Click},
        {"MessagesSent1", &TMain::MessagesSent1Click},
        {"SelectedCustomers2", &TMain::SelectedCustomers2Click},
        {"SelectedGroups1", &TMain::SelectedGroups1Click},
        {"BtnInvLab", &TMain::BtnInvLabClick},
        {"SelectedCustomers3", &TMain::SelectedCustomers3Click},
        {"InvoicesDated1", &TMain::InvoicesDated1Click},
        {"PastDueBilling1", &TMain::PastDueBilling1Click},
        {"BalanceDueStatement1", &TMain::BalanceDueStatement1Click},
        {"CustomerGroups1", &TMain::CustomerGroups1Click},
        {"BtnMMerge", &TMain::BtnMMergeClick},
    };
    return actions;
}

namespace {

// Every item of a menu and its submenus, submenus after their items.
void CollectItems(QMenu* menu, QList<QAction*>* items) {
    for (QAction* item : menu->actions()) {
        if (item->isSeparator()) continue;
        if (item->menu()) CollectItems(item->menu(), items);
        items->append(item);
    }
}

bool AnyItemWorks(const QMenu* menu) {
    const QList<QAction*> items = menu->actions();
    return std::any_of(items.begin(), items.end(),
                       [](const QAction* a) { return !a->isSeparator() && a->isEnabled(); });
}

}  // namespace

void TMain::WireActions() {
    // The master-data windows show their help pages in this window's help.
    ShowHelpTopic = [window = QPointer<TMain>(this)](const QString& topic) {
        if (window) window->ShowHelp(topic);
    };
    // The invoice editor prints through the report window.
    ShowInvoiceDocument = reports::PrintOpenInvoice;

    QList<QAction*> items;
    for (QMenu* menu : {PopupMenu1, PopupMenu2, PopupMenu3, PopupMenu4, PopupMenu5})
        CollectItems(menu, &items);
    for (QAction* top : menuBar()->actions()) CollectItems(top->menu(), &items);
    for (QAction* item : items) item->setEnabled(false);

    for (const Action& action : Actions()) {
        QObject* control = findChild<QObject*>(action.control);
        const Handler handler = action.handler;
        auto run = [this, handler] { (this->*handler)(); };
        if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            connect(button, &QAbstractButton::clicked, this, run);
            button->setEnabled(true);
            if (auto* label = findChild<QWidget*>(QString(action.control) + "Label"))
                label->setEnabled(true);
        } else if (auto* item = qobject_cast<QAction*>(control)) {
            connect(item, &QAction::triggered, this, run);
            item->setEnabled(true);
        } else {
            qFatal("The main window has no button or menu item named %s", action.control);
        }
    }
    // A submenu is there to be opened when one of its items works.
    for (QAction* item : items) {
        if (item->menu()) item->setEnabled(AnyItemWorks(item->menu()));
    }

    // The report buttons pop up their menus, once a menu has an item that works.
    const struct {
        const char* button;
        QMenu* menu;
        Handler handler;
    } popups[] = {
        {"BtnRInv", PopupMenu1, &TMain::BtnRInvClick},
        {"BtnRProf", PopupMenu4, &TMain::BtnRProfClick},
        {"BtnRSales", PopupMenu2, &TMain::BtnRSalesClick},
        {"BtnRLabels", PopupMenu5, &TMain::BtnRLabelsClick},
        {"BtnInvRpts", PopupMenu3, &TMain::BtnInvRptsClick},
    };
    for (const auto& popup : popups) {
        auto* button = findChild<QAbstractButton*>(popup.button);
        const Handler handler = popup.handler;
        connect(button, &QAbstractButton::clicked, this, [this, handler] { (this->*handler)(); });
        const bool works = AnyItemWorks(popup.menu);
        button->setEnabled(works);
        if (auto* label = findChild<QWidget*>(QString(popup.button) + "Label"))
            label->setEnabled(works);
    }
}

void TMain::Image4Click() {
    reports::RunProductListing(this);
}

void TMain::Image5Click() {
    reports::RunPurchasingReport(this);
}

void TMain::StockOnHand1Click() {
    reports::RunStockOnHand(this);
}

void TMain::CostofGoodsSold1Click() {
    reports::RunCostOfGoodsSold(this);
}

void TMain::Inventory1Click() {
    reports::RunInventoryValuation(this);
}

void TMain::SalesSummary1Click() {
    reports::RunSalesSummary(this);
}

void TMain::ProductSummary1Click() {
    reports::RunProductSummary(this);
}

void TMain::ProductBuyers1Click() {
    reports::RunProductBuyers(this);
}

void TMain::IncomeSummary1Click() {
    reports::RunDailyIncome(this);
}

void TMain::ReceivableIncome1Click() {
    reports::RunReceivables(this);
}

void TMain::Aging1Click() {
    reports::RunAgingReport(this);
}

void TMain::ReminderLetters1Click() {
    reports::RunReminderLetters(this);
}

void TMain::MessagesSent1Click() {
    reports::RunSentLog(this);
}

void TMain::TaxSummary1Click() {
    reports::RunTaxReport(this);
}

void TMain::SelectedCustomers2Click() {
    reports::RunCustomerProfile(this);
}

void TMain::SelectedGroups1Click() {
    reports::RunGroupProfile(this);
}

void TMain::BtnInvLabClick() {
    labels::RunLabels(this, labels::LabelKind::InvoicesDated);
}

void TMain::SelectedCustomers3Click() {
    labels::RunLabels(this, labels::LabelKind::SelectedCustomers);
}

void TMain::InvoicesDated1Click() {
    labels::RunLabels(this, labels::LabelKind::InvoicesDated);
}

void TMain::PastDueBilling1Click() {
    labels::RunLabels(this, labels::LabelKind::PastDueBilling);
}

void TMain::BalanceDueStatement1Click() {
    labels::RunLabels(this, labels::LabelKind::BalanceDueStatement);
}

void TMain::CustomerGroups1Click() {
    labels::RunLabels(this, labels::LabelKind::CustomerGroups);
}

void TMain::BtnMMergeClick() {
    labels::RunMailMerge(this);
}

void TMain::BtnRInvClick() {
    PopUp(PopupMenu1);
}

void TMain::BtnRProfClick() {
    PopUp(PopupMenu4);
}

void TMain::BtnRSalesClick() {
    PopUp(PopupMenu2);
}

void TMain::BtnRLabelsClick() {
    PopUp(PopupMenu5);
}

void TMain::BtnInvRptsClick() {
    PopUp(PopupMenu3);
}

void TMain::BtnInvoiceClick() {
    RunInvoiceLoop(this);
}

void TMain::BtnInvPrintClick() {
    reports::PrintInvoices(this, true, true);
}

void TMain::SelectedDates2Click() {
    reports::PrintInvoices(this, true, true);
}

void TMain::SelectedInvoices1Click() {
    reports::PrintInvoices(this, false, true);
}

void TMain::WithBalancesDue2Click() {
    reports::PrintInvoices(this, true, false);
}

void TMain::SelectedBills2Click() {
    reports::PrintInvoices(this, false, false);
}

void TMain::WithBalances2Click() {
    reports::PrintStatements(this, true);
}

void TMain::SelectedCustomers4Click() {
    reports::PrintStatements(this, false);
}

void TMain::BtnStationaryClick() {
    TStationary dialog(this);
    dialog.exec();
}

void TMain::BtnCustClick() {
    RunCustomerLoop(this);
}

void TMain::BtnGroupsClick() {
    RunGroupLoop(this);
}

void TMain::BtnProdClick() {
    RunProductLoop(this);
}

void TMain::BtnPurchaseClick() {
    RunPurchaseLoop(this);
}

void TMain::BtnLabFormsClick() {
    RunLabelStockLoop(this);
}

void TMain::BtnSTaxClick() {
    TTaxDef dialog(this);
    dialog.exec();
}

void TMain::BtnChasingClick() {
    TChasing dialog(this);
    dialog.exec();
}

void TMain::BtnMailClick() {
    TMailSetup dialog(this);
    dialog.exec();
}

void TMain::BtnDirectoriesClick() {
    if (!Importdir) Importdir = new TImportdir(this);
    Importdir->show();
    Importdir->raise();
    Importdir->activateWindow();
}
