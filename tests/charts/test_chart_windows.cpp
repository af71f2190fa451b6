// The 32 chart windows: one table of what each window is, checked on the
// window its menu entry opens, and tables of which readings each charts.
#include "chart_fixture.h"

using namespace charttest;
using chart::Axis;
using chart::ChartType;

namespace {

struct Series {
    const char* label;
    Axis axis;
    QColor color;
};

// What the window the menu entry for `name` opens shows.
struct WindowCase {
    const char* name;
    const char* caption;
    const char* title;
    ChartType type;
    std::vector<Series> series;
    const char* valueTitle;
    SecondAxis second = SecondAxis::Hidden;
    const char* secondTitle = "";
    bool legend = true;
    int help;
    // Unless a row says otherwise: the wide window's geometry and print position.
    int clientWidth = 11610;
    int printX = 2200;
    const char* failure = "Check Your Printer and Try Again";
    bool endBeep = false;
    int clientHeight = 6450;
    double legendPoints = 8.25;
};

const QColor black(0, 0, 0), brown(142, 94, 66), blue(0, 0, 255), pink(255, 64, 255), sky(0, 160, 240),
    grey(128, 128, 128), red(255, 0, 0), steel(0, 128, 192), navy(0, 0, 112), raspberry(182, 32, 96);
const char* const tryAgain = "Check Your Printer and Try Again";
const char* const apprTime = "Approx. Time of Reading";
const char* const apprDay = "Approx. Time of Day\r\n";
constexpr ChartType Bar = ChartType::Bar2D, Line = ChartType::Line2D;

const std::vector<WindowCase>& Windows()
{
    // Each bar window's row, then its line twin's: the same but for the name,
    // the chart type and what the twin's step changes.
    static const std::vector<WindowCase> cases = [] {
        std::vector<WindowCase> all;
        auto line = [&all](const char* name, void (*differ)(WindowCase&) = nullptr) {
            WindowCase twin = all.back();
            twin.name = name;
            twin.type = Line;
            if (differ) differ(twin);
            all.push_back(twin);
        };
        all.push_back({ .name = "BPbyDate",
            .caption = "Blood Pressure by Date",
            .title = "Blood Pressure by Date",
            .type = Bar,
            .series = { { "Systolic", Axis::Value, black }, { "Diastolic", Axis::Value, brown } },
            .valueTitle = "Blood Pressure",
            .help = 180,
            .clientWidth = 10455,
            .printX = 2900,
            .endBeep = true,
            .clientHeight = 6435,
            .legendPoints = 8 });
        line("BPbyDateLine");
        all.push_back({ .name = "BPbyDateTime",
            .caption = "Blood Pressure and Pulse By Date and Time",
            .title = "Blood Pressure and Pulse by Date and Time of Reading",
            .type = Bar,
            .series = { { "Systolic Pressure", Axis::Value, black }, { "Time of Reading", Axis::Second, blue },
                { "Pulse", Axis::Value, pink }, { "Diastolic Pressure", Axis::Value, brown } },
            .valueTitle = "Systolic Pressure and Pulse",
            .second = SecondAxis::TimeOfDay,
            .secondTitle = apprTime,
            .help = 180,
            .failure = "Check Your Printer and try again",
            .legendPoints = 8 });
        line("BPbyDateTimeLine", [](WindowCase& c) {
            c.valueTitle = "Blood Pressure and Pulse";
            c.failure = tryAgain;
        });
        all.push_back({ .name = "BPWtTimebyDate",
            .caption = "Blood Pressure, Weight  By Date and Time",
            .title = "Blood Pressure, Weight by Date and Time",
            .type = Bar,
            .series = { { "Systolic Pressure", Axis::Value, black }, { "Time of Reading", Axis::Second, blue },
                { "Weight", Axis::Value, sky }, { "Diastolic Pressure", Axis::Value, brown } },
            .valueTitle = "Blood Pressure, Weight",
            .second = SecondAxis::TimeOfDay,
            .secondTitle = apprTime,
            .help = 180 });
        line("BPWtTimebyDateLine", [](WindowCase& c) { c.series[1].color = QColor(10, 100, 100); });
        all.push_back({ .name = "BPWtPulTimebyDate",
            .caption = "Blood Pressure, Weight, and Pulse  By Date and Time",
            .title = "Blood Pressure, Weight and Pulse by Date and Time",
            .type = Bar,
            .series = { { "Systolic Pressure", Axis::Value, black }, { "Time of Reading", Axis::Second, blue },
                { "Weight", Axis::Value, sky }, { "Pulse", Axis::Value, grey },
                { "Diastolic Pressure", Axis::Value, brown } },
            .valueTitle = "Blood Pressure, Weight, Pulse",
            .second = SecondAxis::TimeOfDay,
            .secondTitle = apprTime,
            .help = 180 });
        line("BPWtPulTimebyDateLine");
        all.push_back({ .name = "BSbyDate",
            .caption = "Blood Sugar By Date",
            .title = "Blood Sugar by Date",
            .type = Bar,
            .series = { { "", Axis::Value, red } },
            .valueTitle = "Blood Sugar Level",
            .legend = false,
            .help = 170,
            .clientWidth = 10455,
            .printX = 2900,
            .endBeep = true,
            .clientHeight = 6435,
            .legendPoints = 8 });
        line("BSbyDateLine");
        all.push_back({ .name = "BSbyDateTime",
            .caption = "Blood Sugar By Date and Time",
            .title = "Blood Sugar by Date and Time of Reading",
            .type = Bar,
            .series = { { "Blood Sugar", Axis::Value, red }, { "Time of Reading", Axis::Second, blue } },
            .valueTitle = "Blood Sugar Level",
            .second = SecondAxis::TimeOfDay,
            .secondTitle = apprTime,
            .help = 170 });
        line("BSbyDateTimeLine");
        all.push_back({ .name = "BSbyDateWt",
            .caption = "Blood Sugar By Date and Weight",
            .title = "Blood Sugar by Date and Weight",
            .type = Bar,
            .series = { { "Blood Sugar", Axis::Value, red }, { "Weight", Axis::Second, sky } },
            .valueTitle = "Blood Sugar Level",
            .second = SecondAxis::Automatic,
            .secondTitle = "Weight",
            .help = 170,
            .endBeep = true });
        line("BSbyDateWtLine");
        all.push_back({ .name = "BSbyDateBP",
            .caption = "Blood Sugar and Blood Pressure by Date",
            .title = "Blood Sugar and Blood Pressure by Date",
            .type = Bar,
            .series = { { "Blood Sugar", Axis::Value, red }, { "Systolic Pressure", Axis::Second, black },
                { "Diastolic Pressure", Axis::Second, brown } },
            .valueTitle = "Blood Sugar Level",
            .second = SecondAxis::Automatic,
            .secondTitle = "Blood Pressure Reading\r\n",
            .help = 170,
            .endBeep = true });
        line("BSbyDateBPLine", [](WindowCase& c) { c.series[0].color = QColor(192, 0, 0); });
        all.push_back({ .name = "WtbyDate",
            .caption = "Weight by Date",
            .title = "Weight by Date",
            .type = Bar,
            .series = { { "", Axis::Value, steel } },
            .valueTitle = "Weight",
            .legend = false,
            .help = 190,
            .clientWidth = 10455,
            .printX = 2900,
            .endBeep = true,
            .clientHeight = 6435 });
        line("WtbyDateLine");
        all.push_back({ .name = "WtPulbyDate",
            .caption = "Weight and Pulse by Date",
            .title = "Weight and Pulse by Date",
            .type = Bar,
            .series = { { "Weight", Axis::Value, steel }, { "Pulse", Axis::Second, pink } },
            .valueTitle = "Weight",
            .second = SecondAxis::Automatic,
            .secondTitle = "Pulse",
            .help = 190,
            .clientHeight = 6465 });
        line("WtPulbyDateLine");
        all.push_back({ .name = "WtPulbyDateTime",
            .caption = "Weight and Pulse by Date and Time",
            .title = "Weight and Pulse by Date and Time",
            .type = Bar,
            .series
            = { { "Weight", Axis::Value, steel }, { "Pulse", Axis::Value, pink }, { "Time", Axis::Second, blue } },
            .valueTitle = "Weight, Pulse",
            .second = SecondAxis::TimeOfDay,
            .secondTitle = apprDay,
            .help = 190,
            .clientHeight = 6465 });
        line("WtPulbyDateTimeLine");
        all.push_back({ .name = "TempbyDateTime",
            .caption = "Temperature By Date and Time",
            .title = "Temperature by Date and Time of Reading",
            .type = Bar,
            .series = { { "Temp.", Axis::Value, steel }, { "Time of Reading", Axis::Second, blue } },
            .valueTitle = "Temperature Reading",
            .second = SecondAxis::TimeOfDay,
            .secondTitle = apprTime,
            .help = 290 });
        line("TempbyDateTimeLine", [](WindowCase& c) {
            c.series = { { "Temperature", Axis::Value, steel }, { "Time of Reading", Axis::Second, navy } };
            c.valueTitle = "Temperature";
        });
        all.push_back({ .name = "TempPulbyDateTime",
            .caption = "Temperature and Pulse by Date and Time",
            .title = "Temperature and Pulse by Date and Time",
            .type = Bar,
            .series
            = { { "Temp.", Axis::Value, steel }, { "Pulse", Axis::Value, pink }, { "Time", Axis::Second, blue } },
            .valueTitle = "Temperature, Pulse",
            .second = SecondAxis::TimeOfDay,
            .secondTitle = apprDay,
            .help = 290,
            .clientHeight = 6465 });
        line("TempPulbyDateTimeLine", [](WindowCase& c) { c.series[2].color = navy; });
        all.push_back({ .name = "Spo2byDateTime",
            .caption = "SPO2 By Date and Time",
            .title = "SPO2 by Date and Time of Reading",
            .type = Bar,
            .series = { { "SPO2", Axis::Value, raspberry }, { "Time of Reading", Axis::Second, navy } },
            .valueTitle = "SPO2 Reading",
            .second = SecondAxis::TimeOfDay,
            .secondTitle = apprTime,
            .help = 300 });
        line("Spo2byDateTimeLine");
        all.push_back({ .name = "Spo2PulbyDateTime",
            .caption = "SPO2 and Pulse by Date and Time",
            .title = "SPO2 and Pulse by Date and Time",
            .type = Bar,
            .series
            = { { "SPO2", Axis::Value, raspberry }, { "Pulse", Axis::Value, pink }, { "Time", Axis::Second, navy } },
            .valueTitle = "SPO2, Pulse",
            .second = SecondAxis::TimeOfDay,
            .secondTitle = apprDay,
            .help = 300,
            .clientHeight = 6465 });
        line("Spo2PulbyDateTimeLine");
        all.push_back({ .name = "Spo2PulTempDateTime",
            .caption = "SPO2, Pulse, and Temperature By Date and Time",
            .title = "SPO2, Pulse, and Temperature by Date and Time of Reading",
            .type = Bar,
            .series = { { "SPO2", Axis::Value, raspberry }, { "Time of Reading", Axis::Second, navy },
                { "Pulse", Axis::Value, pink }, { "Temperature", Axis::Value, steel } },
            .valueTitle = "SPO2, Pulse, Temperature",
            .second = SecondAxis::TimeOfDay,
            .secondTitle = apprTime,
            .help = 300,
            .failure = "Check Your Printer and try again",
            .clientHeight = 6435,
            .legendPoints = 8 });
        line("Spo2PulTempDateTimeLine", [](WindowCase& c) { c.failure = tryAgain; });
        return all;
    }();

    return cases;
}

class ChartWindows : public ChartTest, public ::testing::WithParamInterface<WindowCase> { };

TEST_P(ChartWindows, MenuEntryOpensTheWindowAsDescribed)
{
    const WindowCase& c = GetParam();
    const QString entry = MDIStart::ChartEntryOf(c.name);
    OpenLog(FullReadings(3), 0);
    EXPECT_EQ(MDIStart::ChartWindowOf(entry), c.name);
    ChartWindow* w = OpenChart(entry);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Name(), c.name);
    EXPECT_TRUE(w->Visible());
    EXPECT_EQ(w->Caption(), c.caption);
    EXPECT_EQ(w->HelpContextID, c.help);
    EXPECT_EQ(w->Width(), c.clientWidth);
    EXPECT_EQ(w->Height(), c.clientHeight);
    EXPECT_EQ(w->Description().PrintX(), c.printX);
    EXPECT_EQ(w->Description().PrintY(), 3000);
    EXPECT_EQ(w->Description().printFailure, c.failure);
    EXPECT_EQ(w->Description().endBeep, c.endBeep);

