#include "report/report_lines.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace reports {
namespace {

// Lines are packed into blocks of this size (a longer line gets a block of its own).
constexpr size_t kBlockBytes = size_t{1} << 20;

// A count as seven bits a byte, the high bit set on every byte but the last; p moves past it.
void WriteCount(char*& p, size_t n) {
    while (n >= 0x80) {
        *p++ = static_cast<char>((n & 0x7F) | 0x80);
        n >>= 7;
    }
    *p++ = static_cast<char>(n);
}

// Where a cell's blanks may start (after its code) and the shortest run worth packing.
constexpr qsizetype kCodeLength = 3;
constexpr qsizetype kLeastBlanks = 2;
constexpr qsizetype kMostBlanks = 255;
// The most bytes a count takes.
constexpr size_t kCountBytes = 10;

// A cell: a count that is twice its stored length, plus one when a byte follows with the number
// of blanks taken out after the code; then the stored bytes, UTF-8. p has room for the bytes
// PackedBound gives and moves past what was written.
void WriteCell(char*& p, const QString& cell) {
    const qsizetype n = cell.size();
    const char16_t* chars = reinterpret_cast<const char16_t*>(cell.constData());
    qsizetype ascii = 0;
    while (ascii < n && chars[ascii] < 0x80) ++ascii;
    if (ascii != n) {
        const QByteArray bytes = cell.toUtf8();
        WriteCount(p, static_cast<size_t>(bytes.size()) * 2);
        p = std::copy(bytes.begin(), bytes.end(), p);
        return;
    }
    qsizetype blanks = 0;
    while (kCodeLength + blanks < n && blanks < kMostBlanks && chars[kCodeLength + blanks] == u' ')
        ++blanks;
    if (blanks < kLeastBlanks) blanks = 0;
    WriteCount(p, static_cast<size_t>(n - blanks) * 2 + (blanks > 0 ? 1 : 0));
    const qsizetype head = blanks > 0 ? kCodeLength : n;
    if (blanks > 0) *p++ = static_cast<char>(blanks);
    for (qsizetype k = 0; k < head; ++k) *p++ = static_cast<char>(chars[k]);
    for (qsizetype k = head + blanks; k < n; ++k) *p++ = static_cast<char>(chars[k]);
}

// The most bytes a line packs into: a count, and per cell a count, a blank count and three
// bytes of UTF-8 at most for every UTF-16 unit.
size_t PackedBound(const ReportLine& line) {
    size_t bound = kCountBytes;
    for (const QString& cell : line)
        bound += kCountBytes + 1 + static_cast<size_t>(cell.size()) * 3;
    return bound;
}

// Packs line into buffer, which is resized to fit it.
void PackLine(const ReportLine& line, std::string& buffer) {
    buffer.resize(PackedBound(line));
    char* p = buffer.data();
    WriteCount(p, static_cast<size_t>(line.size()));
    for (const QString& cell : line) WriteCell(p, cell);
    buffer.resize(static_cast<size_t>(p - buffer.data()));
}

}  // namespace

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
    if (sink_ != nullptr && streamed_ > 0) sink_->Restart();
    blocks_.clear();
    places_.clear();
    openLine_.clear();
    open_ = false;
    streamed_ = 0;
    heldLine_.clear();
    held_ = false;
}

void ReportLines::StreamTo(LineSink* sink) {
    if (!isEmpty()) throw std::logic_error("only an empty document streams its lines");
    sink_ = sink;
}

void ReportLines::EndStream() {
    if (sink_ == nullptr) return;
    if (held_) sink_->Take(heldLine_);
    if (open_) sink_->Take(openLine_);
    DropStream();
}

void ReportLines::DropStream() {
    sink_ = nullptr;
    clear();
}

void ReportLines::append(const ReportLine& line) {
    Close();
    openLine_ = line;
    open_ = true;
}

void ReportLines::AppendEmpty(qsizetype cells) {
    Close();
    if (openLine_.isDetached()) {
        openLine_.resize(cells);
        for (QString& cell : openLine_) cell.clear();
    } else {
        openLine_ = ReportLine(cells);  // a copy of the closed line is still read elsewhere
    }
    open_ = true;
}

ReportLine ReportLines::at(qsizetype i) const {
    if (i < 0 || i >= size()) throw std::out_of_range("report line out of range");
    if (open_ && i == size() - 1) return openLine_;
    if (sink_ != nullptr) {
        if (i < streamed_) throw std::out_of_range("report line already written out");
        return heldLine_;
    }
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
    if (!open_ && held_) {
        openLine_.swap(heldLine_);
        held_ = false;
        open_ = true;
    }
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
    if (open_ && i == size() - 1) {
        openLine_ = line;
        return;
    }
    if (sink_ != nullptr) {
        if (i < streamed_) throw std::out_of_range("report line already written out");
        heldLine_ = line;
        return;
    }
    std::string packed;
    PackLine(line, packed);
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
    if (sink_ != nullptr) {
        if (held_) {
            sink_->Take(heldLine_);
            ++streamed_;
        }
        heldLine_.swap(openLine_);
        held_ = true;
        open_ = false;
        return;
    }
    PackLine(openLine_, scratch_);
    places_.push_back(Pack(scratch_));
    open_ = false;
}

ReportLines::Place ReportLines::Pack(const std::string& packed) {
    if (blocks_.empty() || blocks_.back().size() + packed.size() > blocks_.back().capacity()) {
        blocks_.emplace_back();
        blocks_.back().reserve(std::max(kBlockBytes, packed.size()));
    }
    std::string& block = blocks_.back();
    const Place place{static_cast<uint32_t>(blocks_.size() - 1),
                      static_cast<uint32_t>(block.size())};
    block += packed;
    return place;
}

}  // namespace reports
