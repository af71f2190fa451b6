#pragma once
// The shared date, time and number helpers every window uses to turn stored
// readings into shown ones and back.
//
// Stored date: "yyyy-MM-dd". Stored time: 24-hour "HH<sep>mm" with the
// system's time separator. The system's separator, AM/PM designators and
// short date form come from the running locale, or from a locale a test sets.
#include <QLocale>
#include <QString>
#include <QStringList>

namespace tellora {

struct TimeLocale {
    QString timeSeparator = ":";
    QString amDesignator = "AM";
    QString pmDesignator = "PM";
    // Qt date format of the system's short date, always with a 4-digit year.
    QString shortDateFormat = "M/d/yyyy";

    // The running system's settings.
    static TimeLocale fromSystem();
    // The settings of a locale; the C (POSIX) locale has the POSIX short date.
    static TimeLocale fromLocale(const QLocale& locale);
};

// The locale the helpers use: the system's unless a test installed another.
const TimeLocale& timeLocale();
void setTimeLocale(const TimeLocale& locale);
void resetTimeLocale();

// "short time": 24-hour hours and minutes, two digits each ("17:45").
QString FormatShortTime(const QString& time);
// "medium time": 12-hour hours (two digits) and minutes with AM or PM ("05:45 PM").
QString FormatMediumTime(const QString& time);
// "short date": the system's short date form of a date ("3/5/2014").
QString FormatShortDate(const QString& date);
// "hhmm": four digits, 24-hour ("0830").
QString FormatHourMinute(const QString& time);
// The texts under which a reading of this time may be stored: the stored
// time under the system's separator first, then with ":" and with "." (a
// file kept under another regional format). A text that reads as no time is
// its own only spelling.
QStringList StoredTimeSpellings(const QString& time);
// Two time texts (stored or shown) name the same time; texts that read as no
// time are the same only when equal.
bool SameStoredTime(const QString& a, const QString& b);
// FormatHourMinute as a number, 0 to 2359; below 1200 is a morning reading.
int TimeOfReadingValue(const QString& storedTime);

// The leading number of a text: blanks, tabs and line feeds ignored wherever
// they stand, optional sign, "." as decimal point whatever the locale, optional
// exponent (E or D), or a hexadecimal (&H) or octal (&O) number. No leading
// number, or one too large to hold, gives 0. Never throws.
double NumberValue(const QString& text);
// The number written back as text, as charts and reports show it.
QString NumberText(double value);

} // namespace tellora
