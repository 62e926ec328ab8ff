// Key expressions of index tags: field names joined with '+', Upper(...), Str(n[, width[,
// decimals]]) and DTOS(date). An expression compiles against a table's fields into a flat list
// of parts, each writing a fixed number of key bytes straight from the record image, so that
// evaluating a key costs no allocation. Anything else is refused with kErrExpr.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "db/xbase/xbase.h"

namespace xbase {

class KeyExpr {
public:
    static Status compile(std::string_view text, const std::vector<FieldInfo>& fields,
                          const std::vector<int>& offsets, KeyExpr* out);

    const std::string& text() const { return text_; }
    int length() const { return length_; }
    // Writes length() key bytes for `record` (deletion flag at byte 0) into `key`.
    void eval(const char* record, char* key) const;
    std::string eval(const char* record) const;

    enum class Op { Copy, Str, Dtos };
    struct Part {
        Op op;
        int offset;  // of the field in the record
        int fieldLength;
        int fieldDecimals;
        int width;  // key bytes written
        int decimals;
        bool upper;
    };

private:
    std::string text_;
    std::vector<Part> parts_;
    int length_ = 0;
};

}  // namespace xbase
