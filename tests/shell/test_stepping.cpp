// Stepping through and deleting readings in DisplayRecord.
#include "shell_fixture.h"

using namespace shelltest;

namespace {

const std::vector<Row> threeReadings {
    { "2014-03-05", "08:00", "101" },
    { "2014-03-05", "17:45", "140" },
    { "2014-03-06", "07:00", "95" },
};

class Stepping : public ShellTest {
protected:
    void openWith(const std::vector<Row>& rows)
    {
        makeDatabase("ANN_LEE.mdb", rows);
        open("ANN_LEE.mdb");
        ASSERT_NE(record(), nullptr);
        activate(record());
    }
    void press(forms::CommandButton& b) { click(&b); }
};

TEST_F(Stepping, NextAndPreviousWalkDateThenTimeWithBeepsAtBothEnds)
{
    openWith(threeReadings);
    auto* r = record();
    EXPECT_EQ(shown(), "2014-03-06 07:00 AM");
    press(r->FirstRecord);
    EXPECT_EQ(shown(), "2014-03-05 08:00 AM");
    EXPECT_EQ(r->Bsugar.Text(), "101");
    press(r->NextRecord);
    EXPECT_EQ(shown(), "2014-03-05 05:45 PM");
    EXPECT_EQ(r->Bsugar.Text(), "140");
    press(r->NextRecord);
    EXPECT_EQ(shown(), "2014-03-06 07:00 AM");
    EXPECT_EQ(desk.beeps, 0);
    press(r->NextRecord);
    EXPECT_EQ(desk.beeps, 1);
    EXPECT_EQ(shown(), "2014-03-06 07:00 AM");
    press(r->PreviousRecord);
    press(r->PreviousRecord);
    EXPECT_EQ(shown(), "2014-03-05 08:00 AM");
    EXPECT_EQ(desk.beeps, 1);
    press(r->PreviousRecord);
    EXPECT_EQ(desk.beeps, 2);
    EXPECT_EQ(shown(), "2014-03-05 08:00 AM");
    EXPECT_EQ(r->Bdates.Text(), "3/5/2014");
    press(r->LastRecord);
    EXPECT_EQ(shown(), "2014-03-06 07:00 AM");
    press(r->LastRecord);
    press(r->FirstRecord);
    press(r->FirstRecord);
    EXPECT_EQ(desk.beeps, 2); // "<<" and ">>" never beep
    EXPECT_TRUE(desk.messages.empty());
}

TEST_F(Stepping, OneReadingBeepsBothWaysAndStaysShown)
{
    openWith({ { "2014-03-05", "08:00", "101" } });
    auto* r = record();
    press(r->NextRecord);
    press(r->PreviousRecord);
    EXPECT_EQ(desk.beeps, 2);
    press(r->FirstRecord);
    press(r->LastRecord);
    EXPECT_EQ(desk.beeps, 2);
    EXPECT_EQ(shown(), "2014-03-05 08:00 AM");
}

TEST_F(Stepping, NextOnTheNewestRewritesTheTimeAsShown)
{
    openWith(threeReadings);
    auto* r = record();
    r->Btime.SetText("7:00 AM"); // as another window may write it
    press(r->NextRecord);
    EXPECT_EQ(desk.beeps, 1);
    EXPECT_EQ(r->Btime.Text(), "07:00 AM");
}

struct DeleteCase {
    const char* name;
    int stepsFromFirst; // which reading is shown when deleting
    const char* shownAfter;
    std::vector<std::string> left;
};

TEST_F(Stepping, DeleteShowsTheNeighbour)
{
    const DeleteCase cases[] = {
        { "middle", 1, "2014-03-06 07:00 AM", { "2014-03-05 08:00", "2014-03-06 07:00" } },
        { "first", 0, "2014-03-05 05:45 PM", { "2014-03-05 17:45", "2014-03-06 07:00" } },
        { "last", 2, "2014-03-05 05:45 PM", { "2014-03-05 08:00", "2014-03-05 17:45" } },
    };
    for (const DeleteCase& c : cases) {
        SCOPED_TRACE(c.name);
        openWith(threeReadings);
        auto* r = record();
        press(r->FirstRecord);
        for (int i = 0; i < c.stepsFromFirst; ++i)
            press(r->NextRecord);
        desk.messages.clear();
        press(r->Delete);
        ASSERT_EQ(desk.messages.size(), 1u);
        const auto& m = desk.messages[0];
        EXPECT_EQ(m.text, "Are You Sure?");
        EXPECT_EQ(m.title, "Delete Reading");
        EXPECT_EQ(m.buttons, forms::Buttons::OKCancel);
        EXPECT_EQ(m.icon, forms::Icon::Question);
        EXPECT_EQ(m.defaultButton, 1);
        EXPECT_EQ(shown(), c.shownAfter);
        EXPECT_EQ(storedTimes("ANN_LEE.mdb"), c.left);
        click(&r->Command1);
        flushDeletes();
        QFile::remove("ANN_LEE.mdb");
    }
    EXPECT_EQ(desk.beeps, 0);
}

TEST_F(Stepping, DeletingTheOnlyReadingEmptiesEveryBox)
{
    openWith({ { "2014-03-05", "08:00", "101", "note" } });
    auto* r = record();
    press(r->Delete);
    for (auto* box : { &r->Bdates, &r->Bdate, &r->Btime, &r->Bsugar, &r->Bpressure, &r->Dpressure, &r->Bpulse,
             &r->Bweight, &r->Bcomm, &r->Instype, &r->Insamt, &r->Site, &r->Temp, &r->Spo2 })
        EXPECT_EQ(box->Text(), "") << box->objectName().toStdString();
    EXPECT_EQ(r->DatabaseName.Text(), "ANN_LEE");
    EXPECT_TRUE(storedTimes("ANN_LEE.mdb").empty());
    EXPECT_FALSE(ReadingShown());
    desk.messages.clear();
    for (auto* b : { &r->NextRecord, &r->PreviousRecord, &r->FirstRecord, &r->LastRecord, &r->Delete })
        press(*b);
    EXPECT_EQ(desk.beeps, 0);
    EXPECT_TRUE(desk.messages.empty());
}

TEST_F(Stepping, CancelledDeleteChangesNothing)
{
    openWith(threeReadings);
    auto* r = record();
    desk.answerNext(forms::vbCancel);
    press(r->Delete);
    EXPECT_EQ(shown(), "2014-03-06 07:00 AM");
    EXPECT_EQ(storedTimes("ANN_LEE.mdb").size(), 3u);
    // The database was released: it can be replaced at once.
    EXPECT_TRUE(QFile::remove("ANN_LEE.mdb"));
}

TEST_F(Stepping, ReadingGoneFromTheDatabaseBeepsAndChangesNothing)
{
    openWith(threeReadings);
    auto* r = record();
    press(r->FirstRecord);
    press(r->NextRecord); // 2014-03-05 17:45
    // Another program removed the shown reading behind our back.
    {
        auto db = dao::DefaultWorkspace().OpenDatabase("ANN_LEE.mdb");
        auto rs = db->OpenRecordset("BLOOD");
        rs->SetIndex("Readings");
        rs->Seek("=", { "2014-03-05", "17:45" });
        ASSERT_FALSE(rs->NoMatch());
        rs->Delete();
    }
    for (auto* b : { &r->NextRecord, &r->PreviousRecord, &r->Delete }) {
        const int before = desk.beeps;
        press(*b);
        EXPECT_EQ(desk.beeps - before, 1) << b->objectName().toStdString();
        EXPECT_EQ(shown(), "2014-03-05 05:45 PM");
    }
    // Never another reading deleted in its place.
    EXPECT_EQ(storedTimes("ANN_LEE.mdb"), (std::vector<std::string> { "2014-03-05 08:00", "2014-03-06 07:00" }));
}

TEST_F(Stepping, DisabledWindowTakesNoClicks)
{
    openWith(threeReadings);
    auto* r = record();
    r->SetEnabled(false);
    QTest::mouseClick(&r->FirstRecord, Qt::LeftButton);
    EXPECT_EQ(shown(), "2014-03-06 07:00 AM");
}

} // namespace
