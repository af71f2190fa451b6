#pragma once
// The started program with the maintenance windows registered, a backup
// folder beside the program folder and database sets made through the engine.
#include "../shell/shell_fixture.h"

#include "entry/picklist.h"
#include "maintenance/backupconfig.h"
#include "maintenance/files.h"
#include "maintenance/register.h"

#include <QDir>
#include <QTemporaryDir>

namespace maintenancetest {

using namespace shelltest;

// Fails the named step ("create", "write", "sync", "rename", "delete",
// "read") on paths that contain `where`, while it lives.
struct InjectFault {
    InjectFault(std::string step, QString where = {})
    {
        files::SetFaultHook(
            [step, where](std::string_view s, const QString& path) { return s == step && path.contains(where); });
    }
    ~InjectFault() { files::SetFaultHook({}); }
};

class MaintenanceTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        RegisterMaintenanceWindows();
    }
    void TearDown() override
    {
        files::SetFaultHook({});
        ShellTest::TearDown();
    }

    // A readings database with two readings and, when asked, its stores with an entry each.
    void makeSet(const QString& base, bool stores = true)
    {
        makeDatabase(base + ".mdb", { { "2024-01-02", "08:30", "120" }, { "2024-01-03", "17:45", "98" } });
        if (stores) {
            CreateStore(InsulinNames, base + ".qnm");
            AddEntry(InsulinNames, base + ".qnm", "Humalog");
            CreateStore(InjectionSites, base + ".qst");
            AddEntry(InjectionSites, base + ".qst", "Left arm");
        }
    }

    QString backupFile(const QString& name) const { return QDir(backup.path()).filePath(name); }
    QByteArray backupBytes(const QString& name) const
    {
        QFile f(backupFile(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void configure() { ASSERT_TRUE(SaveBackupPath(backup.path()).ok()); }

    // Every file of a folder, hidden ones included.
    static QStringList filesOf(const QString& path)
    {
        return QDir(path).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    // Double-clicks a listed file as the user does (empty: below the entries).
    static void doubleClick(forms::FileListBox& list, const QString& file)
    {
        activate(list.window());
        if (file.isEmpty()) {
            QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, QPoint(5, list.viewport()->height() - 5));
            return;
        }
        ASSERT_TRUE(list.SelectFile(file)) << file.toStdString();
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.currentItem()).center());
    }

    bool locked() const
    {
        auto* m = const_cast<MaintenanceTest*>(this)->main();
        return !m->mnuFile.Enabled() && !m->mnuUtilities.Enabled() && !m->mnuHelp.Enabled();
    }
    bool unlocked() const
    {
        auto* m = const_cast<MaintenanceTest*>(this)->main();
        return m->mnuFile.Enabled() && m->mnuUtilities.Enabled() && m->mnuHelp.Enabled();
    }
    bool panelShown() { return panel()->isVisible(); }

    QStringList messageTexts() const
    {
        QStringList out;
        for (const auto& m : desk.messages)
            out << m.text;
        return out;
    }

    QTemporaryDir backup;
};

} // namespace maintenancetest
