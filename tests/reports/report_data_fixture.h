// A test case for reports over real tables: a fresh copy of the supplied tables with their
// indexes, helpers that add products, purchases and groups through the program's own write
// operations, the progress box recorded, and the report document and page length reset (60
// lines a page, as without a printer, unless a test installs a probe).
#pragma once

#include <QStringList>
#include <string>
#include <vector>

#include "core/dates.h"
#include "db/maintenance.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "report/generator_steps.h"
#include "report/report_document.h"
#include "tests/db/data_store_fixture.h"

class ReportDataTest : public DataStoreTest {
protected:
    ReportDataTest() {
        EXPECT_TRUE(RebuildIndexes(true));
        reports::ResetTheReport();
        previousProbe_ = reports::SetPrinterPageProbe({});
        Progress.show = [this](bool visible, const QString& caption) {
            progress_ << (visible ? "show " + caption : QStringLiteral("hide"));
        };
        Progress.set = [this](int percent) { percents_ << percent; };
    }
    ~ReportDataTest() override { reports::SetPrinterPageProbe(previousProbe_); }

    // Pages of `lines` lines from the next report on.
    static void PageLength(int lines) {
        reports::SetPrinterPageProbe([lines] { return reports::PrinterPage{lines + 6, 1}; });
    }

    static double Day(const char* yyyymmdd) { return TextToDate(yyyymmdd); }

    // The report document's lines from `from` on, `count` of them (all the rest when negative),
    // each with its cells joined by "|".
    static std::vector<std::string> Lines(const reports::ReportDocument& doc, int from,
                                          int count = -1) {
        std::vector<std::string> lines;
        for (qsizetype i = from; i < doc.Lines.size() && (count < 0 || i < from + count); ++i)
            lines.push_back(doc.Lines.at(i).join('|').toStdString());
        return lines;
    }

    static void AddProduct(const QString& id, const QString& description, double price,
                           double reorder = 0, const QString& comment = {}) {
        ASSERT_TRUE(OpenProducts());
        ProdBuf = {};
        ProdBuf.PrID = id;
        ProdBuf.PDesc = description;
        ProdBuf.UPrice = price;
        ProdBuf.REORDER = reorder;
        ProdBuf.IComm = comment;
        ProdBuf.lInven = true;
        ProdTbl->appendBlank();
        WriteProduct();
        reports::CloseReportTables();
    }

    static void AddPurchase(const QString& product, const char* date, double quantity,
                            double cost) {
        ASSERT_TRUE(OpenPurchases());
        PurBuf = {};
        PurBuf.PURProd = product;
        PurBuf.PURDate = Day(date);
        PurBuf.PURQty = quantity;
        PurBuf.PURCost = cost;
        PurTbl->appendBlank();
        WritePurchase();
        reports::CloseReportTables();
    }

    static void AddGroup(int number, const QString& name) {
        ASSERT_TRUE(OpenGroups());
        GroupBuf = {number, name};
        GroupTbl->appendBlank();
        WriteGroup();
        reports::CloseReportTables();
    }

    // Marks the record of `table` that holds `key` in its open order deleted.
    static void MarkDeleted(bool (*open)(), xbase::Table** table, const QString& key) {
        ASSERT_TRUE(open());
        ASSERT_EQ((*table)->seek(key.toStdString()), xbase::kFound);
        (*table)->deleteRecord();
        reports::CloseReportTables();
    }

    QStringList progress_;
    QList<int> percents_;

private:
    reports::PrinterPageProbe previousProbe_;
};
