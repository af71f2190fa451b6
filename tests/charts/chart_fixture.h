#pragma once
// A started program with a readings database open in DisplayRecord, and
// helpers to open a chart window through its menu entry and read its grid.
#include "charts/register.h"
#include "charts/window/chart_window.h"

#include "shell/shell_fixture.h"
#include "support/reading_locks.h"

#include <QDate>

#include <optional>
#include <string>
#include <vector>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace charttest {

using testsupport::Locked;
using testsupport::Unlocked;

using namespace shelltest;

// A reading's charted values as stored; "-" where not taken.
struct LogRow {
    std::string date, time;
    std::string sugar = MissingMark, systolic = MissingMark, diastolic = MissingMark, pulse = MissingMark,
                weight = MissingMark;
    std::string temp = MissingMark, spo2 = MissingMark;
    std::optional<std::string> nullField = std::nullopt; // a field stored as Null
    std::vector<std::string> nullFields = {}; // more of them
};

// LogRow number i (from 0) of a steady log: two a day, 08:00 and 20:00.
inline std::string DateOf(int i)
{
    return QDate(2024, 1, 1).addDays(i / 2).toString("yyyy-MM-dd").toStdString();
}
inline std::string TimeOf(int i)
{
    return i % 2 ? "20:00" : "08:00";
}
// The date label the chart shows for reading i (short date "M/d/yyyy").
inline QString LabelOf(int i)
{
    return QDate(2024, 1, 1).addDays(i / 2).toString("M/d/yyyy");
}

// n readings holding every measure; sugar, systolic, weight, temperature and
// SpO2 count up from 100 + i, so every chart's first column does.
inline std::vector<LogRow> FullReadings(int n, int first = 0)
{
    std::vector<LogRow> rows;
    for (int i = first; i < first + n; ++i) {
        const std::string v = std::to_string(100 + i);
        rows.push_back({ DateOf(i), TimeOf(i), v, v, "80", "60", v, v, v });
    }
    return rows;
}

inline void WriteReadings(const QString& file, const std::vector<LogRow>& rows)
{
    std::vector<Reading> readings;
    for (const LogRow& r : rows) {
        Reading reading = Reading::NothingTaken(r.date, r.time);
        reading[Reading::Bsugar] = r.sugar;
        reading[Reading::Bpressure] = r.systolic;
        reading[Reading::Dpressure] = r.diastolic;
        reading[Reading::Bpulse] = r.pulse;
        reading[Reading::Bweight] = r.weight;
        reading[Reading::Temp] = r.temp;
        reading[Reading::SPO2] = r.spo2;
        if (r.nullField) reading[Reading::FieldNamed(*r.nullField)] = std::nullopt;
        for (const std::string& f : r.nullFields)
            reading[Reading::FieldNamed(f)] = std::nullopt;
        readings.push_back(reading);
    }
    writeReadings(file, readings);
}

class ChartTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        RegisterChartWindows();
    }

    // Makes the database, opens it and shows the reading with that key.
    void OpenLog(const std::vector<LogRow>& rows, std::optional<std::size_t> current = std::nullopt)
    {
        makeDatabase("ANN_LEE.mdb");
        WriteReadings("ANN_LEE.mdb", rows);
        open("ANN_LEE.mdb");
        ASSERT_NE(record(), nullptr);
        if (current) Show(rows.at(*current).date, rows.at(*current).time);
    }

    // Puts a stored reading into DisplayRecord as the current one.
    void Show(const std::string& date, const std::string& time)
    {
        auto db = dao::DefaultWorkspace().OpenDatabase(OpenDatabaseName().toStdString());
        auto rs = db->OpenRecordset("BLOOD");
        rs->SetIndex("Readings");
        rs->Seek("=", { date, time });
        ASSERT_FALSE(rs->NoMatch()) << date << " " << time;
        record()->ShowRecord(*rs);
    }

    // Chooses the menu entry as the user would and returns the window it opened.
    ChartWindow* OpenChart(const QString& menuItem)
    {
        main()->Menu[menuItem].Trigger();
        return dynamic_cast<ChartWindow*>(Forms::Find(MDIStart::ChartWindowOf(menuItem)));
    }

    static std::vector<QString> Labels(const ChartWindow& w)
    {
        std::vector<QString> out;
        for (int r = 1; r <= ChartGroupSize; ++r)
            out.push_back(w.MSChart1.rowLabel(r));
        return out;
    }

    static std::vector<double> Column(const ChartWindow& w, int column)
    {
        std::vector<double> out;
        for (int r = 1; r <= ChartGroupSize; ++r)
            out.push_back(w.MSChart1.value(r, column));
        return out;
    }
};

} // namespace charttest
