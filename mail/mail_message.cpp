#include "mail/mail_message.h"

#include <QRandomGenerator>
#include <QRegularExpression>

namespace {

constexpr int kEncodedWordChunk = 39;  // UTF-8 bytes per encoded word: 52 base64 characters
constexpr int kQuotedLine = 76;
constexpr int kBase64Line = 76;
constexpr int kFoldAt = 78;

bool IsAscii(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() > 0x7e || (c.unicode() < 0x20 && c != '\t')) return false;
    return true;
}

// Line ends and other control characters would break a header into two: they become spaces.
QString OneLine(const QString& text) {
    QString line = text;
    for (QChar& c : line)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) c = ' ';
    return line.simplified();
}

// Non-ASCII text as encoded words (RFC 2047, base64), each holding whole characters, joined by
// folding white space.
QByteArray EncodedWords(const QString& text) {
    QByteArrayList words;
    QByteArray chunk;
    for (int i = 0; i < text.size(); ++i) {
        const int length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray character = text.mid(i, length).toUtf8();
        i += length - 1;
        if (chunk.size() + character.size() > kEncodedWordChunk) {
            words << "=?UTF-8?B?" + chunk.toBase64() + "?=";
            chunk.clear();
        }
        chunk += character;
    }
    if (!chunk.isEmpty()) words << "=?UTF-8?B?" + chunk.toBase64() + "?=";
    return words.join("\r\n ");
}

// An unstructured header value (the subject): as it is when ASCII, folded at spaces to keep
// lines short; otherwise as encoded words.
QByteArray HeaderText(const QString& text, int nameLength) {
    const QString line = OneLine(text);
    if (!IsAscii(line)) return EncodedWords(line);
    QByteArray folded;
    int column = nameLength + 2;
    for (const QString& word : line.split(' ', Qt::SkipEmptyParts)) {
        if (!folded.isEmpty()) {
            if (column + 1 + word.size() > kFoldAt) {
                folded += "\r\n";
                column = 0;
            }
            folded += ' ';
            ++column;
        }
        folded += word.toLatin1();
        column += word.size();
    }
    return folded;
}

// A display name as a phrase: as it is when it is plain words, quoted when it holds specials,
// encoded words when it is not ASCII.
QByteArray DisplayName(const QString& name) {
    const QString line = OneLine(name);
    if (!IsAscii(line)) return EncodedWords(line);
    static const QRegularExpression plain("^[A-Za-z0-9!#$%&'*+/=?^_`{|}~ -]*$");
    if (plain.match(line).hasMatch()) return line.toLatin1();
    QByteArray quoted = "\"";
    for (const QChar c : line) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c.toLatin1();
    }
    return quoted + "\"";
}

// A name and address; the address goes on a line of its own when the name's last line leaves no
// room for it.
QByteArray Mailbox(const QString& name, const QString& address, int nameLength) {
    const QByteArray angle = "<" + OneLine(address).toUtf8() + ">";
    const QByteArray phrase = DisplayName(name);
    if (phrase.isEmpty()) return angle;
    const qsizetype lastLine = phrase.size() - phrase.lastIndexOf('\n') - 1;
    const qsizetype column = phrase.contains('\n') ? lastLine : nameLength + 2 + lastLine;
    return phrase + (column + 1 + angle.size() > kFoldAt ? "\r\n " : " ") + angle;
}

QByteArray AddressList(const QStringList& addresses) {
    QByteArrayList list;
    for (const QString& address : addresses) list << OneLine(address).toUtf8();
    return list.join(",\r\n ");
}

QByteArray Header(const QByteArray& name, const QByteArray& value) {
    return name + ": " + value + "\r\n";
}

QByteArray DateText(const QDateTime& date) {
    static const char* const kDays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QDate day = date.date();
    const QTime time = date.time();
    const int offset = date.offsetFromUtc() / 60;
    return QString::asprintf("%s, %02d %s %04d %02d:%02d:%02d %c%02d%02d",
                             kDays[day.dayOfWeek() - 1], day.day(), kMonths[day.month() - 1],
                             day.year(), time.hour(), time.minute(), time.second(),
                             offset < 0 ? '-' : '+', std::abs(offset) / 60, std::abs(offset) % 60)
        .toLatin1();
}

QByteArray RandomHex() {
    return QByteArray::number(QRandomGenerator::system()->generate64(), 16);
}

QByteArray MakeMessageId(const QString& sender, const QDateTime& date) {
    const qsizetype at = sender.lastIndexOf('@');
    const QByteArray domain = at >= 0 ? sender.mid(at + 1).toUtf8() : QByteArray("corvane.invalid");
    return QByteArray::number(date.toSecsSinceEpoch()) + "." + RandomHex() + "@" + domain;
}

