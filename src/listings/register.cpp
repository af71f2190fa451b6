#include "register.h"

#include "display.h"
#include "displaylog.h"
#include "displayscreen.h"

#include "platform/forms/registry.h"

namespace tellora {

void RegisterListingWindows()
{
    using forms::Forms;
    Forms::Register(DisplayScreen::FormName, [] { return new DisplayScreen; });
    Forms::Register(Display::FormName, [] { return new Display; });
    Forms::Register(DisplayLog::FormName, [] { return new DisplayLog; });
}

} // namespace tellora
