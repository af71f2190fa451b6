#include "date_range.h"

#include "shell/format.h"
#include "shell/shell.h"

#include "platform/dao/step_cursor.h"

#include <string>

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

reports::ReportWalk RangeWalk(const DateRange& range)
{
    const std::string first = range.first.toStdString();
    const std::string last = range.last.toStdString();
    reports::ReportWalk walk;
    walk.seekFirst = [first](dao::StepCursor& c) { c.SeekAtLeast({ first }); };
    // Stored dates compare as texts, character by character.
    walk.endsAt = [last](const Reading& r) { return r.Text(Reading::Bdate).toStdString() > last; };
    return walk;
}

reports::ReportDescription RangeReport(const DateRange& range, bool dataPages)
{
    reports::ReportDescription d;
    d.name = OpenBaseName();
    const QString days = range.Text();
    d.pageDateLine = [days] { return QStringLiteral("DATES: ") + days; };
    d.logDateLine = [days] { return QStringLiteral("Dates: ") + days; };
    d.walk = RangeWalk(range);
    d.averages = { reports::HalfRounding::AwayFromZero, true };
    d.dataPages = dataPages;
    d.logNothingToPrint = QString::fromLatin1(reports::NothingToPrintMessage);
    d.logFailure = { QString::fromLatin1(RangeLogFailureMessage), forms::Icon::None, QString(), false };
    return d;
}

} // namespace tellora
