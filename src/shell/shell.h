#pragma once
// The application shell: its windows, their registration and the shared
// state every other subsystem reads and writes.
//
// Shared state, always reached through the registry of loaded windows
// (forms::Forms, platform/forms/registry.h), never through kept pointers:
//
//   open database      Forms::Find<SelectDbase>()->File1.FileName()   (bare file name; see OpenDatabaseName())
//   base name          Forms::Find<DisplayRecord>()->DatabaseName.Text()
//   current reading    Forms::Find<DisplayRecord>()->Bdates, Bdate (stored date, hidden), Btime (time as shown),
//                      Bsugar, Bpressure, Dpressure, Bpulse, Bweight, Bcomm, Instype, Insamt, Site, Temp, Spo2;
//                      DisplayRecord::ShowRecord(recordset) fills them from a row, ClearRecord() empties them
//   shown row          ShownReadingRow(): the row (bookmark) the boxes were read from, so that two readings
//                      with one date and time stay apart; SeekShownReading() positions on it
//   window lock        Forms::Find<DisplayRecord>()->SetEnabled(false / true)
//   start panel        Forms::Find("BloodMenu")->SetVisible(false / true)
//   menus              Forms::Find<MDIStart>()->mnuFile.SetEnabled(...), ->Menu["barchart6"]
//
// A later subsystem registers its windows by name (Forms::Register("AddRds",
// ...)) and its procedures (Forms::RegisterCommand("BackupDbase", ...)); the
// shell's menu commands and buttons load them by name.
#include "platform/dao/dao.h"
#include "platform/dao/step_cursor.h"
#include "platform/forms/form.h"

#include <QString>

#include <initializer_list>
#include <memory>
#include <optional>

namespace dao {
class ReadSpan;
class StepCursor;
} // namespace dao

namespace tellora {

// Registers MDIStart, BloodMenu, MakeDatabase, SelectDbase, DisplayRecord and About.
void RegisterShellWindows();
// The procedure a later subsystem registers to take up, before anything
// opens a file, what a step killed part way left (run by StartProgram).
inline constexpr const char* StartRecoveryCommand = "FinishInterruptedSets";
// Runs StartRecoveryCommand when registered, then loads the main window
// (which loads the start panel) and shows it.
// Returns false when the main window did not load.
bool StartProgram();

// The open database's bare file name; empty when SelectDbase is not loaded.
QString OpenDatabaseName();
// The open database's base name (DisplayRecord's DatabaseName box); empty
// when DisplayRecord is not loaded. The pick-list stores, the database set
// and the report headings are named from it.
QString OpenBaseName();
// The reading-shown test: DisplayRecord is loaded and its Btime box is not empty.
bool ReadingShown();
// Enables or disables top menus of the main window by name (the top-menu
// locks: "mnuFile", "mnuUtilities", "mnuGraphs", "mnuHelp"); not counted.
void SetTopMenus(std::initializer_list<const char*> names, bool enabled);
// Shows or hides the start panel.
void SetStartPanelVisible(bool visible);
// The lock that the entry, listing and chart windows hold while they are
// open: DisplayRecord and the top menus File, Utilities and Graphs.
void SetReadingLocks(bool enabled);

// The maintenance lock, held by each maintenance window while it is loaded:
// the top menus File, Utilities and About disabled and, when the window asks,
// the start panel hidden. While any window holds it the database chooser
// opens nothing, so no database is opened and then changed underneath.
// Releasing enables the menus (and shows the panel when asked) once no other
// window holds the lock.
void HoldMaintenanceLock(forms::Form* holder, bool hideStartPanel);
void ReleaseMaintenanceLock(forms::Form* holder, bool showStartPanel);
bool MaintenanceLockHeld();

// The open database with BLOOD open as a table recordset on index Readings.
struct ReadingsTable {
    std::unique_ptr<dao::Database> db;
    std::unique_ptr<dao::Recordset> rs;
    void Close()
    {
        rs->Close();
        db->Close();
    }
};
// Throws dao::Error when the database or its table will not open.
ReadingsTable OpenReadings();

// The row the current reading was read from, when DisplayRecord knows it.
std::optional<long long> ShownReadingRow();
// Positions on a reading by its key through index Readings, its stored time
// under either separator; false (the recordset at EOF) when none has it.
bool SeekReading(dao::Recordset& rs, const QString& date, const QString& time);
// Positions on the reading DisplayRecord shows: its own row while that row
// still holds the shown date and time, else the first reading with that key.
// False when no reading is shown or none is stored under it.
bool SeekShownReading(dao::Recordset& rs);
bool SeekShownReading(dao::StepCursor& cursor);
// The open database with a stepping cursor over BLOOD in the order of index
// Readings, for the walks that read many readings. The cursor ends before
// the database closes.
struct ReadingsCursor {
    std::unique_ptr<dao::Database> db;
    std::unique_ptr<dao::ReadSpan> span;
    std::unique_ptr<dao::StepCursor> rs;
    void Close()
    {
        rs.reset();
        span.reset();
        db->Close();
    }
};
// Throws dao::Error when the database or its table will not open.
ReadingsCursor OpenReadingsCursor();
// The same for a page a window shows: everything read through it, from the
// cursor's first row to Close, is one moment of the file (one read span), so
// a page is never read half before and half after another program's commit.
// Nothing waits on the person while it is open: the file stays locked.
ReadingsCursor OpenReadingsPage();
// What a window says when a read stopped because another program put another
// file in place of the open database (dao::errFileReplaced).
QString FileReplacedText();

} // namespace tellora
