#include "db/read_write.h"

#include "core/convert.h"
#include "db/field_values.h"
#include "db/program_state.h"

void ReadCustomer() {
    const CustFields& f = CustFld;
    CustomerRecord& b = CustBuf;
    b.cuno = f.cuno->asInt();
    b.title = ReadText(f.title);
    b.first = ReadText(f.first);
    b.last = ReadText(f.last);
    b.addr1 = ReadText(f.addr1);
    b.addr2 = ReadText(f.addr2);
    b.addr3 = ReadText(f.addr3);
    b.addr4 = ReadText(f.addr4);
    b.zip = ReadText(f.zip);
    b.comments = ReadMemo(f.comments);
    b.ngroup = f.ngroup->asInt();
    b.note = ReadText(f.note);
    b.phone = ReadText(f.phone);
    b.fax = ReadText(f.fax);
    b.email = ReadText(f.email);
}

void WriteCustomer() {
    const CustFields& f = CustFld;
    const CustomerRecord& b = CustBuf;
    f.cuno->assignInt(b.cuno);
    WriteText(f.title, b.title);
    f.ngroup->assignInt(b.ngroup);
    WriteText(f.first, b.first);
    WriteText(f.last, b.last);
    WriteText(f.addr1, b.addr1);
    WriteText(f.addr2, b.addr2);
    WriteText(f.addr3, b.addr3);
    WriteText(f.addr4, b.addr4);
    WriteText(f.zip, b.zip);
    WriteMemo(f.comments, b.comments);
    WriteText(f.note, b.note);
    WriteText(f.phone, b.phone);
    WriteText(f.fax, b.fax);
    WriteText(f.email, b.email);
}

void ReadGroup() {
    GroupBuf.nGroup = GroupFld.nGroup->asInt();
    GroupBuf.cGroup = ReadText(GroupFld.cGroup);
}

void WriteGroup() {
    GroupFld.nGroup->assignInt(GroupBuf.nGroup);
    WriteText(GroupFld.cGroup, GroupBuf.cGroup);
}

void ReadInvoice() {
    const InvFields& f = InvFld;
    InvoiceRecord& b = InvBuf;
    b.IvNo = f.IvNo->asInt();
    b.CuNo = f.CuNo->asInt();
    b.Dept = ReadText(f.Dept);
    b.IDate = ReadDate(f.IDate);
    b.IMemo = ReadText(f.IMemo);
    b.Ship = f.Ship->asDouble();
    b.Tax = f.Tax->asDouble();
    b.Due = f.Due->asDouble();
    b.REM = ReadMemo(f.REM);
}

void WriteInvoice() {
    const InvFields& f = InvFld;
    const InvoiceRecord& b = InvBuf;
    f.IvNo->assignInt(b.IvNo);
    f.CuNo->assignInt(b.CuNo);
    WriteText(f.Dept, b.Dept);
    WriteDate(f.IDate, b.IDate);
    WriteText(f.IMemo, b.IMemo);
    f.Ship->assignDouble(b.Ship);
    f.Tax->assignDouble(b.Tax);
    f.Due->assignDouble(b.Due);
    WriteMemo(f.REM, b.REM);
}

void ReadItem() {
    const ItemFields& f = ItemFld;
    ItemRecord& b = ItemBuf;
    b.IvNo = f.IvNo->asInt();
    b.PrID = ReadText(f.PrID);
    b.Qty = f.Qty->asDouble();
    b.UPR = f.UPR->asDouble();
    b.LTax1 = f.LTax1->isTrue();
    b.LTax2 = f.LTax2->isTrue();
    b.PDesc = ReadText(f.PDesc);
    b.IComm = ReadText(f.IComm);
}

void WriteItem() {
    const ItemFields& f = ItemFld;
    const ItemRecord& b = ItemBuf;
    f.IvNo->assignInt(b.IvNo);
    WriteText(f.PrID, b.PrID);
    f.Qty->assignDouble(b.Qty);
    f.UPR->assignDouble(b.UPR);
    WriteLogical(f.LTax1, b.LTax1);
    WriteLogical(f.LTax2, b.LTax2);
    WriteText(f.PDesc, b.PDesc);
    WriteText(f.IComm, b.IComm);
    if (xbase::Field* lBuild = LookUpField(ItemTbl, "lBuild")) WriteLogical(lBuild, false);
    if (xbase::Field* backOrder = LookUpField(ItemTbl, "BackOrder")) backOrder->assignDouble(0);
}

void ReadLabel() {
    const LabFields& f = LabFld;
    LabelRecord& b = LabBuf;
    b.Name = ReadText(f.Name);
    b.TopM = f.TopM->asDouble();
    b.LeftM = f.LeftM->asDouble();
    b.BottomM = f.BottomM->asDouble();
    b.RightM = f.RightM->asDouble();
    b.Width = f.Width->asDouble();
    b.Height = f.Height->asDouble();
    b.HGap = f.HGap->asDouble();
    b.VGap = f.VGap->asDouble();
    b.NAcross = f.NAcross->asInt();
    b.Continuous = f.Continuous->isTrue();
}

