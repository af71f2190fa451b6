// Compaction of a million readings against SQLite's own VACUUM INTO of the
// same file in the same run, and the conversion of 100,000 readings.
#include "bench_support.h"

#include "maintenance/compaction.h"
#include "maintenance/conversion.h"

#include "platform/dao/dao.h"

#include <QDir>
#include <QTemporaryDir>
#include <SQLiteCpp/SQLiteCpp.h>
#include <benchmark/benchmark.h>

#include <filesystem>

using namespace benchsupport;
namespace fs = std::filesystem;

namespace {

// A private program folder, made current, holding a copy of the fixture.
struct Folder {
    QTemporaryDir dir;
    QString previous = QDir::currentPath();
    Folder() { QDir::setCurrent(dir.path()); }
    ~Folder() { QDir::setCurrent(previous); }
};

void CompactMillion(benchmark::State& state)
{
    Folder folder;
    fs::copy_file(ReadingsDatabase(1000000), "ANN_LEE.mdb");
    for (auto _ : state) {
        const auto failure = tellora::CompactReadingsDatabase("ANN_LEE.mdb");
        if (failure) state.SkipWithError(failure->toStdString().c_str());
    }
    state.counters["MiB"] = double(fs::file_size("ANN_LEE.mdb")) / (1 << 20);
}
BENCHMARK(CompactMillion)->Unit(benchmark::kMillisecond)->Iterations(3);

// The baseline: SQLite's VACUUM INTO of the same file into a new one.
void RawVacuumIntoMillion(benchmark::State& state)
{
    Folder folder;
    fs::copy_file(ReadingsDatabase(1000000), "ANN_LEE.mdb");
    for (auto _ : state) {
        {
            SQLite::Database db("ANN_LEE.mdb", SQLite::OPEN_READWRITE);
            db.exec("PRAGMA synchronous=FULL");
            db.exec("VACUUM INTO 'copy.mdb'");
        }
        state.PauseTiming();
        fs::remove("copy.mdb");
        state.ResumeTiming();
    }
}
BENCHMARK(RawVacuumIntoMillion)->Unit(benchmark::kMillisecond)->Iterations(3);

// A 3.50 database of 100,000 readings converted to the current layout, the
// progress reported as the window's bar would take it.
void ConvertHundredThousand(benchmark::State& state)
{
    Folder folder;
    // The 3.50 layout: the current one less SPO2 and Temp.
    tellora::MakeScratchDatabase(tellora::ToLayout350);
    {
        SQLite::Database db(tellora::ConversionScratch, SQLite::OPEN_READWRITE);
        db.exec("ATTACH '" + ReadingsDatabase(100000) + "' AS src");
        db.exec("INSERT INTO BLOOD SELECT Bdate, Btime, Bsugar, Bpressure, Bpulse, Bweight, Bcomm, Dpressure, "
                "Instype, Insamt, Site FROM src.BLOOD");
    }
    const std::string source = "source350.mdb";
    fs::rename(tellora::ConversionScratch, source);
    long advances = 0;
    tellora::ConversionProgress progress;
    progress.start = [](long) {};
    progress.advance = [&](long) { ++advances; };
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove("ANN_LEE.mdb");
        fs::copy_file(source, "ANN_LEE.mdb");
        advances = 0;
        state.ResumeTiming();
        const auto result = tellora::ConvertDatabase(tellora::ToCurrentLayout, "ANN_LEE.mdb", progress);
        if (result.end != tellora::ConversionEnd::Converted) state.SkipWithError(result.message.toStdString().c_str());
    }
    state.counters["progress_steps"] = double(advances);
    state.counters["peak_MiB"] = PeakMemoryMiB();
}
BENCHMARK(ConvertHundredThousand)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
