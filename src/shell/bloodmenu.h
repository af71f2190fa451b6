#pragma once
// The start panel: the program's home while no database is open.
#include "platform/forms/controls.h"
#include "platform/forms/form.h"

namespace tellora {

class BloodMenu : public forms::Form {
    Q_OBJECT
public:
    static constexpr const char* FormName = "BloodMenu";
    BloodMenu();

    forms::CommandButton Command1;
    forms::CommandButton Command2;
    forms::CommandButton Command3;

protected:
    void Form_Load() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
};

} // namespace tellora
