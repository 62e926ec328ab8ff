// The invoice's money values: line totals, the two taxes under every rule, and sums that binary
// fractions would put a cent off.
#include <gtest/gtest.h>

#include "invoice/invoice_totals.h"

namespace {

ItemRow Item(const QString& price, const QString& quantity, bool tax1, bool tax2) {
    ItemRow row;
    row[kItemPrID] = "P";
    row[kItemPrice] = price;
    row[kItemQty] = quantity;
    row[kItemTax1] = TaxFlag(tax1);
    row[kItemTax2] = TaxFlag(tax2);
    return row;
}

SettingsValues Rates(double rate1, double rate2, int shipTax, int taxRound = 1) {
    SettingsValues s;
    s.TaxRate1 = rate1;
    s.TaxRate2 = rate2;
    s.ShipTax = shipTax;
    s.TaxRound = taxRound;
    return s;
}

// 10.00 x 3 bearing both taxes, 5.00 x 1 bearing tax 2 only.
const std::vector<ItemRow> kWorked = {Item("   10.00", "     3.00", true, true),
                                      Item("    5.00", "     1.00", false, true)};

}  // namespace

TEST(InvoiceTotals, WorkedExampleUnderEachRuleForTaxTwoOnTaxOne) {
    const std::optional<Taxes> always = ComputeTaxes(kWorked, Rates(5, 8, 2), {});
    ASSERT_TRUE(always);
    EXPECT_DOUBLE_EQ(always->ship, 1.50);
    EXPECT_DOUBLE_EQ(always->tax, 2.92);
    const InvoiceSums sums = ComputeSums(kWorked, {}, always->ship, always->tax);
    EXPECT_EQ(sums.subtotal, 3500);
    EXPECT_EQ(sums.total, 3942);
    EXPECT_EQ(sums.due, 3942);

    EXPECT_DOUBLE_EQ(ComputeTaxes(kWorked, Rates(5, 8, 1), {})->tax, 2.80);
    EXPECT_DOUBLE_EQ(ComputeTaxes(kWorked, Rates(5, 8, 3), {})->tax, 2.92);
    const std::vector<ItemRow> noTax2 = {Item("10.00", "3", true, false)};
    const std::optional<Taxes> whenItems = ComputeTaxes(noTax2, Rates(5, 8, 3), {});
    EXPECT_DOUBLE_EQ(whenItems->ship, 1.50);
    EXPECT_DOUBLE_EQ(whenItems->tax, 0.00);
}

TEST(InvoiceTotals, TaxesAreLeftAloneWithoutRatesOrItems) {
    EXPECT_FALSE(ComputeTaxes(kWorked, Rates(0, 0, 2), {}));
    EXPECT_FALSE(ComputeTaxes({}, Rates(5, 8, 2), {}));
}

TEST(InvoiceTotals, RoundTaxFollowsEachRule) {
    EXPECT_DOUBLE_EQ(RoundTax(1.2302, 2), 1.24);
    EXPECT_DOUBLE_EQ(RoundTax(1.2300, 2), 1.23);
    EXPECT_DOUBLE_EQ(RoundTax(1.239, 3), 1.23);
    EXPECT_DOUBLE_EQ(RoundTax(1.2351, 1), 1.24);
    EXPECT_DOUBLE_EQ(RoundTax(1.2349, 1), 1.23);
    // A decimal half is rounded as written, although no double holds 1.235 exactly.
    EXPECT_DOUBLE_EQ(RoundTax(1.235, 1), 1.24);
    // A return's tax mirrors its sale's.
    EXPECT_DOUBLE_EQ(RoundTax(-1.2349, 1), -1.23);
    EXPECT_DOUBLE_EQ(RoundTax(-1.2302, 2), -1.24);
    EXPECT_DOUBLE_EQ(RoundTax(-1.239, 3), -1.23);
}

