#pragma once
// A date range picked on a date-range window, and what sets the reports over
// a date range apart from those from the current reading.
#include "reports/report_engine.h"

#include <QDate>
#include <QString>

namespace tellora {

// The first and the last day, both included: as stored dates for finding the
// readings, and as the picked days for the page headers.
struct DateRange {
    QString first; // "yyyy-MM-dd"
    QString last;
    QDate firstDay;
    QDate lastDay;

    // "a To b", each day as "MM/dd/yyyy" with the system's date separator.
    QString Text() const;
};

// A picked day as the headers print it: two-digit month, two-digit day,
// four-digit year, month first whatever the system's order.
QString RangeDayText(const QDate& day);

// The walk of every pass over a range: from the first reading dated on or
// after the first day (one index seek on the date alone) up to the last one
// dated on or before the last day.
reports::ReportWalk RangeWalk(const DateRange& range);

// The reports over a date range: the range in the headers, the range walk,
// averages with halves away from zero and the weight divided at double
// precision, and the injection log's own messages. `dataPages` false gives
// the two summary pages alone.
reports::ReportDescription RangeReport(const DateRange& range, bool dataPages);

inline constexpr const char* RangeLogFailureMessage
    = "Either the date range you have entered contains no readings or your printer is offline.";

} // namespace tellora
