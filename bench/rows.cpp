#include "bench/rows.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <stdexcept>

#include "bench/name_lists.h"

namespace bench {
namespace {

constexpr int kMaxCustomerNumber = 999999;

bool sameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) ==
               std::toupper(static_cast<unsigned char>(y));
    });
}

template <typename List>
std::string pick(Random& r, const List& list) {
    return std::string(list[r.below(std::size(list))]);
}

std::string digits(Random& r, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s.push_back(static_cast<char>('0' + r.below(10)));
    return s;
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// Each row draws from its own generator, so any range of rows can be made on its own.
Random rowRandom(uint64_t table, uint64_t row) {
    return Random(table * 0x9E3779B97F4A7C15ULL ^ (row + 1) * 0xD1B54A32D192ED03ULL);
}

}  // namespace

uint64_t Random::next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

TableShape customerShape() {
    TableShape s;
    s.name = "CUST5";
    s.fields = {{"CUNO", 'N', 6, 0},      {"TITLE", 'C', 3, 0},  {"FIRST", 'C', 13, 0},
                {"LAST", 'C', 20, 0},     {"ADDR1", 'C', 34, 0}, {"ADDR2", 'C', 34, 0},
                {"ADDR3", 'C', 34, 0},    {"ADDR4", 'C', 19, 0}, {"ZIP", 'C', 10, 0},
                {"COMMENTS", 'M', 10, 0}, {"NGROUP", 'N', 2, 0}, {"NOTE", 'C', 34, 0},
                {"PHONE", 'C', 20, 0},    {"FAX", 'C', 20, 0},   {"EMAIL", 'C', 60, 0}};
    s.tags = {
        {"CName", "Upper(Last + First)", {"upper(last||first)"}, {{"LAST", true}, {"FIRST", true}}},
        {"CCNO", "Str(CuNo, 6)", {"cuno"}, {{"CUNO", false}}},
        {"CZip", "Zip", {"zip"}, {{"ZIP", false}}},
        {"cComp", "Addr1", {"addr1"}, {{"ADDR1", false}}}};
    s.exactTag = 1;
    s.orderTag = 0;
    s.prefixLength = 4;
    return s;
}

TableShape itemShape() {
    TableShape s;
    s.name = "ITM5";
    s.fields = {{"IVNO", 'N', 6, 0},     {"PRID", 'C', 10, 0},  {"QTY", 'N', 9, 2},
                {"UPR", 'N', 8, 2},      {"LTAX1", 'L', 1, 0},  {"LTAX2", 'L', 1, 0},
                {"PDESC", 'C', 27, 0},   {"ICOMM", 'C', 27, 0}, {"LBUILD", 'L', 1, 0},
                {"BACKORDER", 'N', 9, 2}};
    s.tags = {
        {"Itm", "Str(IvNo,6,0)", {"ivno"}, {{"IVNO", false}}},
        {"ItmP", "PrID + Str(IvNo,6,0)", {"prid", "ivno"}, {{"PRID", false}, {"IVNO", false}}}};
    s.exactTag = 0;
    s.orderTag = 1;
    s.prefixLength = 4;
    return s;
}

RowSet::RowSet(const TableShape& shape) : shape_(&shape) {
    for (const xbase::FieldInfo& f : shape.fields) {
        offsets_.push_back(width_);
        width_ += f.length;
        const bool numeric = f.type == 'N' || f.type == 'L';
        numberSlot_.push_back(numeric ? numberCount_++ : -1);
    }
}

int RowSet::fieldIndex(std::string_view name) const {
    for (size_t i = 0; i < shape_->fields.size(); ++i)
        if (sameName(shape_->fields[i].name, name)) return static_cast<int>(i);
    throw std::logic_error("no field " + std::string(name));
}

std::string_view RowSet::text(size_t row, int field) const {
    const auto f = static_cast<size_t>(field);
    return {image(row) + offsets_[f], static_cast<size_t>(shape_->fields[f].length)};
}

double RowSet::number(size_t row, int field) const {
    return numbers_[row * static_cast<size_t>(numberCount_) +
                    static_cast<size_t>(numberSlot_[static_cast<size_t>(field)])];
}

std::vector<RowSet::KeySlice> RowSet::slices(const TagShape& tag) const {
    std::vector<KeySlice> out;
    for (const auto& [name, upper] : tag.keyParts) {
        const int f = fieldIndex(name);
        out.push_back({fieldOffset(f), shape_->fields[static_cast<size_t>(f)].length, upper});
    }
    return out;
}

void RowSet::keyInto(size_t row, const std::vector<KeySlice>& slices, char* dst) const {
    for (const KeySlice& s : slices) {
        const char* src = image(row) + s.offset;
        for (int i = 0; i < s.width; ++i) {
            const char c = src[i];
            *dst++ = s.upper && c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
        }
    }
}

std::string RowSet::key(size_t row, const TagShape& tag) const {
    const std::vector<KeySlice> parts = slices(tag);
    size_t length = 0;
    for (const KeySlice& s : parts) length += static_cast<size_t>(s.width);
    std::string key(length, ' ');
    keyInto(row, parts, key.data());
    return key;
}

std::string RowSet::keys(const TagShape& tag, int* keyLength) const {
    const std::vector<KeySlice> parts = slices(tag);
    size_t length = 0;
    for (const KeySlice& s : parts) length += static_cast<size_t>(s.width);
    std::string all(length * size(), ' ');
    for (size_t row = 0; row < size(); ++row) keyInto(row, parts, all.data() + row * length);
    *keyLength = static_cast<int>(length);
    return all;
}

