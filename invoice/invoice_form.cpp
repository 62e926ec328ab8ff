#include "invoice/invoice_form.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>

#include "core/convert.h"
#include "core/prompt.h"
#include "db/current_records.h"
#include "db/field_values.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "import/import_dirs.h"
#include "import/order_import.h"
#include "invoice/invoice_data.h"
#include "invoice/invoice_store.h"
#include "invoice/invoice_totals.h"
#include "invoice/item_def.h"
#include "invoice/pick_pmt.h"
#include "invoice/pmt_def.h"
#include "masters/address_block.h"
#include "masters/customer_editor.h"
#include "masters/numbering.h"
#include "masters/pick_routines.h"
#include "ui/date_box.h"
#include "ui/form_help.h"
#include "ui/number_box.h"
#include "ui/number_entry.h"

std::function<void(QWidget* parent)> ShowInvoiceDocument;

namespace {

constexpr int kGridRows = 4;  // item rows the grid has at least
constexpr int kGridColumns = 6;
constexpr int kColumnWidths[kGridColumns] = {80, 216, 64, 72, 80, 48};

// The caption of a tax line: its label in the settings, or the form's own while none is set.
QString TaxLineCaption(const QString& label, const char* fallback) {
    const QString trimmed = label.trimmed();
    return (trimmed.isEmpty() ? QString(fallback) : trimmed) + u':';
}

// Which of the two taxes an item bears, for the grid's "Taxes" column: "1", "2", "1 2" or "".
QString TaxMarks(const ItemRow& row) {
    QStringList marks;
    if (row[kItemTax1] == "t") marks << "1";
    if (row[kItemTax2] == "t") marks << "2";
    return marks.join(' ');
}

QString Amount(double value) {
    return NumText(value, 10, 2);
}

// A read-only box for a computed amount.
QLineEdit* AmountBox(QWidget* form, const char* name) {
    QLineEdit* box = NamedEdit(form, name, 0);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    box->setAlignment(Qt::AlignRight);
    return box;
}

// Shows an amount, in red while it is negative.
void ShowAmount(QLineEdit* box, Cents cents) {
    box->setText(Amount(FromCents(cents)));
    QPalette palette = box->palette();
    palette.setColor(QPalette::Text,
                     cents < 0 ? QColor(255, 0, 0) : QApplication::palette().color(QPalette::Text));
    box->setPalette(palette);
}

// Tells what an import cut to fit the fields, one text a line; nothing when it cut nothing.
void TellCuts(QWidget* parent, const QStringList& cuts) {
    if (cuts.isEmpty()) return;
    prompt::information(parent,
                        "These texts of the order were longer than their fields and were "
                        "cut:\n" +
                            cuts.join(u'\n'));
}

// The last record of the table in its selected order, 0 when it is empty.
int32_t LastRecord(xbase::Table* table) {
    return table->bottom() == xbase::kFound ? static_cast<int32_t>(table->recNo()) : 0;
}

}  // namespace

