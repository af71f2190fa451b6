// Backup and restore speed: each of a database of a million readings against
// a plain copy of the same file that is flushed to disk (as a copy must be
// before success is reported), timed in turn in the same iterations, with the
// ratio printed beside each figure. The proof that the finished copy is
// readable (SQLite's quick check) is part of each step; its own time on the
// copy is printed beside, with its share of the step.
#include "bench_support.h"

#include "maintenance/backupconfig.h"
#include "maintenance/backupset.h"

#include "platform/dao/dao.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace {

using benchsupport::Seconds;

// A program folder holding a copy of the million-reading database, with
// BACKUP.CFG naming a backup folder beside it.
struct Folders {
    QTemporaryDir program;
    QTemporaryDir backup;
    std::string source;
    Folders()
    {
        const std::string db = benchsupport::ReadingsDatabase();
        source = QDir(program.path()).filePath("BENCH_SET.mdb").toStdString();
        std::filesystem::copy_file(db, source, std::filesystem::copy_options::overwrite_existing);
        QDir::setCurrent(program.path());
        tellora::SaveBackupPath(backup.path());
    }
};

Folders& folders()
{
    static Folders f;
    return f;
}

// The baseline: a plain copy of the file to a new name beside the backup's,
// flushed to disk.
void plainCopyFlushed(const std::string& from, const std::string& to)
{
    std::filesystem::remove(to);
    std::filesystem::copy_file(from, to);
    const int fd = ::open(to.c_str(), O_RDONLY);
    ::fsync(fd);
    ::close(fd);
}

void report(benchmark::State& state, double command, double plain, double check, long n)
{
    state.counters["plain_flushed_ms"] = n ? plain * 1000 / double(n) : 0;
    state.counters["ratio"] = plain > 0 ? command / plain : 0;
    state.counters["check_ms"] = n ? check * 1000 / double(n) : 0;
    state.counters["check_share"] = command > 0 ? check / command : 0;
    state.counters["MiB"] = double(std::filesystem::file_size(folders().source)) / (1024.0 * 1024.0);
}

void BackupOfAMillionReadings(benchmark::State& state)
{
    Folders& f = folders();
    const std::string plain = QDir(f.backup.path()).filePath("plain.mdb").toStdString();
    const std::string copy = QDir(f.backup.path()).filePath("BENCH_SET.mdb").toStdString();
    double command = 0, baseline = 0, check = 0;
    long n = 0;
    for (auto _ : state) {
        tellora::SetCopy r;
        const double t = Seconds([&] { r = tellora::BackupSet("BENCH_SET.mdb", "BENCH_SET"); });
        if (r.outcome != tellora::SetCopy::Outcome::Done) state.SkipWithError(r.error.toStdString().c_str());
        state.SetIterationTime(t);
        command += t;
        check += Seconds([&] { dao::CheckCopy(copy); });
        baseline += Seconds([&] { plainCopyFlushed(f.source, plain); });
        ++n;
    }
    report(state, command, baseline, check, n);
}

void RestoreOfAMillionReadings(benchmark::State& state)
{
    Folders& f = folders();
    if (tellora::BackupSet("BENCH_SET.mdb", "BENCH_SET").outcome != tellora::SetCopy::Outcome::Done) {
        state.SkipWithError("no backup copy to restore");
        return;
    }
    const std::string copy = QDir(f.backup.path()).filePath("BENCH_SET.mdb").toStdString();
    const std::string plain = QDir(f.program.path()).filePath("plain.mdb").toStdString();
    double command = 0, baseline = 0, check = 0;
    long n = 0;
    for (auto _ : state) {
        tellora::SetCopy r;
        const double t = Seconds([&] { r = tellora::RestoreSet("BENCH_SET.mdb"); });
        if (r.outcome != tellora::SetCopy::Outcome::Done) state.SkipWithError(r.error.toStdString().c_str());
        state.SetIterationTime(t);
        command += t;
        check += Seconds([&] { dao::CheckCopy(f.source); });
        baseline += Seconds([&] { plainCopyFlushed(copy, plain); });
        ++n;
    }
    report(state, command, baseline, check, n);
}

} // namespace

BENCHMARK(BackupOfAMillionReadings)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(RestoreOfAMillionReadings)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK_MAIN();
