#pragma once
// Readings databases of the three layouts (pre-3.50, 3.50, current), made
// through the engine in a scratch program folder, a started program with the
// maintenance windows registered, and helpers that act as the user would.
#include "maintenance/compaction.h"
#include "maintenance/conversion.h"
#include "maintenance/files.h"
#include "maintenance/register.h"
#include "maintenance/scratch.h"
#include "maintenance/windows/compactdbase.h"
#include "maintenance/windows/convertdbase.h"

#include "entry/picklist.h"
#include "shell/bloodmenu.h"
#include "shell/creation.h"
#include "shell/displayrecord.h"
#include "shell/mdistart.h"
#include "shell/selectdbase.h"
#include "shell/shell.h"

#include "platform/dao/dao.h"
#include "platform/forms/desktop.h"
#include "platform/forms/registry.h"
#include "support/tempdir.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace maintest {

using forms::Forms;
using namespace tellora;
using F = Reading::Field;

enum class Layout { Pre350, V350, Current };

// The fields of each layout, in table order. The pre-3.50 comment is wider
// than today's, so a comment too long for the conversion can be stored.
inline std::vector<dao::Field> fieldsOf(Layout layout)
{
    const int count = layout == Layout::Pre350 ? 8 : layout == Layout::V350 ? 11 : 13;
    std::vector<dao::Field> out;
    for (int f = 0; f < count; ++f) {
        const int size = layout == Layout::Pre350 && f == Reading::Bcomm ? 255 : ReadingFields[f].size;
        out.push_back({ ReadingFields[f].name, dao::FieldType::Text, size });
    }
    return out;
}

// A reading with the given values and "-" everywhere else.
inline Reading reading(const std::string& date, const std::string& time, std::map<F, dao::Value> values = {})
{
    Reading r;
    for (auto& v : r.values)
        v = std::string(MissingMark);
    r[Reading::Bdate] = date;
    r[Reading::Btime] = time;
    for (const auto& [f, v] : values)
        r[f] = v;
    return r;
}

struct Make {
    bool index = true; // the index Readings
    std::string table = "BLOOD";
    std::vector<std::string> without; // fields left out
};

// A database of `layout` holding `rows` (their fields that the layout has),
// made through the engine with a second table beside BLOOD.
inline void makeLayout(const QString& file, Layout layout, const std::vector<Reading>& rows, const Make& how = {})
{
    auto& ws = dao::DefaultWorkspace();
    auto db = ws.CreateDatabase(file.toStdString(), DatabaseLocale, dao::dbVersion30);
    dao::TableDef td = db->CreateTableDef(how.table);
    for (const auto& f : fieldsOf(layout))
        if (std::find(how.without.begin(), how.without.end(), f.Name) == how.without.end()) td.Fields.push_back(f);
    if (how.index) {
        dao::Index ix = td.CreateIndex("Readings");
        ix.Primary = true;
        ix.Fields = { ix.CreateField("Bdate"), ix.CreateField("Btime") };
        td.Indexes.push_back(ix);
    }
    db->AppendTableDef(td);
    dao::TableDef other = db->CreateTableDef("NOTES");
    other.Fields.push_back(other.CreateField("Note", dao::FieldType::Text, 20));
    db->AppendTableDef(other);
    auto rs = db->OpenRecordset(how.table);
    dao::Transaction tx(ws);
    for (const Reading& r : rows) {
        rs->AddNew();
        for (const auto& f : rs->Definition().Fields)
            for (int i = 0; i < Reading::FieldCount; ++i)
                if (f.Name == ReadingFields[i].name) rs->SetValue(f.Name, r.values[i]);
        rs->Update();
    }
    tx.Commit();
    rs->Close();
    db->Close();
}

// Every row of BLOOD in index order, each field of the table as "name=value".
inline std::vector<std::string> rowsOf(const QString& file)
{
    std::vector<std::string> out;
    auto db = dao::DefaultWorkspace().OpenDatabase(file.toStdString());
    auto rs = db->OpenRecordset("BLOOD");
    rs->SetIndex("Readings");
    for (; !rs->EOF_(); rs->MoveNext()) {
        std::string row;
        for (const auto& f : rs->Definition().Fields) {
            const dao::Value v = rs->GetValue(f.Name);
            row += (row.empty() ? "" : " ") + f.Name + "=" + (v ? *v : "<null>");
        }
        out.push_back(row);
    }
    return out;
}

inline std::vector<std::string> fieldNames(const QString& file)
{
    auto db = dao::DefaultWorkspace().OpenDatabase(file.toStdString());
    std::vector<std::string> out;
    for (const auto& f : db->GetTableDef("BLOOD").Fields)
        out.push_back(f.Name + "(" + std::to_string(f.Size) + ")");
    return out;
}

inline void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

inline void activate(QWidget* w)
{
    QPointer<QWidget> p(w);
    p->activateWindow();
    QApplication::setActiveWindow(p);
    for (int i = 0; i < 20 && p && !p->isActiveWindow(); ++i)
        QTest::qWait(5);
    QCoreApplication::processEvents();
}

// Fails every step of that name once it is reached; cleared at destruction.
struct FailAt {
    explicit FailAt(std::string step, int after = 0)
    {
        SetStepHook([step, after, seen = 0](std::string_view s) mutable {
            if (s == step && seen++ >= after) throw dao::Error(dao::errDiskIO, "injected failure at " + step);
        });
    }
    ~FailAt() { SetStepHook(nullptr); }
};

// Fails the file operation `step` ("delete", "sync", "rename") on any path
// ending in `suffix`; cleared at destruction.
struct FailFileStep {
    FailFileStep(std::string step, QString suffix)
    {
        files::SetFaultHook([step, suffix](std::string_view s, const QString& path) {
            return s == step && path.endsWith(suffix, Qt::CaseInsensitive);
        });
    }
    ~FailFileStep() { files::SetFaultHook(nullptr); }
};

class MaintenanceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        desk.folder = folder.path();
        RegisterShellWindows();
        RegisterMaintenanceWindows();
        ASSERT_TRUE(StartProgram());
    }
    void TearDown() override
    {
        SetStepHook(nullptr);
        files::SetFaultHook(nullptr);
        Forms::Reset();
        flushDeletes();
    }

    MDIStart* main() { return Forms::Find<MDIStart>(); }
    forms::Form* panel() { return Forms::Find(BloodMenu::FormName); }

    // The lock of an open maintenance window, as one text to compare.
    std::string lockState()
    {
        auto& m = *main();
        return std::string(panel()->isVisible() ? "panel" : "no panel") + (m.mnuFile.Enabled() ? " file" : "")
            + (m.mnuUtilities.Enabled() ? " utilities" : "") + (m.mnuHelp.Enabled() ? " about" : "");
    }

    // Double-clicks a listed file as the user does.
    void doubleClick(forms::FileListBox& list, const QString& file)
    {
        activate(list.window());
        ASSERT_TRUE(list.SelectFile(file)) << file.toStdString();
        const QRect r = list.visualItemRect(list.currentItem());
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, r.center());
    }

    QStringList listed(const forms::FileListBox& list)
    {
        QStringList out;
        for (int i = 0; i < list.ListCount(); ++i)
            out << list.List(i);
        return out;
    }

    std::vector<QString> messages()
    {
        std::vector<QString> out;
        for (const auto& m : desk.messages)
            out.push_back(m.text);
        return out;
    }

    testsupport::ProgramFolder folder;
    forms::RecordingDesktop desk;
};

} // namespace maintest
