#include "reading.h"

#include "platform/dao/step_cursor.h"

namespace tellora {

namespace {

template <typename Row> Reading ReadRow(const Row& row)
{
    Reading r;
    for (int f = 0; f < Reading::FieldCount; ++f)
        r.values[f] = row.GetValue(ReadingFields[f].name);
    return r;
}

} // namespace

QString Reading::Text(Field f) const
{
    const dao::Value& v = values[f];
    return v ? QString::fromStdString(*v) : QString();
}

void Reading::SetText(Field f, const QString& text) { values[f] = text.toStdString(); }

bool Reading::Holds(Field f) const
{
    // The whole stored text against the mark, before any trimming.
    const dao::Value& v = values[f];
    return v && *v != MissingMark;
}

bool Reading::IsStandard() const
{
    for (Field f : { Bsugar, Bpressure, Dpressure, Bpulse, Bweight, Temp, SPO2 })
        if (Holds(f))
            return true;
    return false;
}

bool Reading::IsInjection() const { return Holds(Instype) || Holds(Insamt) || Holds(Site); }

Reading Reading::From(const dao::Recordset& rs) { return ReadRow(rs); }

Reading Reading::From(const dao::StepCursor& cursor) { return ReadRow(cursor); }

void Reading::WriteTo(dao::Recordset& rs) const
{
    for (int f = 0; f < FieldCount; ++f)
        rs.SetValue(ReadingFields[f].name, values[f]);
}

} // namespace tellora
