#include "db/field_values.h"

#include "core/convert.h"
#include "db/program_state.h"

namespace {

std::string Bytes(const QString& text) {
    return text.toLatin1().toStdString();
}

}  // namespace

QString TrimRight(const QString& text) {
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1).unicode() <= ' ') --n;
    return text.left(n);
}

QString ReadText(const xbase::Field* field) {
    return QString::fromLatin1(field->str());
}

void WriteText(xbase::Field* field, const QString& text) {
    field->assign(Bytes(text.left(kMaxTextWrite)));
}

void WriteWholeText(xbase::Field* field, const QString& text) {
    field->assign(Bytes(text.left(field->length())));
}

QString ReadMemo(const xbase::Field* field) {
    return QString::fromLatin1(field->memo());
}

void WriteMemo(xbase::Field* field, const QString& text) {
    field->assignMemo(Bytes(TrimRight(TrimRight(text).left(kMaxMemoWrite))));
}

double ReadDate(const xbase::Field* field) {
    return TextToDate(ReadText(field));
}

void WriteDate(xbase::Field* field, double date) {
    field->assign(Bytes(DateToText(date)));
}

void WriteLogical(xbase::Field* field, bool value) {
    field->assign(value ? "T" : "F");
}

int Seek(xbase::Table* table, const QString& key) {
    LastRc = table->seek(Bytes(KeyText(key)));
    return LastRc;
}

xbase::Field* LookUpField(xbase::Table* table, const char* name) {
    xbase::Field* field = table->field(name);
    if (!field) DbContext->errorCode();
    return field;
}
