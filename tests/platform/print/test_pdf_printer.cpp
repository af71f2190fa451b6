// The PDF printer writes real files; read back with poppler's tools.
#include "platform/print/devices.h"
#include "platform/print/recording_printer.h"

#include "support/tempdir.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace print;

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << s.toStdString();
}

namespace {

QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000)) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

struct PdfTest : ::testing::Test {
    testsupport::ProgramFolder folder;
    std::shared_ptr<PdfPrinter> pdf = std::make_shared<PdfPrinter>(folder.file("out.pdf"));
    ScopedCatalog catalog { std::make_shared<FixedCatalog>(std::vector<std::shared_ptr<PrinterDevice>> { pdf }) };
    Printer& printer = current();
};

TEST_F(PdfTest, PrintsOneLandscapePageWithTheTextWhereItWasPut)
{
    EXPECT_EQ(printer.DeviceName(), PdfPrinter::defaultName());
    EXPECT_EQ(printer.Port(), folder.file("out.pdf"));
    printer.SetOrientation(PageOrientation::Landscape);
    printer.SetScaleMode(ScaleUnit::Twips);
    EXPECT_NEAR(printer.ScaleWidth(), 10.5 * 1440, 1);
    EXPECT_NEAR(printer.ScaleHeight(), 8 * 1440, 1);
    printer.SetFontName("Times New Roman");
    printer.SetFontSize(12);
    printer.SetCurrentX(2200);
    printer.SetCurrentY(3000);
    printer.Print("Landscape");
    QImage picture(200, 100, QImage::Format_ARGB32);
    picture.fill(Qt::red);
    printer.PaintPicture(picture, 2200, 4000);
    printer.Line(0, 0, 1440, 1440);
    EXPECT_FALSE(folder.exists("out.pdf")); // only once the document ends
    printer.EndDoc();
    ASSERT_TRUE(folder.exists("out.pdf"));

    const QString info = run("pdfinfo", { folder.file("out.pdf") });
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+1\\n"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Page size:\\s+792 x 612"))) << info.toStdString();

    // Word boxes in points from the page's corner: the margin is 18 points.
    const QString boxes = run("pdftotext", { "-bbox", folder.file("out.pdf"), "-" });
    const QRegularExpression word("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>Landscape</word>");
    const auto m = word.match(boxes);
    ASSERT_TRUE(m.hasMatch()) << boxes.toStdString();
    EXPECT_NEAR(m.captured(1).toDouble(), 18 + 2200 / 20.0, 2);
    EXPECT_NEAR(m.captured(2).toDouble(), 18 + 3000 / 20.0, 4);
}

// Text goes into the file as text in an embedded font, not as a picture, so
// a report can be searched and copied; "Times New Roman" comes out in its
// metric twin, upright and italic.
TEST_F(PdfTest, TextIsSearchableInTheMetricTwinOfTheFaceAsked)
{
    printer.Scale(0, 0, 80, 66);
    printer.SetFontName("Times New Roman");
    printer.SetFontSize(12);
    printer.SetCurrentX(10);
    printer.SetCurrentY(4);
    printer.Print("NAME: ANN_LEE");
    printer.SetFontItalic(true);
    printer.SetCurrentX(30);
    printer.SetCurrentY(9);
    printer.Print("PRESSURE");
    printer.EndDoc();
    const QString fonts = run("pdffonts", { folder.file("out.pdf") });
    EXPECT_TRUE(fonts.contains(QRegularExpression("LiberationSerif\\s"))) << fonts.toStdString();
    EXPECT_TRUE(fonts.contains("LiberationSerif-Italic")) << fonts.toStdString();
    const QString text = run("pdftotext", { "-layout", folder.file("out.pdf"), "-" });
    EXPECT_TRUE(text.contains("NAME: ANN_LEE")) << text.toStdString();
    EXPECT_TRUE(text.contains("PRESSURE")) << text.toStdString();
}

TEST_F(PdfTest, AnAbandonedDocumentLeavesTheEarlierFileWhole)
{
    printer.Print("first");
    printer.EndDoc();
    const QByteArray before = folder.read("out.pdf");
    ASSERT_FALSE(before.isEmpty());
    printer.Print("second");
    printer.NewPage();
    printer.KillDoc();
    EXPECT_EQ(folder.read("out.pdf"), before);
    EXPECT_TRUE(run("pdftotext", { folder.file("out.pdf"), "-" }).contains("first"));
}

TEST_F(PdfTest, AnUnwritableFileIsAnErrorAndLeavesNoDocumentOpen)
{
    pdf->SetOutputPath(folder.file("no such folder/out.pdf"));
    try {
        printer.Print("x");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), errPrinter);
    }
    EXPECT_FALSE(printer.InDocument());
    pdf->SetOutputPath(folder.file("out.pdf"));
    printer.Print("after");
    printer.EndDoc();
    EXPECT_TRUE(run("pdftotext", { folder.file("out.pdf"), "-" }).contains("after"));
}

TEST_F(PdfTest, PagesKeepTheirOwnOrientation)
{
    printer.Print("portrait");
    printer.SetOrientation(PageOrientation::Landscape);
    printer.NewPage();
    printer.Print("landscape");
    printer.EndDoc();
    const QString info = run("pdfinfo", { "-f", "1", "-l", "2", folder.file("out.pdf") });
    EXPECT_TRUE(info.contains(QRegularExpression("Page\\s+1 size:\\s+612 x 792"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Page\\s+2 size:\\s+792 x 612"))) << info.toStdString();
}

// Points HOME at a folder of the test's for its lifetime.
class ScopedHome {
public:
    explicit ScopedHome(const QString& home)
    {
        for (const char* name : { "HOME", "XDG_CONFIG_HOME" })
            saved_.push_back({ name, qEnvironmentVariableIsSet(name), qgetenv(name) });
        qputenv("HOME", home.toUtf8());
        // No user-dirs file: the desktop's folders are the standard ones.
        qputenv("XDG_CONFIG_HOME", QDir(home).filePath(".config").toUtf8());
    }
    ~ScopedHome()
    {
        for (const auto& [name, set, value] : saved_)
            set ? qputenv(name, value) : qunsetenv(name);
    }

private:
    struct Saved {
        const char* name;
        bool set;
        QByteArray value;
    };
    std::vector<Saved> saved_;
};

TEST(DefaultPdfFile, LiesInTheDocumentsFolderOnlyWhereThereIsOneAndPrintsAsItComes)
{
    testsupport::ProgramFolder home;
    ScopedHome scoped(home.path());
    // A fresh home without a documents folder: the file goes into the home.
    EXPECT_EQ(defaultPdfFile(), home.file("Tellora.pdf"));
    {
        ScopedCatalog catalog { std::make_shared<FixedCatalog>(
            std::vector<std::shared_ptr<PrinterDevice>> { std::make_shared<PdfPrinter>(defaultPdfFile()) }) };
        current().Print("offered");
        current().EndDoc();
    }
    EXPECT_TRUE(run("pdftotext", { home.file("Tellora.pdf"), "-" }).contains("offered"));

    ASSERT_TRUE(QDir(home.path()).mkdir("Documents"));
    EXPECT_EQ(defaultPdfFile(), home.file("Documents/Tellora.pdf"));
}

TEST(SystemCatalog, AlwaysOffersThePdfPrinterLast)
{
    SystemCatalog catalog;
    const auto all = catalog.Installed();
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.back(), pdfPrinter());
    EXPECT_NE(catalog.Default(), nullptr);
    EXPECT_EQ(catalog.Installed().front(), all.front()); // the same printer is the same object
}

} // namespace
