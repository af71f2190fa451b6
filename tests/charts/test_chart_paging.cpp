// Paging through the readings with Next and Previous: a table of cases on
// small logs, each run in windows of both fillings, with and without the end
// beep, and the BPbyDate pair's own label and group-end tests.
#include "chart_fixture.h"

#include <algorithm>
#include <initializer_list>

using namespace charttest;

namespace {

enum class Action { Open, Next, Previous };

struct Step {
    Action action;
    // The readings (by index in the log) charted in rows 1, 2, ...
    std::vector<int> rows;
    // Beeps so far, in a window with the end beep and in one without.
    int beepsWithEnd;
    int beepsWithout;
    // The label of the first row after the charted ones (the rest are empty).
    QString labelAfter = {};
};

struct PagingCase {
    const char* name;
    std::function<std::vector<LogRow>()> log;
    std::size_t current;
    std::vector<Step> steps;
};

std::vector<int> Range(int from, int to, std::initializer_list<int> without = {}) // from..to inclusive
{
    std::vector<int> r;
    for (int i = from; i <= to; ++i)
        if (std::find(without.begin(), without.end(), i) == without.end()) r.push_back(i);
    return r;
}

// `full` readings with every measure, then `empty` readings with none.
std::vector<LogRow> Log(int full, int empty = 0)
{
    auto rows = FullReadings(full);
    for (int i = full; i < full + empty; ++i)
        rows.push_back({ DateOf(i), TimeOf(i) });
    return rows;
}

const std::vector<PagingCase>& Cases()
{
    static const std::vector<PagingCase> cases = {
        { "OpenedOnTheLastReading", [] { return Log(40); }, 39,
            {
                { Action::Open, { 39 }, 0, 0 },
                { Action::Next, { 39 }, 1, 1 },
                { Action::Previous, Range(8, 38), 1, 1 },
            } },
        { "OpenedOnTheLastWithFewBefore", [] { return Log(10); }, 9,
            {
                { Action::Open, { 9 }, 0, 0 },
                { Action::Previous, Range(0, 9), 1, 1 },
                { Action::Next, Range(0, 9), 2, 2 },
            } },
        { "Exactly31ToTheEnd", [] { return Log(40); }, 9,
            {
                { Action::Open, Range(9, 39), 0, 0 },
                { Action::Next, Range(9, 39), 1, 0 },
                { Action::Previous, Range(0, 30), 2, 1 },
            } },
        { "PagesForwardAndBack", [] { return Log(70); }, 0,
            {
                { Action::Open, Range(0, 30), 0, 0 },
                { Action::Next, Range(31, 61), 0, 0 },
                { Action::Next, Range(62, 69), 0, 0 },
                { Action::Next, Range(62, 69), 1, 1 },
                { Action::Previous, Range(31, 61), 1, 1 },
                { Action::Previous, Range(0, 30), 1, 1 },
                { Action::Previous, Range(0, 30), 2, 2 },
                { Action::Previous, Range(0, 30), 3, 3 },
            } },
        { "FullGroupFollowedOnlyByUnchartable", [] { return Log(31, 3); }, 0,
            {
                { Action::Open, Range(0, 30), 0, 0 },
                { Action::Next, {}, 0, 0 },
                { Action::Next, {}, 1, 1 },
                { Action::Previous, Range(0, 30), 1, 1 },
            } },
        { "OpenedOnUnchartableAtTheEnd", [] { return Log(40, 2); }, 40,
            {
                { Action::Open, {}, 0, 0 },
                { Action::Next, {}, 1, 1 },
                { Action::Previous, Range(10, 39), 1, 1 },
            } },
        { "TableEndsUnchartableOpenedNearTheEnd", [] { return Log(60, 2); }, 40,
            {
                { Action::Open, Range(40, 59), 0, 0 },
                // The walk back starts from the last reading read, which is not
                // chartable: the 30 before the first on screen, then that one again.
                { Action::Previous, Range(10, 40), 0, 0 },
                { Action::Previous, Range(0, 30), 1, 1 },
            } },
        { "UnchartableReadingsBetween",
            [] {
                auto rows = Log(40);
                for (int i : { 1, 2, 5, 33 })
                    rows[i].sugar = rows[i].systolic = rows[i].weight = rows[i].pulse = rows[i].temp = rows[i].spo2
                        = "-";
                return rows;
            },
            1,
            {
                { Action::Open, Range(3, 35, { 5, 33 }), 0, 0 },
                { Action::Next, Range(36, 39), 0, 0 },
                { Action::Previous, Range(3, 35, { 5, 33 }), 0, 0 },
                { Action::Previous, Range(0, 34, { 1, 2, 5, 33 }), 1, 1 },
            } },
    };
    return cases;
}

struct PagingParam {
    const PagingCase* c;
    const char* menuItem;
    bool endBeep;
};

class Paging : public ChartTest, public ::testing::WithParamInterface<PagingParam> { };

void ExpectChart(const ChartWindow& w, const Step& s, bool endBeep, int beeps)
{
    EXPECT_EQ(w.LineCount.Text(), QString::number(s.rows.size()));
    for (std::size_t r = 0; r < s.rows.size(); ++r) {
        const int row = int(r) + 1;
        EXPECT_EQ(w.MSChart1.rowLabel(row), LabelOf(s.rows[r])) << "row " << row;
        EXPECT_EQ(w.MSChart1.value(row, 1), 100 + s.rows[r]) << "row " << row;
    }
    for (int row = int(s.rows.size()) + 1; row <= ChartGroupSize; ++row) {
        EXPECT_EQ(w.MSChart1.rowLabel(row), row == int(s.rows.size()) + 1 ? s.labelAfter : QString()) << "row " << row;
        for (int c = 1; c <= w.MSChart1.ColumnCount(); ++c)
            EXPECT_EQ(w.MSChart1.value(row, c), 0) << "row " << row << " column " << c;
    }
    EXPECT_EQ(beeps, endBeep ? s.beepsWithEnd : s.beepsWithout);
}

TEST_P(Paging, GroupsLabelsCountsAndBeeps)
{
    const PagingParam& p = GetParam();
    const auto rows = p.c->log();
    OpenLog(rows, p.c->current);
    ChartWindow* w = nullptr;
    int n = 0;
    for (const Step& s : p.c->steps) {
        SCOPED_TRACE("step " + std::to_string(++n));
        if (s.action == Action::Open) {
            w = OpenChart(p.menuItem);
            ASSERT_NE(w, nullptr);
        } else {
            click(s.action == Action::Next ? static_cast<QWidget*>(&w->NextGroup) : &w->Previous);
        }
        ExpectChart(*w, s, p.endBeep, desk.beeps);
    }
    EXPECT_TRUE(Locked());
    click(&w->Exit);
    EXPECT_TRUE(Unlocked());
}

std::vector<PagingParam> Params()
{
    std::vector<PagingParam> out;
    for (const PagingCase& c : Cases())
        for (auto [item, endBeep] :
            { std::pair { "mnuGraphicsBar1", true }, std::pair { "Bar2", false }, std::pair { "barchart3", true },
                std::pair { "barchart7", false }, std::pair { "linechart9", false }, std::pair { "linechart4", true },
                // The weight, temperature and SpO2 windows, every one: only
                // the weight-by-date pair beeps when nothing follows the group.
                std::pair { "barchart10", true }, std::pair { "linechart10", true }, std::pair { "barchart11", false },
                std::pair { "linechart11", false }, std::pair { "barchart12", false },
                std::pair { "linechart12", false }, std::pair { "mnuGraphsTempbyDateTimeBar", false },
                std::pair { "mnuGraphsTempByTimDateLine", false }, std::pair { "mnugraphsTempPulseDateTimeBar", false },
                std::pair { "mnuGraphsTempPulseDateTimeLine", false }, std::pair { "mnuGraphsspo2datetimebar", false },
                std::pair { "mnuGraphsspo2datetimeline", false }, std::pair { "mnuGraphsspo2pulsedatetimeBar", false },
                std::pair { "mnuGraphsspo2puldatetimeline", false }, std::pair { "mnuGraphsSPTBar", false },
                std::pair { "mnuGraphsSPTLine", false } })
            out.push_back({ &c, item, endBeep });
    return out;
}

INSTANTIATE_TEST_SUITE_P(All, Paging, ::testing::ValuesIn(Params()),
    [](const auto& info) { return std::string(info.param.c->name) + "_" + info.param.menuItem; });

// The BPbyDate pair: labels and group ends follow tests of their own.
struct PressureCase {
    const char* name;
    const char* menuItem;
    LogRow tail; // the reading after 31 full ones
    QString labelAfterPrevious;
};

class PressurePair : public ChartTest, public ::testing::WithParamInterface<PressureCase> { };

TEST_P(PressurePair, ReadingsWithOnePressureMoveTheGroupEnd)
{
    const PressureCase& c = GetParam();
    auto rows = FullReadings(31);
    LogRow tail = c.tail;
    tail.date = DateOf(31);
    tail.time = TimeOf(31);
    rows.push_back(tail);
    OpenLog(rows, 0);
    ChartWindow* w = OpenChart(c.menuItem);
    ASSERT_NE(w, nullptr);
    ExpectChart(*w, { Action::Open, Range(0, 30), 0, 0 }, true, desk.beeps);

    click(&w->NextGroup);
    ExpectChart(*w, { Action::Next, {}, 0, 0 }, true, desk.beeps);
    // Next made the reading with one pressure the group's end.
    EXPECT_EQ(w->Bdate.Text().toStdString(), DateOf(31));
    EXPECT_EQ(w->Btime.Text().toStdString(), TimeOf(31));

    click(&w->Previous);
    // Counting back from that reading: readings 1 to 30, then row 31 with
    // zeros and, where the label test passed, the later reading's date.
    ExpectChart(*w, { Action::Previous, Range(1, 30), 0, 0, c.labelAfterPrevious }, true, desk.beeps);
}

INSTANTIATE_TEST_SUITE_P(All, PressurePair,
    ::testing::Values(PressureCase { "BarSystolicOnly", "barchart6", { "", "", "-", "130", "-" }, LabelOf(31) },
        PressureCase { "LineSystolicOnly", "linechart6", { "", "", "-", "130", "-" }, LabelOf(31) },
        PressureCase { "BarDiastolicOnly", "barchart6", { "", "", "-", "-", "85" }, QString() },
        PressureCase { "LineDiastolicOnly", "linechart6", { "", "", "-", "-", "85" }, LabelOf(31) }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChartTest, PressurePairWithNoPressureAfterTheGroupShowsTheFullGroupAgain)
{
    OpenLog(Log(31, 2), 0);
    for (const char* item : { "barchart6", "linechart6" }) {
        ChartWindow* w = OpenChart(item);
        ASSERT_NE(w, nullptr);
        click(&w->NextGroup);
        EXPECT_EQ(w->LineCount.Text(), "0");
        click(&w->NextGroup);
        EXPECT_EQ(desk.beeps, 1);
        click(&w->Previous);
        ExpectChart(*w, { Action::Previous, Range(0, 30), 1, 1 }, true, desk.beeps);
        click(&w->Exit);
        flushDeletes();
        desk.beeps = 0;
    }
}

TEST_F(ChartTest, TwoReadingsOfOneDateTakeTwoRowsWithOneLabel)
{
    OpenLog(Log(4), 0);
    ChartWindow* w = OpenChart("barchart6");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->MSChart1.rowLabel(1), "1/1/2024");
    EXPECT_EQ(w->MSChart1.rowLabel(2), "1/1/2024");
    EXPECT_EQ(w->MSChart1.value(1, 1), 100);
    EXPECT_EQ(w->MSChart1.value(2, 1), 101);
    EXPECT_EQ(w->MSChart1.rowLabel(3), "1/2/2024");
}

TEST_F(ChartTest, ReopeningStartsAfreshFromTheCurrentReading)
{
    OpenLog(Log(70), 0);
    ChartWindow* w = OpenChart("mnuGraphicsBar1");
    ASSERT_NE(w, nullptr);
    click(&w->NextGroup);
    ASSERT_EQ(w->MSChart1.rowLabel(1), LabelOf(31));
    click(&w->Exit);
    flushDeletes();
    w = OpenChart("mnuGraphicsBar1");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->MSChart1.rowLabel(1), LabelOf(0));
    // The chart window never writes into the current reading.
    EXPECT_EQ(record()->Bdate.Text().toStdString(), DateOf(0));
}

