// Opening a database from SelectDbase into DisplayRecord, the open-failure
// path, closing, and the menu states on the way.
#include "shell_fixture.h"

#include "platform/forms/menu.h"

#include <SQLiteCpp/SQLiteCpp.h>

using namespace shelltest;

namespace {

class Opening : public ShellTest {
protected:
    // Each state-bearing entry's state, in the order of the entry table.
    std::vector<bool> menuState()
    {
        std::vector<bool> s;
        for (const auto& e : MDIStart::StateEntries())
            s.push_back(main()->Menu[e.name].Enabled());
        return s;
    }
    std::vector<bool> expected(bool open)
    {
        std::vector<bool> s;
        for (const auto& e : MDIStart::StateEntries())
            s.push_back(open ? e.enabledWhenOpen : !e.enabledWhenOpen);
        return s;
    }
    void expectNoDatabaseState()
    {
        EXPECT_EQ(record(), nullptr);
        EXPECT_EQ(chooser(), nullptr);
        EXPECT_TRUE(panel()->Visible());
        EXPECT_EQ(menuState(), expected(false));
        for (auto* top : { &main()->mnuFile, &main()->mnuUtilities, &main()->mnuHelp })
            EXPECT_TRUE(top->Enabled());
    }
};

TEST_F(Opening, NewestReadingIsShownAndMenusSwitch)
{
    makeDatabase("ANN_LEE.mdb",
        { { "2014-03-05", "08:00", "101" }, { "2014-03-06", "07:00", "99" }, { "2014-03-06", "17:45", "120", "late" },
            { "2014-03-06", "09:15" } });
    const auto closed = menuState();
    EXPECT_EQ(closed, expected(false));
    open("ANN_LEE.mdb");
    ASSERT_NE(record(), nullptr);
    auto* r = record();
    EXPECT_TRUE(r->Visible());
    EXPECT_EQ(r->Caption(), "Current Reading");
    EXPECT_EQ(r->DatabaseName.Text(), "ANN_LEE");
    EXPECT_EQ(r->Bdates.Text(), "3/6/2014");
    EXPECT_EQ(r->Bdate.Text(), "2014-03-06");
    EXPECT_FALSE(r->Bdate.isVisibleTo(r));
    EXPECT_EQ(r->Btime.Text(), "05:45 PM");
    EXPECT_EQ(r->Bsugar.Text(), "120");
    EXPECT_EQ(r->Bcomm.Text(), "late");
    EXPECT_EQ(r->Spo2.Text(), "-");
    EXPECT_EQ(menuState(), expected(true));
    EXPECT_FALSE(panel()->Visible());
    ASSERT_NE(chooser(), nullptr); // loaded but hidden, naming the open database
    EXPECT_FALSE(chooser()->Visible());
    EXPECT_EQ(OpenDatabaseName(), "ANN_LEE.mdb");
    EXPECT_TRUE(ReadingShown());
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_EQ(r->focusWidget(), &r->NextRecord);
}

TEST_F(Opening, EmptyDatabaseShowsNoReadingAndReadingCommandsDoNothing)
{
    makeDatabase("BOB_RAY.mdb");
    int loads = 0;
    for (const char* w :
        { "EditRds", "SearchRds", "DisplayScreen", "DeleteByDate", "BSbyDate", "AddRds", "PrintReports" })
        Forms::Register(w, [&loads, w] {
            ++loads;
            return new forms::Form(w);
        });
    open("BOB_RAY.mdb");
    auto* r = record();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->DatabaseName.Text(), "BOB_RAY");
    for (auto* box : { &r->Bdates, &r->Bdate, &r->Btime, &r->Bsugar, &r->Spo2, &r->Site })
        EXPECT_EQ(box->Text(), "");
    EXPECT_FALSE(ReadingShown());
    for (auto* b : { &r->NextRecord, &r->PreviousRecord, &r->FirstRecord, &r->LastRecord, &r->Delete, &r->Edit,
             &r->Search, &r->PrintToScreen })
        click(b);
    activate(main());
    QTest::keyClick(main(), Qt::Key_F2);
    main()->mnuUtilitiesDeleteByDate.Trigger();
    EXPECT_EQ(loads, 0);
    EXPECT_EQ(desk.beeps, 0);
    EXPECT_TRUE(desk.messages.empty());
    // "Add Readings" and "Print Report" open their windows regardless.
    click(&r->AddReadings);
    EXPECT_TRUE(Forms::IsLoaded("AddRds"));
    EXPECT_EQ(desk.pointers, (std::vector<int> { 11, 1 }));
    click(&r->PrintReport);
    EXPECT_TRUE(Forms::IsLoaded("PrintReports"));
    EXPECT_EQ(loads, 2);
    for (const char* w :
        { "EditRds", "SearchRds", "DisplayScreen", "DeleteByDate", "BSbyDate", "AddRds", "PrintReports" })
        Forms::Unregister(w);
}

