// Numbers as the table files hold them: decimal text with a point. The C library's strtod and
// printf read and write numbers in the process's locale, which a program may set from the
// environment (a Qt application does), and under a decimal comma they would stop at the point
// or write a comma into a numeric field. These read and write the files' form whatever the
// locale.
#pragma once

#include <cstddef>

namespace xbase {

// The number at the start of `text`, after any blanks, as strtod reads it in the C locale;
// 0 when there is none.
double ParseNumber(const char* text);

// "%*.*f" of `value` in the C locale into `out` (NUL-terminated, cut to `size`), as snprintf
// writes it; returns the length of the whole text.
int FormatFixed(char* out, size_t size, int width, int decimals, double value);

}  // namespace xbase
