#pragma once
// The three reports over a date range, registered as commands that a
// date-range window's print button runs after the printer choice. Each reads
// the range from the window that runs it and prints on print::current().
namespace tellora {

// The standard report: a row for each standard reading of the range with its
// comment line, then the two summary pages. Closes StdRptByDate once its
// document has ended; after "There are no readings to print." or a printing
// error the window stays open.
inline constexpr const char* PrintStandardReportByDateCommand = "PrintStandardReportByDate";
// The two summary pages of the standard report alone, numbered 1 and 2 of 2;
// closes StdRptByDate as the standard report does.
inline constexpr const char* PrintSummaryByDateCommand = "PrintSummaryByDate";
// The injection log of the range on ruled landscape pages, 24 rows a page;
// reports its own outcome, after which PrtInsLogByDate closes.
inline constexpr const char* PrintInjectionLogByDateCommand = "PrintInjectionLogByDate";

} // namespace tellora
