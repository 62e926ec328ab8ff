// The purchase pick list: the purchases of Pur5 by product and date in a ten-row grid. The caller
// hands in CurPurRec and finds the choice there when the list closes.
#pragma once

#include "ui/grid_pick_list.h"

// The list's paging and search state, kept between showings.
extern GridPickState PickPurState;

class TPickPur : public GridPickList {
    Q_OBJECT
public:
    explicit TPickPur(QWidget* parent = nullptr);

protected:
    xbase::Table* table() const override;
    void PrepareOrder() override;
    QStringList RowTexts() override;
};
