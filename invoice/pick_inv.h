// The invoice list: the invoices of INV5 in a ten-row grid with their customer and amount due,
// searched by invoice number (the list then runs in number order, tag Inv) or by the start of the
// customer's last name and first name (the list then runs by customer number, tag InvC, so that
// the customer's invoices stand together, the first of them highlighted). The customer of the highlighted invoice is shown beside the search boxes. The
// caller hands in CurInvRec and finds the choice there when the list closes. CUST5 and INV5 must
// be open.
#pragma once

#include "ui/grid_pick_list.h"

// The list's paging and search state, kept between showings.
extern GridPickState PickInvState;

class TPickInv : public GridPickList {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 1150;
    explicit TPickInv(QWidget* parent = nullptr);

protected:
    xbase::Table* table() const override;
    void PrepareOrder() override;
    QStringList RowTexts() override;
    void AfterFill() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Seeks the typed number, right-aligned in six places, unless the box is empty.
    void Edit1Change() override;

private:
    void Edit3Change();
    void StringGrid1SelectCell(int row);
    void StringGrid1KeyUp();
    void ShowCustomerOf(int row);

    QLineEdit* Edit2 = nullptr;  // "Customer:"
    QLineEdit* Edit3 = nullptr;  // "Seek Customer:"
};
