#include "invoice/invoice_totals.h"

#include <cmath>

namespace {

// A tax rate (a percentage with up to three decimals) in thousandths of a percent.
int64_t RateThousandths(double rate) {
    if (!std::isfinite(rate) || std::fabs(rate) > 1e9) return 0;
    return std::llround(rate * 1000.0);
}

// A rate in thousandths of a percent times an amount in cents is the tax in units of 10^-5 of a
// cent, exactly; this rounds such units to cents by the rule.
Cents RoundTaxUnits(int64_t units, int taxRound) {
    constexpr int64_t kCent = 100000;
    const int64_t magnitude = units < 0 ? -units : units;
    int64_t whole = 0;
    switch (taxRound) {
        case 1:
            whole = (magnitude + kCent / 2) / kCent;
            break;
        case 2:
            whole = (magnitude + kCent * 99 / 100) / kCent;
            break;
        default:
            whole = magnitude / kCent;
            break;
    }
    return units < 0 ? -whole : whole;
}

}  // namespace

Cents LineTotal(const ItemRow& row) {
    return LineTotalOf(TextCentsOr0(row[kItemPrice]), TextCentsOr0(row[kItemQty]));
}

Cents LineTotalOf(Cents price, Cents quantity) {
    return DivideRounded(price * quantity, 100);
}

Cents SumLineTotals(const std::vector<ItemRow>& items) {
    Cents sum = 0;
    for (const ItemRow& row : items) sum += LineTotal(row);
    return sum;
}

Cents SumPayments(const std::vector<PmtRow>& payments) {
    Cents sum = 0;
    for (const PmtRow& row : payments) sum += TextCentsOr0(row[kPmtAmount]);
    return sum;
}

Cents RoundTaxMicros(int64_t micros, int taxRound) {
    return RoundTaxUnits(micros * 10, taxRound);
}

double RoundTax(double x, int taxRound) {
    if (!std::isfinite(x) || std::fabs(x) > 1e12) return 0;
    return FromCents(RoundTaxMicros(std::llround(x * 1e6), taxRound));
}

std::optional<Taxes> ComputeTaxes(const std::vector<ItemRow>& items, const SettingsValues& settings,
                                  const Taxes& present) {
    const int64_t rate1 = RateThousandths(settings.TaxRate1);
    const int64_t rate2 = RateThousandths(settings.TaxRate2);
    if ((rate1 == 0 && rate2 == 0) || items.empty()) return std::nullopt;
    Cents taxable1 = 0;
    Cents taxable2 = 0;
    for (const ItemRow& row : items) {
        const Cents t = LineTotal(row);
        if (row[kItemTax1] == "t") taxable1 += t;
        if (row[kItemTax2] == "t") taxable2 += t;
    }
    const Cents ship =
        rate1 == 0 ? ToCents(present.ship) : RoundTaxUnits(rate1 * taxable1, settings.TaxRound);
    if (settings.ShipTax == 2 || (settings.ShipTax == 3 && taxable2 != 0)) taxable2 += ship;
    const Cents tax =
        rate2 == 0 ? ToCents(present.tax) : RoundTaxUnits(rate2 * taxable2, settings.TaxRound);
    return Taxes{FromCents(ship), FromCents(tax)};
}

InvoiceSums ComputeSums(const std::vector<ItemRow>& items, const std::vector<PmtRow>& payments,
                        double ship, double tax) {
    InvoiceSums sums;
    sums.subtotal = SumLineTotals(items);
    sums.total = sums.subtotal + ToCents(ship) + ToCents(tax);
    sums.paid = SumPayments(payments);
    sums.due = sums.total - sums.paid;
    return sums;
}
