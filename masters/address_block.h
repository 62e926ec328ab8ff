// The customer's postal address as five lines, as invoices, labels and the invoice editor show
// it: the name and (when customers are sorted by company) the company, the address lines, and
// the postal code after the last line that has text.
#pragma once

#include <QString>
#include <QStringList>
#include <array>

// The five lines built by the last CustAddressBlock, indexed 0 to 4.
extern std::array<QString, 5> AddressLines;

// Builds AddressLines from CustBuf and the ByCust setting:
// - the name line: the title, the first name and the last name, each trimmed, those that are not
//   empty joined by one blank;
// - by name: line 0 the name line, line 1 address line 1; by company: line 0 address line 1 (the
//   company), line 1 the name line; lines 2 to 4 the address lines 2 to 4 (all trimmed);
// - the postal code goes two blanks after the last line with text, or on the line after it,
//   behind 20 blanks, when that line is longer than 22 characters. When the long line is the
//   fifth, the code goes after it, as there is no sixth line.
void CustAddressBlock();
