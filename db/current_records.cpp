#include "db/current_records.h"

int32_t CurCustRec = 0;
int32_t CurGroupRec = 0;
int32_t CurProdRec = 0;
int32_t CurPurRec = 0;
int32_t CurLabRec = 0;
