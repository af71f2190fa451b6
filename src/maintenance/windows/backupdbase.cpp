#include "backupdbase.h"

#include "maintenance/backupset.h"
#include "shell/shell.h"

#include "platform/forms/desktop.h"

namespace tellora {

void BackupDbase()
{
    forms::SetMousePointer(forms::vbHourglass);
    const SetCopy result = BackupSet(OpenDatabaseName(), OpenBaseName());
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
