// Number assignment for new customers and groups: the lowest number not held by any record of the
// table, records marked deleted included (their numbers become free when the table is packed).
#pragma once

// The largest numbers the key fields hold: six digits for customers, two for groups.
inline constexpr int kMaxCustNo = 999999;
inline constexpr int kMaxGroupNo = 99;

// The lowest free customer number of CUST5 (open); 1 for an empty table. The table is left in
// its selected order, on its first record.
int NextCustNo();
// The lowest free group number of GROUPS (open); 1 for an empty table. The table keeps its
// selected order.
int NextGroupNo();
