#pragma once
// The three reports over a date range, as the date-range windows' print
// buttons run them after the printer choice, on print::current().
#include "date_range.h"

namespace tellora {

// The standard report (rows and comment lines, then the two summary pages),
// or with `dataPages` false the summary pages alone. True when the document
// was printed and ended; after "There are no readings to print." or a
// printing error, each already reported, false.
bool PrintStandardReportByDate(const DateRange& range, bool dataPages);
// The injection log of the range; reports its own outcome whatever happens.
void PrintInjectionLogByDate(const DateRange& range);

} // namespace tellora
