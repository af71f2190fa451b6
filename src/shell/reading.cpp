#include "reading.h"

#include "platform/dao/step_cursor.h"

#include <cctype>

namespace tellora {

namespace {

template<typename Row> Reading ReadRow(const Row& row)
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

QString Reading::RequiredText(Field f) const
{
    if (!values[f])
        throw dao::Error(
            dao::errInvalidUseOfNull, std::string("The field '") + ReadingFields[f].name + "' holds no value (Null).");
    return QString::fromStdString(*values[f]);
}

void Reading::SetText(Field f, const QString& text)
{
    values[f] = text.toStdString();
}

bool Reading::Holds(Field f) const
{
    // The whole stored text against the mark, before any trimming.
    const dao::Value& v = values[f];
    return v && *v != MissingMark;
}

bool Reading::IsStandard() const
{
    for (Field f : StandardFields)
        if (Holds(f)) return true;
    return false;
}

bool Reading::IsInjection() const
{
    for (Field f : InjectionFields)
        if (Holds(f)) return true;
    return false;
}

Reading Reading::From(const dao::Recordset& rs)
{
    return ReadRow(rs);
}

Reading Reading::From(const dao::StepCursor& cursor)
{
    return ReadRow(cursor);
}

void Reading::WriteTo(dao::Recordset& rs) const
{
    for (int f = 0; f < FieldCount; ++f)
        rs.SetValue(ReadingFields[f].name, values[f]);
}

Reading Reading::NothingTaken(const std::string& date, const std::string& time)
{
    Reading r;
    r[Bdate] = date;
    r[Btime] = time;
    for (Field f : ValueFields)
        r[f].emplace(MissingMark);
    return r;
}

Reading::Field Reading::FieldNamed(const std::string& name)
{
    auto same = [&](const char* field) {
        std::size_t i = 0;
        for (; field[i] && i < name.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(field[i])) != std::tolower(static_cast<unsigned char>(name[i])))
                return false;
        return !field[i] && i == name.size();
    };
    for (int f = 0; f < FieldCount; ++f)
        if (same(ReadingFields[f].name)) return Field(f);
    throw dao::Error(dao::errItemNotFound, "The table 'BLOOD' has no field '" + name + "'.");
}

} // namespace tellora
