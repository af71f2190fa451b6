#pragma once

namespace tellora {

// Registers PrintReports, which DisplayRecord's "Print Report" loads by name.
void RegisterCurrentReportWindows();

} // namespace tellora
