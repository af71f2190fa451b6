#include "register.h"

namespace tellora {
void RegisterEntryWindows() {}
} // namespace tellora
