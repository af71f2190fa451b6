// Backup speed: the backup of a database of a million readings against a
// plain copy of the same file (std::filesystem::copy_file) in the same run,
// and against that copy flushed to disk, as the backup's copy is before it
// reports success.
#include "bench_support.h"

#include "maintenance/backupconfig.h"
#include "maintenance/backupset.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace {

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

void BackupOfAMillionReadings(benchmark::State& state)
{
    Folders& f = folders();
    for (auto _ : state) {
        const tellora::SetCopy r = tellora::BackupSet("BENCH_SET.mdb", "BENCH_SET");
        if (r.outcome != tellora::SetCopy::Outcome::Done) state.SkipWithError(r.error.toStdString().c_str());
    }
    state.counters["MiB"] = double(std::filesystem::file_size(f.source)) / (1024.0 * 1024.0);
}

void PlainCopyOfTheSameFile(benchmark::State& state)
{
    Folders& f = folders();
    const std::string target = QDir(f.backup.path()).filePath("plain.mdb").toStdString();
    for (auto _ : state)
        std::filesystem::copy_file(f.source, target, std::filesystem::copy_options::overwrite_existing);
}

// The same plain copy, then flushed to disk as the backup's copy is.
void PlainCopyFlushedToDisk(benchmark::State& state)
{
    Folders& f = folders();
    const std::string target = QDir(f.backup.path()).filePath("plain.mdb").toStdString();
    for (auto _ : state) {
        std::filesystem::copy_file(f.source, target, std::filesystem::copy_options::overwrite_existing);
        const int fd = ::open(target.c_str(), O_RDONLY);
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

BENCHMARK(PlainCopyFlushedToDisk)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(PlainCopyOfTheSameFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BackupOfAMillionReadings)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK_MAIN();
