#pragma once
// The average text of the reports over a date range.
#include <QString>

namespace tellora {

// An average as the summary pages over a date range print it: rounded to two
// decimals with halves away from zero, then written after one blank (a minus
// sign for a negative number) with "." as the decimal point, no zero before
// the point, no trailing zeros and no point when no decimals remain. The
// halves are judged on the value as a single shows it (seven significant
// digits), so an average of 98.5 and 98.75 gives " 98.63". An average that
// rounds to nothing gives " 0".
QString FormatAverage(float x);

} // namespace tellora
