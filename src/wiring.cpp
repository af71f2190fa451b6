#include "wiring.h"

#include "charts/register.h"
#include "entry/register.h"
#include "listings/register.h"
#include "maintenance/register.h"
#include "reports/current/register.h"
#include "reports/range/register.h"

namespace tellora {

void RegisterAllWindows()
{
    RegisterEntryWindows();
    RegisterListingWindows();
    RegisterChartWindows();
    RegisterCurrentReportWindows();
    RegisterRangeReportWindows();
    RegisterMaintenanceWindows();
}

} // namespace tellora
