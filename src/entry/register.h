#pragma once

namespace tellora {
// Registers this subsystem's windows and commands by name with the registry.
void RegisterEntryWindows();
} // namespace tellora
