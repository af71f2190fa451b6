// The report chooser: how it opens from "Print Report", its locks, the
// printer choice's cancel, which report each option prints, and the two
// messages when nothing qualifies.
#include "report_fixture.h"

using namespace reporttest;

namespace {

TEST_F(ReportTest, PrintReportOpensTheChooserWithTheStandardReportSelected)
{
    OpenWith(Standard(3));
    PrintReports* w = Chooser();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Caption(), "Select Report");
    EXPECT_TRUE(w->Visible());
    EXPECT_TRUE(w->Option1.Value());
    EXPECT_FALSE(w->Option2.Value());
    EXPECT_EQ(w->Option1.text(), "Print Standard Report");
    EXPECT_EQ(w->Option2.text(), "Print Insulin Log Report");
    EXPECT_EQ(w->Label1.text(), "Select the report you want and click print.");
    EXPECT_FALSE(w->Print.isDefault());
    EXPECT_FALSE(w->Cancel.isDefault());
    EXPECT_EQ(w->HelpContextID, 200);
    EXPECT_EQ(w->Width(), 7200);
    EXPECT_EQ(w->Height(), 3840);
    EXPECT_TRUE(Locked());

    click(&w->Cancel);
    EXPECT_EQ(Forms::Find<PrintReports>(), nullptr);
    EXPECT_TRUE(Unlocked());
    EXPECT_EQ(recorder().DocumentsBegun(), 0);
    EXPECT_TRUE(choices.shown().empty());
}

TEST_F(ReportTest, CancellingThePrinterChoiceKeepsTheChooserOpen)
{
    OpenWith(Standard(3));
    PrintReports* w = Chooser();
    ASSERT_NE(w, nullptr);
    choices.Cancel();
    click(&w->Print);
    EXPECT_EQ(Forms::Find<PrintReports>(), w);
    EXPECT_TRUE(Locked());
    EXPECT_EQ(recorder().DocumentsBegun(), 0);
    EXPECT_TRUE(desk.messages.empty());
    ASSERT_EQ(choices.shown().size(), 1u);
    EXPECT_EQ(choices.shown()[0].owner, w);

    // Print again: the dialog shows again and this time the report prints.
    choices.ConfirmPreset();
    click(&w->Print);
    EXPECT_EQ(choices.shown().size(), 2u);
    EXPECT_EQ(recorder().DocumentsEnded(), 1);
    EXPECT_EQ(Forms::Find<PrintReports>(), nullptr);
    EXPECT_TRUE(Unlocked());
}

TEST_F(ReportTest, EachOptionPrintsItsReportAndClosesTheChooser)
{
    std::vector<Rd> rows = Standard(2);
    rows.push_back(Injections(1, 2)[0]);
    OpenWith(rows);

    PrintReport(true);
    EXPECT_EQ(Forms::Find<PrintReports>(), nullptr);
    EXPECT_EQ(recorder().Pages(1), 3); // one data page and the two summary pages
    EXPECT_EQ(recorder().OpsOf(OpKind::BeginDoc)[0].orientation, PageOrientation::Portrait);

    PrintReport(false);
    EXPECT_EQ(Forms::Find<PrintReports>(), nullptr);
    EXPECT_EQ(recorder().DocumentsEnded(), 2);
    EXPECT_EQ(recorder().Pages(2), 1);
    EXPECT_EQ(recorder().OpsOf(OpKind::BeginDoc)[1].orientation, PageOrientation::Landscape);
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_TRUE(Unlocked());
}

struct NothingCase {
    const char* name;
    bool standard;
    std::vector<Rd> rows; // empty: a new database, no reading shown
    const char* message;
};

class NothingToPrint : public ReportTest, public ::testing::WithParamInterface<NothingCase> { };

// The printer choice comes first, then the report's own message; nothing is
// printed and the chooser closes.
TEST_P(NothingToPrint, ShowsTheReportsMessageAfterThePrinterChoice)
{
    const NothingCase& c = GetParam();
    OpenWith(c.rows);
    const QString folderBefore = QDir::currentPath();
    PrintReport(c.standard);
    EXPECT_EQ(choices.shown().size(), 1u);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text, c.message);
    EXPECT_EQ(desk.messages[0].title, forms::ProgramTitle);
    EXPECT_EQ(desk.messages[0].icon, forms::Icon::None);
    EXPECT_EQ(desk.beeps, 0);
    EXPECT_EQ(recorder().DocumentsBegun(), 0);
    EXPECT_EQ(Forms::Find<PrintReports>(), nullptr);
    EXPECT_TRUE(Unlocked());
    EXPECT_EQ(QDir::currentPath(), folderBefore);
    // No hourglass without a reading shown; with one, it is set back.
    if (!c.rows.empty() && c.standard) {
        EXPECT_EQ(desk.pointers, (std::vector<int> { forms::vbHourglass, forms::vbArrow }));
    } else {
        EXPECT_TRUE(desk.pointers.empty());
    }
}

Rd CommentOnly()
{
    return { .date = "2024-03-01", .time = "07:00", .comment = "Felt fine" };
}
Rd InsulinOnly()
{
    return { .date = "2024-03-01", .time = "09:00", .instype = "Humalog", .insamt = "4", .site = "Arm" };
}

INSTANTIATE_TEST_SUITE_P(Cases, NothingToPrint,
    ::testing::Values(NothingCase { "StandardWithoutAReadingShown", true, {}, "There are no readings to print." },
        NothingCase { "LogWithoutAReadingShown", false, {}, "There are nor readings to print." },
        NothingCase { "StandardOverInjectionAndCommentReadings", true, { CommentOnly(), InsulinOnly() },
            "There are no readings to print." },
        NothingCase { "LogOverStandardAndCommentReadings", false, { CommentOnly(), Standard(2, 1)[0] },
            "There are nor readings to print." }),
    [](const auto& info) { return std::string(info.param.name); });

// Only readings from the current one on are printed, however many precede it.
TEST_F(ReportTest, ReadingsBeforeTheCurrentOneAreLeftOut)
{
    std::vector<Rd> rows = Standard(6);
    for (auto& r : Injections(6, 6))
        rows.push_back(r);
    OpenWith(rows, 4);
    PrintReport(true);
    EXPECT_FALSE(Find(ShownDateOf(3)).has_value());
    ASSERT_TRUE(Find("104").has_value()); // reading 4's sugar
    EXPECT_NEAR(Find("104")->y, 11, 1e-4);
    EXPECT_TRUE(Find("105").has_value());

    record()->Bdate.SetText(QString::fromStdString(DateOf(8)));
    record()->Btime.SetText(FormatMediumTime(QString::fromStdString(TimeOf(8))));
    PrintReport(false);
    EXPECT_FALSE(Find("107").has_value());
    ASSERT_TRUE(Find("108").has_value());
    EXPECT_NEAR(Find("108")->y, 11.15, 1e-4);
    EXPECT_EQ(Find("Page: 1 of  1")->page, 1);
}

} // namespace
