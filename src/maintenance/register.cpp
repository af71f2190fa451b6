#include "register.h"

#include "platform/forms/registry.h"

namespace tellora {

void RegisterMaintenanceWindows() {}

} // namespace tellora
