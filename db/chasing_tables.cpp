#include "db/chasing_tables.h"

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <utility>

#include "db/change.h"
#include "db/field_values.h"
#include "db/open_tables.h"
#include "db/program_state.h"

PaymentTerms TermsRecord;

namespace {

using Binding = std::pair<const char*, xbase::Field**>;

// Opens a table alone and binds the named fields; false after OpenFailed.
bool OpenAlone(const char* name, std::initializer_list<Binding> fields, xbase::Table** table) {
    DbContext->setAutoOpen(false);
    DbContext->errorCode();  // an error left pending by an earlier call is not this open's
    *table = DbContext->open(name);
    DbContext->setAutoOpen(true);
    bool bound = *table != nullptr;
    for (const auto& [field, handle] : fields) {
        if (!bound) break;
        *handle = (*table)->field(field);
        bound = *handle != nullptr;
    }
    if (DbContext->errorCode() < 0 || !bound) {
        if (*table) (*table)->close();
        *table = nullptr;
        OpenFailed(QString(name) + ".DBF");
        return false;
    }
    return true;
}

struct TermsFields {
    xbase::Field* cuno = nullptr;
    xbase::Field* days = nullptr;
};

bool OpenTerms(xbase::Table** table, TermsFields* f) {
    return OpenAlone("Terms", {{"CuNo", &f->cuno}, {"Days", &f->days}}, table);
}

struct LevelFields {
    xbase::Field* level = nullptr;
    xbase::Field* days = nullptr;
    xbase::Field* fee = nullptr;
    xbase::Field* letter = nullptr;
};

bool OpenLevels(xbase::Table** table, LevelFields* f) {
    return OpenAlone(
        "RemLevel",
        {{"Level", &f->level}, {"Days", &f->days}, {"Fee", &f->fee}, {"Letter", &f->letter}},
        table);
}

xbase::Table* RemindedTbl = nullptr;
struct {
    xbase::Field* ivNo = nullptr;
    xbase::Field* level = nullptr;
    xbase::Field* day = nullptr;
} RemindedFld;

// Writes `count` records over the table's, in record order, appending when they run out, and
// marks the records left over deleted; `write` fills record i. False when a record could not be
// reached or added.
bool RewriteRecords(xbase::Table* table, size_t count, const std::function<void(size_t)>& write) {
    uint32_t recNo = 1;
    for (size_t i = 0; i < count; ++i, ++recNo) {
        const int rc = recNo <= table->recCount() ? table->go(recNo) : table->appendBlank();
        if (rc < 0) return false;
        table->recall();
        write(i);
    }
    for (; recNo <= table->recCount(); ++recNo) {
        if (table->go(recNo) < 0) return false;
        table->deleteRecord();
    }
    return true;
}

}  // namespace

std::optional<int> PaymentTerms::DaysFor(int cuno) const {
    const auto own = customers.constFind(cuno);
    if (own != customers.cend()) return *own;
    return business;
}

std::vector<ReminderLevel> ReadyReminderLevels() {
    return {
        {1, 0,
         "Dear {name},\n\nOur records show that the invoices below are now past due. Perhaps "
         "they have been overlooked; we would be grateful for your payment of {overdue} at your "
         "earliest convenience. Our terms are {terms}.\n\nIf you have paid in the meantime, "
         "please accept our thanks and disregard this letter."},
        {30, 0,
         "Dear {name},\n\nWe wrote to you about the invoices below, which are now more than a "
         "month past due. Please send your payment of {overdue} now, or call us if there is a "
         "question about them. Our terms are {terms}."},
        {60, 0,
         "Dear {name},\n\nThe invoices below are now more than two months past due, and we have "
         "not had your payment despite our earlier letters. Please pay the {overdue} you owe "
         "within ten days, or call us at once to arrange payment."},
    };
}

bool ReadPaymentTerms(PaymentTerms* terms) {
    *terms = {};
    xbase::Table* t = nullptr;
    TermsFields f;
    if (!OpenTerms(&t, &f)) return false;
    int rc = t->top();
    for (; rc == xbase::kFound; rc = t->skip()) {
        if (t->deleted()) continue;
        const int cuno = f.cuno->asInt();
        bool isNumber = false;
        const int days = ReadText(f.days).trimmed().toInt(&isNumber);
        const bool valid = isNumber && days >= 0 && days <= kMaxTermsDays;
        if (cuno == 0)
            terms->business = valid ? std::optional<int>(days) : std::nullopt;
        else if (valid)
            terms->customers.insert(cuno, days);
    }
    t->close();
    return rc >= 0 && !ExitOnError();
}

