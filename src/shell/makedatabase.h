#pragma once
// The creation window: makes a new, empty readings database named
// FIRST_LAST.mdb from a first and a last name.
#include "platform/forms/controls.h"
#include "platform/forms/form.h"

namespace tellora {

class MakeDatabase : public forms::Form {
    Q_OBJECT
public:
    static constexpr const char* FormName = "MakeDatabase";
    MakeDatabase();

    forms::Label Label1;
    forms::Label Label2;
    forms::Label Label3;
    forms::TextBox FirstName;
    forms::TextBox LastName;
    forms::CommandButton CreateDatabase;
    forms::CommandButton CancelMake;

    // The name boxes' key filter: letters pass as capitals, 8 and 127 pass,
    // anything else is dropped with a beep.
    static void NameKeyFilter(int& keyAscii);
    // What a name box may hold: its letters, as capitals.
    static QString NameText(const QString& text);

protected:
    void Form_Load() override;

private:
    void FirstName_KeyPress(int& keyAscii) { NameKeyFilter(keyAscii); }
    void LastName_KeyPress(int& keyAscii) { NameKeyFilter(keyAscii); }
    void FirstName_Change() { FilterBox(FirstName); }
    void LastName_Change() { FilterBox(LastName); }
    void CreateDatabase_Click();
    void CancelMake_Click();
    void FilterBox(forms::TextBox& box);
};

} // namespace tellora
