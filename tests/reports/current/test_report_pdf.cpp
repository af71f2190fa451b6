// Each report once to a real PDF file, read back with poppler's tools.
#include "report_fixture.h"

#include "platform/print/devices.h"

#include <QProcess>
#include <QRegularExpression>

using namespace reporttest;

namespace {

QString RunTool(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000)) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The text of the file with every run of blanks as one blank: the laid-out
// text spaces words by their positions, not by the blanks printed (those the
// recording printer's tests check).
QString Words(const QString& text)
{
    return QString(text).replace(QRegularExpression(" +"), " ");
}

class ReportPdf : public ReportTest {
protected:
    std::shared_ptr<print::PdfPrinter> pdf = std::make_shared<print::PdfPrinter>(folder.file("report.pdf"));
    print::ScopedCatalog pdfCatalog { std::make_shared<print::FixedCatalog>(
        std::vector<std::shared_ptr<print::PrinterDevice>> { pdf }) };
};

TEST_F(ReportPdf, StandardReportIsSearchableTextOnPortraitPages)
{
    std::vector<Rd> rows = Standard(60);
    rows[3].comment = "After the walk";
    OpenWith(rows);
    PrintReport(true);
    ASSERT_TRUE(desk.messages.empty());
    ASSERT_TRUE(folder.exists("report.pdf"));
    const QString info = RunTool("pdfinfo", { folder.file("report.pdf") });
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+4\\n"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Page size:\\s+612 x 792"))) << info.toStdString();
    const QString text = Words(RunTool("pdftotext", { "-layout", folder.file("report.pdf"), "-" }));
    for (const char* expected : { "NAME: ANN_LEE", "PAGE #: 1 OF 4", "PAGE #: 2 OF 4", "PRESSURE", "120/80",
             "Comments: After the walk", "PAGE #:  3 OF  4", "Lowest Blood Sugar Reading:  100",
             "Average Blood Pressure Reading:  120/ 80", "Lowest Temerature Reading: No Readings",
             "This application in NOT intended to replace professional medical care." })
        EXPECT_TRUE(text.contains(Words(expected))) << expected << "\n" << text.toStdString();
}

TEST_F(ReportPdf, InjectionLogIsSearchableTextOnLandscapePages)
{
    OpenWith(Injections(30));
    PrintReport(false);
    ASSERT_TRUE(desk.messages.empty());
    const QString info = RunTool("pdfinfo", { folder.file("report.pdf") });
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+2\\n"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Page size:\\s+792 x 612"))) << info.toStdString();
    const QString text = Words(RunTool("pdftotext", { "-layout", folder.file("report.pdf"), "-" }));
    for (const char* expected : { "Name: ANN_LEE", "Page: 1 of  2", "Page: 2 of  2", "Insulin Injection Log",
             "Injection Site", "Humalog", "3/15/2024" })
        EXPECT_TRUE(text.contains(Words(expected))) << expected << "\n" << text.toStdString();
}

} // namespace