// The text in quoted-printable: CRLF line ends, lines at most 76 characters with soft breaks,
// white space at a line's end and a dot at its start encoded. No line end follows the text's last
// line: before a boundary that line end belongs to the boundary.
QByteArray QuotedPrintable(const QString& text) {
    QString normal = text;
    normal.replace("\r\n", "\n").replace('\r', '\n');
    QByteArray encoded;
    const QStringList lines = normal.split('\n');
    for (int n = 0; n < lines.size(); ++n) {
        const QByteArray bytes = lines[n].toUtf8();
        QByteArray line;
        for (int i = 0; i < bytes.size(); ++i) {
            const unsigned char b = static_cast<unsigned char>(bytes[i]);
            const bool last = i + 1 == bytes.size();
            QByteArray piece;
            if ((b >= 33 && b <= 126 && b != '=' && !(b == '.' && line.isEmpty())) ||
                ((b == ' ' || b == '\t') && !last))
                piece = QByteArray(1, static_cast<char>(b));
            else
                piece = "=" + QByteArray::number(b, 16).toUpper().rightJustified(2, '0');
            if (line.size() + piece.size() > kQuotedLine - 1) {
                encoded += line + "=\r\n";
                line.clear();
                if (piece == ".") piece = "=2E";
            }
            line += piece;
        }
        encoded += line;
        if (n + 1 < lines.size()) encoded += "\r\n";
    }
    return encoded;
}

QByteArray Base64Lines(const QByteArray& data) {
    const QByteArray base64 = data.toBase64();
    QByteArray lines;
    for (qsizetype i = 0; i < base64.size(); i += kBase64Line)
        lines += base64.mid(i, kBase64Line) + "\r\n";
    return lines;
}

// A parameter value (a file name): quoted when ASCII, in RFC 2231 form when not.
QByteArray Parameter(const QByteArray& name, const QString& value) {
    const QString line = OneLine(value);
    if (IsAscii(line)) {
        QByteArray quoted;
        for (const QChar c : line) {
            if (c == '"' || c == '\\') quoted += '\\';
            quoted += c.toLatin1();
        }
        return name + "=\"" + quoted + "\"";
    }
    return name + "*=UTF-8''" + line.toUtf8().toPercentEncoding();
}

// The body's headers and text, ending in a line end.
QByteArray TextPart(const QString& body) {
    const QByteArray text = QuotedPrintable(body);
    return "Content-Type: text/plain; charset=UTF-8\r\n"
           "Content-Transfer-Encoding: quoted-printable\r\n\r\n" +
           text + (text.endsWith("\r\n") ? "" : "\r\n");
}

}  // namespace

bool IsMailAddress(const QString& address) {
    static const QRegularExpression pattern(
        "^[A-Za-z0-9!#$%&'*+/=?^_`{|}~-]+(\\.[A-Za-z0-9!#$%&'*+/=?^_`{|}~-]+)*"
        "@([A-Za-z0-9]([A-Za-z0-9-]*[A-Za-z0-9])?\\.)+[A-Za-z0-9]([A-Za-z0-9-]*[A-Za-z0-9])?$");
    return address.size() <= 254 && address.indexOf('@') <= 64 && pattern.match(address).hasMatch();
}

QByteArray ComposeMessage(MailMessage* message, const QDateTime& date) {
    if (message->messageId.isEmpty())
        message->messageId = MakeMessageId(message->senderAddress, date);
    QByteArray composed;
    composed += Header("Date", DateText(date));
    composed += Header("From", Mailbox(message->senderName, message->senderAddress, 4));
    if (!message->replyTo.isEmpty())
        composed += Header("Reply-To", "<" + OneLine(message->replyTo).toUtf8() + ">");
    composed += Header("To", AddressList(message->to));
    composed += Header("Subject", HeaderText(message->subject, 7));
    composed += Header("Message-ID", "<" + message->messageId + ">");
    composed += Header("MIME-Version", "1.0");
    if (message->attachments.empty()) return composed + TextPart(message->body);

    const QByteArray boundary = "=_" + RandomHex() + RandomHex();
    composed += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n\r\n";
    composed += "This is a message in several parts (MIME).\r\n";
    composed += "--" + boundary + "\r\n";
    composed +=
        "Content-Type: text/plain; charset=UTF-8\r\n"
        "Content-Transfer-Encoding: quoted-printable\r\n\r\n" +
        QuotedPrintable(message->body) + "\r\n";
    for (const Attachment& file : message->attachments) {
        composed += "--" + boundary + "\r\n";
        composed +=
            "Content-Type: " + file.mimeType + "; " + Parameter("name", file.fileName) + "\r\n";
        composed +=
            "Content-Disposition: attachment; " + Parameter("filename", file.fileName) + "\r\n";
        composed += "Content-Transfer-Encoding: base64\r\n\r\n";
        composed += Base64Lines(file.data);
    }
    return composed + "--" + boundary + "--\r\n";
}
