// The printer's scales, positions, text advance and document boundaries,
// checked through the recording printer.
#include "platform/print/printer.h"
#include "platform/print/recording_printer.h"

#include <QFontInfo>

#include <gtest/gtest.h>

#include <functional>

using namespace print;

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << s.toStdString();
}

namespace {

// A page of 8 x 10.5 inches: 11520 x 15120 twips.
struct PrinterTest : ::testing::Test {
    ScopedCatalog catalog;
    Printer& printer = current();
    std::shared_ptr<RecordingPrinter> rec = catalog.recorder();
};

struct Placement {
    const char* name;
    std::function<void(Printer&)> setUp;
    double x, y;
    QPointF twips;
};

class PrintAt : public PrinterTest, public ::testing::WithParamInterface<Placement> { };

TEST_P(PrintAt, PutsTheTextsTopLeftCornerWhereTheScaleSays)
{
    const Placement& c = GetParam();
    c.setUp(printer);
    printer.SetCurrentX(c.x);
    printer.SetCurrentY(c.y);
    printer.Print("Text");
    const auto texts = rec->OpsOf(OpKind::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NEAR(texts[0].at.x(), c.twips.x(), 0.01);
    EXPECT_NEAR(texts[0].at.y(), c.twips.y(), 0.01);
}

INSTANTIATE_TEST_SUITE_P(Scales, PrintAt,
    ::testing::Values(
        Placement { "twips", [](Printer& p) { p.SetScaleMode(ScaleUnit::Twips); }, 2200, 3000, { 2200, 3000 } },
        Placement { "characters", [](Printer& p) { p.SetScaleMode(ScaleUnit::Characters); }, 10, 4, { 1200, 960 } },
        Placement {
            "portrait report page", [](Printer& p) { p.Scale(0, 0, 80, 66); }, 10, 4, { 1440, 4 * 15120 / 66.0 } },
        Placement { "character mode replaced by the user scale",
            [](Printer& p) {
                p.SetScaleMode(ScaleUnit::Characters);
                p.Scale(0, 0, 80, 66);
            },
            80, 66, { 11520, 15120 } },
        Placement { "landscape log page",
            [](Printer& p) {
                p.SetOrientation(PageOrientation::Landscape);
                p.Scale(0, 0, 110, 51);
            },
            55, 25.5, { 15120 / 2.0, 11520 / 2.0 } },
        Placement { "offset user scale", [](Printer& p) { p.Scale(10, 20, 30, 40); }, 20, 30, { 5760, 7560 } },
        Placement { "inches", [](Printer& p) { p.SetScaleMode(ScaleUnit::Inches); }, 1.5, 2, { 2160, 2880 } }),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

TEST_F(PrinterTest, ScaleSizeIsThePrintableAreaInTheCurrentUnits)
{
    EXPECT_DOUBLE_EQ(printer.ScaleWidth(), 11520);
    EXPECT_DOUBLE_EQ(printer.ScaleHeight(), 15120);
    printer.SetOrientation(PageOrientation::Landscape);
    EXPECT_DOUBLE_EQ(printer.ScaleWidth(), 15120);
    printer.SetScaleMode(ScaleUnit::Characters);
    EXPECT_DOUBLE_EQ(printer.ScaleWidth(), 126);
    EXPECT_DOUBLE_EQ(printer.ScaleHeight(), 48);
    printer.Scale(0, 0, 110, 51);
    EXPECT_EQ(printer.ScaleMode(), ScaleUnit::User);
    EXPECT_DOUBLE_EQ(printer.ScaleWidth(), 110);
    EXPECT_DOUBLE_EQ(printer.ScaleHeight(), 51);
    printer.SetScaleMode(ScaleUnit::Twips);
    EXPECT_DOUBLE_EQ(printer.ScaleLeft(), 0);
    EXPECT_DOUBLE_EQ(printer.ScaleWidth(), 15120);
    EXPECT_THROW(printer.Scale(0, 0, 0, 66), Error);
}

TEST_F(PrinterTest, PrintMovesToTheNextLineAndPrintSameLineStaysOnIt)
{
    printer.Scale(0, 0, 80, 66);
    printer.SetFontName("Times New Roman");
    printer.SetFontSize(12);
    printer.SetCurrentX(10);
    printer.SetCurrentY(5);
    const double h = printer.TextHeight("NAME: X");
    EXPECT_GT(h, 0.5);
    EXPECT_LT(h, 2.0); // one 12-point line is about one row of 66
    printer.Print("NAME: X");
    EXPECT_DOUBLE_EQ(printer.CurrentX(), 0);
    EXPECT_NEAR(printer.CurrentY(), 5 + h, 1e-9);

    printer.SetCurrentX(10);
    const double w = printer.TextWidth("PAGE #: ");
    printer.PrintSameLine("PAGE #: ");
    EXPECT_NEAR(printer.CurrentX(), 10 + w, 1e-9);
    printer.Print("1");
    const auto texts = rec->OpsOf(OpKind::Text);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_NEAR(texts[2].at.x(), (10 + w) * 144, 1e-6);
    EXPECT_EQ(texts[2].font.family(), "Times New Roman");
    EXPECT_DOUBLE_EQ(texts[2].font.pointSizeF(), 12);
}

TEST_F(PrinterTest, TextWidthFollowsTheFontAndTheScale)
{
    printer.SetFontName("Times New Roman");
    printer.SetFontSize(12);
    EXPECT_EQ(printer.TextWidth(""), 0);
    const double twips12 = printer.TextWidth("Insulin Injection Log");
    printer.SetFontSize(24);
    EXPECT_NEAR(printer.TextWidth("Insulin Injection Log") / twips12, 2.0, 0.15);
    printer.SetFontSize(12);
    printer.SetFontItalic(true);
    printer.SetFontBold(true);
    EXPECT_TRUE(printer.FontItalic());
    EXPECT_TRUE(printer.FontBold());
    printer.SetFontItalic(false);
    printer.SetFontBold(false);
    printer.Scale(0, 0, 80, 66);
    EXPECT_NEAR(printer.TextWidth("Insulin Injection Log"), twips12 / 144, 1e-9);
    EXPECT_LT(printer.TextWidth("BLOOD"), printer.TextWidth("PRESSURE"));
    EXPECT_TRUE(rec->Ops().empty()); // measuring prints nothing
}

// The reports centre by measured width, so "Times New Roman" has to measure as
// its metric twin does, whatever the system would substitute for it.
TEST_F(PrinterTest, TimesNewRomanPrintsAndMeasuresAsLiberationSerif)
{
    printer.SetFontName("Times New Roman");
    printer.SetFontSize(12);
    printer.SetFontItalic(true);
    EXPECT_EQ(printer.FontName(), "Times New Roman");
    EXPECT_EQ(QFontInfo(printer.Font()).family(), "Liberation Serif");
    QFont twin("Liberation Serif");
    twin.setPointSizeF(12);
    twin.setItalic(true);
    // Before any output, in the landscape log page's scale.
    printer.SetOrientation(PageOrientation::Landscape);
    printer.Scale(0, 0, 110, 51);
    EXPECT_DOUBLE_EQ(
        printer.TextWidth("Injection Site"), measureTwips("Injection Site", twin).width() / (15120 / 110.0));
    // Upright 12-point Times New Roman: "Date" advances 3866 of 2048 units to
    // the em of 240 twips.
    printer.SetFontItalic(false);
    EXPECT_NEAR(printer.TextWidth("Date") * 15120 / 110.0, 3866 / 2048.0 * 240, 3);
    EXPECT_TRUE(rec->Ops().empty());
}

// Scale, fonts, draw width and orientation are the printer's until changed:
// neither a new page nor the end of a document resets them.
TEST_F(PrinterTest, SettingsStayInForceAcrossPagesAndDocuments)
{
    printer.SetOrientation(PageOrientation::Landscape);
    printer.SetScaleMode(ScaleUnit::Characters);
    printer.Scale(0, 0, 110, 51);
    printer.SetFontName("Times New Roman");
    printer.SetFontSize(20);
    printer.SetFontItalic(true);
    printer.SetDrawWidth(2);
    printer.SetCurrentX(55.5);
    printer.SetCurrentY(6.25);
    printer.Print("first");
    printer.NewPage();
    printer.LineStep(6, 12.5, 98, 0);
    printer.EndDoc();
    printer.SetCurrentX(11.15);
    printer.SetCurrentY(45.65);
    printer.Print("second document");
    printer.EndDoc();

    const auto texts = rec->OpsOf(OpKind::Text);
    ASSERT_EQ(texts.size(), 2u);
    const double ux = 15120 / 110.0, uy = 11520 / 51.0;
    EXPECT_NEAR(texts[0].at.x(), 55.5 * ux, 1e-6);
    EXPECT_NEAR(texts[0].at.y(), 6.25 * uy, 1e-6);
    EXPECT_EQ(texts[1].document, 2);
    EXPECT_EQ(texts[1].orientation, PageOrientation::Landscape);
    EXPECT_NEAR(texts[1].at.x(), 11.15 * ux, 1e-6);
    EXPECT_NEAR(texts[1].at.y(), 45.65 * uy, 1e-6);
    EXPECT_EQ(texts[1].font.family(), "Times New Roman");
    EXPECT_DOUBLE_EQ(texts[1].font.pointSizeF(), 20);
    EXPECT_TRUE(texts[1].font.italic());
    const auto lines = rec->OpsOf(OpKind::Line);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].page, 2);
    EXPECT_EQ(lines[0].width, 2);
    EXPECT_NEAR(lines[0].at.x(), 6 * ux, 1e-6);
    EXPECT_NEAR(lines[0].to.x(), 104 * ux, 1e-6);
    EXPECT_NEAR(lines[0].to.y(), 12.5 * uy, 1e-6);
    EXPECT_DOUBLE_EQ(printer.CurrentX(), 0); // Print moved on to the next line
}

TEST_F(PrinterTest, RecordsTheDocumentWithItsPagesAndOrientations)
{
    printer.SetOrientation(PageOrientation::Landscape);
    printer.Scale(0, 0, 110, 51);
    printer.SetDrawWidth(2);
    printer.Line(6, 8, 104, 8);
    EXPECT_DOUBLE_EQ(printer.CurrentX(), 104);
    EXPECT_DOUBLE_EQ(printer.CurrentY(), 8);
    EXPECT_EQ(printer.Page(), 1);
    printer.SetOrientation(PageOrientation::Portrait); // for the page to come
    printer.NewPage();
    EXPECT_EQ(printer.Page(), 2);
    printer.Print("second");
    printer.EndDoc();
    EXPECT_EQ(printer.Page(), 1);
    EXPECT_FALSE(printer.InDocument());

    const auto& ops = rec->Ops();
    ASSERT_EQ(ops.size(), 5u);
    EXPECT_EQ(ops[0].kind, OpKind::BeginDoc);
    EXPECT_EQ(ops[0].orientation, PageOrientation::Landscape);
    EXPECT_EQ(ops[1].kind, OpKind::Line);
    EXPECT_EQ(ops[1].width, 2);
    EXPECT_NEAR(ops[1].at.x(), 6 * 15120 / 110.0, 1e-6);
    EXPECT_NEAR(ops[1].to.x(), 104 * 15120 / 110.0, 1e-6);
    EXPECT_EQ(ops[2].kind, OpKind::NewPage);
    EXPECT_EQ(ops[3].kind, OpKind::Text);
    EXPECT_EQ(ops[3].page, 2);
    EXPECT_EQ(ops[3].orientation, PageOrientation::Portrait);
    EXPECT_EQ(ops[4].kind, OpKind::EndDoc);
    EXPECT_EQ(rec->Pages(1), 2);
    EXPECT_EQ(rec->DocumentsEnded(), 1);
}

TEST_F(PrinterTest, PaintPictureDrawsAtThePicturesOwnSize)
{
    QImage picture(QSize(665 * 2, 345 * 2), QImage::Format_ARGB32);
    picture.setDevicePixelRatio(2);
    picture.fill(Qt::white);
    printer.SetOrientation(PageOrientation::Landscape);
    printer.SetScaleMode(ScaleUnit::Twips);
    printer.PaintPicture(picture, 2200, 3000);
    printer.EndDoc();
    const auto pictures = rec->OpsOf(OpKind::Picture);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].at, QPointF(2200, 3000));
    EXPECT_EQ(pictures[0].size, QSizeF(9975, 5175));
    EXPECT_EQ(pictures[0].orientation, PageOrientation::Landscape);
}