    const chart::ChartControl& chart = w->MSChart1;
    EXPECT_EQ(chart.Title(), c.title);
    EXPECT_EQ(chart.chartType(), c.type);
    EXPECT_EQ(chart.RowCount(), 31);
    ASSERT_EQ(chart.ColumnCount(), int(c.series.size()));
    for (int col = 1; col <= chart.ColumnCount(); ++col) {
        SCOPED_TRACE(col);
        EXPECT_EQ(chart.ColumnLabel(col), c.series[col - 1].label);
        EXPECT_EQ(chart.SeriesAxis(col), c.series[col - 1].axis);
        EXPECT_EQ(chart.SeriesColor(col), c.series[col - 1].color);
    }
    EXPECT_EQ(chart.CategoryAxisTitle(), "Date Of Reading");
    EXPECT_EQ(chart.ValueAxisTitle(), c.valueTitle);
    EXPECT_TRUE(chart.ValueAxisScale().automatic);
    EXPECT_EQ(chart.SecondAxisVisible(), c.second != SecondAxis::Hidden);
    if (c.second != SecondAxis::Hidden) {
        EXPECT_EQ(chart.SecondAxisTitle(), c.secondTitle);
    }
    if (c.second == SecondAxis::TimeOfDay) {
        const auto s = chart.SecondAxisScale();
        EXPECT_FALSE(s.automatic);
        EXPECT_EQ(s.minimum, 0);
        EXPECT_EQ(s.maximum, 2400);
        EXPECT_EQ(s.majorDivisions, 8);
    } else if (c.second == SecondAxis::Automatic) {
        EXPECT_TRUE(chart.SecondAxisScale().automatic);
    }
    EXPECT_EQ(chart.LegendVisible(), c.legend);
    EXPECT_EQ(chart.Fonts().legend, c.legendPoints);