TEST_F(Opening, CloseDatabaseAndCloseBoxRestoreTheStartState)
{
    makeDatabase("ANN_LEE.mdb", { { "2014-03-05", "08:00" } });
    const auto startState = menuState();
    open("ANN_LEE.mdb");
    click(&record()->Command1);
    expectNoDatabaseState();
    EXPECT_EQ(menuState(), startState);
    flushDeletes();
    open("ANN_LEE.mdb");
    ASSERT_NE(record(), nullptr);
    record()->close();
    expectNoDatabaseState();
}

struct BadFile {
    const char* name;
    const char* why;
};

TEST_F(Opening, FilesThatWillNotOpenTakeTheFailurePath)
{
    // An older layout: BLOOD without SPO2 and Temp, with a reading.
    {
        SQLite::Database old("OLD_ONE.mdb", SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    }
    // All thirteen fields but no index Readings.
    {
        auto db = dao::DefaultWorkspace().CreateDatabase("NOINDEX.mdb", DatabaseLocale, dao::dbVersion30);
        dao::TableDef t = db->CreateTableDef("BLOOD");
        for (const auto& f : ReadingFields)
            t.Fields.push_back(t.CreateField(f.name, dao::FieldType::Text, f.size));
        db->AppendTableDef(t);
        db->Close();
    }
    folder.write("GARBAGE.mdb", QByteArray(4096, '\x5a'));
    folder.write("EMPTY.mdb", "");
    const BadFile files[] = {
        { "GARBAGE.mdb", "not a database" },
        { "EMPTY.mdb", "empty file" },
        { "OLD_ONE.mdb", "no BLOOD" },
        { "MISSING.mdb", "gone after the list was made" },
        { "OLD_LAYOUT.mdb", "3.50 layout" },
        { "NOINDEX.mdb", "no index Readings" },
    };
    // The 3.50 layout: the current fields less SPO2 and Temp, index Readings.
    {
        auto db = dao::DefaultWorkspace().CreateDatabase("OLD_LAYOUT.mdb", DatabaseLocale, dao::dbVersion30);
        dao::TableDef t = db->CreateTableDef("BLOOD");
        for (const auto& f : ReadingFields)
            if (std::string(f.name) != "SPO2" && std::string(f.name) != "Temp")
                t.Fields.push_back(t.CreateField(f.name, dao::FieldType::Text, f.size));
        dao::Index ix = t.CreateIndex("Readings");
        ix.Fields.push_back(ix.CreateField("Bdate"));
        ix.Fields.push_back(ix.CreateField("Btime"));
        t.Indexes.push_back(ix);
        db->AppendTableDef(t);
        auto rs = db->OpenRecordset("BLOOD");
        rs->AddNew();
        rs->SetValue("Bdate", std::string("2001-01-01"));
        rs->SetValue("Btime", std::string("08:00"));
        rs->Update();
        rs->Close();
        db->Close();
    }
    folder.write("MISSING.mdb", "");
    for (const BadFile& f : files) {
        desk.messages.clear();
        click(&panel()->Command2);
        ASSERT_NE(chooser(), nullptr);
        if (std::string(f.name) == "MISSING.mdb") QFile::remove(folder.file("MISSING.mdb"));
        auto& list = chooser()->File1;
        ASSERT_TRUE(list.SelectFile(f.name)) << f.name;
        activate(chooser());
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.currentItem()).center());
        ASSERT_EQ(desk.messages.size(), 1u) << f.why;
        EXPECT_EQ(desk.messages[0].text, OpenFailureMessage) << f.why;
        EXPECT_EQ(desk.messages[0].buttons, forms::Buttons::OK);
        EXPECT_EQ(desk.messages[0].icon, forms::Icon::None);
        EXPECT_EQ(desk.messages[0].title, "Tellora 3.95");
        expectNoDatabaseState();
        flushDeletes();
    }
    EXPECT_FALSE(folder.exists("MISSING.mdb")); // opening never creates a file
    // Everything was released: the files can be removed and the engine
    // still opens a good database afterwards.
    makeDatabase("ANN_LEE.mdb", { { "2014-03-05", "08:00" } });
    open("ANN_LEE.mdb");
    EXPECT_NE(record(), nullptr);
}

