#include "masters/pick_lab.h"

#include "db/current_records.h"
#include "db/field_values.h"
#include "db/program_state.h"

TPickLab::TPickLab(QWidget* parent) : ListPickList("Label Stock", CurLabRec, parent) {
    setObjectName("TPickLab");
}

xbase::Table* TPickLab::table() const {
    return LabTbl;
}

QString TPickLab::ItemText() {
    return TrimRight(ReadText(LabFld.Name));
}
