#pragma once
// The ten temperature and SpO2 chart windows, as descriptions of the one
// chart window.
#include "charts/window/chart_description.h"

#include <vector>

namespace tellora {

// TempbyDateTime, TempbyDateTimeLine, TempPulbyDateTime, TempPulbyDateTimeLine,
// Spo2byDateTime, Spo2byDateTimeLine, Spo2PulbyDateTime, Spo2PulbyDateTimeLine,
// Spo2PulTempDateTime, Spo2PulTempDateTimeLine.
const std::vector<ChartDescription>& TemperatureCharts();

} // namespace tellora
