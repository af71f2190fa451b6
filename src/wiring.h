#pragma once

namespace tellora {
// Registers the windows and commands of every subsystem with the registry.
void RegisterAllWindows();
} // namespace tellora
