// The standard report through the chooser and the recording printer: the
// page rule, the headers with their centred headings, the data rows, the
// summary pages and the printer failures.
#include "report_fixture.h"

#include "reports/layout/page_layout.h"

using namespace reporttest;

namespace {

struct PageCase {
    const char* name;
    std::vector<Rd> rows;
    int pages; // data pages + 2
    // Where a text lands: (text, page, row).
    std::vector<std::tuple<QString, int, int>> at;
};

std::vector<Rd> WithComment(std::vector<Rd> rows, std::size_t i, const char* comment)
{
    rows.at(i).comment = comment;
    return rows;
}

std::vector<Rd> Append(std::vector<Rd> rows, const std::vector<Rd>& more)
{
    rows.insert(rows.end(), more.begin(), more.end());
    return rows;
}

class PageRule : public ReportTest, public ::testing::WithParamInterface<PageCase> { };

TEST_P(PageRule, PlacesRowsAndCommentsOnLinesElevenToSixty)
{
    const PageCase& c = GetParam();
    OpenWith(c.rows);
    PrintReport(true);
    EXPECT_EQ(recorder().DocumentsEnded(), 1);
    EXPECT_EQ(recorder().Pages(1), c.pages);
    for (int page = 1; page <= c.pages - 2; ++page)
        EXPECT_EQ(Lines(page)[6], QString("PAGE #: %1 OF %2").arg(page).arg(c.pages)) << "page " << page;
    EXPECT_EQ(Lines(c.pages - 1)[6], QString("PAGE #:  %1 OF  %2").arg(c.pages - 1).arg(c.pages));
    EXPECT_EQ(Lines(c.pages)[6], QString("PAGE #:  %1 OF  %1").arg(c.pages));
    for (const auto& [text, page, row] : c.at) {
        const auto t = Find(text);
        ASSERT_TRUE(t.has_value()) << text.toStdString();
        EXPECT_EQ(t->page, page) << text.toStdString();
        EXPECT_NEAR(t->y, row, 1e-4) << text.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, PageRule,
    ::testing::Values(PageCase { "OneReading", Standard(1), 3, { { "100", 1, 11 } } },
        PageCase { "FiftyFillOnePage", Standard(50), 3, { { "100", 1, 11 }, { "149", 1, 60 } } },
        PageCase { "TheFiftyFirstOpensPageTwo", Standard(51), 4, { { "149", 1, 60 }, { "150", 2, 11 } } },
        PageCase { "CommentOnLineFiftyNine", WithComment(Standard(50), 48, "Late"), 4,
            { { "148", 1, 59 }, { "Comments: Late", 1, 60 }, { "149", 2, 11 } } },
        PageCase { "CommentOnLineSixty", WithComment(Standard(51), 49, "Dizzy"), 4,
            { { "149", 1, 60 }, { "Comments: Dizzy", 2, 11 }, { "150", 2, 12 } } },
        // Neither a reading with only a comment nor an injection without
        // measures takes a line, nor does its comment.
        PageCase { "ReadingsThatAreNotStandardTakeNoLine",
            Append(Standard(1),
                { { .date = "2024-03-05", .time = "09:00", .comment = "Only a comment" },
                    { .date = "2024-03-05", .time = "10:00", .comment = "Shot", .instype = "Humalog" },
                    { .date = "2024-03-06", .time = "09:00", .sugar = "131" } }),
            3, { { "100", 1, 11 }, { "131", 1, 12 } } }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReportTest, CommentsOfReadingsThatAreNotStandardAreNotPrinted)
{
    OpenWith(Append(Standard(1), { { .date = "2024-03-05", .time = "09:00", .comment = "Only a comment" } }));
    PrintReport(true);
    EXPECT_FALSE(Find("Comments: Only a comment").has_value());
}

TEST_F(ReportTest, HeaderLinesAndHeadingsCentredOnTheirColumns)
{
    OpenWith(Standard(1));
    PrintReport(true);
    const auto lines = Lines(1);
    EXPECT_EQ(lines.at(4), "NAME: ANN_LEE");
    EXPECT_EQ(lines.at(5), "DATE: " + Today());
    EXPECT_EQ(lines.at(6), "PAGE #: 1 OF 3");

    // Each heading measured in the italic it is printed in.
    print::Printer& p = print::current();
    p.Scale(0, 0, 80, 66);
    p.SetFontName("Times New Roman");
    p.SetFontSize(12);
    p.SetFontItalic(true);
    const std::tuple<const char*, double, double> headings[]
        = { { "DATE", 12.25, 9 }, { "TIME", 21, 9 }, { "SUGAR", 31, 9 }, { "PRESSURE", 39, 9 }, { "PULSE", 48, 9 },
              { "WEIGHT", 58, 9 }, { "TEMP.", 66, 9 }, { "SPO2", 72.5, 9 } };
    for (const auto& [text, centre, y] : headings) {
        const auto t = Find(text, 1);
        ASSERT_TRUE(t.has_value()) << text;
        EXPECT_TRUE(t->font.italic()) << text;
        EXPECT_DOUBLE_EQ(t->font.pointSizeF(), 12);
        EXPECT_NEAR(t->x + p.TextWidth(text) / 2, centre, 1e-4) << text;
        EXPECT_NEAR(t->y, y, 1e-4) << text;
    }
    // "BLOOD" twice on row 8, over SUGAR and over PRESSURE; PRESSURE, being
    // wider, begins further left of 39.
    std::vector<PrintedText> blood;
    for (const auto& t : Texts(1, 1))
        if (t.text == "BLOOD") blood.push_back(t);
    ASSERT_EQ(blood.size(), 2u);
    EXPECT_NEAR(blood[0].x + p.TextWidth("BLOOD") / 2, 31, 1e-4);
    EXPECT_NEAR(blood[1].x + p.TextWidth("BLOOD") / 2, 39, 1e-4);
    EXPECT_NEAR(blood[1].y, 8, 1e-4);
    EXPECT_LT(Find("PRESSURE")->x, blood[1].x);

    // The row: date and time from their left edges, values centred, upright.
    p.SetFontItalic(false);
    const auto date = Find(ShownDateOf(0), 1);
    ASSERT_TRUE(date.has_value());
    EXPECT_NEAR(date->x, 10, 1e-4);
    EXPECT_FALSE(date->font.italic());
    EXPECT_NEAR(Find("08:00 AM")->x, 19, 1e-4);
    EXPECT_NEAR(Find("120/80")->x + p.TextWidth("120/80") / 2, 39, 1e-4);
    EXPECT_NEAR(Find("70")->x + p.TextWidth("70") / 2, 48, 1e-4);
    p.Scale(0, 0, 80, 66);
}

TEST_F(ReportTest, RowsPrintValuesAsStoredAndPressuresWithoutTrailingBlanks)
{
    OpenWith({ { .date = "2024-03-01",
        .time = "17:45",
        .sugar = "98.6",
        .systolic = "12 ",
        .diastolic = "-",
        .weight = "150",
        .temp = "98.6",
        .spo2 = "97" } });
    PrintReport(true);
    const auto row = Texts(1, 1);
    std::vector<QString> atEleven;
    for (const auto& t : row)
        if (std::abs(t.y - 11) < 1e-4) atEleven.push_back(t.text);
    EXPECT_EQ(atEleven, (std::vector<QString> { "3/1/2024", "05:45 PM", "98.6", "12/-", "-", "150", "98.6", "97" }));
}

TEST_F(ReportTest, SummaryPagesPrintTheStatisticsAndTheNotices)
{
    // Two readings: sugar in the morning, pressure and pulse in the afternoon.
    OpenWith({ { .date = "2024-03-01", .time = "07:30", .sugar = "95" },
        { .date = "2024-03-01",
            .time = "18:00",
            .sugar = "140",
            .systolic = "121",
            .diastolic = "79",
            .pulse = "72" } });
    PrintReport(true);
    ASSERT_EQ(recorder().Pages(1), 3);
    const auto first = Lines(2);
    EXPECT_EQ(first.at(4), "NAME: ANN_LEE");
    EXPECT_EQ(first.at(5), "DATE: " + Today());
    EXPECT_EQ(first.at(6), "PAGE #:  2 OF  3");
    EXPECT_EQ(first.at(7), "Summary Page");
    EXPECT_EQ(first.at(9), "Lowest Blood Sugar Reading:  95");
    EXPECT_EQ(first.at(10), "Highest Blood Sugar Reading:  140");
    EXPECT_EQ(first.at(11), "Lowest AM Blood Sugar Reading:  95   3/1/2024   07:30 AM");
    EXPECT_EQ(first.at(13), "Lowest PM Blood Sugar Reading:  140   3/1/2024   06:00 PM");
    EXPECT_EQ(first.at(15), "Average AM Blood Sugar Reading:  95");
    EXPECT_EQ(first.at(17), "Average Blood Sugar Reading:  117.5");
    EXPECT_EQ(first.at(19), "Lowest Systolic Reading:  121");
    EXPECT_EQ(first.at(21), "Lowest AM Systolic Reading: No Readings      ");
    EXPECT_EQ(first.at(25), "Lowest Diastolic Reading:  79");
    EXPECT_EQ(first.at(31), "Average AM Systolic Reading: No Readings");
    EXPECT_EQ(first.at(32), "Average PM Systolic Reading:  121");
    EXPECT_EQ(first.at(34), "Average PM Diastolic Reading:  79");
    EXPECT_EQ(first.at(35), "Average Blood Pressure Reading:  121/ 79");
    EXPECT_EQ(first.at(37), "Lowest Pulse Reading:  72");
    EXPECT_EQ(first.at(45), "Average Pulse Reading:  72");
    EXPECT_EQ(first.at(47), "Lowest Weight Reading: No Readings");
    EXPECT_EQ(first.at(55), "Average Weight Reading: No Readings");
    EXPECT_EQ(first.at(57),
        "The author of this application assumes NO liability for the use or misuse of the above information.");
    EXPECT_EQ(first.at(58), "This application in NOT intended to replace professional medical care.");
    for (int empty : { 8, 18, 36, 46, 56 })
        EXPECT_EQ(first.count(empty), 0u) << empty;
    EXPECT_EQ(first.size(), 4u + 9 + 17 + 9 + 9 + 2);

    const auto second = Lines(3);
    EXPECT_EQ(second.at(6), "PAGE #:  3 OF  3");
    EXPECT_EQ(second.at(7), "Summary Page");
    EXPECT_EQ(second.at(9), "Lowest Temerature Reading: No Readings");
    EXPECT_EQ(second.at(10), "Highest Temperature Reading: No Readings");
    EXPECT_EQ(second.at(14), "Highest PM Temperature Reading: No Readings      ");
    EXPECT_EQ(second.at(17), "Average Temperature Reading: No Readings");
    EXPECT_EQ(second.at(19), "Lowest SPO2 Reading: No Readings");
    EXPECT_EQ(second.at(27), "Average SPO2 Reading: No Readings");
    EXPECT_EQ(second.at(29),
        "The author of this application assumes NO liability for the use or misuse of the above information.");
    EXPECT_EQ(second.at(30), "This application in NOT intended to replace professional medical care.");
    EXPECT_EQ(second.size(), 4u + 9 + 9 + 2);
    for (const auto& t : Texts(1, 2))
        EXPECT_FALSE(t.font.italic() || t.font.bold()) << t.text.toStdString();
}

TEST_F(ReportTest, WithoutPressuresTheAverageLineReadsDashSlashDash)
{
    OpenWith({ { .date = "2024-03-01", .time = "07:30", .sugar = "95" } });
    PrintReport(true);
    EXPECT_EQ(Lines(2).at(35), "Average Blood Pressure Reading: -/-");
}

TEST_F(ReportTest, StandardReportLeavesPortraitScaleAndFontAndRestoresThePointerAndFolder)
{
    OpenWith(Standard(3));
    const QString folderBefore = QDir::currentPath();
    print::current().SetOrientation(PageOrientation::Landscape);
    PrintReport(true);
    EXPECT_EQ(desk.pointers, (std::vector<int> { forms::vbHourglass, forms::vbArrow }));
    EXPECT_EQ(QDir::currentPath(), folderBefore);
    EXPECT_EQ(recorder().OpsOf(OpKind::BeginDoc)[0].orientation, PageOrientation::Portrait);
    const print::Printer& p = print::current();
    EXPECT_EQ(p.Orientation(), PageOrientation::Portrait);
    EXPECT_DOUBLE_EQ(p.ScaleWidth(), 80);
    EXPECT_DOUBLE_EQ(p.ScaleHeight(), 66);
    EXPECT_EQ(p.FontName(), "Times New Roman");
    EXPECT_FALSE(p.FontItalic());
    EXPECT_TRUE(desk.messages.empty());
}

struct FailureCase {
    const char* name;
    OpKind kind;
    int occurrence;
};

class StandardFailure : public ReportTest, public ::testing::WithParamInterface<FailureCase> { };

// A failing printer, at its first operation or deep into the data pages.
TEST_P(StandardFailure, AbandonsTheDocumentAndSaysCheckYourPrinter)
{
    const FailureCase& c = GetParam();
    OpenWith(Standard(120));
    const QString folderBefore = QDir::currentPath();
    recorder().FailAt(c.kind, c.occurrence);
    PrintReport(true);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text, "Check Your Printer and Try Again");
    EXPECT_EQ(desk.messages[0].title, "Tellora");
    EXPECT_EQ(desk.messages[0].icon, forms::Icon::Critical);
    EXPECT_EQ(desk.beeps, 1);
    EXPECT_EQ(desk.pointers, (std::vector<int> { forms::vbHourglass, forms::vbArrow }));
    EXPECT_FALSE(recorder().DocumentOpen());
    EXPECT_EQ(recorder().DocumentsEnded(), 0);
    EXPECT_EQ(QDir::currentPath(), folderBefore);
    EXPECT_EQ(Forms::Find<PrintReports>(), nullptr);
    EXPECT_TRUE(Unlocked());

    // The next report is a whole document of its own.
    PrintReport(true);
    EXPECT_EQ(recorder().DocumentsEnded(), 1);
    EXPECT_EQ(recorder().Pages(recorder().DocumentsBegun()), 5);
    EXPECT_EQ(Lines(1).at(6), "PAGE #: 1 OF 5");
}

INSTANTIATE_TEST_SUITE_P(Steps, StandardFailure,
    ::testing::Values(FailureCase { "FirstOperation", OpKind::BeginDoc, 1 },
        FailureCase { "ThirdDataPage", OpKind::NewPage, 2 }, FailureCase { "LateText", OpKind::Text, 900 },
        FailureCase { "EndOfDocument", OpKind::EndDoc, 1 }),
    [](const auto& info) { return std::string(info.param.name); });

// The database going away between the chooser and the report is a failure
// of its own kind: the same message, nothing printed.
TEST_F(ReportTest, ADatabaseThatWillNotOpenEndsTheReportWithTheMessage)
{
    OpenWith(Standard(3));
    PrintReports* w = Chooser();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(QFile::remove("ANN_LEE.mdb"));
    folder.write("ANN_LEE.mdb", "not a database");
    choices.ConfirmPreset();
    click(&w->Print);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text, "Check Your Printer and Try Again");
    EXPECT_EQ(desk.beeps, 1);
    EXPECT_EQ(recorder().DocumentsBegun(), 0);
    EXPECT_EQ(desk.pointers.back(), forms::vbArrow);
}

} // namespace
