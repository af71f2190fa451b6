// The summary statistics and the number texts the summary pages print, as
// tables of cases over a few readings each.
#include "reports/number_text.h"
#include "reports/report_engine.h"
#include "reports/statistics.h"

#include "shell/format.h"

#include <QDate>

#include <gtest/gtest.h>

#include <cmath>
#include <map>

using namespace tellora;
using namespace tellora::reports;

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

struct TextCase {
    QString text, expected;
};

TEST(NumberText, BlankOrSignThenPlainDecimalsWithoutALeadingZero)
{
    const TextCase cases[] = {
        { reports::NumberText(120), " 120" },
        { reports::NumberText(std::int64_t(-5)), "-5" },
        { reports::NumberText(0), " 0" },
        { reports::NumberText(0.5f), " .5" },
        { reports::NumberText(-0.5f), "-.5" },
        { reports::NumberText(98.6f), " 98.6" }, // the single nearest 98.6, to 7 digits
        { reports::NumberText(97.9f), " 97.9" },
        { reports::NumberText(1234567.0f), " 1234567" },
        { reports::NumberText(12345678.0f), " 12345680" },
        { reports::NumberText(0.0001f), " .0001" },
        { reports::NumberText(1.0 / 3), " .333333333333333" },
        { reports::NumberText(6), " 6" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, c.expected);
}

TEST(AverageText, TwoDecimalsFromTheSinglesTrueValue)
{
    using H = HalfRounding;
    const TextCase cases[] = {
        { AverageText(98.6f, H::ToEven), " 98.6" },
        { AverageText(98.f, H::ToEven), " 98" },
        { AverageText(0.5f, H::ToEven), " .5" },
        { AverageText(120.3333f, H::ToEven), " 120.33" },
        { AverageText(362.f / 3, H::ToEven), " 120.67" },
        { AverageText(1234.5f, H::AwayFromZero), " 1234.5" },
        // 98.625 is exact in a single: a true half.
        { AverageText(98.625f, H::ToEven), " 98.62" },
        { AverageText(98.625f, H::AwayFromZero), " 98.63" },
        { AverageText(0.125f, H::ToEven), " .12" },
        { AverageText(0.125f, H::AwayFromZero), " .13" },
        // Nothing left at two decimals.
        { AverageText(0.f, H::ToEven), " 0" },
        { AverageText(0.004f, H::AwayFromZero), " 0" },
        { AverageText(-2.5f, H::ToEven), "-2.5" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, c.expected);
}

// One reading of a case: day of January 2024, stored time, the measure's text.
struct Value {
    int day;
    const char* time;
    const char* text; // nullptr: Null
};

enum class Stat { Lowest, Highest, LowestAm, HighestAm, LowestPm, HighestPm, Am, Pm, Overall };

struct StatCase {
    const char* name;
    Measure measure;
    std::vector<Value> values;
    std::map<Stat, QString> expected; // a half-day extreme as "value|date|time"
    AverageRules rules = {};
};

QString Of(const MeasureTexts& t, Stat s)
{
    auto half = [](const HalfDayText& h) { return h.value + "|" + h.date + "|" + h.time; };
    switch (s) {
    case Stat::Lowest:
        return t.lowest;
    case Stat::Highest:
        return t.highest;
    case Stat::LowestAm:
        return half(t.lowestAm);
    case Stat::HighestAm:
        return half(t.highestAm);
    case Stat::LowestPm:
        return half(t.lowestPm);
    case Stat::HighestPm:
        return half(t.highestPm);
    case Stat::Am:
        return t.amAverage;
    case Stat::Pm:
        return t.pmAverage;
    case Stat::Overall:
        return t.overallAverage;
    }
    return {};
}

class Statistics : public ::testing::TestWithParam<StatCase> {
protected:
    void SetUp() override { setTimeLocale(TimeLocale {}); }
    void TearDown() override { resetTimeLocale(); }
};

// The report feeds every standard reading to both steps: the extremes and
// half-day sums before printing, the overall sums with the printed row.
TEST_P(Statistics, GiveTheSummaryTexts)
{
    const StatCase& c = GetParam();
    SummaryStatistics stats(c.rules);
    for (const Value& v : c.values) {
        Reading r;
        for (auto& value : r.values)
            value = std::string("-");
        r[Reading::Bdate] = QDate(2024, 1, v.day).toString("yyyy-MM-dd").toStdString();
        r[Reading::Btime] = std::string(v.time);
        const Reading::Field f = MeasureFields[int(c.measure)];
        r[f] = v.text ? dao::Value(std::string(v.text)) : std::nullopt;
        stats.AddReading(r);
        if (r.IsStandard()) stats.AddPrintedRow(r);
    }
    const MeasureTexts t = stats.Texts()[int(c.measure)];
    for (const auto& [stat, expected] : c.expected)
        EXPECT_EQ(Of(t, stat), expected) << "statistic " << int(stat);
}

const QString None = "No Readings";
const QString NoneHalf = "No Readings||";

INSTANTIATE_TEST_SUITE_P(Cases, Statistics,
    ::testing::Values(
        StatCase { "NothingCounted", Measure::Sugar, { { 1, "08:00", "-" } },
            { { Stat::Lowest, None }, { Stat::Highest, None }, { Stat::LowestAm, NoneHalf },
                { Stat::HighestPm, NoneHalf }, { Stat::Am, None }, { Stat::Pm, None }, { Stat::Overall, None } } },
        StatCase { "NoSystolicGivesADashOverall", Measure::Systolic, {},
            { { Stat::Lowest, None }, { Stat::Am, None }, { Stat::Overall, "-" } } },
        StatCase { "NoPulseGivesNoReadingsOverall", Measure::Pulse, {}, { { Stat::Overall, None } } },
        StatCase { "ExtremesWithTheirDatesAndTimes", Measure::Sugar,
            { { 1, "07:30", "110" }, { 1, "12:00", "95" }, { 2, "08:00", "95" }, { 2, "18:00", "140" } },
            { { Stat::Lowest, " 95" }, { Stat::Highest, " 140" }, { Stat::LowestAm, " 95|1/2/2024|08:00 AM" },
                { Stat::HighestAm, " 110|1/1/2024|07:30 AM" }, { Stat::LowestPm, " 95|1/1/2024|12:00 PM" },
                { Stat::HighestPm, " 140|1/2/2024|06:00 PM" }, { Stat::Am, " 102.5" }, { Stat::Pm, " 117.5" },
                { Stat::Overall, " 110" } } },
        StatCase { "TiesKeepTheFirstReading", Measure::Sugar,
            { { 3, "09:00", "95" }, { 4, "10:00", "95" }, { 5, "10:30", "95" } },
            { { Stat::LowestAm, " 95|1/3/2024|09:00 AM" }, { Stat::HighestAm, " 95|1/3/2024|09:00 AM" } } },
        StatCase { "ElevenFiftyNineIsMorningNoonIsAfternoon", Measure::Sugar,
            { { 1, "11:59", "100" }, { 1, "12:00", "200" }, { 2, "00:00", "50" } },
            { { Stat::Am, " 75" }, { Stat::Pm, " 200" }, { Stat::HighestAm, " 100|1/1/2024|11:59 AM" },
                { Stat::LowestPm, " 200|1/1/2024|12:00 PM" } } },
        StatCase { "ZeroIsAValueLikeAnyOther", Measure::Sugar,
            { { 1, "08:00", "5" }, { 2, "08:00", "0" }, { 3, "08:00", "7" } },
            { { Stat::Lowest, " 0" }, { Stat::Highest, " 7" }, { Stat::LowestAm, " 0|1/2/2024|08:00 AM" },
                { Stat::Am, " 4" } } },
        StatCase { "AllZerosAverageToZero", Measure::Weight, { { 1, "08:00", "0" }, { 2, "20:00", "abc" } },
            { { Stat::Lowest, " 0" }, { Stat::Highest, " 0" }, { Stat::Am, " 0" }, { Stat::Pm, " 0" },
                { Stat::Overall, " 0" } } },
        StatCase { "WholeNumbersRoundHalfToEven", Measure::Systolic,
            { { 1, "08:00", "120.5" }, { 2, "08:00", "121.5" } },
            { { Stat::Lowest, " 120" }, { Stat::Highest, " 122" }, { Stat::Am, " 121" }, { Stat::Overall, " 121" } } },
        StatCase { "WholeOverallAgainstTwoDecimalHalfDay", Measure::Systolic,
            { { 1, "08:00", "120" }, { 2, "08:00", "121" }, { 3, "08:00", "121" } },
            { { Stat::Am, " 120.67" }, { Stat::Overall, " 121" } } },
        StatCase { "PulseOverallHalfGoesEven", Measure::Pulse, { { 1, "08:00", "70" }, { 2, "08:00", "71" } },
            { { Stat::Am, " 70.5" }, { Stat::Overall, " 70" } } },
        // The candidate is the number as written: 9.6 is below a kept 10 and
        // sets the extreme again, kept as 10, with its own date and time.
        StatCase { "WholeNumberComparesTheUnroundedNumber", Measure::Pulse,
            { { 1, "08:00", "10" }, { 2, "08:00", "9.6" } }, { { Stat::LowestAm, " 10|1/2/2024|08:00 AM" } } },
        StatCase { "TemperatureSingles", Measure::Temperature,
            { { 1, "08:00", "98.6" }, { 2, "08:00", "97.9" }, { 3, "08:00", "99.1" } },
            { { Stat::LowestAm, " 97.9|1/2/2024|08:00 AM" }, { Stat::HighestAm, " 99.1|1/3/2024|08:00 AM" },
                { Stat::Am, " 98.53" }, { Stat::Overall, " 98.53" } } },
        // Leading numbers with "." as the point: a comma ends the number.
        StatCase { "LeadingNumberOfTheText", Measure::Spo2, { { 1, "08:00", "72,5" }, { 2, "20:00", " 98" } },
            { { Stat::Lowest, " 72" }, { Stat::Highest, " 98" }, { Stat::Pm, " 98" }, { Stat::Overall, " 85" } } },
        StatCase { "TrueHalfHundredthGoesEven", Measure::Sugar, { { 1, "08:00", "98.5" }, { 2, "08:00", "98.75" } },
            { { Stat::Am, " 98.62" }, { Stat::Overall, " 98.62" } } },
        StatCase { "TrueHalfHundredthAwayFromZeroWhenAsked", Measure::Sugar,
            { { 1, "08:00", "98.5" }, { 2, "08:00", "98.75" } },
            { { Stat::Am, " 98.63" }, { Stat::Overall, " 98.63" } }, { HalfRounding::AwayFromZero, true } },
        // A Null field was never taken: it counts no more than the missing mark.
        StatCase { "NullIsNotCounted", Measure::Weight, { { 1, "08:00", nullptr }, { 2, "08:00", "150" } },
            { { Stat::Lowest, " 150" }, { Stat::Am, " 150" }, { Stat::Overall, " 150" } } }),
    [](const auto& info) { return std::string(info.param.name); });

// Where rows and comment lines go: lines 11 to 60 of each data page.
TEST(DataPageLines, RowsAndCommentsFillLinesElevenToSixty)
{
    DataPageLines one;
    EXPECT_TRUE(one.Empty());
    auto at = one.Place(false);
    EXPECT_EQ(at.rowLine, 11);
    EXPECT_FALSE(one.Empty());
    EXPECT_EQ(one.Pages(), 1);

    DataPageLines fifty;
    for (int i = 0; i < 49; ++i)
        fifty.Place(false);
    at = fifty.Place(false);
    EXPECT_EQ(at.rowLine, 60);
    EXPECT_FALSE(at.rowOpensPage);
    EXPECT_EQ(fifty.Pages(), 1);
    at = fifty.Place(false); // the 51st
    EXPECT_TRUE(at.rowOpensPage);
    EXPECT_EQ(at.rowLine, 11);
    EXPECT_EQ(fifty.Pages(), 2);

    // A row on line 59 keeps its comment on 60; the next reading opens a page.
    DataPageLines at59;
    for (int i = 0; i < 48; ++i)
        at59.Place(false);
    at = at59.Place(true);
    EXPECT_EQ(at.rowLine, 59);
    EXPECT_EQ(at.commentLine, 60);
    EXPECT_FALSE(at.commentOpensPage);
    at = at59.Place(false);
    EXPECT_TRUE(at.rowOpensPage);
    EXPECT_EQ(at.rowLine, 11);

    // A row on line 60: its comment opens the next page on line 11.
    DataPageLines at60;
    for (int i = 0; i < 49; ++i)
        at60.Place(false);
    at = at60.Place(true);
    EXPECT_EQ(at.rowLine, 60);
    EXPECT_TRUE(at.commentOpensPage);
    EXPECT_EQ(at.commentLine, 11);
    EXPECT_EQ(at60.Pages(), 2);
    at = at60.Place(false);
    EXPECT_FALSE(at.rowOpensPage);
    EXPECT_EQ(at.rowLine, 12);
}

} // namespace
