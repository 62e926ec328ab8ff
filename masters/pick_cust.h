// The customer pick list: the customers of CUST5 by name or by company (the ByCust setting) in a
// ten-row grid, with the group of the highlighted customer shown beside the search box. The
// caller hands in CurCustRec and finds the choice there when the list closes.
#pragma once

#include "ui/grid_pick_list.h"

// The list's paging and search state, kept between showings.
extern GridPickState PickCustState;

class TPickCust : public GridPickList {
    Q_OBJECT
public:
    explicit TPickCust(QWidget* parent = nullptr);

protected:
    xbase::Table* table() const override;
    void PrepareOrder() override;
    QStringList RowTexts() override;
    void AfterFill() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void StringGrid1SelectCell(int row);
    void StringGrid1KeyUp();
    void ShowGroupOf(int row);

    QLineEdit* Edit2 = nullptr;  // "Group:"
};
