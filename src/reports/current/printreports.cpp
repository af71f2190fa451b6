#include "printreports.h"

#include "shell/displayrecord.h"
#include "shell/format.h"
#include "shell/shell.h"

#include "platform/dao/step_cursor.h"
#include "platform/forms/desktop.h"
#include "platform/forms/registry.h"
#include "platform/print/choose_printer.h"

#include <QDate>

namespace tellora {

using forms::Forms;

PrintReports::PrintReports()
    : Form(FormName)
{
    SetCaption("Select Report");
    SetClientSize(7200, 3840);
    SetFormFont(forms::SansBold975);
    HelpContextID = 200;
    Layout({
        { &Label1, "Label1", "Select the report you want and click print.", { 1500, 660, 4455, 315 } },
        { &Option1, "Option1", "Print Standard Report", { 1020, 1080, 2775, 555 }, 0 },
        { &Option2, "Option2", "Print Insulin Log Report", { 1020, 1740, 2835, 495 }, 1 },
        { &Print, "Print", "Print", { 1260, 2640, 1995, 675 }, 2 },
        { &Cancel, "Cancel", "Cancel", { 3960, 2640, 1995, 675 }, 3 },
    });
    Print.Click = [this] { Print_Click(); };
    Cancel.Click = [this] { Cancel_Click(); };
}

void PrintReports::Form_Load()
{
    SetReadingLocks(false);
    CentreOnScreen();
    Show();
    // The first option takes the focus, which selects it; the window may not
    // be active yet, so select it as the focus would.
    Option1.setFocus();
    Option1.SetValue(true);
}

void PrintReports::Form_Unload()
{
    SetReadingLocks(true);
}

void PrintReports::Print_Click()
{
    if (!ChoosePrinter(this)) return; // cancelled: the user may print again or cancel
    const reports::ReportDescription report = CurrentReadingReport();
    if (Option1.Value())
        reports::PrintStandardReport(report);
    else
        reports::PrintInjectionLog(report);
    // Whatever the report's outcome; unloading twice does nothing.
    Unload();
}

namespace {

// Asked anew for every header: a report printing past midnight shows the new day.
QString TodayShown()
{
    return FormatShortDate(forms::Today().toString(QStringLiteral("yyyy-MM-dd")));
}

} // namespace

reports::ReportDescription CurrentReadingReport()
{
    reports::ReportDescription d;
    const auto* record = Forms::Find<DisplayRecord>();
    std::string date, time;
    if (record) {
        d.name = record->DatabaseName.Text();
        date = record->Bdate.Text().toStdString();
        // The shown time back to the stored one: the time half of the key.
        time = FormatShortTime(record->Btime.Text()).toStdString();
    }
    d.pageDateLine = [] { return "DATE: " + TodayShown(); };
    d.logDateLine = [] { return "Date: " + TodayShown(); };
    d.walk.seekFirst = [date, time](dao::StepCursor& c) { c.Seek({ date, time }); };
    d.averages = { reports::HalfRounding::ToEven, false };
    d.dataPages = true;
    d.logNothingToPrint = QString::fromLatin1(NorReadingsMessage);
    d.logFailure = {};
    return d;
}

} // namespace tellora
