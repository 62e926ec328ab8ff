#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "db/xbase/number_text.h"
#include "db/xbase/table.h"

namespace xbase {

Field::Field(TableImpl* table, int index, const FieldInfo& info, int offset)
    : table_(table),
      index_(index),
      name_(info.name),
      type_(info.type),
      length_(info.length),
      decimals_(info.decimals),
      offset_(offset) {}

std::string Field::str() const {
    return std::string(table_->record() + offset_, static_cast<size_t>(length_));
}

double Field::asDouble() const {
    char text[32];
    const int n = std::min(length_, 31);
    std::memcpy(text, table_->record() + offset_, static_cast<size_t>(n));
    text[n] = '\0';
    const double v = ParseNumber(text);
    return std::isfinite(v) ? v : 0.0;
}

long Field::asLong() const {
    const double v = std::trunc(asDouble());
    if (v >= 2147483647.0) return 2147483647L;
    if (v <= -2147483648.0) return -2147483647L - 1;
    return static_cast<long>(v);
}

int Field::asInt() const {
    return static_cast<int>(asLong());
}

bool Field::isTrue() const {
    const char c = table_->record()[offset_];
    return c == 'T' || c == 't' || c == 'Y' || c == 'y';
}

std::string Field::memo() const {
    if (type_ != 'M') return {};
    return table_->readMemo(index_);
}

void Field::assign(std::string_view text) {
    if (type_ == 'M') return assignMemo(text);
    const size_t len = static_cast<size_t>(length_);
    if (type_ == 'N') {
        const size_t b = text.find_first_not_of(' ');
        text = b == std::string_view::npos ? std::string_view{}
                                           : text.substr(b, text.find_last_not_of(' ') - b + 1);
        if (text.size() > len) {
            table_->fail(
                Status(kErrArgument, "value " + std::string(text) + " too wide for " + name_));
            return;
        }
    }
    char* r = table_->recordForWrite();
    if (!r) return;
    char* f = r + offset_;
    if (type_ == 'N') {  // right-aligned
        std::memset(f, ' ', len - text.size());
        std::memcpy(f + len - text.size(), text.data(), text.size());
    } else if (type_ == 'L') {
        const char c = text.empty()
                           ? ' '
                           : static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
        *f = (c == 'T' || c == 'Y') ? 'T' : (c == 'F' || c == 'N') ? 'F' : ' ';
    } else {
        const size_t n = std::min(text.size(), len);
        std::memcpy(f, text.data(), n);
        std::memset(f + n, ' ', len - n);
    }
}

void Field::assignLong(long value) {
    if (decimals_ > 0) return assignDouble(static_cast<double>(value));
    assign(std::to_string(value));
}

void Field::assignDouble(double value) {
    char text[400];
    if (type_ != 'N') {
        FormatFixed(text, sizeof text, 0, 6, value);  // the form of std::to_string
        return assign(text);
    }
    if (!std::isfinite(value)) {
        table_->fail(Status(kErrArgument, "not a number for " + name_));
        return;
    }
    const int n = FormatFixed(text, sizeof text, 0, decimals_, value);
    if (n > length_) {
        table_->fail(Status(kErrArgument, std::string(text) + " too wide for " + name_));
        return;
    }
    assign(text);
}

void Field::assignMemo(std::string_view text) {
    if (type_ == 'M') table_->setMemo(index_, text);
}

}  // namespace xbase
