// Printing a chart: the printer choice first, then the chart picture alone on
// a landscape page at the window's position; the cancel, failure and
// no-printer paths; once through a real PDF file.
#include "chart_fixture.h"

#include "charts/window/print_graph.h"

#include "platform/print/choose_printer.h"
#include "platform/print/devices.h"
#include "platform/print/printer_choice.h"
#include "platform/print/recording_printer.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>

using namespace charttest;
using print::OpKind;
using print::PageOrientation;

namespace {

class ChartPrint : public ChartTest {
protected:
    void SetUp() override
    {
        ChartTest::SetUp();
        OpenLog(FullReadings(40), 0);
    }
    print::RecordingPrinter& recorder() { return *catalog.recorder(); }

    print::ScopedCatalog catalog;
    print::ScriptedPrinterChoices choices;
};

struct PrintCase {
    const char* menuItem;
    int x;
    const char* failure;
};

class PrintEveryWindow : public ChartPrint, public ::testing::WithParamInterface<PrintCase> { };

TEST_P(PrintEveryWindow, OneLandscapePageWithTheChartAtItsPosition)
{
    const PrintCase& c = GetParam();
    ChartWindow* w = OpenChart(c.menuItem);
    ASSERT_NE(w, nullptr);
    QGuiApplication::clipboard()->setText("the user's own text");
    const QString folderBefore = QDir::currentPath();
    choices.ConfirmPreset();
    click(&w->PrintChart);

    ASSERT_EQ(choices.shown().size(), 1u);
    EXPECT_EQ(choices.shown()[0].owner, w);
    EXPECT_EQ(recorder().DocumentsBegun(), 1);
    EXPECT_EQ(recorder().DocumentsEnded(), 1);
    EXPECT_EQ(recorder().Pages(1), 1);
    const auto ops = recorder().PageOps(1, 1);
    ASSERT_EQ(ops.size(), 1u); // the picture and nothing else
    EXPECT_EQ(ops[0].kind, OpKind::Picture);
    EXPECT_EQ(ops[0].orientation, PageOrientation::Landscape);
    EXPECT_EQ(ops[0].at, QPointF(c.x, 3000));
    EXPECT_EQ(ops[0].size, QSizeF(w->MSChart1.TwipSize()));
    // The chart on screen, as drawn.
    EXPECT_EQ(ops[0].picture.size(), w->MSChart1.Picture().size());

    EXPECT_EQ(print::current().Orientation(), PageOrientation::Portrait);
    EXPECT_EQ(print::current().ScaleMode(), print::ScaleUnit::Twips);
    EXPECT_EQ(QDir::currentPath(), folderBefore);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "the user's own text");
    EXPECT_EQ(Forms::Find(PrintGraph::FormName), nullptr);
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_EQ(desk.beeps, 0);
    // The window carries on as it was.
    EXPECT_EQ(w->LineCount.Text(), "31");
    EXPECT_TRUE(Locked());
    click(&w->NextGroup);
    EXPECT_EQ(w->MSChart1.rowLabel(1), LabelOf(31));
}

