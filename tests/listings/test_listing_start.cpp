// A listing starts at the row the current-reading window shows, also when
// another reading has the same date and time.
#include "listing_fixture.h"

namespace {

using namespace listingtest;

class ShownRowListing : public ListingFixture { };

TEST_F(ShownRowListing, StartsAtTheSecondOfTwoReadingsWithOneKey)
{
    Write({ { DayOf(0), "08:30", { { "Bsugar", "101" } } }, { DayOf(0), "08:30", { { "Bsugar", "102" } } },
        { DayOf(1), "17:45", { { "Bsugar", "103" } } } });
    OpenDatabase();
    Click(record()->FirstRecord);
    Click(record()->NextRecord);
    ASSERT_EQ(record()->Bsugar.Text(), "102");
    OpenListing(false);
    auto* w = forms::Forms::Find<tellora::Display>();
    ASSERT_NE(w, nullptr);
    std::vector<QString> sugars;
    for (const auto& item : w->Picture1.DisplayList())
        if (item.x == 23) sugars.push_back(item.text);
    EXPECT_EQ(sugars, (std::vector<QString> { "102", "103" }));
}

} // namespace
