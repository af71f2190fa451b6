#pragma once
// The add window: one new reading, checked for a missing date or time and for
// a reading already stored under its date and time.
#include "entryform.h"

namespace tellora {

class AddRds : public ReadingEntryForm {
    Q_OBJECT
public:
    static constexpr const char* FormName = "AddRds";
    AddRds();

    forms::CommandButton SaveRd;
    forms::CommandButton CancelAdd;

    // True when a reading with the entered key is stored: it is then shown in
    // DisplayRecord, reported, and the window is closed.
    bool CheckRecord();

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    void SaveRd_Click();
    void CancelAdd_Click();
    void Btime_LostFocus();
    // CheckRecord's full answer, so a failed lookup stops the save too.
    Lookup Check();
};

} // namespace tellora