    // The buttons, by caption, each a named control a screen reader can reach.
    EXPECT_EQ(w->Exit.accessibleName(), "Exit");
    EXPECT_EQ(w->Previous.accessibleName(), "Previous");
    EXPECT_EQ(w->NextGroup.accessibleName(), "Next");
    EXPECT_EQ(w->PrintChart.accessibleName(), "Print");
    EXPECT_FALSE(w->Bdate.isVisible());
    EXPECT_FALSE(w->Btime.isVisible());
    EXPECT_FALSE(w->LineCount.isVisible());

    // The first group from the current reading on: three rows, the rest blank.
    EXPECT_EQ(w->LineCount.Text(), "3");
    EXPECT_EQ(Labels(*w)[0], LabelOf(0));
    EXPECT_EQ(Labels(*w)[2], LabelOf(2));
    EXPECT_EQ(Labels(*w)[3], "");
    EXPECT_TRUE(Locked());
    EXPECT_TRUE(main()->mnuHelp.Enabled());
}

TEST_P(ChartWindows, EveryWayOfClosingReleasesTheLocks)
{
    const WindowCase& c = GetParam();
    const QString entry = MDIStart::ChartEntryOf(c.name);
    OpenLog(FullReadings(2), 1);
    for (int way = 0; way < 2; ++way) {
        ChartWindow* w = OpenChart(entry);
        ASSERT_NE(w, nullptr);
        ASSERT_TRUE(Locked());
        // A second chart cannot be opened while one is: the Graphs menu is locked.
        EXPECT_FALSE(main()->Menu[entry].Trigger());
        if (way == 0)
            click(&w->Exit);
        else
            w->close();
        flushDeletes();
        EXPECT_EQ(Forms::Find(c.name), nullptr);
        EXPECT_TRUE(Unlocked()) << "way " << way;
    }
}