TInvoice::TInvoice(QWidget* parent) : EditorForm("TInvoice", "Invoice", kHelpTopic, parent) {
    using Red = NumberBox::RedNegative;
    BtnCust = NamedButton(this, "BtnCust", "Customer");
    BtnCustEdit = NamedButton(this, "BtnCustEdit", "Edit");
    Edit1 = NamedEdit(this, "Edit1", 6);
    Edit1->setReadOnly(true);
    Edit1->setFocusPolicy(Qt::NoFocus);
    Edit2 = NamedEdit(this, "Edit2", 30);
    Edit3 = NamedEdit(this, "Edit3", 30);
    Edit4 = NamedEdit(this, "Edit4", 34);
    MaskEdit1 = new DateBox(this);
    MaskEdit1->setObjectName("MaskEdit1");
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    Memo1->setFocusPolicy(Qt::NoFocus);
    Memo2 = NamedMemo(this, "Memo2");

    StringGrid1 = new QTableWidget(kGridRows, kGridColumns, this);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->setHorizontalHeaderLabels(
        {"Product ID", "Description", "Price", "Quantity", "Total", "Taxes"});
    StringGrid1->verticalHeader()->hide();
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setTabKeyNavigation(false);
    int gridWidth =
        StringGrid1->verticalScrollBar()->sizeHint().width() + 2 * StringGrid1->frameWidth();
    for (int c = 0; c < kGridColumns; ++c) {
        StringGrid1->setColumnWidth(c, kColumnWidths[c]);
        gridWidth += kColumnWidths[c];
    }
    StringGrid1->setFixedSize(gridWidth,
                              StringGrid1->horizontalHeader()->sizeHint().height() +
                                  3 * StringGrid1->verticalHeader()->defaultSectionSize() +
                                  2 * StringGrid1->frameWidth());

    BAddItm = NamedButton(this, "BAddItm", "Add Item");
    BEditItm = NamedButton(this, "BEditItm", "Edit Item");
    BAddPmt = NamedButton(this, "BAddPmt", "Add Paym't");
    BEditPmt = NamedButton(this, "BEditPmt", "Edit Paym't");
    MaskEdit2 = AmountBox(this, "MaskEdit2");
    MaskEdit3 = new NumberBox("%10.2f", Red::OnEveryKey, this);
    MaskEdit3->setObjectName("MaskEdit3");
    MaskEdit4 = new NumberBox("%10.2f", Red::OnEveryKey, this);
    MaskEdit4->setObjectName("MaskEdit4");
    MaskEdit5 = AmountBox(this, "MaskEdit5");
    MaskEdit6 = AmountBox(this, "MaskEdit6");
    MaskEdit7 = AmountBox(this, "MaskEdit7");
    BtnImport = NamedButton(this, "BtnImport", "IMPORT");

    auto* grid = new QGridLayout;
    auto* customer = new QHBoxLayout;
    customer->addWidget(BtnCust);
    customer->addWidget(BtnCustEdit);
    customer->addStretch();
    customer->addWidget(NamedLabel(this, "Label1", "Invoice:"));
    customer->addWidget(Edit1);
    grid->addLayout(customer, 0, 0, 1, 4);
    grid->addWidget(Memo1, 1, 0, 4, 2);
    grid->addWidget(NamedLabel(this, "Label2", "Note"), 1, 2);
    grid->addWidget(Edit4, 1, 3);
    grid->addWidget(NamedLabel(this, "Label3", "Date Sold"), 2, 2);
    grid->addWidget(MaskEdit1, 2, 3);
    grid->addWidget(NamedLabel(this, "Label4", "Department"), 3, 2);
    grid->addWidget(Edit2, 3, 3);
    grid->addWidget(NamedLabel(this, "Label5", "Check/Credit Card:"), 4, 2);
    grid->addWidget(Edit3, 4, 3);
    grid->addWidget(StringGrid1, 5, 0, 1, 4);
    auto* rowButtons = new QHBoxLayout;
    for (QPushButton* b : {BAddItm, BEditItm, BAddPmt, BEditPmt}) rowButtons->addWidget(b);
    rowButtons->addStretch();
    grid->addLayout(rowButtons, 6, 0, 1, 4);
    grid->addWidget(Memo2, 7, 0, 6, 2);
    const struct {
        const char* label;
        const char* caption;
        QWidget* box;
    } amounts[] = {{"Label6", "Subtotal:", MaskEdit2},  {"Label7", "Shipping:", MaskEdit3},
                   {"Label8", "Sales Tax:", MaskEdit4}, {"Label9", "Total:", MaskEdit5},
                   {"Label10", "Payments:", MaskEdit6}, {"Label11", "Amount Due:", MaskEdit7}};
    for (int i = 0; i < 6; ++i) {
        QLabel* label = NamedLabel(this, amounts[i].label, amounts[i].caption);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(label, 7 + i, 2);
        grid->addWidget(amounts[i].box, 7 + i, 3);
    }
    Label7 = findChild<QLabel*>("Label7");
    Label8 = findChild<QLabel*>("Label8");

    QHBoxLayout* buttons = AddFormButtons(grid, [this] { BtnDeleteClick(); });
    BtnPrint = NamedButton(this, "BtnPrint", "Print");
    if (!ShowInvoiceDocument) {
        BtnPrint->setEnabled(false);
        BtnPrint->setToolTip("Printing an invoice is not available here.");
    }
    buttons->insertWidget(buttons->indexOf(BtnSave) + 1, BtnPrint);
    buttons->insertWidget(0, BtnImport);
    BtnHelp = NamedButton(this, "BtnHelp", "Help");
    buttons->addWidget(BtnHelp);

    SetTabOrder({BtnCust,  Edit4,     MaskEdit1, Edit2,     Edit3,     StringGrid1, BAddItm,
                 BEditItm, BAddPmt,   BEditPmt,  MaskEdit3, MaskEdit4, Memo2,       BtnSave,
                 BtnPrint, BtnDelete, BtnCancel, Edit1,     BtnImport, BtnCustEdit, BtnHelp});

    connect(BtnPrint, &QPushButton::clicked, this, [this] { BtnPrintClick(); });
    connect(BtnCust, &QPushButton::clicked, this, [this] { BtnCustClick(); });
    connect(BtnCustEdit, &QPushButton::clicked, this, [this] { BtnCustEditClick(); });
    connect(BAddItm, &QPushButton::clicked, this, [this] { BAddItmClick(); });
    connect(BEditItm, &QPushButton::clicked, this, [this] { EditItem(); });
    connect(StringGrid1, &QTableWidget::cellDoubleClicked, this, [this] { EditItem(); });
    connect(BAddPmt, &QPushButton::clicked, this, [this] { BAddPmtClick(); });
    connect(BEditPmt, &QPushButton::clicked, this, [this] { BEditPmtClick(); });
    connect(BtnImport, &QPushButton::clicked, this, [this] { BtnImportClick(); });
    connect(MaskEdit3, &NumberBox::left, this, [this] { MaskEdit3Exit(); });
    connect(MaskEdit4, &NumberBox::left, this, [this] { MaskEdit4Exit(); });
    connect(BtnHelp, &QPushButton::clicked, this, [] { RequestHelp(kHelpTopic); });
}

