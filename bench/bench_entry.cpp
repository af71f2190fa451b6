// The entry windows on a copy of a million-reading database, driven through
// their buttons: Save with its duplicate check, search, delete-before of
// 100,000 readings, and loading a pick-list editor holding 250 entries.
#include "bench_support.h"

#include "entry/addrds.h"
#include "entry/deletebydate.h"
#include "entry/picklist.h"
#include "entry/picklisteditor.h"
#include "entry/searchrds.h"
#include "shell/displayrecord.h"
#include "shell/format.h"
#include "shell/selectdbase.h"
#include "shell/shell.h"
#include "wiring.h"

#include "platform/forms/desktop.h"
#include "platform/forms/registry.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <SQLiteCpp/SQLiteCpp.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace benchsupport;
using forms::Forms;

namespace {

const long kRows = 1000000;
const QString kBase = QStringLiteral("BENCH_USER");
const QString kFile = kBase + ".mdb";

double ProbePeakMiB();

// A program folder holding a copy of the big database, opened in DisplayRecord.
class Session {
public:
    Session()
    {
        QDir::setCurrent(dir_.path());
        desk_ = std::make_unique<forms::RecordingDesktop>();
        Copy();
        tellora::RegisterShellWindows();
        tellora::RegisterAllWindows();
        tellora::StartProgram();
        Reopen();
    }
    void Reopen()
    {
        auto* select = Forms::Load<tellora::SelectDbase>();
        select->File1.Refresh();
        select->File1.SelectFile(kFile);
        select->File1.DblClick();
    }
    ~Session()
    {
        Forms::Reset();
        desk_.reset();
    }
    void Copy()
    {
        std::filesystem::copy_file(ReadingsDatabase(kRows), (dir_.path() + "/" + kFile).toStdString(),
            std::filesystem::copy_options::overwrite_existing);
    }
    tellora::DisplayRecord* Record() { return Forms::Find<tellora::DisplayRecord>(); }

private:
    QTemporaryDir dir_;
    std::unique_ptr<forms::RecordingDesktop> desk_;
};

// Runs this program as the delete probe and returns the probe's peak resident memory.
double ProbePeakMiB()
{
    char exe[4096];
    const ssize_t len = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (len <= 0) return 0;
    exe[len] = 0;
    // The probe tells its own peak: the kernel's figure for a spawned child
    // starts from this process's peak, which holds the benchmarks' copies.
    std::FILE* probe = popen((std::string("'") + exe + "' --probe=delete").c_str(), "r");
    if (!probe) return 0;
    double peak = 0;
    const int got = std::fscanf(probe, "%lf", &peak);
    return pclose(probe) == 0 && got == 1 ? peak : 0;
}

void AddRdsSave(benchmark::State& state)
{
    Session s;
    const QStringList times = tellora::QuarterHourTimes();
    long i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto* w = dynamic_cast<tellora::AddRds*>(Forms::Load("AddRds"));
        // Keys after the generated readings, so every save is a new one.
        w->Bdate.SetText(QDate(2090, 1, 1).addDays(i / 96).toString("yyyy-MM-dd"));
        w->Btime.SetText(times[int(i % 96)]);
        ++i;
        state.ResumeTiming();
        w->SaveRd.Press();
        state.PauseTiming();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(AddRdsSave)->Unit(benchmark::kMillisecond);

void SearchRdsToShown(benchmark::State& state)
{
    Session s;
    long i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto* w = dynamic_cast<tellora::SearchRds*>(Forms::Load("SearchRds"));
        w->Bdate.SetText(QString::fromStdString(DateOf((i++ * 7919) % kRows)));
        state.ResumeTiming();
        w->Search.Press();
        state.PauseTiming();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(SearchRdsToShown)->Unit(benchmark::kMillisecond);

void DeleteByDate100k(benchmark::State& state)
{
    Session s;
    for (auto _ : state) {
        state.PauseTiming();
        s.Copy();
        auto* w = dynamic_cast<tellora::DeleteByDate*>(Forms::Load("DeleteByDate"));
        w->Bdate.SetText(QString::fromStdString(DateOf(100000)));
        state.ResumeTiming();
        w->Delete.Press();
        state.PauseTiming();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(DeleteByDate100k)->Unit(benchmark::kMillisecond)->Iterations(3);

// Deleting every one of the million readings before a date after the newest,
// through the window, beside the raw DELETE of the same rows in one
// transaction on a connection opened as the engine opens its own; each on a
// fresh copy, the two alternating.
void DeleteByDateAll(benchmark::State& state)
{
    Session s;
    const std::string limit = DateOf(kRows + 96);
    const std::string file = (QDir::currentPath() + "/" + kFile).toStdString();
    double engine = 0, raw = 0;
    long n = 0;
    for (auto _ : state) {
        s.Copy();
        s.Record()->LastRecord.Press();
        auto* w = dynamic_cast<tellora::DeleteByDate*>(Forms::Load("DeleteByDate"));
        w->Bdate.SetText(QString::fromStdString(limit));
        const double t = Seconds([&] { w->Delete.Press(); });
        state.SetIterationTime(t);
        QApplication::processEvents();
        if (!s.Record()->Btime.Text().isEmpty()) state.SkipWithError("readings remain");
        s.Copy();
        raw += Seconds([&] {
            SQLite::Database db(file, SQLite::OPEN_READWRITE, 2000);
            db.exec("PRAGMA journal_mode=DELETE");
            db.exec("PRAGMA synchronous=FULL");
            SQLite::Transaction tx(db);
            SQLite::Statement del(db, "DELETE FROM BLOOD WHERE Bdate < ?");
            del.bind(1, limit);
            del.exec();
            tx.commit();
        });
        engine += t;
        ++n;
        // Showing a reading again, for the next round.
        s.Record()->Command1.Press();
        QApplication::processEvents();
        s.Reopen();
    }
    state.counters["raw_ms"] = raw * 1000 / double(n);
    state.counters["ratio"] = engine / raw;
    // The whole program's peak memory while it deletes, in a process of its own.
    state.counters["program_peak_MiB"] = ProbePeakMiB();
}
BENCHMARK(DeleteByDateAll)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

void PickListEditorLoad250(benchmark::State& state)
{
    Session s;
    s.Record()->DatabaseName.SetText(kBase);
    const QString file = tellora::StoreFileName(tellora::InsulinNames, kBase);
    tellora::CreateStore(tellora::InsulinNames, file);
    for (int k = 0; k < tellora::PickListLimit; ++k)
        tellora::AddEntry(tellora::InsulinNames, file, QStringLiteral("Insulin %1").arg(k, 3, 10, QLatin1Char('0')));
    for (auto _ : state) {
        Forms::Load("AddNames");
        state.PauseTiming();
        Forms::Unload("AddNames");
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(PickListEditorLoad250)->Unit(benchmark::kMillisecond);

// The program in a process of its own: opens a copy of the million readings
// and deletes them all through the window, then ends.
int DeleteProbe(int argc, char** argv)
{
    QApplication app(argc, argv);
    Session s;
    s.Record()->LastRecord.Press();
    auto* w = dynamic_cast<tellora::DeleteByDate*>(Forms::Load("DeleteByDate"));
    w->Bdate.SetText(QString::fromStdString(DateOf(kRows + 96)));
    w->Delete.Press();
    // The peak of this program image alone (the rusage figure would carry
    // the spawning process's).
    std::ifstream status("/proc/self/status");
    std::string line;
    double peak = 0;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) peak = std::stod(line.substr(6)) / 1024.0;
    std::printf("%.1f\n", peak);
    std::fflush(nullptr);
    _exit(s.Record()->Btime.Text().isEmpty() && peak > 0 ? 0 : 1);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--probe=delete") == 0) return DeleteProbe(argc, argv);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