void WriteLabel() {
    const LabFields& f = LabFld;
    const LabelRecord& b = LabBuf;
    WriteText(f.Name, b.Name);
    f.TopM->assignDouble(b.TopM);
    f.LeftM->assignDouble(b.LeftM);
    f.BottomM->assignDouble(b.BottomM);
    f.RightM->assignDouble(b.RightM);
    f.Width->assignDouble(b.Width);
    f.Height->assignDouble(b.Height);
    f.HGap->assignDouble(b.HGap);
    f.VGap->assignDouble(b.VGap);
    f.NAcross->assignInt(b.NAcross);
    WriteLogical(f.Continuous, b.Continuous);
}

void ReadPayment() {
    PmtBuf.IvNo = PmtFld.IvNo->asInt();
    PmtBuf.PDate = ReadDate(PmtFld.PDate);
    PmtBuf.PAmt = PmtFld.PAmt->asDouble();
}

void WritePayment() {
    PmtFld.IvNo->assignInt(PmtBuf.IvNo);
    WriteDate(PmtFld.PDate, PmtBuf.PDate);
    PmtFld.PAmt->assignDouble(PmtBuf.PAmt);
}

void ReadProduct() {
    const ProdFields& f = ProdFld;
    ProductRecord& b = ProdBuf;
    b.PrID = ReadText(f.PrID);
    b.RCode = ReadText(f.RCode);
    b.PDesc = ReadText(f.PDesc);
    b.UPrice = f.UPrice->asDouble();
    b.LTax1 = f.LTax1->isTrue();
    b.LTax2 = f.LTax2->isTrue();
    b.lInven = f.lInven->isTrue();
    b.IComm = ReadText(f.IComm);
    b.PMemo = ReadMemo(f.PMemo);
    const xbase::Field* reorder = LookUpField(ProdTbl, "REORDER");
    b.REORDER = reorder ? reorder->asDouble() : 0;
    const xbase::Field* onhand = LookUpField(ProdTbl, "ONHAND");
    b.ONHAND = onhand ? onhand->asDouble() : 0;
}

void WriteProduct() {
    const ProdFields& f = ProdFld;
    const ProductRecord& b = ProdBuf;
    WriteText(f.PrID, b.PrID);
    WriteText(f.RCode, b.RCode);
    WriteText(f.PDesc, b.PDesc);
    WriteText(f.IComm, b.IComm);
    WriteMemo(f.PMemo, b.PMemo);
    f.UPrice->assignDouble(b.UPrice);
    WriteLogical(f.LTax1, b.LTax1);
    WriteLogical(f.LTax2, b.LTax2);
    WriteLogical(f.lInven, b.lInven);
    if (xbase::Field* reorder = LookUpField(ProdTbl, "REORDER")) reorder->assignDouble(b.REORDER);
    if (xbase::Field* onhand = LookUpField(ProdTbl, "ONHAND")) onhand->assignDouble(b.ONHAND);
    if (xbase::Field* lBuild = LookUpField(ProdTbl, "lBuild")) WriteLogical(lBuild, false);
}

void ReadPurchase() {
    PurchaseRecord& b = PurBuf;
    const xbase::Field* prod = LookUpField(PurTbl, "PURProd");
    b.PURProd = prod ? ReadText(prod) : QString();
    const xbase::Field* date = LookUpField(PurTbl, "PURDate");
    b.PURDate = date ? ReadDate(date) : TextToDate(QString());
    const xbase::Field* qty = LookUpField(PurTbl, "PURQty");
    b.PURQty = qty ? qty->asDouble() : 0;
    const xbase::Field* cost = LookUpField(PurTbl, "PURCost");
    b.PURCost = cost ? cost->asDouble() : 0;
    const xbase::Field* no = LookUpField(PurTbl, "PURNo");
    b.PURNo = no ? no->asInt() : 0;
}

void WritePurchase() {
    const PurchaseRecord& b = PurBuf;
    if (xbase::Field* prod = LookUpField(PurTbl, "PURProd")) WriteText(prod, b.PURProd);
    if (xbase::Field* date = LookUpField(PurTbl, "PURDate")) WriteDate(date, b.PURDate);
    if (xbase::Field* qty = LookUpField(PurTbl, "PURQty")) qty->assignDouble(b.PURQty);
    if (xbase::Field* cost = LookUpField(PurTbl, "PURCost")) cost->assignDouble(b.PURCost);
    if (xbase::Field* no = LookUpField(PurTbl, "PURNo")) no->assignInt(b.PURNo);
}

void FindGroup() {
    GroupTbl->select(GroupTbl->tag("nGroup"));
    if (Seek(GroupTbl, PadNum(CustBuf.ngroup, 2)) == 0) {
        ReadGroup();
    } else {
        GroupBuf = {};
    }
}