TEST_P(ChartWindows, NoReadingShownOpensNothing)
{
    const WindowCase& c = GetParam();
    OpenLog({});
    ASSERT_TRUE(record()->Btime.Text().isEmpty());
    OpenChart(MDIStart::ChartEntryOf(c.name));
    EXPECT_EQ(Forms::Find(c.name), nullptr);
    // Loaded by name regardless, it unloads at once and locks nothing.
    EXPECT_EQ(Forms::Load(c.name), nullptr);
    EXPECT_EQ(Forms::Find(c.name), nullptr);
    EXPECT_TRUE(Unlocked());
    EXPECT_EQ(desk.beeps, 0);
}

INSTANTIATE_TEST_SUITE_P(
    All, ChartWindows, ::testing::ValuesIn(Windows()), [](const auto& info) { return std::string(info.param.name); });

TEST(ChartDescriptions, ThirtyTwoWindowsEachWithItsMenuEntry)
{
    std::vector<QString> names;
    for (const ChartDescription* d : ChartDescriptions()) {
        names.push_back(d->name);
        EXPECT_EQ(MDIStart::ChartWindowOf(MDIStart::ChartEntryOf(d->name)), d->name);
    }
    ASSERT_EQ(names.size(), 32u);
    ASSERT_EQ(names.size(), Windows().size());
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(names[i], Windows()[i].name);
}