void TInvoice::FormShow() {
    Label7->setText(TaxLineCaption(SettingsRecord.ShipLine, "Shipping"));
    Label8->setText(TaxLineCaption(SettingsRecord.TaxLine, "Sales Tax"));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    StringGrid1->setRowCount(kGridRows);
    ClearInvoiceRows();
    AddressLines = {};
    bool loaded = false;
    if (CurInvRec > 0) {
        loaded = LoadInvoice(CurInvRec);
        if (!loaded) {
            CurInvRec = 0;
            QApplication::restoreOverrideCursor();
            prompt::information(this,
                                "The invoice cannot be read from the invoice table; a new "
                                "invoice is started instead.");
            QApplication::setOverrideCursor(Qt::WaitCursor);
        }
    }
    if (!loaded) NewInvoice();
    storedRec_ = loaded ? CurInvRec : 0;
    newCustomer_.reset();
    BtnDelete->setEnabled(loaded);
    ShowInvoice();
    ShowCustomer();
    QApplication::restoreOverrideCursor();
    BtnCust->setFocus();
}

void TInvoice::NewInvoice() {
    InvBuf = {};
    InvBuf.IvNo = NextInvoiceNo();
    InvBuf.IDate = DateValue(QDate::currentDate());
    ClearInvoiceRows();
    AddressLines = {};
    newCustomer_.reset();
}

