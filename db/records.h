// The in-memory records of the program's tables: one struct per table, its members named and
// ordered as the table's fields. Text members keep the field's trailing blanks as read; dates
// are day numbers since 30 December 1899 with the time of day as the fraction.
#pragma once

#include <QString>

struct CustomerRecord {
    int cuno = 0;
    QString title;
    QString first;
    QString last;
    QString addr1;
    QString addr2;
    QString addr3;
    QString addr4;
    QString zip;
    QString comments;
    int ngroup = 0;
    QString note;
    QString phone;
    QString fax;
    QString email;
};

struct GroupRecord {
    int nGroup = 0;
    QString cGroup;
};

struct InvoiceRecord {
    int IvNo = 0;
    int CuNo = 0;
    QString Dept;
    double IDate = 0;
    QString IMemo;
    double Ship = 0;
    double Tax = 0;
    double Due = 0;
    QString REM;
};

struct ItemRecord {
    int IvNo = 0;
    QString PrID;
    double Qty = 0;
    double UPR = 0;
    bool LTax1 = false;
    bool LTax2 = false;
    QString PDesc;
    QString IComm;
};

struct LabelRecord {
    QString Name;
    double TopM = 0;
    double LeftM = 0;
    double BottomM = 0;
    double RightM = 0;
    double Width = 0;
    double Height = 0;
    double HGap = 0;
    double VGap = 0;
    int NAcross = 0;
    bool Continuous = false;
};

struct PaymentRecord {
    int IvNo = 0;
    double PDate = 0;
    double PAmt = 0;
};

struct ProductRecord {
    QString PrID;
    QString RCode;
    QString PDesc;
    double UPrice = 0;
    bool LTax1 = false;
    bool LTax2 = false;
    bool lInven = false;
    QString IComm;
    QString PMemo;
    double REORDER = 0;
    double ONHAND = 0;
};

struct PurchaseRecord {
    QString PURProd;
    double PURDate = 0;
    double PURQty = 0;
    double PURCost = 0;
    int PURNo = 0;
};

// The settings of the data directory, as the one record of CVN1 holds them.
struct SettingsValues {
    QString FontName;  // report font; blank keeps the default
    int FontSize = 0;  // points; 0 or less keeps the default
    QString LabID;     // label stock last chosen for printing
    QString Company;   // letterhead
    QString Addr1;
    QString Addr2;
    QString Addr3;
    QString Addr4;
    QString CloLine;
    QString SigLine;
    QString LogoFile;  // full path of the logo bitmap; empty for none
    double LogoHeight = 0;
    double LogoWidth = 0;
    QString ShipLine;   // label of the first tax
    QString TaxLine;    // label of the second tax
    int ShipTax = 0;    // second tax on the first: 1 no, 2 yes, 3 when tax on items
    int TaxRound = 0;   // 1 normal, 2 up, 3 down
    int LHJustify = 0;  // letterhead: 1 left, 2 centre, 3 right
    double TaxRate1 = 0;
    double TaxRate2 = 0;
    double TopMargin = 0;
    bool ByCust = false;  // customers by name (true) or by company (false)
    bool fifo = false;    // inventory costing: first in first out (true) or last in first out
};
