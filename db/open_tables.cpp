#include "db/open_tables.h"

#include "core/prompt.h"
#include "db/program_state.h"

namespace {

QString DbfName(const char* table) {
    return QString::fromLatin1(table).toUpper() + ".DBF";
}

// Opens `table`, selects `tag` (none for record order) and moves to the first record; nullptr
// after OpenFailed.
xbase::Table* OpenTable(const char* table, const char* tag, const char* tagFile) {
    DbContext->errorCode();  // an error left pending by an earlier call is not this open's
    xbase::Table* t = DbContext->open(table);
    if (DbContext->errorCode() < 0 || !t) {
        OpenFailed(DbfName(table));
        return nullptr;
    }
    if (tag) {
        xbase::Tag* selected = t->tag(tag);
        if (selected) t->select(selected);
        if (DbContext->errorCode() < 0 || !selected) {
            OpenFailed(QString::fromLatin1(tagFile));
            return nullptr;
        }
    }
    LastRc = t->top();
    return t;
}

// A field missing from a table would leave a handle the read and write operations cannot use,
// so it counts as a table that cannot be opened.
bool FieldsBound(const char* table) {
    if (DbContext->errorCode() >= 0) return true;
    OpenFailed(DbfName(table));
    return false;
}

}  // namespace

QString EndingNotice = QStringLiteral("\nProgram will now terminate.");

void OpenFailed(const QString& fileName) {
    prompt::information(nullptr, "Unable to open file " + fileName + EndingNotice);
    EndProgram();
}

bool ExitOnError() {
    const std::string text = DbContext->errorText();
    if (DbContext->errorCode() == 0) return false;
    prompt::information(nullptr, QString::fromStdString(text) + EndingNotice);
    EndProgram();
    return true;
}

bool OpenSettings() {
    DbContext->setAutoOpen(false);
    DbContext->errorCode();  // an error left pending by an earlier call is not this open's
    SetTbl = DbContext->open("CVN1");
    DbContext->setAutoOpen(true);
    if (DbContext->errorCode() < 0 || !SetTbl) {
        SetTbl = nullptr;
        OpenFailed("CVN1.DBF");
        return false;
    }
    LastRc = SetTbl->top();
    xbase::Table* t = SetTbl;
    SetFld.FontName = t->field("FontName");
    SetFld.FontSize = t->field("FontSize");
    SetFld.LabID = t->field("LabID");
    SetFld.Company = t->field("Company");
    SetFld.Addr1 = t->field("Addr1");
    SetFld.Addr2 = t->field("Addr2");
    SetFld.Addr3 = t->field("Addr3");
    SetFld.Addr4 = t->field("Addr4");
    SetFld.CloLine = t->field("CloLine");
    SetFld.SigLine = t->field("SigLine");
    SetFld.LogoFile = t->field("LogoFile");
    SetFld.LogoHeight = t->field("LogoHeight");
    SetFld.LogoWidth = t->field("LogoWidth");
    SetFld.ShipLine = t->field("ShipLine");
    SetFld.TaxLine = t->field("TaxLine");
    SetFld.ShipTax = t->field("ShipTax");
    SetFld.TaxRound = t->field("TaxRound");
    SetFld.LHJustify = t->field("LHJustify");
    SetFld.TaxRate1 = t->field("TaxRate1");
    SetFld.TaxRate2 = t->field("TaxRate2");
    SetFld.TopMargin = t->field("TopMargin");
    SetFld.ByCust = t->field("ByCust");
    SetFld.fifo = t->field("fifo");
    return FieldsBound("CVN1");
}

bool OpenCustomers() {
    CustTbl = OpenTable("CUST5", "cname", "AccTag.Ntx");
    return CustTbl && BindCustomerFields();
}

bool BindCustomerFields() {
    xbase::Table* t = CustTbl;
    CustFld.cuno = t->field("cuno");
    CustFld.title = t->field("title");
    CustFld.first = t->field("first");
    CustFld.last = t->field("last");
    CustFld.addr1 = t->field("addr1");
    CustFld.addr2 = t->field("addr2");
    CustFld.addr3 = t->field("addr3");
    CustFld.addr4 = t->field("addr4");
    CustFld.zip = t->field("zip");
    CustFld.comments = t->field("comments");
    CustFld.ngroup = t->field("ngroup");
    CustFld.note = t->field("note");
    CustFld.phone = t->field("phone");
    CustFld.fax = t->field("fax");
    CustFld.email = t->field("email");
    return FieldsBound("CUST5");
}

