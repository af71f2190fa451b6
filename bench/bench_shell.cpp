// The shell's speed: process start-up to the start panel shown (against a
// separate minimal Qt Widgets executable showing one window, the two started
// alternately in the same run), and
// on a database of a million readings the double-click that opens it and the
// Next/Previous handlers.
//
// Started as "bench_shell --probe=shell" it is the program being timed: it
// starts, shows the start panel and exits.
#include "bench_support.h"

#include "platform/forms/desktop.h"
#include "platform/forms/registry.h"
#include "shell/displayrecord.h"
#include "shell/selectdbase.h"
#include "shell/shell.h"
#include "wiring.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

std::string selfPath()
{
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, std::size_t(n)) : std::string();
}

// The baseline executable, built beside this one.
std::string baselinePath()
{
    const std::string self = selfPath();
    return self.substr(0, self.rfind('/') + 1) + "startup_baseline_qt";
}

// Runs `exe` with `arg` in a new process and returns when it has exited.
bool runProcess(const std::string& exe, std::string arg)
{
    char* argv[] = { const_cast<char*>(exe.c_str()), arg.data(), nullptr };
    pid_t pid = 0;
    if (posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void waitShown(QWidget* w)
{
    while (!(w->isVisible() && w->windowHandle() && w->windowHandle()->isExposed()))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

int probe(int argc, char** argv)
{
    QApplication app(argc, argv);
    forms::RecordingDesktop desk; // keeps the program in the current folder
    tellora::RegisterShellWindows();
    tellora::RegisterAllWindows();
    if (!tellora::StartProgram()) return 1;
    forms::Form* panel = forms::Forms::Find("BloodMenu");
    if (!panel) return 1;
    waitShown(panel);
    // Ends at once, as "Exit Program" does.
    std::fflush(nullptr);
    _exit(0);
}

// Each iteration starts the baseline and then the program; the time is the
// program's, the baseline's mean and the ratio are reported beside it.
void StartupToStartPanel(benchmark::State& state)
{
    const std::string self = selfPath(), baseline = baselinePath();
    double program = 0, empty = 0;
    long n = 0;
    for (auto _ : state) {
        bool ok = true;
        empty += benchsupport::Seconds([&] { ok = runProcess(baseline, "-") && ok; });
        const double t = benchsupport::Seconds([&] { ok = runProcess(self, "--probe=shell") && ok; });
        state.SetIterationTime(t);
        program += t;
        ++n;
        if (!ok) {
            state.SkipWithError("a probe failed");
            break;
        }
    }
    if (n) {
        state.counters["baseline_ms"] = empty * 1000 / double(n);
        state.counters["ratio"] = program / empty;
    }
}
BENCHMARK(StartupToStartPanel)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(30);

// A started program in the folder of the million-reading database.
struct OpenProgram {
    OpenProgram()
        : file(QString::fromStdString(benchsupport::ReadingsDatabase(1000000)))
    {
        desk.folder = QFileInfo(file).absolutePath();
        tellora::RegisterShellWindows();
        tellora::StartProgram();
    }
    ~OpenProgram()
    {
        forms::Forms::Reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Loads the chooser, selects the file and double-clicks it.
    tellora::DisplayRecord* open()
    {
        auto* select = dynamic_cast<tellora::SelectDbase*>(forms::Forms::Load("SelectDbase"));
        select->File1.SelectFile(QFileInfo(file).fileName());
        const QPoint at = select->File1.visualItemRect(select->File1.currentItem()).center();
        QMouseEvent dbl(QEvent::MouseButtonDblClick, at, select->File1.viewport()->mapToGlobal(at), Qt::LeftButton,
            Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(select->File1.viewport(), &dbl);
        return forms::Forms::Find<tellora::DisplayRecord>();
    }
    QString file;
    forms::RecordingDesktop desk;
};

void DoubleClickToDisplayRecord(benchmark::State& state)
{
    OpenProgram program;
    for (auto _ : state) {
        tellora::DisplayRecord* record = program.open();
        if (!record || !record->Visible()) {
            state.SkipWithError("the database did not open");
            break;
        }
        state.PauseTiming();
        record->Command1.Press();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}
BENCHMARK(DoubleClickToDisplayRecord)->Unit(benchmark::kMillisecond);

void StepHandler(benchmark::State& state, bool next)
{
    OpenProgram program;
    tellora::DisplayRecord* record = program.open();
    if (!record) {
        state.SkipWithError("the database did not open");
        return;
    }
    // From the oldest reading forward: a million steps away from the newest.
    record->FirstRecord.Press();
    for (auto _ : state) {
        (next ? record->NextRecord : record->PreviousRecord).Press();
        state.PauseTiming();
        if (program.desk.beeps) {
            state.SkipWithError("reached the end of the data");
            break;
        }
        state.ResumeTiming();
    }
}
void NextRecordHandler(benchmark::State& state)
{
    StepHandler(state, true);
}
void PreviousRecordHandler(benchmark::State& state)
{
    OpenProgram program;
    tellora::DisplayRecord* record = program.open();
    if (!record) {
        state.SkipWithError("the database did not open");
        return;
    }
    // From the newest reading back: a million steps away from the oldest.
    for (auto _ : state)
        record->PreviousRecord.Press();
    if (program.desk.beeps) state.SkipWithError("reached the start of the data");
}
BENCHMARK(NextRecordHandler)->Unit(benchmark::kMicrosecond)->Iterations(2000);
BENCHMARK(PreviousRecordHandler)->Unit(benchmark::kMicrosecond)->Iterations(2000);

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--probe=shell") == 0) return probe(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
