#include "bench_support.h"

#include "shell/creation.h"
#include "shell/reading.h"

#include <QDate>
#include <QDir>
#include <SQLiteCpp/SQLiteCpp.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <sys/resource.h>
#include <unistd.h>

namespace benchsupport {

std::string DateOf(long i)
{
    return QDate(2000, 1, 1).addDays(i / 96).toString("yyyy-MM-dd").toStdString();
}

std::string TimeOf(long i)
{
    const int q = int(i % 96);
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d:%02d", q / 4, (q % 4) * 15);
    return buf;
}

std::string ReadingsDatabase(long rows, int logEvery)
{
    const std::string dir = QDir::tempPath().toStdString();
    const std::string name = dir + "/tellora-bench-" + std::to_string(rows) + "-" + std::to_string(logEvery) + ".mdb";
    if (std::filesystem::exists(name)) return name;
    const std::string part = name + ".part";
    std::filesystem::remove(part);
    tellora::CreateReadingsDatabase(QString::fromStdString(part));
    {
        // Bulk load straight through SQLite: the engine's own append is what
        // the benchmarks measure, not what builds the fixture.
        SQLite::Database db(part, SQLite::OPEN_READWRITE);
        db.exec("PRAGMA synchronous=OFF");
        SQLite::Transaction tx(db);
        SQLite::Statement ins(db, "INSERT INTO BLOOD VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)");
        using tellora::Reading;
        auto bind = [&](Reading::Field f, const std::string& value) { ins.bind(int(f) + 1, value); };
        for (long i = 0; i < rows; ++i) {
            const bool log = i % logEvery == 0;
            bind(Reading::Bdate, DateOf(i));
            bind(Reading::Btime, TimeOf(i));
            bind(Reading::Bsugar, std::to_string(80 + i % 120));
            bind(Reading::Bpressure, std::to_string(110 + i % 40));
            bind(Reading::Bpulse, std::to_string(60 + i % 30));
            bind(Reading::Bweight, std::to_string(150 + i % 20));
            bind(Reading::Bcomm, tellora::MissingMark);
            bind(Reading::Dpressure, std::to_string(70 + i % 20));
            bind(Reading::Instype, log ? "Humalog" : tellora::MissingMark);
            bind(Reading::Insamt, log ? "12" : tellora::MissingMark);
            bind(Reading::Site, log ? "Left arm" : tellora::MissingMark);
            bind(Reading::SPO2, std::to_string(90 + i % 10));
            bind(Reading::Temp, "36.6");
            ins.exec();
            ins.reset();
        }
        tx.commit();
    }
    std::filesystem::rename(part, name);
    return name;
}

std::string DensityName(long every)
{
    return every == 0 ? "0" : every == 1 ? "1" : "1/" + std::to_string(every);
}

std::string SparseDatabase(long rows, long every)
{
    const std::string dir = QDir::tempPath().toStdString();
    const std::string name
        = dir + "/tellora-bench-sparse-" + std::to_string(rows) + "-" + std::to_string(every) + ".mdb";
    if (std::filesystem::exists(name)) return name;
    const std::string part = name + ".part";
    std::filesystem::remove(part);
    tellora::CreateReadingsDatabase(QString::fromStdString(part));
    {
        SQLite::Database db(part, SQLite::OPEN_READWRITE);
        db.exec("PRAGMA synchronous=OFF");
        SQLite::Transaction tx(db);
        SQLite::Statement ins(db, "INSERT INTO BLOOD VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)");
        for (long i = 0; i < rows; ++i) {
            const bool full = every != 0 && i % every == 0;
            auto value = [&](const std::string& v) { return full ? v : std::string("-"); };
            ins.bind(1, DateOf(i));
            ins.bind(2, TimeOf(i));
            ins.bind(3, value(std::to_string(80 + i % 120)));
            ins.bind(4, value(std::to_string(110 + i % 40)));
            ins.bind(5, value(std::to_string(60 + i % 30)));
            ins.bind(6, value(std::to_string(150 + i % 20)));
            ins.bind(7, full ? std::string("-") : std::string("note"));
            ins.bind(8, value(std::to_string(70 + i % 20)));
            ins.bind(9, value("Humalog"));
            ins.bind(10, value("12"));
            ins.bind(11, value("Left arm"));
            ins.bind(12, value(std::to_string(90 + i % 10)));
            ins.bind(13, value("36.6"));
            ins.exec();
            ins.reset();
        }
        tx.commit();
    }
    std::filesystem::rename(part, name);
    return name;
}

int RawWalk(
    const std::string& file, const std::string& sql, const std::vector<std::string>& binds, int limit, RawKey* last)
{
    SQLite::Database db(file, SQLite::OPEN_READWRITE, 2000);
    db.exec("PRAGMA journal_mode=DELETE");
    db.exec("PRAGMA synchronous=FULL");
    SQLite::Statement st(db, sql);
    for (std::size_t i = 0; i < binds.size(); ++i)
        st.bind(int(i) + 1, binds[i]);
    int n = 0;
    std::string row[13];
    while (n < limit && st.executeStep()) {
        for (int c = 0; c < 13; ++c)
            row[c] = st.getColumn(c + 1).getString();
        if (last) *last = { row[0], row[1], st.getColumn(0).getInt64() };
        ++n;
    }
    return n;
}

void RawStepBack(const std::string& file, const std::string& test, const std::string& date, const std::string& time,
    bool inclusive, int back, int group)
{
    RawKey start;
    const std::string before
        = date.empty() ? "" : std::string("(Bdate, Btime) ") + (inclusive ? "<=" : "<") + " (?, ?) AND ";
    const std::vector<std::string> key
        = date.empty() ? std::vector<std::string> {} : std::vector<std::string> { date, time };
    const int found = RawWalk(file,
        "SELECT " + RawColumns + " FROM BLOOD WHERE " + before + test + " ORDER BY Bdate DESC, Btime DESC, rowid DESC",
        key, back, &start);
    if (found == back)
        RawWalk(file,
            "SELECT " + RawColumns + " FROM BLOOD WHERE (Bdate, Btime) >= (?, ?) AND " + test
                + " ORDER BY Bdate, Btime, rowid",
            { start.date, start.time }, group);
    else
        RawWalk(
            file, "SELECT " + RawColumns + " FROM BLOOD WHERE " + test + " ORDER BY Bdate, Btime, rowid", {}, group);
}

double ScanFloor(const std::string& file, const std::string& test, const std::string& bound, const std::string& order,
    const std::string& date, const std::string& time, int limit)
{
    const bool keyed = !date.empty();
    return Seconds([&] {
        RawWalk(file,
            "SELECT " + RawColumns + " FROM BLOOD NOT INDEXED WHERE "
                + (keyed ? "(Bdate, Btime) " + bound + " (?, ?) AND " : std::string()) + test + " ORDER BY " + order
                + " LIMIT " + std::to_string(limit),
            keyed ? std::vector<std::string> { date, time } : std::vector<std::string> {}, limit);
    });
}

void ReportClick(benchmark::State& state, double engine, double raw, long n, double scan)
{
    state.counters["raw_ms"] = n ? raw * 1000 / double(n) : 0;
    state.counters["ratio"] = raw > 0 ? engine / raw : 0;
    state.counters["engine_ms"] = n ? engine * 1000 / double(n) : 0;
    // Every click's target: under 150 ms (dense data: under 2 ms).
    state.counters["of_150ms"] = n ? engine * 1000 / double(n) / 150 : 0;
    if (scan >= 0) {
        state.counters["scan_ms"] = n ? scan * 1000 / double(n) : 0;
        state.counters["scan_ratio"] = scan > 0 ? engine / scan : 0;
    }
}

double CurrentMemoryMiB()
{
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return 0;
    long pages = 0, resident = 0;
    const int got = std::fscanf(f, "%ld %ld", &pages, &resident);
    std::fclose(f);
    return got == 2 ? double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : 0;
}

double PeakMemoryMiB()
{
    rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0;
}

} // namespace benchsupport
