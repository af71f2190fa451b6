// What a listing prints for a reading, and which readings each listing takes.
#include "listing_fixture.h"

using namespace listingtest;

namespace {

const QColor Yellow(255, 255, 0);
const QColor White(255, 255, 255);

struct Drawn {
    double x, y;
    QString text;
    bool operator==(const Drawn&) const = default;
};
void PrintTo(const Drawn& d, std::ostream* os)
{
    *os << "(" << d.x << ", " << d.y << ", \"" << d.text.toStdString() << "\")";
}

std::vector<Drawn> Drawing(const forms::PictureBox& page)
{
    std::vector<Drawn> out;
    for (const auto& item : page.DisplayList())
        out.push_back({ item.x, item.y, item.text });
    return out;
}

class RowTest : public ListingFixture {
protected:
    void OpenOn(const std::vector<LogRow>& rows, bool injectionLog)
    {
        Write(rows);
        OpenDatabase();
        MakeCurrent(0);
        OpenListing(injectionLog);
    }
    tellora::ListingWindow* listing(bool injectionLog) const
    {
        return injectionLog ? static_cast<tellora::ListingWindow*>(forms::Forms::Find<tellora::DisplayLog>())
                            : forms::Forms::Find<tellora::Display>();
    }
};

TEST_F(RowTest, StandardReadingInItsColumns)
{
    OpenOn({ { "2024-03-05", "17:45",
                 { { "Bsugar", "123" }, { "Bpressure", "12 " }, { "Dpressure", "80" }, { "Bpulse", "72" },
                     { "Bweight", "180.5" }, { "Temp", "98.6" }, { "SPO2", "97" }, { "Bcomm", "Felt fine " },
                     { "Instype", "Lantus" } } },
               { "2024-03-06", "08:30", { { "Temp", "99.1" } } } },
        false);
    auto* page = &listing(false)->Picture1;
    const QString evening = tellora::FormatMediumTime("17:45");
    const QString morning = tellora::FormatMediumTime("08:30");
    const std::vector<Drawn> expected {
        { 0, 0, "3/5/2024" },
        { 11, 0, evening },
        { 23, 0, "123" },
        { 34, 0, "12 / 80" },
        { 46, 0, "72" },
        { 56, 0, "180.5" },
        { 65, 0, "98.6" },
        { 73, 0, "97" },
        { 0, 1, "Comments:" },
        { 12, 1, "Felt fine " },
        // A temperature alone: the marks as stored, pressure as two marks.
        { 0, 2, "3/6/2024" },
        { 11, 2, morning },
        { 23, 2, "-" },
        { 34, 2, "- / -" },
        { 46, 2, "-" },
        { 56, 2, "-" },
        { 65, 2, "99.1" },
        { 73, 2, "-" },
        { 0, 3, "Comments:" },
        { 12, 3, "-" },
    };
    EXPECT_EQ(Drawing(*page), expected);
    for (const auto& item : page->DisplayList()) {
        EXPECT_EQ(item.color, Yellow);
        EXPECT_EQ(item.fontName, "MS Sans Serif");
        EXPECT_EQ(item.fontSize, 12);
        EXPECT_TRUE(item.fontBold);
    }
    EXPECT_EQ(page->BackColor(), QColor(0, 0, 0));
    EXPECT_EQ(page->ScaleWidth(), 80);
    EXPECT_EQ(page->ScaleHeight(), 16);
}

TEST_F(RowTest, InjectionLogReadingInItsColumns)
{
    OpenOn({ { "2024-03-05", "17:45",
                 { { "Bsugar", "140" }, { "Instype", "Humalog   " }, { "Insamt", "6 " }, { "Site", "Left arm  " },
                     { "Bweight", "180" } } },
               // A dosage alone is listed; a name stored as a mark with a blank is a value.
               { "2024-03-06", "08:30", { { "Insamt", "4" }, { "Bcomm", "After lunch" } } },
               { "2024-03-07", "08:30", { { "Instype", "- " } } } },
        true);
    auto* page = &listing(true)->Picture1;
    const QString evening = tellora::FormatMediumTime("17:45");
    const QString morning = tellora::FormatMediumTime("08:30");
    const std::vector<Drawn> expected {
        { 0, 0, "3/5/2024" },
        { 11, 0, evening },
        { 22, 0, "140" },
        { 30, 0, "Humalog" },
        { 51, 0, "6" },
        { 57, 0, "Left arm" },
        { 0, 1, "Comments: -" },
        { 0, 2, "3/6/2024" },
        { 11, 2, morning },
        { 22, 2, "-" },
        { 30, 2, "-" },
        { 51, 2, "4" },
        { 57, 2, "-" },
        { 0, 3, "Comments: After lunch" },
        { 0, 4, "3/7/2024" },
        { 11, 4, morning },
        { 22, 4, "-" },
        { 30, 4, "-" },
        { 51, 4, "-" },
        { 57, 4, "-" },
        { 0, 5, "Comments: -" },
    };
    EXPECT_EQ(Drawing(*page), expected);
    for (const auto& item : page->DisplayList())
        EXPECT_EQ(item.color, White);
    EXPECT_EQ(listing(true)->LineCount.Text(), "3");
}

TEST_F(RowTest, TextPastTheRightEdgeIsClippedNotCut)
{
    const std::string comment(50, 'W');
    OpenOn({ { "2024-03-05", "08:30", { { "Bsugar", "99" }, { "Bcomm", comment } } } }, false);
    auto* page = &listing(false)->Picture1;
    ASSERT_EQ(page->TextAt(12, 1), QString::fromStdString(comment));
    const auto& item = page->DisplayList().back();
    const QString shown = page->VisibleText(item);
    EXPECT_LT(shown.size(), 50);
    EXPECT_TRUE(QString::fromStdString(comment).startsWith(shown));
}

// Which listing takes a reading holding these values (all others "-").
struct TestCase {
    const char* name;
    std::map<std::string, std::string> values;
    bool standard;
    bool injectionLog;
};
void PrintTo(const TestCase& c, std::ostream* os)
{
    *os << c.name;
}

class ListingTestTable : public RowTest, public ::testing::WithParamInterface<TestCase> { };

TEST_P(ListingTestTable, ReadingIsListedWhereItBelongs)
{
    const TestCase& c = GetParam();
    Write({ { "2024-03-05", "08:30", c.values } });
    OpenDatabase();
    MakeCurrent(0);
    for (bool injectionLog : { false, true }) {
        OpenListing(injectionLog);
        auto* w = listing(injectionLog);
        ASSERT_NE(w, nullptr);
        const bool listed = injectionLog ? c.injectionLog : c.standard;
        EXPECT_EQ(w->LineCount.Text(), listed ? "1" : "0") << (injectionLog ? "DisplayLog" : "Display");
        EXPECT_EQ(w->Picture1.TextAt(0, 0) == "Click Previous", !listed);
        Click(injectionLog ? static_cast<QWidget&>(forms::Forms::Find<tellora::DisplayLog>()->Cancel)
                           : forms::Forms::Find<tellora::Display>()->CloseDisplay);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_EQ(desk.beeps, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, ListingTestTable,
    ::testing::Values(TestCase { "Sugar", { { "Bsugar", "120" } }, true, false },
        TestCase { "Systolic", { { "Bpressure", "120" } }, true, false },
        TestCase { "Diastolic", { { "Dpressure", "80" } }, true, false },
        TestCase { "Pulse", { { "Bpulse", "70" } }, true, false },
        TestCase { "Weight", { { "Bweight", "170" } }, true, false },
        TestCase { "Temperature", { { "Temp", "98.6" } }, true, false },
        TestCase { "Spo2", { { "SPO2", "97" } }, true, false },
        TestCase { "CommentOnly", { { "Bcomm", "Nothing taken" } }, false, false },
        TestCase { "NothingTaken", {}, false, false },
        TestCase { "InsulinName", { { "Instype", "Lantus" } }, false, true },
        TestCase { "DosageOnly", { { "Insamt", "4" } }, false, true },
        TestCase { "SiteOnly", { { "Site", "Arm" } }, false, true },
        TestCase { "MarkWithBlank", { { "Site", "- " } }, false, true },
        TestCase { "SugarAndInsulin", { { "Bsugar", "180" }, { "Insamt", "8" } }, true, true }),
    [](const ::testing::TestParamInfo<TestCase>& info) { return std::string(info.param.name); });

} // namespace
