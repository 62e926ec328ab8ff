// The pick routines: each shows a table's pick list and, when New is chosen there, the table's
// editor for a new record. They take `allowNew` (offer New) and set *createdNew when the record
// returned was made through New; they return true when a record was chosen or created, whose
// number is then in the table's current-record variable. Before calling, set that variable to
// the record to highlight. The tables named in each editor's header must be open.
//
// On an empty table without `allowNew` the routine only says so ("Customer Database is Empty"
// and the like) and returns false; with `allowNew` it shows the empty list so that New can be
// chosen.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

#include "core/prompt.h"
#include "db/xbase/xbase.h"

class QWidget;

bool PickCustomer(bool allowNew, bool* createdNew = nullptr, QWidget* parent = nullptr);
bool PickGroup(bool allowNew, bool* createdNew = nullptr, QWidget* parent = nullptr);
// PickGroup with `why` shown above the list: why the user is asked to choose a group.
bool PickGroupSaying(const QString& why, bool allowNew, QWidget* parent);
bool PickProduct(bool allowNew, bool* createdNew = nullptr, QWidget* parent = nullptr);
bool PickPurchase(bool allowNew, bool* createdNew = nullptr, QWidget* parent = nullptr);
bool PickLabelStock(bool allowNew, bool* createdNew = nullptr, QWidget* parent = nullptr);

// The steps every pick routine shares, for a table, its pick list and its editor; `result` is
// the table's current-record variable; `prepare`, when given, sets the list up before it shows.
template <typename PickList, typename Editor>
bool RunPickRoutine(xbase::Table* table, int32_t& result, const char* emptyMessage, bool allowNew,
                    bool* createdNew, QWidget* parent,
                    const std::function<void(PickList&)>& prepare = {}) {
    if (createdNew) *createdNew = false;
    if (table->recCount() == 0) {
        if (!allowNew) {
            prompt::information(parent, emptyMessage);
            result = -1;
            return false;
        }
        result = 0;
    }
    {
        PickList list(parent);
        list.setNewAllowed(allowNew);
        if (prepare) prepare(list);
        list.exec();
    }
    if (result == 0) {
        Editor editor(parent);
        editor.exec();
        if (result > 0 && createdNew) *createdNew = true;
    }
    return result > 0;
}
