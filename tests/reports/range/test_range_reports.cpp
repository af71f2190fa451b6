// The standard report, the summary pages alone and the injection log over a
// date range, printed through the real windows on the recording printer: the
// range's first and last day, the headers, the page rule, the no-readings
// exits, the summary-only report and the failure paths.
#include "range_fixture.h"

#include "platform/print/devices.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>

using namespace rangetest;
using print::OpKind;
using print::PageOrientation;

namespace {

class StandardByDate : public RangeTest {
protected:
    StdRptByDate* Open(bool summaryOnly = false)
    {
        auto* w = static_cast<StdRptByDate*>(OpenWindow(false));
        if (w && summaryOnly) click(&w->Option2);
        return w;
    }
    // The shown dates of the data rows of a page, top to bottom.
    QStringList RowDates(int page)
    {
        QStringList out;
        for (const Printed& t : Texts())
            if (t.page == page && std::abs(t.x - 10) < 0.01 && t.y >= 11 && !t.text.startsWith("Comments: "))
                out << t.text;
        return out;
    }
};

TEST_F(StandardByDate, PrintsTheRangeFromItsFirstToItsLastDayUnderTheRangeHeader)
{
    OpenWith({
        { Day(0), "23:59", { { "Bsugar", "90" } } }, // the day before
        { Day(1), "07:30", { { "Bsugar", "110" }, { "Bcomm", "before breakfast" } } },
        { Day(1), "12:00", { { "Bpulse", "72" } } },
        { Day(2), "08:00", { { "Instype", "Humalog" } } }, // injection only: no line
        { Day(3), "08:00", { { "Bcomm", "a comment alone" } } }, // comment only: no line
        { Day(3), "23:59", { { "Temp", "98.6" } } }, // the last day, late
        { Day(4), "00:00", { { "Bsugar", "500" } } }, // the day after
    });
    const QString folderBefore = QDir::currentPath();
    StdRptByDate* w = Open();
    ASSERT_NE(w, nullptr);
    PrintRange(w, PickedDay(1), PickedDay(3));

    EXPECT_TRUE(desk.messages.empty());
    EXPECT_EQ(recorder().DocumentsBegun(), 1);
    EXPECT_EQ(recorder().DocumentsEnded(), 1);
    ASSERT_EQ(recorder().Pages(), 3);
    EXPECT_EQ(Row(1, 4), QStringList { "NAME: JANE_DOE" });
    EXPECT_EQ(Row(1, 5), QStringList { "DATES: 03/02/2024 To 03/04/2024" });
    EXPECT_EQ(Row(1, 6), QStringList { "PAGE #: 1 OF 3" });
    EXPECT_EQ(RowDates(1), (QStringList { ShownDay(1), ShownDay(1), ShownDay(3) }));
    EXPECT_EQ(Row(1, 11), (QStringList { ShownDay(1), "07:30 AM", "110", "-/-", "-", "-", "-", "-" }));
    EXPECT_EQ(Row(1, 12), QStringList { "Comments: before breakfast" });
    EXPECT_EQ(Row(1, 13).mid(0, 2), (QStringList { ShownDay(1), "12:00 PM" }));
    EXPECT_EQ(Row(1, 14).mid(0, 2), (QStringList { ShownDay(3), "11:59 PM" }));
    EXPECT_TRUE(Row(1, 15).isEmpty());
    // The summary pages carry the same range, their numbers with a leading blank.
    for (int page : { 2, 3 }) {
        EXPECT_EQ(Row(page, 5), QStringList { "DATES: 03/02/2024 To 03/04/2024" });
        EXPECT_EQ(Row(page, 7), QStringList { "Summary Page" });
    }
    EXPECT_EQ(Row(2, 6), QStringList { "PAGE #:  2 OF  3" });
    EXPECT_EQ(Row(3, 6), QStringList { "PAGE #:  3 OF  3" });
    // Neither the day before nor the day after reached a statistic.
    EXPECT_EQ(Row(2, 9), QStringList { "Lowest Blood Sugar Reading:  110" });
    EXPECT_EQ(Row(2, 10), QStringList { "Highest Blood Sugar Reading:  110" });
    EXPECT_EQ(Row(3, 27), QStringList { "Average SPO2 Reading: No Readings" });

    EXPECT_EQ(stdWindow(), nullptr);
    EXPECT_TRUE(Unlocked());
    EXPECT_EQ(QDir::currentPath(), folderBefore);
    ASSERT_FALSE(desk.pointers.empty());
    EXPECT_EQ(desk.pointers.front(), forms::vbHourglass);
    EXPECT_EQ(desk.pointers.back(), forms::vbArrow);
}

struct PageCase {
    const char* what;
    int readings;
    int commentOn; // the reading (from 0) with a comment; -1 none
    int total;
    int page; // where the last line lands
    double row;
    const char* text; // its first text; empty: the last reading's date
};

class PageRule : public StandardByDate, public ::testing::WithParamInterface<PageCase> { };

TEST_P(PageRule, FiftyLinesAPageAndAPageTotalThatCountsThem)
{
    const PageCase& c = GetParam();
    std::vector<Rd> rows = Standard(c.readings, 1);
    if (c.commentOn >= 0) rows[c.commentOn].values["Bcomm"] = "noted";
    OpenWith(rows);
    StdRptByDate* w = Open();
    ASSERT_NE(w, nullptr);
    PrintRange(w, PickedDay(1), PickedDay(1 + c.readings / 2));

    ASSERT_EQ(recorder().Pages(), c.total) << c.what;
    for (int page = 1; page <= c.total - 2; ++page) {
        EXPECT_EQ(Row(page, 5), QStringList { "DATES: 03/02/2024 To " + RangeDayText(PickedDay(1 + c.readings / 2)) });
        EXPECT_EQ(Row(page, 6), QStringList { QStringLiteral("PAGE #: %1 OF %2").arg(page).arg(c.total) }) << c.what;
    }
    const QStringList last = Row(c.page, c.row);
    ASSERT_FALSE(last.isEmpty()) << c.what;
    EXPECT_EQ(last[0], *c.text ? QString(c.text) : ShownDay(1 + (c.readings - 1) / 2)) << c.what;
    EXPECT_TRUE(Row(c.page, c.row + 1).isEmpty()) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Lines, PageRule,
    ::testing::Values(PageCase { "one reading", 1, -1, 3, 1, 11, "" },
        PageCase { "fifty fill a page", 50, -1, 3, 1, 60, "" },
        PageCase { "a fifty-first opens page 2", 51, -1, 4, 2, 11, "" },
        PageCase { "a comment on line 60 opens page 2", 50, 49, 4, 2, 11, "Comments: noted" },
        PageCase { "a comment on line 59 takes line 60", 49, 48, 3, 1, 60, "Comments: noted" }));

TEST_F(StandardByDate, NothingInTheRangeIsReportedAndTheWindowStaysForAnotherRange)
{
    OpenWith({ { Day(2), "08:00", { { "Bsugar", "100" } } }, { Day(3), "08:00", { { "Insamt", "4" } } },
        { Day(4), "08:00", { { "Bsugar", "101" } } } });
    struct Case {
        const char* what;
        int first, last;
    };
    const Case cases[] = {
        { "before every reading", 0, 1 },
        { "after every reading", 5, 9 },
        { "injection readings alone", 3, 3 },
    };
    for (bool summaryOnly : { false, true }) {
        const int begun = recorder().DocumentsBegun();
        StdRptByDate* w = Open(summaryOnly);
        ASSERT_NE(w, nullptr);
        for (const Case& c : cases) {
            desk.messages.clear();
            PrintRange(w, PickedDay(c.first), PickedDay(c.last));
            ASSERT_EQ(desk.messages.size(), 1u) << c.what;
            EXPECT_EQ(desk.messages[0].text, NoReadingsToPrintMessage) << c.what;
            EXPECT_EQ(recorder().DocumentsBegun(), begun) << c.what;
            ASSERT_EQ(stdWindow(), w) << c.what;
            EXPECT_EQ(desk.pointers.back(), forms::vbArrow);
        }
        // Another range prints, and only then does the window close.
        PrintRange(w, PickedDay(2), PickedDay(4));
        EXPECT_EQ(recorder().DocumentsEnded(), summaryOnly ? 2 : 1);
        EXPECT_EQ(stdWindow(), nullptr);
        EXPECT_TRUE(Unlocked());
    }
}

TEST_F(StandardByDate, TheSummaryPagesAloneAreTheFullReportsLastTwoPages)
{
    std::vector<Rd> rows = Standard(120, 1);
    rows[7].values["Bcomm"] = "a comment";
    rows[9].values["Temp"] = "98.6";
    OpenWith(rows);
    PrintRange(Open(false), PickedDay(1), PickedDay(60));
    PrintRange(Open(true), PickedDay(1), PickedDay(60));
    ASSERT_EQ(recorder().DocumentsEnded(), 2);
    const auto full = Pages(1);
    const auto alone = Pages(2);
    ASSERT_EQ(full.size(), 5u); // 120 readings and a comment: 3 data pages
    ASSERT_EQ(alone.size(), 2u);
    EXPECT_EQ(Row(1, 6, 2), QStringList { "PAGE #:  1 OF  2" });
    EXPECT_EQ(Row(2, 6, 2), QStringList { "PAGE #:  2 OF  2" });
    EXPECT_EQ(Row(4, 6, 1), QStringList { "PAGE #:  4 OF  5" });
    for (int page = 0; page < 2; ++page) {
        QStringList a = alone[page], f = full[3 + page];
        a.removeIf([](const QString& l) { return l.contains("PAGE #:"); });
        f.removeIf([](const QString& l) { return l.contains("PAGE #:"); });
        EXPECT_EQ(a, f) << "summary page " << page + 1;
    }
    EXPECT_EQ(stdWindow(), nullptr);
    EXPECT_TRUE(Unlocked());
}

TEST_F(StandardByDate, APrinterFailureAbandonsTheDocumentAndKeepsTheWindow)
{
    OpenWith(Standard(60, 1));
    const QString folderBefore = QDir::currentPath();
    for (int failAt : { 1, 500 }) {
        StdRptByDate* w = Open();
        recorder().FailAt(OpKind::Text, failAt);
        desk.messages.clear();
        PrintRange(w, PickedDay(1), PickedDay(40));
        ASSERT_EQ(desk.messages.size(), 1u);
        EXPECT_EQ(desk.messages[0].text, "Check Your Printer and Try Again");
        EXPECT_EQ(desk.messages[0].icon, forms::Icon::Critical);
        EXPECT_EQ(desk.messages[0].title, "Tellora");
        EXPECT_FALSE(recorder().DocumentOpen());
        EXPECT_EQ(recorder().DocumentsEnded(), 0);
        EXPECT_EQ(stdWindow(), w);
        EXPECT_EQ(QDir::currentPath(), folderBefore);
        EXPECT_EQ(desk.pointers.back(), forms::vbArrow);
        click(&w->Cancel);
        flushDeletes();
    }
    EXPECT_EQ(desk.beeps, 2);
    // The next report starts a clean document.
    PrintRange(Open(), PickedDay(1), PickedDay(1));
    EXPECT_EQ(recorder().DocumentsEnded(), 1);
    EXPECT_EQ(recorder().Pages(), 3);
}

class LogByDate : public RangeTest {
protected:
    PrtInsLogByDate* Open() { return static_cast<PrtInsLogByDate*>(OpenWindow(true)); }
};

struct LogCase {
    int injections;
    int pages;
};

class LogRows : public LogByDate, public ::testing::WithParamInterface<LogCase> { };

TEST_P(LogRows, TwentyFourRowsALandscapePageAndNoEmptyPage)
{
    const LogCase& c = GetParam();
    // Standard readings around and among the injections take no row.
    std::vector<Rd> rows = Injections(c.injections, 1);
    for (const Rd& r : Standard(6, 0))
        rows.push_back(r);
    rows.push_back({ Day(30), "08:00", { { "Instype", "Lantus" } } }); // after the range
    OpenWith(rows);
    PrintRange(Open(), PickedDay(1), PickedDay(29));

    EXPECT_EQ(logWindow(), nullptr); // closed whatever the outcome
    EXPECT_TRUE(Unlocked());
    EXPECT_EQ(print::current().Orientation(), PageOrientation::Portrait);
    if (c.injections == 0) {
        ASSERT_EQ(desk.messages.size(), 1u);
        EXPECT_EQ(desk.messages[0].text, NoReadingsToPrintMessage);
        EXPECT_EQ(recorder().DocumentsBegun(), 0);
        return;
    }
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_EQ(recorder().DocumentsEnded(), 1);
    ASSERT_EQ(recorder().Pages(), c.pages);
    int printed = 0;
    for (int page = 1; page <= c.pages; ++page) {
        EXPECT_EQ(Row(page, 5.25), QStringList { "Dates: 03/02/2024 To 03/30/2024" });
        EXPECT_EQ(Row(page, 6.5), QStringList { QStringLiteral("Page: %1 of  %2").arg(page).arg(c.pages) });
        for (int k = 0; k < 24; ++k) {
            const QStringList row = Row(page, 11.15 + 1.5 * k);
            if (row.isEmpty()) break;
            EXPECT_EQ(row[3], "Humalog");
            EXPECT_EQ(row[4], QString::number(printed)) << "rows in order, none skipped";
            ++printed;
        }
    }
    EXPECT_EQ(printed, c.injections);
    for (const auto& op : recorder().OpsOf(OpKind::Text))
        EXPECT_EQ(op.orientation, PageOrientation::Landscape);
}

INSTANTIATE_TEST_SUITE_P(Counts, LogRows,
    ::testing::Values(LogCase { 0, 0 }, LogCase { 24, 1 }, LogCase { 25, 2 }, LogCase { 48, 2 }),
    [](const auto& info) { return "rows" + std::to_string(info.param.injections); });

TEST_F(LogByDate, AFailureFromTheDatabaseOpeningOnIsReportedAndTheLogEndsPortrait)
{
    OpenWith(Injections(30, 1));
    struct Case {
        const char* what;
        int failAtText; // 0: the database will not open
    };
    for (const Case& c : { Case { "database gone", 0 }, Case { "first text", 1 }, Case { "page 2", 200 } }) {
        desk.messages.clear();
        const QString folderBefore = QDir::currentPath();
        PrtInsLogByDate* w = Open();
        ASSERT_NE(w, nullptr);
        if (c.failAtText)
            recorder().FailAt(OpKind::Text, c.failAtText);
        else
            QDir().rename(File, "MOVED.mdb");
        PrintRange(w, PickedDay(1), PickedDay(20));
        if (!c.failAtText) QDir().rename("MOVED.mdb", File);

        ASSERT_EQ(desk.messages.size(), 1u) << c.what;
        EXPECT_EQ(desk.messages[0].text, RangeLogFailureMessage) << c.what;
        EXPECT_EQ(desk.messages[0].icon, forms::Icon::None);
        EXPECT_EQ(desk.messages[0].title, forms::ProgramTitle);
        EXPECT_EQ(desk.beeps, 0);
        EXPECT_FALSE(recorder().DocumentOpen()) << c.what;
        EXPECT_EQ(recorder().DocumentsEnded(), 0);
        EXPECT_EQ(print::current().Orientation(), PageOrientation::Portrait) << c.what;
        EXPECT_EQ(QDir::currentPath(), folderBefore);
        EXPECT_EQ(logWindow(), nullptr);
        EXPECT_TRUE(Unlocked());
    }
}

QString RunTool(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000)) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

