#pragma once
// The eight blood-pressure chart windows, as descriptions of the one chart window.
#include "charts/window/chart_description.h"

#include <vector>

namespace tellora {

// BPbyDate, BPbyDateLine, BPbyDateTime, BPbyDateTimeLine, BPWtTimebyDate,
// BPWtTimebyDateLine, BPWtPulTimebyDate, BPWtPulTimebyDateLine.
const std::vector<ChartDescription>& PressureCharts();

} // namespace tellora
