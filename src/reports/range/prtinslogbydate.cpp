#include "prtinslogbydate.h"

#include "range_reports.h"

namespace tellora {

PrtInsLogByDate::PrtInsLogByDate()
    : DateRangeWindow(FormName)
{
    SetCaption("Print Insulin Injection Log By Date");
    SetClientSize(7800, 3090);
    HelpContextID = 280;
    Layout({
        { &Label1, "Label1", "Starting Date:", { 420, 1020, 1455, 255 }, 2 },
        { .control = &StartDate, .name = "StartDate", .rect = { 1860, 960, 1815, 375 }, .tab = 0, .label = &Label1 },
        { &Label2, "Label2", "Ending Date:", { 4140, 1020, 1395, 255 }, 3 },
        { .control = &EndDate, .name = "EndDate", .rect = { 5520, 960, 1815, 375 }, .tab = 1, .label = &Label2 },
        { &PrtLog, "PrtLog", "Print", { 1800, 1800, 1695, 495 }, 6 },
        { &Cancel, "Cancel", "Cancel", { 4200, 1800, 1695, 495 }, 7 },
        { .control = &Bdates, .name = "Bdates", .rect = { 600, 420, 1695, 360 }, .tab = -1, .visible = false },
        { .control = &Edates, .name = "Edates", .rect = { 5640, 480, 1695, 375 }, .tab = -1, .visible = false },
    });
    Label1.setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label2.setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    PrtLog.Click = [this] { PrtLog_Click(); };
}

void PrtInsLogByDate::PrtLog_Click()
{
    if (!ReadyToPrint()) return;
    PrintInjectionLogByDate(Range());
    Unload();
}

} // namespace tellora
