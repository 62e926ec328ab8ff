#include "db/xbase/expr.h"

#include "db/xbase/names.h"
#include "db/xbase/number_text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace xbase {
namespace {

// ASCII letters folded to capitals, every other byte kept: Upper() of the key expressions.
constexpr auto kUpper = [] {
    std::array<uint8_t, 256> t{};
    for (int c = 0; c < 256; ++c) t[c] = static_cast<uint8_t>(c >= 'a' && c <= 'z' ? c - 32 : c);
    return t;
}();

// Upper() of eight bytes at once, as kUpper does one at a time: a byte is folded where its top
// bit is clear and its value lies in 'a'..'z' (no sum below carries out of its byte).
uint64_t upperWord(uint64_t w) {
    constexpr uint64_t kOnes = 0x0101010101010101;
    constexpr uint64_t kHigh = kOnes * 0x80;
    const uint64_t low = w & ~kHigh;
    const uint64_t fromA = low + kOnes * (0x80 - 'a');     // top bit set where low >= 'a'
    const uint64_t pastZ = low + kOnes * (0x80 - 'z' - 1);  // top bit set where low > 'z'
    const uint64_t letters = fromA & ~pastZ & ~w & kHigh;
    return w - (letters >> 2);  // 0x80 >> 2 is the 0x20 between a letter and its capital
}

void foldUpper(char* s, int n) {
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, s + i, 8);
        w = upperWord(w);
        std::memcpy(s + i, &w, 8);
    }
    for (; i < n; ++i) s[i] = static_cast<char>(kUpper[static_cast<uint8_t>(s[i])]);
}

// A recursive-descent parser over: expr := term { '+' term }; term := NAME | NAME '(' args ')'.
class Parser {
public:
    Parser(std::string_view text, const std::vector<FieldInfo>& fields,
           const std::vector<int>& offsets)
        : s_(text), fields_(fields), offsets_(offsets) {}

    Status parse(std::vector<KeyExpr::Part>* parts) {
        XBASE_TRY(expr(parts, false));
        skipBlanks();
        if (pos_ != s_.size()) return error("unexpected text");
        if (parts->empty()) return error("empty expression");
        return {};
    }

private:
    Status error(const std::string& what) const {
        return Status(kErrExpr, "key expression \"" + std::string(s_) + "\": " + what);
    }
    void skipBlanks() {
        while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_]))) ++pos_;
    }
    bool take(char c) {
        skipBlanks();
        if (pos_ < s_.size() && s_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    std::string_view name() {
        skipBlanks();
        size_t start = pos_;
        while (pos_ < s_.size() &&
               (std::isalnum(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '_'))
            ++pos_;
        return s_.substr(start, pos_ - start);
    }
    Status number(int* value) {
        skipBlanks();
        size_t start = pos_;
        while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_]))) ++pos_;
        if (start == pos_ || pos_ - start > 3) return error("expected a small number");
        *value = std::atoi(std::string(s_.substr(start, pos_ - start)).c_str());
        return {};
    }
    Status field(std::string_view n, int* index) {
        for (size_t i = 0; i < fields_.size(); ++i)
            if (sameName(fields_[i].name, n)) {
                *index = static_cast<int>(i);
                return {};
            }
        return error("no field " + std::string(n));
    }

    Status expr(std::vector<KeyExpr::Part>* parts, bool upper) {
        do {
            XBASE_TRY(term(parts, upper));
        } while (take('+'));
        return {};
    }

    Status term(std::vector<KeyExpr::Part>* parts, bool upper) {
        std::string_view n = name();
        if (n.empty()) return error("expected a field or function");
        if (!take('(')) {
            int f = 0;
            XBASE_TRY(field(n, &f));
            const FieldInfo& fi = fields_[f];
            if (fi.type != 'C') return error("field " + fi.name + " is not text; use Str or DTOS");
            parts->push_back({KeyExpr::Op::Copy, offsets_[f], fi.length, 0, fi.length, 0, upper});
            return {};
        }
        if (sameName(n, "UPPER")) {
            XBASE_TRY(expr(parts, true));
        } else if (sameName(n, "STR") || sameName(n, "DTOS")) {
            const bool str = sameName(n, "STR");
            int f = 0;
            XBASE_TRY(field(name(), &f));
            const FieldInfo& fi = fields_[f];
            if (str && fi.type != 'N') return error("Str needs a numeric field");
            if (!str && fi.type != 'D') return error("DTOS needs a date field");
            int width = str ? 10 : 8, decimals = 0;
            if (str && take(',')) {
                XBASE_TRY(number(&width));
                if (take(',')) XBASE_TRY(number(&decimals));
            }
            if (width < 1 || width > 60 || decimals > 15 || (decimals > 0 && decimals >= width - 1))
                return error("bad Str width");
            parts->push_back({str ? KeyExpr::Op::Str : KeyExpr::Op::Dtos, offsets_[f], fi.length,
                              fi.decimals, width, decimals, upper});
        } else {
            return error("unsupported function " + std::string(n));
        }
        if (!take(')')) return error("expected )");
        return {};
    }

    std::string_view s_;
    size_t pos_ = 0;
    const std::vector<FieldInfo>& fields_;
    const std::vector<int>& offsets_;
};

// Str(value, width, decimals) of a numeric field's stored text. The stored text is used as it is
// when it already has that shape (right-aligned, same width and decimals), else it is parsed.
void strKey(const KeyExpr::Part& p, const char* src, char* dst) {
    if (p.fieldLength == p.width && p.fieldDecimals == p.decimals && src[p.width - 1] != ' ') {
        bool plain = true;
        for (int i = 0; i < p.width && plain; ++i) {
            char c = src[i];
            bool dot = p.decimals > 0 && i == p.width - p.decimals - 1;
            plain = dot ? c == '.' : (c == ' ' || c == '-' || (c >= '0' && c <= '9'));
        }
        if (plain) {
            std::memcpy(dst, src, static_cast<size_t>(p.width));
            return;
        }
    }
    char text[64];
    const size_t len = std::min<size_t>(static_cast<size_t>(p.fieldLength), sizeof text - 1);
    std::memcpy(text, src, len);
    text[len] = '\0';
    double value = ParseNumber(text);
    char out[400];
    int n = FormatFixed(out, sizeof out, p.width, p.decimals, value);
    if (n == p.width)
        std::memcpy(dst, out, static_cast<size_t>(p.width));
    else
        std::memset(dst, '*', static_cast<size_t>(p.width));
}

}  // namespace

Status KeyExpr::compile(std::string_view text, const std::vector<FieldInfo>& fields,
                        const std::vector<int>& offsets, KeyExpr* out) {
    KeyExpr e;
    e.text_ = std::string(text);
    XBASE_TRY(Parser(text, fields, offsets).parse(&e.parts_));
    for (const Part& p : e.parts_) e.length_ += p.width;
    if (e.length_ > 250) return Status(kErrExpr, "key expression too long: " + e.text_);
    *out = std::move(e);
    return {};
}

void KeyExpr::eval(const char* record, char* key) const {
    for (const Part& p : parts_) {
        const char* src = record + p.offset;
        switch (p.op) {
            case Op::Copy:
                std::memcpy(key, src, static_cast<size_t>(p.width));
                break;
            case Op::Dtos:
                std::memcpy(key, src, 8);
                break;
            case Op::Str:
                strKey(p, src, key);
                break;
        }
        if (p.upper) foldUpper(key, p.width);
        key += p.width;
    }
}

std::string KeyExpr::eval(const char* record) const {
    std::string key(static_cast<size_t>(length_), ' ');
    eval(record, key.data());
    return key;
}

}  // namespace xbase
