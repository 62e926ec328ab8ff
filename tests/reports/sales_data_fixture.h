// A small hand-made business for the sales, income and customer reports, every answer worked
// out by hand: four customers (one in a group that does not exist), two groups, three products
// and one sold and then deleted, five invoices (one of them a credit) and four payments (one of
// an invoice not on file).
//
//   inv  date      customer  items                                  ship   tax    due
//   1    03/03/25  1 Lee     HAM-1 2 x 11.00, NAIL 3 x 0.10         1.12   0.44   3.86
//   2    03/10/25  2 Ray     SAW-2 1 x 25.00, GONE-9 0.5 x 2.01     0.00   0.50   0.00
//   3    03/10/25  99 (none) HAM-1 1 x 10.00                        0.50   0.00  10.50
//   4    04/02/25  1 Lee     HAM-1 -1 x 11.00 (a credit)           -0.55  -0.22 -11.77
//   5    02/27/25  3 Doe     five items                             0.05   0.00   1.05
//
// 0.5 x 2.01 is 1.005, which the invoice rounds to 1.01; summed as binary fractions it would
// print as 1.00.
#pragma once

#include "db/settings.h"
#include "tests/reports/report_data_fixture.h"

class SalesDataTest : public ReportDataTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadSettings());
        SettingsRecord.ShipLine = "State Tax";
        SettingsRecord.TaxLine = "Local Tax";
        SettingsRecord.TaxRate1 = 5;
        SettingsRecord.TaxRate2 = 2;
        SettingsRecord.ShipTax = 1;
        SettingsRecord.ByCust = true;
        ASSERT_TRUE(SaveSettings());

        AddGroup(1, "Retail");
        AddGroup(2, "Wholesale");
        AddCustomer(1, "Ms", "Ann", "Lee", {"12 Oak St", "Salem, MA"}, "01970", 1);
        AddCustomer(2, "", "Bob", "Ray", {"Ray Farms", "4 Mill Rd", "Apt 2", "Dover, DE"}, "19901",
                    2);
        AddCustomer(3, "", "Cy", "Doe", {"Doe Bakery"}, "12345", 9);
        AddCustomer(4, "Mr", "Al", "Adams", {"1 Elm St"}, "02110", 1);
        AddProduct("HAM-1", "Claw hammer", 11);
        AddProduct("SAW-2", "Hand saw", 25);
        AddProduct("NAIL", "Nails, box", 0.10);
        AddProduct("GONE-9", "Old stock", 2.01);

        AddInvoice(1, 1, "20250303", 1.12, 0.44, 3.86, "Check 101");
        AddItem(1, "HAM-1", 2, 11, true, true);
        AddItem(1, "NAIL", 3, 0.10, true, false);
        AddInvoice(2, 2, "20250310", 0, 0.50, 0, "Card 4242");
        AddItem(2, "SAW-2", 1, 25, false, true);
        AddItem(2, "GONE-9", 0.5, 2.01, false, false);
        AddInvoice(3, 99, "20250310", 0.50, 0, 10.50, "");
        AddItem(3, "HAM-1", 1, 10, true, true);
        AddInvoice(4, 1, "20250402", -0.55, -0.22, -11.77, "Return");
        AddItem(4, "HAM-1", -1, 11, true, true);
        AddInvoice(5, 3, "20250227", 0.05, 0, 1.05, "");
        AddItem(5, "NAIL", 10, 0.10, true, false);
        AddItem(5, "HAM-1", 1, 11, true, true);
        AddItem(5, "SAW-2", 1, 25, false, true);
        AddItem(5, "NAIL", 5, 0.10, true, false);
        AddItem(5, "HAM-1", 2, 11, true, true);

        AddPayment(1, "20250305", 20);
        AddPayment(2, "20250305", 16.51);
        AddPayment(2, "20250312", 10);
        AddPayment(77, "20250415", 5);

        MarkDeleted(OpenProducts, &ProdTbl, "GONE-9");
    }

    static void AddCustomer(int number, const QString& title, const QString& first,
                            const QString& last, const QStringList& address, const QString& zip,
                            int group) {
        ASSERT_TRUE(OpenCustomers());
        CustBuf = {};
        CustBuf.cuno = number;
        CustBuf.title = title;
        CustBuf.first = first;
        CustBuf.last = last;
        CustBuf.addr1 = address.value(0);
        CustBuf.addr2 = address.value(1);
        CustBuf.addr3 = address.value(2);
        CustBuf.addr4 = address.value(3);
        CustBuf.zip = zip;
        CustBuf.ngroup = group;
        CustTbl->appendBlank();
        WriteCustomer();
        reports::CloseReportTables();
    }

    static void AddInvoice(int number, int customer, const char* date, double ship, double tax,
                           double due, const QString& memo) {
        ASSERT_TRUE(OpenInvoices());
        InvBuf = {};
        InvBuf.IvNo = number;
        InvBuf.CuNo = customer;
        InvBuf.IDate = Day(date);
        InvBuf.IMemo = memo;
        InvBuf.Ship = ship;
        InvBuf.Tax = tax;
        InvBuf.Due = due;
        InvTbl->appendBlank();
        WriteInvoice();
        reports::CloseReportTables();
    }

    static void AddItem(int invoice, const QString& product, double quantity, double price,
                        bool tax1, bool tax2) {
        ASSERT_TRUE(OpenItems());
        ItemBuf = {};
        ItemBuf.IvNo = invoice;
        ItemBuf.PrID = product;
        ItemBuf.Qty = quantity;
        ItemBuf.UPR = price;
        ItemBuf.LTax1 = tax1;
        ItemBuf.LTax2 = tax2;
        ItemTbl->appendBlank();
        WriteItem();
        reports::CloseReportTables();
    }

    static void AddPayment(int invoice, const char* date, double amount) {
        ASSERT_TRUE(OpenPayments());
        PmtBuf = {invoice, Day(date), amount};
        PmtTbl->appendBlank();
        WritePayment();
        reports::CloseReportTables();
    }

    // Changes the settings the reports read.
    static void Settings(void (*change)(SettingsValues&)) {
        ASSERT_TRUE(LoadSettings());
        change(SettingsRecord);
        ASSERT_TRUE(SaveSettings());
    }
};
