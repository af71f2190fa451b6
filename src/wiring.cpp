#include "wiring.h"

#include "charts/register.h"
#include "entry/register.h"
#include "listings/register.h"

namespace tellora {

void RegisterAllWindows()
{
    RegisterEntryWindows();
    RegisterListingWindows();
    RegisterChartWindows();
}

} // namespace tellora
