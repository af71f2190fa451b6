// Every window and procedure that the shell, its menus and its buttons open
// by name is registered, or is named below as still to be built. A name that
// nobody registered is a programming error the registry reports.
#include "shell/shell_fixture.h"

#include "wiring.h"

#include <QSet>

namespace {

using namespace shelltest;

// Windows and procedures that the shell already opens by name but that no
// subsystem provides yet. Each one leaves this list when it is registered.
const QStringList NotYetBuilt = {};

// The procedures the menus run by name.
const QStringList Procedures = { "BackupDbase", "mnuUtilitiesCompINDbase_Click", "mnuUtilitiesCompISDbase_Click" };

// Every window the program loads by name: the shell's own, those of its
// menus and buttons, and those the listing chooser and the chart print
// command load in turn.
QStringList WindowNames(const MDIStart& main)
{
    QStringList names { "MDIStart", "BloodMenu", "MakeDatabase", "SelectDbase", "DisplayRecord", "About",
        // "&File" and "&Utilities"
        "Cback", "AddNames", "AddSites", "StdRptByDate", "PrtInsLogByDate", "CompactDbase", "RepairDbase",
        "DeleteByDate", "RestBackup", "ConvertDbase", "ConvertNewDbase", "DeleteDbase",
        // DisplayRecord's buttons
        "AddRds", "EditRds", "SearchRds", "DisplayScreen", "PrintReports",
        // loaded by those windows
        "Display", "DisplayLog", "PrintGraph" };
    for (forms::MenuItem* item : main.Menu.All()) {
        const QString chart = MDIStart::ChartWindowOf(item->Name());
        if (!chart.isEmpty()) names << chart;
    }
    return names;
}

class RegisteredNames : public ShellTest {
protected:
    void SetUp() override
    {
        previous = forms::Forms::SetUnregisteredHandler(
            [this](const QString& name, const char* kind) { asked << QStringLiteral("%1 %2").arg(kind, name); });
        ShellTest::SetUp();
        RegisterAllWindows();
    }
    void TearDown() override
    {
        ShellTest::TearDown();
        forms::Forms::SetUnregisteredHandler(previous);
    }

    // Unloads every window that a command opened, so the next one starts
    // from the same state.
    void CloseOpened()
    {
        for (const QString& name : forms::Forms::Loaded())
            if (!QStringList { "MDIStart", "BloodMenu", "SelectDbase", "DisplayRecord" }.contains(name))
                forms::Forms::Unload(name);
        flushDeletes();
    }

    // Chooses every menu entry that can be chosen now.
    void ChooseEveryEntry()
    {
        for (forms::MenuItem* item : main()->Menu.All()) {
            if (item->IsSubmenu()) continue;
            item->Trigger();
            CloseOpened();
        }
    }

    QStringList asked;
    forms::Forms::UnregisteredHandler previous;
};

TEST_F(RegisteredNames, EveryNameTheProgramLoadsIsRegisteredOrStillToBeBuilt)
{
    const QStringList windows = WindowNames(*main());
    EXPECT_EQ(windows.size(), 26 + 32);
    for (const QString& name : windows)
        EXPECT_TRUE(Forms::IsRegistered(name) || NotYetBuilt.contains(name)) << name.toStdString();
    for (const QString& name : Procedures)
        EXPECT_TRUE(Forms::HasCommand(name) || NotYetBuilt.contains(name)) << name.toStdString();
    // A name leaves the list when its window or procedure is registered.
    for (const QString& name : NotYetBuilt) {
        EXPECT_FALSE(Forms::IsRegistered(name) || Forms::HasCommand(name)) << name.toStdString();
        EXPECT_TRUE(windows.contains(name) || Procedures.contains(name)) << name.toStdString();
    }
}

TEST_F(RegisteredNames, EveryCommandAndButtonAsksOnlyForKnownNames)
{
    // The start panel's buttons and every entry with no database open.
    click(&panel()->Command1);
    CloseOpened();
    ChooseEveryEntry();
    makeDatabase("ANN_LEE.mdb", { { "2024-03-01", "08:30", "120" } });
    open("ANN_LEE.mdb");
    ASSERT_NE(record(), nullptr);
    // With a database open and a reading shown: every entry and every button.
    ChooseEveryEntry();
    for (forms::CommandButton* button : { &record()->AddReadings, &record()->Edit, &record()->Search,
             &record()->PrintToScreen, &record()->PrintReport }) {
        button->Press();
        CloseOpened();
    }
    for (const QString& request : asked) {
        const QString name = request.section(' ', 1);
        EXPECT_TRUE(NotYetBuilt.contains(name)) << request.toStdString();
    }
}

TEST(UnregisteredName, IsReportedAndChangesNothing)
{
    QStringList asked;
    auto previous = forms::Forms::SetUnregisteredHandler(
        [&](const QString& name, const char* kind) { asked << QStringLiteral("%1 %2").arg(kind, name); });
    EXPECT_EQ(forms::Forms::Load("NoSuchWindow"), nullptr);
    EXPECT_FALSE(forms::Forms::RunCommand("NoSuchProcedure"));
    EXPECT_EQ(asked, (QStringList { "window NoSuchWindow", "procedure NoSuchProcedure" }));
    EXPECT_TRUE(forms::Forms::Loaded().isEmpty());
    forms::Forms::SetUnregisteredHandler(previous);

    // Without a test's handler the program warns and goes on.
    static QStringList warnings;
    warnings.clear();
    auto handler = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtWarningMsg) warnings << text;
    });
    EXPECT_EQ(forms::Forms::Load("Misspelt"), nullptr);
    qInstallMessageHandler(handler);
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains("'Misspelt'")) << warnings[0].toStdString();
}

} // namespace
