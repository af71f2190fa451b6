#pragma once
// Deleting every reading dated before a picked date, in one transaction.
#include "platform/forms/controls.h"
#include "platform/forms/datepicker.h"
#include "platform/forms/form.h"

namespace tellora {

inline constexpr const char* NothingToDeleteMessage
    = "There are no records to delete before the date you have entered.";
inline constexpr const char* DeleteWarning
    = "By entering a valid date below and clicking on Delete all records up to the date entered will be erased from "
      "the database. Be careful, once the records have been deleted they are gone forever!";
// Shown when the engine refuses the deletion (nothing was deleted); the engine's reason follows.
inline constexpr const char* DeleteFailedMessage = "No readings were deleted.  ";

class DeleteByDate : public forms::Form {
    Q_OBJECT
public:
    static constexpr const char* FormName = "DeleteByDate";
    DeleteByDate();

    forms::Label Label1;
    forms::DatePicker Bdates;
    forms::TextBox Bdate;
    forms::CommandButton Cancel;
    forms::CommandButton Delete;
    forms::Label Label2;

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    void Bdates_LostFocus();
    void Delete_Click();
    void Cancel_Click();
};

} // namespace tellora
