#pragma once
// The series colours and column kinds that the chart descriptions share, so
// each colour and the time-of-reading column are written once for all of them.
#include "chart_description.h"

#include <QColor>
#include <QString>

namespace tellora::series {

// Named by how they look: one colour serves different measures in different charts.
inline const QColor Black(0, 0, 0);
inline const QColor Brown(142, 94, 66);
inline const QColor Red(255, 0, 0);
inline const QColor DarkRed(192, 0, 0);
inline const QColor Blue(0, 0, 255);
inline const QColor Navy(0, 0, 112);
inline const QColor Teal(10, 100, 100);
inline const QColor Sky(0, 160, 240);
inline const QColor Steel(0, 128, 192);
inline const QColor Pink(255, 64, 255);
inline const QColor Grey(128, 128, 128);
inline const QColor Raspberry(182, 32, 96);

// The time-of-reading title of the fixed 0 to 2400 second axis.
inline const QString TimeOfReadingAxis = QStringLiteral("Approx. Time of Reading");
// The same axis where its title ends in a line break.
inline const QString TimeOfDayAxis = QStringLiteral("Approx. Time of Day\r\n");

// A column charting a BLOOD field.
inline ChartColumn Measure(
    const QString& label, const char* field, const QColor& color, chart::Axis axis = chart::Axis::Value)
{
    return { label, ColumnSource::Field, field, axis, color };
}

// The time of reading (0 to 2359) against the second axis.
inline ChartColumn TimeOfReading(const QColor& color, const QString& label = QStringLiteral("Time of Reading"))
{
    return { label, ColumnSource::TimeOfReading, "", chart::Axis::Second, color };
}

} // namespace tellora::series
