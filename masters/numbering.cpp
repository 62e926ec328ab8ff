#include "masters/numbering.h"

#include <algorithm>
#include <string>

#include "db/program_state.h"

namespace {

// Walks the table in the order of `tagName`, whose key is the number right-aligned in a fixed
// width, and gives the number after the last one of the unbroken run from 1. The numbers are read
// from the keys, so no record is read.
int LowestFreeNumber(xbase::Table* table, const char* tagName) {
    if (table->recCount() == 0) return 1;
    xbase::Tag* remembered = table->selected();
    table->select(table->tag(tagName));
    int n = 0;
    for (int rc = table->top(); rc == xbase::kFound; rc = table->skip(1)) {
        const int number = std::atoi(table->currentKey().c_str());
        if (number > n + 1) break;
        n = std::max(n, number);
    }
    table->select(remembered);
    return n + 1;
}

}  // namespace

int NextCustNo() {
    const int number = LowestFreeNumber(CustTbl, "CCNO");
    CustTbl->top();
    return number;
}

int NextGroupNo() {
    return LowestFreeNumber(GroupTbl, "nGroup");
}