TEST(InvoiceTotals, ComputedTaxesRoundFromTheirExactValue) {
    const std::vector<ItemRow> larger = {Item("10.10", "3", true, false)};
    // 4.5% of 30.30 = 1.3635 exactly.
    EXPECT_DOUBLE_EQ(ComputeTaxes(larger, Rates(4.5, 0, 1), {})->ship, 1.36);
    // Half cents that rate / 100 * amount in doubles falls short of: 6% of 16.75 = 1.005,
    // 9% of 11.50 = 1.035, 5% of 0.70 = 0.035.
    EXPECT_DOUBLE_EQ(ComputeTaxes({Item("16.75", "1", true, false)}, Rates(6, 0, 1), {})->ship,
                     1.01);
    EXPECT_DOUBLE_EQ(ComputeTaxes({Item("11.50", "1", true, false)}, Rates(9, 0, 1), {})->ship,
                     1.04);
    EXPECT_DOUBLE_EQ(ComputeTaxes({Item("0.70", "1", true, false)}, Rates(5, 0, 1), {})->ship,
                     0.04);
    // 8.25% of 19.40 = 1.6005: up gives 1.61, down 1.60.
    const std::vector<ItemRow> odd = {Item("19.40", "1", true, false)};
    EXPECT_DOUBLE_EQ(ComputeTaxes(odd, Rates(8.25, 0, 1, 2), {})->ship, 1.61);
    EXPECT_DOUBLE_EQ(ComputeTaxes(odd, Rates(8.25, 0, 1, 3), {})->ship, 1.60);
}

TEST(InvoiceTotals, LineTotalsAndSumsAreExactToTheCent) {
    EXPECT_EQ(LineTotal(Item("2.01", "0.50", false, false)), 101);  // 1.005
    EXPECT_EQ(LineTotal(Item("-2.01", "0.50", false, false)), -101);
    EXPECT_EQ(LineTotal(Item("  1.15", "   3.00", false, false)), 345);
    EXPECT_EQ(LineTotal(Item("", "1", false, false)), 0);

    std::vector<ItemRow> dimes(3, Item("0.10", "1", false, false));
    EXPECT_EQ(SumLineTotals(dimes), 30);
    std::vector<PmtRow> payments(1000, PmtRow{"01/01/26", "      0.10"});
    payments.push_back({"01/01/26", "     -0.05"});
    const InvoiceSums sums = ComputeSums(
        std::vector<ItemRow>(1000, Item("0.10", "1", false, false)), payments, 0.1, 0.2);
    EXPECT_EQ(sums.subtotal, 10000);
    EXPECT_EQ(sums.total, 10030);
    EXPECT_EQ(sums.paid, 9995);
    EXPECT_EQ(sums.due, 35);
}

TEST(InvoiceTotals, PaymentsBeyondTheTotalLeaveANegativeAmountDue) {
    const InvoiceSums sums =
        ComputeSums({Item("5.00", "1", false, false)}, {{"01/01/26", "8.00"}}, 0, 0);
    EXPECT_EQ(sums.due, -300);
}

TEST(InvoiceTotals, ALineWhoseRateIsZeroKeepsTheAmountTypedForIt) {
    // A flat shipping charge on line 1 (rate 0) with tax 2 charged on it.
    const std::optional<Taxes> flat = ComputeTaxes(kWorked, Rates(0, 8, 2), {10.00, 0.99});
    ASSERT_TRUE(flat);
    EXPECT_DOUBLE_EQ(flat->ship, 10.00);
    EXPECT_DOUBLE_EQ(flat->tax, 3.60);
    // Line 2 at rate 0 keeps its typed amount while line 1 is computed.
    const std::optional<Taxes> typed = ComputeTaxes(kWorked, Rates(5, 0, 2), {0.00, 4.25});
    EXPECT_DOUBLE_EQ(typed->ship, 1.50);
    EXPECT_DOUBLE_EQ(typed->tax, 4.25);
}
