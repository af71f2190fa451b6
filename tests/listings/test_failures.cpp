// What the listings do when the engine fails or the current reading is gone.
#include "listing_fixture.h"

#include "platform/dao/step_cursor.h"
#include "shell/shell.h"

#include <QFile>

#include <cstdio>

using namespace listingtest;
using forms::Forms;

namespace {

class FailureTest : public ListingFixture {
protected:
    void SetUp() override
    {
        ListingFixture::SetUp();
        std::vector<LogRow> rows;
        for (int i = 0; i < 12; ++i)
            rows.push_back({ DayOf(i), TimeOfDay(i), { { "Bsugar", std::to_string(100 + i) } } });
        Write(rows);
        OpenDatabase();
    }
    void RemoveDatabase() { ASSERT_TRUE(QFile::remove(folder.file(DatabaseFile))); }
};

TEST_F(FailureTest, ListingThatCannotReadReportsAndReleasesTheLocks)
{
    MakeCurrent(0);
    Click(record()->PrintToScreen);
    RemoveDatabase();
    Click(listingChooser()->DisplayRpt);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_FALSE(Forms::IsLoaded("Display"));
    EXPECT_EQ(listingChooser(), nullptr);
    EXPECT_TRUE(Unlocked());
}

TEST_F(FailureTest, PagingThatCannotReadKeepsThePage)
{
    MakeCurrent(0);
    OpenListing(false);
    auto* d = Forms::Find<tellora::Display>();
    ASSERT_NE(d, nullptr);
    const auto before = d->Picture1.DisplayList().size();
    const QString first = d->FirstDate.Text();
    RemoveDatabase();
    Click(d->NextPage);
    Click(d->Previous);
    EXPECT_EQ(desk.messages.size(), 2u);
    EXPECT_EQ(d->Picture1.DisplayList().size(), before);
    EXPECT_EQ(d->FirstDate.Text(), first);
    EXPECT_EQ(d->LineCount.Text(), "8");
    EXPECT_TRUE(d->Visible());
    EXPECT_TRUE(Locked());
}

// Another program puts a copy in place of the open file as a page's read
// begins: nothing is read from the old file, the page stays, and the
// listing says to open the database again.
TEST_F(FailureTest, AFileReplacedAsAPageIsReadSaysToOpenTheDatabaseAgain)
{
    MakeCurrent(0);
    OpenListing(false);
    auto* d = Forms::Find<tellora::Display>();
    ASSERT_NE(d, nullptr);
    const auto before = d->Picture1.DisplayList().size();
    const QString file = folder.file(DatabaseFile), copy = folder.file(QStringLiteral("copy.mdb"));
    ASSERT_TRUE(QFile::copy(file, copy));
    bool renamed = false;
    dao::ReadSpan::SetBeforeRead([&] {
        if (!renamed) renamed = std::rename(copy.toLocal8Bit().constData(), file.toLocal8Bit().constData()) == 0;
    });
    Click(d->NextPage);
    dao::ReadSpan::SetBeforeRead({});
    ASSERT_TRUE(renamed);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text, tellora::FileReplacedText());
    EXPECT_EQ(d->Picture1.DisplayList().size(), before);
    EXPECT_EQ(d->LineCount.Text(), "8");
    EXPECT_TRUE(Locked());
}

TEST_F(FailureTest, CurrentReadingGoneListsNothingAndPreviousFindsTheLastPage)
{
    MakeCurrent(5);
    {
        auto db = dao::DefaultWorkspace().OpenDatabase(DatabaseFile.toStdString());
        auto rs = db->OpenRecordset("BLOOD");
        rs->SetIndex("Readings");
        rs->Seek("=", { readings[5].date, readings[5].time });
        rs->Delete();
    }
    OpenListing(false);
    auto* d = Forms::Find<tellora::Display>();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->Picture1.TextAt(0, 0), "Click Previous");
    EXPECT_EQ(d->LastDate.Text().toStdString(), readings[5].date);
    EXPECT_EQ(d->LineCount.Text(), "0");
    Click(d->Previous);
    EXPECT_EQ(d->LineCount.Text(), "8");
    EXPECT_EQ(d->LastDate.Text().toStdString(), readings[11].date);
    EXPECT_TRUE(desk.messages.empty());
}

} // namespace
