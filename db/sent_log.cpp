#include "db/sent_log.h"

#include "db/change.h"
#include "db/field_values.h"
#include "db/open_tables.h"
#include "db/program_state.h"

namespace {

struct SentFields {
    xbase::Field* day = nullptr;
    xbase::Field* time = nullptr;
    xbase::Field* customer = nullptr;
    xbase::Field* kind = nullptr;
    xbase::Field* number = nullptr;
    xbase::Field* address = nullptr;
    xbase::Field* messageId = nullptr;
    xbase::Field* result = nullptr;
};

// Opens SentLog alone and binds its fields; nullptr after OpenFailed.
xbase::Table* OpenSentLog(SentFields* f) {
    DbContext->setAutoOpen(false);
    DbContext->errorCode();  // an error left pending by an earlier call is not this open's
    xbase::Table* table = DbContext->open("SentLog");
    DbContext->setAutoOpen(true);
    const std::pair<const char*, xbase::Field**> fields[] = {
        {"SDate", &f->day},       {"STime", &f->time},   {"CuNo", &f->customer},
        {"Kind", &f->kind},       {"DocNo", &f->number}, {"Address", &f->address},
        {"MsgId", &f->messageId}, {"Result", &f->result}};
    bool bound = table != nullptr;
    for (const auto& [name, handle] : fields) {
        if (!bound) break;
        *handle = table->field(name);
        bound = *handle != nullptr;
    }
    if (DbContext->errorCode() < 0 || !bound) {
        if (table) table->close();
        OpenFailed(QStringLiteral("SentLog.DBF"));
        return nullptr;
    }
    return table;
}

}  // namespace

bool AppendSentEntry(const SentEntry& entry, QString* error) {
    error->clear();
    SentFields f;
    xbase::Table* table = OpenSentLog(&f);
    if (!table) return false;
    if (!BeginChange(error)) {
        table->close();
        return false;
    }
    bool stored = table->appendBlank() >= 0;
    if (stored) {
        WriteDate(f.day, entry.day);
        WriteWholeText(f.time, entry.time);
        f.customer->assignInt(entry.customer);
        WriteWholeText(f.kind, entry.kind);
        WriteWholeText(f.number, entry.number);
        WriteWholeText(f.address, entry.address);
        WriteWholeText(f.messageId, entry.messageId);
        WriteWholeText(f.result, entry.result);
        stored = DbContext->errorCode() >= 0;
    }
    if (!stored) {
        *error = QStringLiteral("Unable to record the message sent to ") + entry.address + ".\n" +
                 QString::fromStdString(DbContext->errorText());
        RollbackChange();
        table->close();
        return false;
    }
    stored = CommitChange(error);
    table->close();
    return stored;
}

bool ReadSentLog(std::vector<SentEntry>* entries) {
    entries->clear();
    SentFields f;
    xbase::Table* table = OpenSentLog(&f);
    if (!table) return false;
    int rc = table->top();
    for (; rc == xbase::kFound; rc = table->skip()) {
        if (table->deleted()) continue;
        entries->push_back({ReadDate(f.day), ReadText(f.time).trimmed(), f.customer->asInt(),
                            ReadText(f.kind).trimmed(), ReadText(f.number).trimmed(),
                            ReadText(f.address).trimmed(), ReadText(f.messageId).trimmed(),
                            TrimRight(ReadText(f.result))});
    }
    table->close();
    return rc >= 0 && !ExitOnError();
}
