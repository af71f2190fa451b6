#include "register.h"

namespace tellora {
void RegisterListingWindows() {}
} // namespace tellora
