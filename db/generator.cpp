#include "db/generator.h"

#include <algorithm>
#include <array>
#include <vector>

#include "core/convert.h"
#include "db/maintenance.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "db/settings.h"

namespace {

// splitmix64: the same numbers on every platform and standard library, unlike the standard
// distributions.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // lo to hi, both included.
    int between(int lo, int hi) { return lo + static_cast<int>(next() % uint64_t(hi - lo + 1)); }
    bool chance(int percent) { return between(1, 100) <= percent; }
    template <size_t N>
    QString pick(const std::array<const char*, N>& words) {
        return QString::fromLatin1(words[between(0, int(N) - 1)]);
    }

private:
    uint64_t state_;
};

constexpr std::array kFirstNames = {
    "James", "Mary",    "Robert", "Patricia", "John",  "Jennifer", "Michael", "Linda",
    "David", "Barbara", "Thomas", "Susan",    "Karen", "Daniel",   "Nancy",   "Paul",
    "Mark",  "Sandra",  "Donald", "Ashley",   "Kevin", "Dorothy",  "Brian",   "Emily",
    "Ruth",  "Edward",  "Helen",  "Ronald",   "Laura", "Anthony",  "Carol",   "Gary"};
constexpr std::array kLastNames = {
    "Anderson", "Baker",   "Carter",   "Dalton",  "Ellison", "Fischer",   "Garcia",  "Hansen",
    "Ingram",   "Jensen",  "Keller",   "Lambert", "Morales", "Nakamura",  "Olsen",   "Porter",
    "Quinn",    "Russo",   "Schmidt",  "Turner",  "Upton",   "Valentine", "Walsh",   "Young",
    "Zimmer",   "Bennett", "Crawford", "Douglas", "Foster",  "Gallagher", "Holland", "MacKenzie"};
constexpr std::array kTitles = {"Mr", "Ms", "Mrs", "Dr", ""};
constexpr std::array kCompanySuffixes = {"Supply Co.", "& Sons",     "Industries", "Trading",
                                         "Services",   "Hardware",   "Workshop",   "Group",
                                         "Farms",      "Associates", "Outfitters", "Bakery"};
constexpr std::array kStreets = {"Maple",  "Oak",     "Cedar",   "Elm",      "Pine",
                                 "Main",   "Church",  "Mill",    "Park",     "River",
                                 "Lake",   "Hill",    "Spring",  "Meadow",   "Forest",
                                 "Bridge", "Station", "Orchard", "Sycamore", "Walnut"};
constexpr std::array kStreetKinds = {"St", "Ave", "Rd", "Lane", "Drive", "Court", "Way"};
constexpr std::array kCities = {
    "Springfield, IL", "Riverton, WY", "Fairview, OR",   "Greenville, SC", "Madison, WI",
    "Franklin, TN",    "Clinton, IA",  "Salem, MA",      "Georgetown, TX", "Ashland, KY",
    "Dover, DE",       "Milford, CT",  "Burlington, VT", "Lexington, NE",  "Auburn, ME"};
constexpr std::array kNotes = {"Prefers email",        "Net 30",
                               "Call before delivery", "Tax exempt - see file",
                               "Ask for the manager",  "Deliver to back door"};
constexpr std::array kComments = {
    "Long-standing customer.\r\nOrders mostly in spring.", "Met at the trade fair.",
    "Wants quotes in writing before any order.\r\nSend catalogue each autumn.", "Pays promptly."};
constexpr std::array kGroupNames = {"Retail",      "Wholesale",   "Schools",     "Restaurants",
                                    "Contractors", "Online",      "Government",  "Non-profit",
                                    "Medical",     "Hospitality", "Agriculture", "Manufacturing"};
constexpr std::array kProductKinds = {"HRD", "GRD", "ELC", "PLB", "PNT", "TLS", "OFF"};
constexpr std::array kAdjectives = {"Standard", "Heavy-duty", "Compact",  "Deluxe", "Premium",
                                    "Basic",    "Galvanized", "Cordless", "Large",  "Small"};
