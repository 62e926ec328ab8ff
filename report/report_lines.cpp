#include "report/report_lines.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace reports {
namespace {

// Lines are packed into blocks of this size (a longer line gets a block of its own).
constexpr size_t kBlockBytes = size_t{1} << 20;

// A count as seven bits a byte, the high bit set on every byte but the last.
void WriteCount(std::string& out, size_t n) {
    while (n >= 0x80) {
        out += static_cast<char>((n & 0x7F) | 0x80);
        n >>= 7;
    }
    out += static_cast<char>(n);
}

// Where a cell's blanks may start (after its code) and the shortest run worth packing.
constexpr qsizetype kCodeLength = 3;
constexpr qsizetype kLeastBlanks = 2;
constexpr qsizetype kMostBlanks = 255;

// A cell: a count that is twice its stored length, plus one when a byte follows with the number
// of blanks taken out after the code; then the stored bytes, UTF-8.
void WriteCell(std::string& out, const QString& cell) {
    const qsizetype n = cell.size();
    const QChar* chars = cell.constData();
    qsizetype ascii = 0;
    while (ascii < n && chars[ascii].unicode() < 0x80) ++ascii;
    if (ascii != n) {
        const QByteArray bytes = cell.toUtf8();
        WriteCount(out, static_cast<size_t>(bytes.size()) * 2);
        out.append(bytes.constData(), static_cast<size_t>(bytes.size()));
        return;
    }
    qsizetype blanks = 0;
    while (kCodeLength + blanks < n && blanks < kMostBlanks &&
           chars[kCodeLength + blanks] == u' ')
        ++blanks;
    if (blanks < kLeastBlanks) blanks = 0;
    WriteCount(out, static_cast<size_t>(n - blanks) * 2 + (blanks > 0 ? 1 : 0));
    if (blanks > 0) out += static_cast<char>(blanks);
    for (qsizetype k = 0; k < n; ++k)
        if (blanks == 0 || k < kCodeLength || k >= kCodeLength + blanks)
            out += static_cast<char>(chars[k].unicode());
}

std::string PackLine(const ReportLine& line) {
    std::string out;
    out.reserve(static_cast<size_t>(line.size()) * 12);
    WriteCount(out, static_cast<size_t>(line.size()));
    for (const QString& cell : line) WriteCell(out, cell);
    return out;
}

}  // namespace

uint32_t ReportLines::ReadCount(const char*& at) {
    uint32_t n = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*at++);
        n |= static_cast<uint32_t>(byte & 0x7F) << shift;
        if (byte < 0x80) return n;
    }
}

PackedCell ReportLines::ReadCell(const char*& at) {
    const uint32_t count = ReadCount(at);
    const qsizetype length = count / 2;
    if ((count & 1) == 0) {
        const PackedCell cell{QUtf8StringView(at, length), 0, {}};
        at += length;
        return cell;
    }
    const qsizetype blanks = static_cast<unsigned char>(*at++);
    const qsizetype head = std::min(length, kCodeLength);
    const PackedCell cell{QUtf8StringView(at, head), blanks,
                          QUtf8StringView(at + head, length - head)};
    at += length;
    return cell;
}

ReportLines::ReportLines(const QList<ReportLine>& lines) {
    for (const ReportLine& line : lines) append(line);
}

void ReportLines::clear() {
    blocks_.clear();
    places_.clear();
    openLine_.clear();
    open_ = false;
}

void ReportLines::append(const ReportLine& line) {
    Close();
    openLine_ = line;
    open_ = true;
}

ReportLine ReportLines::at(qsizetype i) const {
    if (i < 0 || i >= size()) throw std::out_of_range("report line out of range");
    if (open_ && i == static_cast<qsizetype>(places_.size())) return openLine_;
    const char* at = Packed(i);
    const qsizetype count = ReadCount(at);
    ReportLine line;
    line.reserve(count);
    for (qsizetype c = 0; c < count; ++c) {
        const PackedCell cell = ReadCell(at);
        QString text = cell.head.toString();
        if (cell.blanks > 0) text += QString(cell.blanks, u' ') + cell.tail.toString();
        line.append(text);
    }
    return line;
}

ReportLine& ReportLines::last() {
    if (!open_) {
        if (places_.empty()) throw std::out_of_range("a report without lines has no last line");
        openLine_ = at(size() - 1);
        places_.pop_back();
        open_ = true;
    }
    return openLine_;
}

void ReportLines::replace(qsizetype i, const ReportLine& line) {
    if (i < 0 || i >= size()) throw std::out_of_range("report line out of range");
    if (open_ && i == static_cast<qsizetype>(places_.size())) {
        openLine_ = line;
        return;
    }
    const std::string packed = PackLine(line);
    const char* start = Packed(i);
    const char* end = start;
    const uint32_t count = ReadCount(end);
    for (uint32_t c = 0; c < count; ++c) ReadCell(end);
    if (static_cast<size_t>(end - start) == packed.size()) {
        const Place& p = places_[static_cast<size_t>(i)];
        std::memcpy(blocks_[p.block].data() + p.offset, packed.data(), packed.size());
        return;
    }
    places_[static_cast<size_t>(i)] = Pack(packed);
}

ReportLines ReportLines::mid(qsizetype from, qsizetype count) const {
    ReportLines out;
    for (qsizetype i = from; i < from + count && i < size(); ++i) out.append(at(i));
    return out;
}

void ReportLines::Close() {
    if (!open_) return;
    places_.push_back(Pack(PackLine(openLine_)));
    openLine_.clear();
    open_ = false;
}

ReportLines::Place ReportLines::Pack(const std::string& packed) {
    if (blocks_.empty() || blocks_.back().size() + packed.size() > blocks_.back().capacity()) {
        blocks_.emplace_back();
        blocks_.back().reserve(std::max(kBlockBytes, packed.size()));
    }
    std::string& block = blocks_.back();
    const Place place{static_cast<uint32_t>(blocks_.size() - 1), static_cast<uint32_t>(block.size())};
    block += packed;
    return place;
}

}  // namespace reports