// Which readings a window charts: one log holding every pattern of missing
// values, the count charted and the first row's cells per window.
struct ChartableCase {
    const char* menuItem;
    int lineCount;
    std::vector<double> firstRow;
};

class Chartable : public ChartTest, public ::testing::WithParamInterface<ChartableCase> { };

std::vector<LogRow> MixedLog()
{
    // sugar, systolic, diastolic, pulse, weight, temperature, SpO2
    return {
        { "2024-03-01", "07:15", "6.5", "120", "80", "60", "72.5", "98.6", "97" }, // everything
        { "2024-03-01", "12:30", "5", "-", "-", "-", "-" }, // sugar only
        { "2024-03-02", "00:00", "-", "130", "85", "-", "-", "37,2" }, // both pressures, a temperature
        { "2024-03-02", "23:59", "-", "140", "90", "70", "-", "99.1", "95" }, // pressures, pulse, temperature, SpO2
        { "2024-03-03", "09:00", "-", "150", "95", "-", "80", "-", "94" }, // pressures, weight, SpO2
        { "2024-03-03", "18:00", "7", "-", "-", "-", "75" }, // sugar and weight
        { "2024-03-04", "08:00", "8", "125", "-", "-", "-" }, // sugar, systolic only
        { "2024-03-04", "10:00", "37,5", "160", "100", "-", "-", "" }, // sugar, pressures, an empty temperature
        { "2024-03-05", "11:00", " 98", "-", "70", "65", "-", "-", "93" }, // diastolic, pulse and SpO2
    };
}

TEST_P(Chartable, ChartsOnlyTheReadingsHoldingItsMeasures)
{
    const ChartableCase& c = GetParam();
    OpenLog(MixedLog(), 0);
    ChartWindow* w = OpenChart(c.menuItem);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->LineCount.Text(), QString::number(c.lineCount));
    for (int col = 1; col <= int(c.firstRow.size()); ++col)
        EXPECT_DOUBLE_EQ(w->MSChart1.value(1, col), c.firstRow[col - 1]) << "column " << col;
    // Rows past the last charted reading are blank.
    EXPECT_EQ(w->MSChart1.rowLabel(c.lineCount + 1), "");
    for (int col = 1; col <= w->MSChart1.ColumnCount(); ++col)
        EXPECT_EQ(w->MSChart1.value(c.lineCount + 1, col), 0);
}

INSTANTIATE_TEST_SUITE_P(All, Chartable,
    ::testing::Values(ChartableCase { "barchart6", 5, { 120, 80 } }, ChartableCase { "linechart6", 5, { 120, 80 } },
        ChartableCase { "barchart7", 2, { 120, 715, 60, 80 } }, ChartableCase { "linechart7", 2, { 120, 715, 60, 80 } },
        ChartableCase { "barchart8", 2, { 120, 715, 72.5, 80 } },
        ChartableCase { "barchart9", 1, { 120, 715, 72.5, 60, 80 } }, ChartableCase { "mnuGraphicsBar1", 6, { 6.5 } },
        ChartableCase { "linechart1", 6, { 6.5 } }, ChartableCase { "Bar2", 6, { 6.5, 715 } },
        ChartableCase { "barchart3", 2, { 6.5, 72.5 } }, ChartableCase { "barchart4", 2, { 6.5, 120, 80 } },
        ChartableCase { "linechart4", 2, { 6.5, 120, 80 } }, ChartableCase { "barchart10", 3, { 72.5 } },
        ChartableCase { "linechart10", 3, { 72.5 } }, ChartableCase { "barchart11", 1, { 72.5, 60 } },
        ChartableCase { "linechart11", 1, { 72.5, 60 } }, ChartableCase { "barchart12", 1, { 72.5, 60, 715 } },
        ChartableCase { "linechart12", 1, { 72.5, 60, 715 } },
        ChartableCase { "mnuGraphsTempbyDateTimeBar", 4, { 98.6, 715 } },
        ChartableCase { "mnuGraphsTempByTimDateLine", 4, { 98.6, 715 } },
        ChartableCase { "mnugraphsTempPulseDateTimeBar", 2, { 98.6, 60, 715 } },
        ChartableCase { "mnuGraphsTempPulseDateTimeLine", 2, { 98.6, 60, 715 } },
        ChartableCase { "mnuGraphsspo2datetimebar", 4, { 97, 715 } },
        ChartableCase { "mnuGraphsspo2datetimeline", 4, { 97, 715 } },
        ChartableCase { "mnuGraphsspo2pulsedatetimeBar", 3, { 97, 60, 715 } },
        ChartableCase { "mnuGraphsspo2puldatetimeline", 3, { 97, 60, 715 } },
        ChartableCase { "mnuGraphsSPTBar", 2, { 97, 715, 60, 98.6 } },
        ChartableCase { "mnuGraphsSPTLine", 2, { 97, 715, 60, 98.6 } }),
    [](const auto& info) { return std::string(info.param.menuItem); });