constexpr std::array kNouns = {"Hammer",       "Drill",       "Ladder",         "Wrench set",
                               "Paint, 1 gal", "Garden hose", "Extension cord", "Toolbox",
                               "Light bulb",   "Faucet",      "Shelf bracket",  "Padlock",
                               "Work gloves",  "Wheelbarrow", "Desk lamp",      "Hand saw"};
constexpr std::array kServices = {"Installation", "Delivery", "Repair labour, per hour",
                                  "Consultation", "Assembly", "Site visit"};
constexpr std::array kItemComments = {
    "", "", "", "Special order", "Colour: white", "Includes fittings"};
constexpr std::array kProductTexts = {"Warranty: one year, parts and labour.",
                                      "Return within 30 days with receipt.",
                                      "Keep away from moisture."};
constexpr std::array kDepts = {"", "Sales", "Service", "Parts", "Online"};
constexpr std::array kRemarks = {"Thank you for your business!", "Delivered to site.",
                                 "Back-ordered items will follow."};

double Day(const char* yyyymmdd) {
    return TextToDate(QString::fromLatin1(yyyymmdd));
}

double Cents(int cents) {
    return cents / 100.0;
}

class Generator {
public:
    Generator(const GeneratorOptions& options, GeneratorCounts* counts)
        : options_(options), counts_(counts), random_(options.seed) {}

    void run() {
        writeGroups();
        writeCustomers();
        writeProducts();
        writeInvoices();
    }

private:
    void writeGroups() {
        const int groups = std::min<int>(kGroupNames.size(), std::max(1, options_.customers / 50));
        for (int g = 1; g <= groups; ++g) {
            GroupTbl->appendBlank();
            GroupBuf = {g, QString::fromLatin1(kGroupNames[g - 1])};
            WriteGroup();
        }
        counts_->groups = groups;
    }

    void writeCustomers() {
        for (int c = 1; c <= options_.customers; ++c) {
            CustomerRecord& b = CustBuf;
            b = {};
            b.cuno = c;
            b.title = random_.pick(kTitles);
            b.first = random_.pick(kFirstNames);
            b.last = random_.pick(kLastNames);
            const QString street = QString::number(random_.between(1, 9999)) + " " +
                                   random_.pick(kStreets) + " " + random_.pick(kStreetKinds);
            const QString city = random_.pick(kCities);
            if (random_.chance(40)) {
                b.addr1 = random_.pick(kLastNames) + " " + random_.pick(kCompanySuffixes);
                b.addr2 = street;
                b.addr3 = city;
            } else {
                b.addr1 = street;
                b.addr2 =
                    random_.chance(20) ? "Apt " + QString::number(random_.between(1, 40)) : city;
                b.addr3 = b.addr2 == city ? QString() : city;
            }
            b.zip = QString("%1").arg(random_.between(1000, 99999), 5, 10, QChar('0'));
            b.ngroup = random_.chance(92) ? random_.between(1, counts_->groups) : 0;
            b.phone = QString("(555) %1-%2")
                          .arg(random_.between(200, 999))
                          .arg(random_.between(0, 9999), 4, 10, QChar('0'));
            if (random_.chance(20)) b.fax = QString("(555) %1-0000").arg(random_.between(200, 999));
            b.email = (b.first + "." + b.last).toLower() + QString::number(c) + "@example.com";
            if (random_.chance(15)) b.note = random_.pick(kNotes);
            if (random_.chance(10)) b.comments = random_.pick(kComments);
            CustTbl->appendBlank();
            WriteCustomer();
        }
        counts_->customers = options_.customers;
    }

