#include "wiring.h"

#include "charts/register.h"
#include "entry/register.h"
#include "listings/register.h"
#include "maintenance/register.h"

namespace tellora {

void RegisterAllWindows()
{
    RegisterEntryWindows();
    RegisterListingWindows();
    RegisterChartWindows();
    RegisterMaintenanceWindows();
}

} // namespace tellora
