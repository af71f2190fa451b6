#include "register.h"

#include "pressure/pressure_charts.h"
#include "sugar/sugar_charts.h"
#include "window/chart_window.h"
#include "window/print_graph.h"

#include "platform/forms/registry.h"

namespace tellora {

void RegisterChartWindows()
{
    using forms::Forms;
    for (const auto* charts : { &PressureCharts(), &SugarCharts() })
        for (const ChartDescription& d : *charts)
            Forms::Register(d.name, [&d] { return new ChartWindow(d); });
    Forms::Register(PrintGraph::FormName, [] { return new PrintGraph; });
}

} // namespace tellora
