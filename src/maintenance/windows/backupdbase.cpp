#include "backupdbase.h"

#include "maintenanceform.h"

#include "maintenance/backupset.h"
#include "shell/displayrecord.h"
#include "shell/shell.h"

#include "platform/forms/desktop.h"
#include "platform/forms/registry.h"

namespace tellora {

void BackupDbase()
{
    forms::SetMousePointer(forms::vbHourglass);
    auto* record = forms::Forms::Find<DisplayRecord>();
    const QString baseName = record ? record->DatabaseName.Text() : QString();
    const SetCopy result = BackupSet(OpenDatabaseName(), baseName);
    ReportSetCopy(result, "???? Backup Failed ????", "**** Backup Successful ****");
}

} // namespace tellora
