#include "pressure_charts.h"

namespace tellora {

namespace {

using chart::Axis;

const QColor Black(0, 0, 0);
const QColor Brown(142, 94, 66);
const QColor TimeBlue(0, 0, 255);
const QColor PulsePink(255, 64, 255);
const QColor WeightBlue(0, 160, 240);
const QColor PulseGrey(128, 128, 128);

constexpr int PressureHelp = 180;

ChartColumn Time(const QColor& color) { return { "Time of Reading", ColumnSource::TimeOfReading, "", Axis::Second, color }; }

std::vector<ChartDescription> Build()
{
    std::vector<ChartDescription> all;

    ChartDescription byDate {
        .name = "BPbyDate",
        .caption = "Blood Pressure by Date",
        .title = "Blood Pressure by Date",
        .columns = {
            { "Systolic", ColumnSource::Field, "Bpressure", Axis::Value, Black },
            { "Diastolic", ColumnSource::Field, "Dpressure", Axis::Value, Brown },
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
        .menuItem = "barchart6",
    };
    all.push_back(byDate);
    ChartDescription byDateLine = LineTwin(byDate, "linechart6");
    // The line chart labels a reading that holds either pressure.
    byDateLine.labelTest = FieldTest { { "Bpressure", "Dpressure" }, true };
    all.push_back(byDateLine);

    ChartDescription withPulse {
        .name = "BPbyDateTime",
        .caption = "Blood Pressure and Pulse By Date and Time",
        .title = "Blood Pressure and Pulse by Date and Time of Reading",
        .columns = {
            { "Systolic Pressure", ColumnSource::Field, "Bpressure", Axis::Value, Black },
            Time(TimeBlue),
            { "Pulse", ColumnSource::Field, "Bpulse", Axis::Value, PulsePink },
            { "Diastolic Pressure", ColumnSource::Field, "Dpressure", Axis::Value, Brown },
        },
        .chartable = { { "Bpressure", "Bpulse", "Dpressure" } },
        .layout = LayoutClass::Wide,
        .printFailure = "Check Your Printer and try again",
        .valueAxisTitle = "Systolic Pressure and Pulse",
        .secondAxis = SecondAxis::TimeOfDay,
        .secondAxisTitle = "Approx. Time of Reading",
        .legendPoints = 8,
        .helpContextId = PressureHelp,
        .menuItem = "barchart7",
    };
    all.push_back(withPulse);
    ChartDescription withPulseLine = LineTwin(withPulse, "linechart7");
    withPulseLine.printFailure = "Check Your Printer and Try Again";
    withPulseLine.valueAxisTitle = "Blood Pressure and Pulse";
    all.push_back(withPulseLine);

    ChartDescription withWeight {
        .name = "BPWtTimebyDate",
        .caption = "Blood Pressure, Weight  By Date and Time",
        .title = "Blood Pressure, Weight by Date and Time",
        .columns = {
            { "Systolic Pressure", ColumnSource::Field, "Bpressure", Axis::Value, Black },
            Time(TimeBlue),
            { "Weight", ColumnSource::Field, "Bweight", Axis::Value, WeightBlue },
            { "Diastolic Pressure", ColumnSource::Field, "Dpressure", Axis::Value, Brown },
        },
        .chartable = { { "Bweight", "Bpressure", "Dpressure" } },
        .layout = LayoutClass::Wide,
        .valueAxisTitle = "Blood Pressure, Weight",
        .secondAxis = SecondAxis::TimeOfDay,
        .secondAxisTitle = "Approx. Time of Reading",
        .helpContextId = PressureHelp,
        .menuItem = "barchart8",
    };
    all.push_back(withWeight);
    ChartDescription withWeightLine = LineTwin(withWeight, "linechart8");
    withWeightLine.columns[1].color = QColor(10, 100, 100);
    all.push_back(withWeightLine);

    ChartDescription withWeightPulse {
        .name = "BPWtPulTimebyDate",
        .caption = "Blood Pressure, Weight, and Pulse  By Date and Time",
        .title = "Blood Pressure, Weight and Pulse by Date and Time",
        .columns = {
            { "Systolic Pressure", ColumnSource::Field, "Bpressure", Axis::Value, Black },
            Time(TimeBlue),
            { "Weight", ColumnSource::Field, "Bweight", Axis::Value, WeightBlue },
            { "Pulse", ColumnSource::Field, "Bpulse", Axis::Value, PulseGrey },
            { "Diastolic Pressure", ColumnSource::Field, "Dpressure", Axis::Value, Brown },
        },
        .chartable = { { "Bweight", "Bpressure", "Bpulse", "Dpressure" } },
        .layout = LayoutClass::Wide,
        .valueAxisTitle = "Blood Pressure, Weight, Pulse",
        .secondAxis = SecondAxis::TimeOfDay,
        .secondAxisTitle = "Approx. Time of Reading",
        .helpContextId = PressureHelp,
        .menuItem = "barchart9",
    };
    all.push_back(withWeightPulse);
    all.push_back(LineTwin(withWeightPulse, "linechart9"));
    return all;
}

} // namespace

const std::vector<ChartDescription>& PressureCharts()
{
    static const std::vector<ChartDescription> charts = Build();
    return charts;
}

} // namespace tellora
