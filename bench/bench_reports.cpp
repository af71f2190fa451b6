// The printed reports over a million readings, every one a standard and an
// injection-log reading: the standard report of the last 5,000 readings and
// the log of the last 2,400 to PDF through the real chooser, beside a bare
// QPainter-to-PDF loop drawing the same texts; the counting and statistics
// pass from the first reading beside a raw SQLite scan of the same rows; and
// the whole million printed to a discarding printer for the memory peak.
#include "bench_support.h"

#include "reports/current/printreports.h"
#include "reports/current/register.h"
#include "reports/report_engine.h"

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
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <SQLiteCpp/SQLiteCpp.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>

using namespace benchsupport;
using forms::Forms;

namespace {

const long kRows = 1000000;
std::string gPath; // the fixture's full path
QTemporaryDir* gOut = nullptr;
print::ScriptedPrinterChoices* gChoices = nullptr;

// A printer that takes every page and keeps nothing: the engine's own cost
// and memory, without a file growing beside it.
class DiscardingPrinter : public print::PrinterDevice {
public:
    QString DeviceName() const override { return QStringLiteral("Discard"); }
    QString DriverName() const override { return QStringLiteral("discard"); }
    QString Port() const override { return QStringLiteral("NUL:"); }
    QSizeF PrintableTwips(print::PageOrientation o) const override
    {
        return o == print::PageOrientation::Landscape ? QSizeF(15120, 11520) : QSizeF(11520, 15120);
    }
    std::unique_ptr<print::DocumentSink> Begin(print::PageOrientation) override
    {
        struct Sink : print::DocumentSink {
            explicit Sink(long& pages)
                : pages_(pages)
            {
                pages_ = 1;
            }
            void NewPage(print::PageOrientation) override { ++pages_; }
            void Text(QPointF, const QString&, const QFont&) override { }
            void Line(QPointF, QPointF, int) override { }
            void Picture(QPointF, const QImage&) override { }
            void Finish() override { }
            void Abort() override { }
            long& pages_;
        };
        return std::make_unique<Sink>(pages);
    }
    long pages = 0;
};

void UsePrinter(std::shared_ptr<print::PrinterDevice> device)
{
    print::current().SetCatalog(
        std::make_shared<print::FixedCatalog>(std::vector<std::shared_ptr<print::PrinterDevice>> { device }));
}

void ShowReading(long i)
{
    auto db = dao::DefaultWorkspace().OpenDatabase(tellora::OpenDatabaseName().toStdString());
    auto rs = db->OpenRecordset("BLOOD");
    rs->SetIndex("Readings");
    rs->Seek("=", { DateOf(i), TimeOf(i) });
    Forms::Find<tellora::DisplayRecord>()->ShowRecord(*rs);
}

// "Print Report", the report's option, the printer confirmed, "Print".
void PrintThroughChooser(bool standard)
{
    Forms::Find<tellora::DisplayRecord>()->PrintReport.Press();
    auto* chooser = Forms::Find<tellora::PrintReports>();
    chooser->Option1.SetValue(standard);
    chooser->Option2.SetValue(!standard);
    gChoices->ConfirmPreset();
    chooser->Print.Press();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void StandardReport5000(benchmark::State& state)
{
    auto pdf = std::make_shared<print::PdfPrinter>(gOut->filePath("standard.pdf"));
    UsePrinter(pdf);
    ShowReading(kRows - 5000);
    for (auto _ : state)
        PrintThroughChooser(true);
    state.counters["pages"] = 102;
    state.counters["bytes"] = double(QFileInfo(gOut->filePath("standard.pdf")).size());
}

void InjectionLog2400(benchmark::State& state)
{
    auto pdf = std::make_shared<print::PdfPrinter>(gOut->filePath("log.pdf"));
    UsePrinter(pdf);
    ShowReading(kRows - 2400);
    for (auto _ : state)
        PrintThroughChooser(false);
}

// The same texts as the standard report's 100 data pages and two summary
// pages, drawn by QPainter straight into a PDF: no reading, no measuring.
void BarePainterPdf5000(benchmark::State& state)
{
    QFont face(QStringLiteral("Times New Roman"));
    face.setPointSize(12);
    QFont italic = face;
    italic.setItalic(true);
    for (auto _ : state) {
        QPdfWriter writer(gOut->filePath("bare.pdf"));
        writer.setResolution(1200);
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(18, 18, 18, 18)));
        QPainter painter(&writer);
        const double ux = writer.width() / 80.0, uy = writer.height() / 66.0;
        long reading = kRows - 5000;
        auto text
            = [&](double x, double y, const QString& s) { painter.drawText(QPointF(x * ux, y * uy + 3 * ux), s); };
        for (int page = 1; page <= 102; ++page) {
            if (page > 1) writer.newPage();
            painter.setFont(face);
            text(10, 4, QStringLiteral("NAME: tellora-bench"));
            text(10, 5, QStringLiteral("DATE: 12/10/2026"));
            text(10, 6, QStringLiteral("PAGE #: %1 OF 102").arg(page));
            if (page > 100) {
                for (int row = 7; row <= 58; ++row)
                    text(10, row, QStringLiteral("Lowest AM Blood Sugar Reading:  80   1/1/2000   12:00 AM"));
                continue;
            }
            painter.setFont(italic);
            for (const char* h :
                { "BLOOD", "BLOOD", "DATE", "TIME", "SUGAR", "PRESSURE", "PULSE", "WEIGHT", "TEMP.", "SPO2" })
                text(30, 9, QString::fromLatin1(h));
            painter.setFont(face);
            for (int line = 11; line <= 60; ++line, ++reading) {
                text(10, line, QString::fromStdString(DateOf(reading)));
                text(19, line, QString::fromStdString(TimeOf(reading)));
                for (int c = 0; c < 6; ++c)
                    text(30 + 8 * c, line, QString::number(80 + (reading + c) % 120));
            }
        }
        painter.end();
    }
}