TEST_F(PrinterTest, EndDocWithoutOutputBeginsNoDocument)
{
    printer.EndDoc();
    printer.KillDoc();
    EXPECT_EQ(rec->DocumentsBegun(), 0);
}

struct FailureCase {
    const char* name;
    OpKind failing;
};

class FailingDocument : public PrinterTest, public ::testing::WithParamInterface<FailureCase> { };

// A failure at any step abandons the document; the next one starts clean.
TEST_P(FailingDocument, IsAbandonedAndNeverMergesIntoTheNext)
{
    rec->FailAt(GetParam().failing);
    EXPECT_THROW(
        {
            printer.Print("first page");
            printer.Line(0, 0, 100, 100);
            printer.NewPage();
            printer.PaintPicture(QImage(10, 10, QImage::Format_ARGB32), 0, 0);
            printer.EndDoc();
        },
        Error);
    EXPECT_FALSE(printer.InDocument());
    EXPECT_FALSE(rec->DocumentOpen());
    EXPECT_EQ(rec->DocumentsEnded(), 0);
    EXPECT_EQ(rec->DocumentsKilled(), GetParam().failing == OpKind::BeginDoc ? 0 : 1);

    printer.Print("next");
    printer.EndDoc();
    const int last = rec->DocumentsBegun();
    const auto ops = rec->PageOps(last, 1);
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(ops[0].text, "next");
    EXPECT_EQ(rec->Pages(last), 1);
    EXPECT_EQ(rec->DocumentsEnded(), 1);
}

