#include "pressure_charts.h"

#include "charts/window/chart_series.h"

namespace tellora {

namespace {

using namespace series;

constexpr int PressureHelp = 180;

std::vector<ChartDescription> Build()
{
    std::vector<ChartDescription> all;

    ChartDescription byDate {
        .name = "BPbyDate",
        .caption = "Blood Pressure by Date",
        .title = "Blood Pressure by Date",
        .columns = {
            Measure("Systolic", "Bpressure", Black),
            Measure("Diastolic", "Dpressure", Brown),
        },
        .chartable = { { "Bpressure", "Dpressure" } },
        .filling = Filling::StepBack,
        .labelTest = FieldTest { { "Bpressure" } },
        .nextGroupEndTest = FieldTest { { "Bpressure", "Dpressure" }, true },
        .previousGroupEndTest = FieldTest { { "Bpressure" } },
        .endBeep = true,
        .layout = LayoutClass::Narrow,
        .valueAxisTitle = "Blood Pressure",
        .legendPoints = 8,
        .helpContextId = PressureHelp,
    };
    all.push_back(byDate);
    ChartDescription byDateLine = LineTwin(byDate);
    // The line chart labels a reading that holds either pressure.
    byDateLine.labelTest = FieldTest { { "Bpressure", "Dpressure" }, true };
    all.push_back(byDateLine);

    ChartDescription withPulse {
        .name = "BPbyDateTime",
        .caption = "Blood Pressure and Pulse By Date and Time",
        .title = "Blood Pressure and Pulse by Date and Time of Reading",
        .columns = {
            Measure("Systolic Pressure", "Bpressure", Black),
            TimeOfReading(Blue),
            Measure("Pulse", "Bpulse", Pink),
            Measure("Diastolic Pressure", "Dpressure", Brown),
        },
        .chartable = { { "Bpressure", "Bpulse", "Dpressure" } },
        .layout = LayoutClass::Wide,
        .printFailure = CheckPrinterLowerCaseMessage,
        .valueAxisTitle = "Systolic Pressure and Pulse",
        .secondAxis = SecondAxis::TimeOfDay,
        .secondAxisTitle = TimeOfReadingAxis,
        .legendPoints = 8,
        .helpContextId = PressureHelp,
    };
    all.push_back(withPulse);
    ChartDescription withPulseLine = LineTwin(withPulse);
    withPulseLine.printFailure = CheckPrinterMessage;
    withPulseLine.valueAxisTitle = "Blood Pressure and Pulse";
    all.push_back(withPulseLine);

    ChartDescription withWeight {
        .name = "BPWtTimebyDate",
        .caption = "Blood Pressure, Weight  By Date and Time",
        .title = "Blood Pressure, Weight by Date and Time",
        .columns = {
            Measure("Systolic Pressure", "Bpressure", Black),
            TimeOfReading(Blue),
            Measure("Weight", "Bweight", Sky),
            Measure("Diastolic Pressure", "Dpressure", Brown),
        },
        .chartable = { { "Bweight", "Bpressure", "Dpressure" } },
        .layout = LayoutClass::Wide,
        .valueAxisTitle = "Blood Pressure, Weight",
        .secondAxis = SecondAxis::TimeOfDay,
        .secondAxisTitle = TimeOfReadingAxis,
        .helpContextId = PressureHelp,
    };
    all.push_back(withWeight);
    ChartDescription withWeightLine = LineTwin(withWeight);
    withWeightLine.columns[1].color = Teal;
    all.push_back(withWeightLine);

    ChartDescription withWeightPulse {
        .name = "BPWtPulTimebyDate",
        .caption = "Blood Pressure, Weight, and Pulse  By Date and Time",
        .title = "Blood Pressure, Weight and Pulse by Date and Time",
        .columns = {
            Measure("Systolic Pressure", "Bpressure", Black),
            TimeOfReading(Blue),
            Measure("Weight", "Bweight", Sky),
            Measure("Pulse", "Bpulse", Grey),
            Measure("Diastolic Pressure", "Dpressure", Brown),
        },
        .chartable = { { "Bweight", "Bpressure", "Bpulse", "Dpressure" } },
        .layout = LayoutClass::Wide,
        .valueAxisTitle = "Blood Pressure, Weight, Pulse",
        .secondAxis = SecondAxis::TimeOfDay,
        .secondAxisTitle = TimeOfReadingAxis,
        .helpContextId = PressureHelp,
    };
    all.push_back(withWeightPulse);
    all.push_back(LineTwin(withWeightPulse));
    return all;
}

} // namespace

const std::vector<ChartDescription>& PressureCharts()
{
    static const std::vector<ChartDescription> charts = Build();
    return charts;
}

} // namespace tellora
