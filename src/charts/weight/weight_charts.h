#pragma once
// The six weight chart windows, as descriptions of the one chart window.
#include "charts/window/chart_description.h"

#include <vector>

namespace tellora {

// WtbyDate, WtbyDateLine, WtPulbyDate, WtPulbyDateLine, WtPulbyDateTime,
// WtPulbyDateTimeLine.
const std::vector<ChartDescription>& WeightCharts();

} // namespace tellora
