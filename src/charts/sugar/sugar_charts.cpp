#include "sugar_charts.h"

#include "charts/window/chart_series.h"

namespace tellora {

namespace {

using chart::Axis;
using namespace series;

constexpr int SugarHelp = 170;

std::vector<ChartDescription> Build()
{
    std::vector<ChartDescription> all;

    ChartDescription byDate {
        .name = "BSbyDate",
        .caption = "Blood Sugar By Date",
        .title = "Blood Sugar by Date",
        .columns = { Measure("", "Bsugar", Red) },
        .chartable = { { "Bsugar" } },
        .filling = Filling::StepBack,
        .endBeep = true,
        .layout = LayoutClass::Narrow,
        .valueAxisTitle = "Blood Sugar Level",
        .legend = false,
        .legendPoints = 8,
        .helpContextId = SugarHelp,
    };
    all.push_back(byDate);
    all.push_back(LineTwin(byDate));

    ChartDescription withTime {
        .name = "BSbyDateTime",
        .caption = "Blood Sugar By Date and Time",
        .title = "Blood Sugar by Date and Time of Reading",
        .columns = {
            Measure("Blood Sugar", "Bsugar", Red),
            TimeOfReading(Blue),
        },
        .chartable = { { "Bsugar" } },
        .filling = Filling::StepBack,
        .layout = LayoutClass::Wide,
        .valueAxisTitle = "Blood Sugar Level",
        .secondAxis = SecondAxis::TimeOfDay,
        .secondAxisTitle = TimeOfReadingAxis,
        .helpContextId = SugarHelp,
    };
    all.push_back(withTime);
    all.push_back(LineTwin(withTime));

    ChartDescription withWeight {
        .name = "BSbyDateWt",
        .caption = "Blood Sugar By Date and Weight",
        .title = "Blood Sugar by Date and Weight",
        .columns = {
            Measure("Blood Sugar", "Bsugar", Red),
            Measure("Weight", "Bweight", Sky, Axis::Second),
        },
        .chartable = { { "Bsugar", "Bweight" } },
        .endBeep = true,
        .layout = LayoutClass::Wide,
        .valueAxisTitle = "Blood Sugar Level",
        .secondAxis = SecondAxis::Automatic,
        .secondAxisTitle = "Weight",
        .helpContextId = SugarHelp,
    };
    all.push_back(withWeight);
    all.push_back(LineTwin(withWeight));

    ChartDescription withPressure {
        .name = "BSbyDateBP",
        .caption = "Blood Sugar and Blood Pressure by Date",
        .title = "Blood Sugar and Blood Pressure by Date",
        .columns = {
            Measure("Blood Sugar", "Bsugar", Red),
            Measure("Systolic Pressure", "Bpressure", Black, Axis::Second),
            Measure("Diastolic Pressure", "Dpressure", Brown, Axis::Second),
        },
        .chartable = { { "Bsugar", "Bpressure", "Dpressure" } },
        .endBeep = true,
        .layout = LayoutClass::Wide,
        .valueAxisTitle = "Blood Sugar Level",
        .secondAxis = SecondAxis::Automatic,
        .secondAxisTitle = "Blood Pressure Reading\r\n",
        .helpContextId = SugarHelp,
    };
    all.push_back(withPressure);
    ChartDescription withPressureLine = LineTwin(withPressure);
    withPressureLine.columns[0].color = DarkRed;
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
