#pragma once

namespace tellora {
// Registers the maintenance windows, the backup command, the two store
// compaction commands and the start's recovery of a half-replaced set by name.
void RegisterMaintenanceWindows();
} // namespace tellora
