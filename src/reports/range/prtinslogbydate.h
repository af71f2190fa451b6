#pragma once
// "Print Insulin Injection Log By Date": the injection log over a picked
// range of days. The window closes once the log has run, whatever its outcome.
#include "daterangewindow.h"

namespace tellora {

class PrtInsLogByDate : public DateRangeWindow {
    Q_OBJECT
public:
    static constexpr const char* FormName = "PrtInsLogByDate";
    PrtInsLogByDate();

    forms::CommandButton PrtLog;

private:
    void PrtLog_Click();
};

} // namespace tellora
