#pragma once
// A readings database in a scratch program folder, opened in DisplayRecord
// as a user would, with the listing windows reached through "Print To Screen".
#include "shell/shell_fixture.h"
#include "support/reading_locks.h"

#include "listings/display.h"
#include "listings/displaylog.h"
#include "listings/displayscreen.h"
#include "listings/register.h"

#include "platform/dao/dao.h"
#include "platform/forms/desktop.h"
#include "platform/forms/registry.h"
#include "shell/creation.h"
#include "shell/displayrecord.h"
#include "shell/format.h"
#include "shell/mdistart.h"
#include "shell/selectdbase.h"
#include "shell/shell.h"

#include <QDate>
#include <QTest>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

// Readable failure output for texts.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace listingtest {

using testsupport::Locked;
using testsupport::Unlocked;

inline const QString DatabaseFile = QStringLiteral("JANE_DOE.mdb");

// One reading: its key and the stored values that differ from MissingMark.
struct LogRow {
    std::string date;
    std::string time;
    std::map<std::string, std::string> values;
};

// Readings on consecutive days from 2024-01-01, alternating morning and evening.
inline std::string DayOf(int i)
{
    return QDate(2024, 1, 1).addDays(i).toString("yyyy-MM-dd").toStdString();
}
inline std::string TimeOfDay(int i)
{
    return i % 2 ? "17:45" : "08:30";
}

// What kind of reading a fixture row is, as seen by one listing.
enum class Kind { Listed, Other, CommentOnly };

// The shell's started program with the listing windows registered; builds
// and opens a database of readings as the user would.
class ListingFixture : public shelltest::ShellTest {
protected:
    std::vector<LogRow> readings;

    void SetUp() override
    {
        shelltest::ShellTest::SetUp();
        tellora::RegisterListingWindows();
    }

    // Writes the readings through the engine, every value not given "-".
    void Write(const std::vector<LogRow>& rows)
    {
        readings = rows;
        tellora::CreateReadingsDatabase(DatabaseFile);
        std::vector<tellora::Reading> stored;
        for (const LogRow& r : rows) {
            tellora::Reading reading = tellora::Reading::NothingTaken(r.date, r.time);
            for (const auto& [field, value] : r.values)
                reading[tellora::Reading::FieldNamed(field)] = value;
            stored.push_back(reading);
        }
        shelltest::writeReadings(DatabaseFile, stored);
    }

    // "Open An Existing Database" and a double-click on ours.
    void OpenDatabase()
    {
        open(DatabaseFile);
        ASSERT_NE(record(), nullptr);
    }

    // Makes the reading with this key the current one, as the other windows do.
    void MakeCurrent(const std::string& date, const std::string& time)
    {
        auto db = dao::DefaultWorkspace().OpenDatabase(DatabaseFile.toStdString());
        auto rs = db->OpenRecordset("BLOOD");
        rs->SetIndex("Readings");
        rs->Seek("=", { date, time });
        ASSERT_FALSE(rs->NoMatch());
        record()->ShowRecord(*rs);
    }
    void MakeCurrent(std::size_t row) { MakeCurrent(readings.at(row).date, readings.at(row).time); }

    tellora::DisplayScreen* listingChooser() const { return forms::Forms::Find<tellora::DisplayScreen>(); }

    static void Click(QWidget& control) { shelltest::click(&control); }

    // "Print To Screen", then the chosen option and "Display".
    void OpenListing(bool injectionLog)
    {
        Click(record()->PrintToScreen);
        ASSERT_NE(listingChooser(), nullptr);
        if (injectionLog) Click(listingChooser()->Option2);
        Click(listingChooser()->DisplayRpt);
    }
};

} // namespace listingtest