TEST_P(PrintEveryWindow, APrinterFailureShowsTheWindowsMessageAndAbandonsThePage)
{
    const PrintCase& c = GetParam();
    ChartWindow* w = OpenChart(c.menuItem);
    ASSERT_NE(w, nullptr);
    const QString folderBefore = QDir::currentPath();
    recorder().FailAt(OpKind::EndDoc);
    choices.ConfirmPreset();
    click(&w->PrintChart);

    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text, c.failure);
    EXPECT_EQ(desk.messages[0].title, "Tellora");
    EXPECT_EQ(desk.messages[0].icon, forms::Icon::Critical);
    EXPECT_EQ(desk.messages[0].buttons, forms::Buttons::OK);
    EXPECT_EQ(desk.beeps, 1);
    EXPECT_EQ(Forms::Find(PrintGraph::FormName), nullptr);
    EXPECT_EQ(QDir::currentPath(), folderBefore);
    // The begun document is abandoned, not left open to merge into the next.
    EXPECT_FALSE(recorder().DocumentOpen());
    EXPECT_EQ(recorder().DocumentsEnded(), 0);
    EXPECT_EQ(print::current().Orientation(), PageOrientation::Landscape);

    // Print again: a fresh document of one page.
    choices.ConfirmPreset();
    click(&w->PrintChart);
    EXPECT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(recorder().DocumentsEnded(), 1);
    EXPECT_EQ(recorder().Pages(recorder().DocumentsBegun()), 1);
    EXPECT_EQ(recorder().PageOps(recorder().DocumentsBegun(), 1).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(All, PrintEveryWindow,
    ::testing::Values(PrintCase { "barchart6", 2900, "Check Your Printer and Try Again" },
        PrintCase { "linechart6", 2900, "Check Your Printer and Try Again" },
        PrintCase { "barchart7", 2200, "Check Your Printer and try again" },
        PrintCase { "linechart7", 2200, "Check Your Printer and Try Again" },
        PrintCase { "barchart8", 2200, "Check Your Printer and Try Again" },
        PrintCase { "linechart8", 2200, "Check Your Printer and Try Again" },
        PrintCase { "barchart9", 2200, "Check Your Printer and Try Again" },
        PrintCase { "linechart9", 2200, "Check Your Printer and Try Again" },
        PrintCase { "mnuGraphicsBar1", 2900, "Check Your Printer and Try Again" },
        PrintCase { "linechart1", 2900, "Check Your Printer and Try Again" },
        PrintCase { "Bar2", 2200, "Check Your Printer and Try Again" },
        PrintCase { "linechart2", 2200, "Check Your Printer and Try Again" },
        PrintCase { "barchart3", 2200, "Check Your Printer and Try Again" },
        PrintCase { "linechart3", 2200, "Check Your Printer and Try Again" },
        PrintCase { "barchart4", 2200, "Check Your Printer and Try Again" },
        PrintCase { "linechart4", 2200, "Check Your Printer and Try Again" },
        PrintCase { "barchart10", 2900, "Check Your Printer and Try Again" },
        PrintCase { "linechart10", 2900, "Check Your Printer and Try Again" },
        PrintCase { "barchart11", 2200, "Check Your Printer and Try Again" },
        PrintCase { "linechart11", 2200, "Check Your Printer and Try Again" },
        PrintCase { "barchart12", 2200, "Check Your Printer and Try Again" },
        PrintCase { "linechart12", 2200, "Check Your Printer and Try Again" },
        PrintCase { "mnuGraphsTempbyDateTimeBar", 2200, "Check Your Printer and Try Again" },
        PrintCase { "mnuGraphsTempByTimDateLine", 2200, "Check Your Printer and Try Again" },
        PrintCase { "mnugraphsTempPulseDateTimeBar", 2200, "Check Your Printer and Try Again" },
        PrintCase { "mnuGraphsTempPulseDateTimeLine", 2200, "Check Your Printer and Try Again" },
        PrintCase { "mnuGraphsspo2datetimebar", 2200, "Check Your Printer and Try Again" },
        PrintCase { "mnuGraphsspo2datetimeline", 2200, "Check Your Printer and Try Again" },
        PrintCase { "mnuGraphsspo2pulsedatetimeBar", 2200, "Check Your Printer and Try Again" },
        PrintCase { "mnuGraphsspo2puldatetimeline", 2200, "Check Your Printer and Try Again" },
        PrintCase { "mnuGraphsSPTBar", 2200, "Check Your Printer and try again" },
        PrintCase { "mnuGraphsSPTLine", 2200, "Check Your Printer and Try Again" }),
    [](const auto& info) { return std::string(info.param.menuItem); });

TEST_F(ChartPrint, FailuresAtEachPrintingStepEndTheSameWay)
{
    ChartWindow* w = OpenChart("barchart7");
    ASSERT_NE(w, nullptr);
    for (OpKind kind : { OpKind::BeginDoc, OpKind::Picture, OpKind::EndDoc }) {
        recorder().FailAt(kind);
        choices.ConfirmPreset();
        click(&w->PrintChart);
        EXPECT_FALSE(recorder().DocumentOpen());
        EXPECT_EQ(Forms::Find(PrintGraph::FormName), nullptr);
    }
    EXPECT_EQ(desk.beeps, 3);
    ASSERT_EQ(desk.messages.size(), 3u);
    EXPECT_EQ(recorder().DocumentsEnded(), 0);
    EXPECT_TRUE(w->Visible());
}

// Ways the printer choice ends the command before anything is printed.
enum class Stop { Cancel, ShowFails, CannotCreate, NoAnswer };

class PrinterChoiceStops : public ChartPrint, public ::testing::WithParamInterface<Stop> { };

TEST_P(PrinterChoiceStops, SilentlyWithNothingTouched)
{
    ChartWindow* w = OpenChart("mnuGraphicsBar1");
    ASSERT_NE(w, nullptr);
    QGuiApplication::clipboard()->setText("kept");
    print::current().SetOrientation(PageOrientation::Landscape);
    switch (GetParam()) {
    case Stop::Cancel:
        choices.Cancel();
        break;
    case Stop::ShowFails:
        choices.Fail();
        break;
    case Stop::CannotCreate:
        choices.FailToCreate();
        break;
    case Stop::NoAnswer:
        break;
    }
    click(&w->PrintChart);
    EXPECT_EQ(recorder().DocumentsBegun(), 0);
    EXPECT_EQ(desk.beeps, 0);
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_EQ(print::current().Orientation(), PageOrientation::Landscape);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "kept");
    EXPECT_EQ(Forms::Find(PrintGraph::FormName), nullptr);
    EXPECT_TRUE(w->Visible());
    // From the first print command on the printer no longer follows the default.
    if (GetParam() != Stop::CannotCreate) {
        EXPECT_FALSE(print::current().TrackDefault());
    }

    // The next click shows the dialog again, preset from the same printer.
    choices.ConfirmPreset();
    click(&w->PrintChart);
    EXPECT_EQ(recorder().DocumentsEnded(), 1);
    ASSERT_FALSE(choices.shown().empty());
    EXPECT_EQ(choices.shown().back().deviceName, "Recorder");
}

