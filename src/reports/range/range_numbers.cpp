#include "range_numbers.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tellora {

QString FormatAverage(float x)
{
    if (!std::isfinite(x)) return QStringLiteral(" 0");
    // Seven significant digits: the decimal that the single stands for.
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6e", double(std::fabs(x)));
    // buf: d.dddddde[+-]xx
    std::int64_t digits = 0;
    for (const char* p = buf; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') digits = digits * 10 + (*p - '0');
    const int exponent = std::atoi(std::strchr(buf, 'e') + 1);
    // digits holds seven significant digits: the value is digits * 10^(exponent - 6).
    QString whole, fraction;
    if (exponent >= 6) {
        // No decimals left at seven significant digits.
        whole = QString::number(digits) + QString(exponent - 6, QChar('0'));
    } else {
        // The value in hundredths, halves away from zero.
        std::int64_t hundredths = 0;
        const int shift = exponent - 4;
        if (shift >= 0) {
            hundredths = digits * (shift ? 10 : 1);
        } else if (-shift <= 9) {
            std::int64_t p = 1;
            for (int i = 0; i < -shift; ++i)
                p *= 10;
            hundredths = digits / p;
            if ((digits % p) * 2 >= p) ++hundredths;
        }
        if (hundredths == 0) return QStringLiteral(" 0");
        const std::int64_t w = hundredths / 100, f = hundredths % 100;
        if (w) whole = QString::number(w);
        if (f) {
            fraction = QStringLiteral("%1").arg(f, 2, 10, QChar('0'));
            if (fraction.endsWith('0')) fraction.chop(1);
        }
    }
    QString text = (x < 0 ? QStringLiteral("-") : QStringLiteral(" ")) + whole;
    if (!fraction.isEmpty()) text += QStringLiteral(".") + fraction;
    return text;
}

} // namespace tellora
