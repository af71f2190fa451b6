// The engine against raw SQLite prepared statements on the same file.
#include "bench_support.h"

#include "platform/dao/dao.h"
#include "shell/creation.h"
#include "shell/reading.h"

#include <SQLiteCpp/SQLiteCpp.h>
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

using namespace benchsupport;

namespace {

const long kRows = 1000000;

// The engine's equality seek with the reading's thirteen fields read, and
// beside it, in the same iteration, the raw statement doing the same on a
// connection opened as the engine opens its own (read-write, busy timeout,
// rollback journal, full sync): the two alternate, so both see the same
// cache and the same machine load.
void SeekEqual(benchmark::State& state)
{
    const std::string file = ReadingsDatabase(kRows);
    auto db = dao::DefaultWorkspace().OpenDatabase(file);
    auto rs = db->OpenRecordset("BLOOD");
    rs->SetIndex("Readings");
    SQLite::Database raw(file, SQLite::OPEN_READWRITE, 2000);
    raw.exec("PRAGMA journal_mode=DELETE");
    raw.exec("PRAGMA synchronous=FULL");
    SQLite::Statement st(raw,
        "SELECT rowid, Bdate, Btime, Bsugar, Bpressure, Bpulse, Bweight, Bcomm, Dpressure, Instype, Insamt, Site, "
        "SPO2, Temp FROM BLOOD WHERE Bdate = ? AND Btime = ? ORDER BY Bdate, Btime, rowid LIMIT 1");
    std::mt19937 rng(1);
    double engine = 0, rawTime = 0;
    long n = 0;
    for (auto _ : state) {
        const long i = long(rng() % kRows);
        const std::string date = DateOf(i), time = TimeOf(i);
        const double t = Seconds([&] {
            rs->Seek("=", { date, time });
            for (const auto& f : tellora::ReadingFields)
                benchmark::DoNotOptimize(rs->GetValue(f.name));
        });
        state.SetIterationTime(t);
        rawTime += Seconds([&] {
            st.bind(1, date);
            st.bind(2, time);
            if (st.executeStep())
                for (int c = 1; c <= 13; ++c)
                    benchmark::DoNotOptimize(st.getColumn(c).getString());
            st.reset();
        });
        engine += t;
        ++n;
    }
    state.counters["raw_us"] = rawTime * 1e6 / double(n);
    state.counters["ratio"] = engine / rawTime;
}
BENCHMARK(SeekEqual)->UseManualTime()->Unit(benchmark::kMicrosecond);

void DaoMoveNext(benchmark::State& state)
{
    auto db = dao::DefaultWorkspace().OpenDatabase(ReadingsDatabase(kRows));
    auto rs = db->OpenRecordset("BLOOD");
    rs->SetIndex("Readings");
    rs->Seek(">=", { DateOf(kRows / 2) });
    for (auto _ : state) {
        rs->MoveNext();
        if (rs->EOF_()) rs->MoveFirst();
    }
}
BENCHMARK(DaoMoveNext);

void DaoMovePrevious(benchmark::State& state)
{
    auto db = dao::DefaultWorkspace().OpenDatabase(ReadingsDatabase(kRows));
    auto rs = db->OpenRecordset("BLOOD");
    rs->SetIndex("Readings");
    rs->Seek(">=", { DateOf(kRows / 2) });
    for (auto _ : state) {
        rs->MovePrevious();
        if (rs->BOF()) rs->MoveLast();
    }
}
BENCHMARK(DaoMovePrevious);

// The same keyed step, by hand: one prepared statement, rebound each move.
void RawMoveNext(benchmark::State& state)
{
    SQLite::Database db(ReadingsDatabase(kRows));
    SQLite::Statement st(db,
        "SELECT rowid, * FROM BLOOD WHERE (Bdate, Btime, rowid) > (?, ?, ?) "
        "ORDER BY Bdate, Btime, rowid LIMIT 1");
    std::string d = DateOf(kRows / 2), t = TimeOf(kRows / 2);
    int64_t rowid = 0;
    for (auto _ : state) {
        st.bind(1, d);
        st.bind(2, t);
        st.bind(3, rowid);
        if (st.executeStep()) {
            rowid = st.getColumn(0).getInt64();
            std::vector<std::string> row;
            for (int c = 1; c <= 13; ++c)
                row.push_back(st.getColumn(c).getString());
            d = row[0];
            t = row[1];
        } else {
            d.clear();
            t.clear();
            rowid = 0;
        }
        st.reset();
    }
}
BENCHMARK(RawMoveNext);

void OpenMoveLastReadAll(benchmark::State& state)
{
    const std::string name = ReadingsDatabase(kRows);
    for (auto _ : state) {
        auto db = dao::DefaultWorkspace().OpenDatabase(name);
        auto rs = db->OpenRecordset("BLOOD");
        rs->SetIndex("Readings");
        rs->MoveLast();
        benchmark::DoNotOptimize(tellora::Reading::From(*rs));
        rs->Close();
        db->Close();
    }
}
BENCHMARK(OpenMoveLastReadAll)->Unit(benchmark::kMillisecond);

void AppendDurable(benchmark::State& state)
{
    const std::string copy = ReadingsDatabase(kRows) + ".append";
    std::filesystem::copy_file(ReadingsDatabase(kRows), copy, std::filesystem::copy_options::overwrite_existing);
    auto db = dao::DefaultWorkspace().OpenDatabase(copy);
    auto rs = db->OpenRecordset("BLOOD");
    rs->SetIndex("Readings");
    long i = kRows;
    for (auto _ : state) {
        rs->AddNew();
        tellora::Reading::NothingTaken(DateOf(i), TimeOf(i)).WriteTo(*rs);
        rs->Update(); // autocommit, synchronous=FULL
        ++i;
    }
    rs->Close();
    db->Close();
    std::filesystem::remove(copy);
}
BENCHMARK(AppendDurable)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    ReadingsDatabase(kRows); // build the fixture outside any timing
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("Peak memory: %.1f MiB\n", PeakMemoryMiB());
    return 0;
}