// The pass before printing, from the first of the million: pages counted,
// extremes, morning/afternoon and overall sums.
void CountAndStatistics(benchmark::State& state)
{
    ShowReading(0);
    const auto report = tellora::CurrentReadingReport();
    for (auto _ : state)
        benchmark::DoNotOptimize(tellora::reports::PlanStandardReport(report));
    state.SetItemsProcessed(state.iterations() * kRows);
}

// Raw SQLite: the same rows in index order, every column read as text.
void RawSqliteScan(benchmark::State& state)
{
    SQLite::Database db(gPath, SQLite::OPEN_READONLY);
    for (auto _ : state) {
        SQLite::Statement st(db, "SELECT * FROM BLOOD ORDER BY Bdate, Btime, rowid");
        std::size_t bytes = 0;
        while (st.executeStep())
            for (int c = 0; c < 13; ++c)
                bytes += std::strlen(st.getColumn(c).getText());
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

// The whole million as a standard report: 20,000 data pages streamed to a
// printer that keeps nothing. Memory must not grow with the report.
void WholeMillionMemory(benchmark::State& state)
{
    auto discard = std::make_shared<DiscardingPrinter>();
    UsePrinter(discard);
    ShowReading(0);
    const double before = PeakMemoryMiB();
    for (auto _ : state)
        PrintThroughChooser(true);
    state.counters["pages"] = double(discard->pages);
    state.counters["peakMiBBefore"] = before;
    state.counters["peakMiB"] = PeakMemoryMiB();
}

BENCHMARK(StandardReport5000)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BarePainterPdf5000)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(InjectionLog2400)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(CountAndStatistics)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(RawSqliteScan)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(WholeMillionMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    gPath = ReadingsDatabase(kRows, 1);
    const QFileInfo fixture(QString::fromStdString(gPath));
    QTemporaryDir out;
    gOut = &out;
    forms::RecordingDesktop desk;
    desk.folder = fixture.absolutePath();
    QDir::setCurrent(desk.folder);
    print::ScriptedPrinterChoices choices;
    gChoices = &choices;
    tellora::RegisterShellWindows();
    tellora::RegisterCurrentReportWindows();
    if (!tellora::StartProgram()) return 1;
    auto* select = Forms::Load<tellora::SelectDbase>();
    if (!select || !select->File1.SelectFile(fixture.fileName())) return 1;
    select->File1.DblClick();
    if (!Forms::Find<tellora::DisplayRecord>()) return 1;

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!desk.messages.empty())
        std::printf("Unexpected message: %s\n", desk.messages.front().text.toStdString().c_str());
    std::printf("Peak memory: %.1f MiB\n", PeakMemoryMiB());
    Forms::Reset();
    return 0;
}
