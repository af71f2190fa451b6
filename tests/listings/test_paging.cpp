// Paging both listings forward and back through the real windows, over
// readings mixed with ones the listing leaves out.
#include "paging_kinds.h"

using namespace listingtest;

namespace {

TEST_P(PagingTest, NineListedReadingsPageForwardAndBack)
{
    Build("coLLcLoLLLcLoLLo");
    OpenAt("c1");
    // The current reading is not listed: the page starts with the next one.
    EXPECT_EQ(Page(), Listed(1, 8));
    ExpectState("L1", "L8", "8");

    Next();
    EXPECT_EQ(Page(), QStringList { "L9" });
    ExpectState("L9", "L9", "1");

    // A partial page: the next-page step does nothing.
    const QStringList partial = Snapshot();
    Next();
    EXPECT_EQ(Snapshot(), partial);

    // Eight listed readings before the page.
    Previous();
    EXPECT_EQ(Page(), Listed(1, 8));
    ExpectState("L1", "L8", "8");

    // Previous then Next gives the page back.
    Next();
    EXPECT_EQ(Page(), QStringList { "L9" });
    ExpectState("L9", "L9", "1");

    Previous();
    // None before the first page: the same page again.
    const QStringList first = Snapshot();
    Previous();
    EXPECT_EQ(Snapshot(), first);

    EXPECT_EQ(desk.beeps, 0);
    EXPECT_TRUE(desk.messages.empty());
}

TEST_P(PagingTest, FullPageEndingAtTheLastReadingGivesNoSignal)
{
    Build("LcLoLLcLLoLL");
    OpenAt("L1");
    EXPECT_EQ(Page(), Listed(1, 8));
    ExpectState("L1", "L8", "8");

    const QStringList before = Snapshot();
    Next();
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(desk.beeps, 0);
}

TEST_P(PagingTest, FullPageFollowedOnlyByUnlistedReadingsGivesTheNotice)
{
    Build("LcLLoLLLcLLoc");
    OpenAt("L1");
    EXPECT_EQ(Page(), Listed(1, 8));

    Next();
    EXPECT_EQ(desk.beeps, 1);
    EXPECT_EQ(Texts(), QStringList { "There are no additional readings." });
    EXPECT_EQ(window()->Picture1.TextAt(0, 0), "There are no additional readings.");
    ExpectState("", "", "0");

    // Past the end: a further Next does nothing, and no beep.
    const QStringList end = Snapshot();
    Next();
    EXPECT_EQ(Snapshot(), end);
    EXPECT_EQ(desk.beeps, 1);

    // Previous from past the end: the last page of the listing.
    Previous();
    EXPECT_EQ(Page(), Listed(1, 8));
    ExpectState("L1", "L8", "8");
    EXPECT_EQ(desk.beeps, 1);
    EXPECT_TRUE(desk.messages.empty());
}

TEST_P(PagingTest, TwelveListedReadingsFromPastTheEnd)
{
    Build("LoLLcLLLoLLcLLLLc");
    // The newest reading has only a comment: nothing listed at load.
    OpenAt("c3");
    EXPECT_EQ(Texts(), QStringList { "Click Previous" });
    EXPECT_EQ(window()->Picture1.TextAt(0, 0), "Click Previous");
    ExpectState("", "c3", "0");
    EXPECT_EQ(desk.beeps, 0);

    const QStringList nothing = Snapshot();
    Next();
    EXPECT_EQ(Snapshot(), nothing);

    Previous();
    EXPECT_EQ(Page(), Listed(5, 12));
    ExpectState("L5", "L12", "8");

    // Four listed readings before the page: the listing's first page.
    Previous();
    EXPECT_EQ(Page(), Listed(1, 8));
    ExpectState("L1", "L8", "8");

    Next();
    EXPECT_EQ(Page(), Listed(9, 12));
    ExpectState("L9", "L12", "4");
    EXPECT_EQ(desk.beeps, 0);
}

TEST_P(PagingTest, LastPageThenNextReachesTheEndOfData)
{
    Build("LoLLcLLLoLLcLLLLc");
    OpenAt("c3");
    Previous();
    EXPECT_EQ(Page(), Listed(5, 12));
    // Only the comment-only reading follows the newest listed one.
    Next();
    EXPECT_EQ(desk.beeps, 1);
    EXPECT_EQ(Texts(), QStringList { "There are no additional readings." });
}

TEST_P(PagingTest, ThreeListedBeforeAFullPage)
{
    Build("LcLoLLoLLLcLLLL");
    OpenAt("L4");
    EXPECT_EQ(Page(), Listed(4, 11));
    Previous();
    // The earliest listed reading on, repeating the old page's first five.
    EXPECT_EQ(Page(), Listed(1, 8));
    ExpectState("L1", "L8", "8");
    Next();
    EXPECT_EQ(Page(), Listed(9, 11));
}

TEST_P(PagingTest, FiveListedFromPastTheEnd)
{
    Build("LcLoLLcLo");
    OpenAt("o2");
    EXPECT_EQ(Texts(), QStringList { "Click Previous" });
    Previous();
    EXPECT_EQ(Page(), Listed(1, 5));
    ExpectState("L1", "L5", "5");
    const QStringList partial = Snapshot();
    Next();
    EXPECT_EQ(Snapshot(), partial);
    EXPECT_EQ(desk.beeps, 0);
}

TEST_P(PagingTest, NothingListedInTheTable)
{
    Build("cooc");
    OpenAt("o1");
    EXPECT_EQ(Texts(), QStringList { "Click Previous" });
    ExpectState("", "o1", "0");

    // The page is cleared and stays empty, click after click.
    for (int click = 0; click < 2; ++click) {
        Previous();
        EXPECT_TRUE(Texts().isEmpty());
        ExpectState("", "o1", "0");
    }
    EXPECT_EQ(desk.beeps, 0);
}

TEST_P(PagingTest, NewestReadingListedAlone)
{
    Build("LoL");
    OpenAt("L2");
    EXPECT_EQ(Page(), QStringList { "L2" });
    ExpectState("L2", "L2", "1");
    const QStringList one = Snapshot();
    Next();
    EXPECT_EQ(Snapshot(), one);
    // A partial page pages back like a full one.
    Previous();
    EXPECT_EQ(Page(), (QStringList { "L1", "L2" }));
}

TEST_P(PagingTest, RowsTakeTheirLinesInOrder)
{
    Build("LLoLcLL");
    OpenAt("L1");
    // The k-th reading's date on line 2k, its comment on line 2k + 1.
    for (int k = 0; k < 5; ++k) {
        const QString id = QStringLiteral("L%1").arg(k + 1);
        EXPECT_EQ(window()->Picture1.TextAt(0, 2 * k), tellora::FormatShortDate(QString::fromStdString(DateOf(id))));
        EXPECT_EQ(kind().commentOf(window()->Picture1, k), id);
    }
    EXPECT_FALSE(window()->Picture1.TextAt(0, 10).has_value());
}

INSTANTIATE_TEST_SUITE_P(BothListings, PagingTest, ::testing::Values(StandardListing, LogListing),
    [](const ::testing::TestParamInfo<ListingKind>& info) { return std::string(info.param.name); });

} // namespace
