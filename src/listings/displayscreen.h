#pragma once
// The listing chooser: standard readings or the injection log. It opens the
// chosen listing and closes, leaving the locks to the listing.
#include "platform/forms/controls.h"
#include "platform/forms/form.h"
#include "platform/forms/optionbutton.h"

namespace tellora {

class DisplayScreen : public forms::Form {
    Q_OBJECT
public:
    static constexpr const char* FormName = "DisplayScreen";
    DisplayScreen();

    forms::OptionButton Option1;
    forms::OptionButton Option2;
    forms::Label Label1;
    forms::CommandButton DisplayRpt;
    forms::CommandButton Cancel;

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    void DisplayRpt_Click();
    void Cancel_Click() { Unload(); }

    // A listing window opened: it holds the locks from now on.
    bool openedListing_ = false;
};

} // namespace tellora