INSTANTIATE_TEST_SUITE_P(Steps, FailingDocument,
    ::testing::Values(FailureCase { "begin", OpKind::BeginDoc }, FailureCase { "text", OpKind::Text },
        FailureCase { "line", OpKind::Line }, FailureCase { "newpage", OpKind::NewPage },
        FailureCase { "picture", OpKind::Picture }, FailureCase { "enddoc", OpKind::EndDoc }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PrinterTest, DocumentGuardAbandonsUnlessEnded)
{
    {
        Document doc(printer);
        printer.Print("never delivered");
    }
    EXPECT_EQ(rec->DocumentsKilled(), 1);
    EXPECT_FALSE(printer.InDocument());

    printer.Print("left open by a careless caller");
    {
        Document doc(printer); // abandons the stale document first
        EXPECT_EQ(rec->DocumentsKilled(), 2);
        printer.Print("delivered");
        doc.End();
    }
    EXPECT_EQ(rec->DocumentsEnded(), 1);
    EXPECT_EQ(rec->DocumentsKilled(), 2);
    const auto ops = rec->PageOps(rec->DocumentsBegun(), 1);
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(ops[0].text, "delivered");
}

TEST(PrinterSelection, SettingAnotherPrinterAbandonsTheOpenDocument)
{
    auto a = std::make_shared<RecordingPrinter>("Alpha");
    auto b = std::make_shared<RecordingPrinter>("Beta");
    ScopedCatalog catalog(std::make_shared<FixedCatalog>(std::vector<std::shared_ptr<PrinterDevice>> { a, b }));
    Printer& printer = current();
    EXPECT_EQ(printer.DeviceName(), "Alpha");
    printer.Print("on alpha");
    printer.Set(b);
    EXPECT_EQ(a->DocumentsKilled(), 1);
    EXPECT_EQ(printer.DeviceName(), "Beta");
    printer.Print("on beta");
    printer.EndDoc();
    EXPECT_EQ(b->DocumentsEnded(), 1);
    ASSERT_EQ(printer.Printers().size(), 2u);
    EXPECT_EQ(printer.Printers()[1], b);
}

TEST(PrinterSelection, FollowsTheSystemDefaultOnlyWhileTrackDefaultIsSet)
{
    auto a = std::make_shared<RecordingPrinter>("Alpha", "drv", "LPT1:");
    auto b = std::make_shared<RecordingPrinter>("Beta", "drv2", "LPT2:");
    auto cat = std::make_shared<FixedCatalog>(std::vector<std::shared_ptr<PrinterDevice>> { a, b }, 0);
    ScopedCatalog catalog(cat);
    Printer& printer = current();
    EXPECT_TRUE(printer.TrackDefault());
    cat->SetDefault(1);
    EXPECT_EQ(printer.DeviceName(), "Beta");
    EXPECT_EQ(printer.Port(), "LPT2:");
    printer.SetTrackDefault(false);
    cat->SetDefault(0);
    EXPECT_EQ(printer.DeviceName(), "Beta");
    printer.Set(a);
    cat->SetDefault(1);
    EXPECT_EQ(printer.DeviceName(), "Alpha");
    EXPECT_EQ(printer.DriverName(), "drv");
    EXPECT_EQ(printer.PaperBin(), 7);
}

TEST(PrinterSelection, WithNoPrinterInstalledEveryUseFailsWithAnError)
{
    ScopedCatalog catalog(std::make_shared<FixedCatalog>(std::vector<std::shared_ptr<PrinterDevice>> {}, -1));
    Printer& printer = current();
    EXPECT_FALSE(printer.HasDevice());
    try {
        (void)printer.DeviceName();
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), errNoPrinter);
    }
    EXPECT_THROW(printer.Print("x"), Error);
    EXPECT_FALSE(printer.InDocument());
}

TEST(PrinterSelection, ANewCatalogResetsTheSettings)
{
    {
        ScopedCatalog catalog;
        current().SetOrientation(PageOrientation::Landscape);
        current().Scale(0, 0, 80, 66);
        current().SetTrackDefault(false);
        current().Print("abandoned by the reset");
        EXPECT_TRUE(current().InDocument());
    }
    ScopedCatalog again;
    EXPECT_EQ(current().Orientation(), PageOrientation::Portrait);
    EXPECT_EQ(current().ScaleMode(), ScaleUnit::Twips);
    EXPECT_TRUE(current().TrackDefault());
    EXPECT_FALSE(current().InDocument());
}

} // namespace
