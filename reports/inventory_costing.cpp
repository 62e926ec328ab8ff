#include "reports/inventory_costing.h"

#include <cmath>
#include <limits>

#include "db/field_values.h"
#include "db/program_state.h"
#include "db/read_write.h"

namespace reports {
namespace {

struct Lot {
    double date;
    int64_t remaining;  // hundredths
    int64_t quantity;   // as purchased, for the unit cost
    int64_t cost;       // cents for the whole purchase
};

// Takes up to q from the lot; what is left to match.
int64_t Take(Lot& lot, int64_t q) {
    if (lot.remaining >= q) {
        lot.remaining -= q;
        return 0;
    }
    q -= lot.remaining;
    lot.remaining = 0;
    return q;
}

int64_t FirstInFirstOut(std::vector<Lot>& lots, int64_t q) {
    for (Lot& lot : lots) {
        q = Take(lot, q);
        if (q <= 0) break;
    }
    return q;
}

int64_t LastInFirstOut(std::vector<Lot>& lots, int64_t q, double saleDay) {
    for (auto lot = lots.rbegin(); lot != lots.rend() && q > 0; ++lot) {
        if (lot->date > saleDay || lot->remaining == 0) continue;
        q = Take(*lot, q);
    }
    return q > 0 ? FirstInFirstOut(lots, q) : q;
}

int64_t Hundredths(double value) {
    return std::isfinite(value) && std::fabs(value) < 1e15 ? std::llround(value * 100.0) : 0;
}

}  // namespace

ProductCost CostLots(const std::vector<Purchase>& purchases, const std::vector<Sale>& sales,
                     double asOf, bool fifo) {
    ProductCost result;
    result.tracked = true;
    const double lastDay = std::floor(asOf);
    std::vector<Lot> lots;
    for (const Purchase& p : purchases) {
        if (p.quantity <= 0) continue;
        if (std::floor(p.date) <= lastDay)
            lots.push_back({std::floor(p.date), p.quantity, p.quantity, p.cost});
        else
            result.onOrder += p.quantity;
    }
    for (const Sale& sale : sales) {
        int64_t q = sale.quantity;
        const double saleDay = std::floor(sale.date);
        if (saleDay <= lastDay && !lots.empty())
            q = fifo ? FirstInFirstOut(lots, q) : LastInFirstOut(lots, q, saleDay);
        result.unmatchedSold += q;
    }
    long double value = 0;  // cents
    for (const Lot& lot : lots) {
        result.lotQuantity += lot.remaining;
        value += static_cast<long double>(lot.remaining) * lot.cost / lot.quantity;
    }
    result.lotValue = std::llround(value);
    return result;
}

bool InventoryCosting::ReadInvoiceDates() {
    invoiceDates_.assign(1000000, std::numeric_limits<double>::quiet_NaN());
    InvTbl->select(nullptr);
    int rc = InvTbl->top();
    for (; rc == xbase::kFound; rc = InvTbl->skip()) {
        if (InvTbl->deleted()) continue;
        const int number = InvFld.IvNo->asInt();
        if (number >= 0 && number < static_cast<int>(invoiceDates_.size()))
            invoiceDates_[static_cast<size_t>(number)] = ReadDate(InvFld.IDate);
    }
    datesRead_ = true;
    return rc >= 0;
}

bool InventoryCosting::Read(const QString& code, History* history) {
    history->purchases.clear();
    history->sales.clear();
    if (!datesRead_ && !ReadInvoiceDates()) return false;

    const QString upper = TrimRight(code).toUpper();
    PurTbl->select(PurTbl->tag("Pur"));
    xbase::Field* purProd = LookUpField(PurTbl, "PURProd");
    xbase::Field* purDate = LookUpField(PurTbl, "PURDate");
    xbase::Field* purQty = LookUpField(PurTbl, "PURQty");
    xbase::Field* purCost = LookUpField(PurTbl, "PURCost");
    if (!purProd || !purDate || !purQty || !purCost) return true;  // no purchases to be read
    int rc = Seek(PurTbl, upper.leftJustified(purProd->length(), u' ', true));
    for (; rc == xbase::kFound || rc == xbase::kAfter; rc = PurTbl->skip()) {
        if (TrimRight(ReadText(purProd)).toUpper() != upper) break;
        if (PurTbl->deleted()) continue;
        history->purchases.push_back(
            {ReadDate(purDate), Hundredths(purQty->asDouble()), Hundredths(purCost->asDouble())});
    }
    if (rc < 0) return false;

    const QString id = TrimRight(code);
    ItemTbl->select(ItemTbl->tag("ItmP"));
    rc = Seek(ItemTbl, id.leftJustified(ItemFld.PrID->length(), u' ', true));
    for (; rc == xbase::kFound || rc == xbase::kAfter; rc = ItemTbl->skip()) {
        if (TrimRight(ReadText(ItemFld.PrID)) != id) break;
        if (ItemTbl->deleted()) continue;
        const int number = ItemFld.IvNo->asInt();
        if (number < 0 || number >= static_cast<int>(invoiceDates_.size())) continue;
        const double date = invoiceDates_[static_cast<size_t>(number)];
        if (std::isnan(date)) continue;  // an item of no invoice counts for nothing
        history->sales.push_back({date, Hundredths(ItemFld.Qty->asDouble())});
    }
    return rc >= 0;
}

std::optional<ProductCost> CostProduct(InventoryCosting& costing, double asOf) {
    if (!ProdBuf.lInven) return ProductCost{};
    InventoryCosting::History history;
    if (!costing.Read(ProdBuf.PrID, &history)) return std::nullopt;
    return CostLots(history.purchases, history.sales, asOf, SettingsRecord.fifo);
}

}  // namespace reports
