#pragma once
// The edit window: the current reading, changed and stored again in place of
// the old one, in one transaction.
#include "entryform.h"

namespace tellora {

// Shown when the reading being edited is no longer stored under its key.
inline constexpr const char* EditedReadingGoneMessage
    = "The reading you are editing could not be found in the database.  Nothing was changed.";
// Shown when the current reading's date lies outside the years the picker offers.
inline constexpr const char* DateOutOfRangeMessage
    = "The date of this reading lies outside the years 2000 to 2099, so it cannot be edited here.";

class EditRds : public ReadingEntryForm {
    Q_OBJECT
public:
    static constexpr const char* FormName = "EditRds";
    EditRds();

    forms::CommandButton Save;
    forms::CommandButton CancelEdit;

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    void Save_Click();
    void CancelEdit_Click();
    void Btime_LostFocus();
    Lookup Match();
};

} // namespace tellora
