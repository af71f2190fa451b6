// The on-screen listings at 1,000,000 and 100,000 readings, for each density
// of the listed readings (every reading, 1 in 1,000, 1 in 100,000, none): the
// first page at opening, the next page and the page before, through the real
// windows, each beside the raw SQLite statements that find the same rows on
// a fresh connection, timed in the same iteration.
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
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>

using namespace benchsupport;
using forms::Forms;

namespace {

// Fixed, so that the untimed reopening between timed clicks stays bounded.
const int kIterations = 12;

const std::string& kColumns = RawColumns;

std::string TestOf(bool injectionLog)
{
    // Appended piece by piece: GCC 12 at -O3 sees a false overlap in a text
    // prefixed to a temporary string (-Wrestrict).
    auto anyHolds = [](std::initializer_list<const char*> fields) {
        std::string test = "(";
        for (const char* f : fields) {
            if (test.size() > 1) test += " OR ";
            test.append("(").append(f).append(" <> '-' COLLATE BINARY)");
        }
        return test += ")";
    };
    return injectionLog ? anyHolds({ "Instype", "Insamt", "Site" })
                        : anyHolds({ "Bsugar", "Bpressure", "Dpressure", "Bpulse", "Bweight", "Temp", "SPO2" });
}

struct Program {
    QTemporaryDir dir;
    forms::RecordingDesktop desk;
    QString open;
    std::string file;
    Program()
    {
        QDir::setCurrent(dir.path());
        desk.folder = dir.path();
        tellora::RegisterShellWindows();
        tellora::RegisterListingWindows();
        tellora::StartProgram();
    }
    void Use(long rows, long every)
    {
        const QString name = QStringLiteral("D%1_%2.mdb").arg(rows).arg(every);
        if (open == name) return;
        Close();
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
    static void Close()
    {
        Forms::Unload("Display");
        Forms::Unload("DisplayLog");
        Flush();
    }
    // Makes reading i current and opens a listing on it through the chooser.
    tellora::ListingWindow* OpenAt(long i, bool injectionLog)
    {
        Close();
        auto* record = Forms::Find<tellora::DisplayRecord>();
        {
            auto db = dao::DefaultWorkspace().OpenDatabase(open.toStdString());
            auto rs = db->OpenRecordset("BLOOD");
            rs->SetIndex("Readings");
            rs->Seek("=", { DateOf(i), TimeOf(i) });
            record->ShowRecord(*rs);
        }
        return Choose(injectionLog);
    }
    static tellora::ListingWindow* Choose(bool injectionLog)
    {
        Forms::Find<tellora::DisplayRecord>()->PrintToScreen.Press();
        auto* chooser = Forms::Find<tellora::DisplayScreen>();
        chooser->Option2.SetValue(injectionLog);
        chooser->Option1.SetValue(!injectionLog);
        chooser->DisplayRpt.Press();
        return injectionLog ? static_cast<tellora::ListingWindow*>(Forms::Find<tellora::DisplayLog>())
                            : Forms::Find<tellora::Display>();
    }
    static void Flush() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

Program& program()
{
    static Program p;
    return p;
}

forms::CommandButton& NextOf(tellora::ListingWindow* w, bool injectionLog)
{
    return *w->findChild<forms::CommandButton*>(injectionLog ? "Next" : "NextPage");
}

// Opening on the middle reading, through the chooser: the first page.
void FirstPage(benchmark::State& state, bool injectionLog, long rows, long every)
{
    program().Use(rows, every);
    program().OpenAt(rows / 2, injectionLog);
    double engine = 0, raw = 0;
    long n = 0;
    for (auto _ : state) {
        Program::Close();
        const double t = Seconds([&] { Program::Choose(injectionLog)->repaint(); });
        state.SetIterationTime(t);
        raw += Seconds([&] {
            RawWalk(program().file,
                "SELECT " + kColumns + " FROM BLOOD WHERE (Bdate, Btime) >= (?, ?) AND " + TestOf(injectionLog)
                    + " ORDER BY Bdate, Btime, rowid",
                { DateOf(rows / 2), TimeOf(rows / 2) }, tellora::RowsPerPage);
        });
        engine += t;
        ++n;
    }
    ReportClick(state, engine, raw, n);
}

// Next page after next page from the first reading; a page that is not full
// ends the listing, which opens again from the first reading.
void NextPage(benchmark::State& state, bool injectionLog, long rows, long every)
{
    program().Use(rows, every);
    auto* w = program().OpenAt(0, injectionLog);
    double engine = 0, raw = 0, scan = 0;
    long n = 0;
    for (auto _ : state) {
        // A full page ending at readings spread over the table, as a full
        // page leaves its state: every click is timed, into whatever follows.
        const long at = (n * 7919 + 1) % (rows - 1);
        const std::string date = DateOf(at), time = TimeOf(at);
        w->LastDate.SetText(QString::fromStdString(date));
        w->LastTime.SetText(QString::fromStdString(time));
        w->LineCount.SetText(QStringLiteral("8"));
        const double t = Seconds([&] {
            NextOf(w, injectionLog).Press();
            w->Picture1.repaint();
        });
        state.SetIterationTime(t);
        raw += Seconds([&] {
            RawWalk(program().file,
                "SELECT " + kColumns + " FROM BLOOD WHERE (Bdate, Btime) > (?, ?) AND " + TestOf(injectionLog)
                    + " ORDER BY Bdate, Btime, rowid",
                { date, time }, tellora::RowsPerPage);
        });
        scan += ScanFloor(
            program().file, TestOf(injectionLog), ">", "Bdate, Btime, rowid", date, time, tellora::RowsPerPage);
        engine += t;
        ++n;
    }
    ReportClick(state, engine, raw, n, scan);
}

// Previous page after previous page from the newest reading, starting past
// the end where the newest reading is not listed; at the first page Previous
// shows it again.
void PreviousPage(benchmark::State& state, bool injectionLog, long rows, long every)
{
    program().Use(rows, every);
    auto* w = program().OpenAt(rows - 1, injectionLog);
    double engine = 0, raw = 0, scan = 0;
    long n = 0;
    const std::string test = TestOf(injectionLog);
    for (auto _ : state) {
        const std::string date = w->FirstDate.Text().toStdString(), time = w->FirstTime.Text().toStdString();
        const double t = Seconds([&] {
            w->findChild<forms::CommandButton*>("Previous")->Press();
            w->Picture1.repaint();
        });
        state.SetIterationTime(t);
        raw += Seconds([&] {
            const int limit = date.empty() ? tellora::RowsPerPage : tellora::RowsPerPage + 1;
            RawStepBack(program().file, test, date, time, true, limit, tellora::RowsPerPage);
        });
        const int limit = date.empty() ? tellora::RowsPerPage : tellora::RowsPerPage + 1;
        scan += ScanFloor(program().file, test, "<=", "Bdate DESC, Btime DESC, rowid DESC", date, time, limit);
        engine += t;
        ++n;
    }
    ReportClick(state, engine, raw, n, scan);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Build the fixtures outside any timing.
    for (long rows : { 1000000L, 100000L })
        for (long every : kDensities)
            SparseDatabase(rows, every);
    for (bool injectionLog : { true, false })
        for (long rows : { 1000000L, 100000L })
            for (long every : kDensities) {
                const std::string suffix = std::string(injectionLog ? "/DisplayLog/" : "/Display/")
                    + std::to_string(rows) + "/density:" + DensityName(every);
                benchmark::RegisterBenchmark(("FirstPage" + suffix).c_str(), FirstPage, injectionLog, rows, every)
                    ->Unit(benchmark::kMillisecond)
                    ->UseManualTime()
                    ->Iterations(kIterations);
                benchmark::RegisterBenchmark(("NextPage" + suffix).c_str(), NextPage, injectionLog, rows, every)
                    ->Unit(benchmark::kMillisecond)
                    ->UseManualTime()
                    ->Iterations(kIterations);
                benchmark::RegisterBenchmark(("PreviousPage" + suffix).c_str(), PreviousPage, injectionLog, rows, every)
                    ->Unit(benchmark::kMillisecond)
                    ->UseManualTime()
                    ->Iterations(kIterations);
            }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("Peak memory: %.1f MiB\n", PeakMemoryMiB());
    Program::Close();
    Forms::Reset();
    return 0;
}
