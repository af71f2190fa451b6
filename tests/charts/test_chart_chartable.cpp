// Which windows chart a reading: one reading at a time, its measures taken,
// "-" or Null, opened in all 32 windows. Each window must chart it exactly
// when every measure the window draws was taken.
#include "chart_fixture.h"

#include <algorithm>
#include <map>
#include <set>

using namespace charttest;

namespace {

// The measures each window draws, as the windows are defined; the time of
// reading is never tested.
const std::map<QString, std::set<std::string>>& Needs()
{
    static const std::map<QString, std::set<std::string>> needs = [] {
        const std::vector<std::pair<const char*, std::set<std::string>>> bars {
            { "BPbyDate", { "Bpressure", "Dpressure" } },
            { "BPbyDateTime", { "Bpressure", "Bpulse", "Dpressure" } },
            { "BPWtTimebyDate", { "Bweight", "Bpressure", "Dpressure" } },
            { "BPWtPulTimebyDate", { "Bweight", "Bpressure", "Bpulse", "Dpressure" } },
            { "BSbyDate", { "Bsugar" } },
            { "BSbyDateTime", { "Bsugar" } },
            { "BSbyDateWt", { "Bsugar", "Bweight" } },
            { "BSbyDateBP", { "Bsugar", "Bpressure", "Dpressure" } },
            { "WtbyDate", { "Bweight" } },
            { "WtPulbyDate", { "Bweight", "Bpulse" } },
            { "WtPulbyDateTime", { "Bweight", "Bpulse" } },
            { "TempbyDateTime", { "Temp" } },
            { "TempPulbyDateTime", { "Temp", "Bpulse" } },
            { "Spo2byDateTime", { "SPO2" } },
            { "Spo2PulbyDateTime", { "SPO2", "Bpulse" } },
            { "Spo2PulTempDateTime", { "SPO2", "Bpulse", "Temp" } },
        };
        std::map<QString, std::set<std::string>> out;
        for (const auto& [name, fields] : bars) {
            out[name] = fields;
            out[QString(name) + "Line"] = fields;
        }
        return out;
    }();
    return needs;
}

enum class Taken { Value, Missing, Null };

struct MatrixCase {
    std::string name;
    // Fields not listed hold a value.
    std::map<std::string, Taken> fields;
};

const std::vector<std::string> Measures { "Bsugar", "Bpressure", "Dpressure", "Bpulse", "Bweight", "Temp", "SPO2" };

std::vector<MatrixCase> Cases()
{
    std::vector<MatrixCase> cases { { "EveryMeasure", {} } };
    for (const std::string& f : Measures) {
        cases.push_back({ "Missing" + f, { { f, Taken::Missing } } });
        cases.push_back({ "Null" + f, { { f, Taken::Null } } });
    }
    auto only = [](std::map<std::string, Taken> m, Taken others) {
        for (const std::string& f : Measures)
            m.try_emplace(f, others);
        return m;
    };
    cases.push_back(
        { "TemperatureAndPulseOnly", only({ { "Temp", Taken::Value }, { "Bpulse", Taken::Value } }, Taken::Missing) });
    cases.push_back({ "Spo2AndPulseTemperatureNull",
        only({ { "SPO2", Taken::Value }, { "Bpulse", Taken::Value }, { "Temp", Taken::Null } }, Taken::Missing) });
    cases.push_back({ "WeightAndPulseSpo2Null",
        only({ { "Bweight", Taken::Value }, { "Bpulse", Taken::Value }, { "SPO2", Taken::Null } }, Taken::Missing) });
    cases.push_back({ "PressuresWithSugarNull",
        { { "Bsugar", Taken::Null }, { "Temp", Taken::Missing }, { "SPO2", Taken::Null } } });
    cases.push_back({ "SystolicOnlyDiastolicNull",
        only({ { "Bpressure", Taken::Value }, { "Dpressure", Taken::Null } }, Taken::Missing) });
    cases.push_back({ "NoMeasure", only({}, Taken::Missing) });
    cases.push_back({ "EveryMeasureNull", only({}, Taken::Null) });
    return cases;
}

void PrintTo(const MatrixCase& c, std::ostream* os)
{
    *os << c.name;
}

class ChartableMatrix : public ChartTest, public ::testing::WithParamInterface<MatrixCase> { };

TEST_P(ChartableMatrix, ChartedInExactlyTheWindowsWhoseMeasuresWereTaken)
{
    const MatrixCase& c = GetParam();
    LogRow r { "2024-05-06", "06:45", "5.5", "120", "80", "64", "70.5", "98.6", "97" };
    std::string* text[] = { &r.sugar, &r.systolic, &r.diastolic, &r.pulse, &r.weight, &r.temp, &r.spo2 };
    std::set<std::string> taken;
    for (std::size_t i = 0; i < Measures.size(); ++i) {
        const auto it = c.fields.find(Measures[i]);
        const Taken t = it == c.fields.end() ? Taken::Value : it->second;
        if (t == Taken::Missing)
            *text[i] = "-";
        else if (t == Taken::Null)
            r.nullFields.push_back(Measures[i]);
        else
            taken.insert(Measures[i]);
    }
    // The reading between two that hold no measure, so the window shown at
    // the first charts the one reading or nothing.
    OpenLog({ { "2024-05-06", "06:00" }, r, { "2024-05-07", "06:00" } }, 0);

    int windows = 0;
    for (const ChartDescription* d : ChartDescriptions()) {
        SCOPED_TRACE(d->name.toStdString());
        ++windows;
        const auto& needs = Needs().at(d->name);
        const bool charted = std::includes(taken.begin(), taken.end(), needs.begin(), needs.end());
        ChartWindow* w = OpenChart(MDIStart::ChartEntryOf(d->name));
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->LineCount.Text(), charted ? "1" : "0");
        EXPECT_EQ(w->MSChart1.rowLabel(1), charted ? QString("5/6/2024") : QString());
        EXPECT_EQ(w->MSChart1.rowLabel(2), QString());
        // Paging back over it from the end neither fails nor counts it where
        // it is not charted.
        click(&w->Previous);
        EXPECT_EQ(w->LineCount.Text(), charted ? "1" : "0");
        EXPECT_EQ(desk.beeps, 1);
        desk.beeps = 0;
        click(&w->Exit);
        flushDeletes();
    }
    EXPECT_EQ(windows, 32);
}

INSTANTIATE_TEST_SUITE_P(
    All, ChartableMatrix, ::testing::ValuesIn(Cases()), [](const auto& info) { return info.param.name; });

} // namespace
