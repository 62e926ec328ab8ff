#include "db/upgrade.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "core/dates.h"
#include "core/prompt.h"
#include "db/file_copy.h"
#include "db/maintenance.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "db/staged_files.h"
#include "db/taken_tables.h"

namespace {

void ShowProgress(bool visible, const QString& caption) {
    if (Progress.show) Progress.show(visible, caption);
}

void SetProgress(int percent) {
    if (Progress.set) Progress.set(percent);
}

// Old tables of the current layout, copied under the current names; then the old product table,
// kept in the data directory under its own name.
const std::pair<const char*, const char*> kCopiedTables[] = {
    {"groups", "GROUPS"}, {"labels", "LABELS"}, {"Pmt", "PMT"}, {"Prod4", "Prod4"}};

// The fields the conversion reads from each old table it converts, with the types it can read
// them as; a date may also have been kept as its "yyyymmdd" text.
const std::vector<std::pair<const char*, std::vector<WantedField>>>& ConvertedLayouts() {
    static const std::vector<std::pair<const char*, std::vector<WantedField>>> layouts = {
        {"Prod4",
         {{"Prid", "C"},
          {"RCode", "C"},
          {"PDesc", "C"},
          {"UPrice", "N"},
          {"LTax1", "L"},
          {"LTax2", "L"},
          {"IComm", "C"},
          {"PMemo", "M"}}},
        {"cust2",
         {{"CuNo", "N"},
          {"NGroup", "N"},
          {"Title", "C"},
          {"First", "C"},
          {"Last", "C"},
          {"Addr1", "C"},
          {"Addr2", "C"},
          {"Addr3", "C"},
          {"Addr4", "C"},
          {"Zip", "C"},
          {"Comments", "M"},
          {"Note", "C"}}},
        {"inv",
         {{"IvNo", "N"},
          {"CuNo", "N"},
          {"IDate", "DC"},
          {"IMemo", "C"},
          {"REM", "M"},
          {"Ship", "N"},
          {"Tax", "N"},
          {"Due", "N"}}},
        {"itm4",
         {{"IvNo", "N"},
          {"Prid", "C"},
          {"IComm", "C"},
          {"Qty", "N"},
          {"UPR", "N"},
          {"LTax1", "L"},
          {"LTax2", "L"}}},
    };
    return layouts;
}

// The tables the conversion writes, emptied copies of the current ones.
const QStringList kConvertedTables = {"Prod5", "CUST5", "INV5", "ITM5"};

// A product identifier as the product tag compares it: in capitals, trailing blanks aside.
QString ProductKey(const QString& id) {
    QString key = id.toUpper();
    while (key.endsWith(' ')) key.chop(1);
    return key;
}

// Why the conversion stopped.
struct Stop {
    QString reason;
};

// Makes the staging directory the engine's working directory while it lives, so that the
// program's open, read and write operations work on the staged tables.
class WorkIn {
public:
    explicit WorkIn(const QString& dir)
        : previous_(std::exchange(
              DbContext, std::make_unique<xbase::Context>(QFile::encodeName(dir).toStdString(),
                                                          DbContext->env()))) {
        DbContext->setAutoOpen(false);
        DbContext->setAccessMode(1);
    }
    ~WorkIn() {
        CloseAllTables();
        DbContext = std::move(previous_);
    }
    WorkIn(const WorkIn&) = delete;
    WorkIn& operator=(const WorkIn&) = delete;

private:
    std::unique_ptr<xbase::Context> previous_;
};

// Throws Stop with the engine's pending error when there is one.
void CheckEngine(const QString& what) {
    const std::string text = DbContext->errorText();
    if (DbContext->errorCode() < 0) throw Stop{what + ": " + QString::fromStdString(text)};
}

xbase::Table* OpenAlone(const QString& name) {
    // A failure left pending by closing the tables before is theirs, not this table's.
    CheckEngine("cannot write the tables converted before " + name);
    xbase::Table* t = DbContext->open(name.toStdString());
    if (!t) CheckEngine("cannot open " + name);
    return t;
}

// The fields of an old table, looked up by name; a missing one stops the conversion.
class OldRecord {
public:
    OldRecord(xbase::Table* table, QString name) : table_(table), name_(std::move(name)) {}
    xbase::Field* field(const char* fieldName) const {
        xbase::Field* f = table_->field(fieldName);
        if (!f) {
            DbContext->errorCode();
            throw Stop{name_ + " has no field " + fieldName};
        }
        return f;
    }
    QString text(const char* n) const { return QString::fromStdString(field(n)->str()); }
    QString memo(const char* n) const { return QString::fromStdString(field(n)->memo()); }
    int number(const char* n) const { return field(n)->asInt(); }
    double amount(const char* n) const { return field(n)->asDouble(); }
    bool flag(const char* n) const { return field(n)->isTrue(); }

private:
    xbase::Table* table_;
    QString name_;
};

// Empties a staged table and appends one converted record for each live record of the old
// table, setting the progress from `base` over `span` percent.
void Convert(const QString& oldName, xbase::Table* target,
             const std::function<void(const OldRecord&)>& convert, int base, int span) {
    xbase::Table* old = OpenAlone(oldName);
    if (target->zap(1, target->recCount()) < 0)
        CheckEngine("cannot empty " + QString::fromStdString(target->name()));
    if (DbContext->env()->exists(DbContext->resolve(target->name() + ".dbt")) &&
        target->memoCompress() < 0)
        CheckEngine("cannot compact " + QString::fromStdString(target->name()));
    const uint32_t count = old->recCount();
    const OldRecord record(old, oldName);
    for (uint32_t n = 1; n <= count; ++n) {
        if (old->go(n) < 0) CheckEngine("cannot read " + oldName);
        // Records the earlier product had deleted are not brought back.
        if (old->deleted()) continue;
        if (target->appendBlank() < 0)
            CheckEngine("cannot append to " + QString::fromStdString(target->name()));
        convert(record);
        SetProgress(base + int(span * double(n) / count));
    }
    if (target->flush() < 0) CheckEngine("cannot write " + QString::fromStdString(target->name()));
    old->close();
    CheckEngine("cannot convert " + oldName);
}

void ConvertProducts(std::map<QString, QString>* descriptions) {
    ProdTbl = OpenAlone("Prod5");
    if (!BindProductFields()) throw Stop{"Prod5 lacks one of its fields"};
    Convert(
        "Prod4", ProdTbl,
        [descriptions](const OldRecord& r) {
            ProdBuf = {};
            ProdBuf.PrID = r.text("Prid");
            ProdBuf.RCode = r.text("RCode");
            ProdBuf.PDesc = r.text("PDesc");
            ProdBuf.UPrice = r.amount("UPrice");
            ProdBuf.LTax1 = r.flag("LTax1");
            ProdBuf.LTax2 = r.flag("LTax2");
            ProdBuf.IComm = r.text("IComm");
            ProdBuf.PMemo = r.memo("PMemo");
            ProdBuf.lInven = false;
            WriteProduct();
            descriptions->emplace(ProductKey(ProdBuf.PrID), ProdBuf.PDesc);
        },
        20, 5);
    CloseAllTables();
}

void ConvertCustomers() {
    CustTbl = OpenAlone("CUST5");
    if (!BindCustomerFields()) throw Stop{"CUST5 lacks one of its fields"};
    Convert(
        "cust2", CustTbl,
        [](const OldRecord& r) {
            CustBuf = {};
            CustBuf.cuno = r.number("CuNo");
            CustBuf.ngroup = r.number("NGroup");
            CustBuf.title = r.text("Title");
            CustBuf.first = r.text("First");
            CustBuf.last = r.text("Last");
            CustBuf.addr1 = r.text("Addr1");
            CustBuf.addr2 = r.text("Addr2");
            CustBuf.addr3 = r.text("Addr3");
            CustBuf.addr4 = r.text("Addr4");
            CustBuf.zip = r.text("Zip");
            CustBuf.comments = r.memo("Comments");
            CustBuf.note = r.text("Note");
            WriteCustomer();
        },
        25, 25);
    CloseAllTables();
}

void ConvertInvoices() {
    InvTbl = OpenAlone("INV5");
    if (!BindInvoiceFields()) throw Stop{"INV5 lacks one of its fields"};
    Convert(
        "inv", InvTbl,
        [](const OldRecord& r) {
            InvBuf = {};
            InvBuf.IvNo = r.number("IvNo");
            InvBuf.CuNo = r.number("CuNo");
            InvBuf.IDate = TextToDate(r.text("IDate"));
            InvBuf.IMemo = r.text("IMemo");
            InvBuf.REM = r.memo("REM").trimmed();
            InvBuf.Ship = r.amount("Ship");
            InvBuf.Tax = r.amount("Tax");
            InvBuf.Due = r.amount("Due");
            WriteInvoice();
        },
        50, 25);
    CloseAllTables();
}

void ConvertItems() {
    ItemTbl = OpenAlone("ITM5");
    if (!BindItemFields()) throw Stop{"ITM5 lacks one of its fields"};
    Convert(
        "itm4", ItemTbl,
        [](const OldRecord& r) {
            ItemBuf = {};
            ItemBuf.IvNo = r.number("IvNo");
            ItemBuf.PrID = r.text("Prid");
            ItemBuf.IComm = r.text("IComm");
            ItemBuf.Qty = r.amount("Qty");
            ItemBuf.UPR = r.amount("UPR");
            ItemBuf.LTax1 = r.flag("LTax1");
            ItemBuf.LTax2 = r.flag("LTax2");
            WriteItem();
        },
        75, 25);
    CloseAllTables();
}

// Gives every item the description of its product; an item whose product is not there keeps
// an empty one.
void TransferDescriptions(const std::map<QString, QString>& descriptions) {
    ShowProgress(true, "Transferring Item Descriptions");
    ItemTbl = OpenAlone("ITM5");
    if (!BindItemFields()) throw Stop{"ITM5 lacks one of its fields"};
    const uint32_t count = ItemTbl->recCount();
    for (uint32_t n = 1; n <= count; ++n) {
        if (ItemTbl->go(n) < 0) CheckEngine("cannot read ITM5");
        ReadItem();
        const auto found = descriptions.find(ProductKey(ItemBuf.PrID));
        if (found != descriptions.end()) {
            ItemBuf.PDesc = found->second;
            WriteItem();
        }
        SetProgress(int(100.0 * n / count));
    }
    if (ItemTbl->flush() < 0) CheckEngine("cannot write ITM5");
    CloseAllTables();
    CheckEngine("cannot write ITM5");
}

// Checks every old table staged in `stagingDir` before any is converted or copied over the
// current ones: those taken as they are against the current layout, the others for the fields
// the conversion reads. Each is named by the file in `dir` it came from.
void CheckOldTables(const QString& stagingDir, const QString& dir) {
    xbase::Context staged(QFile::encodeName(stagingDir).toStdString(), DbContext->env());
    QStringList problems;
    for (const auto& [oldName, newName] : kCopiedTables) {
        if (QString(newName) == "Prod4") continue;  // converted: checked below
        problems << CheckTakenTable(&staged, newName,
                                    FindInDirectory(dir, QString(oldName) + ".dbf"),
                                    SuppliedFields(newName));
    }
    for (const auto& [oldName, wanted] : ConvertedLayouts())
        problems << CheckTakenTable(&staged, oldName,
                                    FindInDirectory(dir, QString(oldName) + ".dbf"), wanted);
    if (!problems.isEmpty())
        throw Stop{"The tables in " + dir + " cannot be converted:\n" +
                   FirstProblems(problems).join('\n')};
}

// Copies a file into the staging directory; a memo file only where there is one.
void Stage(const QString& from, const QString& to, bool optional = false) {
    if (optional && !QFileInfo::exists(from)) return;
    QString reason;
    if (!CopyVerified(from, to, &reason)) throw Stop{reason};
}

}  // namespace

