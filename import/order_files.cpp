#include "import/order_files.h"

namespace {

constexpr double kLargestAmount = 1e9;  // exclusive

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsBlankLine(std::string_view line) {
    for (char c : line)
        if (!IsBlank(c)) return false;
    return true;
}

// The lines of the contents, without their line ends and without a leading byte order mark.
std::vector<std::string_view> Lines(std::string_view content) {
    if (content.substr(0, 3) == "\xEF\xBB\xBF") content.remove_prefix(3);
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < content.size(); ++i) {
        if (content[i] != '\n' && content[i] != '\r') continue;
        lines.push_back(content.substr(start, i - start));
        if (content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < content.size()) lines.push_back(content.substr(start));
    return lines;
}

// The amount at `index`, or false with *error naming the field and its text.
bool AmountAt(const std::vector<std::string>& fields, size_t index, const char* what, double* value,
              std::string* error) {
    if (ParseAmount(FieldAt(fields, index), value)) return true;
    *error = std::string("the ") + what + " '" + FieldAt(fields, index) + "' is not an amount";
    return false;
}

}  // namespace

std::vector<std::string> SplitFields(std::string_view line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

const std::string& FieldAt(const std::vector<std::string>& fields, size_t index) {
    static const std::string empty;
    return index < fields.size() ? fields[index] : empty;
}

bool ParseAmount(std::string_view text, double* value) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    if (text.empty()) {
        *value = 0;
        return true;
    }
    bool negative = false;
    if (text.front() == '-' || text.front() == '+') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    double whole = 0;
    double fraction = 0;
    double scale = 1;
    bool point = false;
    int digits = 0;
    for (char c : text) {
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            ++digits;
            if (point) {
                scale /= 10;
                fraction += (c - '0') * scale;
            } else {
                whole = whole * 10 + (c - '0');
                if (whole >= kLargestAmount) return false;
            }
        } else {
            return false;
        }
    }
    if (digits == 0) return false;
    // Enough nines after the point round the sum up to the limit itself.
    const double amount = whole + fraction;
    if (amount >= kLargestAmount) return false;
    *value = negative ? -amount : amount;
    return true;
}

bool ParseInfo(std::string_view content, InfoRecord* info, std::string* error) {
    if (content.find('\0') != std::string_view::npos) {
        *error = "it is not a text file";
        return false;
    }
    const std::vector<std::string_view> lines = Lines(content);
    if (lines.empty() || IsBlankLine(lines.front())) {
        *error = "its first line holds no customer information";
        return false;
    }
    InfoRecord read;
    read.fields = SplitFields(lines.front());
    if (!AmountAt(read.fields, kInfoSalesTax, "sales tax", &read.salesTax, error) ||
        !AmountAt(read.fields, kInfoShipping, "shipping amount", &read.shipping, error))
        return false;
    *info = std::move(read);
    return true;
}

bool ParseOrder(std::string_view content, std::vector<OrderLine>* lines, std::string* error) {
    if (content.find('\0') != std::string_view::npos) {
        *error = "it is not a text file";
        return false;
    }
    std::vector<OrderLine> read;
    int number = 0;
    for (std::string_view text : Lines(content)) {
        ++number;
        if (IsBlankLine(text)) continue;
        const std::vector<std::string> fields = SplitFields(text);
        OrderLine line;
        line.lineNumber = number;
        line.code = FieldAt(fields, 1);
        line.description = FieldAt(fields, 2);
        line.option = FieldAt(fields, 7);
        std::string why;
        if (!AmountAt(fields, 3, "price", &line.price, &why) ||
            !AmountAt(fields, 4, "quantity", &line.quantity, &why)) {
            *error = "line " + std::to_string(number) + ": " + why;
            return false;
        }
        read.push_back(std::move(line));
    }
    *lines = std::move(read);
    return true;
}
