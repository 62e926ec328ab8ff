// The invoice editor: creates, changes or deletes the invoice of INV5 named by CurInvRec (0 or
// less for a new one), holding the whole invoice in memory until Save. CUST5, GROUPS, INV5,
// ITM5, PMT and Prod5 must be open. Afterwards CurInvRec is unchanged after Cancel or after
// saving a stored invoice, the new invoice's record after saving a new one (when no further
// invoice is wanted), and the last invoice's record (0 for none) after Delete. IMPORT puts an
// order file pair (import/order_import.h) on the screen as a new invoice, also in place of a
// stored one, which then stays as it was stored.
#pragma once

#include <functional>
#include <optional>

#include "db/records.h"
#include "ui/form_parts.h"

struct ImportedOrder;
class DateBox;
class NumberBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

// Shows the open invoice (InvBuf, ItemRows, PmtRows, AddressLines) as its printed document. The
// printing side is installed by the program at start-up; until it is, Print stays disabled.
extern std::function<void(QWidget* parent)> ShowInvoiceDocument;

class TInvoice : public EditorForm {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 310;
    // The layout of the order files, shown by F1 while the file to import is chosen.
    static constexpr int kOrderFilesTopic = 650;
    explicit TInvoice(QWidget* parent = nullptr);

protected:
    void FormShow() override;

private:
    void BtnSaveClick() override;
    void BtnDeleteClick();
    void BtnPrintClick();
    void BtnCustClick();
    void BtnCustEditClick();
    void BAddItmClick();
    void EditItem();
    void BAddPmtClick();
    void BEditPmtClick();
    void BtnImportClick();
    void MaskEdit3Exit();
    void MaskEdit4Exit();

    void NewInvoice();
    void ShowInvoice();
    void ShowCustomer();
    void ShowPayments();
    void ShowTotals();
    void ComputeTaxes();
    // Takes the date, texts and tax amounts of the form into InvBuf; false when a box holds no
    // valid date or number (the box has said so).
    bool TakeForm();
    // Empties the rows and the address after Save or Delete.
    void ClearInvoice();
    // Puts an imported order on the screen as a new invoice: its items matched against the
    // products, its customer matched against the customers or, when none matches and a group is
    // chosen, held as a new customer to be stored with the invoice.
    void ShowImportedOrder(const ImportedOrder& order);

    // The INV5 record of the invoice on the screen; 0 while it is a new one (also after an
    // import replaced a stored invoice on the screen).
    int32_t storedRec_ = 0;
    // The customer of an imported order that matched no stored customer, stored by Save.
    std::optional<CustomerRecord> newCustomer_;

    QPushButton* BtnCust = nullptr;
    QPushButton* BtnCustEdit = nullptr;
    QLineEdit* Edit1 = nullptr;  // invoice number, read-only
    QLineEdit* Edit2 = nullptr;  // department
    QLineEdit* Edit3 = nullptr;  // check or credit card
    QLineEdit* Edit4 = nullptr;  // the customer's note
    DateBox* MaskEdit1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;  // address, read-only
    QPlainTextEdit* Memo2 = nullptr;  // the invoice's note
    QTableWidget* StringGrid1 = nullptr;
    QPushButton* BAddItm = nullptr;
    QPushButton* BEditItm = nullptr;
    QPushButton* BAddPmt = nullptr;
    QPushButton* BEditPmt = nullptr;
    QLineEdit* MaskEdit2 = nullptr;  // subtotal
    NumberBox* MaskEdit3 = nullptr;  // tax 1, captioned by its line label in the settings
    NumberBox* MaskEdit4 = nullptr;  // tax 2, likewise
    QLabel* Label7 = nullptr;        // the caption of tax 1 ("Shipping:" while no label is set)
    QLabel* Label8 = nullptr;        // the caption of tax 2 ("Sales Tax:" while none is set)
    QLineEdit* MaskEdit5 = nullptr;  // total
    QLineEdit* MaskEdit6 = nullptr;  // payments
    QLineEdit* MaskEdit7 = nullptr;  // amount due
    QPushButton* BtnPrint = nullptr;
    QPushButton* BtnImport = nullptr;
    QPushButton* BtnHelp = nullptr;
};
