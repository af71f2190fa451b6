#include "backupdbase.h"

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
    switch (result.outcome) {
    case SetCopy::Outcome::NotConfigured:
        forms::MsgBox("You must run the Configure routine first.");
        forms::SetMousePointer(forms::vbDefault);
        break;
    case SetCopy::Outcome::Failed:
        forms::SetMousePointer(forms::vbDefault);
        forms::MsgBox("???? Backup Failed ????");
        break;
    case SetCopy::Outcome::Done:
        forms::SetMousePointer(forms::vbDefault);
        forms::MsgBox("**** Backup Successful ****");
        break;
    }
}

} // namespace tellora
