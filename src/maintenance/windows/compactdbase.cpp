#include "compactdbase.h"

#include "maintenance/compaction.h"

#include "entry/picklist.h"
#include "shell/shell.h"

#include "platform/forms/desktop.h"

namespace tellora {

namespace {

const MaintenanceWindowDescription compactWindow {
    CompactDbase::FormName,
    "Compact a Database",
    5175,
    4770,
    "Doubleclick the Database you want compacted.",
    { 120, 240, 5055, 375 },
    { 960, 840, 3255, 2490 },
    { 1800, 3720, 1575, 495 },
    140,
};

const MaintenanceWindowDescription repairWindow {
    RepairDbase::FormName,
    "Repair a Database",
    4800,
    4635,
    "Doubleclick the file you need to repair.",
    { 240, 240, 4335, 255 },
    { 360, 720, 4095, 2490 },
    { 1440, 3600, 1815, 495 },
    130,
};

// Runs a long step under the hourglass and reports its failure once the
// ordinary pointer is back.
void underHourglass(const std::function<Failure()>& step)
{
    forms::SetMousePointer(forms::vbHourglass);
    const Failure failure = step();
    forms::SetMousePointer(forms::vbArrow);
    if (failure) forms::MsgBox(*failure);
}

} // namespace

CompactDbase::CompactDbase()
    : MaintenanceForm(compactWindow)
{
}

void CompactDbase::File1_DblClick()
{
    const QString file = File1.FileName();
    if (file.isEmpty()) return; // beside the entries: nothing chosen, nothing to compact
    underHourglass([&] { return CompactReadingsDatabase(file); });
    Unload();
}

RepairDbase::RepairDbase()
    : MaintenanceForm(repairWindow)
{
}

void RepairDbase::File1_DblClick()
{
    const QString file = File1.FileName();
    if (file.isEmpty()) return;
    forms::Beep();
    forms::MsgBox("YOU SHOULD RUN THE COMPACT UTILITY AFTER REPAIRING THE DATABASE", forms::Buttons::OK,
        forms::Icon::Information, "Tellora");
    underHourglass([&] { return RepairReadingsDatabase(file); });
    Unload();
}

void mnuUtilitiesCompINDbase_Click()
{
    if (const Failure failure = CompactStore(InsulinNames, OpenBaseName())) forms::MsgBox(*failure);
}

void mnuUtilitiesCompISDbase_Click()
{
    if (const Failure failure = CompactStore(InjectionSites, OpenBaseName())) forms::MsgBox(*failure);
}

} // namespace tellora
