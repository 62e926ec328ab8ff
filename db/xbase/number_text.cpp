#include "db/xbase/number_text.h"

#include <locale.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>

namespace xbase {

double ParseNumber(const char* text) {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
    return c ? strtod_l(text, nullptr, c) : std::strtod(text, nullptr);
}

int FormatFixed(char* out, size_t size, int width, int decimals, double value) {
    char digits[400];
    const std::to_chars_result r =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals);
    const size_t n = r.ec == std::errc() ? static_cast<size_t>(r.ptr - digits) : 0;
    const size_t total = std::max(n, static_cast<size_t>(std::max(width, 0)));
    if (size > 0) {
        const size_t room = std::min(total, size - 1);
        const size_t pad = total - n;
        for (size_t i = 0; i < room; ++i) out[i] = i < pad ? ' ' : digits[i - pad];
        out[room] = '\0';
    }
    return static_cast<int>(total);
}

}  // namespace xbase