TEST_F(ChartTest, CellValuesFollowTheNumberRulesAndTheTimeOfReading)
{
    OpenLog(MixedLog(), 0);
    ChartWindow* w = OpenChart("barchart4");
    ASSERT_NE(w, nullptr);
    // Row 2 is the reading with a decimal comma: 37,5 charts as 37.
    EXPECT_EQ(w->MSChart1.rowLabel(2), "3/4/2024");
    EXPECT_EQ(w->MSChart1.value(2, 1), 37);
    EXPECT_EQ(w->MSChart1.value(2, 2), 160);
    click(&w->Exit);
    flushDeletes();

    w = OpenChart("Bar2");
    ASSERT_NE(w, nullptr);
    // Sugar readings in order; " 98" with its blank charts as 98.
    EXPECT_EQ(Column(*w, 1)[5], 98);
    // Times 07:15, 12:30, 18:00, 08:00, 10:00, 11:00.
    const std::vector<double> times { 715, 1230, 1800, 800, 1000, 1100, 0 };
    for (std::size_t i = 0; i < times.size(); ++i)
        EXPECT_EQ(Column(*w, 2)[i], times[i]) << i;
    click(&w->Exit);
    flushDeletes();

    // Midnight and a minute before it on the pressure chart's time axis.
    Show("2024-03-02", "00:00");
    w = OpenChart("barchart8");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->MSChart1.value(1, 2), 900); // 00:00 lacks a weight; 09:00 is first
    click(&w->Exit);
    flushDeletes();
    w = OpenChart("barchart7");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->MSChart1.value(1, 2), 2359);
    EXPECT_EQ(w->MSChart1.rowLabel(1), "3/2/2024");
}

TEST_F(ChartTest, AnEmptyTextIsChartedAsZeroAndNullIsNotChartable)
{
    std::vector<LogRow> rows = FullReadings(4);
    rows[1].sugar = "";
    rows[2].nullField = "Bsugar";
    OpenLog(rows, 0);
    for (const char* item : { "mnuGraphicsBar1", "barchart4" }) {
        ChartWindow* w = OpenChart(item);
        ASSERT_NE(w, nullptr) << item;
        EXPECT_EQ(w->LineCount.Text(), "3") << item;
        EXPECT_EQ(Column(*w, 1)[0], 100);
        EXPECT_EQ(Column(*w, 1)[1], 0);
        EXPECT_EQ(Column(*w, 1)[2], 103);
        EXPECT_EQ(desk.beeps, 0);
        // Paging back over the Null reading neither fails nor counts it.
        click(&w->Previous);
        EXPECT_EQ(w->LineCount.Text(), "3") << item;
        EXPECT_EQ(desk.beeps, 1);
        desk.beeps = 0;
        click(&w->Exit);
        flushDeletes();
    }
}

TEST_F(ChartTest, ShortcutKeysOpenTheCharts)
{
    OpenLog(FullReadings(2), 0);
    struct Key {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        const char* window;
    };
    for (const Key& k : { Key { Qt::Key_F7, {}, "BPbyDate" }, Key { Qt::Key_F2, Qt::ControlModifier, "BSbyDateLine" },
             Key { Qt::Key_F9, {}, "BPWtPulTimebyDate" }, Key { Qt::Key_F5, Qt::ControlModifier, "BSbyDateBPLine" },
             Key { Qt::Key_F11, {}, "WtbyDate" }, Key { Qt::Key_F11, Qt::ControlModifier, "WtbyDateLine" },
             Key { Qt::Key_F12, {}, "WtPulbyDate" }, Key { Qt::Key_F12, Qt::ControlModifier, "WtPulbyDateLine" },
             Key { Qt::Key_F2, Qt::ShiftModifier, "WtPulbyDateTime" },
             Key { Qt::Key_F3, Qt::ShiftModifier, "WtPulbyDateTimeLine" } }) {
        activate(main());
        QTest::keyClick(main(), k.key, k.mods);
        QCoreApplication::processEvents();
        forms::Form* w = Forms::Find(k.window);
        ASSERT_NE(w, nullptr) << k.window;
        w->Unload();
        flushDeletes();
    }
}