    void writeProducts() {
        const int count = options_.products > 0 ? options_.products
                                                : std::clamp(20 + options_.customers / 10, 20, 400);
        for (int p = 1; p <= count; ++p) {
            ProductRecord& b = ProdBuf;
            b = {};
            const bool service = random_.chance(15);
            b.PrID = (service ? QString("SRV") : random_.pick(kProductKinds)) + "-" +
                     QString::number(1000 + p);
            b.RCode = random_.chance(30) ? "L" + QString::number(random_.between(10000, 99999))
                                         : QString();
            b.PDesc = service ? random_.pick(kServices)
                              : random_.pick(kAdjectives) + " " + random_.pick(kNouns);
            b.IComm = random_.pick(kItemComments);
            b.UPrice = Cents(random_.between(service ? 2500 : 199, service ? 15000 : 49999));
            b.LTax1 = random_.chance(70);
            b.LTax2 = !service && random_.chance(40);
            b.lInven = !service && random_.chance(50);
            b.REORDER = b.lInven ? random_.between(5, 50) : 0;
            if (random_.chance(10)) b.PMemo = random_.pick(kProductTexts);
            ProdTbl->appendBlank();
            WriteProduct();
            if (b.lInven) {
                if (options_.purchases > 0)
                    inventory_.push_back(b);
                else
                    writePurchases(b, random_.between(2, 8));
            }
        }
        counts_->products = count;
        // A number of purchases asked for goes to the inventory items at random.
        for (int i = 0; i < options_.purchases && !inventory_.empty(); ++i)
            writePurchases(inventory_[size_t(random_.between(0, int(inventory_.size()) - 1))], 1);
    }

    void writePurchases(const ProductRecord& product, int count) {
        for (int i = 0; i < count; ++i) {
            PurBuf = {};
            PurBuf.PURProd = product.PrID;
            PurBuf.PURDate = firstDay_ + random_.between(0, spanDays_ - 1);
            PurBuf.PURQty = random_.between(10, 200);
            PurBuf.PURCost = RoundCents(PurBuf.PURQty * product.UPrice * 0.55);
            PurTbl->appendBlank();
            WritePurchase();
        }
        counts_->purchases += count;
    }

    void writeInvoices() {
        const double lastDay = firstDay_ + spanDays_ - 1;
        for (int i = 0; i < options_.invoices; ++i) {
            InvoiceRecord& inv = InvBuf;
            inv = {};
            inv.IvNo = i + 1;
            inv.CuNo = random_.between(1, options_.customers);
            inv.IDate = firstDay_ + double(int64_t(i) * spanDays_ / options_.invoices);
            inv.Dept = random_.pick(kDepts);
            if (random_.chance(30)) {
                inv.IMemo = "Check " + QString::number(random_.between(100, 9999));
            } else if (random_.chance(25)) {
                inv.IMemo = "Card ending " + QString::number(random_.between(1000, 9999));
            }
            if (random_.chance(5)) inv.REM = random_.pick(kRemarks);

            const double subtotal = writeItems(inv.IvNo);
            const double total = subtotal + inv.Ship + inv.Tax;
            const double paid = writePayments(inv.IvNo, inv.IDate, lastDay, total);
            inv.Due = RoundCents(total - paid);
            InvTbl->appendBlank();
            WriteInvoice();
        }
        counts_->invoices = options_.invoices;
    }

    // Writes the items of an invoice, sets its taxes from the settings' rates and returns its
    // subtotal.
    double writeItems(int invoice) {
        double subtotal = 0;
        double taxable1 = 0;
        double taxable2 = 0;
        const int count = random_.between(1, 8);
        for (int k = 0; k < count; ++k) {
            ProdTbl->go(uint32_t(random_.between(1, counts_->products)));
            ReadProduct();
            ItemBuf = {};
            ItemBuf.IvNo = invoice;
            ItemBuf.PrID = ProdBuf.PrID;
            ItemBuf.Qty = ProdBuf.lInven ? random_.between(1, 12) : random_.between(1, 4);
            ItemBuf.UPR = random_.chance(10) ? RoundCents(ProdBuf.UPrice * 0.9) : ProdBuf.UPrice;
            ItemBuf.LTax1 = ProdBuf.LTax1;
            ItemBuf.LTax2 = ProdBuf.LTax2;
            ItemBuf.PDesc = ProdBuf.PDesc;
            ItemBuf.IComm = ProdBuf.IComm;
            ItemTbl->appendBlank();
            WriteItem();
            const double line = RoundCents(ItemBuf.UPR * ItemBuf.Qty);
            subtotal += line;
            if (ItemBuf.LTax1) taxable1 += line;
            if (ItemBuf.LTax2) taxable2 += line;
        }
        InvBuf.Ship = RoundCents(SettingsRecord.TaxRate1 / 100 * taxable1);
        InvBuf.Tax = RoundCents(SettingsRecord.TaxRate2 / 100 * taxable2);
        counts_->items += count;
        return subtotal;
    }

