// The label-stock pick list: the stock names of LABELS in name order in a list box. The caller
// hands in CurLabRec and finds the choice there when the list closes.
#pragma once

#include "ui/list_pick_list.h"

class TPickLab : public ListPickList {
    Q_OBJECT
public:
    explicit TPickLab(QWidget* parent = nullptr);

protected:
    xbase::Table* table() const override;
    QString ItemText() override;
};