TEST_F(RangeTest, EachReportPrintsToARealPdfFile)
{
    std::vector<Rd> rows = Standard(4, 1);
    for (const Rd& r : Injections(3, 1))
        rows.push_back(r);
    OpenWith(rows);
    struct Case {
        bool log;
        const char* file;
        int pages;
        QStringList texts;
    };
    const Case cases[] = {
        { false, "standard.pdf", 3,
            { "DATES: 03/02/2024 To 03/04/2024", "PAGE #: 1 OF 3", "Summary Page",
                "Lowest Blood Sugar Reading: 100" } },
        { true, "log.pdf", 1, { "Dates: 03/02/2024 To 03/04/2024", "Insulin Injection Log", "Humalog" } },
    };
    for (const Case& c : cases) {
        auto pdf = std::make_shared<print::PdfPrinter>(folder.file(c.file));
        print::ScopedCatalog only { std::make_shared<print::FixedCatalog>(
            std::vector<std::shared_ptr<print::PrinterDevice>> { pdf }) };
        PrintRange(OpenWindow(c.log), PickedDay(1), PickedDay(3));
        ASSERT_TRUE(folder.exists(c.file)) << c.file;
        const QString info = RunTool("pdfinfo", { folder.file(c.file) });
        EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(c.pages))))
            << info.toStdString();
        // Text as text, blanks squeezed as a reader copies it.
        const QString text = RunTool("pdftotext", { folder.file(c.file), "-" }).simplified();
        for (const QString& t : c.texts)
            EXPECT_TRUE(text.contains(t)) << c.file << ": " << t.toStdString() << "\n" << text.toStdString();
    }
    EXPECT_TRUE(desk.messages.empty());
}

} // namespace
