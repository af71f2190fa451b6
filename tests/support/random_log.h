#pragma once
// A random log of readings for the walk tests, which compare the skipping
// walk with the row-by-row walk over it.
#include "platform/dao/dao.h"

#include <QDate>
#include <QString>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// What a random log draws its readings from.
struct RandomLogTexts {
    std::vector<std::string> present; // the values a field holds when present
    std::vector<std::string> times; // the times of reading
};

// Writes `rows` readings into the BLOOD table of `file` over few days and the
// given times, so dates and whole keys repeat; each value is present with
// probability `density`, otherwise "-" or now and then Null. Returns the keys
// in the order written.
inline std::vector<std::pair<std::string, std::string>> WriteRandomLog(
    const QString& file, std::mt19937& rng, int rows, double density, const RandomLogTexts& texts)
{
    static const char* const valueFields[] = { "Bsugar", "Bpressure", "Dpressure", "Bpulse", "Bweight", "Bcomm",
        "Instype", "Insamt", "Site", "SPO2", "Temp" };
    const std::vector<std::string>& present = texts.present;
    std::uniform_real_distribution<double> chance(0, 1);
    auto db = dao::DefaultWorkspace().OpenDatabase(file.toStdString());
    auto rs = db->OpenRecordset("BLOOD");
    // One commit for the whole log, not one synced write per reading.
    dao::Transaction writing(dao::DefaultWorkspace());
    const int days = std::max(1, rows / 3);
    std::vector<std::pair<std::string, std::string>> keys;
    for (int i = 0; i < rows; ++i) {
        rs->AddNew();
        rs->SetValue("Bdate", QDate(2024, 1, 1).addDays(int(rng() % days)).toString("yyyy-MM-dd").toStdString());
        rs->SetValue("Btime", texts.times[rng() % texts.times.size()]);
        keys.emplace_back(*rs->GetValue("Bdate"), *rs->GetValue("Btime"));
        for (const char* f : valueFields) {
            if (chance(rng) < density)
                rs->SetValue(f, present[rng() % present.size()]);
            else if (chance(rng) < 0.05)
                rs->SetValue(f, std::nullopt);
            else
                rs->SetValue(f, std::string("-"));
        }
        rs->Update();
    }
    // Half the logs end in a few readings that hold nothing. The newest
    // reading, which the database opens on, holds no Null.
    const bool quietEnd = rng() % 2;
    const int last = quietEnd ? 1 + int(rng() % 3) : 1;
    for (int i = 0; i < last; ++i) {
        rs->AddNew();
        keys.emplace_back(i + 1 < last ? "2098-06-0" + std::to_string(i + 1) : "2099-12-31", "23:59");
        rs->SetValue("Bdate", keys.back().first);
        rs->SetValue("Btime", keys.back().second);
        for (const char* f : valueFields)
            rs->SetValue(f, !quietEnd && chance(rng) < density ? present[rng() % present.size()] : std::string("-"));
        rs->Update();
    }
    writing.Commit();
    rs->Close();
    db->Close();
    return keys;
}

} // namespace testsupport
