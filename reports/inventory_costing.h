// Costing the stock of a product at a date. The stock is never kept as a running total: it is
// recomputed from the product's purchase lots (Pur5) and its sales (the items of ITM5, dated by
// their invoices), matching each sale against the lots first-in first-out or last-in first-out
// as the settings say. Quantities are counted in hundredths and values summed exactly, so a
// product's value is rounded to the cent once.
//
// CostLots is the matching itself over lots and sales in memory. InventoryCosting reads them
// for one product at a time in one pass over its purchases and one over its items, in tag
// order, with the invoice dates read once per run.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace reports {

// A purchase of the product, in the order of the Pur tag (by date).
struct Purchase {
    double date = 0;
    int64_t quantity = 0;  // hundredths
    int64_t cost = 0;      // cents, for the whole purchase
};

// An item of the product: its invoice's date and the quantity sold (hundredths; a return is
// negative).
struct Sale {
    double date = 0;
    int64_t quantity = 0;
};

struct ProductCost {
    bool tracked = false;       // the product's inventory flag
    int64_t lotQuantity = 0;    // hundredths left in the lots
    int64_t lotValue = 0;       // cents: what is left valued at each lot's unit cost
    int64_t unmatchedSold = 0;  // hundredths sold that no lot covered, and sales after the date
    int64_t onOrder = 0;        // hundredths purchased after the date
};

// Matches the sales, in their order, against the lots of the purchases made up to `asOf` (a
// day number; purchases after it are on order, those of no quantity make no lot).
// First-in first-out takes from the oldest lot on, whatever its date. Last-in first-out takes
// from the newest lot dated no later than the sale backwards, then first-in first-out for the
// rest. A sale dated after `asOf`, or met by no lot at all, is unmatched.
ProductCost CostLots(const std::vector<Purchase>& purchases, const std::vector<Sale>& sales,
                     double asOf, bool fifo);

// Reads the purchases and sales of products for the inventory reports. Pur5, ITM5 and INV5 must
// be open; the invoice dates are read on the first use.
class InventoryCosting {
public:
    // The purchases and sales of a product code, read once.
    struct History {
        std::vector<Purchase> purchases;
        std::vector<Sale> sales;
    };
    // False when a table could not be read (the engine's error is pending).
    bool Read(const QString& code, History* history);

private:
    bool ReadInvoiceDates();
    std::vector<double> invoiceDates_;  // by invoice number; NaN for none
    bool datesRead_ = false;
};

// The stock of the product in ProdBuf as of `asOf`, by the settings' method; untracked (all 0)
// when its inventory flag is off. Nothing when a table could not be read.
std::optional<ProductCost> CostProduct(InventoryCosting& costing, double asOf);

}  // namespace reports
