#include "backupdbase.h"

#include "maintenanceform.h"

#include "maintenance/backupset.h"
#include "shell/shell.h"

#include "platform/forms/desktop.h"

namespace tellora {

void BackupDbase()
{
    forms::SetMousePointer(forms::vbHourglass);
    const SetCopy result = BackupSet(OpenDatabaseName(), OpenBaseName());
    ReportSetCopy(result, "???? Backup Failed ????", "**** Backup Successful ****");
}

} // namespace tellora