bool ReadReminderLevels(std::vector<ReminderLevel>* levels) {
    levels->clear();
    xbase::Table* t = nullptr;
    LevelFields f;
    if (!OpenLevels(&t, &f)) return false;
    std::vector<std::pair<int, ReminderLevel>> stored;
    int rc = t->top();
    for (; rc == xbase::kFound; rc = t->skip()) {
        if (t->deleted()) continue;
        stored.push_back(
            {f.level->asInt(), {f.days->asInt(), ToCents(f.fee->asDouble()), ReadMemo(f.letter)}});
    }
    t->close();
    if (rc < 0 || ExitOnError()) return false;
    std::stable_sort(stored.begin(), stored.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [level, values] : stored)
        if (levels->size() < kMaxReminderLevels) levels->push_back(values);
    if (levels->empty()) *levels = ReadyReminderLevels();
    return true;
}

bool ReadLastReminders(QHash<int, LastReminder>* lastOfInvoice) {
    lastOfInvoice->clear();
    if (!OpenReminded()) return false;
    int rc = RemindedTbl->top();
    for (; rc == xbase::kFound; rc = RemindedTbl->skip()) {
        if (RemindedTbl->deleted()) continue;
        LastReminder& last = (*lastOfInvoice)[RemindedFld.ivNo->asInt()];
        const int level = RemindedFld.level->asInt();
        if (level >= last.level) last = {level, ReadDate(RemindedFld.day)};
    }
    CloseReminded();
    return rc >= 0 && !ExitOnError();
}

bool WriteChasingSettings(const PaymentTerms& terms, const std::vector<ReminderLevel>& levels,
                          QString* error) {
    error->clear();
    xbase::Table* termsTbl = nullptr;
    xbase::Table* levelTbl = nullptr;
    TermsFields tf;
    LevelFields lf;
    const auto close = [&] {
        for (xbase::Table* t : {termsTbl, levelTbl})
            if (t) t->close();
        DbContext->errorCode();
    };
    if (!OpenTerms(&termsTbl, &tf) || !OpenLevels(&levelTbl, &lf)) {
        close();
        return false;
    }
    if (!BeginChange(error)) {
        close();
        return false;
    }
    // The business's record first, then the customers' in number order.
    std::vector<std::pair<int, QString>> rows;
    rows.emplace_back(0, terms.business ? QString::number(*terms.business) : QString());
    for (auto it = terms.customers.cbegin(); it != terms.customers.cend(); ++it)
        if (it.key() > 0) rows.emplace_back(it.key(), QString::number(it.value()));
    std::sort(rows.begin() + 1, rows.end());
    const size_t levelCount = std::min<size_t>(levels.size(), kMaxReminderLevels);
    const bool written = RewriteRecords(termsTbl, rows.size(),
                                        [&](size_t i) {
                                            tf.cuno->assignInt(rows[i].first);
                                            WriteWholeText(tf.days, rows[i].second);
                                        }) &&
                         RewriteRecords(levelTbl, levelCount, [&](size_t i) {
                             lf.level->assignInt(static_cast<int>(i) + 1);
                             lf.days->assignInt(levels[i].days);
                             lf.fee->assignDouble(FromCents(levels[i].fee));
                             WriteMemo(lf.letter, levels[i].letter);
                         });
    if (!written) {
        *error = QString::fromStdString(DbContext->errorText());
        RollbackChange();
        close();
        return false;
    }
    const bool committed = CommitChange(error);
    close();
    if (committed) TermsRecord = terms;
    return committed;
}

bool OpenReminded() {
    return OpenAlone(
        "Reminded",
        {{"IvNo", &RemindedFld.ivNo}, {"Level", &RemindedFld.level}, {"RDate", &RemindedFld.day}},
        &RemindedTbl);
}

bool AppendReminder(int ivNo, int level, double day) {
    if (RemindedTbl->appendBlank() < 0) return false;
    RemindedFld.ivNo->assignInt(ivNo);
    RemindedFld.level->assignInt(level);
    WriteDate(RemindedFld.day, day);
    return true;
}

void CloseReminded() {
    if (RemindedTbl) RemindedTbl->close();
    RemindedTbl = nullptr;
}
