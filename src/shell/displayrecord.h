#pragma once
// The current-reading window: opens the database chosen in SelectDbase,
// shows the newest reading and steps through, deletes and hands the current
// reading to the other windows. Its boxes are the program's current reading
// (see shell.h).
#include "reading.h"

#include "platform/forms/controls.h"
#include "platform/forms/form.h"

#include <functional>
#include <optional>

namespace dao {
class Recordset;
}

namespace tellora {

// Shown when a database will not open.
inline constexpr const char* OpenFailureMessage
    = "The database will not open.  Try repairing it or restore from backup.  If the file is from an earlier "
      "version of Ardeo or Mensor try the Conversion utility.";

class DisplayRecord : public forms::Form {
    Q_OBJECT
public:
    static constexpr const char* FormName = "DisplayRecord";
    DisplayRecord();

    // Fills the fourteen reading boxes from the current row of an open BLOOD
    // recordset and remembers that row. Reads the whole row before writing a
    // box, so a failure leaves the boxes as they were. Values show whole and
    // as stored (Null as nothing); a stored time that reads as no time shows
    // as stored.
    void ShowRecord(dao::Recordset& rs);
    // Fills the fourteen reading boxes from a reading; Null fails as in ShowRecord.
    void ShowReading(const Reading& reading);
    // The box of a value field (Bsugar ... SPO2); Bdate and Btime have boxes
    // of their own in the shown form.
    forms::TextBox& ValueBox(Reading::Field field);
    // The reading shown as a screen reader speaks it: each box's label and
    // value, in the order drawn; empty when no reading is shown.
    QString ReadingText() const;
    // Empties the fourteen reading boxes: no reading shown.
    void ClearRecord();
    // Has a screen reader speak the reading shown, or that there is none,
    // at whichever control of this window holds the focus, now or once the
    // focus is back from the window that wrote the boxes.
    void AnnounceReading();
    // The row the boxes show (its bookmark); a window that writes the boxes
    // itself names the row it wrote.
    std::optional<long long> ShownRow() const { return shownRow_; }
    void SetShownRow(std::optional<long long> row) { shownRow_ = row; }

    forms::Label Label9;
    forms::Label lblDatabase;
    forms::TextBox DatabaseName;
    forms::Label lblDate, lblTime, lblSugar, lblPressure, lblSystolic, lblDiastolic, lblPulse, lblWeight, lblComments,
        lblTemp, lblSpo2, lblInsulin, lblInstype, lblInsamt, lblSite;
    forms::TextBox Bdates;
    forms::TextBox Bdate;
    forms::TextBox Btime;
    forms::TextBox Bsugar;
    forms::TextBox Bpressure;
    forms::TextBox Dpressure;
    forms::TextBox Bpulse;
    forms::TextBox Bweight;
    forms::TextBox Bcomm;
    forms::TextBox Temp;
    forms::TextBox Spo2;
    forms::TextBox Instype;
    forms::TextBox Insamt;
    forms::TextBox Site;

    forms::CommandButton FirstRecord;
    forms::CommandButton PreviousRecord;
    forms::CommandButton Search;
    forms::CommandButton NextRecord;
    forms::CommandButton LastRecord;
    forms::CommandButton Edit;
    forms::CommandButton Delete;
    forms::CommandButton AddReadings;
    forms::CommandButton PrintToScreen;
    forms::CommandButton Command1;
    forms::CommandButton PrintReport;

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    void FirstRecord_Click();
    void LastRecord_Click();
    void PreviousRecord_Click();
    void NextRecord_Click();
    void Delete_Click();
    void Command1_Click();
    void AddReadings_Click();
    void Edit_Click();
    void Search_Click();
    void PrintToScreen_Click();
    void PrintReport_Click();

    // The common frame of the stepping and delete buttons: the reading-shown
    // test, the open database's BLOOD on index Readings, released on return.
    void WithReadings(const std::function<void(dao::Recordset&)>& work);
    // Positions on the shown reading's row; false (after a beep) when it is gone.
    bool FindCurrent(dao::Recordset& rs);
    void SetMenuState(bool databaseOpen);
    // Has a screen reader speak the reading shown, the focus staying on `where`.
    void AnnounceReading(QWidget& where);
    QString SpokenReading() const;
    // The typing limit a value box is drawn with (0: none).
    int DesignLimit(const forms::TextBox& box) const;

    std::optional<long long> shownRow_;
};

} // namespace tellora