// Faults the window survives: the database gone, the current reading's key
// not found. An empty chart, a beep, nothing held open.
TEST_F(ChartTest, AnUnreadableDatabaseGivesAnEmptyChartAndABeep)
{
    OpenLog(Log(40), 0);
    ASSERT_TRUE(QFile::remove(folder.file("ANN_LEE.mdb")));
    ChartWindow* w = OpenChart("barchart6");
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->Visible());
    EXPECT_EQ(w->LineCount.Text(), "0");
    EXPECT_EQ(desk.beeps, 1);
    for (int r = 1; r <= ChartGroupSize; ++r)
        EXPECT_EQ(w->MSChart1.rowLabel(r), "");
    click(&w->NextGroup);
    click(&w->Previous);
    EXPECT_EQ(desk.beeps, 3);
    EXPECT_TRUE(Locked());
    click(&w->Exit);
    EXPECT_TRUE(Unlocked());
    EXPECT_FALSE(QFile::exists(folder.file("ANN_LEE.mdb")));
}

TEST_F(ChartTest, ACurrentReadingNotFoundGivesAnEmptyChart)
{
    OpenLog(Log(40), 0);
    record()->Btime.SetText("07:07 AM"); // no reading at that time
    ChartWindow* w = OpenChart("Bar2");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->LineCount.Text(), "0");
    EXPECT_EQ(desk.beeps, 1);
}

