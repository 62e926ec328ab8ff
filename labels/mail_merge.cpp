#include "labels/mail_merge.h"

#include <QStringList>

#include "core/code_page.h"
#include "db/open_tables.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "report/generator_steps.h"
#include "report/report_export.h"

namespace labels {
namespace {

QByteArray Line(const QStringList& fields) {
    return ToCodePage(fields.join(u'\t')) + "\r\n";
}

QByteArray CustomerLine(const CustomerRecord& c) {
    QStringList fields;
    for (const QString* field :
         {&c.title, &c.first, &c.last, &c.addr1, &c.addr2, &c.addr3, &c.addr4, &c.zip})
        fields << field->trimmed();
    return Line(fields);
}

}  // namespace

QString MergeHeader() {
    return QStringLiteral("Title\tFirstName\tLastName\tCompany\tAddr1\tAddr2\tAddr3\tPostalCode");
}

MergeResult WriteMailMerge(const QString& fileName, const QList<int>& groups) {
    MergeResult result;
    result.message = QStringLiteral("Unable to save to: ") + fileName;
    if (!OpenCustomers()) {
        reports::CloseReportTables();
        return result;
    }
    QByteArray bytes = ToCodePage(MergeHeader()) + "\r\n";
    int rc = xbase::kFound;
    {
        reports::RecordProgress progress(QStringLiteral("Exporting Mail Merge File"),
                                         static_cast<long>(CustTbl->recCount()));
        CustTbl->select(CustTbl->tag("CZip"));
        for (rc = CustTbl->top(); rc == xbase::kFound; rc = CustTbl->skip()) {
            if (groups.contains(CustFld.ngroup->asInt())) {
                ReadCustomer();
                bytes += CustomerLine(CustBuf);
                ++result.customers;
            }
            progress.Visited();
        }
    }
    const bool read = !reports::ReadFailed(rc);
    reports::CloseReportTables();
    // The file is written whole once every customer was read, through the writer the report
    // exports use: a regular file replaced only when complete, a device or FIFO written into.
    if (!read || !reports::WriteExportFile(fileName, bytes).saved) return result;
    result.saved = true;
    result.message.clear();
    return result;
}

}  // namespace labels
