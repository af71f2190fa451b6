// The statistics of the reports over a date range, over the examples of
// their rules, and the same readings giving the same summary texts whether
// printed over a date range or from the current reading.
#include "range_fixture.h"

#include "reports/current/printreports.h"
#include "reports/range/date_range.h"

using namespace rangetest;
using tellora::reports::Measure;
using tellora::reports::SummaryStatistics;

namespace {

// A reading at a time of day holding one value.
Reading At(const char* date, const char* time, Reading::Field field, const char* value)
{
    Reading r;
    for (int f = 0; f < Reading::FieldCount; ++f)
        r.values[f] = std::string("-");
    r[Reading::Bdate] = std::string(date);
    r[Reading::Btime] = std::string(time);
    r[field] = std::string(value);
    return r;
}

struct StatCase {
    const char* what;
    Reading::Field field;
    std::vector<std::pair<const char*, const char*>> readings; // time, value; one day each, in order
    const char* am;
    const char* pm;
    const char* overall;
    const char* lowest = nullptr; // checked when given
    const char* lowestAm = nullptr;
};

TEST(RangeStatistics, AveragesAndExtremesOverTheExamplesOfTheirRules)
{
    const StatCase cases[] = {
        { "sugar 98, 99.2", Reading::Bsugar, { { "08:00", "98" }, { "09:00", "99.2" } }, " 98.6", "No Readings",
            " 98.6" },
        { "sugar 98, 98", Reading::Bsugar, { { "08:00", "98" }, { "09:00", "98" } }, " 98", "No Readings", " 98" },
        { "sugar 98, 99, 99", Reading::Bsugar, { { "08:00", "98" }, { "09:00", "99" }, { "10:00", "99" } }, " 98.67",
            "No Readings", " 98.67" },
        { "an exact half goes away from zero", Reading::Bsugar, { { "08:00", "98.5" }, { "09:00", "98.75" } }, " 98.63",
            "No Readings", " 98.63" },
        { "systolic 120, 121", Reading::Bpressure, { { "08:00", "120" }, { "09:00", "121" } }, " 120.5", "No Readings",
            " 120" },
        { "systolic 121, 122", Reading::Bpressure, { { "08:00", "121" }, { "09:00", "122" } }, " 121.5", "No Readings",
            " 122" },
        { "pulse 70, 71", Reading::Bpulse, { { "08:00", "70" }, { "09:00", "71" } }, " 70.5", "No Readings", " 70" },
        { "11:59 is AM, 12:00 and 00:00 as they fall", Reading::Bweight,
            { { "11:59", "150" }, { "12:00", "160" }, { "00:00", "152" } }, " 151", " 160", " 154" },
        { "afternoon only", Reading::Temp, { { "13:00", "98.6" }, { "18:00", "99" } }, "No Readings", " 98.8",
            " 98.8" },
        { "AM temperatures 98.2, 97.5, 98.0", Reading::Temp,
            { { "07:00", "98.2" }, { "08:00", "97.5" }, { "09:00", "98.0" } }, " 97.9", "No Readings", " 97.9", " 97.5",
            " 97.5" },
        { "a zero counts as a value", Reading::SPO2, { { "08:00", "5" }, { "09:00", "0" }, { "10:00", "7" } }, " 4",
            "No Readings", " 4", " 0", " 0" },
        { "nothing but zeros", Reading::SPO2, { { "08:00", "abc" }, { "09:00", "0" } }, " 0", "No Readings", " 0" },
    };
    for (const StatCase& c : cases) {
        SummaryStatistics stats(RangeReport(DateRange {}, true).averages);
        int day = 1;
        for (const auto& [time, value] : c.readings) {
            const std::string date = Day(day++);
            const Reading r = At(date.c_str(), time, c.field, value);
            stats.AddReading(r);
            stats.AddPrintedRow(r);
        }
        int m = 0;
        while (tellora::reports::MeasureFields[m] != c.field)
            ++m;
        const auto texts = stats.Texts()[m];
        EXPECT_EQ(texts.amAverage, c.am) << c.what;
        EXPECT_EQ(texts.pmAverage, c.pm) << c.what;
        EXPECT_EQ(texts.overallAverage, c.overall) << c.what;
        if (c.lowest) {
            EXPECT_EQ(texts.lowest, c.lowest) << c.what;
        }
        if (c.lowestAm) {
            EXPECT_EQ(texts.lowestAm.value, c.lowestAm) << c.what;
        }
    }
    // Without any pressure: "-" for both overall pressure averages.
    SummaryStatistics none(RangeReport(DateRange {}, true).averages);
    none.AddReading(At("2024-03-01", "08:00", Reading::Bsugar, "100"));
    none.AddPrintedRow(At("2024-03-01", "08:00", Reading::Bsugar, "100"));
    EXPECT_EQ(none.Texts()[int(Measure::Systolic)].overallAverage, "-");
    EXPECT_EQ(none.Texts()[int(Measure::Diastolic)].overallAverage, "-");
    EXPECT_EQ(none.Texts()[int(Measure::Pulse)].overallAverage, "No Readings");
}

TEST_F(RangeTest, TheSameReadingsGiveTheSameSummaryTextsInBothReportFamilies)
{
    // Every measure, mornings and afternoons, no average on an exact half.
    std::vector<Rd> rows;
    const char* values[][7] = {
        { "110", "120", "80", "70", "150.5", "98.6", "97" },
        { "95", "131", "85", "72", "151", "99.1", "95" },
        { "140", "118", "-", "68", "-", "97.9", "98" },
        { "abc", "125", "79", "75", "149.8", "-", "96" },
        { "102.3", "-", "82", "-", "150", "98.2", "-" },
    };
    const char* fields[] = { "Bsugar", "Bpressure", "Dpressure", "Bpulse", "Bweight", "Temp", "SPO2" };
    const char* times[] = { "07:30", "12:00", "11:59", "18:00", "00:00" };
    for (int i = 0; i < 5; ++i) {
        Rd r { Day(1 + i / 2), times[i] };
        for (int f = 0; f < 7; ++f)
            r.values[fields[f]] = values[i][f];
        rows.push_back(r);
    }
    rows.push_back({ Day(1), "06:00", { { "Bcomm", "comment only" } } });
    OpenWith(rows);
    // The first reading shown, as after a search.
    auto db = dao::DefaultWorkspace().OpenDatabase(File.toStdString());
    auto rs = db->OpenRecordset("BLOOD");
    rs->SetIndex("Readings");
    record()->ShowRecord(*rs);
    rs->Close();
    db->Close();

    const auto range = tellora::reports::SummaryOf(RangeReport(
        DateRange { QString::fromStdString(Day(1)), QString::fromStdString(Day(3)), PickedDay(1), PickedDay(3) },
        true));
    const auto current = tellora::reports::SummaryOf(CurrentReadingReport());
    for (int m = 0; m < tellora::reports::MeasureCount; ++m) {
        const auto& a = range[m];
        const auto& b = current[m];
        EXPECT_EQ(a.lowest, b.lowest) << m;
        EXPECT_EQ(a.highest, b.highest) << m;
        for (auto h : { &tellora::reports::MeasureTexts::lowestAm, &tellora::reports::MeasureTexts::highestAm,
                 &tellora::reports::MeasureTexts::lowestPm, &tellora::reports::MeasureTexts::highestPm }) {
            EXPECT_EQ((a.*h).value, (b.*h).value) << m;
            EXPECT_EQ((a.*h).date, (b.*h).date) << m;
            EXPECT_EQ((a.*h).time, (b.*h).time) << m;
        }
        EXPECT_EQ(a.amAverage, b.amAverage) << m;
        EXPECT_EQ(a.pmAverage, b.pmAverage) << m;
        EXPECT_EQ(a.overallAverage, b.overallAverage) << m;
    }
    EXPECT_EQ(range[int(Measure::Sugar)].highestAm.value, " 140");
    EXPECT_EQ(range[int(Measure::Sugar)].lowestAm.value, " 102.3");
}

} // namespace