TEST_F(ChartTest, NextAndPreviousKeepTheChartWhenTheDatabaseFails)
{
    OpenLog(Log(70), 0);
    ChartWindow* w = OpenChart("barchart4");
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->LineCount.Text(), "31");
    // The file replaced by one that is no database at all.
    ASSERT_TRUE(QFile::remove(folder.file("ANN_LEE.mdb")));
    folder.write("ANN_LEE.mdb", "not a database");
    click(&w->NextGroup);
    click(&w->Previous);
    EXPECT_EQ(desk.beeps, 2);
    EXPECT_EQ(w->LineCount.Text(), "31");
    EXPECT_EQ(w->MSChart1.rowLabel(1), LabelOf(0));
    EXPECT_EQ(w->MSChart1.value(31, 1), 130);
    // The file is not held open: it can be removed at once.
    EXPECT_TRUE(QFile::remove(folder.file("ANN_LEE.mdb")));
}

TEST_F(ChartTest, PreviousDoesNothingWithoutAReadingShown)
{
    OpenLog(Log(70), 0);
    ChartWindow* w = OpenChart("mnuGraphicsBar1");
    ASSERT_NE(w, nullptr);
    record()->ClearRecord();
    click(&w->Previous);
    EXPECT_EQ(w->MSChart1.rowLabel(1), LabelOf(0));
    EXPECT_EQ(desk.beeps, 0);
    // Next pages on regardless.
    click(&w->NextGroup);
    EXPECT_EQ(w->MSChart1.rowLabel(1), LabelOf(31));
}

} // namespace
