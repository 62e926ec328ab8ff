// The steps every report generator shares around its own pass over the tables: the usual two
// heading rows, the progress box over the records visited, the underline under the last line,
// and closing the tables when the pass ends.
#pragma once

#include <QString>
#include <QStringList>

#include "report/report_document.h"

namespace reports {

// Gives the document its usual headings: an empty row ruled above, then one caption per column
// after the column's code (a "V" column gets its bare code), ruled below.
void PutStandardHeadings(ReportDocument& doc, const QStringList& captions);

// Adds "U" to the style of the last line.
void UnderlineLastLine(ReportDocument& doc);

// The progress box over a pass of `count` records: shown with the caption while the object
// lives; after each record visited, qualifying or not, it shows how much of the pass is done.
class RecordProgress {
public:
    RecordProgress(const QString& caption, long count);
    ~RecordProgress();
    RecordProgress(const RecordProgress&) = delete;
    RecordProgress& operator=(const RecordProgress&) = delete;

    void Visited();

private:
    long count_;
    long visited_ = 0;
};

// Closes every open table and forgets the handles of the tables reports read.
void CloseReportTables();

// A table read that failed (a negative result) shows the engine's message and ends the program;
// true when that happened.
bool ReadFailed(int rc);

}  // namespace reports