bool OpenGroups() {
    GroupTbl = OpenTable("GROUPS", "nGroup", "AccTag.Ntx");
    return GroupTbl && BindGroupFields();
}

bool BindGroupFields() {
    GroupFld.nGroup = GroupTbl->field("nGroup");
    GroupFld.cGroup = GroupTbl->field("cGroup");
    return FieldsBound("GROUPS");
}

bool OpenInvoices() {
    InvTbl = OpenTable("INV5", "Inv", "Inv.Ntx");
    return InvTbl && BindInvoiceFields();
}

bool BindInvoiceFields() {
    xbase::Table* t = InvTbl;
    InvFld.IvNo = t->field("IvNo");
    InvFld.CuNo = t->field("CuNo");
    InvFld.Dept = t->field("Dept");
    InvFld.IDate = t->field("IDate");
    InvFld.IMemo = t->field("IMemo");
    InvFld.Ship = t->field("Ship");
    InvFld.Tax = t->field("Tax");
    InvFld.Due = t->field("Due");
    InvFld.REM = t->field("REM");
    return FieldsBound("INV5");
}

bool OpenItems() {
    ItemTbl = OpenTable("ITM5", "Itm", "Itm.Ntx");
    return ItemTbl && BindItemFields();
}

bool BindItemFields() {
    xbase::Table* t = ItemTbl;
    ItemFld.IvNo = t->field("IvNo");
    ItemFld.PrID = t->field("PrID");
    ItemFld.Qty = t->field("Qty");
    ItemFld.UPR = t->field("UPR");
    ItemFld.LTax1 = t->field("LTax1");
    ItemFld.LTax2 = t->field("LTax2");
    ItemFld.PDesc = t->field("PDesc");
    ItemFld.IComm = t->field("IComm");
    return FieldsBound("ITM5");
}

bool OpenLabels() {
    LabTbl = OpenTable("LABELS", "Labels", "Labels.Ntx");
    return LabTbl && BindLabelFields();
}

bool BindLabelFields() {
    xbase::Table* t = LabTbl;
    LabFld.Name = t->field("Name");
    LabFld.TopM = t->field("TopM");
    LabFld.LeftM = t->field("LeftM");
    LabFld.BottomM = t->field("BottomM");
    LabFld.RightM = t->field("RightM");
    LabFld.Width = t->field("Width");
    LabFld.Height = t->field("Height");
    LabFld.HGap = t->field("HGap");
    LabFld.VGap = t->field("VGap");
    LabFld.NAcross = t->field("NAcross");
    LabFld.Continuous = t->field("Continuous");
    return FieldsBound("LABELS");
}

bool OpenPayments() {
    PmtTbl = OpenTable("PMT", "Pmt", "Pmt.Ntx");
    return PmtTbl && BindPaymentFields();
}

bool BindPaymentFields() {
    PmtFld.IvNo = PmtTbl->field("IvNo");
    PmtFld.PDate = PmtTbl->field("PDate");
    PmtFld.PAmt = PmtTbl->field("PAmt");
    return FieldsBound("PMT");
}

bool OpenProducts() {
    ProdTbl = OpenTable("Prod5", "Prod", "Prod.Ntx");
    return ProdTbl && BindProductFields();
}

bool BindProductFields() {
    xbase::Table* t = ProdTbl;
    ProdFld.PrID = t->field("PrID");
    ProdFld.RCode = t->field("RCode");
    ProdFld.PDesc = t->field("PDesc");
    ProdFld.UPrice = t->field("UPrice");
    ProdFld.LTax1 = t->field("LTax1");
    ProdFld.LTax2 = t->field("LTax2");
    ProdFld.lInven = t->field("lInven");
    ProdFld.IComm = t->field("IComm");
    ProdFld.PMemo = t->field("PMemo");
    return FieldsBound("Prod5");
}

bool OpenPurchases() {
    PurTbl = OpenTable("Pur5", "Pur", "Pur.Ntx");
    return PurTbl != nullptr;
}

void CloseAllTables() {
    DbContext->closeAll();
    CustTbl = GroupTbl = InvTbl = ItemTbl = LabTbl = PmtTbl = ProdTbl = PurTbl = SetTbl = nullptr;
}
