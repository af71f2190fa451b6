// The chart window at 1,000,000 and 100,000 readings, for each density of the
// charted measure (every reading, 1 in 1,000, 1 in 100,000, none): opening,
// Next and Previous through the real window, each beside the raw SQLite
// statements that find the same rows on a fresh connection, timed in the
// same iteration; and printing one chart to a PDF file with the event loop
// running, with the peak memory.
#include "bench_support.h"

#include "charts/register.h"
#include "charts/window/chart_window.h"
#include "shell/displayrecord.h"
#include "shell/selectdbase.h"
#include "shell/shell.h"

#include "platform/dao/dao.h"
#include "platform/dao/step_cursor.h"
#include "platform/forms/desktop.h"
#include "platform/forms/registry.h"
#include "platform/print/devices.h"
#include "platform/print/printer_choice.h"
#include "platform/print/recording_printer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace benchsupport;
using forms::Forms;

namespace {

// Fixed, so that the untimed reopening between timed clicks stays bounded.
const int kIterations = 12;

// A blood-sugar chart: its chartable test is the sugar value alone, written
// as the program hands it to SQLite.
const char* const kChart = "BSbyDate";
const std::string kChartable = "(Bsugar <> '-' COLLATE BINARY)";
const std::string& kColumns = RawColumns;

// A program folder holding the benchmark databases, one of them open in DisplayRecord.
struct Program {
    QTemporaryDir dir;
    forms::RecordingDesktop desk;
    QString open;
    std::string file; // the open one's full path
    Program()
    {
        QDir::setCurrent(dir.path());
        desk.folder = dir.path();
        tellora::RegisterShellWindows();
        tellora::RegisterChartWindows();
        tellora::StartProgram();
    }
    void Use(long rows, long every)
    {
        const QString name = QStringLiteral("D%1_%2.mdb").arg(rows).arg(every);
        if (open == name) return;
        file = SparseDatabase(rows, every);
        QFile::link(QString::fromStdString(file), dir.filePath(name));
        if (auto* record = Forms::Find<tellora::DisplayRecord>()) {
            record->Command1.Press();
            Flush();
        }
        auto* select = Forms::Load<tellora::SelectDbase>();
        select->File1.Refresh();
        select->File1.SelectFile(name);
        select->File1.DblClick();
        open = name;
    }
    // Makes reading i the current one.
    void Show(long i)
    {
        auto db = dao::DefaultWorkspace().OpenDatabase(open.toStdString());
        auto rs = db->OpenRecordset("BLOOD");
        rs->SetIndex("Readings");
        rs->Seek("=", { DateOf(i), TimeOf(i) });
        Forms::Find<tellora::DisplayRecord>()->ShowRecord(*rs);
    }
    static void Flush() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

Program& program()
{
    static Program p;
    return p;
}

tellora::ChartWindow* OpenChart()
{
    auto* w = dynamic_cast<tellora::ChartWindow*>(Forms::Load(kChart));
    // Drawn, not only filled.
    w->repaint();
    return w;
}

void CloseChart(tellora::ChartWindow* w)
{
    w->Unload();
    Program::Flush();
}

// The scan floor: one filtered pass over the table, sorted by SQLite.
double ChartScanFloor(
    const std::string& bound, const std::string& order, const std::string& date, const std::string& time, int limit)
{
    return ScanFloor(program().file, kChartable, bound, order, date, time, limit);
}

// Opening on the middle reading: the first group from there on.
void ChartOpen(benchmark::State& state, long rows, long every)
{
    program().Use(rows, every);
    program().Show(rows / 2);
    double engine = 0, raw = 0;
    long n = 0;
    for (auto _ : state) {
        tellora::ChartWindow* w = nullptr;
        const double t = Seconds([&] { w = OpenChart(); });
        state.SetIterationTime(t);
        CloseChart(w);
        const double r = Seconds([&] {
            RawWalk(program().file,
                "SELECT " + kColumns + " FROM BLOOD WHERE (Bdate, Btime) >= (?, ?) AND " + kChartable
                    + " ORDER BY Bdate, Btime, rowid",
                { DateOf(rows / 2), TimeOf(rows / 2) }, tellora::ChartGroupSize);
        });
        engine += t;
        raw += r;
        ++n;
    }
    ReportClick(state, engine, raw, n);
}

// Next from full groups ending at readings spread over the table.
void ChartNext(benchmark::State& state, long rows, long every)
{
    program().Use(rows, every);
    program().Show(0);
    auto* w = OpenChart();
    TimeNextGroups(state, *w, program().file, kChartable, rows, tellora::ChartGroupSize);
    CloseChart(w);
}

// How a click reads the file: as the cursor weighs it, on its one connection
// alone, or in a scan in parts from the first row on.
enum class Reading { Weighed, OneConnection, InParts };

// Previous after Previous from the newest reading, back to the first group,
// which Previous then shows again after a walk back to the first reading.
void ChartPrevious(benchmark::State& state, long rows, long every, Reading reading)
{
    if (reading == Reading::OneConnection) dao::StepCursor::SetPartedScan(1, 1);
    if (reading == Reading::InParts) {
        // Eight parts, over a table as large as the cursor splits.
        dao::StepCursor::SetScanSwitch(1, 0);
        dao::StepCursor::SetPartedScan(65536, 8);
    }
    program().Use(rows, every);
    program().Show(rows - 1);
    auto* w = OpenChart();
    double engine = 0, raw = 0, scan = 0;
    long n = 0;
    for (auto _ : state) {
        const std::string date = w->Bdate.Text().toStdString(), time = w->Btime.Text().toStdString();
        const int backStep = w->LineCount.Text().toInt() + tellora::ChartGroupSize;
        const double t = Seconds([&] {
            w->Previous.Press();
            w->MSChart1.repaint();
        });
        state.SetIterationTime(t);
        raw += Seconds(
            [&] { RawStepBack(program().file, kChartable, date, time, false, backStep - 1, tellora::ChartGroupSize); });
        scan += ChartScanFloor("<", "Bdate DESC, Btime DESC, rowid DESC", date, time, backStep - 1);
        engine += t;
        ++n;
    }
    CloseChart(w);
    dao::StepCursor::SetPartedScan(0, 0);
    dao::StepCursor::SetScanSwitch(0, 0);
    ReportClick(state, engine, raw, n, scan);
}

void PrintToPdf(benchmark::State& state)
{
    program().Use(1000000, 1);
    program().Show(500000);
    QTemporaryDir out;
    auto pdf = std::make_shared<print::PdfPrinter>(out.filePath("chart.pdf"));
    print::ScopedCatalog catalog { std::make_shared<print::FixedCatalog>(
        std::vector<std::shared_ptr<print::PrinterDevice>> { pdf }) };
    print::ScriptedPrinterChoices choices;
    auto* w = dynamic_cast<tellora::ChartWindow*>(Forms::Load("BSbyDateTime"));
    const double before = CurrentMemoryMiB();
    for (auto _ : state) {
        choices.ConfirmPreset();
        w->PrintChart.Press();
        // The event loop runs as it does between clicks: closed staging
        // windows are deleted and their pictures freed.
        QCoreApplication::processEvents();
        Program::Flush();
    }
    state.counters["rss_before_MiB"] = before;
    state.counters["rss_after_MiB"] = CurrentMemoryMiB();
    state.counters["peak_MiB"] = PeakMemoryMiB();
    CloseChart(w);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Build the fixtures outside any timing.
    for (long rows : { 1000000L, 100000L })
        for (long every : kDensities)
            SparseDatabase(rows, every);
    for (long rows : { 1000000L, 100000L })
        for (long every : kDensities) {
            // Appended, not prefixed to a temporary: GCC 12 at -O3 sees a false overlap there (-Wrestrict).
            std::string suffix = "/";
            suffix.append(std::to_string(rows)).append("/density:").append(DensityName(every));
            benchmark::RegisterBenchmark(("ChartOpen" + suffix).c_str(), ChartOpen, rows, every)
                ->Unit(benchmark::kMillisecond)
                ->UseManualTime()
                ->Iterations(kIterations);
            benchmark::RegisterBenchmark(("ChartNext" + suffix).c_str(), ChartNext, rows, every)
                ->Unit(benchmark::kMillisecond)
                ->UseManualTime()
                ->Iterations(kIterations);
            benchmark::RegisterBenchmark(
                ("ChartPrevious" + suffix).c_str(), ChartPrevious, rows, every, Reading::Weighed)
                ->Unit(benchmark::kMillisecond)
                ->UseManualTime()
                ->Iterations(kIterations);
        }
    // The sparse Previous that the weighing decides, beside the two ways it weighs.
    for (const auto& [name, reading] :
        { std::pair { "one connection", Reading::OneConnection }, std::pair { "in parts", Reading::InParts } })
        benchmark::RegisterBenchmark((std::string("ChartPrevious/1000000/density:1/1000/") + name).c_str(),
            ChartPrevious, 1000000L, 1000L, reading)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(kIterations);
    benchmark::RegisterBenchmark("PrintToPdf", PrintToPdf)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("Peak memory: %.1f MiB\n", PeakMemoryMiB());
    Forms::Reset();
    return 0;
}
