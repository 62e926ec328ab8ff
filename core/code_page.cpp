#include "core/code_page.h"

#include <array>

namespace {

// The characters of bytes 0x80 to 0x9F; the undefined ones keep their own number.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

// The byte of a character; -1 when the code page has none.
int ByteOf(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
    for (size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == c) return 0x80 + static_cast<int>(i);
    return -1;
}

// Index of the first character that has no byte; -1 when none.
qsizetype FirstUnstorableAt(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i)
        if (ByteOf(text.at(i).unicode()) < 0) return i;
    return -1;
}

}  // namespace

QString FirstUnstorable(const QString& text) {
    const qsizetype at = FirstUnstorableAt(text);
    if (at < 0) return {};
    const bool pair =
        text.at(at).isHighSurrogate() && at + 1 < text.size() && text.at(at + 1).isLowSurrogate();
    return text.mid(at, pair ? 2 : 1);
}

QString UnstorableMessage(const QString& character) {
    const char32_t code = character.size() == 2 && character.at(0).isHighSurrogate()
                              ? QChar::surrogateToUcs4(character.at(0), character.at(1))
                          : character.isEmpty() ? 0
                                                : character.at(0).unicode();
    const QString number = QString::number(static_cast<uint>(code), 16).toUpper();
    return QString(
               "The character \"%1\" (U+%2) cannot be stored: the data files hold Western "
               "European text only (code page Windows-1252).")
        .arg(character, number.rightJustified(4, '0'));
}

QByteArray ToCodePage(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar c : text) {
        const int b = ByteOf(c.unicode());
        if (b < 0) break;
        bytes.append(static_cast<char>(b));
    }
    return bytes;
}

QString FromCodePage(std::string_view bytes) {
    if (bytes.empty()) return {};
    // Written in place: fields are read by the hundred thousand.
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        *out++ = b >= 0x80 && b < 0xA0 ? QChar(kHigh[b - 0x80]) : QChar(b);
    }
    return text;
}
