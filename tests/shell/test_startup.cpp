// Start-up, the main window's menus and their states, the start panel, About.
#include "shell_fixture.h"

#include "shell/about.h"

#include <QDir>
#include <QMenu>
#include <QScreen>
#include <QWindow>

using namespace shelltest;

namespace {

// The sixteen state-bearing entries, with their state while no database is open.
const std::vector<std::pair<const char*, bool>> closedState {
    { "mnuFileConfigureBackup", true },
    { "mnuUtilitiesRestore", true },
    { "mnuUtilitiesCompact", true },
    { "mnuUtilitiesRepair", true },
    { "mnuUtilitiesConvert", true },
    { "mnuUtilitiesConvNewDbase", true },
    { "mnuUtilitiesDeleteDbase", true },
    { "mnuUtilitiesDeleteByDate", false },
    { "mnuGraphs", false },
    { "mnuUtilitiesBackup", false },
    { "mnuFileConfigInsNames", false },
    { "mnuFileConfigInjSites", false },
    { "mnuUtilitiesCompINDbase", false },
    { "mnuUtilitiesCompISDbase", false },
    { "mnuFilePrtStdRptbyDate", false },
    { "mnuFilePrtInjLogByDate", false },
};

class Startup : public ShellTest { };

TEST_F(Startup, MenusStartInTheClosedState)
{
    auto& menu = main()->Menu;
    for (const auto& [name, enabled] : closedState)
        EXPECT_EQ(menu[name].Enabled(), enabled) << name;
    // Every other entry has no state of its own and is enabled.
    int others = 0;
    for (forms::MenuItem* item : menu.All()) {
        const bool stateful = std::any_of(closedState.begin(), closedState.end(),
            [&](const auto& e) { return item->Name() == QLatin1String(e.first); });
        if (!stateful) {
            ++others;
            EXPECT_TRUE(item->Enabled()) << item->Name().toStdString();
        }
    }
    EXPECT_EQ(others, int(menu.All().size()) - 16);
}

TEST_F(Startup, MenuTreeHasItsCaptionsShortcutsAndHelpIDs)
{
    auto& menu = main()->Menu;
    ASSERT_EQ(menu.Menus().size(), 4u);
    EXPECT_EQ(menu.Menus()[0]->Caption(), "&File");
    EXPECT_EQ(menu.Menus()[1]->Caption(), "&Utilities");
    EXPECT_EQ(menu.Menus()[2]->Caption(), "&Graphs");
    EXPECT_EQ(menu.Menus()[3]->Caption(), "&About");
    struct Entry {
        const char* name;
        const char* caption;
        const char* shortcut;
        int help;
    };
    const Entry entries[] = {
        { "mnuFileConfigureBackup", "&Configure Backup/Restore", "Ctrl+U", 210 },
        { "mnuFileConfigInsNames", "Configure Insulin &Names", "", 250 },
        { "mnuFilePrtInjLogByDate", "Print &Injection Log By Date", "", 280 },
        { "mnuUtilitiesCompact", "Compact a &Database", "Ctrl+C", 140 },
        { "mnuUtilitiesCompISDbase", "Compact Injection &Sites Database", "", 140 },
        { "mnuUtilitiesRepair", "&Repair a Database", "Ctrl+R", 130 },
        { "mnuUtilitiesBackup", "&Backup Database", "Ctrl+B", 220 },
        { "mnuUtilitiesRestore", "Restore a &Database", "Ctrl+D", 230 },
        { "mnuUtilitiesDeleteDbase", "Delete A Database", "", 310 },
        { "mnuHelpAbout", "&About", "", 0 },
        { "mnuGraphicsdateBSBP", "Blood Sugar by Date and  Blood &Pressure", "", 170 },
        { "mnuGraphicsBar1", "&Bar Chart", "F2", 170 },
        { "linechart4", "&Line Chart", "Ctrl+F5", 170 },
        { "barchart8", "&Bar Chart", "", 180 },
        { "mnuGraphsBPWtPulDtTime", "Blood Pressure, Weight,& Pulse by Date and Time", "", 180 },
        { "linechart12", "&Line Chart", "Shift+F3", 190 },
        { "mnuGraphsTemPulseDtTime", "Temp.,Pulse By & Date and Time", "", 290 },
        { "mnuGraphsSPTLine", "&Line Chart", "", 300 },
    };
    for (const Entry& e : entries) {
        const forms::MenuItem& item = menu[e.name];
        EXPECT_EQ(item.Caption(), e.caption) << e.name;
        EXPECT_EQ(item.Shortcut(), QKeySequence(e.shortcut)) << e.name;
        EXPECT_EQ(item.HelpContextID(), e.help) << e.name;
    }
    // 32 chart commands, each a bar or line chart naming its window.
    int charts = 0;
    for (forms::MenuItem* item : menu.All())
        if (!MDIStart::ChartWindowOf(item->Name()).isEmpty()) ++charts;
    EXPECT_EQ(charts, 32);
    EXPECT_EQ(MDIStart::ChartWindowOf("Bar2"), "BSbyDateTime");
    EXPECT_EQ(MDIStart::ChartWindowOf("mnuGraphsSPTLine"), "Spo2PulTempDateTimeLine");
    // A separator between each two neighbouring entries.
    EXPECT_EQ(menu["mnuFile"].Submenu()->actions().size(), 9);
}

TEST_F(Startup, ProgramFolderBecomesCurrentAndStartPanelShows)
{
    EXPECT_EQ(QDir::currentPath(), QDir(folder.path()).canonicalPath());
    ASSERT_NE(panel(), nullptr);
    EXPECT_TRUE(panel()->Visible());
    EXPECT_TRUE(main()->Visible());
    EXPECT_EQ(main()->Caption(), "Tellora");
    EXPECT_EQ(panel()->Command1.Caption(), "Create New Database");
    EXPECT_EQ(panel()->Command2.Caption(), "Open An Existing Database");
    EXPECT_EQ(panel()->Command3.Caption(), "Exit Program");
    EXPECT_EQ(panel()->Border(), forms::BorderStyle::None);
    EXPECT_EQ(panel()->size(), QSize(438, 176));
    const QRect screen = panel()->screen()->geometry();
    EXPECT_EQ(panel()->x(), screen.width() / 2 - panel()->width() / 2);
}

TEST_F(Startup, TheMainWindowFillsTheDesktopSoEveryCentredWindowStandsInsideIt)
{
    EXPECT_TRUE(main()->isMaximized());
    QCoreApplication::processEvents();
    const QRect frame = main()->frameGeometry();
    EXPECT_EQ(frame, main()->screen()->availableGeometry());
    makeDatabase("ANN_LEE.mdb", { { "2024-05-07", "08:30" } });
    open("ANN_LEE.mdb");
    ASSERT_NE(record(), nullptr);
    main()->mnuHelpAbout.Trigger();
    for (const char* name : { "BloodMenu", "SelectDbase", "DisplayRecord", "About" }) {
        forms::Form* f = Forms::Find(name);
        ASSERT_NE(f, nullptr) << name;
        f->CentreOnScreen();
        EXPECT_TRUE(frame.contains(QRect(f->pos(), f->size().grownBy(f->FrameMargins())))) << name;
    }
}

TEST_F(Startup, StartedFromAnotherFolderTheProgramStillFindsItsFiles)
{
    Forms::Reset();
    flushDeletes();
    makeDatabase("ANN_LEE.mdb");
    testsupport::ProgramFolder elsewhere; // now current
    ASSERT_NE(QDir::currentPath(), QDir(folder.path()).canonicalPath());
    ASSERT_TRUE(StartProgram());
    EXPECT_EQ(QDir::currentPath(), QDir(folder.path()).canonicalPath());
    click(&panel()->Command2);
    ASSERT_NE(chooser(), nullptr);
    EXPECT_EQ(chooser()->File1.ListCount(), 1);
    EXPECT_EQ(chooser()->File1.List(0), "ANN_LEE.mdb");
    Forms::Reset();
    flushDeletes();
    QDir::setCurrent(folder.path());
}

TEST_F(Startup, PanelButtonsOpenEachWindowOnce)
{
    click(&panel()->Command1);
    auto* make = Forms::Find<MakeDatabase>();
    ASSERT_NE(make, nullptr);
    click(&panel()->Command1);
    EXPECT_EQ(Forms::Find<MakeDatabase>(), make);
    click(&panel()->Command2);
    ASSERT_NE(chooser(), nullptr);
    EXPECT_TRUE(make->Visible());
    EXPECT_TRUE(panel()->Visible());
}

TEST_F(Startup, ExitProgramEndsAtOnceWithoutUnloadSteps)
{
    click(&panel()->Command1);
    click(&panel()->Command2);
    click(&panel()->Command3);
    EXPECT_EQ(desk.endCalls, 1);
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_NE(Forms::Find<MakeDatabase>(), nullptr);
}

TEST_F(Startup, TheDesktopsCloseLeavesTheStartPanelOnScreenWithItsFocus)
{
    activate(panel());
    panel()->Command2.setFocus();
    // Alt+F4: the desktop asks the window to close.
    panel()->windowHandle()->close();
    QCoreApplication::processEvents();
    flushDeletes();
    ASSERT_NE(panel(), nullptr);
    EXPECT_TRUE(panel()->Visible());
    EXPECT_TRUE(panel()->isActiveWindow());
    EXPECT_EQ(QApplication::focusWidget(), &panel()->Command2);
    EXPECT_EQ(desk.endCalls, 0);
}

TEST_F(Startup, AboutOpensCentredOnceAndCloses)
{
    EXPECT_TRUE(main()->mnuHelpAbout.Trigger());
    auto* about = Forms::Find<About>();
    ASSERT_NE(about, nullptr);
    const QRect screen = about->screen()->geometry();
    EXPECT_EQ(about->pos(), QPoint(screen.width() / 2 - about->width() / 2, screen.height() / 2 - about->height() / 2));
    EXPECT_EQ(about->size(), QSize(360, 355));
    main()->mnuHelpAbout.Trigger();
    EXPECT_EQ(Forms::Find<About>(), about);
    for (QLabel* l : about->findChildren<QLabel*>())
        EXPECT_FALSE(l->text().contains('@')) << l->text().toStdString();
    click(&about->Close);
    EXPECT_EQ(Forms::Find<About>(), nullptr);
}

TEST_F(Startup, AboutClosesWhenItLosesTheFocus)
{
    main()->mnuHelpAbout.Trigger();
    auto* about = Forms::Find<About>();
    ASSERT_NE(about, nullptr);
    activate(about);
    activate(panel());
    EXPECT_EQ(Forms::Find<About>(), nullptr);
}

TEST_F(Startup, F1AsksForTheWindowsContext)
{
    activate(panel());
    panel()->Command1.setFocus();
    QTest::keyClick(&panel()->Command1, Qt::Key_F1);
    EXPECT_EQ(desk.helpContexts, (std::vector<int> { 30 }));
}

TEST_F(Startup, F1InAnOpenMenuAsksForTheHighlightedEntrysContext)
{
    activate(main());
    QMenu* file = main()->mnuFile.Submenu();
    file->popup(QPoint(10, 10));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(file));
    file->setActiveAction(main()->mnuFileConfigureBackup.Action());
    QTest::keyClick(file, Qt::Key_F1);
    file->close();
    EXPECT_EQ(desk.helpContexts, (std::vector<int> { 210 }));
}

} // namespace
