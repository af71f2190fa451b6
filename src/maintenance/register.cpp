#include "register.h"

#include "windows/backupdbase.h"
#include "windows/cback.h"
#include "windows/compactdbase.h"
#include "windows/convertdbase.h"
#include "windows/deletedbase.h"
#include "windows/restbackup.h"

#include "backupconfig.h"
#include "files.h"

#include "shell/shell.h"

#include "platform/forms/registry.h"

namespace tellora {

void RegisterMaintenanceWindows()
{
    using forms::Forms;
    Forms::Register(Cback::FormName, [] { return new Cback; });
    Forms::Register(Brow::FormName, [] { return new Brow; });
    Forms::Register(RestBackup::FormName, [] { return new RestBackup; });
    Forms::Register(DeleteDbase::FormName, [] { return new DeleteDbase; });
    Forms::Register(CompactDbase::FormName, [] { return new CompactDbase; });
    Forms::Register(RepairDbase::FormName, [] { return new RepairDbase; });
    Forms::Register(ConvertDbase::FormName, [] { return new ConvertDbase; });
    Forms::Register(ConvertNewDbase::FormName, [] { return new ConvertNewDbase; });
    Forms::RegisterCommand(BackupCommandName, [] { BackupDbase(); });
    Forms::RegisterCommand("mnuUtilitiesCompINDbase_Click", [] { mnuUtilitiesCompINDbase_Click(); });
    Forms::RegisterCommand("mnuUtilitiesCompISDbase_Click", [] { mnuUtilitiesCompISDbase_Click(); });
    // A backup or restore killed between two renames left its set half
    // replaced: the earlier set is put back before anything opens it.
    Forms::RegisterCommand(StartRecoveryCommand, [] {
        files::FinishInterruptedSets();
        if (const BackupConfig config = ReadBackupConfig();
            config.state == BackupConfig::State::Read && !config.path.isEmpty())
            files::FinishInterruptedSets(config.path);
    });
}

} // namespace tellora
