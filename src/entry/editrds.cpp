#include "editrds.h"

#include "shell/displayrecord.h"
#include "shell/format.h"
#include "shell/shell.h"

#include "platform/dao/dao.h"
#include "platform/forms/desktop.h"
#include "platform/forms/registry.h"

namespace tellora {

using forms::Forms;

EditRds::EditRds()
    : ReadingEntryForm(FormName)
{
    SetCaption("Edit Reading");
    SetClientSize(10815, 5400);
    HelpContextID = 60;
    PlaceControls(
        {
            .Bdates = { 2160, 420, 1695, 360 },
            .Btime = { 2160, 900, 1695, 360 },
            .Bsugar = { 2160, 1380, 855, 360 },
            .Bpressure = { 2160, 1860, 855, 360 },
            .Dpressure = { 3900, 1860, 855, 360 },
            .Bpulse = { 2160, 2340, 855, 360 },
            .Bweight = { 2160, 2820, 855, 360 },
            .Temp = { 7620, 420, 1260, 360 },
            .Spo2 = { 7620, 900, 1260, 360 },
            .Instype = { 7620, 1860, 2835, 360 },
            .Insamt = { 7620, 2340, 1155, 360 },
            .Site = { 7620, 2820, 2835, 360 },
            .Bcomm = { 2160, 3300, 5895, 360 },
            .save = { 2400, 4200, 1695, 615 },
            .cancel = { 6960, 4200, 1695, 615 },
            .headingLeft = 6960,
            .headingTop = 1500,
            .pulseLabelFont = forms::SansBold975,
        },
        Save, "Save", "Save Changes", CancelEdit, "CancelEdit");
    Save.Click = [this] { Save_Click(); };
    CancelEdit.Click = [this] { CancelEdit_Click(); };
    Btime.LostFocus = [this] { Btime_LostFocus(); };
}

void EditRds::Form_Load()
{
    SetReadingLocks(false);
    FillDosages();
    auto* record = Forms::Find<DisplayRecord>();
    // The picker takes the stored date, which does not depend on how the
    // shown date is written.
    if (!record || !Bdates.SetStored(record->Bdate.Text())) {
        forms::MsgBox(DateOutOfRangeMessage);
        Unload();
        return;
    }
    Btime.SetText(record->Btime.Text());
    Bdate.SetText(record->Bdate.Text());
    for (Reading::Field f : ValueFields) {
        const QString shown = record->ValueBox(f).Text();
        SetValueText(f, shown == QLatin1String(MissingMark) ? QString() : shown);
    }
    FillTimes();
    FillPickLists();
    CentreOnScreen();
    Show();
    Bdates.setFocus();
}

void EditRds::Form_Unload()
{
    SetReadingLocks(true);
}

EditRds::Lookup EditRds::Match()
{
    auto* record = Forms::Find<DisplayRecord>();
    if (!record) return Lookup::Free;
    const bool changed = Bdates.Stored() != record->Bdate.Text() || Btime.Text() != record->Btime.Text();
    if (!changed) return Lookup::Free;
    // A change of form only (8:30 AM for 08:30 AM) keeps the reading's own
    // key, which is no duplicate of itself.
    if (Bdate.Text() == record->Bdate.Text() && SameStoredTime(Btime.Text(), record->Btime.Text())) return Lookup::Free;
    return LookUpKey(Bdate.Text(), Btime.Text());
}

void EditRds::Btime_LostFocus()
{
    Match();
}

void EditRds::Save_Click()
{
    auto* record = Forms::Find<DisplayRecord>();
    if (!record) return;
    // The time list still holding the shown time keeps the stored one, even
    // one this system cannot read.
    const bool timeKept = Btime.Text() == record->Btime.Text();
    if (!timeKept && FormatShortTime(Btime.Text()).isEmpty()) {
        forms::Beep();
        forms::MsgBox(NoTimeMessage);
        Btime.setFocus();
        return;
    }
    if (Match() != Lookup::Free) return;

    bool gone = false;
    long long row = 0;
    try {
        ReadingsTable readings = OpenReadings();
        dao::Recordset& rs = *readings.rs;
        {
            // Delete and append are one change: a failure between them must
            // not lose the reading.
            dao::Transaction change(dao::DefaultWorkspace());
            // The row shown, not merely the first with its date and time.
            gone = !SeekShownReading(rs);
            if (!gone) {
                const Reading replaced = Reading::From(rs);
                rs.Delete();
                rs.AddNew();
                WriteFields(rs, &replaced, timeKept);
                rs.Update();
                row = rs.LastModified();
                change.Commit();
            }
        }
        readings.Close();
    } catch (const dao::Error& e) {
        ReportSaveFailure(e);
        return;
    }
    if (gone) {
        forms::MsgBox(EditedReadingGoneMessage);
        return;
    }
    CopyToDisplay(*record, row);
    record->AnnounceReading();
    Unload();
}

void EditRds::CancelEdit_Click()
{
    Unload();
}

} // namespace tellora
