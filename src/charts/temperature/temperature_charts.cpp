#include "temperature_charts.h"

#include "charts/window/chart_series.h"

namespace tellora {

namespace {

using namespace series;

constexpr int TemperatureHelp = 290;
constexpr int Spo2Help = 300;
// The measure-with-pulse windows stand a little taller than the usual wide
// window, the SpO2, pulse and temperature pair a little lower.
constexpr int WithPulseHeight = 6465;
constexpr int AllThreeHeight = 6435;

std::vector<ChartDescription> Build()
{
    std::vector<ChartDescription> all;

    ChartDescription temperature {
        .name = "TempbyDateTime",
        .caption = "Temperature By Date and Time",
        .title = "Temperature by Date and Time of Reading",
        .columns = {
            Measure("Temp.", "Temp", Steel),
            TimeOfReading(Blue),
        },
        .chartable = { { "Temp" } },
        .layout = LayoutClass::Wide,
        .valueAxisTitle = "Temperature Reading",
        .secondAxis = SecondAxis::TimeOfDay,
        .secondAxisTitle = TimeOfReadingAxis,
        .helpContextId = TemperatureHelp,
    };
    all.push_back(temperature);
    // The line chart names its series and axis in full and draws the time darker.
    ChartDescription temperatureLine = LineTwin(temperature);
    temperatureLine.columns[0].label = "Temperature";
    temperatureLine.columns[1].color = Navy;
    temperatureLine.valueAxisTitle = "Temperature";
    all.push_back(temperatureLine);

    ChartDescription temperaturePulse {
        .name = "TempPulbyDateTime",
        .caption = "Temperature and Pulse by Date and Time",
        .title = "Temperature and Pulse by Date and Time",
        .columns = {
            Measure("Temp.", "Temp", Steel),
            Measure("Pulse", "Bpulse", Pink),
            TimeOfReading(Blue, "Time"),
        },
        .chartable = { { "Temp", "Bpulse" } },
        .layout = LayoutClass::Wide,
        .clientHeight = WithPulseHeight,
        .valueAxisTitle = "Temperature, Pulse",
        .secondAxis = SecondAxis::TimeOfDay,
        .secondAxisTitle = TimeOfDayAxis,
        .helpContextId = TemperatureHelp,
    };
    all.push_back(temperaturePulse);
    ChartDescription temperaturePulseLine = LineTwin(temperaturePulse);
    temperaturePulseLine.columns[2].color = Navy;
    all.push_back(temperaturePulseLine);

    ChartDescription spo2 {
        .name = "Spo2byDateTime",
        .caption = "SPO2 By Date and Time",
        .title = "SPO2 by Date and Time of Reading",
        .columns = {
            Measure("SPO2", "Spo2", Raspberry),
            TimeOfReading(Navy),
        },
        .chartable = { { "Spo2" } },
        .layout = LayoutClass::Wide,
        .valueAxisTitle = "SPO2 Reading",
        .secondAxis = SecondAxis::TimeOfDay,
        .secondAxisTitle = TimeOfReadingAxis,
        .helpContextId = Spo2Help,
    };
    all.push_back(spo2);
    all.push_back(LineTwin(spo2));

    ChartDescription spo2Pulse {
        .name = "Spo2PulbyDateTime",
        .caption = "SPO2 and Pulse by Date and Time",
        .title = "SPO2 and Pulse by Date and Time",
        .columns = {
            Measure("SPO2", "Spo2", Raspberry),
            Measure("Pulse", "Bpulse", Pink),
            TimeOfReading(Navy, "Time"),
        },
        .chartable = { { "Spo2", "Bpulse" } },
        .layout = LayoutClass::Wide,
        .clientHeight = WithPulseHeight,
        .valueAxisTitle = "SPO2, Pulse",
        .secondAxis = SecondAxis::TimeOfDay,
        .secondAxisTitle = TimeOfDayAxis,
        .helpContextId = Spo2Help,
    };
    all.push_back(spo2Pulse);
    all.push_back(LineTwin(spo2Pulse));

    // All three measures, the time of reading second.
    ChartDescription spo2PulseTemperature {
        .name = "Spo2PulTempDateTime",
        .caption = "SPO2, Pulse, and Temperature By Date and Time",
        .title = "SPO2, Pulse, and Temperature by Date and Time of Reading",
        .columns = {
            Measure("SPO2", "Spo2", Raspberry),
            TimeOfReading(Navy),
            Measure("Pulse", "Bpulse", Pink),
            Measure("Temperature", "Temp", Steel),
        },
        .chartable = { { "Spo2", "Bpulse", "Temp" } },
        .layout = LayoutClass::Wide,
        .clientHeight = AllThreeHeight,
        .printFailure = CheckPrinterLowerCaseMessage,
        .valueAxisTitle = "SPO2, Pulse, Temperature",
        .secondAxis = SecondAxis::TimeOfDay,
        .secondAxisTitle = TimeOfReadingAxis,
        .legendPoints = 8,
        .helpContextId = Spo2Help,
    };
    all.push_back(spo2PulseTemperature);
    ChartDescription spo2PulseTemperatureLine = LineTwin(spo2PulseTemperature);
    spo2PulseTemperatureLine.printFailure = CheckPrinterMessage;
    all.push_back(spo2PulseTemperatureLine);
    return all;
}

} // namespace

const std::vector<ChartDescription>& TemperatureCharts()
{
    static const std::vector<ChartDescription> charts = Build();
    return charts;
}

} // namespace tellora
