#include "sugar_charts.h"

namespace tellora {

namespace {

using chart::Axis;

const QColor Red(255, 0, 0);
const QColor Black(0, 0, 0);
const QColor Brown(142, 94, 66);

constexpr int SugarHelp = 170;

std::vector<ChartDescription> Build()
{
    std::vector<ChartDescription> all;

    ChartDescription byDate {
        .name = "BSbyDate",
        .caption = "Blood Sugar By Date",
        .title = "Blood Sugar by Date",
        .columns = { { "", ColumnSource::Field, "Bsugar", Axis::Value, Red } },
        .chartable = { { "Bsugar" } },
        .filling = Filling::StepBack,
        .endBeep = true,
        .layout = LayoutClass::Narrow,
        .valueAxisTitle = "Blood Sugar Level",
        .legend = false,
        .legendPoints = 8,
        .helpContextId = SugarHelp,
        .menuItem = "mnuGraphicsBar1",
    };
    all.push_back(byDate);
    all.push_back(LineTwin(byDate, "linechart1"));

    ChartDescription withTime {
        .name = "BSbyDateTime",
        .caption = "Blood Sugar By Date and Time",
        .title = "Blood Sugar by Date and Time of Reading",
        .columns = {
            { "Blood Sugar", ColumnSource::Field, "Bsugar", Axis::Value, Red },
            { "Time of Reading", ColumnSource::TimeOfReading, "", Axis::Second, QColor(0, 0, 255) },
        },
        .chartable = { { "Bsugar" } },
        .filling = Filling::StepBack,
        .layout = LayoutClass::Wide,
        .valueAxisTitle = "Blood Sugar Level",
        .secondAxis = SecondAxis::TimeOfDay,
        .secondAxisTitle = "Approx. Time of Reading",
        .helpContextId = SugarHelp,
        .menuItem = "Bar2",
    };
    all.push_back(withTime);
    all.push_back(LineTwin(withTime, "linechart2"));

    ChartDescription withWeight {
        .name = "BSbyDateWt",
        .caption = "Blood Sugar By Date and Weight",
        .title = "Blood Sugar by Date and Weight",
        .columns = {
            { "Blood Sugar", ColumnSource::Field, "Bsugar", Axis::Value, Red },
            { "Weight", ColumnSource::Field, "Bweight", Axis::Second, QColor(0, 160, 240) },
        },
        .chartable = { { "Bsugar", "Bweight" } },
        .endBeep = true,
        .layout = LayoutClass::Wide,
        .valueAxisTitle = "Blood Sugar Level",
        .secondAxis = SecondAxis::Automatic,
        .secondAxisTitle = "Weight",
        .helpContextId = SugarHelp,
        .menuItem = "barchart3",
    };
    all.push_back(withWeight);
    all.push_back(LineTwin(withWeight, "linechart3"));

    ChartDescription withPressure {
        .name = "BSbyDateBP",
        .caption = "Blood Sugar and Blood Pressure by Date",
        .title = "Blood Sugar and Blood Pressure by Date",
        .columns = {
            { "Blood Sugar", ColumnSource::Field, "Bsugar", Axis::Value, Red },
            { "Systolic Pressure", ColumnSource::Field, "Bpressure", Axis::Second, Black },
            { "Diastolic Pressure", ColumnSource::Field, "Dpressure", Axis::Second, Brown },
        },
        .chartable = { { "Bsugar", "Bpressure", "Dpressure" } },
        .endBeep = true,
        .layout = LayoutClass::Wide,
        .valueAxisTitle = "Blood Sugar Level",
        .secondAxis = SecondAxis::Automatic,
        .secondAxisTitle = "Blood Pressure Reading\r\n",
        .helpContextId = SugarHelp,
        .menuItem = "barchart4",
    };
    all.push_back(withPressure);
    ChartDescription withPressureLine = LineTwin(withPressure, "linechart4");
    withPressureLine.columns[0].color = QColor(192, 0, 0);
    withPressureLine.cornerPicture = true;
    all.push_back(withPressureLine);
    return all;
}

} // namespace

const std::vector<ChartDescription>& SugarCharts()
{
    static const std::vector<ChartDescription> charts = Build();
    return charts;
}

} // namespace tellora
