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

#include <filesystem>

using namespace benchsupport;
using forms::Forms;

namespace {

const long kRows = 1000000;
const QString kBase = QStringLiteral("BENCH_USER");
const QString kFile = kBase + ".mdb";

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

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
