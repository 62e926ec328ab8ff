// Turning an Info/Order file pair into the parts of a new invoice: reading the two files, the
// customer and the invoice header the Info line gives, one item per order line, and matching
// the customer against CUST5 and the items against Prod5. Plain functions on the program's
// tables and buffers; the invoice editor puts the results on the screen, and nothing here writes
// to a table.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "db/records.h"
#include "import/order_files.h"

// An order line as it becomes an invoice item: the order's own texts until a product matches,
// then the product's code, description and comment line; quantity and price stay the order's.
struct ImportedItem {
    QString code;
    QString description;
    QString comment;    // the order's option, or the product's comment line
    QString quantity;   // "%9.2f"
    QString price;      // "%9.2f"
    bool tax2 = false;  // bears the second tax: the order was charged sales tax
};

// The customer, invoice header and items of an order pair, before any matching. Texts longer
// than their fields are cut to the fields' widths, each cut told in a line of a cut list.
struct ImportedOrder {
    CustomerRecord customer;   // number 0, group 0
    QStringList customerCuts;  // what was cut of the customer's texts
    QStringList memoCuts;      // what was cut of the check/credit card text
    QString countryLeftOut;    // the country, when the address had no line left for it
    QString memo;              // IMemo: the payment method, or the card when paid by card
    QString remarks;           // REM
    double shipping = 0;       // Ship (the first tax line)
    double salesTax = 0;       // Tax (the second)
    std::vector<ImportedItem> items;
};

// The most bytes an Info or Order file may have.
inline constexpr qint64 kMaxOrderFileSize = 4 * 1024 * 1024;

// Reads and parses both files. False, with *error naming the file and what is wrong with it,
// when one cannot be read, is too large, is malformed (order_files.h), is a link leading out of
// its directory (refused unread), or has a character the tables cannot store (named, with its
// line and field).
bool ReadOrderFiles(const QString& infoPath, const QString& orderPath, InfoRecord* info,
                    std::vector<OrderLine>* lines, QString* error);

// The order as an invoice for the file pair named `fileName`. Remarks end their lines with a
// line feed, as every text in memory does (the memo file keeps a carriage return before it).
ImportedOrder BuildImportedOrder(const InfoRecord& info, const std::vector<OrderLine>& lines,
                                 const QString& fileName);

// Cuts the item's code, description and comment to the widths of their ITM5 fields, adding a
// line to *cuts for each text it cuts. Run after MatchProduct: a matched product's texts fit.
void CutItemToFields(ImportedItem* item, QStringList* cuts);

// Looks the item's code up in Prod5 (opened), upper-cased and trimmed: an exact code matches;
// when only longer codes start with it, the first letter of the option is added and the code
// looked up once more (code AB with option Large finds ABL). On a match the item takes the
// product's code, description and comment line, CurProdRec its record and ProdBuf the product,
// and the result is true. Records marked deleted never match.
bool MatchProduct(ImportedItem* item);

struct CustomerMatch {
    int32_t rec = 0;        // the CUST5 record of the first match; 0 when none
    bool multiple = false;  // a further customer matches too
};

// Finds the stored customer with the imported customer's last name, first name and postal code
// (compared upper-cased and trimmed, as far as the fields hold them) through CUST5's tag cname;
// records marked deleted never match. The tag stays selected.
CustomerMatch MatchCustomer(const CustomerRecord& imported);
