// Fuzz target for the order file readers; the input is the contents of an Info or an Order file
// (the same bytes are given to both readers). Whatever the input, the splitter must account for
// every character of a line, an accepted file must give fields free of quotes and line ends and
// amounts that are finite and below a billion, and every amount accepted must read the same as
// the C library reads it.
#include <cmath>
#include <cstdlib>
#include <string>

#include "import/order_files.h"
#include "tests/fuzz/fuzz_require.h"

namespace {

bool Clean(const std::string& field) {
    return field.find_first_of("\"\r\n") == std::string::npos;
}

bool SaneAmount(double amount) {
    return std::isfinite(amount) && std::fabs(amount) < 1e9;
}

// The splitter on one line: one field more than the commas outside quotes, and every other
// character but the quotes in some field, in order.
void CheckSplit(std::string_view line) {
    const std::vector<std::string> fields = SplitFields(line);
    size_t separators = 0;
    size_t quotes = 0;
    bool quoted = false;
    std::string kept;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            ++quotes;
        } else if (c == ',' && !quoted) {
            ++separators;
        } else {
            kept += c;
        }
    }
    FUZZ_REQUIRE(fields.size() == separators + 1);
    std::string joined;
    for (const std::string& f : fields) {
        FUZZ_REQUIRE(f.find('"') == std::string::npos);
        joined += f;
    }
    FUZZ_REQUIRE(joined == kept);
    FUZZ_REQUIRE(joined.size() + separators + quotes == line.size());
}

// An amount the reader accepts reads as strtod reads it.
void CheckAmount(const std::string& text) {
    double value = 0;
    if (!ParseAmount(text, &value)) return;
    FUZZ_REQUIRE(SaneAmount(value));
    const size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos) {
        FUZZ_REQUIRE(value == 0);
        return;
    }
    const size_t end = text.find_last_not_of(" \t");
    const std::string trimmed = text.substr(start, end - start + 1);
    char* stop = nullptr;
    const double expected = std::strtod(trimmed.c_str(), &stop);
    FUZZ_REQUIRE(stop == trimmed.c_str() + trimmed.size());
    FUZZ_REQUIRE(std::fabs(value - expected) <= 1e-9 * std::fmax(1.0, std::fabs(expected)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    size_t start = 0;
    while (start <= input.size()) {
        const size_t end = input.find_first_of("\r\n", start);
        const std::string_view line =
            std::string_view(input).substr(start, end == std::string::npos ? end : end - start);
        CheckSplit(line);
        for (const std::string& field : SplitFields(line)) CheckAmount(field);
        if (end == std::string::npos) break;
        start = end + 1;
    }

    InfoRecord info;
    std::string error;
    if (ParseInfo(input, &info, &error)) {
        FUZZ_REQUIRE(!info.fields.empty());
        for (const std::string& f : info.fields) FUZZ_REQUIRE(Clean(f));
        FUZZ_REQUIRE(SaneAmount(info.salesTax) && SaneAmount(info.shipping));
    } else {
        FUZZ_REQUIRE(!error.empty());
    }

    std::vector<OrderLine> lines;
    if (ParseOrder(input, &lines, &error)) {
        int previous = 0;
        for (const OrderLine& line : lines) {
            FUZZ_REQUIRE(line.lineNumber > previous);
            previous = line.lineNumber;
            FUZZ_REQUIRE(Clean(line.code) && Clean(line.description) && Clean(line.option));
            FUZZ_REQUIRE(SaneAmount(line.price) && SaneAmount(line.quantity));
        }
    } else {
        FUZZ_REQUIRE(!error.empty());
    }
    return 0;
}
