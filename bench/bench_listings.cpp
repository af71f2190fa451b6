// The on-screen listings over a million readings, one in a thousand an
// injection-log reading, every one a standard reading: a page of each
// listing forward, back, from past the end and at opening, through the
// real windows.
#include "bench_support.h"

#include "listings/display.h"
#include "listings/displaylog.h"
#include "listings/displayscreen.h"
#include "listings/register.h"

#include "platform/dao/dao.h"
#include "platform/forms/desktop.h"
#include "platform/forms/registry.h"
#include "shell/displayrecord.h"
#include "shell/selectdbase.h"
#include "shell/shell.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

using namespace benchsupport;
using forms::Forms;

namespace {

const long kRows = 1000000;
const int kLogEvery = 1000;
std::string gFile; // bare name in the program folder

// Makes reading i current and opens a listing on it through the chooser.
tellora::ListingWindow* OpenAt(long i, bool injectionLog)
{
    Forms::Unload("Display");
    Forms::Unload("DisplayLog");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    auto* record = Forms::Find<tellora::DisplayRecord>();
    {
        auto db = dao::DefaultWorkspace().OpenDatabase(gFile);
        auto rs = db->OpenRecordset("BLOOD");
        rs->SetIndex("Readings");
        rs->Seek("=", { DateOf(i), TimeOf(i) });
        record->ShowRecord(*rs);
    }
    record->PrintToScreen.Press();
    auto* chooser = Forms::Find<tellora::DisplayScreen>();
    chooser->Option2.SetValue(injectionLog);
    chooser->Option1.SetValue(!injectionLog);
    chooser->DisplayRpt.Press();
    return injectionLog ? static_cast<tellora::ListingWindow*>(Forms::Find<tellora::DisplayLog>())
                        : Forms::Find<tellora::Display>();
}

forms::CommandButton& NextOf(tellora::ListingWindow* w, bool injectionLog)
{
    return *w->findChild<forms::CommandButton*>(injectionLog ? "Next" : "NextPage");
}
forms::CommandButton& PreviousOf(tellora::ListingWindow* w)
{
    return *w->findChild<forms::CommandButton*>("Previous");
}

// Next page after next page from the first reading; starts again at the end.
void PageForward(benchmark::State& state, bool injectionLog)
{
    auto* w = OpenAt(0, injectionLog);
    if (!w || w->LineCount.Text() != "8") {
        state.SkipWithError("the first page is not full");
        return;
    }
    for (auto _ : state) {
        NextOf(w, injectionLog).Press();
        if (w->LineCount.Text() != "8") {
            state.PauseTiming();
            w = OpenAt(0, injectionLog);
            state.ResumeTiming();
        }
    }
}

// Previous page after previous page from near the end; starts again at the first page.
void PageBack(benchmark::State& state, bool injectionLog)
{
    const long from = kRows - kLogEvery;
    auto* w = OpenAt(from, injectionLog);
    for (auto _ : state) {
        PreviousOf(w).Press();
        if (w->FirstDate.Text().toStdString() == DateOf(0) && w->FirstTime.Text().toStdString() == TimeOf(0)) {
            state.PauseTiming();
            w = OpenAt(from, injectionLog);
            state.ResumeTiming();
        }
    }
}

// Previous from past the end: the newest reading is no injection-log
// reading, so the log opens on "Click Previous"; the click walks back from
// the newest reading to find the last page. (Every reading is a standard
// one, so Display is never past the end here.)
void LastPage(benchmark::State& state, bool injectionLog)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto* w = OpenAt(kRows - 1, injectionLog);
        state.ResumeTiming();
        PreviousOf(w).Press();
    }
}

// Opening a listing through the chooser in mid-table; the current reading is
// no injection-log reading, so the log's first page walks forward to the
// next eight.
void FirstPage(benchmark::State& state, bool injectionLog)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(OpenAt(kRows / 2 + 1, injectionLog));
}

BENCHMARK_CAPTURE(PageForward, DisplayLog, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PageBack, DisplayLog, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LastPage, DisplayLog, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstPage, DisplayLog, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PageForward, Display, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PageBack, Display, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstPage, Display, false)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Build the fixture outside any timing; the program works in its folder.
    const QFileInfo fixture(QString::fromStdString(ReadingsDatabase(kRows, kLogEvery)));
    gFile = fixture.fileName().toStdString();
    forms::RecordingDesktop desk;
    desk.folder = fixture.absolutePath();
    tellora::RegisterShellWindows();
    tellora::RegisterListingWindows();
    if (!tellora::StartProgram()) return 1;
    auto* select = Forms::Load<tellora::SelectDbase>();
    if (!select || !select->File1.SelectFile(fixture.fileName())) return 1;
    select->File1.DblClick();
    if (!Forms::Find<tellora::DisplayRecord>()) return 1;

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("Peak memory: %.1f MiB\n", PeakMemoryMiB());
    Forms::Reset();
    return 0;
}
