// The chart window over a million readings: opening to the first group,
// paging, and printing one chart to a PDF file.
#include "bench_support.h"

#include "charts/register.h"
#include "charts/window/chart_window.h"
#include "shell/displayrecord.h"
#include "shell/selectdbase.h"
#include "shell/shell.h"

#include "platform/dao/dao.h"
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

const long kRows = 1000000;

// A program folder holding the benchmark database under a program name,
// open in DisplayRecord.
struct Program {
    QTemporaryDir dir;
    forms::RecordingDesktop desk;
    Program()
    {
        const QString source = QString::fromStdString(ReadingsDatabase(kRows));
        QFile::link(source, dir.filePath("BENCH_MARK.mdb"));
        QDir::setCurrent(dir.path());
        desk.folder = dir.path();
        tellora::RegisterShellWindows();
        tellora::RegisterChartWindows();
        tellora::StartProgram();
        auto* select = dynamic_cast<tellora::SelectDbase*>(Forms::Load("SelectDbase"));
        select->File1.SelectFile("BENCH_MARK.mdb");
        select->File1.DblClick();
    }
    // Makes reading i the current one.
    void Show(long i)
    {
        auto db = dao::DefaultWorkspace().OpenDatabase("BENCH_MARK.mdb");
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

void Flush() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

void OpenChartWindow(benchmark::State& state)
{
    program().Show(kRows / 2);
    for (auto _ : state) {
        auto* w = dynamic_cast<tellora::ChartWindow*>(Forms::Load("BPWtPulTimebyDate"));
        // Drawn, not only filled.
        w->repaint();
        if (w->LineCount.Text() != "31")
            state.SkipWithError("the first group is not full");
        state.PauseTiming();
        w->Unload();
        Flush();
        state.ResumeTiming();
    }
}
BENCHMARK(OpenChartWindow)->Unit(benchmark::kMillisecond);

void NextOrPrevious(benchmark::State& state)
{
    program().Show(kRows / 2);
    auto* w = dynamic_cast<tellora::ChartWindow*>(Forms::Load("BSbyDateBP"));
    bool forward = true;
    for (auto _ : state) {
        (forward ? w->NextGroup : w->Previous).Press();
        w->MSChart1.repaint();
        forward = !forward;
    }
    w->Unload();
    Flush();
}
BENCHMARK(NextOrPrevious)->Unit(benchmark::kMillisecond);

void PrintToPdf(benchmark::State& state)
{
    program().Show(kRows / 2);
    QTemporaryDir out;
    auto pdf = std::make_shared<print::PdfPrinter>(out.filePath("chart.pdf"));
    print::ScopedCatalog catalog { std::make_shared<print::FixedCatalog>(
        std::vector<std::shared_ptr<print::PrinterDevice>> { pdf }) };
    print::ScriptedPrinterChoices choices;
    auto* w = dynamic_cast<tellora::ChartWindow*>(Forms::Load("BSbyDateTime"));
    for (auto _ : state) {
        choices.ConfirmPreset();
        w->PrintChart.Press();
    }
    w->Unload();
    Flush();
}
BENCHMARK(PrintToPdf)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Forms::Reset();
    return 0;
}
