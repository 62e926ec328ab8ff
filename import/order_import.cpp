#include "import/order_import.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <optional>

#include "core/code_page.h"
#include "db/current_records.h"
#include "db/field_values.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "db/schema.h"

namespace {

constexpr int kAddressLines = 4;

// A field's text: UTF-8 when it is valid UTF-8, else one byte per character of the tables' code
// page.
QString Text(const std::string& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return utf8.hasError() ? FromCodePage(bytes) : text;
}

// Where a field holds a character the tables cannot store: "line L, field F: " and the message
// naming it; empty when every field can be stored.
QString UnstorableField(const std::vector<std::string>& fields, int lineNumber) {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (const QString foreign = FirstUnstorable(Text(fields[i])); !foreign.isEmpty())
            return QString("line %1, field %2: ").arg(lineNumber).arg(i) +
                   UnstorableMessage(foreign);
    }
    return {};
}

// How many characters a text field of a supplied table takes when the program writes it.
int FieldWidth(const char* table, const char* field) {
    return std::min(SuppliedSchema().table(table)->field(field)->length, kMaxTextWrite);
}

// Cuts `text` to the width of the field, telling the cut in *cuts as `what` with the width.
void CutToField(QString* text, const char* table, const char* field, const QString& what,
                QStringList* cuts) {
    const int width = FieldWidth(table, field);
    if (TrimRight(*text).size() <= width) return;
    const QString whole = *text;
    *text = text->left(width);
    cuts->append(QString("%1 (%2 characters): \"%3\", cut from \"%4\"")
                     .arg(what)
                     .arg(width)
                     .arg(TrimRight(*text), TrimRight(whole)));
}

QString Field(const InfoRecord& info, size_t index) {
    return Text(FieldAt(info.fields, index));
}

// The file path leads to, when that is in path's directory or below it; nothing when path is a
// link leading out of its directory, or names no file.
std::optional<QString> InsideItsDirectory(const QString& path) {
    const QFileInfo info(path);
    const QString target = info.canonicalFilePath();
    const QString dir = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (target.isEmpty() || dir.isEmpty() || !target.startsWith(dir + u'/')) return std::nullopt;
    return target;
}

// Reads a whole file of at most kMaxOrderFileSize bytes. A link to a file outside the import
// directory is refused before anything of it is read, so that no other file's lines are ever
// shown as an order.
bool ReadFile(const QString& path, std::string* content, QString* error) {
    const std::optional<QString> inside = InsideItsDirectory(path);
    if (!inside && QFileInfo::exists(path)) {
        *error = "The file " + path + " is a link to a file outside " +
                 QFileInfo(path).absolutePath() + " and is not imported.";
        return false;
    }
    QFile file(inside.value_or(path));
    if (!file.open(QIODevice::ReadOnly)) {
        *error = "The file " + path + " cannot be read: " + file.errorString();
        return false;
    }
    if (file.size() > kMaxOrderFileSize) {
        *error = "The file " + path + " is too large to be an order file.";
        return false;
    }
    const QByteArray bytes = file.read(kMaxOrderFileSize + 1);
    if (file.error() != QFileDevice::NoError) {
        *error = "The file " + path + " cannot be read: " + file.errorString();
        return false;
    }
    if (bytes.size() > kMaxOrderFileSize) {
        *error = "The file " + path + " is too large to be an order file.";
        return false;
    }
    *content = bytes.toStdString();
    return true;
}

// The text upper-cased and trimmed, as far as a field of `width` characters holds it.
QString Comparable(const QString& text, int width) {
    return text.trimmed().left(width).toUpper();
}

QString StoredComparable(const xbase::Field* field) {
    return ReadText(field).trimmed().toUpper();
}

// Positions Prod5 on the first live product whose code starts with `key`; false when none does.
bool SeekLiveProduct(const QString& key) {
    for (int rc = Seek(ProdTbl, key); rc == xbase::kFound; rc = ProdTbl->skip()) {
        if (!StoredComparable(ProdFld.PrID).startsWith(key)) return false;
        if (!ProdTbl->deleted()) return true;
    }
    return false;
}

}  // namespace

bool ReadOrderFiles(const QString& infoPath, const QString& orderPath, InfoRecord* info,
                    std::vector<OrderLine>* lines, QString* error) {
    std::string content;
    std::string why;
    if (!ReadFile(infoPath, &content, error)) return false;
    if (!ParseInfo(content, info, &why)) {
        *error = "The Info file " + infoPath + " cannot be imported: " + Text(why) + ".";
        return false;
    }
    if (const QString where = UnstorableField(info->fields, 1); !where.isEmpty()) {
        *error = "The Info file " + infoPath + " cannot be imported: " + where;
        return false;
    }
    if (!ReadFile(orderPath, &content, error)) return false;
    if (!ParseOrder(content, lines, &why)) {
        *error = "The Order file " + orderPath + " cannot be imported: " + Text(why) + ".";
        return false;
    }
    for (const OrderLine& line : *lines) {
        const QString where = UnstorableField(
            {{}, line.code, line.description, {}, {}, {}, {}, line.option}, line.lineNumber);
        if (!where.isEmpty()) {
            *error = "The Order file " + orderPath + " cannot be imported: " + where;
            return false;
        }
    }
    return true;
}

