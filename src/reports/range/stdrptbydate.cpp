#include "stdrptbydate.h"

#include "range_reports.h"

namespace tellora {

StdRptByDate::StdRptByDate()
    : DateRangeWindow(FormName)
{
    SetCaption("Print Standard Report By Date");
    SetClientSize(8970, 3660);
    HelpContextID = 270;
    Layout({
        { &Label1, "Label1", "Starting Date:", { 600, 660, 1515, 255 }, 2 },
        { .control = &StartDate, .name = "StartDate", .rect = { 2100, 600, 1815, 375 }, .tab = 0, .label = &Label1 },
        { &Label2, "Label2", "Ending Date:", { 4740, 660, 1515, 255 }, 3 },
        { .control = &EndDate, .name = "EndDate", .rect = { 6300, 600, 1815, 375 }, .tab = 1, .label = &Label2 },
        { &Option1, "Option1", "Print Standard Report With Readings", { 2280, 1440, 4215, 375 }, 4 },
        { &Option2, "Option2", "Print Summary Page Only", { 2280, 1860, 4275, 315 }, 5 },
        { &PrintRpt, "PrintRpt", "Print", { 1680, 2580, 1695, 495 }, 6 },
        { &Cancel, "Cancel", "Cancel", { 5520, 2580, 1695, 495 }, 7 },
        { .control = &Bdates, .name = "Bdates", .rect = { 1380, 120, 1995, 360 }, .tab = 8, .visible = false },
        { .control = &Edates, .name = "Edates", .rect = { 6360, 120, 1815, 375 }, .tab = 9, .visible = false },
    });
    Label1.setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label2.setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The last day may be any day the calendar knows; a last day before the
    // first is refused when printing.
    EndDate.SetLimits(QDate(1601, 1, 1), QDate(9999, 12, 31));
    PrintRpt.Click = [this] { PrintRpt_Click(); };
}

void StdRptByDate::Form_Load()
{
    DateRangeWindow::Form_Load();
    Option1.SetValue(true);
}

void StdRptByDate::PrintRpt_Click()
{
    if (!ReadyToPrint()) return;
    // Closed once the document has ended; after "nothing to print" or a
    // printing error the user may pick another range.
    if (PrintStandardReportByDate(Range(), Option1.Value())) Unload();
}

} // namespace tellora
