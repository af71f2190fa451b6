#pragma once
// One reading: a row of BLOOD, its thirteen text fields in table order.
//
// Every window and procedure that reads or writes a whole reading goes
// through this type, so the field list, the missing mark and the two reading
// tests (standard, injection log) are written once.
#include "platform/dao/dao.h"

#include <QString>

#include <array>
#include <string>

namespace dao {
class StepCursor;
}

namespace tellora {

// What the entry windows store for a value left empty.
inline constexpr const char* MissingMark = "-";

// The thirteen fields of BLOOD with their sizes, in table order.
struct ReadingField {
    const char* name;
    int size;
};
inline constexpr ReadingField ReadingFields[13] = {
    { "Bdate", 15 },
    { "Btime", 15 },
    { "Bsugar", 6 },
    { "Bpressure", 3 },
    { "Bpulse", 3 },
    { "Bweight", 6 },
    { "Bcomm", 50 },
    { "Dpressure", 3 },
    { "Instype", 20 },
    { "Insamt", 6 },
    { "Site", 20 },
    { "SPO2", 6 },
    { "Temp", 6 },
};

struct Reading {
    // Field positions, in table order (ReadingFields[f] names field f).
    enum Field : int {
        Bdate,
        Btime,
        Bsugar,
        Bpressure,
        Bpulse,
        Bweight,
        Bcomm,
        Dpressure,
        Instype,
        Insamt,
        Site,
        SPO2,
        Temp,
        FieldCount
    };

    // The fields the two reading tests look at: a reading is a standard
    // (an injection-log) reading when it holds any of its list.
    static constexpr Field StandardFields[] = { Bsugar, Bpressure, Dpressure, Bpulse, Bweight, Temp, SPO2 };
    static constexpr Field InjectionFields[] = { Instype, Insamt, Site };

    // The stored values; Null as an empty optional.
    std::array<dao::Value, FieldCount> values;

    dao::Value& operator[](Field f) { return values[f]; }
    const dao::Value& operator[](Field f) const { return values[f]; }

    // The stored text, Null as the empty text.
    QString Text(Field f) const;
    // The stored text; Null raises errInvalidUseOfNull, as a recordset's Text does.
    QString RequiredText(Field f) const;
    void SetText(Field f, const QString& text);
    // The field holds a value: it is neither Null nor exactly the missing mark.
    bool Holds(Field f) const;

    // A reading the standard listing and report show: it holds sugar,
    // either pressure, pulse, weight, temperature or SpO2.
    bool IsStandard() const;
    // A reading of the injection log: it holds an insulin name, dose or site.
    bool IsInjection() const;

    // The current row of a recordset or a stepping cursor; errNoCurrentRecord
    // without one.
    static Reading From(const dao::Recordset& rs);
    static Reading From(const dao::StepCursor& cursor);
    // Writes every field into the pending AddNew or Edit buffer.
    void WriteTo(dao::Recordset& rs) const;

    // A reading with this key and no value taken: MissingMark in every value field.
    static Reading NothingTaken(const std::string& date, const std::string& time);

    // The position of a field named without regard to case ("Spo2" is SPO2);
    // errItemNotFound for a name that is no field of BLOOD.
    static Field FieldNamed(const std::string& name);
};

// The eleven value fields in the order the windows show, copy and store them.
inline constexpr Reading::Field ValueFields[11]
    = { Reading::Bsugar, Reading::Bpressure, Reading::Dpressure, Reading::Bpulse, Reading::Bweight, Reading::Bcomm,
          Reading::Instype, Reading::Insamt, Reading::Site, Reading::Temp, Reading::SPO2 };

// The field name of a position.
inline const char* FieldName(Reading::Field f)
{
    return ReadingFields[f].name;
}

} // namespace tellora
