// Small tables shaped like the program's, for the engine's tests.
#pragma once

#include <string>
#include <vector>

#include "db/xbase/xbase.h"

// A customer-like table: CUNO N(6), LAST C(20), FIRST C(13), ZIP C(10), SINCE D, ACTIVE L,
// COMMENTS M; tags CNAME Upper(Last + First), CCNO Str(CuNo, 6), CZIP Zip.
xbase::Table* makeCustomers(xbase::Context& ctx, const std::string& name = "CUST");

// Appends one customer and flushes it; returns its record number.
uint32_t addCustomer(xbase::Table* t, int cuno, const std::string& last, const std::string& first,
                     const std::string& zip = "", const std::string& comments = "");

// Every record number in the selected order, walking forward from top.
std::vector<uint32_t> walk(xbase::Table* t);
// The same walking backward from bottom, reversed back into forward order.
std::vector<uint32_t> walkBack(xbase::Table* t);
// The trimmed value of a field.
std::string text(xbase::Table* t, const char* field);
