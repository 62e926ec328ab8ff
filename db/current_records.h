// The current-record variables of the master tables, through which the main window, the pick
// lists and the editors hand a record to each other: before a pick list or editor is shown the
// variable names the record wanted (0 for a new one), and afterwards it holds the result: a record
// number above 0, 0 for New, -1 for none or cancelled.
#pragma once

#include <cstdint>

extern int32_t CurCustRec;
extern int32_t CurGroupRec;
extern int32_t CurProdRec;
extern int32_t CurPurRec;
extern int32_t CurLabRec;
