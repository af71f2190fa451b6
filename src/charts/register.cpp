#include "register.h"

#include "pressure/pressure_charts.h"
#include "sugar/sugar_charts.h"
#include "temperature/temperature_charts.h"
#include "weight/weight_charts.h"
#include "window/chart_window.h"
#include "window/print_graph.h"

#include "platform/forms/registry.h"

namespace tellora {

const std::vector<const ChartDescription*>& ChartDescriptions()
{
    static const std::vector<const ChartDescription*> all = [] {
        std::vector<const ChartDescription*> out;
        for (const auto* charts : { &PressureCharts(), &SugarCharts(), &WeightCharts(), &TemperatureCharts() })
            for (const ChartDescription& d : *charts)
                out.push_back(&d);
        return out;
    }();
    return all;
}

void RegisterChartWindows()
{
    using forms::Forms;
    for (const ChartDescription* d : ChartDescriptions())
        Forms::Register(d->name, [d] { return new ChartWindow(*d); });
    Forms::Register(PrintGraph::FormName, [] { return new PrintGraph; });
}

} // namespace tellora
