#include "platform/dao/dao.h"
#include "shell/creation.h"
#include "shell/format.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

using namespace tellora;

namespace {

struct FormatTest : ::testing::Test {
    void SetUp() override { setTimeLocale(TimeLocale {}); }
    void TearDown() override { resetTimeLocale(); }
};

QString listEntry(int quarter)
{
    const int h = quarter / 4, m = (quarter % 4) * 15;
    const int h12 = h % 12 == 0 ? 12 : h % 12;
    return QString("%1:%2 %3").arg(h12).arg(m, 2, 10, QChar('0')).arg(h < 12 ? "AM" : "PM");
}

} // namespace

TEST_F(FormatTest, EveryQuarterHourRoundTrips)
{
    for (const char* sep : { ":", "." }) {
        TimeLocale l;
        l.timeSeparator = sep;
        setTimeLocale(l);
        for (int q = 0; q < 96; ++q) {
            const QString stored
                = QString("%1%2%3").arg(q / 4, 2, 10, QChar('0')).arg(sep).arg((q % 4) * 15, 2, 10, QChar('0'));
            SCOPED_TRACE(stored.toStdString());
            EXPECT_EQ(FormatShortTime(FormatMediumTime(stored)), stored);
            EXPECT_EQ(FormatShortTime(listEntry(q)), stored);
            EXPECT_EQ(TimeOfReadingValue(stored), (q / 4) * 100 + (q % 4) * 15);
        }
    }
}

TEST_F(FormatTest, Formats)
{
    struct Case {
        QString (*f)(const QString&);
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        { FormatShortTime, "5:45 PM", "17:45" },
        { FormatShortTime, "12:00 AM", "00:00" },
        { FormatShortTime, "12:15 pm", "12:15" },
        { FormatShortTime, "8:30", "08:30" },
        { FormatShortTime, "17:45:10", "17:45" },
        { FormatShortTime, "", "" },
        { FormatShortTime, "25:00", "" },
        { FormatShortTime, "13:00 PM", "" },
        { FormatShortTime, "08.30", "08:30" }, // stored under another regional format
        { FormatMediumTime, "17.45", "05:45 PM" },
        { FormatHourMinute, "08.30", "0830" },
        { FormatMediumTime, "00:15", "12:15 AM" },
        { FormatMediumTime, "17:45", "05:45 PM" },
        { FormatMediumTime, "12:00", "12:00 PM" },
        { FormatHourMinute, "08:30", "0830" },
        { FormatHourMinute, "11:45 PM", "2345" },
        { FormatShortDate, "2014-03-05", "3/5/2014" },
        { FormatShortDate, "2099-12-31", "12/31/2099" },
        { FormatShortDate, "not a date", "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(c.f(c.in), QString(c.out));
    }
    TimeLocale de;
    de.shortDateFormat = "dd.MM.yyyy";
    setTimeLocale(de);
    EXPECT_EQ(FormatShortDate("2014-03-05"), "05.03.2014");
}

TEST_F(FormatTest, TheShortDateFollowsTheLocaleAndIsThePosixOneWithoutRegionalSettings)
{
    const struct {
        QLocale locale;
        const char* shown;
    } cases[] = {
        { QLocale::c(), "05/07/2024" },
        { QLocale("C"), "05/07/2024" },
        { QLocale("POSIX"), "05/07/2024" },
        { QLocale(QLocale::English, QLocale::UnitedStates), "5/7/2024" },
        { QLocale(QLocale::English, QLocale::UnitedKingdom), "07/05/2024" },
        { QLocale(QLocale::German, QLocale::Germany), "07.05.2024" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        setTimeLocale(TimeLocale::fromLocale(c.locale));
        EXPECT_EQ(FormatShortDate("2024-05-07"), c.shown);
        // A shown date reads back as the same day.
        EXPECT_EQ(FormatShortDate(FormatShortDate("2024-05-07")), c.shown);
    }
}

TEST_F(FormatTest, AStoredTimeIsLookedUpUnderEitherSeparator)
{
    EXPECT_EQ(StoredTimeSpellings("8:30 AM"), (QStringList { "08:30", "08.30" }));
    EXPECT_EQ(StoredTimeSpellings("08.30"), (QStringList { "08:30", "08.30" }));
    EXPECT_EQ(StoredTimeSpellings("noon"), (QStringList { "noon" }));
    TimeLocale dots;
    dots.timeSeparator = ".";
    setTimeLocale(dots);
    EXPECT_EQ(StoredTimeSpellings("08:30"), (QStringList { "08.30", "08:30" }));
    EXPECT_TRUE(SameStoredTime("08:30", "08.30 AM"));
    EXPECT_FALSE(SameStoredTime("08:30", "08:45"));
    EXPECT_TRUE(SameStoredTime("noon", "noon"));
    EXPECT_FALSE(SameStoredTime("noon", "12:00"));
}

TEST(NumberValue, TakesTheLeadingNumberAndNeverThrows)
{
    struct Case {
        const char* in;
        double out;
    };
    const Case cases[] = {
        { "120", 120 },
        { "37.5", 37.5 },
        { "37,5", 37 },
        { " 98", 98 },
        { "9 8", 98 },
        { "-", 0 },
        { "", 0 },
        { "abc", 0 },
        { "-12.5x", -12.5 },
        { "+3", 3 },
        { "1E3", 1000 },
        { "2D2", 200 },
        { "1E", 1 },
        { "1E999", 0 },
        { "&H1F", 31 },
        { "&O17", 15 },
        { "1.2.3", 1.2 },
        { ".5", 0.5 },
        { "\t7\n", 7 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_DOUBLE_EQ(NumberValue(c.in), c.out);
    }
    EXPECT_EQ(NumberText(37.5), "37.5");
    EXPECT_EQ(NumberText(120), "120");
}

TEST(Creation, MakesTheReadingsLayoutAndRemovesWhatAFailureLeft)
{
    testsupport::ProgramFolder folder;
    CreateReadingsDatabase("ANN_LEE.mdb");
    auto db = dao::DefaultWorkspace().OpenDatabase("ANN_LEE.mdb");
    EXPECT_TRUE(HasCurrentLayout(*db));
    EXPECT_EQ(db->Locale(), DatabaseLocale);
    const auto defs = db->TableDefs();
    ASSERT_EQ(defs.size(), 1u);
    ASSERT_EQ(defs[0].Fields.size(), 13u);
    for (int i = 0; i < 13; ++i) {
        EXPECT_EQ(defs[0].Fields[i].Name, ReadingFields[i].name);
        EXPECT_EQ(defs[0].Fields[i].Size, ReadingFields[i].size);
    }
    const dao::Index* ix = defs[0].FindIndex("Readings");
    ASSERT_NE(ix, nullptr);
    EXPECT_TRUE(ix->Primary);
    EXPECT_FALSE(ix->Unique);
    auto rs = db->OpenRecordset("BLOOD");
    EXPECT_TRUE(rs->EOF_());
    rs->Close();
    db->Close();

    CreateReadingsDatabase("_.mdb"); // both names empty
    EXPECT_TRUE(folder.exists("_.mdb"));
    EXPECT_THROW(CreateReadingsDatabase("ANN_LEE.mdb"), dao::Error);
    EXPECT_THROW(CreateReadingsDatabase("no/such/folder/X.mdb"), dao::Error);
    EXPECT_FALSE(folder.exists("no/such/folder/X.mdb"));
}
