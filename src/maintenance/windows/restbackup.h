#pragma once
// "Restore From Backup": a double-click copies the chosen database set back
// from the backup folder. It locks the menus but leaves the start panel.
#include "maintenanceform.h"

namespace tellora {

class RestBackup : public MaintenanceForm {
    Q_OBJECT
public:
    static constexpr const char* FormName = "RestBackup";
    RestBackup();

protected:
    void File1_DblClick() override;
};

} // namespace tellora
