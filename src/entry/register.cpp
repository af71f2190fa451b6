#include "register.h"

#include "addrds.h"
#include "deletebydate.h"
#include "editrds.h"
#include "picklisteditor.h"
#include "searchrds.h"

#include "platform/forms/registry.h"

namespace tellora {

void RegisterEntryWindows()
{
    using forms::Forms;
    Forms::Register(AddRds::FormName, [] { return new AddRds; });
    Forms::Register(EditRds::FormName, [] { return new EditRds; });
    Forms::Register(SearchRds::FormName, [] { return new SearchRds; });
    Forms::Register(DeleteByDate::FormName, [] { return new DeleteByDate; });
    Forms::Register(AddNames::FormName, [] { return new AddNames; });
    Forms::Register(AddSites::FormName, [] { return new AddSites; });
}

} // namespace tellora
