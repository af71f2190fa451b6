#pragma once
// The report chooser: the standard report or the insulin injection log, from
// the current reading to the last reading. Print asks for the printer, prints
// the chosen report and closes the window; Cancel only closes it.
#include "reports/report_engine.h"

#include "platform/forms/controls.h"
#include "platform/forms/form.h"
#include "platform/forms/optionbutton.h"

namespace tellora {

class PrintReports : public forms::Form {
    Q_OBJECT
public:
    static constexpr const char* FormName = "PrintReports";
    PrintReports();

    forms::Label Label1;
    forms::OptionButton Option1;
    forms::OptionButton Option2;
    forms::CommandButton Print;
    forms::CommandButton Cancel;

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    void Print_Click();
    void Cancel_Click() { Unload(); }
};

// The family of reports from the current reading: the current reading's key
// as an equality seek, to the end of index Readings; today's date in every
// header; averages rounded half to even. Read from DisplayRecord now.
reports::ReportDescription CurrentReadingReport();

inline constexpr const char* NorReadingsMessage = "There are nor readings to print.";

} // namespace tellora
