#pragma once
// "Print Standard Report By Date": the standard report, or its two summary
// pages alone, over a picked range of days.
#include "daterangewindow.h"

#include "platform/forms/optionbutton.h"

namespace tellora {

class StdRptByDate : public DateRangeWindow {
    Q_OBJECT
public:
    static constexpr const char* FormName = "StdRptByDate";
    StdRptByDate();

    forms::OptionButton Option1;
    forms::OptionButton Option2;
    forms::CommandButton PrintRpt;

protected:
    void Form_Load() override;

private:
    void PrintRpt_Click();
};

} // namespace tellora
