#pragma once
// The search window: the first reading dated on or after a picked date
// becomes the current reading.
#include "platform/forms/controls.h"
#include "platform/forms/datepicker.h"
#include "platform/forms/form.h"

namespace tellora {

inline constexpr const char* NothingFoundMessage = "Unable to find any matching entries.";
// Shown when the engine refuses the search; the engine's reason follows.
inline constexpr const char* SearchFailedMessage = "The search could not be completed.  ";

class SearchRds : public forms::Form {
    Q_OBJECT
public:
    static constexpr const char* FormName = "SearchRds";
    SearchRds();

    forms::DatePicker Bdates;
    forms::Label Label1;
    forms::CommandButton Search;
    forms::CommandButton CancelSearch;
    forms::TextBox Bdate;

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    void Bdates_LostFocus();
    void Search_Click();
    void CancelSearch_Click();
};

} // namespace tellora
