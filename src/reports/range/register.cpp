#include "register.h"

#include "prtinslogbydate.h"
#include "stdrptbydate.h"

#include "platform/forms/registry.h"

namespace tellora {

void RegisterRangeReportWindows()
{
    using forms::Forms;
    Forms::Register(StdRptByDate::FormName, [] { return new StdRptByDate; });
    Forms::Register(PrtInsLogByDate::FormName, [] { return new PrtInsLogByDate; });
}

} // namespace tellora
