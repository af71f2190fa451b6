#include "entry_fixture.h"

#include "entry/picklist.h"
#include "entry/picklisteditor.h"

#include "shell/mdistart.h"

#include "support/file_size_limit.h"

#include <functional>

using namespace entrytest;
using namespace tellora;

namespace {

const QString Qnm = Base + ".qnm";
const QString Qst = Base + ".qst";

class StoreTest : public EntryTest { };

TEST_F(StoreTest, CreatedStoreHasItsTableFieldAndIndexAndNoRows)
{
    CreateStore(InsulinNames, Qnm);
    auto db = dao::DefaultWorkspace().OpenDatabase(Qnm.toStdString());
    const dao::TableDef def = db->GetTableDef("ZOT");
    ASSERT_EQ(def.Fields.size(), 1u);
    EXPECT_EQ(def.Fields[0].Name, "InsName");
    EXPECT_EQ(def.Fields[0].Size, 20);
    const dao::Index* ix = def.FindIndex("Quarvo");
    ASSERT_NE(ix, nullptr);
    EXPECT_TRUE(ix->Primary);
    EXPECT_FALSE(ix->Unique);
    db->Close();
    EXPECT_TRUE(ReadEntries(InsulinNames, Qnm).isEmpty());
}

TEST_F(StoreTest, EntriesComeBackInTextOrderAndCompareWithoutCase)
{
    EXPECT_TRUE(ReadEntries(InjectionSites, Qst).isEmpty()); // missing store reads empty
    CreateStore(InjectionSites, Qst);
    for (const char* s : { "b", "A", "c" })
        EXPECT_TRUE(AddEntry(InjectionSites, Qst, s));
    EXPECT_EQ(ReadEntries(InjectionSites, Qst), (QStringList { "A", "b", "c" }));
    EXPECT_FALSE(AddEntry(InjectionSites, Qst, "B"));
    EXPECT_TRUE(DeleteEntry(InjectionSites, Qst, "C"));
    EXPECT_FALSE(DeleteEntry(InjectionSites, Qst, "zz"));
    EXPECT_EQ(ReadEntries(InjectionSites, Qst), (QStringList { "A", "b" }));
}

struct RenameCase {
    const char* from;
    const char* to;
    RenameResult result;
    QStringList after;
};

void PrintTo(const RenameCase& c, std::ostream* os)
{
    *os << c.from << " -> " << c.to;
}

class Rename : public StoreTest, public ::testing::WithParamInterface<RenameCase> { };

TEST_P(Rename, KeepsEntriesUnique)
{
    CreateStore(InsulinNames, Qnm);
    AddEntry(InsulinNames, Qnm, "Lantus");
    AddEntry(InsulinNames, Qnm, "NPH");
    EXPECT_EQ(RenameEntry(InsulinNames, Qnm, GetParam().from, GetParam().to), GetParam().result);
    EXPECT_EQ(ReadEntries(InsulinNames, Qnm), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Cases, Rename,
    ::testing::Values(RenameCase { "NPH", "Humalog", RenameResult::Renamed, { "Humalog", "Lantus" } },
        RenameCase { "NPH", "nph", RenameResult::Renamed, { "Lantus", "nph" } },
        RenameCase { "NPH", "LANTUS", RenameResult::NewExists, { "Lantus", "NPH" } },
        RenameCase { "Regular", "Humalog", RenameResult::OldNotFound, { "Lantus", "NPH" } }));

TEST_F(StoreTest, RenameClashesAreJudgedAsTheIndexCompares)
{
    // The index folds the case of A to Z only, so these are two entries; a
    // rename of one onto the other would make two equal entries.
    CreateStore(InsulinNames, Qnm);
    ASSERT_TRUE(AddEntry(InsulinNames, Qnm, "\u00c9tude"));
    ASSERT_TRUE(AddEntry(InsulinNames, Qnm, "\u00e9tude"));
    EXPECT_EQ(RenameEntry(InsulinNames, Qnm, "\u00e9tude", "\u00c9TUDE"), RenameResult::NewExists);
    EXPECT_EQ(RenameEntry(InsulinNames, Qnm, "\u00e9tude", "\u00e9TUDE"), RenameResult::Renamed);
    EXPECT_EQ(ReadEntries(InsulinNames, Qnm).size(), 2);
}

TEST_F(StoreTest, AHalfMadeStoreIsRemoved)
{
    // A table name the engine refuses: the file made before it must go.
    const PickList bad { ".qnm", "sqlite_bad", "InsName", "Quarvo" };
    EXPECT_THROW(CreateStore(bad, Qnm), dao::Error);
    EXPECT_FALSE(folder.exists(Qnm));
}

class EditorTest : public EntryTest {
protected:
    DisplayRecord* record = nullptr;

    void SetUp() override
    {
        EntryTest::SetUp();
        record = Open();
        record->DatabaseName.SetText(Base);
    }

    static QStringList Column(PickListEditor* w)
    {
        QStringList texts;
        for (int r = 1; r < w->NameGrid.Rows(); ++r)
            if (!w->NameGrid.TextMatrix(r, 1).isEmpty()) texts << w->NameGrid.TextMatrix(r, 1);
        return texts;
    }

    static void ClickCell(PickListEditor* w, int row)
    {
        w->NameGrid.scrollTo(w->NameGrid.model()->index(row, 1));
        const QRect r = w->NameGrid.visualRect(w->NameGrid.model()->index(row, 1));
        QTest::mouseClick(w->NameGrid.viewport(), Qt::LeftButton, {}, r.center());
        QApplication::processEvents();
    }

    static void Fill(const PickList& list, const QString& file, int n)
    {
        CreateStore(list, file);
        for (int i = 0; i < n; ++i)
            AddEntry(list, file, QStringLiteral("entry %1").arg(i, 3, 10, QLatin1Char('0')));
    }
};

TEST_F(EditorTest, OpeningCreatesOnlyItsOwnStoreAndLocks)
{
    auto* w = OpenEditor<AddNames>("mnuFileConfigInsNames");
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(folder.exists(Qnm));
    EXPECT_FALSE(folder.exists(Qst));
    EXPECT_EQ(w->NameGrid.Rows(), 251);
    EXPECT_EQ(w->NameGrid.TextMatrix(0, 0), "#");
    EXPECT_EQ(w->NameGrid.TextMatrix(0, 1), "Name of Insulin");
    EXPECT_EQ(w->NameGrid.TextMatrix(1, 0), " 1");
    EXPECT_EQ(w->NameGrid.TextMatrix(250, 0), " 250");
    EXPECT_EQ(w->NameGrid.ColWidth(0), 555); // 550 twips to the nearest pixel
    EXPECT_EQ(w->TotalRows.Text(), "0");
    EXPECT_FALSE(w->AddNewName.isHidden());
    EXPECT_EQ(QApplication::focusWidget(), &w->Exit); // first in this window's Tab order
    EXPECT_FALSE(record->isEnabled());
    EXPECT_FALSE(forms::Forms::Find<MDIStart>()->mnuFile.Enabled());
    Click(w->Exit);
    EXPECT_EQ(forms::Forms::Find<AddNames>(), nullptr);
    EXPECT_TRUE(record->isEnabled());
    EXPECT_TRUE(forms::Forms::Find<MDIStart>()->mnuFile.Enabled());

    auto* s = OpenEditor<AddSites>("mnuFileConfigInjSites");
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(folder.exists(Qst));
    EXPECT_EQ(s->NameGrid.TextMatrix(0, 1), "Injection Site");
    EXPECT_EQ(s->Caption(), "Add / Edit / Delete Injection Sites");
    EXPECT_EQ(QApplication::focusWidget(), &s->AddNewName);
}

TEST_F(EditorTest, AddRefusesBlanksAndCaseDuplicates)
{
    auto* w = OpenEditor<AddNames>("mnuFileConfigInsNames");
    Click(w->AddNewName);
    EXPECT_FALSE(w->NameGrid.isEnabled());
    Click(w->AddSave);
    QTest::keyClicks(&w->InsName, "Lantus");
    Click(w->AddSave);
    QTest::keyClicks(&w->InsName, "LANTUS");
    Click(w->AddSave);
    QTest::keyClicks(&w->InsName, "  ");
    Click(w->AddSave); // blanks are an entry like any other
    EXPECT_EQ(
        Texts(), (std::vector<QString> { "Blank entries are not allowed", "You have already entered this name." }));
    EXPECT_EQ(Column(w), (QStringList { "  ", "Lantus" }));
    EXPECT_EQ(w->TotalRows.Text(), " 2");
    EXPECT_EQ(w->InsName.Text(), "");
    EXPECT_EQ(desk.beeps, 0);
}

TEST_F(EditorTest, TheTwoHundredFiftiethEntryReachesTheLimit)
{
    Fill(InsulinNames, Qnm, 249);
    auto* w = OpenEditor<AddNames>("mnuFileConfigInsNames");
    Click(w->AddNewName);
    QTest::keyClicks(&w->InsName, "zzz last");
    Click(w->AddSave);
    EXPECT_EQ(Texts(), std::vector<QString> { "You have reached the 250 name limit." });
    EXPECT_TRUE(w->AddSave.isHidden());
    EXPECT_EQ(w->NameGrid.TextMatrix(250, 1), "zzz last");
    Click(w->ExitAdd);
    EXPECT_TRUE(w->AddNewName.isHidden());
    Click(w->DeleteName);
    w->InsName.SetText("entry 000");
    Click(w->Delete);
    EXPECT_FALSE(w->AddNewName.isHidden());
    EXPECT_EQ(ReadEntries(InsulinNames, Qnm).size(), 249);
}

TEST_F(EditorTest, OpeningWithTwoHundredFiftyEntriesHidesAdd)
{
    Fill(InjectionSites, Qst, 250);
    auto* w = OpenEditor<AddSites>("mnuFileConfigInjSites");
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->AddNewName.isHidden());
    EXPECT_EQ(QApplication::focusWidget(), &w->EditName); // the hidden add button is passed over
    EXPECT_EQ(w->TotalRows.Text(), " 250");
    EXPECT_EQ(w->NameGrid.TextMatrix(250, 1), "entry 249");
}

TEST_F(EditorTest, ClickRenameAndDelete)
{
    CreateStore(InjectionSites, Qst);
    for (const char* s : { "arm", "leg", "belly" })
        AddEntry(InjectionSites, Qst, s);
    auto* w = OpenEditor<AddSites>("mnuFileConfigInjSites");
    Click(w->EditName);
    Click(w->EditSave);
    ClickCell(w, 2); // the store's order: arm, belly, leg
    EXPECT_EQ(w->SelectedText.Text(), "belly");
    EXPECT_EQ(w->InsName.Text(), "belly");
    w->InsName.SetText("LEG");
    Click(w->EditSave); // another entry: refused
    w->InsName.SetText("Belly");
    Click(w->EditSave); // case only: renamed in place
    EXPECT_EQ(Texts(),
        (std::vector<QString> { "You must click a site on the list.", "You have already entered this site." }));
    EXPECT_EQ(ReadEntries(InjectionSites, Qst), (QStringList { "arm", "Belly", "leg" }));
    EXPECT_EQ(w->SelectedText.Text(), "");

    ClickCell(w, 1);
    DeleteEntry(InjectionSites, Qst, "arm"); // gone behind the window's back
    w->InsName.SetText("hip");
    Click(w->EditSave);
    EXPECT_EQ(desk.messages.back().text, ClickedEntryGoneMessage);
    EXPECT_FALSE(ReadEntries(InjectionSites, Qst).contains("hip"));

    Click(w->ExitEdit);
    EXPECT_EQ(w->InsName.Text(), "");
    Click(w->DeleteName);
    w->InsName.SetText("nowhere");
    Click(w->Delete);
    EXPECT_EQ(desk.messages.back().text, "There are no matching injection sites.");
    w->InsName.SetText("LEG");
    Click(w->Delete);
    EXPECT_EQ(ReadEntries(InjectionSites, Qst), (QStringList { "Belly" }));
}

TEST_F(EditorTest, ADamagedStoreIsRepairedAndTheWindowCloses)
{
    folder.write(Qnm, QByteArray("SQLite format 3") + QByteArray(4000, '\x7f'));
    auto* w = OpenEditor<AddNames>("mnuFileConfigInsNames");
    EXPECT_EQ(w, nullptr);
    ASSERT_FALSE(desk.messages.empty());
    const QString text = desk.messages.back().text;
    EXPECT_TRUE(text == "The insulin names database was repaired.  It should be compacted."
        || text == "The insulin names database could not be repaired.")
        << text.toStdString();
    EXPECT_TRUE(record->isEnabled());
    EXPECT_TRUE(forms::Forms::Find<MDIStart>()->mnuFile.Enabled());
}

TEST_F(EditorTest, WhenTheRepairFailsTooTheWindowStillCloses)
{
    folder.write(Qst, QByteArray("not a database at all"));
    EXPECT_EQ(OpenEditor<AddSites>("mnuFileConfigInjSites"), nullptr);
    EXPECT_EQ(Texts(), std::vector<QString> { "The injection sites database could not be repaired." });
    EXPECT_TRUE(folder.exists(Qst)); // the user's file is left as it was
    EXPECT_TRUE(record->isEnabled());
    EXPECT_TRUE(forms::Forms::Find<MDIStart>()->mnuUtilities.Enabled());
}

TEST_F(EditorTest, AStoreWithoutItsTableIsRemovedAndMadeAgainNextTime)
{
    dao::DefaultWorkspace().CreateDatabase(Qnm.toStdString(), DatabaseLocale, dao::dbVersion30)->Close();
    EXPECT_EQ(OpenEditor<AddNames>("mnuFileConfigInsNames"), nullptr);
    EXPECT_EQ(Texts(), std::vector<QString> { "The insulin names database was repaired.  It should be compacted." });
    EXPECT_FALSE(folder.exists(Qnm));
    auto* w = OpenEditor<AddNames>("mnuFileConfigInsNames");
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(ReadEntries(InsulinNames, Qnm).isEmpty());
}

TEST_F(EditorTest, AStoreRemovedWhileOpenGivesAMessage)
{
    auto* w = OpenEditor<AddSites>("mnuFileConfigInjSites");
    ASSERT_NE(w, nullptr);
    QFile::remove(folder.file(Qst));
    Click(w->AddNewName);
    w->InsName.SetText("arm");
    Click(w->AddSave);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_TRUE(desk.messages[0].text.startsWith("The injection sites database could not be changed."));
    EXPECT_NE(forms::Forms::Find<AddSites>(), nullptr);
}

// What lies under the store's name when the editor opens, and what becomes of it.
struct ForeignFile {
    const char* name;
    std::function<void(const QString& file)> make;
    QString message; // %1: the file name
};

void PrintTo(const ForeignFile& f, std::ostream* os)
{
    *os << f.name;
}

void MakeReadingsCopy(const QString& file)
{
    CreateReadingsDatabase(file);
}
void MakeOtherStore(const QString& file)
{
    CreateStore(InjectionSites, file);
}
void MakeOtherProgramsFile(const QString& file)
{
    SQLite::Database db(file.toStdString(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    db.exec("CREATE TABLE notes (t TEXT)");
    db.exec("INSERT INTO notes VALUES ('mine')");
}

class FileUnderTheStoresName : public EditorTest, public ::testing::WithParamInterface<ForeignFile> { };

TEST_P(FileUnderTheStoresName, IsLeftAsItIsWithAMessage)
{
    GetParam().make(Qnm);
    const QByteArray before = folder.read(Qnm);
    EXPECT_EQ(OpenEditor<AddNames>("mnuFileConfigInsNames"), nullptr);
    EXPECT_EQ(Texts(), std::vector<QString> { GetParam().message.arg(Qnm) });
    EXPECT_EQ(folder.read(Qnm), before);
    EXPECT_TRUE(record->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Files, FileUnderTheStoresName,
    ::testing::Values(ForeignFile { "ARenamedReadingsDatabase", MakeReadingsCopy,
                          "The file %1 is not an insulin names database, so it was left as it is.  Move or rename it "
                          "to have a new insulin names database made." },
        ForeignFile { "TheOtherStore", MakeOtherStore,
            "The file %1 is not an insulin names database, so it was left as it is.  Move or rename it to have a "
            "new insulin names database made." },
        ForeignFile {
            "AnotherProgramsDatabase", MakeOtherProgramsFile, "The insulin names database could not be repaired." }),
    [](const ::testing::TestParamInfo<ForeignFile>& info) { return std::string(info.param.name); });

TEST_F(EditorTest, AnEmptyFileUnderTheStoresNameIsMadeAgain)
{
    folder.write(Qst, QByteArray());
    EXPECT_EQ(OpenEditor<AddSites>("mnuFileConfigInjSites"), nullptr);
    EXPECT_EQ(Texts(), std::vector<QString> { "The injection sites database was repaired.  It should be compacted." });
    ASSERT_NE(OpenEditor<AddSites>("mnuFileConfigInjSites"), nullptr);
    EXPECT_TRUE(ReadEntries(InjectionSites, Qst).isEmpty());
}

TEST_F(EditorTest, AnEntryWithoutAValueHidesNoOtherEntry)
{
    Fill(InsulinNames, Qnm, 2);
    Sql(Qnm, "INSERT INTO ZOT VALUES (NULL)");
    auto* w = OpenEditor<AddNames>("mnuFileConfigInsNames");
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_EQ(Column(w), (QStringList { "entry 000", "entry 001" }));
    EXPECT_EQ(w->TotalRows.Text(), " 2");
}

TEST_F(EditorTest, AStoreThatCannotBeReadIsNotCalledRepaired)
{
    Fill(InsulinNames, Qnm, PickListLimit);
    Sql(Qnm, "INSERT INTO ZOT VALUES ('one too many')");
    EXPECT_EQ(OpenEditor<AddNames>("mnuFileConfigInsNames"), nullptr);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_TRUE(desk.messages[0].text.startsWith("The insulin names database could not be read.  "))
        << desk.messages[0].text.toStdString();
    EXPECT_EQ(ReadEntries(InsulinNames, Qnm).size(), PickListLimit + 1);
}

TEST_F(EditorTest, AStoreThatCannotBeCreatedSaysWhy)
{
    AddNames* w = nullptr;
    {
        // A file size limit of nothing fails every write, as a full disk does.
        const testsupport::FileSizeLimit full(0);
        ASSERT_TRUE(full.ok());
        w = OpenEditor<AddNames>("mnuFileConfigInsNames");
    }
    EXPECT_EQ(w, nullptr);
    EXPECT_EQ(Texts(),
        std::vector<QString> { "The insulin names database could not be created.  There is no room on "
                               "the disk for 'JOHN_DOE.qnm'." });
    EXPECT_FALSE(folder.exists(Qnm));
    EXPECT_FALSE(folder.exists(Qnm + ".creating"));
    EXPECT_TRUE(record->isEnabled());
}

} // namespace
