#include "db/change.h"

#include "db/program_state.h"

namespace {

bool inChange = false;

xbase::Table** const kTables[] = {&CustTbl, &GroupTbl, &InvTbl, &ItemTbl, &LabTbl,
                                  &PmtTbl,  &ProdTbl,  &PurTbl, &SetTbl};

}  // namespace

bool BeginChange(QString*) {
    inChange = true;
    return true;
}

bool CommitChange(QString* error) {
    inChange = false;
    for (xbase::Table** table : kTables)
        if (*table && (*table)->flush() < 0) {
            const int code = DbContext->errorCode();
            if (error) *error = QString::fromStdString(DbContext->errorText());
            return code == 0;
        }
    return true;
}

void RollbackChange() {
    inChange = false;
}

bool InChange() {
    return inChange;
}