INSTANTIATE_TEST_SUITE_P(
    All, PrinterChoiceStops, ::testing::Values(Stop::Cancel, Stop::ShowFails, Stop::CannotCreate, Stop::NoAnswer));

TEST_F(ChartTest, NoPrinterInstalledEndsThePrintCommandSilently)
{
    print::ScopedCatalog none { std::make_shared<print::FixedCatalog>(
        std::vector<std::shared_ptr<print::PrinterDevice>> {}, -1) };
    print::ScriptedPrinterChoices choices;
    choices.ConfirmPreset();
    OpenLog(FullReadings(3), 0);
    ChartWindow* w = OpenChart("barchart6");
    ASSERT_NE(w, nullptr);
    click(&w->PrintChart);
    EXPECT_EQ(desk.beeps, 0);
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_TRUE(w->Visible());
}

// ChoosePrinter on its own: presets, flags and the matching rule.
struct ChoosePrinterTest : ::testing::Test {
    std::shared_ptr<print::RecordingPrinter> office
        = std::make_shared<print::RecordingPrinter>("Office Laser", "pcl", "LPT1:");
    std::shared_ptr<print::RecordingPrinter> upper = std::make_shared<print::RecordingPrinter>("OFFICE LASER");
    std::shared_ptr<print::RecordingPrinter> label = std::make_shared<print::RecordingPrinter>("Label");
    std::shared_ptr<print::FixedCatalog> installed = std::make_shared<print::FixedCatalog>(
        std::vector<std::shared_ptr<print::PrinterDevice>> { label, office, upper }, 0);
    print::ScopedCatalog catalog { installed };
    print::ScriptedPrinterChoices choices;
    QWidget owner;
};

TEST_F(ChoosePrinterTest, PresetsFromTheCurrentPrinterAndWritesTheFlags)
{
    label->SetPaperBin(15);
    choices.Cancel();
    EXPECT_FALSE(tellora::ChoosePrinter(&owner));
    ASSERT_EQ(choices.shown().size(), 1u);
    const auto& s = choices.shown()[0];
    EXPECT_EQ(s.deviceName, "Label");
    EXPECT_EQ(s.driverName, "recorder");
    EXPECT_EQ(s.port, "REC:");
    EXPECT_EQ(s.paperBin, 15);
    EXPECT_EQ(s.flags, (std::vector<std::int32_t> { 268, 262144, 64 }));
    EXPECT_TRUE(s.cancelError);
    EXPECT_EQ(s.owner, &owner);
    EXPECT_FALSE(print::current().TrackDefault());
    EXPECT_EQ(print::current().Device(), label);
}

struct ChoiceCase {
    const char* name;
    const char* chosen;
    int expected; // 0 label, 1 office, 2 upper
};

class ChoosePrinterMatch : public ChoosePrinterTest, public ::testing::WithParamInterface<ChoiceCase> { };