TEST_F(Opening, DoubleClickWithNoFileSelectedOpensNothing)
{
    makeDatabase("ANN_LEE.mdb");
    open("");
    EXPECT_EQ(chooser(), nullptr);
    EXPECT_EQ(record(), nullptr);
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_TRUE(panel()->Visible());
}

TEST_F(Opening, FromTheKeyboardReturnOpensTheCurrentFile)
{
    makeDatabase("ANN_LEE.mdb", { { "2014-03-05", "08:00" } });
    makeDatabase("BOB_RAY.mdb", { { "2015-06-07", "09:15" } });
    click(&panel()->Command2);
    ASSERT_NE(chooser(), nullptr);
    activate(chooser());
    auto& list = chooser()->File1;
    ASSERT_EQ(QApplication::focusWidget(), &list);
    QTest::keyClick(&list, Qt::Key_Down);
    QTest::keyClick(&list, Qt::Key_Return);
    ASSERT_NE(record(), nullptr);
    EXPECT_EQ(record()->DatabaseName.Text(), "BOB_RAY");
    EXPECT_EQ(shown(), "2015-06-07 09:15 AM");
    // Closing it hands the keyboard back to the start panel, not the empty main window.
    click(&record()->Command1);
    for (int i = 0; i < 50 && !panel()->isActiveWindow(); ++i)
        QTest::qWait(5);
    EXPECT_TRUE(panel()->isActiveWindow());
}

TEST_F(Opening, CancelLeavesTheStartPanelAndMenusAsTheyWere)
{
    const auto before = menuState();
    click(&panel()->Command2);
    ASSERT_NE(chooser(), nullptr);
    EXPECT_EQ(chooser()->Caption(), "Select Database");
    EXPECT_TRUE(panel()->Visible());
    click(&chooser()->Command1);
    EXPECT_EQ(chooser(), nullptr);
    EXPECT_EQ(menuState(), before);
    EXPECT_TRUE(panel()->Visible());
}

TEST_F(Opening, ChooserListsTheFolderAsItWasWhenItLoaded)
{
    makeDatabase("ANN_LEE.mdb");
    click(&panel()->Command2);
    click(&panel()->Command1);
    auto* make = Forms::Find<MakeDatabase>();
    make->FirstName.SetText("CY");
    make->LastName.SetText("DAY");
    click(&make->CreateDatabase);
    ASSERT_TRUE(folder.exists("CY_DAY.mdb"));
    EXPECT_EQ(chooser()->File1.ListCount(), 1);
    click(&chooser()->Command1);
    flushDeletes();
    click(&panel()->Command2);
    EXPECT_EQ(chooser()->File1.ListCount(), 2);
}

TEST_F(Opening, AnyFileNameLosesItsLastFourCharacters)
{
    makeDatabase("weird.MDB", { { "2014-03-05", "08:00" } });
    open("weird.MDB");
    ASSERT_NE(record(), nullptr);
    EXPECT_EQ(record()->DatabaseName.Text(), "weird");
}

TEST_F(Opening, BoxesAreLockedAndOnlyTempAndSpo2AreTabStops)
{
    makeDatabase("ANN_LEE.mdb", { { "2014-03-05", "08:00" } });
    open("ANN_LEE.mdb");
    auto* r = record();
    for (auto* box : { &r->DatabaseName, &r->Bdates, &r->Btime, &r->Bsugar, &r->Bcomm, &r->Temp, &r->Spo2 })
        EXPECT_TRUE(box->Locked());
    EXPECT_EQ(r->Instype.MaxLength(), 20);
    EXPECT_EQ(r->Insamt.MaxLength(), 6);
    EXPECT_EQ(r->Bsugar.focusPolicy(), Qt::ClickFocus);
    // Tab from "Next Record" runs through the buttons in their order, then Temp and Spo2.
    std::vector<QString> order;
    QWidget* w = &r->NextRecord;
    for (int i = 0; i < 13; ++i, w = w->nextInFocusChain()) {
        while (!(w->focusPolicy() & Qt::TabFocus))
            w = w->nextInFocusChain();
        order.push_back(w->objectName());
    }
    EXPECT_EQ(order,
        (std::vector<QString> { "NextRecord", "Search", "PreviousRecord", "AddReadings", "Delete", "Edit",
            "PrintReport", "Command1", "PrintToScreen", "LastRecord", "FirstRecord", "Temp", "Spo2" }));
    EXPECT_EQ(r->Search.HelpContextID, 90);
    EXPECT_EQ(r->NextRecord.HelpContextID, 0);
    EXPECT_EQ(r->Search.toolTip(), "Search by date.");
}

} // namespace
