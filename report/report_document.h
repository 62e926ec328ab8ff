// The report document: the one table of report lines that every report, invoice, bill and
// statement is written into before it is shown, printed or exported. A generator sets the width
// and the number of cells, starts the document, fills titles, column codes and headings, and
// appends lines, asking CheckPage before each so that pages break with their header repeated.
// The document also keeps the report date span that the date range dialog edits.
#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include "report/page_length.h"
#include "report/report_lines.h"

namespace reports {

class ReportDocument {
public:
    // Width of the report in character columns (at most 99); set before StartReport.
    int RptWidth = 0;
    // Cells per line, style cell included; set before StartReport.
    int CellCount = 0;
    // The body, line 0 first; holds exactly the lines written since StartReport.
    ReportLines Lines;
    // Title lines repeated at the top of every page.
    QStringList Titles;
    // One code prefix per column ("L00", "R47", "V08"): a cell is its column's prefix + value.
    QStringList ColCodes;
    // Heading rows repeated on every page, style cell included.
    QList<ReportLine> Headings;
    // Index of the last line; -1 when there is none.
    int CurLine = -1;
    // Lines on the current page, header lines included.
    int PageLine = -1;
    // Current page number; 0 until the first page is started.
    int PageNo = 0;
    // Greatest number of lines on a page.
    int PageLength = kPageLengthWithoutPrinter;
    // The report date span as day numbers, inclusive at both ends.
    double SpanStart = 0;
    double SpanEnd = 0;

    // Resets the counters, measures the page length on the current printer and creates one
    // empty heading row and CellCount-1 empty column codes. Clears the titles of an earlier
    // report. Throws std::invalid_argument when RptWidth is not 1..99 or CellCount is below 2.
    void StartReport();

    // Releases lines, headings, column codes and titles; the counters keep their values.
    void FinishReport();

    // Appends one line of empty cells.
    void NewLine();

    // One bold line per title, centred on the middle column.
    void PutTitles();

    // Two blank lines.
    void PutGap();

    // A blank line, then a copy of every heading row.
    void PutHeadings();

    // Starts a new page when none is started yet or when needed exceeds PageLength: an EJECT
    // line ends the old page (its last line underlined when withHeadings), then the page-number
    // line, a blank line, the titles, the gap and, when withHeadings, the headings. True when a
    // page was started.
    bool CheckPage(int needed, bool withHeadings);

    // Sets the span to the current month.
    void DefaultSpan();

    // Sets the span to the first and last day of the month that holds day.
    void SpanMonthOf(const QDate& day);

    // A line of CellCount empty cells.
    ReportLine EmptyLine() const;

    // Cell i and the style cell of the last line; a line must exist.
    QString& Cell(int i);
    QString& Style();

private:
    // The day the page-number lines show, as report text: read from the clock at the first page
    // break of a report (StartReport forgets it), not at every one of a long run.
    QString pageDay_;
};

// The program's one report document.
ReportDocument& TheReport();

// Replaces the program's report document with a fresh one (tests start from it).
void ResetTheReport();

}  // namespace reports