ImportedOrder BuildImportedOrder(const InfoRecord& info, const std::vector<OrderLine>& lines,
                                 const QString& fileName) {
    ImportedOrder order;
    CustomerRecord& c = order.customer;
    c.title = Field(info, kInfoTitle);
    c.first = Field(info, kInfoFirst);
    c.last = Field(info, kInfoLast);

    std::array<QString, kAddressLines> address;
    int k = 0;
    for (size_t pos : {kInfoAddr1, kInfoAddr2, kInfoAddr3}) {
        const QString line = Field(info, pos);
        if (!line.trimmed().isEmpty()) address[static_cast<size_t>(k++)] = line;
    }
    address[static_cast<size_t>(k)] = Field(info, kInfoCity) + ", " + Field(info, kInfoState);
    const QString country = Field(info, kInfoCountry);
    if (country != "US" && !country.trimmed().isEmpty()) {
        if (k + 1 < kAddressLines)
            address[static_cast<size_t>(k + 1)] = country;
        else
            order.countryLeftOut = country;
    }
    c.addr1 = address[0];
    c.addr2 = address[1];
    c.addr3 = address[2];
    c.addr4 = address[3];
    c.zip = Field(info, kInfoZip);
    c.note = Field(info, kInfoNote1) + " " + Field(info, kInfoNote2);
    c.phone = Field(info, kInfoPhone1) + " " + Field(info, kInfoPhone2);
    c.fax = Field(info, kInfoFax);
    c.email = Field(info, kInfoEmail);

    const QString payment = Field(info, kInfoPayment);
    order.memo = payment != "CREDIT" ? payment
                                     : Field(info, kInfoCard) + " x" + Field(info, kInfoCardMonth) +
                                           "/" + Field(info, kInfoCardYear);
    CutToField(&order.memo, "INV5", "IMemo", "Check/credit card text", &order.memoCuts);
    const struct {
        QString* text;
        const char* field;
        const char* what;
    } customerTexts[] = {{&c.title, "title", "Title"},
                         {&c.first, "first", "First name"},
                         {&c.last, "last", "Last name"},
                         {&c.addr1, "addr1", "Address line 1"},
                         {&c.addr2, "addr2", "Address line 2"},
                         {&c.addr3, "addr3", "Address line 3"},
                         {&c.addr4, "addr4", "Address line 4"},
                         {&c.zip, "zip", "Postal code"},
                         {&c.note, "note", "Note"},
                         {&c.phone, "phone", "Phone"},
                         {&c.fax, "fax", "Fax"},
                         {&c.email, "email", "Email"}};
    for (const auto& t : customerTexts)
        CutToField(t.text, "CUST5", t.field, "Customer " + QString(t.what).toLower(),
                   &order.customerCuts);
    QString& rem = order.remarks;
    rem = Field(info, kInfoRemark) + "\n" + fileName;
    if (const QString source = Field(info, kInfoSource); !source.isEmpty())
        rem += "\nSource: " + source;
    if (const QString more = Field(info, kInfoMoreNote); !more.isEmpty()) rem += "\n" + more;
    rem +=
        "\n\nTHANKS FOR YOUR ORDER.\n\n"
        "ALL DAMAGES AND SHORTAGES MUST BE REPORTED WITHIN 5 DAYS OF RECEIPT.";
    order.shipping = info.shipping;
    order.salesTax = info.salesTax;

    for (const OrderLine& line : lines) {
        ImportedItem item;
        item.code = Text(line.code);
        item.description = Text(line.description);
        item.comment = Text(line.option);
        item.quantity = QString::asprintf("%9.2f", line.quantity);
        item.price = QString::asprintf("%9.2f", line.price);
        item.tax2 = info.salesTax != 0;
        order.items.push_back(item);
    }
    return order;
}

void CutItemToFields(ImportedItem* item, QStringList* cuts) {
    const QString what = "Item " + item->code.trimmed() + ", ";
    CutToField(&item->description, "ITM5", "PDesc", what + "description", cuts);
    CutToField(&item->comment, "ITM5", "IComm", what + "comment line", cuts);
    CutToField(&item->code, "ITM5", "PrID", what + "product code", cuts);
}

bool MatchProduct(ImportedItem* item) {
    QString key = item->code.trimmed().toUpper();
    CurProdRec = 0;
    if (key.isEmpty()) return false;
    ProdTbl->select(ProdTbl->tag("Prod"));
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!SeekLiveProduct(key)) return false;
        if (StoredComparable(ProdFld.PrID) == key) {
            CurProdRec = static_cast<int32_t>(ProdTbl->recNo());
            ReadProduct();
            item->code = ProdBuf.PrID.trimmed();
            item->description = ProdBuf.PDesc.trimmed();
            item->comment = ProdBuf.IComm.trimmed();
            return true;
        }
        const QString option = item->comment.trimmed();
        if (option.isEmpty()) return false;
        key += option.at(0).toUpper();
    }
    return false;
}

CustomerMatch MatchCustomer(const CustomerRecord& imported) {
    CustomerMatch match;
    const QString last = Comparable(imported.last, CustFld.last->length());
    const QString first = Comparable(imported.first, CustFld.first->length());
    const QString zip = Comparable(imported.zip, CustFld.zip->length());
    CustTbl->select(CustTbl->tag("cname"));
    for (int rc = Seek(CustTbl, last); rc == xbase::kFound || rc == xbase::kAfter;
         rc = CustTbl->skip()) {
        if (StoredComparable(CustFld.last) != last) break;
        if (CustTbl->deleted() || StoredComparable(CustFld.first) != first ||
            StoredComparable(CustFld.zip) != zip)
            continue;
        if (match.rec != 0) {
            match.multiple = true;
            break;
        }
        match.rec = static_cast<int32_t>(CustTbl->recNo());
    }
    return match;
}