void RowSet::reserve(size_t rows) {
    images_.reserve(rows * static_cast<size_t>(width_));
    memos_.reserve(rows);
    numbers_.reserve(rows * static_cast<size_t>(numberCount_));
}

void RowSet::add(const std::vector<std::string>& values) {
    const size_t at = images_.size();
    images_.resize(at + static_cast<size_t>(width_), ' ');
    std::string memo;
    for (size_t i = 0; i < shape_->fields.size(); ++i) {
        const xbase::FieldInfo& f = shape_->fields[i];
        const std::string& v = values[i];
        char* dst = images_.data() + at + offsets_[i];
        const auto w = static_cast<size_t>(f.length);
        if (f.type == 'M') {
            memo = v;
            continue;  // the image keeps blanks; the memo travels beside it
        }
        if (v.size() > w) throw std::logic_error("value too wide for " + f.name + ": " + v);
        if (f.type == 'N')
            v.copy(dst + (w - v.size()), v.size());
        else
            v.copy(dst, v.size());
        if (numberSlot_[i] >= 0)
            numbers_.push_back(f.type == 'L' ? (v == "T" ? 1.0 : 0.0)
                                             : std::strtod(v.c_str(), nullptr));
    }
    memos_.push_back(std::move(memo));
}

namespace {

// Phone numbers and the like; each draw is its own statement so that the order of draws, and
// with it every generated value, does not depend on the compiler.
std::string phoneNumber(Random& r) {
    std::string s = "(";
    s += digits(r, 3);
    s += ") ";
    s += digits(r, 3);
    s += '-';
    s += digits(r, 4);
    return s;
}

std::string streetAddress(Random& r, uint64_t highest) {
    std::string s = std::to_string(1 + r.below(highest)) + " ";
    s += pick(r, streetNames()) + " ";
    s += pick(r, streetKinds());
    return s;
}

}  // namespace

RowSet makeCustomers(const TableShape& shape, uint64_t first, size_t count) {
    static constexpr std::string_view kTitles[] = {"Mr", "Ms", "Mrs", "Dr", ""};
    static constexpr std::string_view kDomains[] = {"example.com", "mail.example.net",
                                                    "post.example.org", "example.biz"};
    RowSet rows(shape);
    rows.reserve(count);
    std::vector<std::string> v(shape.fields.size());
    for (size_t n = 0; n < count; ++n) {
        const uint64_t i = first + n;
        Random r = rowRandom(1, i);
        v[0] = std::to_string(i % kMaxCustomerNumber + 1);
        v[1] = pick(r, kTitles);
        v[2] = pick(r, givenNames());
        v[3] = pick(r, surnames());
        if (r.below(8) == 0) {  // a company: name, street, town
            v[4] = pick(r, surnames()) + " & ";
            v[4] += pick(r, surnames()) + " Supply";
            v[5] = streetAddress(r, 999);
            v[6] = pick(r, towns());
        } else {
            v[4] = streetAddress(r, 9999);
            v[5] = pick(r, towns());
            v[6].clear();
        }
        v[7] = r.below(20) == 0 ? "Canada" : "";
        v[8] = digits(r, 5);
        if (r.below(4) == 0) {
            v[8] += '-';
            v[8] += digits(r, 4);
        }
        v[9].clear();
        if (r.below(10) == 0) {
            v[9] = pick(r, remarks()) + " ";
            v[9] += pick(r, remarks());
        }
        v[10] = std::to_string(1 + r.below(20));
        v[11] =
            r.below(5) == 0 ? "Terms net " + std::to_string(15 * (1 + r.below(4))) + " days" : "";
        v[12] = phoneNumber(r);
        v[13] = r.below(3) == 0 ? phoneNumber(r) : "";
        v[14] = lower(v[2]) + "." + lower(v[3]);
        if (r.below(2) == 0) v[14] += std::to_string(r.below(100));
        v[14] += '@';
        v[14] += pick(r, kDomains);
        rows.add(v);
    }
    return rows;
}

RowSet makeItems(const TableShape& shape, uint64_t first, size_t count) {
    constexpr uint64_t kProducts = 5000;
    RowSet rows(shape);
    rows.reserve(count);
    for (size_t n = 0; n < count; ++n) {
        const uint64_t i = first + n;
        Random r = rowRandom(2, i);
        // Popular products sell more often: the square of a uniform pick leans to low numbers.
        const uint64_t u = r.below(kProducts);
        const uint64_t product = u * u / kProducts;
        Random p = rowRandom(3, product);
        std::string prid(1, static_cast<char>('A' + p.below(26)));
        prid += static_cast<char>('A' + p.below(26));
        prid += '-';
        prid += std::to_string(1000 + product);
        std::string desc = pick(p, productAdjectives()) + " ";
        desc += pick(p, productNouns()) + " ";
        desc += std::to_string(1 + p.below(50)) + "mm";
        const double price = static_cast<double>(50 + p.below(500000)) / 100.0;
        const double qty = static_cast<double>(1 + r.below(r.below(10) == 0 ? 500 : 12));
        const bool backOrdered = r.below(25) == 0;
        rows.add({std::to_string(i * 2 / 7 % kMaxCustomerNumber + 1), prid, fixed(qty, 2),
                  fixed(price, 2), p.below(5) != 0 ? "T" : "F", p.below(10) == 0 ? "T" : "F", desc,
                  r.below(15) == 0 ? "Deliver with the next order" : "",
                  r.below(30) == 0 ? "T" : "F", fixed(backOrdered ? qty : 0.0, 2)});
    }
    return rows;
}

}  // namespace bench
