#include "range_reports.h"

namespace tellora {

bool PrintStandardReportByDate(const DateRange& range, bool dataPages)
{
    return reports::PrintStandardReport(RangeReport(range, dataPages)) == reports::ReportOutcome::Printed;
}

void PrintInjectionLogByDate(const DateRange& range)
{
    reports::PrintInjectionLog(RangeReport(range, true));
}

} // namespace tellora
