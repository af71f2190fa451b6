#pragma once
#include <vector>

namespace tellora {

struct ChartDescription;

// Registers this subsystem's windows and commands by name with the registry.
void RegisterChartWindows();

// Every chart window's description: the pressure, sugar, weight, and
// temperature and SpO2 charts, each bar window followed by its line twin.
const std::vector<const ChartDescription*>& ChartDescriptions();

} // namespace tellora
