#include "number_text.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace tellora::reports {

namespace {

QString signed_(bool negative, const std::string& digits)
{
    return QString::fromLatin1((negative ? "-" : " ") + digits);
}

// |value| rounded to `significant` digits, in plain decimals.
QString decimalText(double value, int significant)
{
    if (value == 0 || !std::isfinite(value)) return QStringLiteral(" 0");
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", significant - 1, std::fabs(value));
    // buf: d.ddddde+XX
    std::string mantissa;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p != '.') mantissa += *p;
    const int exponent = std::atoi(p + 1);
    while (mantissa.size() > 1 && mantissa.back() == '0')
        mantissa.pop_back();
    std::string whole, fraction;
    if (exponent >= 0) {
        const std::size_t n = std::size_t(exponent) + 1;
        whole = mantissa.substr(0, std::min(n, mantissa.size()));
        if (whole.size() < n) whole.append(n - whole.size(), '0');
        if (mantissa.size() > n) fraction = mantissa.substr(n);
    } else {
        fraction = std::string(std::size_t(-exponent - 1), '0') + mantissa;
    }
    return signed_(value < 0, fraction.empty() ? whole : whole + "." + fraction);
}

} // namespace

QString NumberText(std::int64_t whole)
{
    const bool negative = whole < 0;
    // Through unsigned so the most negative number has its digits too.
    const std::uint64_t magnitude = negative ? 0 - std::uint64_t(whole) : std::uint64_t(whole);
    return signed_(negative, std::to_string(magnitude));
}

QString NumberText(int whole)
{
    return NumberText(std::int64_t(whole));
}

QString NumberText(float single)
{
    return decimalText(single, 7);
}

QString NumberText(double value)
{
    return decimalText(value, 15);
}

QString AverageText(float average, HalfRounding halves)
{
    if (!std::isfinite(average)) return QStringLiteral(" 0");
    // A single has 24 significant bits and 100 needs 7: the product is exact
    // in a double, so the rounding sees the single's true value.
    const double hundredths = double(average) * 100.0;
    const double rounded = halves == HalfRounding::ToEven ? std::nearbyint(hundredths) : std::round(hundredths);
    if (rounded == 0) return QStringLiteral(" 0");
    const auto magnitude = static_cast<std::uint64_t>(std::fabs(rounded));
    const std::uint64_t whole = magnitude / 100;
    const int cents = int(magnitude % 100);
    std::string text = whole ? std::to_string(whole) : std::string();
    if (cents) {
        char frac[4];
        std::snprintf(frac, sizeof frac, "%02d", cents);
        std::string f = frac;
        if (f.back() == '0') f.pop_back();
        text += "." + f;
    }
    return signed_(rounded < 0, text);
}

} // namespace tellora::reports
