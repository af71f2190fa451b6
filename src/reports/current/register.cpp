#include "register.h"

#include "printreports.h"

#include "platform/forms/registry.h"

namespace tellora {

void RegisterCurrentReportWindows()
{
    forms::Forms::Register(PrintReports::FormName, [] { return new PrintReports; });
}

} // namespace tellora
