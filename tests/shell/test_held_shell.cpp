// Another program holding the readings file while DisplayRecord opens it or
// deletes a reading: a brief hold is waited out; a longer one is named as the
// file in use, never as a damaged file, and leaves the file whole.
#include "shell_fixture.h"

#include "support/held_file.h"

#include <SQLiteCpp/SQLiteCpp.h>

using namespace shelltest;
using namespace std::chrono_literals;
using testsupport::HeldFile;

namespace {

const QString File = QStringLiteral("ANN_LEE.mdb");
const char* const InUse = "The database 'ANN_LEE.mdb' is in use by another program.";

const std::vector<Row> threeReadings {
    { "2014-03-05", "08:00", "101" },
    { "2014-03-05", "17:45", "140" },
    { "2014-03-06", "07:00", "95" },
};

// A reading that another program adds, newer than the three.
const std::string OtherProgramsReading = "INSERT INTO BLOOD VALUES ('2014-03-07', '09:00', '120', '-', '-', '-', '-', "
                                         "'-', '-', '-', '-', '-', '-')";

class Held : public ShellTest {
protected:
    void press(forms::CommandButton& b) { click(&b); }

    std::vector<QString> texts() const
    {
        std::vector<QString> t;
        for (const auto& m : desk.messages)
            t.push_back(m.text);
        return t;
    }

    // The readings as any SQLite tool reads them, the log included.
    static std::vector<std::string> rawTimes()
    {
        SQLite::Database raw(File.toStdString());
        SQLite::Statement s(raw, "SELECT Bdate || ' ' || Btime FROM BLOOD ORDER BY Bdate, Btime");
        std::vector<std::string> out;
        while (s.executeStep())
            out.push_back(s.getColumn(0).getString());
        return out;
    }
};

} // namespace

TEST_F(Held, OpeningWaitsOutAProgramThatHasTheFileOpenInWalModeForAMoment)
{
    makeDatabase(File, threeReadings);
    {
        HeldFile held(File.toStdString(), HeldFile::Mode::Wal, 150ms, OtherProgramsReading);
        open(File);
    }
    ASSERT_NE(record(), nullptr);
    EXPECT_TRUE(desk.messages.empty());
    // The reading that only the other program's log held is the newest.
    EXPECT_EQ(shown(), "2014-03-07 09:00 AM");
    EXPECT_FALSE(folder.exists(File + "-wal"));
}

TEST_F(Held, AFileKeptOpenInWalModeIsNamedInUseAndLeftWhole)
{
    testsupport::BusyTimeout shortWait(100ms);
    makeDatabase(File, threeReadings);
    {
        HeldFile held(File.toStdString(), HeldFile::Mode::Wal, 10s, OtherProgramsReading);
        open(File);
        ASSERT_EQ(texts(), std::vector<QString> { InUse });
        EXPECT_EQ(desk.messages[0].buttons, forms::Buttons::OK);
        EXPECT_EQ(desk.messages[0].title, "Tellora 3.95");
        EXPECT_EQ(record(), nullptr);
        EXPECT_EQ(chooser(), nullptr);
        EXPECT_TRUE(panel()->Visible());
        flushDeletes();
    }
    EXPECT_EQ(rawTimes(),
        (std::vector<std::string> { "2014-03-05 08:00", "2014-03-05 17:45", "2014-03-06 07:00", "2014-03-07 09:00" }));
    // Once the other program has let go the file opens with its reading.
    desk.messages.clear();
    open(File);
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_EQ(shown(), "2014-03-07 09:00 AM");
}

TEST_F(Held, DeleteWaitsOutABriefHold)
{
    for (const HeldFile::Mode mode : { HeldFile::Mode::Rollback, HeldFile::Mode::Wal }) {
        SCOPED_TRACE(mode == HeldFile::Mode::Wal ? "WAL" : "rollback");
        makeDatabase(File, threeReadings);
        open(File);
        ASSERT_NE(record(), nullptr);
        activate(record());
        desk.messages.clear();
        {
            HeldFile held(File.toStdString(), mode, 150ms);
            press(record()->Delete);
        }
        EXPECT_EQ(texts(), std::vector<QString> { "Are You Sure?" });
        EXPECT_EQ(shown(), "2014-03-05 05:45 PM");
        EXPECT_EQ(rawTimes(), (std::vector<std::string> { "2014-03-05 08:00", "2014-03-05 17:45" }));
        click(&record()->Command1);
        flushDeletes();
        QFile::remove(File);
    }
}

TEST_F(Held, DeleteHeldLongerThanTheTimeoutSaysInUseAndKeepsTheReading)
{
    testsupport::BusyTimeout shortWait(100ms);
    makeDatabase(File, threeReadings);
    open(File);
    ASSERT_NE(record(), nullptr);
    for (const HeldFile::Mode mode : { HeldFile::Mode::Rollback, HeldFile::Mode::Wal }) {
        SCOPED_TRACE(mode == HeldFile::Mode::Wal ? "WAL" : "rollback");
        activate(record());
        desk.messages.clear();
        {
            HeldFile held(File.toStdString(), mode, 10s);
            press(record()->Delete);
        }
        // A file held in WAL mode does not open, so nothing is asked.
        const std::vector<QString> asked { "Are You Sure?", InUse };
        EXPECT_EQ(texts(), mode == HeldFile::Mode::Wal ? std::vector<QString> { InUse } : asked);
        EXPECT_EQ(shown(), "2014-03-06 07:00 AM");
        EXPECT_EQ(rawTimes().size(), 3u);
    }
}
