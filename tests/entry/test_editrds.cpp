#include "entry_fixture.h"

#include "entry/editrds.h"

using namespace entrytest;
using tellora::DisplayRecord;
using tellora::EditRds;

namespace {

class EditRdsTest : public EntryTest {
protected:
    DisplayRecord* record = nullptr;
    EditRds* w = nullptr;

    void SetUp() override
    {
        EntryTest::SetUp();
        AddReading("2024-03-10", "08:30", { { "Bsugar", "-" }, { "Bpulse", "72" }, { "Instype", "NPH" } });
        AddReading("2024-03-11", "09:00", { { "Bsugar", "140" } });
        record = Open(); // shows the newest: 2024-03-11 09:00
    }

    void OpenEdit()
    {
        Click(record->Edit);
        w = forms::Forms::Find<EditRds>();
        ASSERT_NE(w, nullptr);
        QApplication::setActiveWindow(w);
        QApplication::processEvents();
    }

    void ShowFirst() { Click(record->FirstRecord); }
};

TEST_F(EditRdsTest, LoadsTheCurrentReadingWithMissingMarksEmptied)
{
    ShowFirst();
    ASSERT_EQ(record->Bdate.Text(), "2024-03-10");
    OpenEdit();
    EXPECT_EQ(w->Bdates.Value(), QDate(2024, 3, 10)); // from the stored date, not today
    EXPECT_EQ(w->Bdate.Text(), "2024-03-10");
    EXPECT_EQ(w->Btime.Text(), record->Btime.Text());
    EXPECT_EQ(w->Btime.ListCount(), 96);
    EXPECT_EQ(w->Bsugar.Text(), "");
    EXPECT_EQ(w->Bpulse.Text(), "72");
    EXPECT_EQ(w->Instype.Text(), "NPH");
    EXPECT_FALSE(record->isEnabled());
}

TEST_F(EditRdsTest, UntouchedKeySavesValuesUnderTheSameKey)
{
    OpenEdit();
    w->Bsugar.SetText("");
    w->Bweight.SetText("180");
    Click(w->Save);
    EXPECT_EQ(forms::Forms::Find<EditRds>(), nullptr);
    EXPECT_EQ(Count(), 2);
    auto row = Stored("2024-03-11", "09:00");
    ASSERT_TRUE(row);
    EXPECT_EQ((*row)["Bsugar"], "-");
    EXPECT_EQ((*row)["Bweight"], "180");
    EXPECT_EQ(record->Bsugar.Text(), "-");
    EXPECT_EQ(record->Bweight.Text(), "180");
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_TRUE(record->isEnabled());
}

TEST_F(EditRdsTest, EditToAFreeKeyMovesTheReading)
{
    OpenEdit();
    Focus(w->Bdates);
    w->Bdates.SetValue(QDate(2024, 3, 12));
    Focus(w->Btime);
    w->Btime.SetListIndex(w->Btime.findText("7:45 PM"));
    Click(w->Save);
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_FALSE(Stored("2024-03-11", "09:00"));
    auto row = Stored("2024-03-12", "19:45");
    ASSERT_TRUE(row);
    EXPECT_EQ((*row)["Bsugar"], "140");
    EXPECT_EQ(record->Btime.Text(), "7:45 PM");
    EXPECT_EQ(record->Bdate.Text(), "2024-03-12");
    EXPECT_EQ(record->Bdates.Text(), "3/12/2024");
    EXPECT_EQ(Count(), 2);
}

TEST_F(EditRdsTest, EditToATakenKeyShowsThatReadingAndStoresNothing)
{
    OpenEdit();
    w->Bsugar.SetText("999");
    Focus(w->Bdates);
    w->Bdates.SetValue(QDate(2024, 3, 10));
    Focus(w->Btime);
    w->Btime.SetListIndex(w->Btime.findText("8:30 AM"));
    Focus(w->Bsugar); // the time list loses the focus
    EXPECT_EQ(Texts(), std::vector<QString> { tellora::DuplicateMessage });
    EXPECT_EQ(desk.beeps, 1);
    EXPECT_EQ(forms::Forms::Find<EditRds>(), nullptr);
    EXPECT_EQ(record->Bdate.Text(), "2024-03-10");
    EXPECT_EQ(record->Bpulse.Text(), "72");
    EXPECT_EQ((*Stored("2024-03-11", "09:00"))["Bsugar"], "140");
    EXPECT_EQ(Count(), 2);
}

TEST_F(EditRdsTest, TakenDateFoundAtSave)
{
    AddReading("2024-03-09", "09:00", { { "Bpulse", "55" } });
    OpenEdit();
    Focus(w->Bdates);
    w->Bdates.SetValue(QDate(2024, 3, 9));
    Click(w->Save);
    EXPECT_EQ(Texts(), std::vector<QString> { tellora::DuplicateMessage });
    EXPECT_EQ(record->Bpulse.Text(), "55");
    EXPECT_EQ(Count(), 3);
    EXPECT_TRUE(Stored("2024-03-11", "09:00"));
}

TEST_F(EditRdsTest, PickingTheSameQuarterHourInAnotherFormIsNoDuplicate)
{
    OpenEdit();
    ASSERT_EQ(record->Btime.Text(), "09:00 AM");
    Focus(w->Btime);
    w->Btime.SetListIndex(w->Btime.findText("9:00 AM"));
    w->Bpulse.SetText("66");
    Click(w->Save);
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_EQ((*Stored("2024-03-11", "09:00"))["Bpulse"], "66");
    EXPECT_EQ(record->Btime.Text(), "9:00 AM");
    EXPECT_EQ(Count(), 2);
}

TEST_F(EditRdsTest, EngineFailureDuringTheReplacementKeepsTheOldReading)
{
    OpenEdit();
    // The append after the delete fails: the delete must be undone.
    Sql(DbFile, "CREATE TRIGGER refuse BEFORE INSERT ON BLOOD BEGIN SELECT RAISE(ABORT, 'injected'); END");
    w->Bsugar.SetText("150");
    Click(w->Save);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_TRUE(desk.messages[0].text.startsWith(tellora::SaveFailedMessage));
    EXPECT_NE(forms::Forms::Find<EditRds>(), nullptr);
    auto row = Stored("2024-03-11", "09:00");
    ASSERT_TRUE(row);
    EXPECT_EQ((*row)["Bsugar"], "140");
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(record->Bsugar.Text(), "140");
}

TEST_F(EditRdsTest, OldKeyGoneIsRefusedAndNothingIsDeleted)
{
    OpenEdit();
    Sql(DbFile, "DELETE FROM BLOOD WHERE Bdate='2024-03-11'");
    Click(w->Save);
    EXPECT_EQ(Texts(), std::vector<QString> { tellora::EditedReadingGoneMessage });
    EXPECT_EQ(Count(), 1);
    EXPECT_TRUE(Stored("2024-03-10", "08:30"));
    EXPECT_NE(forms::Forms::Find<EditRds>(), nullptr);
}

TEST_F(EditRdsTest, EmptyTimeIsRefused)
{
    OpenEdit();
    w->Btime.SetText("");
    Click(w->Save);
    EXPECT_EQ(Texts(), std::vector<QString> { tellora::NoTimeMessage });
    EXPECT_EQ(desk.beeps, 1);
    EXPECT_EQ(Count(), 2);
    EXPECT_TRUE(Stored("2024-03-11", "09:00"));
}

TEST_F(EditRdsTest, AStoredCommentLongerThanTheBoxTakesSurvivesAnEdit)
{
    const std::string comment(50, 'c'); // the field holds 50; typing stops at 45
    AddReading("2024-03-12", "10:00", { { "Bcomm", comment } });
    Click(record->LastRecord);
    OpenEdit();
    EXPECT_EQ(w->Bcomm.Text().size(), 50);
    w->Bpulse.SetText("70");
    Click(w->Save);
    EXPECT_EQ((*Stored("2024-03-12", "10:00"))["Bcomm"], comment);
    EXPECT_EQ(record->Bcomm.Text().toStdString(), comment);
}

TEST_F(EditRdsTest, CancelChangesNothing)
{
    OpenEdit();
    w->Bsugar.SetText("1");
    Click(w->CancelEdit);
    EXPECT_EQ(forms::Forms::Find<EditRds>(), nullptr);
    EXPECT_EQ((*Stored("2024-03-11", "09:00"))["Bsugar"], "140");
    EXPECT_EQ(record->Bsugar.Text(), "140");
    EXPECT_TRUE(record->isEnabled());
}

} // namespace
