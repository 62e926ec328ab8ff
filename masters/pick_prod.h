// The product pick list: the products of Prod5 by product ID in a ten-row grid. The caller hands
// in CurProdRec and finds the choice there when the list closes.
#pragma once

#include "ui/grid_pick_list.h"

// The list's paging and search state, kept between showings.
extern GridPickState PickProdState;

class TPickProd : public GridPickList {
    Q_OBJECT
public:
    explicit TPickProd(QWidget* parent = nullptr);

protected:
    xbase::Table* table() const override;
    void PrepareOrder() override;
    QStringList RowTexts() override;
};
