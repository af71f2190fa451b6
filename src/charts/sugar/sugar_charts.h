#pragma once
// The eight blood-sugar chart windows, as descriptions of the one chart window.
#include "charts/window/chart_description.h"

#include <vector>

namespace tellora {

// BSbyDate, BSbyDateLine, BSbyDateTime, BSbyDateTimeLine, BSbyDateWt,
// BSbyDateWtLine, BSbyDateBP, BSbyDateBPLine.
const std::vector<ChartDescription>& SugarCharts();

} // namespace tellora
