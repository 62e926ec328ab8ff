// The description of the supplied tables (data/schema.txt, built into the program): every
// table's fields and index tags, and how many blank records it is supplied with. The build
// writes the supplied tables from it, the index rebuild takes its tags from it, and the data
// check compares a data directory against it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "db/xbase/xbase.h"

struct TableSchema {
    std::string name;  // the table's name as its file is named, without extension
    int records = 0;   // blank records in the supplied table
    std::vector<xbase::FieldInfo> fields;
    std::vector<xbase::TagInfo> tags;

    bool hasMemo() const;
    const xbase::FieldInfo* field(std::string_view fieldName) const;  // any letter case
};

struct Schema {
    std::vector<TableSchema> tables;
    const TableSchema* table(std::string_view tableName) const;  // any letter case
};

// Reads a schema description; on a malformed line returns false with *error naming the line.
bool ParseSchema(std::string_view text, Schema* schema, std::string* error);

// The description the program was built with.
const Schema& SuppliedSchema();
// Its text, as data/schema.txt held it at build time.
std::string_view SuppliedSchemaText();

// True when the two names are equal in any letter case.
bool SameName(std::string_view a, std::string_view b);
