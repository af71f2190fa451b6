// The creation window: its key filter, the paste filter, the existence test
// and the database it makes.
#include "shell_fixture.h"

#include <QFile>

using namespace shelltest;

namespace {

class Creation : public ShellTest {
protected:
    MakeDatabase* openWindow()
    {
        click(&panel()->Command1);
        auto* w = Forms::Find<MakeDatabase>();
        if (w) activate(w);
        return w;
    }
};

struct FilterCase {
    const char* typed;
    const char* expected;
    int beeps;
};

TEST_F(Creation, KeyFilterAdmitsLettersAsCapitals)
{
    const FilterCase cases[] = {
        { "ann lee", "ANNLEE", 1 }, { "A1", "A", 1 }, { "Zz", "ZZ", 0 }, { "o'neil", "ONEIL", 1 },
        { "x_y.mdb", "XYMDB", 2 }, { "\r\x1b", "", 2 }, // Enter and Escape are dropped with a beep
    };
    auto* w = openWindow();
    ASSERT_NE(w, nullptr);
    for (const FilterCase& c : cases) {
        w->FirstName.SetText("");
        w->FirstName.setFocus();
        const int before = desk.beeps;
        QTest::keyClicks(&w->FirstName, QString::fromUtf8(c.typed));
        EXPECT_EQ(w->FirstName.Text(), c.expected) << c.typed;
        EXPECT_EQ(desk.beeps - before, c.beeps) << c.typed;
    }
    EXPECT_TRUE(Forms::IsLoaded("MakeDatabase")); // Enter and Escape pressed nothing

    // A letter outside A to Z is no letter of the filter.
    w->FirstName.SetText("");
    const int before = desk.beeps;
    QKeyEvent accented(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QString::fromUtf8("\xc3\xa9"));
    QApplication::sendEvent(&w->FirstName, &accented);
    EXPECT_EQ(w->FirstName.Text(), "");
    EXPECT_EQ(desk.beeps - before, 1);
}

TEST_F(Creation, KeyFilterCodesTable)
{
    struct Code {
        int in, out;
        bool beep;
    };
    for (const Code& c : { Code { 'a', 'A', false }, Code { 'z', 'Z', false }, Code { 'Q', 'Q', false },
             Code { 8, 8, false }, Code { 127, 127, false }, Code { ' ', 0, true }, Code { '1', 0, true },
             Code { '_', 0, true }, Code { 13, 0, true }, Code { 27, 0, true }, Code { '@', 0, true },
             Code { '[', 0, true }, Code { '`', 0, true }, Code { '{', 0, true } }) {
        const int before = desk.beeps;
        int k = c.in;
        MakeDatabase::NameKeyFilter(k);
        EXPECT_EQ(k, c.out) << c.in;
        EXPECT_EQ(desk.beeps - before, c.beep ? 1 : 0) << c.in;
    }
}

TEST_F(Creation, BackspaceAndCtrlBackspacePassTheFilter)
{
    auto* w = openWindow();
    w->LastName.setFocus();
    QTest::keyClicks(&w->LastName, "lee");
    QTest::keyClick(&w->LastName, Qt::Key_Backspace);
    EXPECT_EQ(w->LastName.Text(), "LE");
    QTest::keyClick(&w->LastName, Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(w->LastName.Text(), "");
    EXPECT_EQ(desk.beeps, 0);
}

TEST_F(Creation, PastedTextIsFilteredToo)
{
    auto* w = openWindow();
    w->FirstName.setFocus();
    w->FirstName.insert("ann-marie 2"); // what a paste does
    EXPECT_EQ(w->FirstName.Text(), "ANNMARIE");
    w->LastName.SetText("../etc/x");
    EXPECT_EQ(w->LastName.Text(), "ETCX");
}

TEST_F(Creation, CreateMakesTheDatabaseAndCloses)
{
    auto* w = openWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Caption(), "Create New Database");
    EXPECT_EQ(w->size(), QSize(489, 212));
    EXPECT_EQ(w->focusWidget(), &w->FirstName);
    QTest::keyClicks(&w->FirstName, "ann");
    w->LastName.setFocus();
    QTest::keyClicks(&w->LastName, "lee");
    click(&w->CreateDatabase);
    EXPECT_TRUE(folder.exists("ANN_LEE.mdb"));
    EXPECT_FALSE(Forms::IsLoaded("MakeDatabase"));
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_TRUE(panel()->Visible());

    auto db = dao::DefaultWorkspace().OpenDatabase("ANN_LEE.mdb");
    EXPECT_TRUE(HasCurrentLayout(*db));
    const dao::TableDef t = db->GetTableDef("BLOOD");
    ASSERT_EQ(t.Fields.size(), 13u);
    for (std::size_t i = 0; i < 13; ++i) {
        EXPECT_EQ(t.Fields[i].Name, ReadingFields[i].name);
        EXPECT_EQ(t.Fields[i].Size, ReadingFields[i].size);
    }
    const dao::Index* ix = t.FindIndex("Readings");
    ASSERT_NE(ix, nullptr);
    EXPECT_TRUE(ix->Primary);
    EXPECT_FALSE(ix->Unique);
    EXPECT_EQ(db->OpenRecordset("BLOOD")->RecordCount(), 0);
}

TEST_F(Creation, ExistingDatabaseIsRefusedWithABeep)
{
    folder.write("ANN_LEE.mdb", "keep me");
    auto* w = openWindow();
    w->FirstName.SetText("ANN");
    w->LastName.SetText("LEE");
    click(&w->CreateDatabase);
    EXPECT_EQ(desk.beeps, 1);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text,
        "That database already exists. Change the first or last name or both to create a new database.");
    EXPECT_EQ(desk.messages[0].title, "Tellora 3.95");
    EXPECT_EQ(desk.messages[0].icon, forms::Icon::None);
    EXPECT_TRUE(Forms::IsLoaded("MakeDatabase"));
    EXPECT_EQ(w->FirstName.Text(), "ANN");
    EXPECT_EQ(folder.read("ANN_LEE.mdb"), "keep me");
}

TEST_F(Creation, EmptyNamesMakeTheUnderscoreFile)
{
    auto* w = openWindow();
    click(&w->CreateDatabase);
    EXPECT_TRUE(folder.exists("_.mdb"));
    EXPECT_FALSE(Forms::IsLoaded("MakeDatabase"));
}

TEST_F(Creation, RefusedCreationKeepsTheWindowAndTellsWhy)
{
    // A folder of the file's name: no normal file exists, but the engine cannot make it.
    QDir(folder.path()).mkdir("ANN_LEE.mdb");
    auto* w = openWindow();
    w->FirstName.SetText("ANN");
    w->LastName.SetText("LEE");
    click(&w->CreateDatabase);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_TRUE(desk.messages[0].text.startsWith("The database ANN_LEE.mdb could not be created."));
    EXPECT_TRUE(Forms::IsLoaded("MakeDatabase"));
}

TEST_F(Creation, CancelAndCloseBoxUnload)
{
    auto* w = openWindow();
    click(&w->CancelMake);
    EXPECT_FALSE(Forms::IsLoaded("MakeDatabase"));
    w = openWindow();
    ASSERT_NE(w, nullptr);
    w->close();
    EXPECT_FALSE(Forms::IsLoaded("MakeDatabase"));
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());
}

} // namespace
