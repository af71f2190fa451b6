#include "register.h"

namespace tellora {
void RegisterChartWindows() {}
} // namespace tellora
