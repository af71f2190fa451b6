#pragma once

namespace tellora {
// Registers the maintenance windows, the backup command and the two store
// compaction commands by name.
void RegisterMaintenanceWindows();
} // namespace tellora
