#pragma once
// What the two date-range report windows share: the two pickers with their
// hidden stored-date boxes, the reading locks while open, and the print
// button's refusals and printer choice before a report runs.
#include "date_range.h"

#include "platform/forms/controls.h"
#include "platform/forms/datepicker.h"
#include "platform/forms/form.h"

namespace tellora {

inline constexpr const char* ReversedRangeMessage = "The date range has been set incorrectly.";
inline constexpr const char* NoReadingsToPrintMessage = reports::NothingToPrintMessage;

class DateRangeWindow : public forms::Form {
    Q_OBJECT
public:
    forms::Label Label1;
    forms::DatePicker StartDate;
    forms::Label Label2;
    forms::DatePicker EndDate;
    forms::CommandButton Cancel;
    forms::TextBox Bdates;
    forms::TextBox Edates;

    // The range as the print button hands it to a report: the hidden boxes
    // for finding the readings, the pickers for the headers.
    DateRange Range() const;

protected:
    explicit DateRangeWindow(const char* name);

    void Form_Load() override;
    void Form_Unload() override;

    // The print button's tests and the printer choice, in this order: a
    // reversed range, no reading shown, the printer choice. True when a
    // report may print; otherwise the window stays as it was.
    bool ReadyToPrint();

private:
    void StartDate_LostFocus();
    void EndDate_LostFocus();
    void Cancel_Click();
};

} // namespace tellora
