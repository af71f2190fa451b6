#pragma once
// What the add and edit windows share: the reading controls with their key
// filters, the quarter-hour time list, the pick lists, the stored-date box,
// the locks on DisplayRecord and the menus, the duplicate check and the
// writing of a reading into BLOOD and into DisplayRecord.
#include "platform/forms/combobox.h"
#include "platform/forms/controls.h"
#include "platform/forms/datepicker.h"
#include "platform/forms/form.h"

#include "shell/reading.h"

#include <QString>
#include <QStringList>

#include "shell/reading.h"

namespace tellora {

class DisplayRecord;

// The 96 quarter hours of the day as the time list shows them: "12:00 AM" .. "11:45 PM".
QStringList QuarterHourTimes();

// Shown when the engine refuses a save; the engine's reason follows.
inline constexpr const char* SaveFailedMessage = "The reading could not be saved.  ";
// Shown when the engine refuses the lookup of the entered date and time.
inline constexpr const char* CheckFailedMessage = "The date and time could not be checked.  ";
inline constexpr const char* DuplicateMessage = "A reading for the date and time you entered already exists.";
inline constexpr const char* NoDateMessage = "You must enter a valid date.";
inline constexpr const char* NoTimeMessage = "You must enter a valid time.";

// The key filters, apart so that each class of box can be tested as a table.
void DigitFilter(int& keyAscii);
void DecimalFilter(int& keyAscii);
void DosageFilter(const QString& text, int& keyAscii);
void FreeTextFilter(const QString& text, int& keyAscii);

class ReadingEntryForm : public forms::Form {
    Q_OBJECT
public:
    explicit ReadingEntryForm(const QString& name);

    forms::Label lblDate, lblTime, lblSugar, lblPressure, lblSystolic, lblDiastolic, lblPulse, lblWeight, lblTemp,
        lblSpo2, lblHeading, lblInstype, lblInsamt, lblSite, lblComm;
    forms::DatePicker Bdates;
    forms::ComboBox Btime;
    forms::TextBox Bsugar;
    forms::TextBox Bpressure;
    forms::TextBox Dpressure;
    forms::TextBox Bpulse;
    forms::TextBox Bweight;
    forms::TextBox Temp;
    forms::TextBox Spo2;
    forms::ComboBox Instype;
    forms::ComboBox Insamt;
    forms::ComboBox Site;
    forms::TextBox Bcomm;
    // The picked day as a stored date; follows the picker when it loses the focus.
    forms::TextBox Bdate;

    // The control of a value field: a box (Bsugar ... Bcomm, Temp, SPO2) or
    // a list (Instype, Insamt, Site); nullptr for the other kind.
    forms::TextBox* ValueBox(Reading::Field field);
    forms::ComboBox* ValueList(Reading::Field field);
    // The text of a value field's control.
    QString ValueText(Reading::Field field) const;
    void SetValueText(Reading::Field field, const QString& text);
    // The reading as entered: the picked stored date, the stored time of the
    // time list's text, MissingMark in every value left exactly empty.
    Reading EnteredReading() const;

protected:
    // Positions in twips of one window's controls.
    struct Placement {
        forms::Twips Bdates, Btime, Bsugar, Bpressure, Dpressure, Bpulse, Bweight, Temp, Spo2, Instype, Insamt, Site,
            Bcomm, save, cancel;
        int headingLeft, headingTop;
        forms::FontSpec pulseLabelFont;
    };
    void PlaceControls(const Placement& at, forms::CommandButton& save, const char* saveName,
        const QString& saveCaption, forms::CommandButton& cancel, const char* cancelName);

    void FillDosages();
    void FillTimes();
    void FillPickLists();

    enum class Lookup { Free, Found, Failed };
    // Looks the key up in BLOOD, the time under either separator. Found:
    // DisplayRecord shows the stored reading, a beep and the duplicate
    // message, and the window unloads. Failed: the engine's refusal is
    // reported and the window stays.
    Lookup LookUpKey(const QString& date, const QString& time);

    // Sets the thirteen fields of a pending AddNew. In place of `replaced`,
    // a value left as it was (and the stored time, when `timeKept`) is
    // written back as stored, whole.
    void WriteFields(dao::Recordset& rs, const Reading* replaced = nullptr, bool timeKept = false) const;
    // Copies the entered reading into DisplayRecord's boxes; `row` is the
    // row it was stored as.
    void CopyToDisplay(DisplayRecord& record, long long row) const;
    static void ReportSaveFailure(const dao::Error& e);

    void Bdates_LostFocus();
};

} // namespace tellora
