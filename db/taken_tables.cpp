#include "db/taken_tables.h"

#include "db/schema.h"

std::vector<WantedField> SuppliedFields(const std::string& table) {
    std::vector<WantedField> wanted;
    if (const TableSchema* schema = SuppliedSchema().table(table))
        for (const xbase::FieldInfo& f : schema->fields) wanted.push_back({f.name, {f.type}});
    return wanted;
}

QStringList CheckTakenTable(xbase::Context* context, const std::string& name,
                            const QString& shownAs, const std::vector<WantedField>& wanted) {
    // The engine names the table's files by their staged paths; the user knows them by the
    // names they were taken from.
    QString stagedBase = QString::fromStdString(context->resolve(name + ".dbf"));
    stagedBase.chop(4);
    QString shownBase = shownAs;
    if (shownBase.endsWith(".dbf", Qt::CaseInsensitive)) shownBase.chop(4);
    const auto shown = [&](const std::string& line) {
        QString text = QString::fromStdString(line);
        text.replace(stagedBase, shownBase);
        return text;
    };
    QStringList problems;
    const bool autoOpen = context->autoOpen();
    context->setAutoOpen(false);
    xbase::Table* t = context->open(name);
    context->setAutoOpen(autoOpen);
    if (!t) {
        const QString why = shown(context->errorText());
        context->errorCode();
        return {why};
    }
    std::vector<std::string> found;
    t->check(&found);
    for (const std::string& p : found) problems << shown(p);
    for (const WantedField& want : wanted) {
        const xbase::Field* field = t->field(want.name);
        if (field && want.types.find(field->type()) != std::string::npos) continue;
        QStringList types;
        for (const char type : want.types) types << QString(QChar(type));
        problems << QString("%1 has no field %2 of type %3")
                        .arg(shownAs, QString::fromStdString(want.name), types.join(" or "));
    }
    context->errorCode();
    t->close();
    context->errorCode();
    return problems;
}

QStringList FirstProblems(const QStringList& problems, int shown) {
    if (problems.size() <= shown) return problems;
    const qsizetype more = problems.size() - shown;
    return problems.mid(0, shown)
           << QString("and %1 more problem%2").arg(more).arg(more == 1 ? "" : "s");
}
