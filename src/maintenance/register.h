#pragma once

namespace tellora {
// Registers the maintenance windows and the backup command by name.
void RegisterMaintenanceWindows();
} // namespace tellora
