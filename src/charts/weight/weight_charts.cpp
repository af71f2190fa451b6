#include "weight_charts.h"

#include "charts/window/chart_series.h"

namespace tellora {

namespace {

using chart::Axis;
using namespace series;

constexpr int WeightHelp = 190;
// The wide weight windows stand a little taller than the usual wide window.
constexpr int WeightWideHeight = 6465;

std::vector<ChartDescription> Build()
{
    std::vector<ChartDescription> all;

    // Weight alone: one unlabelled series, no legend, no second axis.
    ChartDescription byDate {
        .name = "WtbyDate",
        .caption = "Weight by Date",
        .title = "Weight by Date",
        .columns = { Measure("", "Bweight", Steel) },
        .chartable = { { "Bweight" } },
        .endBeep = true,
        .layout = LayoutClass::Narrow,
        .valueAxisTitle = "Weight",
        .legend = false,
        .helpContextId = WeightHelp,
    };
    all.push_back(byDate);
    all.push_back(LineTwin(byDate));

    // Pulse against a second axis of its own, scaled to its values.
    ChartDescription withPulse {
        .name = "WtPulbyDate",
        .caption = "Weight and Pulse by Date",
        .title = "Weight and Pulse by Date",
        .columns = {
            Measure("Weight", "Bweight", Steel),
            Measure("Pulse", "Bpulse", Pink, Axis::Second),
        },
        .chartable = { { "Bweight", "Bpulse" } },
        .layout = LayoutClass::Wide,
        .clientHeight = WeightWideHeight,
        .valueAxisTitle = "Weight",
        .secondAxis = SecondAxis::Automatic,
        .secondAxisTitle = "Pulse",
        .helpContextId = WeightHelp,
    };
    all.push_back(withPulse);
    all.push_back(LineTwin(withPulse));

    ChartDescription withPulseTime {
        .name = "WtPulbyDateTime",
        .caption = "Weight and Pulse by Date and Time",
        .title = "Weight and Pulse by Date and Time",
        .columns = {
            Measure("Weight", "Bweight", Steel),
            Measure("Pulse", "Bpulse", Pink),
            TimeOfReading(Blue, "Time"),
        },
        .chartable = { { "Bweight", "Bpulse" } },
        .layout = LayoutClass::Wide,
        .clientHeight = WeightWideHeight,
        .valueAxisTitle = "Weight, Pulse",
        .secondAxis = SecondAxis::TimeOfDay,
        .secondAxisTitle = TimeOfDayAxis,
        .helpContextId = WeightHelp,
    };
    all.push_back(withPulseTime);
    all.push_back(LineTwin(withPulseTime));
    return all;
}

} // namespace

const std::vector<ChartDescription>& WeightCharts()
{
    static const std::vector<ChartDescription> charts = Build();
    return charts;
}

} // namespace tellora