    // Writes 0 to 2 payments of an invoice and returns their sum.
    double writePayments(int invoice, double date, double lastDay, double total) {
        const int roll = random_.between(1, 100);
        std::vector<double> amounts;
        if (roll > 85) {
            const double first = RoundCents(total * random_.between(30, 70) / 100.0);
            amounts = {first, random_.chance(80) ? RoundCents(total - first)
                                                 : RoundCents((total - first) / 2)};
        } else if (roll > 20) {
            amounts = {random_.chance(85) ? total
                                          : RoundCents(total * random_.between(20, 80) / 100.0)};
        }
        double paid = 0;
        for (double amount : amounts) {
            date = std::min(lastDay, date + random_.between(0, 45));
            PmtBuf = {invoice, date, amount};
            PmtTbl->appendBlank();
            WritePayment();
            paid += amount;
        }
        counts_->payments += int(amounts.size());
        return paid;
    }

    const GeneratorOptions& options_;
    GeneratorCounts* counts_;
    Random random_;
    std::vector<ProductRecord> inventory_;  // inventory items, when purchases are spread over them
    const double firstDay_ = Day(kGeneratedFirstDay);
    const int spanDays_ = int(Day(kGeneratedLastDay) - Day(kGeneratedFirstDay)) + 1;
};

constexpr const char* kBusinessTables[] = {"CUST5",  "GROUPS", "INV5",  "ITM5",
                                           "LABELS", "PMT",    "Prod5", "Pur5"};

// Opens the business tables alone (their indexes are rebuilt at the end) into their handles;
// an error text when one is missing or already holds records.
QString OpenEmptyTables() {
    DbContext->setAutoOpen(false);
    xbase::Table** handles[] = {&CustTbl, &GroupTbl, &InvTbl,  &ItemTbl,
                                &LabTbl,  &PmtTbl,   &ProdTbl, &PurTbl};
    QString problem;
    for (size_t i = 0; i < std::size(kBusinessTables) && problem.isEmpty(); ++i) {
        xbase::Table* t = DbContext->open(kBusinessTables[i]);
        *handles[i] = t;
        if (!t) {
            DbContext->errorCode();
            problem = QString("%1.dbf cannot be opened").arg(kBusinessTables[i]);
        } else if (t->recCount() != 0) {
            problem = QString(
                          "%1 already holds records; generate into a directory holding the "
                          "supplied, empty tables")
                          .arg(kBusinessTables[i]);
        }
    }
    DbContext->setAutoOpen(true);
    return problem;
}

}  // namespace

bool GenerateData(const GeneratorOptions& options, GeneratorCounts* counts, QString* error) {
    *counts = {};
    if (options.customers < 1 || options.customers > 999999 || options.invoices < 0 ||
        options.invoices > 999999) {
        *error = "customers must be 1 to 999999 and invoices 0 to 999999";
        return false;
    }
    if (!LoadSettings()) {
        *error = "CVN1.dbf cannot be opened";
        return false;
    }
    *error = OpenEmptyTables();
    if (error->isEmpty() && !(BindCustomerFields() && BindGroupFields() && BindInvoiceFields() &&
                              BindItemFields() && BindPaymentFields() && BindProductFields())) {
        *error = "a table lacks one of its fields";
    }
    if (!error->isEmpty()) {
        DbContext->closeAll();
        return false;
    }
    Generator(options, counts).run();
    DbContext->closeAll();
    const std::string engineError = DbContext->errorText();
    if (DbContext->errorCode() < 0) {
        *error = QString::fromStdString(engineError);
        return false;
    }
    return RebuildIndexes(false);
}
