#pragma once
// The one engine behind every printed report: the standard report (data pages
// with their comment lines, then two summary pages), the summary pages alone,
// and the insulin injection log. The report families (from the current
// reading, over a date range) differ only in a ReportDescription.
//
// Every report walks the readings with a stepping cursor on index Readings and
// holds no reading list: one pass counts the pages and gathers the extremes
// and morning/afternoon sums, a second one prints (or sums) as it goes.
#include "statistics.h"

#include "platform/forms/desktop.h"
#include "shell/print_messages.h"

#include <QString>

#include <functional>

namespace dao {
class StepCursor;
}

namespace tellora::reports {

// Where a report's walk begins and where it ends.
struct ReportWalk {
    // Puts the cursor on the first reading of the report, or at its end when
    // there is none (an equality seek on the current reading's key, or the
    // first reading dated on or after a day).
    std::function<void(dao::StepCursor&)> seekFirst;
    // The walk stops at the first reading for which this is true; empty: it
    // runs to the end of the index.
    std::function<bool(const Reading&)> endsAt;
};

// What a report says when the readings it walks hold nothing it prints.
inline constexpr const char* NothingToPrintMessage = "There are no readings to print.";

// A message box a report ends with when printing fails.
struct ReportFailure {
    QString text = QString::fromLatin1(CheckPrinterMessage);
    forms::Icon icon = forms::Icon::Critical;
    QString title = QStringLiteral("Tellora"); // empty: the program's title
    bool beep = true;
};

// What sets one family of reports apart. Built by the window that prints.
//
//   from the current reading   pageDateLine "DATE: " + today, logDateLine "Date: " + today;
//                              walk: an equality seek on the current reading's key, to the end;
//                              averages { ToEven, false }; logNothingToPrint "There are nor readings
//                              to print."; logFailure: the default (beep, critical, "Tellora").
//   over a date range          "DATES: a To b" and "Dates: a To b" (days as MM/dd/yyyy); walk: the
//                              first reading dated on or after the first day, ending at the first
//                              dated after the last; averages { AwayFromZero, true }; dataPages
//                              false for the summary pages alone; logFailure: its own text, no
//                              icon, the program's title, no beep.
//
// Both families print "-" for an overall pressure average without readings
// and "No Readings" elsewhere; the window decides from the ReportOutcome
// whether it closes.
struct ReportDescription {
    // The database base name printed after "NAME: " and "Name: ".
    QString name;
    // The second line of every data-page and summary-page header, asked anew
    // for each header: "DATE: " and today, or "DATES: " and the range.
    std::function<QString()> pageDateLine;
    // The same line of the injection log's header ("Date: ..." / "Dates: ...").
    std::function<QString()> logDateLine;
    ReportWalk walk;
    // Rounding of the two-decimal averages and the weight division.
    AverageRules averages;
    // False: the standard report prints its two summary pages alone, numbered
    // 1 and 2 of 2.
    bool dataPages = true;
    // The log's message when the walk holds no injection reading.
    QString logNothingToPrint = QString::fromLatin1(NothingToPrintMessage);
    // The log's message when reading or printing fails (the standard report
    // always ends with ReportFailure{}).
    ReportFailure logFailure;
};

enum class ReportOutcome {
    Printed,
    NoReadingShown, // the standard report needs a current reading: nothing opened
    NothingToPrint, // the walk holds nothing the report prints
    Failed, // reading or printing failed: the document is abandoned, the message shown
};

// The standard report on print::current(). With no reading shown it says so
// and returns; otherwise the hourglass shows while it counts and prints. The
// current folder is restored and the database closed on every way out.
ReportOutcome PrintStandardReport(const ReportDescription& report);

// The injection log on print::current(): 24 readings to a landscape page on
// the ruled grid; the printer is left portrait, also after a failure.
ReportOutcome PrintInjectionLog(const ReportDescription& report);

// The line rule of the data pages: lines 11 to 60 of each page take reading
// rows and comment lines. Passed each standard reading in turn, it says where
// its row and comment go and when a page begins. Shared by the counting and
// the printing pass, so the page count printed is the count of pages printed.
class DataPageLines {
public:
    struct Placement {
        bool rowOpensPage = false;
        int rowLine = 0;
        bool commentOpensPage = false;
        int commentLine = 0; // 0: no comment line
    };
    Placement Place(bool hasComment);
    int Pages() const { return page_; }
    bool Empty() const { return line_ == 10 && page_ == 1; }

private:
    int page_ = 1;
    int line_ = 10;
};

// The pass before printing: the pages the data rows will take and the
// extremes and morning/afternoon sums of the walk. Opens the database and
// closes it again; throws dao::Error when it will not open or read.
struct ReportPlan {
    DataPageLines lines;
    SummaryStatistics stats;
};
ReportPlan PlanStandardReport(const ReportDescription& report);

// The summary statistics of a walk, with the texts the summary pages print,
// for tests and for the date-range family's summary-only report: the whole
// standard-report arithmetic without a printer.
SummaryTexts SummaryOf(const ReportDescription& report);

} // namespace tellora::reports
