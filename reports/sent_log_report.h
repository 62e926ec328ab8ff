// The sent log report: the messages of documents sent by e-mail within a span, in the order they
// were sent, each with its day and time, the customer's number, the document, the address and the
// result (sent or refused, a refusal with the server's reason on the lines below), and the count
// of each at the end.
#pragma once

#include "report/report_document.h"

namespace reports {

// Builds the report over the days spanStart to spanEnd (inclusive; day numbers) from SentLog into
// the document (which it starts). True when the document has lines to show; false (the user
// told "No messages sent within selected dates.") when no message lies in the span, or when the
// log could not be read (the user has been told).
bool MakeSentLogReport(ReportDocument& doc, double spanStart, double spanEnd);

}  // namespace reports
