// A chart starts at the row the current-reading window shows, also when
// another reading has the same date and time.
#include "chart_fixture.h"

namespace charttest {
namespace {

class ShownRowChart : public ChartTest { };

TEST_F(ShownRowChart, StartsAtTheSecondOfTwoReadingsWithOneKey)
{
    OpenLog({ { DateOf(0), TimeOf(0), "101" }, { DateOf(0), TimeOf(0), "102" }, { DateOf(1), TimeOf(1), "103" } });
    click(&record()->FirstRecord);
    click(&record()->NextRecord);
    ASSERT_EQ(record()->Bsugar.Text(), "102");
    ChartWindow* w = OpenChart("mnuGraphicsBar1");
    ASSERT_NE(w, nullptr);
    const std::vector<double> sugar = Column(*w, 1);
    EXPECT_EQ(sugar[0], 102);
    EXPECT_EQ(sugar[1], 103);
    EXPECT_EQ(sugar[2], 0);
}

} // namespace
} // namespace charttest
