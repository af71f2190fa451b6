#include "displayscreen.h"

#include "display.h"
#include "displaylog.h"

#include "shell/displayrecord.h"
#include "shell/shell.h"

#include "platform/forms/registry.h"

namespace tellora {

using forms::Forms;

DisplayScreen::DisplayScreen()
    : Form(FormName)
{
    SetCaption("Display Readings To Screen");
    SetClientSize(6585, 3810);
    SetFormFont(forms::SansBold975);
    Layout({
        { &Option1, "Option1", "Display Standard Readings", { 1440, 840, 3255, 675 }, 0 },
        { &Option2, "Option2", "Display Insulin Injection Log", { 1440, 1560, 3315, 495 }, 1 },
        { &Label1, "Label1", "Select the report you would like to display.", { 900, 420, 4395, 255 } },
        { &DisplayRpt, "DisplayRpt", "Display", { 1200, 2580, 1695, 615 }, 3 },
        { &Cancel, "Cancel", "Cancel", { 3480, 2580, 1695, 615 }, 4 },
    });
    DisplayRpt.Click = [this] { DisplayRpt_Click(); };
    Cancel.Click = [this] { Cancel_Click(); };
}

void DisplayScreen::Form_Load()
{
    SetReadingLocks(false);
    CentreOnScreen();
    Show();
    // The first option takes the focus, which selects it; the window may not
    // be active yet, so select it as the focus would.
    Option1.setFocus();
    Option1.SetValue(true);
}

void DisplayScreen::DisplayRpt_Click()
{
    // The listing runs its whole load step (locks, first page, showing
    // itself) before the chooser closes; one that failed to load holds nothing.
    const char* listing = Option1.Value() ? Display::FormName : DisplayLog::FormName;
    openedListing_ = Forms::Load(QString::fromUtf8(listing)) != nullptr;
    Unload();
}

void DisplayScreen::Form_Unload()
{
    if (!openedListing_) SetReadingLocks(true);
}

} // namespace tellora