// The weight, temperature and SpO2 columns in each window's own order, with
// the number rules: a decimal comma, an empty text, midnight and 23:59.
TEST_F(ChartTest, WeightTemperatureAndSpo2ColumnsInTheirWindowsOrder)
{
    OpenLog(MixedLog(), 0);
    struct Expect {
        const char* menuItem;
        std::vector<std::vector<double>> rows;
    };
    const std::vector<Expect> expects {
        { "barchart10", { { 72.5 }, { 80 }, { 75 } } },
        { "barchart12", { { 72.5, 60, 715 } } },
        { "mnuGraphsTempbyDateTimeBar", { { 98.6, 715 }, { 37, 0 }, { 99.1, 2359 }, { 0, 1000 } } },
        { "mnugraphsTempPulseDateTimeBar", { { 98.6, 60, 715 }, { 99.1, 70, 2359 } } },
        { "mnuGraphsspo2pulsedatetimeBar", { { 97, 60, 715 }, { 95, 70, 2359 }, { 93, 65, 1100 } } },
        { "mnuGraphsSPTLine", { { 97, 715, 60, 98.6 }, { 95, 2359, 70, 99.1 } } },
    };
    for (const Expect& e : expects) {
        SCOPED_TRACE(e.menuItem);
        ChartWindow* w = OpenChart(e.menuItem);
        ASSERT_NE(w, nullptr);
        ASSERT_EQ(w->LineCount.Text(), QString::number(e.rows.size()));
        for (std::size_t r = 0; r < e.rows.size(); ++r)
            for (std::size_t c = 0; c < e.rows[r].size(); ++c)
                EXPECT_DOUBLE_EQ(w->MSChart1.value(int(r) + 1, int(c) + 1), e.rows[r][c])
                    << "row " << r + 1 << " column " << c + 1;
        click(&w->Exit);
        flushDeletes();
    }
}

// With any chart open, no chart entry under the locked "&Graphs" opens
// anything, by menu or by shortcut, whichever window has the focus.
TEST_F(ChartTest, WithAnyChartOpenNoChartEntryOrShortcutActs)
{
    OpenLog(FullReadings(3), 0);
    struct Key {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
    };
    std::vector<Key> keys;
    for (Qt::Key k : { Qt::Key_F2, Qt::Key_F3, Qt::Key_F4, Qt::Key_F5, Qt::Key_F7, Qt::Key_F8, Qt::Key_F9, Qt::Key_F11,
             Qt::Key_F12 }) {
        keys.push_back({ k, {} });
        keys.push_back({ k, Qt::ControlModifier });
    }
    keys.push_back({ Qt::Key_F2, Qt::ShiftModifier });
    keys.push_back({ Qt::Key_F3, Qt::ShiftModifier });

    for (const ChartDescription* open : ChartDescriptions()) {
        SCOPED_TRACE(open->name.toStdString());
        ChartWindow* w = OpenChart(MDIStart::ChartEntryOf(open->name));
        ASSERT_NE(w, nullptr);
        const QStringList loaded = Forms::Loaded();
        for (const ChartDescription* other : ChartDescriptions())
            EXPECT_FALSE(main()->Menu[MDIStart::ChartEntryOf(other->name)].Trigger()) << other->name.toStdString();
        for (QWidget* target : { static_cast<QWidget*>(main()), static_cast<QWidget*>(w) }) {
            activate(target);
            for (const Key& k : keys)
                QTest::keyClick(target, k.key, k.mods);
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(Forms::Loaded(), loaded);
        EXPECT_EQ(w->LineCount.Text(), "3");
        EXPECT_TRUE(Locked());
        EXPECT_EQ(desk.beeps, 0);
        click(&w->Exit);
        flushDeletes();
        ASSERT_TRUE(Unlocked());
    }
}

} // namespace
