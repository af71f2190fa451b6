#include "shell.h"

#include "about.h"
#include "bloodmenu.h"
#include "displayrecord.h"
#include "makedatabase.h"
#include "mdistart.h"
#include "selectdbase.h"

#include "format.h"
#include "reading.h"

#include "platform/dao/step_cursor.h"
#include "platform/forms/registry.h"

#include <QPointer>

#include <vector>

namespace tellora {

using forms::Forms;

void RegisterShellWindows()
{
    Forms::Register(MDIStart::FormName, [] { return new MDIStart; });
    Forms::Register(BloodMenu::FormName, [] { return new BloodMenu; });
    Forms::Register(MakeDatabase::FormName, [] { return new MakeDatabase; });
    Forms::Register(SelectDbase::FormName, [] { return new SelectDbase; });
    Forms::Register(DisplayRecord::FormName, [] { return new DisplayRecord; });
    Forms::Register(About::FormName, [] { return new About; });
}

bool StartProgram()
{
    if (Forms::HasCommand(StartRecoveryCommand)) Forms::RunCommand(StartRecoveryCommand);
    forms::Form* main = Forms::Load(MDIStart::FormName);
    if (!main) return false;
    // The main window shows once its load step has ended, filling the
    // desktop's working area so that every window centred on the screen
    // stands inside it.
    main->setWindowState(main->windowState() | Qt::WindowMaximized);
    main->Show();
    return true;
}

QString OpenDatabaseName()
{
    auto* select = Forms::Find<SelectDbase>();
    return select ? select->File1.FileName() : QString();
}

QString OpenBaseName()
{
    auto* record = Forms::Find<DisplayRecord>();
    return record ? record->DatabaseName.Text() : QString();
}

bool ReadingShown()
{
    auto* record = Forms::Find<DisplayRecord>();
    return record && !record->Btime.Text().isEmpty();
}

void SetTopMenus(std::initializer_list<const char*> names, bool enabled)
{
    auto* main = Forms::Find<MDIStart>();
    if (!main) return;
    for (const char* name : names)
        if (forms::MenuItem* item = main->Menu.Find(name)) item->SetEnabled(enabled);
}

void SetStartPanelVisible(bool visible)
{
    if (forms::Form* panel = Forms::Find(BloodMenu::FormName)) panel->SetVisible(visible);
}

void SetReadingLocks(bool enabled)
{
    if (auto* record = Forms::Find<DisplayRecord>()) record->SetEnabled(enabled);
    SetTopMenus({ "mnuFile", "mnuUtilities", "mnuGraphs" }, enabled);
}

namespace {
std::vector<QPointer<forms::Form>>& maintenanceHolders()
{
    static std::vector<QPointer<forms::Form>> holders;
    return holders;
}

void pruneHolders()
{
    auto& holders = maintenanceHolders();
    std::erase_if(
        holders, [](const QPointer<forms::Form>& f) { return !f || f->state() == forms::Form::State::Unloaded; });
}
} // namespace

void HoldMaintenanceLock(forms::Form* holder, bool hideStartPanel)
{
    pruneHolders();
    maintenanceHolders().push_back(holder);
    if (hideStartPanel) SetStartPanelVisible(false);
    SetTopMenus({ "mnuFile", "mnuUtilities", "mnuHelp" }, false);
}

void ReleaseMaintenanceLock(forms::Form* holder, bool showStartPanel)
{
    auto& holders = maintenanceHolders();
    std::erase_if(holders, [holder](const QPointer<forms::Form>& f) { return f == holder; });
    pruneHolders();
    if (!holders.empty()) return;
    if (showStartPanel) SetStartPanelVisible(true);
    SetTopMenus({ "mnuFile", "mnuUtilities", "mnuHelp" }, true);
}

bool MaintenanceLockHeld()
{
    pruneHolders();
    return !maintenanceHolders().empty();
}

namespace {
// Every window opens the readings by the bare name SelectDbase holds.
std::unique_ptr<dao::Database> OpenOpenDatabase()
{
    return dao::DefaultWorkspace().OpenDatabase(OpenDatabaseName().toStdString());
}
constexpr const char* ReadingsTableName = "BLOOD";
constexpr const char* ReadingsIndexName = "Readings";
} // namespace

ReadingsTable OpenReadings()
{
    ReadingsTable t;
    t.db = OpenOpenDatabase();
    t.rs = t.db->OpenRecordset(ReadingsTableName);
    t.rs->SetIndex(ReadingsIndexName);
    return t;
}

QString FileReplacedText()
{
    return QStringLiteral("Another program has replaced the database file.  Open the database again.");
}

ReadingsCursor OpenReadingsCursor()
{
    ReadingsCursor c;
    c.db = OpenOpenDatabase();
    c.rs = std::make_unique<dao::StepCursor>(*c.db, ReadingsTableName, ReadingsIndexName);
    return c;
}

ReadingsCursor OpenReadingsPage()
{
    ReadingsCursor c;
    c.db = OpenOpenDatabase();
    // Before the cursor lands on its first row.
    c.span = std::make_unique<dao::ReadSpan>(*c.db);
    c.rs = std::make_unique<dao::StepCursor>(*c.db, ReadingsTableName, ReadingsIndexName);
    return c;
}

} // namespace tellora

namespace tellora {

namespace {

void seekEqual(dao::Recordset& rs, const std::vector<std::string>& key)
{
    rs.Seek("=", key);
}
void seekEqual(dao::StepCursor& cursor, const std::vector<std::string>& key)
{
    cursor.Seek(key);
}

template<class Cursor> bool seekKey(Cursor& cursor, const QString& date, const QString& time)
{
    // One indexed lookup for each spelling, never a walk over the table.
    for (const QString& spelling : StoredTimeSpellings(time)) {
        seekEqual(cursor, { date.toStdString(), spelling.toStdString() });
        if (!cursor.NoMatch()) return true;
    }
    return false;
}

template<class Cursor> bool seekShown(Cursor& cursor)
{
    auto* record = Forms::Find<DisplayRecord>();
    if (!record || record->Btime.Text().isEmpty()) return false;
    const QString date = record->Bdate.Text(), time = record->Btime.Text();
    if (const auto row = record->ShownRow()) {
        try {
            cursor.SetBookmark(*row);
            const Reading shown = Reading::From(cursor);
            if (shown.Text(Reading::Bdate) == date && SameStoredTime(shown.Text(Reading::Btime), time)) return true;
        } catch (const dao::Error& e) {
            if (e.Number() != dao::errInvalidBookmark) throw;
        }
    }
    return seekKey(cursor, date, time);
}

} // namespace

std::optional<long long> ShownReadingRow()
{
    auto* record = Forms::Find<DisplayRecord>();
    return record ? record->ShownRow() : std::nullopt;
}

bool SeekReading(dao::Recordset& rs, const QString& date, const QString& time)
{
    return seekKey(rs, date, time);
}

bool SeekShownReading(dao::Recordset& rs)
{
    return seekShown(rs);
}

bool SeekShownReading(dao::StepCursor& cursor)
{
    return seekShown(cursor);
}

} // namespace tellora
