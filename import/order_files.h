// The order files another program leaves for each order it takes: an Info file (the customer,
// the payment, the note, the tax and shipping amounts) and an Order file (one item per line),
// both plain text. This module reads their contents into fields; it knows nothing of tables or
// windows, so the readers can be tested and fuzzed on bytes alone.
//
// Layout. One record per line; a line ends at LF, CR LF or a lone CR, and a UTF-8 byte order
// mark before the first line is dropped. Fields are separated by commas and numbered from 0. A
// double quote switches quoting on or off and is itself dropped; inside quotes a comma is data.
// Quotes are no escape for themselves (two in a row switch twice and vanish) and fields are not
// trimmed. A line with fewer fields than a position read gives that position as empty.
//
// Info file: only its first line counts. Fields 4-21, 23-27 are texts (InfoPos below), field 30
// the sales tax amount and field 31 the shipping amount.
// Order file: every line that is not blank is one item: field 1 the product code, 2 the
// description, 3 the unit price, 4 the quantity, 7 the option (a size or colour).
//
// Amounts are plain decimals: blanks around them, an optional sign, digits with at most one
// decimal point; an empty field is 0. Anything else, or an amount of a billion or more, makes
// the file malformed. So does a NUL byte anywhere (the file is not text).
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Positions of the Info line's fields.
enum InfoPos {
    kInfoTitle = 4,
    kInfoFirst = 5,
    kInfoLast = 6,
    kInfoAddr1 = 7,
    kInfoAddr2 = 8,
    kInfoAddr3 = 9,
    kInfoCity = 10,
    kInfoState = 11,
    kInfoZip = 12,
    kInfoCountry = 13,
    kInfoEmail = 14,
    kInfoPhone1 = 15,
    kInfoPhone2 = 16,
    kInfoNote1 = 17,
    kInfoNote2 = 18,
    kInfoFax = 19,
    kInfoRemark = 20,
    kInfoPayment = 21,
    kInfoCard = 23,
    kInfoCardMonth = 24,
    kInfoCardYear = 25,
    kInfoSource = 26,
    kInfoMoreNote = 27,
    kInfoSalesTax = 30,
    kInfoShipping = 31
};

// The fields of one line, quotes removed.
std::vector<std::string> SplitFields(std::string_view line);

// The field at `index`; empty when the line has fewer fields.
const std::string& FieldAt(const std::vector<std::string>& fields, size_t index);

// Reads an amount as the layout above allows; false when the text is not one.
bool ParseAmount(std::string_view text, double* value);

struct InfoRecord {
    std::vector<std::string> fields;  // of the first line
    double salesTax = 0;              // field 30
    double shipping = 0;              // field 31
};

struct OrderLine {
    int lineNumber = 0;  // 1 for the file's first line
    std::string code;
    std::string description;
    std::string option;
    double price = 0;
    double quantity = 0;
};

// Reads the contents of an Info file. False, with *error saying why, when the file is not text,
// its first line is blank, or an amount is not a number.
bool ParseInfo(std::string_view content, InfoRecord* info, std::string* error);

// Reads the contents of an Order file, one OrderLine per line with text. False, with *error
// naming the line, when the file is not text or an amount is not a number.
bool ParseOrder(std::string_view content, std::vector<OrderLine>* lines, std::string* error);
