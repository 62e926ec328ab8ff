#include "labels/mail_merge.h"

#include <QSaveFile>
#include <QStringList>

#include "db/open_tables.h"
#include "db/program_state.h"
#include "db/read_write.h"
#include "report/generator_steps.h"

namespace labels {
namespace {

QByteArray Line(const QStringList& fields) {
    return fields.join(u'\t').toLatin1() + "\r\n";
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
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) return result;
    if (!OpenCustomers()) {
        reports::CloseReportTables();
        return result;
    }
    bool written = false;
    int rc = xbase::kFound;
    {
        reports::RecordProgress progress(QStringLiteral("Exporting Mail Merge File"),
                                         static_cast<long>(CustTbl->recCount()));
        const QByteArray header = MergeHeader().toLatin1() + "\r\n";
        written = file.write(header) == header.size();
        CustTbl->select(CustTbl->tag("CZip"));
        for (rc = CustTbl->top(); written && rc == xbase::kFound; rc = CustTbl->skip()) {
            if (groups.contains(CustFld.ngroup->asInt())) {
                ReadCustomer();
                const QByteArray line = CustomerLine(CustBuf);
                written = file.write(line) == line.size();
                ++result.customers;
            }
            progress.Visited();
        }
    }
    const bool read = !reports::ReadFailed(rc);
    reports::CloseReportTables();
    // The last lines may still wait in the file's buffer, and a failure to write them is not
    // seen by commit: flushed first, they are checked like every other write.
    if (!written || !read || !file.flush() || !file.commit()) return result;
    result.saved = true;
    result.message.clear();
    return result;
}

}  // namespace labels
