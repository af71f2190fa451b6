// The reports over a date range inside a million readings: a range of about
// 5,000 readings at the start and at the end of the table printed to a PDF
// file (the standard report and the injection log), beside a raw SQLite scan
// of the same rows.
#include "bench_support.h"

#include "reports/range/range_reports.h"
#include "shell/displayrecord.h"
#include "shell/selectdbase.h"
#include "shell/shell.h"

#include "platform/forms/desktop.h"
#include "platform/forms/registry.h"
#include "platform/print/devices.h"
#include "platform/print/recording_printer.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <SQLiteCpp/SQLiteCpp.h>
#include <benchmark/benchmark.h>

using namespace benchsupport;
using forms::Forms;

namespace {

const long kRows = 1000000;
const int kDays = 53; // 96 readings a day: 5,088 readings at the start
const int kLastDay = int((kRows - 1) / 96);

// The benchmark database open in DisplayRecord, its newest reading shown.
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
        tellora::StartProgram();
        auto* select = dynamic_cast<tellora::SelectDbase*>(Forms::Load("SelectDbase"));
        select->File1.SelectFile("BENCH_MARK.mdb");
        select->File1.DblClick();
    }
};

Program& program()
{
    static Program p;
    return p;
}

tellora::DateRange RangeFrom(int firstDay)
{
    const QDate first = QDate(2000, 1, 1).addDays(firstDay);
    const QDate last = first.addDays(kDays - 1);
    return { first.toString("yyyy-MM-dd"), last.toString("yyyy-MM-dd"), first, last };
}

// Arg 0: the range at the start of the table; 1: at its end.
tellora::DateRange RangeOf(const benchmark::State& state)
{
    return RangeFrom(state.range(0) ? kLastDay - kDays + 1 : 0);
}

void StandardReportToPdf(benchmark::State& state)
{
    program();
    QTemporaryDir out;
    auto pdf = std::make_shared<print::PdfPrinter>(out.filePath("report.pdf"));
    print::ScopedCatalog catalog { std::make_shared<print::FixedCatalog>(
        std::vector<std::shared_ptr<print::PrinterDevice>> { pdf }) };
    const tellora::DateRange range = RangeOf(state);
    for (auto _ : state)
        if (!tellora::PrintStandardReportByDate(range, true)) state.SkipWithError("the report did not print");
}
BENCHMARK(StandardReportToPdf)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void InjectionLogToPdf(benchmark::State& state)
{
    program();
    QTemporaryDir out;
    auto pdf = std::make_shared<print::PdfPrinter>(out.filePath("log.pdf"));
    print::ScopedCatalog catalog { std::make_shared<print::FixedCatalog>(
        std::vector<std::shared_ptr<print::PrinterDevice>> { pdf }) };
    const tellora::DateRange range = RangeOf(state);
    for (auto _ : state)
        tellora::PrintInjectionLogByDate(range);
    if (!program().desk.messages.empty()) state.SkipWithError("the log reported a failure");
}
BENCHMARK(InjectionLogToPdf)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Baseline: the same rows read straight from SQLite, every field, in index order.
void RawSqliteRangeScan(benchmark::State& state)
{
    program();
    SQLite::Database db(ReadingsDatabase(kRows));
    SQLite::Statement st(db, "SELECT * FROM BLOOD WHERE Bdate >= ? AND Bdate <= ? ORDER BY Bdate, Btime");
    const tellora::DateRange range = RangeOf(state);
    long rows = 0;
    for (auto _ : state) {
        st.bind(1, range.first.toStdString());
        st.bind(2, range.last.toStdString());
        rows = 0;
        while (st.executeStep()) {
            for (int c = 0; c < st.getColumnCount(); ++c)
                benchmark::DoNotOptimize(st.getColumn(c).getText());
            ++rows;
        }
        st.reset();
    }
    state.counters["readings"] = double(rows);
}
BENCHMARK(RawSqliteRangeScan)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

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
