// The weight, temperature and SpO2 chart windows over a million readings:
// opening and paging where every reading is chartable, and the temperature
// and SpO2 windows where those measures are rare (1 reading in 1,000, 1 in
// 100,000, none at all), as in a log that notes them only during an illness.
// Beside each sparse click, in the same iteration, the raw SQLite statements
// that find the same readings and the sorted scan of the table for them.
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

// The windows over the rare measures, each with its chartable test as the
// program hands it to SQLite.
struct SparseWindow {
    const char* name;
    const char* test;
};
const SparseWindow kSparseWindows[] = {
    { "TempbyDateTime", "(Temp <> '-' COLLATE BINARY)" },
    { "Spo2byDateTime", "(SPO2 <> '-' COLLATE BINARY)" },
    { "Spo2PulTempDateTime",
        "((SPO2 <> '-' COLLATE BINARY) AND (Bpulse <> '-' COLLATE BINARY) AND (Temp <> '-' COLLATE BINARY))" },
};

// Fixed, so that the untimed reopening between timed clicks stays bounded.
const int kIterations = 12;

// Dense data: every click's target is 2 ms.
void ReportDense(benchmark::State& state, double engine, long n)
{
    state.counters["engine_ms"] = n ? engine * 1000 / double(n) : 0;
    state.counters["of_2ms"] = n ? engine * 1000 / double(n) / 2 : 0;
}

// Every reading chartable: the first group from the middle of the table.
void OpenEveryReadingChartable(benchmark::State& state, const char* window)
{
    program().Use(1);
    program().Show(kRows / 2);
    double engine = 0;
    long n = 0;
    for (auto _ : state) {
        tellora::ChartWindow* w = nullptr;
        const double t = Seconds([&] { w = Open(window); });
        state.SetIterationTime(t);
        if (w->LineCount.Text() != "31") state.SkipWithError("the first group is not full");
        Close(w);
        engine += t;
        ++n;
    }
    ReportDense(state, engine, n);
}

void NextOrPreviousEveryReadingChartable(benchmark::State& state, const char* window)
{
    program().Use(1);
    program().Show(kRows / 2);
    auto* w = Open(window);
    bool forward = true;
    double engine = 0;
    long n = 0;
    for (auto _ : state) {
        const double t = Seconds([&] {
            (forward ? w->NextGroup : w->Previous).Press();
            w->MSChart1.repaint();
        });
        state.SetIterationTime(t);
        forward = !forward;
        engine += t;
        ++n;
    }
    if (w->LineCount.Text() != "31") state.SkipWithError("a group is not full");
    Close(w);
    ReportDense(state, engine, n);
}

// Sparse data: opening from the middle of the table, beside one statement
// that finds the same readings.
void SparseOpen(benchmark::State& state, SparseWindow window, long every)
{
    program().Use(every);
    program().Show(kRows / 2);
    const std::string file = MeasuresDatabase(every), date = DateOf(kRows / 2), time = TimeOf(kRows / 2);
    // The first opening of a window in a run sets up its fonts and styles
    // once: not a click's cost, and one in twelve would skew the mean.
    Close(Open(window.name));
    double engine = 0, raw = 0, scan = 0;
    long n = 0;
    for (auto _ : state) {
        tellora::ChartWindow* w = nullptr;
        const double t = Seconds([&] { w = Open(window.name); });
        state.SetIterationTime(t);
        state.counters["charted"] = w->LineCount.Text().toDouble();
        Close(w);
        raw += Seconds([&] {
            RawWalk(file,
                "SELECT " + RawColumns + " FROM BLOOD WHERE (Bdate, Btime) >= (?, ?) AND " + window.test
                    + " ORDER BY Bdate, Btime, rowid",
                { date, time }, tellora::ChartGroupSize);
        });
        // The floor where the walk is sparse: read between dense clicks, its
        // hundred megabytes would leave each click to start on cold caches.
        if (every != 1)
            scan += ScanFloor(file, window.test, ">=", "Bdate, Btime, rowid", date, time, tellora::ChartGroupSize);
        engine += t;
        ++n;
    }
    ReportClick(state, engine, raw, n, every != 1 ? scan : -1);
}

// Next from full groups ending at readings spread over the table.
void SparseNext(benchmark::State& state, SparseWindow window, long every)
{
    program().Use(every);
    program().Show(0);
    auto* w = Open(window.name);
    TimeNextGroups(state, *w, MeasuresDatabase(every), window.test, kRows, tellora::ChartGroupSize);
    Close(w);
}

// Previous from the group opened on the middle reading: back over the
// readings before it, then the group forward from where that walk stopped.
void SparsePrevious(benchmark::State& state, SparseWindow window, long every)
{
    program().Use(every);
    program().Show(kRows / 2);
    const std::string file = MeasuresDatabase(every);
    double engine = 0, raw = 0, scan = 0;
    long n = 0;
    for (auto _ : state) {
        auto* w = Open(window.name);
        const std::string date = w->Bdate.Text().toStdString(), time = w->Btime.Text().toStdString();
        const int count = w->LineCount.Text().toInt();
        const int backStep
            = count >= tellora::ChartGroupSize ? 2 * tellora::ChartGroupSize : count + tellora::ChartGroupSize;
        const double t = Seconds([&] {
            w->Previous.Press();
            w->MSChart1.repaint();
        });
        state.SetIterationTime(t);
        state.counters["charted"] = w->LineCount.Text().toDouble();
        Close(w);
        raw += Seconds(
            [&] { RawStepBack(file, window.test, date, time, false, backStep - 1, tellora::ChartGroupSize); });
        scan += ScanFloor(file, window.test, "<", "Bdate DESC, Btime DESC, rowid DESC", date, time, backStep - 1);
        engine += t;
        ++n;
        // Open again on the middle reading for the next click.
        program().Show(kRows / 2);
    }
    ReportClick(state, engine, raw, n, scan);
}

struct SparseClick {
    std::string name;
    void (*run)(benchmark::State&, SparseWindow, long);
};
const SparseClick kSparseClicks[]
    = { { "SparseOpen/", SparseOpen }, { "SparseNext/", SparseNext }, { "SparsePrevious/", SparsePrevious } };

void RegisterAll()
{
    for (const char* w : kWindows) {
        benchmark::RegisterBenchmark((std::string("Open/") + w).c_str(), OpenEveryReadingChartable, w)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime();
        benchmark::RegisterBenchmark(
            (std::string("NextOrPrevious/") + w).c_str(), NextOrPreviousEveryReadingChartable, w)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime();
    }
    for (long every : kDensities) {
        const std::string density = every ? "1in" + std::to_string(every) : "none";
        for (const SparseWindow& w : kSparseWindows)
            for (const SparseClick& c : kSparseClicks)
                benchmark::RegisterBenchmark((c.name + density + "/" + w.name).c_str(), c.run, w, every)
                    ->Unit(benchmark::kMillisecond)
                    ->UseManualTime()
                    ->Iterations(kIterations);
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
