#pragma once
// A date range picked on a date-range window, and the walk over its readings.
#include "shell/reading.h"

#include "platform/dao/step_cursor.h"

#include <QDate>
#include <QString>

#include <optional>
#include <string>

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

// The readings of a range in index order: from the first reading dated on or
// after the first day up to the last one dated on or before the last day.
// Finding the start is one index seek; the walk then steps on in the index.
class RangeWalk {
public:
    // Over BLOOD of an open readings database; throws dao::Error.
    RangeWalk(dao::Database& db, const DateRange& range);

    // Back to the start of the range (every pass begins here).
    void Start();
    // The next reading of the range; nothing once the walk has passed the last
    // day or the end of the table. Starts the walk when not started yet.
    std::optional<Reading> Next();

private:
    dao::StepCursor cursor_;
    std::string first_, last_;
    bool positioned_ = false; // on a row not handed out yet
    bool started_ = false;
    bool done_ = false;
};

} // namespace tellora