QStringList OldTableNames() {
    return {"cust2.dbf", "Groups.dbf", "inv.dbf", "itm4.dbf", "labels.dbf", "pmt.dbf", "Prod4.dbf"};
}

bool UpgradeData(const QString& dir) {
    for (const QString& name : OldTableNames()) {
        if (!QFileInfo::exists(FindInDirectory(dir, name))) {
            prompt::information(nullptr, "Data files not found in " + dir);
            return true;
        }
    }
    if (!prompt::warningConfirm(nullptr,
                                "Warning: All previously entered data will be overwritten"))
        return true;
    ShowProgress(true, "Converting Data Files");
    SetProgress(5);
    QString failure;
    {
        StagedFiles staged;
        try {
            if (!staged.ok()) throw Stop{staged.error()};
            const QString data = QDir::currentPath();
            QStringList files;
            int progress = 10;
            for (const auto& [oldName, newName] : kCopiedTables) {
                Stage(FindInDirectory(dir, QString(oldName) + ".dbf"),
                      staged.path(QString(newName) + ".dbf"));
                files << QString(newName) + ".dbf";
                SetProgress(progress);
                progress += 5;
            }
            Stage(FindInDirectory(dir, "Prod4.dbt"), staged.path("Prod4.dbt"), true);
            if (QFileInfo::exists(staged.path("Prod4.dbt"))) files << "Prod4.dbt";
            for (const char* old : {"cust2", "inv", "itm4"}) {
                Stage(FindInDirectory(dir, QString(old) + ".dbf"),
                      staged.path(QString(old) + ".dbf"));
                Stage(FindInDirectory(dir, QString(old) + ".dbt"),
                      staged.path(QString(old) + ".dbt"), true);
            }
            CheckOldTables(staged.dir(), dir);
            for (const QString& table : kConvertedTables) {
                for (const char* ext : {".dbf", ".dbt"}) {
                    const QString current = FindInDirectory(data, table + ext);
                    if (QString(ext) == ".dbt" && !QFileInfo::exists(current)) continue;
                    Stage(current, staged.path(table + ext));
                    files << table + ext;
                }
            }
            {
                WorkIn work(staged.dir());
                std::map<QString, QString> descriptions;
                ConvertProducts(&descriptions);
                ConvertCustomers();
                ConvertInvoices();
                ConvertItems();
                TransferDescriptions(descriptions);
            }
            QStringList tables = kConvertedTables;
            tables << "GROUPS"
                   << "LABELS"
                   << "PMT";
            if (!staged.commit(files, tables)) throw Stop{staged.error()};
        } catch (const Stop& stop) {
            failure = stop.reason;
        }
    }
    if (!failure.isEmpty()) {
        prompt::information(nullptr,
                            "The conversion failed; the data files are as they were.\n" + failure);
        return false;
    }
    return RebuildIndexes(false);
}
