// change_bench: what making an invoice's save one all-or-nothing change costs. On a data
// directory filled by corvane-admin generate (it is changed: invoices are added), it saves
// invoices of one INV5 header, 20 ITM5 items and 2 PMT payments with every tag open, three ways:
//   plain   the records written and the tables flushed, no change (no journal, no sync);
//   synced  the same, then every file written synced once: durable, but not all-or-nothing;
//   change  the same writes between the context's begin and commit;
//   store   the program's own invoice save (StoreInvoice), which is one change.
// Prints the median and mean time per save, the syncs per save and the ratios of change to
// synced (target: under 2) and to plain. Exits non-zero when a save fails (never for slowness).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/counting_env.h"
#include "bench/stopwatch.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "invoice/invoice_data.h"
#include "invoice/invoice_store.h"

namespace {

const char* const kUsage =
    "usage: change_bench --dir DIR [--saves N]\n"
    "  --dir DIR   a data directory filled by corvane-admin generate; invoices are added to it\n"
    "  --saves N   timed saves of each kind (default 50)\n";

constexpr int kItems = 20;
constexpr int kPayments = 2;

// The open invoice: a header for the first customer and its items and payments as the invoice
// window holds them.
void FillOpenInvoice(int number) {
    InvBuf = {};
    InvBuf.IvNo = number;
    InvBuf.CuNo = 1;
    InvBuf.IDate = 46000;
    InvBuf.Due = 1234.5;
    ItemRows.clear();
    for (int i = 0; i < kItems; ++i) {
        ItemRow row;
        row[kItemPrID] = QString("P%1").arg(i, 4, 10, QChar('0'));
        row[kItemQty] = "2";
        row[kItemPrice] = "12.50";
        row[kItemDesc] = QString("Item %1 of the benchmark").arg(i);
        ItemRows.push_back(row);
    }
    PmtRows.assign(kPayments, PmtRow{"03/01/26", "100.00"});
}

// The open invoice's records appended one by one, as a save without changes did.
bool WriteRecords() {
    if (InvTbl->appendBlank() < 0) return false;
    WriteInvoice();
    for (int i = 0; i < kItems; ++i) {
        if (ItemTbl->appendBlank() < 0) return false;
        ItemBuf = {};
        ItemBuf.IvNo = InvBuf.IvNo;
        ItemBuf.PrID = ItemRows[static_cast<size_t>(i)][kItemPrID];
        ItemBuf.Qty = 2;
        ItemBuf.UPR = 12.5;
        ItemBuf.PDesc = ItemRows[static_cast<size_t>(i)][kItemDesc];
        WriteItem();
    }
    for (int i = 0; i < kPayments; ++i) {
        if (PmtTbl->appendBlank() < 0) return false;
        PmtBuf = {InvBuf.IvNo, 46000, 100};
        WritePayment();
    }
    return InvTbl->flush() >= 0 && ItemTbl->flush() >= 0 && PmtTbl->flush() >= 0;
}

struct Figures {
    double median = 0;
    double mean = 0;
    double syncs = 0;
};

// Runs `save` `count` times after two untimed ones; false when a save fails.
bool Measure(const char* name, int count, bench::CountingEnv* env,
             const std::function<bool()>& save, Figures* f) {
    std::vector<double> ms;
    int syncs = 0;
    for (int i = -2; i < count; ++i) {
        FillOpenInvoice(NextInvoiceNo());
        const long before = env->syncs + env->renames;
        bench::Stopwatch watch;
        if (!save()) {
            DbContext->errorCode();
            std::fprintf(stderr, "change_bench: %s save failed: %s\n", name,
                         DbContext->errorText().c_str());
            return false;
        }
        if (i < 0) continue;
        ms.push_back(watch.seconds() * 1000.0);
        syncs += static_cast<int>(env->syncs + env->renames - before);
    }
    std::sort(ms.begin(), ms.end());
    f->median = ms[ms.size() / 2];
    for (double m : ms) f->mean += m / static_cast<double>(ms.size());
    f->syncs = static_cast<double>(syncs) / count;
    std::printf("%-8s median %8.3f ms  mean %8.3f ms  syncs/save %5.1f\n", name, f->median, f->mean,
                f->syncs);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string dir;
    int saves = 50;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--dir") {
            dir = argv[i + 1];
        } else if (arg == "--saves") {
            saves = std::max(1, std::atoi(argv[i + 1]));
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (dir.empty() || argc % 2 == 0) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::error_code ec;
    std::filesystem::current_path(dir, ec);
    if (ec) {
        std::fprintf(stderr, "change_bench: cannot work in %s: %s\n", dir.c_str(),
                     ec.message().c_str());
        return 2;
    }
    EndProgram = [] { std::exit(1); };
    bench::CountingEnv env;
    DbContext = std::make_unique<xbase::Context>(".", &env);
    if (!OpenCustomers() || !OpenInvoices() || !OpenItems() || !OpenPayments() || !OpenProducts())
        return 1;
    std::printf("INV5 %u, ITM5 %u, PMT %u records; %d items and %d payments per invoice\n",
                InvTbl->recCount(), ItemTbl->recCount(), PmtTbl->recCount(), kItems, kPayments);

    Figures plain, synced, change, store;
    const bool ok =
        Measure("plain", saves, &env, WriteRecords, &plain) &&
        Measure(
            "synced", saves, &env, [&env] { return WriteRecords() && env.syncWritten().ok(); },
            &synced) &&
        Measure(
            "change", saves, &env,
            [] { return DbContext->begin() >= 0 && WriteRecords() && DbContext->commit() >= 0; },
            &change) &&
        Measure(
            "store", saves, &env,
            [] {
                QString error;
                const bool saved = StoreInvoice(0, {}, nullptr, &error);
                if (!saved) std::fprintf(stderr, "%s\n", qPrintable(error));
                return saved;
            },
            &store);
    if (!ok) return 1;
    std::printf("change/synced %.2fx (median), %.2fx (mean); target under 2x\n",
                change.median / synced.median, change.mean / synced.mean);
    std::printf("change/plain  %.2fx (median), %.2fx (mean)\n", change.median / plain.median,
                change.mean / plain.mean);
    FreeDbContext();
    return 0;
}
