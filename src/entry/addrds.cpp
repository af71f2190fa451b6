#include "addrds.h"

#include "shell/displayrecord.h"
#include "shell/format.h"
#include "shell/shell.h"

#include "platform/dao/dao.h"
#include "platform/forms/desktop.h"
#include "platform/forms/registry.h"

namespace tellora {

AddRds::AddRds()
    : ReadingEntryForm(FormName)
{
    SetCaption("Add New Readings");
    SetClientSize(10215, 5640);
    HelpContextID = 50;
    PlaceControls(
        {
            .Bdates = { 1800, 810, 1815, 360 },
            .Btime = { 1800, 1320, 1815, 360 },
            .Bsugar = { 1800, 1800, 855, 360 },
            .Bpressure = { 1800, 2280, 855, 360 },
            .Dpressure = { 3600, 2280, 855, 360 },
            .Bpulse = { 1800, 2760, 855, 360 },
            .Bweight = { 1800, 3240, 855, 360 },
            .Temp = { 7380, 810, 1275, 360 },
            .Spo2 = { 7380, 1320, 1275, 360 },
            .Instype = { 7380, 2280, 2715, 360 },
            .Insamt = { 7380, 2760, 1215, 360 },
            .Site = { 7380, 3240, 2715, 360 },
            .Bcomm = { 1800, 3720, 5415, 360 },
            .save = { 2220, 4560, 1695, 615 },
            .cancel = { 6360, 4560, 1695, 615 },
            .headingLeft = 6360,
            .headingTop = 1860,
            .pulseLabelFont = forms::FontSpec { QStringLiteral("MS Sans Serif"), 8.25, true },
        },
        SaveRd, "SaveRd", "Save", CancelAdd, "CancelAdd");
    SaveRd.Click = [this] { SaveRd_Click(); };
    CancelAdd.Click = [this] { CancelAdd_Click(); };
    Btime.LostFocus = [this] { Btime_LostFocus(); };
}

void AddRds::Form_Load()
{
    SetReadingLocks(false);
    Bdates.SetToday();
    FillDosages();
    FillTimes();
    FillPickLists();
    CentreOnScreen();
    Show();
    Bdates.setFocus();
}

void AddRds::Form_Unload()
{
    SetReadingLocks(true);
}

AddRds::Lookup AddRds::Check()
{
    return LookUpKey(Bdate.Text(), FormatShortTime(Btime.Text()));
}

bool AddRds::CheckRecord()
{
    return Check() == Lookup::Found;
}

void AddRds::Btime_LostFocus()
{
    Check();
}

void AddRds::SaveRd_Click()
{
    if (Bdate.Text().isEmpty()) {
        forms::Beep();
        forms::MsgBox(NoDateMessage);
        return;
    }
    // A pasted text that names no time would store a reading without one.
    if (FormatShortTime(Btime.Text()).isEmpty()) {
        forms::Beep();
        forms::MsgBox(NoTimeMessage);
        Btime.setFocus();
        return;
    }
    if (Check() != Lookup::Free) return;
    long long row = 0;
    try {
        ReadingsTable readings = OpenReadings();
        readings.rs->AddNew();
        WriteFields(*readings.rs);
        // One row: it is either appended whole or not at all.
        readings.rs->Update();
        row = readings.rs->LastModified();
        readings.Close();
    } catch (const dao::Error& e) {
        ReportSaveFailure(e);
        return;
    }
    if (auto* record = forms::Forms::Find<DisplayRecord>()) {
        CopyToDisplay(*record, row);
        record->AnnounceReading();
    }
    Unload();
}

void AddRds::CancelAdd_Click()
{
    Unload();
}

} // namespace tellora
