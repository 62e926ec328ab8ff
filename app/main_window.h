// The main window, the hub of the program: five tabs of buttons from which every feature
// starts, the menu, and the progress box that long operations report to. Its first showing
// runs start-up (splash, data files, index files, settings); closing it packs pending deletions
// and ends the program. Buttons whose features are not part of the program yet are shown
// disabled with their hints; the table in main_actions.cpp lists the ones that work.
#pragma once

#include <QMainWindow>
#include <memory>
#include <vector>

#include "ui/pictures.h"

class HelpWindow;
class QAbstractButton;
class QFontDialog;
class QGroupBox;
class QLineEdit;
class DataDirectoryLock;
class QMenu;
class QPrintDialog;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;
class TAboutForm;
class TImportdir;

class TMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TMain(QWidget* parent = nullptr);
    ~TMain() override;

    // The progress box: shown with its caption and the bar at 0, or hidden; and its percentage.
    void ShowProgress(bool visible, const QString& caption);
    void SetProgress(int percent);

    TAboutForm* aboutForm() const { return About; }
    HelpWindow* helpWindow() const { return Help; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    using Handler = void (TMain::*)();
    struct Action {
        const char* control;  // objectName of the button or menu item
        Handler handler;
    };
    static const std::vector<Action>& Actions();

    // Building the window.
    void BuildMenus();
    void BuildPopupMenus();
    QWidget* BuildInvoicesTab();
    QWidget* BuildCustomersTab();
    QWidget* BuildReportsTab();
    QWidget* BuildPreferencesTab();
    QWidget* BuildMaintenanceTab();
    QWidget* NewTab(const QString& caption, int helpContext);
    QWidget* PictureButton(QWidget* tab, const char* name, Picture picture, const QString& hint);
    QPushButton* CaptionButton(QWidget* tab, const char* name, const QString& caption,
                               const QString& hint);
    QPushButton* HelpButton(QWidget* tab, const char* name, int helpContext);
    void WireActions();

    // Start-up and closing.
    void FormShow();
    bool StartUp();
    void EndSplash(qint64 shownForMs);
    void FormClose();

    // Handlers.
    void Image4Click();
    void Image5Click();
    void StockOnHand1Click();
    void CostofGoodsSold1Click();
    void Inventory1Click();
    void SalesSummary1Click();
    void ProductSummary1Click();
    void ProductBuyers1Click();
    void IncomeSummary1Click();
    void ReceivableIncome1Click();
    void TaxSummary1Click();
    void Aging1Click();
    void ReminderLetters1Click();
    void MessagesSent1Click();
    void SelectedCustomers2Click();
    void SelectedGroups1Click();
    void BtnInvLabClick();
    void SelectedCustomers3Click();
    void InvoicesDated1Click();
    void PastDueBilling1Click();
    void BalanceDueStatement1Click();
    void CustomerGroups1Click();
    void BtnMMergeClick();
    void BtnInvoiceClick();
    void BtnInvPrintClick();
    void SelectedDates2Click();
    void SelectedInvoices1Click();
    void WithBalancesDue2Click();
    void SelectedBills2Click();
    void WithBalances2Click();
    void SelectedCustomers4Click();
    void BtnStationaryClick();
    void BtnCustClick();
    void BtnGroupsClick();
    void BtnProdClick();
    void BtnPurchaseClick();
    void BtnLabFormsClick();
    void BtnRInvClick();
    void BtnRProfClick();
    void BtnRSalesClick();
    void BtnRLabelsClick();
    void BtnInvRptsClick();
    void BtnFontClick();
    void BtnPSetupClick();
    void BtnSTaxClick();
    void BtnChasingClick();
    void BtnMailClick();
    void BtnDirectoriesClick();
    void GroupBox1Exit();
    void GroupBox2Exit();
    void RadioButtonClick();
    void BtnIndexClick();
    void BtnPackClick();
    void BtnBackupClick();
    void BtnRestoreClick();
    void BtnEraseClick();
    void BtnUpgradeClick();
    // Shows the drive and directory chooser with the caption and OK button given, pointing at
    // `proposed` when it is not empty; the chosen directory, or empty when cancelled.
    QString ChooseDirectory(const QString& caption, const QString& okCaption,
                            const QString& proposed = {});
    // Backup (toBackup) or restore through the chooser, as the two buttons do them.
    void CopyThroughChooser(bool toBackup);
    void Exit1Click();
    void HelpContents1Click();
    void AboutCVNI1Click();
    void HelpButtonClick(int helpContext);
    void FocusMoved(QWidget* old, QWidget* now);

    void PopUp(QMenu* menu);
    void ShowHelp(const QString& topic);

    QTabWidget* PageControl1 = nullptr;
    QGroupBox* ProgressBox = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QMenu* PopupMenu3 = nullptr;
    QMenu* PopupMenu4 = nullptr;
    QMenu* PopupMenu5 = nullptr;
    QFontDialog* FontDialog1 = nullptr;
    QPrintDialog* PrinterSetupDialog1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QRadioButton* RadioButton4 = nullptr;
    QPushButton* BtnDirectories = nullptr;
    TAboutForm* About = nullptr;
    HelpWindow* Help = nullptr;
    TImportdir* Importdir = nullptr;  // made at its first showing, then kept

    bool shown_ = false;
    std::unique_ptr<DataDirectoryLock> lock_;
};
