#include "format.h"

#include <QDate>
#include <QLocale>
#include <QRegularExpression>
#include <QTime>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace tellora {

namespace {

std::optional<TimeLocale>& installed()
{
    static std::optional<TimeLocale> l;
    return l;
}

// Reads a time text by the system's rules: 24-hour "17:45", 12-hour
// "5:45 PM" or "05:45 PM", seconds optional, the system's separator, ":"
// or ".".
std::optional<QTime> readTime(const QString& text)
{
    const TimeLocale& loc = timeLocale();
    QString s = text.trimmed();
    if (s.isEmpty()) return std::nullopt;
    int half = 0; // 0: 24-hour, 1: AM, 2: PM
    const QString designators[4] = { loc.amDesignator, loc.pmDesignator, "AM", "PM" };
    for (int i = 0; i < 4; ++i) {
        const QString& d = designators[i];
        if (!d.isEmpty() && s.endsWith(d, Qt::CaseInsensitive)) {
            half = (i % 2) + 1;
            s.chop(d.size());
            s = s.trimmed();
            break;
        }
    }
    // A time stored under another regional format joins its hours and
    // minutes with "." or ":"; both read as the same time.
    QString norm = s;
    if (!loc.timeSeparator.isEmpty() && loc.timeSeparator != ":") norm.replace(loc.timeSeparator, ":");
    norm.replace(QLatin1Char('.'), QLatin1Char(':'));
    const QStringList parts = norm.split(':');
    if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
    int values[3] = { 0, 0, 0 };
    for (int i = 0; i < parts.size(); ++i) {
        bool ok = false;
        const QString p = parts[i].trimmed();
        if (p.isEmpty() || p.size() > 2) return std::nullopt;
        values[i] = p.toInt(&ok);
        if (!ok) return std::nullopt;
    }
    int h = values[0];
    const int m = values[1], sec = values[2];
    if (m > 59 || sec > 59) return std::nullopt;
    if (half) {
        if (h < 1 || h > 12) return std::nullopt;
        h = (h % 12) + (half == 2 ? 12 : 0);
    } else if (h > 23) {
        return std::nullopt;
    }
    return QTime(h, m, sec);
}

QString two(int v)
{
    return QString::number(v).rightJustified(2, '0');
}

} // namespace

TimeLocale TimeLocale::fromSystem()
{
    return fromLocale(QLocale::system());
}

TimeLocale TimeLocale::fromLocale(const QLocale& sys)
{
    TimeLocale l;
    const QString tf = sys.timeFormat(QLocale::ShortFormat);
    const int h = tf.indexOf(QRegularExpression("[hH]"));
    if (h >= 0) {
        int i = h;
        while (i < tf.size() && (tf[i] == 'h' || tf[i] == 'H'))
            ++i;
        int j = i;
        while (j < tf.size() && tf[j] != 'm')
            ++j;
        if (j > i && j < tf.size()) l.timeSeparator = tf.mid(i, j - i);
    }
    if (!sys.amText().isEmpty()) l.amDesignator = sys.amText();
    if (!sys.pmText().isEmpty()) l.pmDesignator = sys.pmText();
    QString df = sys.dateFormat(QLocale::ShortFormat);
    // With no regional settings the short date is the POSIX one (%m/%d/%y),
    // not Qt's "d MMM yyyy", whose month name runs into the columns beside it.
    if (sys.language() == QLocale::C) df = QStringLiteral("MM/dd/yy");
    if (!df.contains("yyyy")) df.replace("yy", "yyyy");
    l.shortDateFormat = df;
    return l;
}

const TimeLocale& timeLocale()
{
    auto& l = installed();
    if (!l) l = TimeLocale::fromSystem();
    return *l;
}

void setTimeLocale(const TimeLocale& locale)
{
    installed() = locale;
}
void resetTimeLocale()
{
    installed().reset();
}

QString FormatShortTime(const QString& time)
{
    const auto t = readTime(time);
    if (!t) return QString();
    return two(t->hour()) + timeLocale().timeSeparator + two(t->minute());
}

