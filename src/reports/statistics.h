#pragma once
// The summary statistics of the standard reports: for each of seven measures
// the lowest and highest value, the lowest and highest among morning and among
// afternoon readings with the date and time of the reading that set them, and
// the morning, afternoon and overall averages, all as the texts the summary
// pages print. Pure: fed readings (and printed row texts), asked for texts.
#include "number_text.h"

#include "shell/reading.h"

#include <QString>

#include <array>
#include <cstdint>

namespace tellora::reports {

// The seven measures, in the order every statistic and summary line keeps.
enum class Measure { Sugar, Systolic, Diastolic, Pulse, Weight, Temperature, Spo2 };
inline constexpr int MeasureCount = 7;
inline constexpr std::array<Reading::Field, MeasureCount> MeasureFields = { Reading::Bsugar, Reading::Bpressure,
    Reading::Dpressure, Reading::Bpulse, Reading::Bweight, Reading::Temp, Reading::SPO2 };
// Systolic, diastolic and pulse hold whole numbers; the others singles.
constexpr bool IsWhole(int m)
{
    return m >= int(Measure::Systolic) && m <= int(Measure::Pulse);
}

inline constexpr const char* NoReadings = "No Readings";

// Where the two report families differ in working out their averages.
struct AverageRules {
    // Two-decimal averages: a true half goes to the even hundredth, or away from zero.
    HalfRounding halves = HalfRounding::ToEven;
    // The overall weight average divides at double precision before it is
    // taken to a single, rather than at single precision throughout.
    bool weightDividesInDouble = false;
};

// The leading number of a stored text ("." the point whatever the locale; 0
// for none); plain decimal texts take a fast path.
double LeadingNumber(const dao::Value& stored);

struct HalfDayText {
    QString value = QString::fromLatin1(NoReadings);
    QString date, time; // as shown; empty while nothing was counted
};

struct MeasureTexts {
    QString lowest, highest;
    HalfDayText lowestAm, highestAm, lowestPm, highestPm;
    QString amAverage, pmAverage, overallAverage;
};

// All statistics of one report as the summary pages print them.
using SummaryTexts = std::array<MeasureTexts, MeasureCount>;

class SummaryStatistics {
public:
    explicit SummaryStatistics(AverageRules rules = {});

    // Extremes and morning/afternoon sums: every reading of the report's walk,
    // in index order. A measure counts where its field holds a value (neither
    // the missing mark nor Null); a reading before noon (time value below
    // 1200) is a morning one.
    void AddReading(const Reading& reading);
    // Overall sums: each printed reading once, as its row shows it (the
    // pressures without trailing blanks). A missing mark or Null is not counted.
    void AddPrintedRow(const Reading& reading);

    SummaryTexts Texts() const;

private:
    struct Extreme {
        bool set = false;
        double value = 0; // the measure's kind: a single, or a whole number
        HalfDayText text;
    };
    struct Stats {
        Extreme lowest, highest, lowestAm, highestAm, lowestPm, highestPm;
        float amSum = 0, pmSum = 0;
        std::int64_t amCount = 0, pmCount = 0;
        double overallSum = 0; // a single's value, or a whole number
        std::int64_t overallCount = 0;
    };
    void addNumber(int m, double number, bool am, const Reading& reading);
    void addOverall(int m, double number);
    QString extremeText(int m, const Extreme& e) const;
    QString averageText(int m, float sum, std::int64_t count) const;

    AverageRules rules_;
    std::array<Stats, MeasureCount> stats_ {};
};

} // namespace tellora::reports
