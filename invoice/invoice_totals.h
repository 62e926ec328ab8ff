// The money values of the open invoice: line totals, subtotal, the two taxes, total, payments
// and amount due. Every sum is taken in whole cents; a line total is price x quantity rounded
// to the cent with halves away from zero, and a tax is rate x taxable amount rounded by the
// settings' rule (TaxRound: 1 normal, 2 up, 3 down) from its exact value, so no amount is ever
// a cent off through binary fractions. A negative amount (a return) rounds as its positive
// counterpart with the sign put back, so a return cancels its sale to the cent.
#pragma once

#include <vector>

#include "core/money.h"
#include "db/records.h"
#include "invoice/invoice_data.h"

// price x quantity of the row, to the cent.
Cents LineTotal(const ItemRow& row);
// price x quantity, both in hundredths, to the cent: what LineTotal makes of a stored item.
Cents LineTotalOf(Cents price, Cents quantity);
// The sum of the line totals, in row order.
Cents SumLineTotals(const std::vector<ItemRow>& items);
// The sum of the payment amounts.
Cents SumPayments(const std::vector<PmtRow>& payments);

// Rounds a tax held in millionths of the currency unit (ten-thousandths of a cent) to cents by
// the rule: 1 normal (half a cent and more up), 2 up (any part of a cent from a hundredth of a
// cent up), 3 or any other value down (cut).
Cents RoundTaxMicros(int64_t micros, int taxRound);
// RoundTaxMicros of a computed amount x.
double RoundTax(double x, int taxRound);

struct Taxes {
    double ship = 0;  // tax 1, kept in InvBuf.Ship
    double tax = 0;   // tax 2, kept in InvBuf.Tax
};
// Computes the taxes of the items with the settings' rates, the rule for tax 2 on tax 1
// (ShipTax: 2 always, 3 when some item bears tax 2) and the rounding rule. A tax whose rate is 0
// is the user's (a flat charge such as shipping typed by hand): it keeps its value in `present`,
// and tax 2 on tax 1 is charged on that value. Nothing when both rates are 0 or there is no
// item: the taxes then keep their present (typed or loaded) values.
std::optional<Taxes> ComputeTaxes(const std::vector<ItemRow>& items, const SettingsValues& settings,
                                  const Taxes& present);

// The sums of the open invoice shown by the editor.
struct InvoiceSums {
    Cents subtotal = 0;
    Cents total = 0;  // subtotal + ship + tax
    Cents paid = 0;
    Cents due = 0;  // total - paid
};
InvoiceSums ComputeSums(const std::vector<ItemRow>& items, const std::vector<PmtRow>& payments,
                        double ship, double tax);
