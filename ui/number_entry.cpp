#include "ui/number_entry.h"

#include "ui/date_box.h"
#include "ui/number_box.h"

bool TakeNumber(NumberBox* box, double* value) {
    bool ok = false;
    *value = box->value(&ok);
    if (!ok) box->setFocus();
    return ok;
}

bool TakeDate(DateBox* box, double* value) {
    bool ok = false;
    *value = box->value(&ok);
    if (!ok) box->setFocus();
    return ok;
}
