#include "labels/label_selection.h"

#include <cmath>
#include <optional>

#include "core/convert.h"
#include "core/dates.h"
#include "core/money.h"
#include "db/field_values.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "masters/address_block.h"
#include "report/generator_steps.h"

namespace labels {
namespace {

using reports::ReadFailed;
using reports::RecordProgress;

class Collector {
public:
    explicit Collector(SelectedLabels& out) : out_(out) {}

    // Labels the current customer of CUST5.
    void LabelCurrentCustomer() {
        ReadCustomer();
        CustAddressBlock();
        out_.labels.push_back(AddressLines);
    }

    // Labels customer `cuno`, found through the tag CCNO (selected); false when there is none.
    bool LabelCustomerNo(int cuno) {
        if (Seek(CustTbl, PadNum(cuno, 6)) != xbase::kFound) return false;
        LabelCurrentCustomer();
        return true;
    }

private:
    SelectedLabels& out_;
};

// The progress box, when there is one.
void ShowProgress(bool visible, const QString& caption) {
    if (Progress.show) Progress.show(visible, caption);
}

void SetProgress(int percent) {
    if (Progress.set) Progress.set(percent);
}

double InvoiceDay() {
    return std::floor(ReadDate(InvFld.IDate));
}

bool AmountDue() {
    return ToCents(InvFld.Due->asDouble()) != 0;
}

int SelectedCustomers(const LabelSelection& s, SelectedLabels& out, Collector& put) {
    CustTbl->select(CustTbl->tag("CCNO"));
    for (int cuno : s.customers) {
        if (!put.LabelCustomerNo(cuno)) out.notFound << cuno;
    }
    return xbase::kFound;
}

int InvoicesDated(const LabelSelection& s, Collector& put) {
    const double from = std::floor(s.from);
    const double to = std::floor(s.to);
    ShowProgress(true, QStringLiteral("Processing Invoice Labels"));
    CustTbl->select(CustTbl->tag("CCNO"));
    InvTbl->select(InvTbl->tag("InvD"));
    int rc = Seek(InvTbl, DateToText(from));
    for (; rc == xbase::kFound || rc == xbase::kAfter; rc = InvTbl->skip()) {
        const double day = InvoiceDay();
        if (day > to) break;
        put.LabelCustomerNo(InvFld.CuNo->asInt());
        SetProgress(static_cast<int>((day - from) * 100 / (to - from + 1)));
    }
    ShowProgress(false, {});
    return rc;
}

int PastDueBilling(const LabelSelection& s, Collector& put) {
    const double from = std::floor(s.from);
    const double to = std::floor(s.to);
    RecordProgress progress(QStringLiteral("Processing Billing Labels"),
                            static_cast<long>(InvTbl->recCount()));
    CustTbl->select(CustTbl->tag("CCNO"));
    InvTbl->select(InvTbl->tag("InvD"));
    int rc = InvTbl->top();
    for (; rc == xbase::kFound; rc = InvTbl->skip()) {
        const double day = InvoiceDay();
        if (day > to) break;
        if (day >= from && AmountDue()) put.LabelCustomerNo(InvFld.CuNo->asInt());
        progress.Visited();
    }
    return rc;
}

// Walks the customers in postal-code order, labelling those `wanted` says.
template <typename Wanted>
int CustomersByZip(const QString& caption, Collector& put, Wanted wanted) {
    RecordProgress progress(caption, static_cast<long>(CustTbl->recCount()));
    CustTbl->select(CustTbl->tag("CZip"));
    int rc = CustTbl->top();
    for (; rc == xbase::kFound; rc = CustTbl->skip()) {
        const int cuno = CustFld.cuno->asInt();
        const std::optional<bool> label = wanted(cuno);
        if (!label) return -1;
        if (*label) put.LabelCurrentCustomer();
        progress.Visited();
    }
    return rc;
}

int BalanceDueStatement(const LabelSelection& s, Collector& put) {
    const double from = std::floor(s.from);
    const double to = std::floor(s.to);
    InvTbl->select(InvTbl->tag("InvC"));
    return CustomersByZip(
        QStringLiteral("Processing Statement Labels"), put, [&](int cuno) -> std::optional<bool> {
            int rc = Seek(InvTbl, PadNum(cuno, 6));
            for (; rc == xbase::kFound && InvFld.CuNo->asInt() == cuno; rc = InvTbl->skip()) {
                const double day = InvoiceDay();
                if (AmountDue() && day >= from && day <= to) return true;
            }
            if (rc < 0) return std::nullopt;
            return false;
        });
}

int CustomerGroups(const LabelSelection& s, Collector& put) {
    return CustomersByZip(
        QStringLiteral("Processing Customers"), put,
        [&](int) -> std::optional<bool> { return s.groups.contains(CustFld.ngroup->asInt()); });
}

}  // namespace

SelectedLabels SelectLabels(const LabelSelection& selection) {
    SelectedLabels out;
    const bool invoices = selection.kind != LabelKind::SelectedCustomers &&
                          selection.kind != LabelKind::CustomerGroups;
    if (!OpenCustomers() || (invoices && !OpenInvoices())) {
        reports::CloseReportTables();
        out.read = false;
        return out;
    }
    Collector put(out);
    int rc = xbase::kFound;
    switch (selection.kind) {
        case LabelKind::SelectedCustomers:
            rc = SelectedCustomers(selection, out, put);
            break;
        case LabelKind::InvoicesDated:
            rc = InvoicesDated(selection, put);
            break;
        case LabelKind::PastDueBilling:
            rc = PastDueBilling(selection, put);
            break;
        case LabelKind::BalanceDueStatement:
            rc = BalanceDueStatement(selection, put);
            break;
        case LabelKind::CustomerGroups:
            rc = CustomerGroups(selection, put);
            break;
    }
    out.read = !ReadFailed(rc);
    reports::CloseReportTables();
    return out;
}

}  // namespace labels
