#pragma once
// The texts in which the printed reports show numbers: every statistic of the
// summary pages and the page numbers handed to them. Shared by the reports
// from the current reading and over a date range, so the same readings give
// the same texts in both.
#include <QString>

#include <cstdint>

namespace tellora::reports {

// A blank for zero or more (a "-" for a negative number), then the number in
// plain decimals with "." as the point whatever the locale, no zero before
// the point, no trailing zeros and no point for a whole value.
//   NumberText(120) == " 120", NumberText(0.5f) == " .5", NumberText(98.6f) == " 98.6"
// A single-precision value shows 7 significant digits, a double 15, a whole
// number all of its digits.
QString NumberText(std::int64_t whole);
QString NumberText(int whole);
QString NumberText(float single);
QString NumberText(double value);

// How an average that lies exactly halfway between two hundredths rounds.
enum class HalfRounding { ToEven, AwayFromZero };

// An average shown to at most two decimals, written as NumberText writes:
// 120.666... gives " 120.67", 100 gives " 100", .5 gives " .5". An average
// that rounds to nothing at two decimals gives " 0". The single's exact value
// is rounded, so 98.625 is a true half.
QString AverageText(float average, HalfRounding halves);

} // namespace tellora::reports