TEST_P(ChoosePrinterMatch, TheLastInstalledPrinterOfThatNameWhateverTheCase)
{
    choices.Choose(GetParam().chosen);
    EXPECT_TRUE(tellora::ChoosePrinter(&owner));
    const std::shared_ptr<print::PrinterDevice> all[] = { label, office, upper };
    EXPECT_EQ(print::current().Device(), all[GetParam().expected]);
}

INSTANTIATE_TEST_SUITE_P(All, ChoosePrinterMatch,
    ::testing::Values(ChoiceCase { "LowerCase", "office laser", 2 }, ChoiceCase { "MixedCase", "Office Laser", 2 },
        ChoiceCase { "Other", "label", 0 }, ChoiceCase { "Unknown", "Nowhere", 0 }, ChoiceCase { "Empty", "", 0 }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChoosePrinterTest, TheChosenPrinterStaysCurrentWhateverTheDefault)
{
    choices.Choose("OFFICE LASER");
    ASSERT_TRUE(tellora::ChoosePrinter(&owner));
    installed->SetDefault(0);
    EXPECT_EQ(print::current().Device(), upper);
    // The next choice is preset from it.
    choices.Cancel();
    EXPECT_FALSE(tellora::ChoosePrinter(&owner));
    EXPECT_EQ(choices.shown().back().deviceName, "OFFICE LASER");
}

// Once through a real PDF file, read back with poppler's tools.
QString RunTool(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000)) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// A window of each layout class: the sugar chart and the new narrow and wide ones.
struct PdfCase {
    const char* menuItem;
    int x;
};

class RealPdf : public ChartTest, public ::testing::WithParamInterface<PdfCase> { };

TEST_P(RealPdf, PrintsToARealPdfPage)
{
    const PdfCase& c = GetParam();
    auto pdf = std::make_shared<print::PdfPrinter>(folder.file("chart.pdf"));
    print::ScopedCatalog catalog { std::make_shared<print::FixedCatalog>(
        std::vector<std::shared_ptr<print::PrinterDevice>> { pdf }) };
    print::ScriptedPrinterChoices choices;
    choices.ConfirmPreset();
    OpenLog(FullReadings(40), 0);
    ChartWindow* w = OpenChart(c.menuItem);
    ASSERT_NE(w, nullptr);
    click(&w->PrintChart);
    ASSERT_TRUE(folder.exists("chart.pdf"));
    EXPECT_TRUE(desk.messages.empty());

    const QString info = RunTool("pdfinfo", { folder.file("chart.pdf") });
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+1\\n"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Page size:\\s+792 x 612"))) << info.toStdString();
    // The page holds the picture alone: no text of its own.
    EXPECT_TRUE(RunTool("pdftotext", { folder.file("chart.pdf"), "-" }).trimmed().isEmpty());

    // Where ink falls on the page, at 72 dots to the inch (a dot is a point).
    RunTool("pdftoppm", { "-r", "72", "-gray", "-singlefile", folder.file("chart.pdf"), folder.file("page") });
    QImage page(folder.file("page.pgm"));
    ASSERT_FALSE(page.isNull());
    ASSERT_EQ(page.size(), QSize(792, 612));
    int left = page.width(), top = page.height(), right = -1, bottom = -1;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 250) {
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
    ASSERT_GE(right, 0) << "blank page";
    // The chart's rectangle: its corner at the window's print position from
    // the printable corner (18 points in), its own size in twips.
    const QSizeF size = QSizeF(w->MSChart1.TwipSize()) / 20.0;
    const double x0 = 18 + c.x / 20.0, y0 = 18 + 3000 / 20.0;
    EXPECT_GE(left, x0 - 1);
    EXPECT_GE(top, y0 - 1);
    EXPECT_LE(right, x0 + size.width() + 1);
    EXPECT_LE(bottom, y0 + size.height() + 1);
    // And the chart fills most of it.
    EXPECT_GT(right - left, size.width() * 0.8);
    EXPECT_GT(bottom - top, size.height() * 0.8);
}

INSTANTIATE_TEST_SUITE_P(All, RealPdf,
    ::testing::Values(
        PdfCase { "mnuGraphicsBar1", 2900 }, PdfCase { "barchart10", 2900 }, PdfCase { "mnuGraphsSPTBar", 2200 }),
    [](const auto& info) { return std::string(info.param.menuItem); });

} // namespace