void TInvoice::ShowInvoice() {
    Edit1->setText(InvKey(InvBuf.IvNo));
    Edit2->setText(InvBuf.Dept.trimmed());
    Edit3->setText(InvBuf.IMemo.trimmed());
    MaskEdit1->setValue(InvBuf.IDate);
    Memo2->setPlainText(TrimRight(InvBuf.REM));
    MaskEdit3->setValue(InvBuf.Ship);
    MaskEdit4->setValue(InvBuf.Tax);

    StringGrid1->clearContents();
    if (StringGrid1->rowCount() < ItemHigh() + 1) StringGrid1->setRowCount(ItemHigh() + 1);
    for (int i = 0; i <= ItemHigh(); ++i) {
        const ItemRow& row = ItemRows[static_cast<size_t>(i)];
        const QString texts[kGridColumns] = {row[kItemPrID],
                                             row[kItemDesc],
                                             row[kItemPrice],
                                             row[kItemQty],
                                             Amount(FromCents(LineTotal(row))),
                                             TaxMarks(row)};
        for (int c = 0; c < kGridColumns; ++c) {
            auto* cell = new QTableWidgetItem(texts[c].trimmed());
            if (c >= 2 && c <= 4) cell->setTextAlignment(kNumberAlignment);
            StringGrid1->setItem(i, c, cell);
        }
    }
    const Cents subtotal = SumLineTotals(ItemRows);
    InvSubtotal = FromCents(subtotal);
    InvTotal = FromCents(subtotal + ToCents(InvBuf.Ship) + ToCents(InvBuf.Tax));
    ShowAmount(MaskEdit2, subtotal);
    ShowAmount(MaskEdit5, ToCents(InvTotal));
    ShowPayments();
}

void TInvoice::ShowCustomer() {
    Memo1->clear();
    Edit4->clear();
    if (InvBuf.CuNo == 0) return;
    QString address;
    for (const QString& line : AddressLines) address += line + "\r\n";
    Memo1->setPlainText(address);
    Edit4->setText(CustBuf.note.trimmed());
}

void TInvoice::ShowPayments() {
    const Cents paid = SumPayments(PmtRows);
    InvPaid = FromCents(paid);
    ShowAmount(MaskEdit6, paid);
    const Cents due = ToCents(InvTotal) - paid;
    InvBuf.Due = FromCents(due);
    ShowAmount(MaskEdit7, due);
}

void TInvoice::ShowTotals() {
    const Cents total = SumLineTotals(ItemRows) + ToCents(InvBuf.Ship) + ToCents(InvBuf.Tax);
    InvTotal = FromCents(total);
    ShowAmount(MaskEdit5, total);
    const Cents due = total - ToCents(InvPaid);
    InvBuf.Due = FromCents(due);
    ShowAmount(MaskEdit7, due);
}

void TInvoice::ComputeTaxes() {
    const std::optional<Taxes> taxes =
        ::ComputeTaxes(ItemRows, SettingsRecord, {InvBuf.Ship, InvBuf.Tax});
    if (!taxes) return;
    InvBuf.Ship = taxes->ship;
    InvBuf.Tax = taxes->tax;
    MaskEdit3->setValue(InvBuf.Ship);
    MaskEdit4->setValue(InvBuf.Tax);
}

void TInvoice::MaskEdit3Exit() {
    bool ok = false;
    const double value = MaskEdit3->value(&ok);
    if (!ok) return;
    InvBuf.Ship = value;
    ShowTotals();
}

void TInvoice::MaskEdit4Exit() {
    bool ok = false;
    const double value = MaskEdit4->value(&ok);
    if (!ok) return;
    InvBuf.Tax = value;
    ShowTotals();
}

