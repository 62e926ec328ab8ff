// The lines of a report document, held compactly. A report of a year's invoices runs to hundreds
// of thousands of lines; held as a list of cell lists each line would cost some five hundred bytes
// in separate allocations. Here a finished line is packed into large shared blocks as its cell
// count and, per cell, a length and the cell's UTF-8 bytes, about the length of its text; only the
// last line stays a list of cells, open for the generator writing it. Numbers are right-aligned
// in their cells with leading blanks; a run of blanks after a cell's three-letter code is packed
// as its count. Reading a line gives its cells back as a list; exports read the packed cells in
// place.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUtf8StringView>

#include <cstdint>
#include <deque>
#include <iterator>
#include <string>
#include <vector>

namespace reports {

// One line of the document: CellCount cells, the last of them the style cell.
using ReportLine = QStringList;

// Where the lines of a document go as they are written, when whoever runs the report takes
// them there rather than holding them (a text file of a report of a year's invoices). A line
// is given once no later step of a generator can change it.
class LineSink {
public:
    virtual ~LineSink() = default;
    // The next line, in order.
    virtual void Take(const ReportLine& line) = 0;
    // The lines given so far no longer count: the document was started again.
    virtual void Restart() = 0;
};

// A cell as it is packed: its UTF-8 bytes are head, then `blanks` spaces, then tail.
struct PackedCell {
    QUtf8StringView head;
    qsizetype blanks = 0;
    QUtf8StringView tail;
};

class ReportLines {
public:
    ReportLines() = default;
    // The lines of a list, in order (tests and document parts are built this way).
    ReportLines(const QList<ReportLine>& lines);  // NOLINT(google-explicit-constructor)

    qsizetype size() const {
        return streamed_ + static_cast<qsizetype>(places_.size()) + (held_ ? 1 : 0) +
               (open_ ? 1 : 0);
    }
    bool isEmpty() const { return size() == 0; }
    // Drops every line; a sink stays, told to restart when it was given lines.
    void clear();

    // From now on the lines go to `sink` instead of being held: the last line stays open and
    // the one before it held (last() may take it back); an older one is given to the sink and
    // can no longer be read or replaced (at and replace throw std::out_of_range). The lines
    // must be empty. A generator that widens or edits lines other than the last two cannot be
    // streamed.
    void StreamTo(LineSink* sink);
    // Gives the held and the open line to the sink and ends the streaming; the lines are empty
    // after it (size() then counts none).
    void EndStream();
    // Ends the streaming without giving the sink anything more; the lines are empty after it.
    void DropStream();

    // Appends a line; it stays open (last() gives it for writing) until the next one comes.
    void append(const ReportLine& line);
    // Appends a line of `cells` empty cells, open as append leaves it, in the list of a line
    // closed before: a long report's lines allocate no list of their own.
    void AppendEmpty(qsizetype cells);

    // Line i as a list of cells; i must be below size().
    ReportLine at(qsizetype i) const;
    ReportLine operator[](qsizetype i) const { return at(i); }
    ReportLine first() const { return at(0); }
    ReportLine last() const { return at(size() - 1); }

    // The last line, open for writing; there must be one.
    ReportLine& last();

    // Puts line in place of line i.
    void replace(qsizetype i, const ReportLine& line);

    // Lines from..from+count-1 as a document of their own.
    ReportLines mid(qsizetype from, qsizetype count) const;

    // Calls visit(cell, cellCount, packed) for every cell of line i.
    template <class Visit>
    void VisitCells(qsizetype i, Visit&& visit) const;

    // True when line i is packed (every line but the open one).
    bool IsPacked(qsizetype i) const {
        return sink_ == nullptr && i >= 0 && i < static_cast<qsizetype>(places_.size());
    }
    // Calls edit(cell, cellCount, bytes, stored, blanks) for every cell of packed line i with the
    // cell's stored UTF-8 bytes open for changes that keep their length: its text, or when `blanks`
    // (> 0) blanks after its code were packed as their count, the code and the bytes that followed
    // the blanks.
    template <class Edit>
    void EditCells(qsizetype i, Edit&& edit);

    class const_iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = ReportLine;
        using difference_type = qsizetype;
        using pointer = void;
        using reference = ReportLine;
        const_iterator(const ReportLines* lines, qsizetype i) : lines_(lines), i_(i) {}
        ReportLine operator*() const { return lines_->at(i_); }
        const_iterator& operator++() {
            ++i_;
            return *this;
        }
        bool operator==(const const_iterator& o) const { return i_ == o.i_; }
        bool operator!=(const const_iterator& o) const { return i_ != o.i_; }

    private:
        const ReportLines* lines_;
        qsizetype i_;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

private:
    // Where a packed line starts: its block and the offset in it.
    struct Place {
        uint32_t block;
        uint32_t offset;
    };
    static uint32_t ReadCount(const char*& at) {
        uint32_t n = 0;
        for (int shift = 0;; shift += 7) {
            const auto byte = static_cast<unsigned char>(*at++);
            n |= static_cast<uint32_t>(byte & 0x7F) << shift;
            if (byte < 0x80) return n;
        }
    }
    // Reads the cell packed at `at` and moves past it.
    static PackedCell ReadCell(const char*& at);
    const char* Packed(qsizetype i) const {
        const Place& p = places_[static_cast<size_t>(i)];
        return blocks_[p.block].data() + p.offset;
    }
    // Packs the open line behind the others.
    void Close();
    // Packs line at the end of the blocks and says where it went.
    Place Pack(const std::string& packed);

    std::vector<std::string> blocks_;
    std::deque<Place> places_;  // grows by small pieces, never copied whole
    ReportLine openLine_;       // when not open, the list of a closed line, kept for the next
    bool open_ = false;
    std::string scratch_;  // the open line being packed, kept for the next
    // Streaming: the sink, the lines given to it, and the closed line still held back.
    LineSink* sink_ = nullptr;
    qsizetype streamed_ = 0;
    bool held_ = false;
    ReportLine heldLine_;
};

template <class Visit>
void ReportLines::VisitCells(qsizetype i, Visit&& visit) const {
    if (sink_ != nullptr || (open_ && i == static_cast<qsizetype>(places_.size()))) {
        const ReportLine line = at(i);
        const qsizetype count = line.size();
        for (qsizetype c = 0; c < count; ++c) {
            const QByteArray bytes = line.at(c).toUtf8();
            visit(c, count, PackedCell{QUtf8StringView(bytes), 0, {}});
        }
        return;
    }
    const char* at = Packed(i);
    const qsizetype count = ReadCount(at);
    for (qsizetype c = 0; c < count; ++c) visit(c, count, ReadCell(at));
}

template <class Edit>
void ReportLines::EditCells(qsizetype i, Edit&& edit) {
    const char* at = Packed(i);
    const qsizetype count = ReadCount(at);
    char* const start = blocks_[places_[static_cast<size_t>(i)].block].data();
    const char* const base = start;
    for (qsizetype c = 0; c < count; ++c) {
        const PackedCell cell = ReadCell(at);
        edit(c, count, start + (cell.head.data() - base), cell.head.size() + cell.tail.size(),
             cell.blanks);
    }
}

}  // namespace reports
