// The weight, temperature and SpO2 chart windows over a million readings:
// opening and paging where every reading is chartable, and the temperature
// and SpO2 windows where those measures are rare (1 reading in 1,000, 1 in
// 100,000, none at all), as in a log that notes them only during an illness.
// A raw SQLite statement that finds the same rows runs beside each sparse case.
#include "bench_support.h"

#include "charts/register.h"
#include "charts/window/chart_window.h"
#include "shell/creation.h"
#include "shell/displayrecord.h"
#include "shell/selectdbase.h"
#include "shell/shell.h"

#include "platform/dao/dao.h"
#include "platform/forms/desktop.h"
#include "platform/forms/registry.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <SQLiteCpp/SQLiteCpp.h>

#include <benchmark/benchmark.h>

#include <filesystem>

using namespace benchsupport;
using forms::Forms;

namespace {

const long kRows = 1000000;

// Readings with weight and pulse always taken and temperature and SpO2 taken
// in one reading of every `every` (never when `every` is 0).
std::string MeasuresDatabase(long every)
{
    const std::string name = QDir::tempPath().toStdString() + "/tellora-bench-measures-" + std::to_string(kRows) + "-"
        + std::to_string(every) + ".mdb";
    if (std::filesystem::exists(name)) return name;
    const std::string part = name + ".part";
    std::filesystem::remove(part);
    tellora::CreateReadingsDatabase(QString::fromStdString(part));
    {
        SQLite::Database db(part, SQLite::OPEN_READWRITE);
        db.exec("PRAGMA synchronous=OFF");
        SQLite::Transaction tx(db);
        SQLite::Statement ins(db, "INSERT INTO BLOOD VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)");
        for (long i = 0; i < kRows; ++i) {
            // Spread through the table, the middle reading's group included.
            const bool taken = every > 0 && (i + every / 2) % every == 0;
            ins.bind(1, DateOf(i));
            ins.bind(2, TimeOf(i));
            ins.bind(3, std::to_string(80 + i % 120));
            ins.bind(4, std::to_string(110 + i % 40));
            ins.bind(5, std::to_string(60 + i % 30));
            ins.bind(6, std::to_string(150 + i % 20) + ".5");
            ins.bind(7, "-");
            ins.bind(8, std::to_string(70 + i % 20));
            ins.bind(9, "-");
            ins.bind(10, "-");
            ins.bind(11, "-");
            ins.bind(12, taken ? std::to_string(90 + i % 10) : "-");
            ins.bind(13, taken ? "98.6" : "-");
            ins.exec();
            ins.reset();
        }
        tx.commit();
    }
    std::filesystem::rename(part, name);
    return name;
}

const long kDensities[] = { 1, 1000, 100000, 0 };

void Flush()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString FileOf(long every)
{
    return "MEASURES_" + QString::number(every) + ".mdb";
}

// A program folder holding a database of each density; one at a time open
// in DisplayRecord.
struct Program {
    QTemporaryDir dir;
    forms::RecordingDesktop desk;
    long every = -1;

