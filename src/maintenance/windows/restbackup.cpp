#include "restbackup.h"

#include "maintenance/backupset.h"

#include "platform/forms/desktop.h"

namespace tellora {

namespace {
const MaintenanceWindowDescription description {
    .name = RestBackup::FormName,
    .caption = "Restore From Backup",
    .width = 5130,
    .height = 5115,
    .instruction = "Double click the database you want to restore.",
    .labelRect = { 240, 360, 4815, 255 },
    .fileRect = { 480, 720, 4215, 3210 },
    .cancelRect = { 1800, 4200, 1575, 495 },
    .help = 230,
    .hidesStartPanel = false,
};
} // namespace

RestBackup::RestBackup()
    : MaintenanceForm(description)
{
}

void RestBackup::File1_DblClick()
{
    forms::SetMousePointer(forms::vbHourglass);
    const SetCopy result = RestoreSet(File1.FileName());
    ReportSetCopy(result, "???? Restore Process Failed ????", "**** Restore Process Successful ****");
    Unload();
}

} // namespace tellora