void TInvoice::BtnCustClick() {
    if (InvBuf.CuNo == 0 || newCustomer_) {
        CustTbl->select(CustTbl->tag(SettingsRecord.ByCust ? "cname" : "cComp"));
        CurCustRec = CustTbl->top() == xbase::kFound ? static_cast<int32_t>(CustTbl->recNo()) : 0;
    }
    if (!PickCustomer(true, nullptr, this)) return;
    newCustomer_.reset();
    CustTbl->go(static_cast<uint32_t>(CurCustRec));
    ReadCustomer();
    InvBuf.CuNo = CustBuf.cuno;
    CustAddressBlock();
    ShowCustomer();
}

void TInvoice::BtnCustEditClick() {
    if (InvBuf.CuNo == 0) {
        prompt::information(this, "Customer not selected");
        return;
    }
    if (newCustomer_) {
        prompt::information(this,
                            "The new customer is stored when the invoice is saved; it can be "
                            "edited after that.");
        return;
    }
    CustTbl->select(CustTbl->tag("CCNO"));
    if (Seek(CustTbl, InvKey(InvBuf.CuNo)) != xbase::kFound) return;
    CurCustRec = static_cast<int32_t>(CustTbl->recNo());
    {
        TCustomer editor(this);
        editor.exec();
    }
    if (CurCustRec <= 0) return;
    CustTbl->go(static_cast<uint32_t>(CurCustRec));
    ReadCustomer();
    CustAddressBlock();
    ShowCustomer();
}

void TInvoice::BAddItmClick() {
    ProdTbl->select(ProdTbl->tag("Prod"));
    CurProdRec = ProdTbl->top() == xbase::kFound ? static_cast<int32_t>(ProdTbl->recNo()) : 0;
    if (!PickProduct(true, nullptr, this)) return;
    ProdTbl->go(static_cast<uint32_t>(CurProdRec));
    ReadProduct();
    ItemRow row;
    row[kItemPrID] = ProdBuf.PrID;
    row[kItemDesc] = ProdBuf.PDesc;
    row[kItemComment] = ProdBuf.IComm;
    row[kItemTax1] = TaxFlag(ProdBuf.LTax1);
    row[kItemTax2] = TaxFlag(ProdBuf.LTax2);
    row[kItemPrice] = QString::asprintf("%8.2f", ProdBuf.UPrice);
    row[kItemQty] = QString::asprintf("%9.2f", 1.0);
    row[kItemRCode] = ProdBuf.RCode.trimmed();
    row[kItemPMemo] = ProdBuf.PMemo.trimmed();
    TItemDef dialog(this);
    dialog.setRow(row);
    dialog.exec();
    if (ItemResult == 1) ItemRows.push_back(dialog.row());
    ComputeTaxes();
    ShowInvoice();
}

void TInvoice::EditItem() {
    const int i = StringGrid1->currentRow();
    if (i < 0 || i > ItemHigh()) return;
    TItemDef dialog(this);
    dialog.setRow(ItemRows[static_cast<size_t>(i)]);
    dialog.exec();
    if (ItemResult == 1)
        ItemRows[static_cast<size_t>(i)] = dialog.row();
    else if (ItemResult == 2)
        ItemRows.erase(ItemRows.begin() + i);
    else
        return;
    ComputeTaxes();
    ShowInvoice();
}

void TInvoice::BAddPmtClick() {
    TPmtDef dialog(this);
    // A payment usually settles what is due.
    const double due = InvBuf.Due > 0 ? InvBuf.Due : 0.0;
    dialog.setPayment({DateToShortText(DateValue(QDate::currentDate())), Amount(due)}, false);
    dialog.exec();
    if (PmtResult != 1) return;
    PmtRows.push_back(dialog.payment());
    ShowPayments();
}

void TInvoice::BEditPmtClick() {
    if (PmtHigh() < 0) return;
    {
        TPickPmt list(this);
        list.exec();
    }
    ShowPayments();
}