    Program()
    {
        for (long d : kDensities)
            QFile::link(QString::fromStdString(MeasuresDatabase(d)), dir.filePath(FileOf(d)));
        QDir::setCurrent(dir.path());
        desk.folder = dir.path();
        tellora::RegisterShellWindows();
        tellora::RegisterChartWindows();
        tellora::StartProgram();
    }
    void Use(long density)
    {
        if (density == every) return;
        // Closing the database unloads the chooser too; it lists the folder again.
        Forms::Unload("DisplayRecord");
        Flush();
        auto* select = dynamic_cast<tellora::SelectDbase*>(Forms::Load("SelectDbase"));
        select->File1.SelectFile(FileOf(density));
        select->File1.DblClick();
        every = density;
    }
    // Makes reading i the current one.
    void Show(long i)
    {
        auto db
            = dao::DefaultWorkspace().OpenDatabase(Forms::Find<tellora::SelectDbase>()->File1.FileName().toStdString());
        auto rs = db->OpenRecordset("BLOOD");
        rs->SetIndex("Readings");
        rs->Seek("=", { DateOf(i), TimeOf(i) });
        Forms::Find<tellora::DisplayRecord>()->ShowRecord(*rs);
    }
};

Program& program()
{
    static Program p;
    return p;
}

tellora::ChartWindow* Open(const char* window)
{
    auto* w = dynamic_cast<tellora::ChartWindow*>(Forms::Load(window));
    w->repaint();
    return w;
}

void Close(tellora::ChartWindow* w)
{
    w->Unload();
    Flush();
}

const char* const kWindows[] = { "WtbyDate", "WtbyDateLine", "WtPulbyDate", "WtPulbyDateTime", "TempbyDateTime",
    "TempPulbyDateTime", "Spo2byDateTime", "Spo2PulbyDateTime", "Spo2PulTempDateTime", "Spo2PulTempDateTimeLine" };
const char* const kSparseWindows[] = { "TempbyDateTime", "Spo2byDateTime", "Spo2PulTempDateTime" };

// Every reading chartable: the first group from the middle of the table.
void OpenEveryReadingChartable(benchmark::State& state, const char* window)
{
    program().Use(1);
    program().Show(kRows / 2);
    for (auto _ : state) {
        auto* w = Open(window);
        if (w->LineCount.Text() != "31") state.SkipWithError("the first group is not full");
        state.PauseTiming();
        Close(w);
        state.ResumeTiming();
    }
}

void NextOrPreviousEveryReadingChartable(benchmark::State& state, const char* window)
{
    program().Use(1);
    program().Show(kRows / 2);
    auto* w = Open(window);
    bool forward = true;
    for (auto _ : state) {
        (forward ? w->NextGroup : w->Previous).Press();
        w->MSChart1.repaint();
        forward = !forward;
    }
    if (w->LineCount.Text() != "31") state.SkipWithError("a group is not full");
    Close(w);
}

// Sparse data: opening from the middle of the table, Next from a full
// group where one exists, Previous from the group the opening drew.
void Sparse(benchmark::State& state, const char* window, long every)
{
    program().Use(every);
    for (auto _ : state) {
        state.PauseTiming();
        program().Show(kRows / 2);
        state.ResumeTiming();
        auto* w = Open(window);
        state.PauseTiming();
        state.counters["charted"] = w->LineCount.Text().toDouble();
        Close(w);
        state.ResumeTiming();
    }
}

void SparseNext(benchmark::State& state, const char* window, long every)
{
    program().Use(every);
    // From the first reading, so a full group is on screen when the data allow.
    program().Show(0);
    for (auto _ : state) {
        state.PauseTiming();
        auto* w = Open(window);
        state.ResumeTiming();
        w->NextGroup.Press();
        w->MSChart1.repaint();
        state.PauseTiming();
        state.counters["charted"] = w->LineCount.Text().toDouble();
        Close(w);
        state.ResumeTiming();
    }
}

void SparsePrevious(benchmark::State& state, const char* window, long every)
{
    program().Use(every);
    program().Show(kRows / 2);
    for (auto _ : state) {
        state.PauseTiming();
        auto* w = Open(window);
        state.ResumeTiming();
        w->Previous.Press();
        w->MSChart1.repaint();
        state.PauseTiming();
        state.counters["charted"] = w->LineCount.Text().toDouble();
        Close(w);
        state.ResumeTiming();
    }
}

// The raw baseline: one SQLite statement stepping from the middle reading
// to the 31st reading that holds the measure, or to the end of the table.
void RawForward(benchmark::State& state, long every)
{
    SQLite::Database db(MeasuresDatabase(every), SQLite::OPEN_READONLY);
    for (auto _ : state) {
        SQLite::Statement q(db,
            "SELECT Bdate, Btime, Temp, Bpulse FROM BLOOD WHERE (Bdate, Btime) >= (?, ?) "
            "ORDER BY Bdate, Btime");
        q.bind(1, DateOf(kRows / 2));
        q.bind(2, TimeOf(kRows / 2));
        int found = 0;
        while (found < 31 && q.executeStep())
            if (!q.getColumn(2).isNull() && q.getColumn(2).getString() != "-") ++found;
        benchmark::DoNotOptimize(found);
        state.counters["charted"] = found;
    }
}

// And backward: from the middle reading back over 61 readings that hold
// the measure, or to the start of the table.
void RawBackward(benchmark::State& state, long every)
{
    SQLite::Database db(MeasuresDatabase(every), SQLite::OPEN_READONLY);
    for (auto _ : state) {
        SQLite::Statement q(db,
            "SELECT Bdate, Btime, Temp, Bpulse FROM BLOOD WHERE (Bdate, Btime) <= (?, ?) "
            "ORDER BY Bdate DESC, Btime DESC");
        q.bind(1, DateOf(kRows / 2));
        q.bind(2, TimeOf(kRows / 2));
        int found = 0;
        while (found < 61 && q.executeStep())
            if (!q.getColumn(2).isNull() && q.getColumn(2).getString() != "-") ++found;
        benchmark::DoNotOptimize(found);
        state.counters["passed"] = found;
    }
}

void RegisterAll()
{
    for (const char* w : kWindows) {
        benchmark::RegisterBenchmark((std::string("Open/") + w).c_str(), OpenEveryReadingChartable, w)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(
            (std::string("NextOrPrevious/") + w).c_str(), NextOrPreviousEveryReadingChartable, w)
            ->Unit(benchmark::kMillisecond);
    }
    for (long every : kDensities) {
        const std::string density = every ? "1in" + std::to_string(every) : "none";
        benchmark::RegisterBenchmark(("SparseRawForward/" + density).c_str(), RawForward, every)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("SparseRawBackward/" + density).c_str(), RawBackward, every)
            ->Unit(benchmark::kMillisecond);
        for (const char* w : kSparseWindows) {
            // Where the measure is rarest one click walks most of the table:
            // a couple of runs say enough.
            const int runs = every == 0 || every >= 100000 ? 2 : 0;
            auto* open = benchmark::RegisterBenchmark(("SparseOpen/" + density + "/" + w).c_str(), Sparse, w, every)
                             ->Unit(benchmark::kMillisecond);
            auto* previous = benchmark::RegisterBenchmark(
                ("SparsePrevious/" + density + "/" + w).c_str(), SparsePrevious, w, every)
                                 ->Unit(benchmark::kMillisecond);
            if (runs) {
                open->Iterations(runs);
                previous->Iterations(runs);
            } else {
                // Next pages only from a full group, which rarer data never fill.
                benchmark::RegisterBenchmark(("SparseNext/" + density + "/" + w).c_str(), SparseNext, w, every)
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Forms::Reset();
    return 0;
}
