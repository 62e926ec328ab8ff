// The customer profile over the hand-made business of sales_data_fixture.h: the address column
// beside the purchases, rows continuing past either, customers picked or by group, and
// customers and groups that are not on file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reports/customer_profile.h"
#include "tests/reports/sales_data_fixture.h"

using namespace reports;

namespace {

class CustomerProfileTest : public SalesDataTest {
protected:
    ReportDocument& doc = TheReport();
};

TEST_F(CustomerProfileTest, PickedCustomersInTheirOrderAddressBesidePurchases) {
    ASSERT_TRUE(MakeCustomerProfile(doc, {2, 1, 42}));
    EXPECT_EQ(messages_, QStringList({"Customer not on file: 42"}));
    EXPECT_EQ(doc.Lines[2][0], "C36Customer Profile");
    EXPECT_EQ(doc.Lines[7].join('|'),
              "V00|L01Customer|V35|R43Date|V45|L46Product|V57|R61Qty|V63|R71U-Price|V72|U");
    EXPECT_EQ(
        Lines(doc, 8, 11),
        std::vector<std::string>({
            // Five address lines: one more for the number and group.
            "V00|L01Bob Ray|V35|R4303/10/25|V45|L46SAW-2|V57|R61    1.00|V63|R71   25.00|V72|",
            "V00|L01Ray Farms|V35|R4303/10/25|V45|L46GONE-9|V57|R61    0.50|V63|"
            "R71    2.01|V72|",
            "V00|L014 Mill Rd|V35||V45||V57||V63||V72|",
            "V00|L01Apt 2|V35||V45||V57||V63||V72|",
            "V00|L01Dover, DE  19901|V35||V45||V57||V63||V72|",
            "V00|L01Cust#: 2  Group: Wholesale|V35||V45||V57||V63||V72|U",
            // Two blank address lines: the last is dropped, the other takes the number.
            "V00|L01Ms Ann Lee|V35|R4303/03/25|V45|L46HAM-1|V57|R61    2.00|V63|"
            "R71   11.00|V72|",
            "V00|L0112 Oak St|V35|R4303/03/25|V45|L46NAIL|V57|R61    3.00|V63|R71    0.10|V72|",
            "V00|L01Salem, MA  01970|V35|R4304/02/25|V45|L46HAM-1|V57|R61   -1.00|V63|"
            "R71   11.00|V72|",
            "V00|L01Cust#: 1  Group: Retail|V35||V45||V57||V63||V72|U",
        }));
    EXPECT_EQ(doc.Lines.size(), 18);
    EXPECT_EQ(CustTbl, nullptr);
}

TEST_F(CustomerProfileTest, PurchasesBeyondTheAddressContinueWithAnEmptyCustomerColumn) {
    ASSERT_TRUE(MakeCustomerProfile(doc, {3}));
    EXPECT_EQ(Lines(doc, 8, 6),
              std::vector<std::string>({
                  "V00|L01Cy Doe|V35|R4302/27/25|V45|L46NAIL|V57|R61   10.00|V63|R71    0.10|V72|",
                  "V00|L01Doe Bakery  12345|V35|R4302/27/25|V45|L46HAM-1|V57|R61    1.00|V63|"
                  "R71   11.00|V72|",
                  "V00|L01|V35|R4302/27/25|V45|L46SAW-2|V57|R61    1.00|V63|R71   25.00|V72|",
                  // Group 9 is not on file.
                  "V00|L01Cust#: 3  Group: UNKNOWN|V35|R4302/27/25|V45|L46NAIL|V57|"
                  "R61    5.00|V63|R71    0.10|V72|",
                  "V00||V35|R4302/27/25|V45|L46HAM-1|V57|R61    2.00|V63|R71   11.00|V72|U",
              }));
}

TEST_F(CustomerProfileTest, GroupsProfileTheirCustomersInNameOrder) {
    ASSERT_TRUE(MakeGroupProfile(doc, {1}));
    QStringList names;
    for (const ReportLine& line : doc.Lines)
        if (line[1].startsWith("L01Cust#")) names << line[1];
    EXPECT_EQ(names, QStringList({"L01Cust#: 4  Group: Retail", "L01Cust#: 1  Group: Retail"}));
    EXPECT_EQ(doc.Lines[8][1], "L01Mr Al Adams");

    // A group number no longer in GROUPS still gathers the customers that carry it.
    ASSERT_TRUE(MakeGroupProfile(doc, {9, 2}));
    EXPECT_EQ(doc.Lines[8][1], "L01Cy Doe");
    EXPECT_EQ(doc.Lines[13][1], "L01Bob Ray");
}

TEST_F(CustomerProfileTest, GroupsGiveEachCustomerTheSamePurchasesAsPickingThem) {
    // The group's invoices are gathered for all its customers at once: each customer keeps
    // their own, in the order a profile of that customer alone lists them.
    ASSERT_TRUE(MakeGroupProfile(doc, {1, 2, 9}));
    const std::vector<std::string> grouped = Lines(doc, 8);
    ASSERT_TRUE(MakeCustomerProfile(doc, {4, 3, 1, 2}));
    EXPECT_EQ(grouped, Lines(doc, 8));
    EXPECT_EQ(grouped.size(), 19u);
}

TEST_F(CustomerProfileTest, CustomersAndGroupsNotOnFileProduceNoReport) {
    MarkDeleted(OpenCustomers, &CustTbl, "LEE");
    EXPECT_FALSE(MakeCustomerProfile(doc, {1}));
    EXPECT_FALSE(MakeGroupProfile(doc, {7}));
    EXPECT_FALSE(MakeCustomerProfile(doc, {}));
    EXPECT_EQ(messages_,
              QStringList({"Customer not on file: 1", "No Customers in the selected groups."}));
    EXPECT_EQ(doc.CurLine, -1);
    EXPECT_EQ(CustTbl, nullptr);
}

}  // namespace