bool TInvoice::TakeForm() {
    double date = 0;
    double ship = 0;
    double tax = 0;
    if (!TakeDate(MaskEdit1, &date) || !TakeNumber(MaskEdit3, &ship) ||
        !TakeNumber(MaskEdit4, &tax))
        return false;
    InvBuf.IDate = date;
    InvBuf.Dept = Edit2->text();
    InvBuf.IMemo = Edit3->text();
    InvBuf.REM = Memo2->toPlainText();
    InvBuf.Ship = ship;
    InvBuf.Tax = tax;
    InvBuf.Due = FromCents(ComputeSums(ItemRows, PmtRows, ship, tax).due);
    return true;
}

// Prints what the form shows; nothing is stored.
void TInvoice::BtnPrintClick() {
    if (!TakeForm()) return;
    ShowInvoiceDocument(this);
}

void TInvoice::ClearInvoice() {
    ClearInvoiceRows();
    AddressLines = {};
    StringGrid1->setRowCount(kGridRows);
    StringGrid1->clearContents();
}

void TInvoice::BtnSaveClick() {
    if (InvBuf.CuNo == 0) {
        prompt::information(this, "Customer selection required before saving.");
        return;
    }
    if (!TakeForm()) return;
    if (storedRec_ <= 0) {
        InvBuf.IvNo = NextInvoiceNo();
        if (InvBuf.IvNo == 1) {
            const std::optional<QString> answer = prompt::input(
                this, "FIRST INVOICE", "What invoice number would you like to start with?", "1");
            bool ok = false;
            const int first = answer ? answer->trimmed().toInt(&ok) : 0;
            InvBuf.IvNo = ok ? first : 1;
        }
    }
    int32_t saved = 0;
    QString error;
    if (!StoreInvoice(storedRec_, Edit4->text(), &saved, &error,
                      newCustomer_ ? &*newCustomer_ : nullptr)) {
        prompt::information(this, error);
        Edit1->setText(InvKey(InvBuf.IvNo));
        return;
    }
    newCustomer_.reset();
    ClearInvoice();
    if (storedRec_ >= 1) {
        accept();
        return;
    }
    if (!prompt::question(this, "Add another invoice?")) {
        CurInvRec = saved;
        accept();
        return;
    }
    NewInvoice();
    ShowInvoice();
    ShowCustomer();
    BtnDelete->setEnabled(false);
    MarkUnchanged();
    BtnCust->setFocus();
}

