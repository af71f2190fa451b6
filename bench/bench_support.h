#pragma once
// Shared fixtures for the benchmarks: a generated readings database of a
// million rows, made once per machine and reused.
#include <QString>
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

namespace benchsupport {

// Path of a readings database holding `rows` readings, one every 15 minutes
// from 2000-01-01 on, every value taken; one in `logEvery` readings carries
// insulin (others "-"). Created on first use in the system's temp folder.
std::string ReadingsDatabase(long rows = 1000000, int logEvery = 1);

// Stored date and time of reading number i of such a database.
std::string DateOf(long i);
std::string TimeOf(long i);

// Path of a readings database of `rows` readings (dated as above) in which
// one reading in `every` holds every measure and an injection and the others
// only a comment; `every` 0: none holds a measure. Created on first use.
std::string SparseDatabase(long rows, long every);
// The densities of the charted or listed measure the window benchmarks run:
// every reading, 1 in 1,000, 1 in 100,000 and none.
inline constexpr long kDensities[] = { 1, 1000, 100000, 0 };
// "1", "1/1000", "1/100000" or "0".
std::string DensityName(long every);

// Peak resident memory of this process, in MiB.
double PeakMemoryMiB();
// Current resident memory of this process, in MiB.
double CurrentMemoryMiB();

// The raw-SQLite side of a comparison: a connection opened on the file as the
// engine opens it (read-write, rollback journal, full sync), one statement
// prepared, stepped through up to `limit` rows with all thirteen columns
// read, and everything closed again. Returns the rows read; `last` gets the
// key (date, time, rowid) of the last one.
struct RawKey {
    std::string date, time;
    long long rowid = 0;
};
int RawWalk(const std::string& file, const std::string& sql, const std::vector<std::string>& binds, int limit,
    RawKey* last = nullptr);

// The rowid and the thirteen columns, as the raw statements read them.
inline const std::string RawColumns
    = "rowid, Bdate, Btime, Bsugar, Bpressure, Bpulse, Bweight, Bcomm, Dpressure, Instype, Insamt, Site, SPO2, Temp";

// The raw side of a step back: up to `back` rows passing `test` before the
// key (at or before it with `inclusive`; from the end when `date` is empty),
// newest first, then `group` rows forward from the oldest of them, or from the
// first passing row when fewer were found.
void RawStepBack(const std::string& file, const std::string& test, const std::string& date, const std::string& time,
    bool inclusive, int back, int group);

// The scan floor of a sparse walk: one pass over the table with the rows
// passing `test` (and, with `date`, keyed `bound` the date and time) sorted
// by SQLite in `order`, up to `limit` rows read as RawWalk reads them; its
// wall-clock seconds.
double ScanFloor(const std::string& file, const std::string& test, const std::string& bound, const std::string& order,
    const std::string& date, const std::string& time, int limit);

// The figures of a timed click over `n` iterations, beside its baselines
// (seconds summed): the program's mean, the raw statements' mean and their
// ratio, the share of the 150 ms a click may take, and with `scan` also the
// scan floor's mean and the ratio to it (under 2 where the walk is sparse).
void ReportClick(benchmark::State& state, double engine, double raw, long n, double scan = -1);

// Wall-clock seconds that `f` takes.
template<class F> double Seconds(F&& f);

// Next from a full group ending at readings spread over a table of `rows`,
// into whatever follows: the chart window's hidden boxes hold a full group's
// end, as a full group leaves them, so every click is timed at every
// density; beside it the raw statement and the scan floor finding the same
// `group` rows passing `test`.
template<class Chart>
void TimeNextGroups(
    benchmark::State& state, Chart& w, const std::string& file, const std::string& test, long rows, int group);

template<class F> double Seconds(F&& f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

template<class Chart>
void TimeNextGroups(
    benchmark::State& state, Chart& w, const std::string& file, const std::string& test, long rows, int group)
{
    double engine = 0, raw = 0, scan = 0;
    long n = 0;
    for (auto _ : state) {
        const long at = (n * 7919 + 1) % (rows - 1);
        const std::string date = DateOf(at), time = TimeOf(at);
        w.Bdate.SetText(QString::fromStdString(date));
        w.Btime.SetText(QString::fromStdString(time));
        w.LineCount.SetText(QString::number(group));
        const double t = Seconds([&] {
            w.NextGroup.Press();
            w.MSChart1.repaint();
        });
        state.SetIterationTime(t);
        raw += Seconds([&] {
            RawWalk(file,
                "SELECT " + RawColumns + " FROM BLOOD WHERE (Bdate, Btime) > (?, ?) AND " + test
                    + " ORDER BY Bdate, Btime, rowid",
                { date, time }, group);
        });
        scan += ScanFloor(file, test, ">", "Bdate, Btime, rowid", date, time, group);
        engine += t;
        ++n;
    }
    ReportClick(state, engine, raw, n, scan);
}

} // namespace benchsupport
