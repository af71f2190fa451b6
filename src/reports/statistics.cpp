#include "statistics.h"

#include "shell/format.h"

#include <charconv>
#include <cmath>

namespace tellora::reports {

double LeadingNumber(const dao::Value& stored)
{
    if (!stored) return 0;
    const std::string& s = *stored;
    // Digits with at most one point read the same in every locale; anything
    // else (blanks, signs, exponents, &H...) goes the long way.
    bool plain = !s.empty() && s.size() < 32;
    int points = 0, digits = 0;
    for (char c : s) {
        if (c == '.')
            ++points;
        else if (c >= '0' && c <= '9')
            ++digits;
        else
            plain = false;
    }
    if (plain && points <= 1 && digits > 0) {
        double v = 0;
        const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
        if (ec == std::errc() && end == s.data() + s.size()) return v;
    }
    return NumberValue(QString::fromStdString(s));
}

namespace {

QString wholeText(double value)
{
    return std::fabs(value) < 9.0e18 ? NumberText(static_cast<std::int64_t>(value)) : NumberText(value);
}

} // namespace

SummaryStatistics::SummaryStatistics(AverageRules rules)
    : rules_(rules)
{
}

void SummaryStatistics::AddReading(const Reading& reading)
{
    bool any = false;
    for (int m = 0; m < MeasureCount; ++m)
        any = any || reading.Holds(MeasureFields[m]);
    if (!any) return;
    const bool am = TimeOfReadingValue(reading.Text(Reading::Btime)) < 1200;
    for (int m = 0; m < MeasureCount; ++m)
        if (reading.Holds(MeasureFields[m])) addNumber(m, LeadingNumber(reading[MeasureFields[m]]), am, reading);
}

void SummaryStatistics::addNumber(int m, double number, bool am, const Reading& reading)
{
    Stats& s = stats_[m];
    // A whole-number measure keeps the number rounded half to even but
    // compares the number as written; a single compares its single.
    const double value = IsWhole(m) ? std::nearbyint(number) : double(float(number));
    const double candidate = IsWhole(m) ? number : value;
    auto lower = [&](const Extreme& e) { return !e.set || candidate < e.value; };
    auto higher = [&](const Extreme& e) { return !e.set || candidate > e.value; };
    auto take = [&](Extreme& e, bool halfDay) {
        e.set = true;
        e.value = value;
        if (!halfDay) return;
        e.text.value = IsWhole(m) ? wholeText(value) : NumberText(float(value));
        e.text.date = FormatShortDate(reading.Text(Reading::Bdate));
        e.text.time = FormatMediumTime(reading.Text(Reading::Btime));
    };
    if (lower(s.lowest)) take(s.lowest, false);
    if (higher(s.highest)) take(s.highest, false);
    Extreme& low = am ? s.lowestAm : s.lowestPm;
    Extreme& high = am ? s.highestAm : s.highestPm;
    if (lower(low)) take(low, true);
    if (higher(high)) take(high, true);
    // Sums add the number as written, rounded to a single after each addition.
    if (am) {
        s.amSum = float(double(s.amSum) + number);
        ++s.amCount;
    } else {
        s.pmSum = float(double(s.pmSum) + number);
        ++s.pmCount;
    }
}

void SummaryStatistics::AddPrintedRow(const Reading& reading)
{
    for (int m = 0; m < MeasureCount; ++m) {
        const Reading::Field f = MeasureFields[m];
        if (!reading.Holds(f)) continue;
        if (f == Reading::Bpressure || f == Reading::Dpressure) {
            // The row shows a pressure without its trailing blanks.
            std::string text = *reading[f];
            while (!text.empty() && text.back() == ' ')
                text.pop_back();
            if (text == MissingMark) continue;
        }
        addOverall(m, LeadingNumber(reading[f]));
    }
}

void SummaryStatistics::addOverall(int m, double number)
{
    Stats& s = stats_[m];
    // Whole-number sums are rounded half to even at each addition, the
    // others kept as singles.
    s.overallSum = IsWhole(m) ? std::nearbyint(s.overallSum + number) : double(float(s.overallSum + number));
    ++s.overallCount;
}

QString SummaryStatistics::extremeText(int m, const Extreme& e) const
{
    if (!e.set) return QString::fromLatin1(NoReadings);
    return IsWhole(m) ? wholeText(e.value) : NumberText(float(e.value));
}

QString SummaryStatistics::averageText(int, float sum, std::int64_t count) const
{
    if (count == 0) return QString::fromLatin1(NoReadings);
    return AverageText(sum / float(count), rules_.halves);
}

SummaryTexts SummaryStatistics::Texts() const
{
    SummaryTexts out;
    for (int m = 0; m < MeasureCount; ++m) {
        const Stats& s = stats_[m];
        MeasureTexts& t = out[m];
        t.lowest = extremeText(m, s.lowest);
        t.highest = extremeText(m, s.highest);
        t.lowestAm = s.lowestAm.text;
        t.highestAm = s.highestAm.text;
        t.lowestPm = s.lowestPm.text;
        t.highestPm = s.highestPm.text;
        t.amAverage = averageText(m, s.amSum, s.amCount);
        t.pmAverage = averageText(m, s.pmSum, s.pmCount);
        if (IsWhole(m)) {
            if (s.overallCount == 0)
                t.overallAverage = m == int(Measure::Pulse) ? QString::fromLatin1(NoReadings) : QStringLiteral("-");
            else
                t.overallAverage = wholeText(std::nearbyint(s.overallSum / double(s.overallCount)));
        } else if (s.overallCount == 0) {
            t.overallAverage = QString::fromLatin1(NoReadings);
        } else {
            const bool inDouble = m == int(Measure::Weight) && rules_.weightDividesInDouble;
            const float average
                = inDouble ? float(s.overallSum / double(s.overallCount)) : float(s.overallSum) / float(s.overallCount);
            t.overallAverage = AverageText(average, rules_.halves);
        }
    }
    return out;
}

} // namespace tellora::reports
