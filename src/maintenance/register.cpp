#include "register.h"

#include "windows/backupdbase.h"
#include "windows/cback.h"
#include "windows/deletedbase.h"
#include "windows/restbackup.h"

#include "platform/forms/registry.h"

namespace tellora {

void RegisterMaintenanceWindows()
{
    using forms::Forms;
    Forms::Register(Cback::FormName, [] { return new Cback; });
    Forms::Register(Brow::FormName, [] { return new Brow; });
    Forms::Register(RestBackup::FormName, [] { return new RestBackup; });
    Forms::Register(DeleteDbase::FormName, [] { return new DeleteDbase; });
    Forms::RegisterCommand(BackupCommandName, [] { BackupDbase(); });
}

} // namespace tellora
