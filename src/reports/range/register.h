#pragma once

namespace tellora {
// Registers the date-range report windows by name with the registry.
void RegisterRangeReportWindows();
} // namespace tellora
