#include "db/field_values.h"

#include <optional>
#include <string>

#include "core/code_page.h"
#include "core/convert.h"
#include "core/money.h"
#include "db/program_state.h"

namespace {

// Beyond this many cents a double can print a figure other than the field's.
constexpr Cents kExactCents = 10'000'000'000'000;

// Stores the text in the field, or, when the code page cannot hold one of its characters,
// leaves the field as it was and makes that the pending error.
void Store(xbase::Field* field, const QString& text, bool memo) {
    if (const QString foreign = FirstUnstorable(text); !foreign.isEmpty()) {
        DbContext->fail(
            xbase::Status(xbase::kErrArgument,
                          (field->name() + ": ") + UnstorableMessage(foreign).toStdString()));
        return;
    }
    const QByteArray bytes = ToCodePage(text);
    const std::string_view view(bytes.constData(), static_cast<size_t>(bytes.size()));
    if (memo)
        field->assignMemo(view);
    else
        field->assign(view);
}

// Line ends as the memo files keep them: a carriage return and a line feed.
QString WithCrLf(const QString& text) {
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r')) result += u'\r';
        result += text[i];
    }
    return result;
}

}  // namespace

QString TrimRight(const QString& text) {
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1).unicode() <= ' ') --n;
    return text.left(n);
}

QString ReadText(const xbase::Field* field) {
    return FromCodePage(field->str());
}

void WriteText(xbase::Field* field, const QString& text) {
    Store(field, text.left(kMaxTextWrite), false);
}

void WriteWholeText(xbase::Field* field, const QString& text) {
    Store(field, text.left(field->length()), false);
}

QString ReadMemo(const xbase::Field* field) {
    return FromCodePage(field->memo());
}

void WriteMemo(xbase::Field* field, const QString& text) {
    Store(field, TrimRight(WithCrLf(TrimRight(text)).left(kMaxMemoWrite)), true);
}

double ReadDate(const xbase::Field* field) {
    return TextToDate(ReadText(field));
}

void WriteDate(xbase::Field* field, double date) {
    field->assign(DateToText(date).toStdString());
}

void WriteLogical(xbase::Field* field, bool value) {
    field->assign(value ? "T" : "F");
}

QString ReadAmount(const xbase::Field* field, int width) {
    // The engine reads a number up to the first blank after it, so digits further on are no part
    // of the value.
    const std::string text = field->str();
    const size_t first = text.find_first_not_of(' ');
    const bool solid =
        first != std::string::npos && text.find(' ', first) > text.find_last_not_of(' ');
    const std::optional<Cents> cents = solid ? PlainCents(text, '.') : std::nullopt;
    if (!cents || *cents >= kExactCents || *cents <= -kExactCents)
        return QString::asprintf("%*.2f", width, field->asDouble());
    return FixedCentsText(*cents, width);
}

int Seek(xbase::Table* table, const QString& key) {
    LastRc = table->seek(ToCodePage(KeyText(key)).toStdString());
    return LastRc;
}

xbase::Field* LookUpField(xbase::Table* table, const char* name) {
    xbase::Field* field = table->field(name);
    if (!field) DbContext->errorCode();
    return field;
}
