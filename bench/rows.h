// Table shapes and generated rows for the engine benchmark: a customer table and an invoice-item
// table laid out like the program's own, and deterministic, realistic rows for them. A row is
// held as the table's record image (every field blank-padded text, numbers right-aligned, no
// deletion flag), so both engines under test receive exactly the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "db/xbase/xbase.h"

namespace bench {

// One index tag, and the SQLite index that orders rows the same way.
struct TagShape {
    std::string name;                     // also the .ntx base name
    std::string expression;               // the engine's key expression
    std::vector<std::string> sqlColumns;  // SQLite index columns, in order
    // Fields whose padded text, concatenated (upper-cased where asked), is the key.
    std::vector<std::pair<std::string, bool>> keyParts;
};

struct TableShape {
    std::string name;  // table and group file name
    std::vector<xbase::FieldInfo> fields;
    std::vector<TagShape> tags;
    int exactTag;      // the tag for exact seeks: one integer column in SQLite
    int orderTag;      // the tag for partial seeks, walks and position()
    int prefixLength;  // bytes of a partial seek key
};

TableShape customerShape();
TableShape itemShape();

class RowSet {
public:
    explicit RowSet(const TableShape& shape);
    const TableShape& shape() const { return *shape_; }
    size_t size() const { return memos_.size(); }
    int width() const { return width_; }
    int fieldOffset(int field) const { return offsets_[static_cast<size_t>(field)]; }
    int fieldIndex(std::string_view name) const;

    // Field `field` of row `row` as stored: blank-padded to the field's width.
    std::string_view text(size_t row, int field) const;
    const char* image(size_t row) const { return images_.data() + row * width_; }
    const std::string& memo(size_t row) const { return memos_[row]; }
    // The value of a numeric or logical field (logicals: 1 or 0).
    double number(size_t row, int field) const;
    // The row's key in `tag`: what the engine's key expression gives for it.
    std::string key(size_t row, const TagShape& tag) const;
    // Every row's key in `tag`, back to back; *keyLength receives the width of one.
    std::string keys(const TagShape& tag, int* keyLength) const;

    void reserve(size_t rows);
    // Appends a row given as one text value per field (memo fields: the memo text).
    void add(const std::vector<std::string>& values);

private:
    // The image offset and width of each part of `tag`'s key, and whether it is upper-cased.
    struct KeySlice {
        int offset;
        int width;
        bool upper;
    };
    std::vector<KeySlice> slices(const TagShape& tag) const;
    void keyInto(size_t row, const std::vector<KeySlice>& slices, char* dst) const;

    const TableShape* shape_;
    int width_ = 0;
    std::vector<int> offsets_;
    std::vector<int> numberSlot_;  // per field: its index among numeric fields, or -1
    int numberCount_ = 0;
    std::string images_;
    std::vector<std::string> memos_;
    std::vector<double> numbers_;
};

// Rows `first` .. `first + count - 1` of the endless, deterministic sequence for each table.
// Customer numbers run 1..999999 and then start over; about one customer in ten has a memo.
RowSet makeCustomers(const TableShape& shape, uint64_t first, size_t count);
// Items come three or four to an invoice; invoice numbers count up from 1 (wrapping at 999999).
RowSet makeItems(const TableShape& shape, uint64_t first, size_t count);

// A small, fast, portable pseudo-random generator (splitmix64), so that the same seed gives
// the same rows and keys everywhere.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t next();
    // Uniform in 0 .. n - 1.
    uint64_t below(uint64_t n) { return next() % n; }

private:
    uint64_t state_;
};

}  // namespace bench