QString FormatMediumTime(const QString& time)
{
    const auto t = readTime(time);
    if (!t) return QString();
    const int h12 = t->hour() % 12 == 0 ? 12 : t->hour() % 12;
    const TimeLocale& loc = timeLocale();
    return two(h12) + loc.timeSeparator + two(t->minute()) + " "
        + (t->hour() < 12 ? loc.amDesignator : loc.pmDesignator);
}

// A stored date of exactly four, two and two digits read straight away: a
// report reads one for every line, and the format parser is slow. Anything
// else, or no such day, goes through the parser as before.
static QDate storedDigitsDate(const QString& date)
{
    if (date.size() != 10 || date[4] != QLatin1Char('-') || date[7] != QLatin1Char('-')) return {};
    int part[3] = { 0, 0, 0 };
    const int from[3] = { 0, 5, 8 }, to[3] = { 4, 7, 10 };
    for (int p = 0; p < 3; ++p) {
        for (int i = from[p]; i < to[p]; ++i) {
            const char16_t c = date[i].unicode();
            if (c < u'0' || c > u'9') return {};
            part[p] = part[p] * 10 + (c - u'0');
        }
    }
    return QDate(part[0], part[1], part[2]);
}

QString FormatShortDate(const QString& date)
{
    QDate d = storedDigitsDate(date);
    if (!d.isValid()) d = QDate::fromString(date.trimmed(), "yyyy-MM-dd");
    if (!d.isValid()) d = QDate::fromString(date.trimmed(), timeLocale().shortDateFormat);
    if (!d.isValid()) return QString();
    return QLocale::c().toString(d, timeLocale().shortDateFormat);
}

QString FormatHourMinute(const QString& time)
{
    const auto t = readTime(time);
    if (!t) return QString();
    return two(t->hour()) + two(t->minute());
}

QStringList StoredTimeSpellings(const QString& time)
{
    const QString stored = FormatShortTime(time);
    if (stored.isEmpty()) return { time };
    const QString hours = stored.left(2), minutes = stored.right(2);
    QStringList spellings { stored };
    for (const QString& sep : { QStringLiteral(":"), QStringLiteral(".") })
        if (!spellings.contains(hours + sep + minutes)) spellings << hours + sep + minutes;
    return spellings;
}

bool SameStoredTime(const QString& a, const QString& b)
{
    const QString ta = FormatShortTime(a), tb = FormatShortTime(b);
    return ta.isEmpty() || tb.isEmpty() ? a == b : ta == tb;
}

int TimeOfReadingValue(const QString& storedTime)
{
    return int(NumberValue(FormatHourMinute(storedTime)));
}

double NumberValue(const QString& text)
{
    // Blanks, tabs and line feeds are ignored wherever they stand.
    std::string s;
    for (QChar c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
        s += c.unicode() < 128 ? char(c.unicode()) : '\x01';
    }
    size_t i = 0;
    if (s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
        const bool hex = s[1] == 'H' || s[1] == 'h';
        double v = 0;
        bool any = false;
        for (i = 2; i < s.size(); ++i) {
            int d;
            const char c = s[i];
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (hex && c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (hex && c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            else
                break;
            if (!hex && d > 7) break;
            v = v * (hex ? 16 : 8) + d;
            any = true;
        }
        return any && std::isfinite(v) ? v : 0;
    }
    std::string num;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) num += s[i++];
    bool digits = false, point = false;
    for (; i < s.size(); ++i) {
        if (s[i] >= '0' && s[i] <= '9') {
            num += s[i];
            digits = true;
        } else if (s[i] == '.' && !point) {
            num += '.';
            point = true;
        } else {
            break;
        }
    }
    if (!digits) return 0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::string exp = "e";
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exp += s[j++];
        bool expDigits = false;
        while (j < s.size() && s[j] >= '0' && s[j] <= '9') {
            exp += s[j++];
            expDigits = true;
        }
        if (expDigits) num += exp;
    }
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(num.c_str(), &end);
    if (!std::isfinite(v) || errno == ERANGE) return 0;
    return v;
}

QString NumberText(double value)
{
    return QString::number(value, 'g', 15);
}

} // namespace tellora
