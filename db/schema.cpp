#include "db/schema.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <sstream>
#include <stdexcept>

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

bool TableSchema::hasMemo() const {
    return std::any_of(fields.begin(), fields.end(),
                       [](const xbase::FieldInfo& f) { return f.type == 'M'; });
}

const xbase::FieldInfo* TableSchema::field(std::string_view fieldName) const {
    for (const xbase::FieldInfo& f : fields)
        if (SameName(f.name, fieldName)) return &f;
    return nullptr;
}

const TableSchema* Schema::table(std::string_view tableName) const {
    for (const TableSchema& t : tables)
        if (SameName(t.name, tableName)) return &t;
    return nullptr;
}

namespace {

std::vector<std::string> Words(std::string_view line) {
    std::vector<std::string> words;
    std::istringstream in{std::string(line)};
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

bool ToInt(const std::string& text, int* value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, *value);
    return ec == std::errc() && ptr == end;
}

bool ValidName(const std::string& name) {
    return !name.empty() && name.size() <= 10 &&
           std::isalpha(static_cast<unsigned char>(name[0])) &&
           std::all_of(name.begin(), name.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
           });
}

// Empty when the field's type, width and decimals make a valid dBASE field.
std::string FieldProblem(const xbase::FieldInfo& f) {
    switch (f.type) {
        case 'C':
            if (f.length < 1 || f.length > 254) return "character width must be 1 to 254";
            break;
        case 'N':
            if (f.length < 1 || f.length > 19) return "numeric width must be 1 to 19";
            if (f.decimals < 0 || (f.decimals > 0 && f.decimals > f.length - 2))
                return "decimals do not fit the width";
            return {};
        case 'D':
            if (f.length != 8) return "a date is 8 wide";
            break;
        case 'L':
            if (f.length != 1) return "a logical is 1 wide";
            break;
        case 'M':
            if (f.length != 10) return "a memo is 10 wide";
            break;
        default:
            return "type must be C, N, D, L or M";
    }
    return f.decimals == 0 ? std::string() : "only numeric fields have decimals";
}

// Parses one non-blank, non-comment line into the schema; empty result when it is fine.
std::string ParseLine(const std::string_view line, Schema* schema) {
    const std::vector<std::string> w = Words(line);
    if (w[0] == "table") {
        TableSchema t;
        if (w.size() != 2 && w.size() != 4) return "expected: table NAME [records N]";
        t.name = w[1];
        if (!ValidName(t.name)) return "bad table name";
        if (schema->table(t.name)) return "table " + t.name + " twice";
        if (w.size() == 4 && (w[2] != "records" || !ToInt(w[3], &t.records) || t.records < 0))
            return "expected: records N";
        schema->tables.push_back(std::move(t));
        return {};
    }
    if (schema->tables.empty()) return "a field or tag before the first table";
    TableSchema& t = schema->tables.back();
    if (w[0] == "tag") {
        if (w.size() < 3) return "expected: tag NAME EXPRESSION";
        if (!ValidName(w[1])) return "bad tag name";
        for (const xbase::TagInfo& existing : t.tags)
            if (SameName(existing.name, w[1])) return "tag " + w[1] + " twice";
        const size_t nameAt = line.find(w[1], line.find("tag") + 3);
        std::string_view expression = line.substr(nameAt + w[1].size());
        expression.remove_prefix(std::min(expression.find_first_not_of(" \t"), expression.size()));
        t.tags.push_back({w[1], std::string(expression)});
        return {};
    }
    xbase::FieldInfo f;
    if (w.size() != 3 && w.size() != 4) return "expected: FIELD TYPE WIDTH [DECIMALS]";
    f.name = w[0];
    if (!ValidName(f.name)) return "bad field name";
    if (t.field(f.name)) return "field " + f.name + " twice";
    if (w[1].size() != 1) return "type must be one letter";
    f.type = w[1][0];
    if (!ToInt(w[2], &f.length)) return "width must be a number";
    if (w.size() == 4 && !ToInt(w[3], &f.decimals)) return "decimals must be a number";
    const std::string problem = FieldProblem(f);
    if (!problem.empty()) return f.name + ": " + problem;
    t.fields.push_back(std::move(f));
    return {};
}

}  // namespace

bool ParseSchema(std::string_view text, Schema* schema, std::string* error) {
    *schema = {};
    int lineNo = 0;
    while (!text.empty()) {
        ++lineNo;
        const size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        line = line.substr(0, std::min(line.find('#'), line.size()));
        while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
            line.remove_suffix(1);
        if (line.find_first_not_of(" \t") == std::string_view::npos) continue;
        const std::string problem = ParseLine(line, schema);
        if (!problem.empty()) {
            *error = "line " + std::to_string(lineNo) + ": " + problem;
            return false;
        }
    }
    for (const TableSchema& t : schema->tables) {
        if (t.fields.empty()) {
            *error = "table " + t.name + " has no fields";
            return false;
        }
    }
    return true;
}

const Schema& SuppliedSchema() {
    static const Schema schema = [] {
        Schema s;
        std::string error;
        if (!ParseSchema(SuppliedSchemaText(), &s, &error))
            throw std::logic_error("the built-in table description is malformed: " + error);
        return s;
    }();
    return schema;
}
