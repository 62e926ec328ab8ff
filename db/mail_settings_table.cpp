#include "db/mail_settings_table.h"

#include <QFileInfo>

#include "core/code_page.h"
#include "db/change.h"
#include "db/field_values.h"
#include "db/program_state.h"
#include "db/schema.h"

namespace {

constexpr char kTable[] = "MailSet";
constexpr const char* kSubjectFields[kMailTextKinds] = {"InvSubject", "BilSubject", "StaSubject",
                                                        "RemSubject"};
constexpr const char* kBodyFields[kMailTextKinds] = {"InvBody", "BilBody", "StaBody", "RemBody"};

QString EngineError(const QString& what) {
    const QString text = QString::fromStdString(DbContext->errorText());
    DbContext->errorCode();
    return what + (text.isEmpty() ? QString() : ": " + text);
}

bool TableExists() {
    return QFileInfo::exists(
        QString::fromStdString(DbContext->resolve(std::string(kTable) + ".dbf")));
}

// Opens the table alone; nullptr with the reason in *error.
xbase::Table* OpenMailSet(QString* error) {
    DbContext->errorCode();  // an error left pending by an earlier call is not this open's
    if (!TableExists()) {
        if (xbase::Table* made = DbContext->create(kTable, SuppliedSchema().table(kTable)->fields))
            made->close();
        if (DbContext->errorCode() < 0) {
            *error = EngineError("The mail settings table could not be made");
            return nullptr;
        }
    }
    DbContext->setAutoOpen(false);
    xbase::Table* table = DbContext->open(kTable);
    DbContext->setAutoOpen(true);
    if (!table || DbContext->errorCode() < 0) {
        if (table) table->close();
        *error = "The mail settings table MailSet.DBF could not be opened.";
        return nullptr;
    }
    return table;
}

// The field, or nullptr with the reason in *error (a table of another layout).
xbase::Field* FieldOf(xbase::Table* table, const char* name, QString* error) {
    xbase::Field* field = table->field(name);
    if (!field) {
        DbContext->errorCode();
        *error = QString("The mail settings table MailSet.DBF has no field %1.").arg(name);
    }
    return field;
}

// The first character of the record's texts the code page cannot hold; empty when none.
QString Unstorable(const MailSettingsRecord& r) {
    QStringList texts{r.server,        r.security, r.user,       r.senderName,
                      r.senderAddress, r.replyTo,  r.certificate};
    for (int kind = 0; kind < kMailTextKinds; ++kind) texts << r.subjects[kind] << r.bodies[kind];
    for (const QString& text : texts)
        if (const QString c = FirstUnstorable(text); !c.isEmpty()) return c;
    return {};
}

}  // namespace

bool ReadMailSettingsRecord(MailSettingsRecord* record, bool* stored, QString* error) {
    *record = {};
    *stored = false;
    error->clear();
    if (!TableExists()) return true;
    xbase::Table* table = OpenMailSet(error);
    if (!table) return false;
    const auto read = [&]() -> bool {
        int rc = table->top();
        while (rc == xbase::kFound && table->deleted()) rc = table->skip();
        if (rc < 0) {
            *error = EngineError("The mail settings could not be read");
            return false;
        }
        if (rc != xbase::kFound) return true;
        QString missing;
        const auto text = [&](const char* name) {
            const xbase::Field* f = FieldOf(table, name, &missing);
            return f ? TrimRight(ReadText(f)) : QString();
        };
        record->server = text("Server");
        record->security = text("Security").toLower();
        record->user = text("SmtpUser");
        record->senderName = text("SendName");
        record->senderAddress = text("Sender");
        record->replyTo = text("ReplyTo");
        record->certificate = text("CertFile");
        if (const xbase::Field* f = FieldOf(table, "Port", &missing)) record->port = f->asInt();
        if (const xbase::Field* f = FieldOf(table, "CopySelf", &missing))
            record->copyToSender = f->isTrue();
        for (int kind = 0; kind < kMailTextKinds; ++kind) {
            record->subjects[kind] = text(kSubjectFields[kind]);
            if (const xbase::Field* f = FieldOf(table, kBodyFields[kind], &missing))
                record->bodies[kind] = ReadMemo(f);
        }
        if (!missing.isEmpty()) {
            *error = missing;
            return false;
        }
        *stored = true;
        return true;
    };
    const bool ok = read();
    table->close();
    DbContext->errorCode();
    return ok;
}

bool WriteMailSettingsRecord(const MailSettingsRecord& record, QString* error) {
    error->clear();
    if (const QString c = Unstorable(record); !c.isEmpty()) {
        *error = UnstorableMessage(c);
        return false;
    }
    xbase::Table* table = OpenMailSet(error);
    if (!table) return false;
    const auto close = [&] {
        table->close();
        DbContext->errorCode();
    };
    if (!BeginChange(error)) {
        close();
        return false;
    }
    const auto write = [&]() -> bool {
        // The first record that is not deleted takes the settings; any other is deleted.
        int rc = table->top();
        while (rc == xbase::kFound && table->deleted()) rc = table->skip();
        if (rc < 0) return false;
        const uint32_t keep = rc == xbase::kFound ? table->recNo() : 0;
        for (uint32_t recNo = 1; recNo <= table->recCount(); ++recNo) {
            if (recNo == keep) continue;
            if (table->go(recNo) < 0) return false;
            table->deleteRecord();
        }
        if ((keep ? table->go(keep) : table->appendBlank()) < 0) return false;
        const auto put = [&](const char* name, const QString& text) {
            xbase::Field* f = FieldOf(table, name, error);
            if (f && text.size() > f->length())
                *error = QString("The mail settings keep at most %1 characters in %2.")
                             .arg(f->length())
                             .arg(name);
            else if (f)
                WriteWholeText(f, text);
        };
        put("Server", record.server);
        put("Security", record.security);
        put("SmtpUser", record.user);
        put("SendName", record.senderName);
        put("Sender", record.senderAddress);
        put("ReplyTo", record.replyTo);
        put("CertFile", record.certificate);
        if (xbase::Field* f = FieldOf(table, "Port", error)) f->assignInt(record.port);
        if (xbase::Field* f = FieldOf(table, "CopySelf", error))
            WriteLogical(f, record.copyToSender);
        for (int kind = 0; kind < kMailTextKinds; ++kind) {
            put(kSubjectFields[kind], record.subjects[kind]);
            xbase::Field* f = FieldOf(table, kBodyFields[kind], error);
            if (f && record.bodies[kind].size() > kMaxMemoWrite)
                *error = QString(
                             "The mail settings keep at most %1 characters in a message's "
                             "text.")
                             .arg(kMaxMemoWrite);
            else if (f)
                WriteMemo(f, record.bodies[kind]);
        }
        return error->isEmpty() && DbContext->errorCode() == 0;
    };
    if (!write()) {
        if (error->isEmpty()) *error = EngineError("The mail settings could not be written");
        RollbackChange();
        close();
        return false;
    }
    const bool committed = CommitChange(error);
    close();
    return committed;
}
