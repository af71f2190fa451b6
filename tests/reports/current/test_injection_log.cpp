// The insulin injection log through the chooser and the recording printer:
// 24 rows to a ruled landscape page, the header and its centring, and the
// printer failures.
#include "report_fixture.h"

using namespace reporttest;

namespace {

struct LogCase {
    int readings;
    int pages;
    std::vector<int> rowsPerPage;
};

class LogPages : public ReportTest, public ::testing::WithParamInterface<LogCase> { };

TEST_P(LogPages, TwentyFourRowsToAPageAndNoEmptyPage)
{
    const LogCase& c = GetParam();
    // Standard readings between the injections take no row.
    std::vector<Rd> rows;
    for (int i = 0; i < c.readings; ++i) {
        rows.push_back(Injections(1, 2 * i)[0]);
        rows.push_back(Standard(1, 2 * i + 1)[0]);
    }
    OpenWith(rows);
    print::current().SetOrientation(PageOrientation::Landscape);
    PrintReport(false);
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_TRUE(desk.pointers.empty()); // no hourglass for the log
    EXPECT_EQ(recorder().DocumentsEnded(), 1);
    ASSERT_EQ(recorder().Pages(1), c.pages);
    for (int page = 1; page <= c.pages; ++page) {
        EXPECT_EQ(Find(QString("Page: %1 of  %2").arg(page).arg(c.pages), page).has_value(), true) << page;
        // One row is six texts on the row's line, centred in the grid's columns.
        int rows = 0;
        for (const auto& t : Texts(1, page))
            if (t.y > 11 && t.font.pointSizeF() == 12 && !t.font.italic()) ++rows;
        EXPECT_EQ(rows, 6 * c.rowsPerPage[page - 1]) << page;
        int lines = 0;
        for (const auto& op : recorder().PageOps(1, page))
            lines += op.kind == OpKind::Line;
        EXPECT_EQ(lines, 2 + 24 + 7) << page;
    }
    for (const auto& op : recorder().Ops()) {
        if (op.kind == OpKind::Text || op.kind == OpKind::Line) {
            EXPECT_EQ(op.orientation, PageOrientation::Landscape);
        }
    }
    // The last row of a full page sits at 11.15 + 23 x 1.5.
    if (c.readings >= 24) {
        const auto last = Find(QString::number(100 + 2 * 23));
        ASSERT_TRUE(last.has_value());
        EXPECT_EQ(last->page, 1);
        EXPECT_NEAR(last->y, 45.65, 1e-4);
    }
    EXPECT_EQ(print::current().Orientation(), PageOrientation::Portrait);
}

INSTANTIATE_TEST_SUITE_P(Cases, LogPages,
    ::testing::Values(LogCase { 1, 1, { 1 } }, LogCase { 24, 1, { 24 } }, LogCase { 25, 2, { 24, 1 } },
        LogCase { 48, 2, { 24, 24 } }),
    [](const auto& info) { return "Rows" + std::to_string(info.param.readings); });

TEST_F(ReportTest, LogHeaderGridAndRowPositions)
{
    OpenWith({ { .date = "2024-03-01", .time = "07:30", .instype = "Humalog", .insamt = "4" } });
    PrintReport(false);
    const auto name = Find("Name: ANN_LEE");
    ASSERT_TRUE(name.has_value());
    EXPECT_NEAR(name->x, 6, 1e-4);
    EXPECT_NEAR(name->y, 4, 1e-4);
    EXPECT_NEAR(Find("Date: " + Today())->y, 5.25, 1e-4);
    EXPECT_NEAR(Find("Page: 1 of  1")->y, 6.5, 1e-4);

    print::Printer& p = print::current();
    p.SetOrientation(PageOrientation::Landscape);
    p.Scale(0, 0, 110, 51);
    p.SetFontName("Times New Roman");
    p.SetFontSize(20);
    p.SetFontItalic(false);
    const auto title = Find("Insulin Injection Log");
    ASSERT_TRUE(title.has_value());
    EXPECT_DOUBLE_EQ(title->font.pointSizeF(), 20);
    EXPECT_NEAR(title->x + p.TextWidth("Insulin Injection Log") / 2, 55, 1e-4);
    EXPECT_NEAR(title->y, 6, 1e-4);

    p.SetFontSize(12);
    p.SetFontItalic(true);
    const std::tuple<const char*, double, double> headings[]
        = { { "Blood Sugar", 33.5, 8.3 }, { "Date", 11.5, 9.5 }, { "Time", 22.5, 9.5 }, { "Reading", 33.5, 9.5 },
              { "Insulin Injected", 53, 9.5 }, { "Dosage", 72, 9.5 }, { "Injection Site", 90.5, 9.5 } };
    for (const auto& [text, centre, y] : headings) {
        const auto t = Find(text);
        ASSERT_TRUE(t.has_value()) << text;
        EXPECT_TRUE(t->font.italic());
        EXPECT_DOUBLE_EQ(t->font.pointSizeF(), 12);
        EXPECT_NEAR(t->x + p.TextWidth(text) / 2, centre, 1e-4) << text;
        EXPECT_NEAR(t->y, y, 1e-4) << text;
    }

    // The row, every item centred in its column, "-" where nothing was taken.
    p.SetFontItalic(false);
    const std::pair<const char*, double> row[]
        = { { "3/1/2024", 11.5 }, { "07:30 AM", 22.5 }, { "Humalog", 53 }, { "4", 72 } };
    for (const auto& [text, centre] : row) {
        const auto t = Find(text);
        ASSERT_TRUE(t.has_value()) << text;
        EXPECT_NEAR(t->x + p.TextWidth(text) / 2, centre, 1e-4) << text;
        EXPECT_NEAR(t->y, 11.15, 1e-4);
    }
    int dashes = 0;
    for (const auto& t : Texts())
        if (t.text == "-") {
            ++dashes;
            EXPECT_TRUE(std::abs(t.x + p.TextWidth("-") / 2 - 33.5) < 1e-4
                || std::abs(t.x + p.TextWidth("-") / 2 - 90.5) < 1e-4);
        }
    EXPECT_EQ(dashes, 2); // blood sugar and site

    // The grid: width 2, x 6 to 104, y 8 to 47.
    const auto lines = recorder().OpsOf(OpKind::Line);
    ASSERT_EQ(lines.size(), 33u);
    const double ux = 15120 / 110.0, uy = 11520 / 51.0;
    EXPECT_EQ(lines[0].width, 2);
    EXPECT_NEAR(lines[0].at.x() / ux, 6, 1e-4);
    EXPECT_NEAR(lines[0].to.x() / ux, 104, 1e-4);
    EXPECT_NEAR(lines[0].at.y() / uy, 8, 1e-4);
    EXPECT_NEAR(lines[1].at.y() / uy, 11, 1e-4);
    EXPECT_NEAR(lines[2].at.y() / uy, 12.5, 1e-4);
    EXPECT_NEAR(lines[25].at.y() / uy, 47, 1e-4);
    EXPECT_NEAR(lines[26].at.x() / ux, 6, 1e-4);
    EXPECT_NEAR(lines[26].to.y() / uy, 47, 1e-4);
    EXPECT_NEAR(lines[32].at.x() / ux, 104, 1e-4);
}

class LogFailure : public ReportTest, public ::testing::WithParamInterface<std::pair<OpKind, int>> { };

// The log ends a failure as the standard report does, and leaves portrait.
TEST_P(LogFailure, AbandonsTheDocumentAndRestoresPortrait)
{
    OpenWith(Injections(60));
    const QString folderBefore = QDir::currentPath();
    recorder().FailAt(GetParam().first, GetParam().second);
    PrintReport(false);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text, "Check Your Printer and Try Again");
    EXPECT_EQ(desk.messages[0].title, "Tellora");
    EXPECT_EQ(desk.messages[0].icon, forms::Icon::Critical);
    EXPECT_EQ(desk.beeps, 1);
    EXPECT_FALSE(recorder().DocumentOpen());
    EXPECT_EQ(recorder().DocumentsEnded(), 0);
    EXPECT_EQ(print::current().Orientation(), PageOrientation::Portrait);
    EXPECT_EQ(QDir::currentPath(), folderBefore);
    EXPECT_EQ(Forms::Find<PrintReports>(), nullptr);
    EXPECT_TRUE(Unlocked());

    PrintReport(false);
    EXPECT_EQ(recorder().DocumentsEnded(), 1);
    EXPECT_EQ(recorder().Pages(recorder().DocumentsBegun()), 3);
}

INSTANTIATE_TEST_SUITE_P(Steps, LogFailure,
    ::testing::Values(std::pair { OpKind::BeginDoc, 1 }, std::pair { OpKind::Line, 50 },
        std::pair { OpKind::Text, 300 }, std::pair { OpKind::EndDoc, 1 }));

} // namespace
