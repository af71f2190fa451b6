#include "date_range.h"

#include "shell/format.h"

namespace tellora {

namespace {

// The system's date separator: the first character of its short date form
// that is not part of a day, month or year field.
QString DateSeparator()
{
    for (QChar c : timeLocale().shortDateFormat)
        if (c != 'd' && c != 'M' && c != 'y') return QString(c);
    return QStringLiteral("/");
}

} // namespace

QString RangeDayText(const QDate& day)
{
    const QString sep = DateSeparator();
    return QStringLiteral("%1%2%3%4%5")
        .arg(day.month(), 2, 10, QChar('0'))
        .arg(sep)
        .arg(day.day(), 2, 10, QChar('0'))
        .arg(sep)
        .arg(day.year(), 4, 10, QChar('0'));
}

QString DateRange::Text() const
{
    return RangeDayText(firstDay) + QStringLiteral(" To ") + RangeDayText(lastDay);
}

RangeWalk::RangeWalk(dao::Database& db, const DateRange& range)
    : cursor_(db, "BLOOD", "Readings")
    , first_(range.first.toStdString())
    , last_(range.last.toStdString())
{
}

void RangeWalk::Start()
{
    cursor_.SeekAtLeast({ first_ });
    started_ = true;
    positioned_ = true;
    done_ = false;
}

std::optional<Reading> RangeWalk::Next()
{
    if (!started_) Start();
    if (done_) return std::nullopt;
    if (!positioned_ && !cursor_.EOF_()) cursor_.MoveNext();
    positioned_ = false;
    // A start after the last reading leaves the cursor at the end: nothing is
    // read without a current row.
    if (cursor_.EOF_()) {
        done_ = true;
        return std::nullopt;
    }
    const dao::Value date = cursor_.GetValue("Bdate");
    if (date.value_or(std::string()) > last_) {
        done_ = true;
        return std::nullopt;
    }
    return Reading::From(cursor_);
}

} // namespace tellora