void TInvoice::BtnDeleteClick() {
    // Payments are records of money received: they go only when the user agrees.
    if (!PmtRows.empty()) {
        const int count = static_cast<int>(PmtRows.size());
        const QString question =
            QString(
                "Invoice %1 has %2 (%3 in all). Deleting the invoice deletes %4 too.\n\n"
                "Delete invoice %1?")
                .arg(QString::number(InvBuf.IvNo),
                     count == 1 ? QString("1 payment") : QString("%1 payments").arg(count),
                     Amount(FromCents(SumPayments(PmtRows))).trimmed(),
                     count == 1 ? QString("it") : QString("them"));
        if (!prompt::confirmLoss(this, question)) return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString error;
    const bool removed = RemoveInvoice(storedRec_, InvBuf.IvNo, &error);
    QApplication::restoreOverrideCursor();
    if (!removed) {
        prompt::information(this, error);
        return;
    }
    ClearInvoice();
    CurCustRec = LastRecord(CustTbl);
    InvTbl->select(InvTbl->tag("Inv"));
    CurInvRec = LastRecord(InvTbl);
    accept();
}

void TInvoice::BtnImportClick() {
    if (!ReadImportDirs()) return;
    NewInvoice();
    storedRec_ = 0;
    BtnDelete->setEnabled(false);
    ShowInvoice();
    ShowCustomer();
    if (InfoDir.size() < 3 || OrderDir.size() < 3) {
        prompt::information(this,
                            "Directories containing Info and Order files must be selected proir "
                            "to using the Import function. See Preferences/Import Dir's");
        return;
    }
    const std::optional<QString> chosen =
        prompt::openFileName(this, "Import an Order", InfoDir, "All files (*)", kOrderFilesTopic);
    if (!chosen) return;
    const QString name = QFileInfo(*chosen).fileName();
    if (name.isEmpty()) return;
    const QString infoPath = QDir(InfoDir).filePath(name);
    const QString orderPath = QDir(OrderDir).filePath(name);
    for (const QString& path : {infoPath, orderPath}) {
        if (!QFileInfo(path).isFile()) {
            prompt::information(this, path + " Not Found");
            return;
        }
    }
    InfoRecord info;
    std::vector<OrderLine> lines;
    QString error;
    if (!ReadOrderFiles(infoPath, orderPath, &info, &lines, &error)) {
        prompt::information(this, error);
        return;
    }
    ShowImportedOrder(BuildImportedOrder(info, lines, name));
}

void TInvoice::ShowImportedOrder(const ImportedOrder& order) {
    CustBuf = order.customer;
    if (!order.countryLeftOut.isEmpty())
        prompt::information(this,
                            "Could not import full address: Country = " + order.countryLeftOut);
    InvBuf.IMemo = order.memo;
    InvBuf.REM = order.remarks;
    InvBuf.Ship = order.shipping;
    InvBuf.Tax = order.salesTax;
    QStringList cuts = order.memoCuts;
    for (ImportedItem item : order.items) {
        const QString orderCode = item.code.trimmed().toUpper();
        const QString orderDescription = item.description;
        if (!MatchProduct(&item))
            prompt::warning(this, "Item " + orderCode + " - " + orderDescription +
                                      " NOT FOUND IN PRODUCT DATABASE");
        CutItemToFields(&item, &cuts);
        ItemRow row;
        row[kItemPrID] = item.code;
        row[kItemQty] = item.quantity;
        row[kItemPrice] = item.price;
        row[kItemTax1] = TaxFlag(false);
        row[kItemTax2] = TaxFlag(item.tax2);
        row[kItemDesc] = item.description;
        row[kItemComment] = item.comment;
        ItemRows.push_back(row);
    }

    const CustomerMatch match = MatchCustomer(order.customer);
    if (match.rec > 0) {
        CustTbl->go(static_cast<uint32_t>(match.rec));
        ReadCustomer();
        CurCustRec = match.rec;
        InvBuf.CuNo = CustBuf.cuno;
        CustAddressBlock();
        ShowCustomer();
        ShowInvoice();
        if (match.multiple) prompt::warning(this, "Multiple Matches on Name / Zip");
        TellCuts(this, cuts);
        return;
    }

    // A customer not stored yet: shown while its group is chosen.
    TellCuts(this, cuts + order.customerCuts);
    CustAddressBlock();
    QString address;
    for (const QString& line : AddressLines) address += line + "\r\n";
    Memo1->setPlainText(address);
    Edit4->setText(CustBuf.note.trimmed());
    ShowInvoice();
    GroupTbl->select(GroupTbl->tag("nGroup"));
    CurGroupRec = GroupTbl->top() == xbase::kFound ? static_cast<int32_t>(GroupTbl->recNo()) : 0;
    const QString name = (CustBuf.first.trimmed() + " " + CustBuf.last.trimmed()).trimmed();
    if (!PickGroupSaying("The order's customer, " + name +
                             ", is not in the customer list yet. Choose the group to add them "
                             "to; Cancel imports the order without a customer.",
                         true, this)) {
        CustBuf.cuno = 0;
        InvBuf.CuNo = 0;
        Memo1->clear();
        Edit4->clear();
        return;
    }
    GroupTbl->go(static_cast<uint32_t>(CurGroupRec));
    ReadGroup();
    CustBuf = order.customer;
    CustBuf.ngroup = GroupBuf.nGroup;
    CustBuf.cuno = NextCustNo();
    InvBuf.CuNo = CustBuf.cuno;
    newCustomer_ = CustBuf;
    ShowCustomer();
}
