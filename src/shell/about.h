#pragma once
// The about window: the program's name and version, closed by "Close" or by
// losing the focus.
#include "platform/forms/controls.h"
#include "platform/forms/form.h"

namespace tellora {

class About : public forms::Form {
    Q_OBJECT
public:
    static constexpr const char* FormName = "About";
    About();

    forms::Label lblTitle;
    forms::Label lblVersion;
    forms::Label lblNotice;
    forms::Label lblInfo;
    forms::Label lblNotes;
    forms::Label lblComments;
    forms::CommandButton Close;

protected:
    void Form_Load() override;
    void Form_LostFocus() override;

private:
    void Close_Click();
};

} // namespace tellora
