// The average text over a date range: two decimals with halves away from
// zero, the leading blank, no zero before the point, nothing left: " 0".
#include "reports/range/range_numbers.h"

#include <gtest/gtest.h>

namespace {

struct AverageCase {
    float x;
    const char* text;
};

TEST(FormatAverage, WritesTwoDecimalsWithHalvesAwayFromZero)
{
    const AverageCase cases[] = {
        { 98.6f, " 98.6" },
        { 98.0f, " 98" },
        { 0.5f, " .5" },
        { 120.3333f, " 120.33" },
        { 1234.5f, " 1234.5" },
        { (98.0f + 99.2f) / 2, " 98.6" },
        { (98.0f + 99.0f + 99.0f) / 3, " 98.67" },
        { (98.5f + 98.75f) / 2, " 98.63" }, // an exact half goes up, not to the even neighbour
        { 120.5f, " 120.5" },
        { 0.285f, " .29" }, // judged on the single's seven digits, not its binary tail
        { 1.005f, " 1.01" },
        { 0.995f, " 1" },
        { 99.995f, " 100" },
        { 0.0f, " 0" },
        { 0.004f, " 0" }, // rounds to nothing
        { 0.005f, " .01" },
        { -2.345f, "-2.35" },
        { -0.001f, " 0" },
        { 123456.7f, " 123456.7" },
        { 1234567.f, " 1234567" },
        { 3.0e9f, " 3000000000" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(tellora::FormatAverage(c.x).toStdString(), c.text) << c.x;
}

} // namespace
