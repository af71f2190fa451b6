#pragma once
// The database chooser: lists the "*.mdb" files of the program folder; a
// double-click opens one in DisplayRecord. While a database is open it stays
// loaded but hidden, so that File1.FileName keeps naming the open database.
#include "platform/forms/controls.h"
#include "platform/forms/form.h"

namespace tellora {

class SelectDbase : public forms::Form {
    Q_OBJECT
public:
    static constexpr const char* FormName = "SelectDbase";
    SelectDbase();

    forms::Label Label1;
    forms::FileListBox File1;
    forms::CommandButton Command1;

protected:
    void Form_Load() override;

private:
    void File1_DblClick();
    void Command1_Click();
};

} // namespace tellora
