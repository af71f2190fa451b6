// The listing chooser and the locks it and the listings hold.
#include "listing_fixture.h"

#include <QAccessible>

using namespace listingtest;
using forms::Forms;

namespace {

class ChooserTest : public ListingFixture {
protected:
    void SetUp() override
    {
        ListingFixture::SetUp();
        Write({ { "2024-03-05", "08:30", { { "Bsugar", "120" }, { "Insamt", "4" } } } });
        OpenDatabase();
    }
};

TEST_F(ChooserTest, OpensWithStandardReadingsSelectedAndLocks)
{
    ASSERT_TRUE(Unlocked());
    Click(record()->PrintToScreen);
    auto* c = listingChooser();
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(c->Visible());
    EXPECT_EQ(c->Caption(), "Display Readings To Screen");
    EXPECT_TRUE(c->Option1.Value());
    EXPECT_FALSE(c->Option2.Value());
    EXPECT_TRUE(Locked());
}

TEST_F(ChooserTest, CancelOpensNothingAndUnlocks)
{
    Click(record()->PrintToScreen);
    Click(listingChooser()->Cancel);
    EXPECT_EQ(listingChooser(), nullptr);
    EXPECT_FALSE(Forms::IsLoaded("Display"));
    EXPECT_FALSE(Forms::IsLoaded("DisplayLog"));
    EXPECT_TRUE(Unlocked());
}

TEST_F(ChooserTest, CloseBoxUnlocks)
{
    Click(record()->PrintToScreen);
    listingChooser()->close();
    EXPECT_EQ(listingChooser(), nullptr);
    EXPECT_TRUE(Unlocked());
}

// The chooser closes after opening a listing and leaves the locks to it,
// however the listing is then closed.
struct Choice {
    const char* name;
    bool injectionLog;
    const char* window;
    const char* caption;
    bool closeBox; // close by the close box instead of "Exit Display"
};
void PrintTo(const Choice& c, std::ostream* os)
{
    *os << c.name;
}

class ChoiceTest : public ChooserTest, public ::testing::WithParamInterface<Choice> { };

TEST_P(ChoiceTest, ListingHoldsTheLocksUntilItCloses)
{
    const Choice& choice = GetParam();
    OpenListing(choice.injectionLog);
    EXPECT_EQ(listingChooser(), nullptr);
    forms::Form* listing = Forms::Find(choice.window);
    ASSERT_NE(listing, nullptr);
    EXPECT_TRUE(listing->Visible());
    EXPECT_EQ(listing->Caption(), choice.caption);
    EXPECT_FALSE(Forms::IsLoaded(choice.injectionLog ? "Display" : "DisplayLog"));
    EXPECT_TRUE(Locked());

    if (choice.closeBox)
        listing->close();
    else
        Click(*listing->findChild<forms::CommandButton*>(choice.injectionLog ? "Cancel" : "CloseDisplay"));
    EXPECT_FALSE(Forms::IsLoaded(choice.window));
    EXPECT_TRUE(Unlocked());
}

INSTANTIATE_TEST_SUITE_P(Choices, ChoiceTest,
    ::testing::Values(Choice { "StandardByExit", false, "Display", "Display Database", false },
        Choice { "StandardByCloseBox", false, "Display", "Display Database", true },
        Choice { "LogByExit", true, "DisplayLog", "Injection Log Readings", false },
        Choice { "LogByCloseBox", true, "DisplayLog", "Injection Log Readings", true }),
    [](const ::testing::TestParamInfo<Choice>& info) { return std::string(info.param.name); });

TEST_F(ChooserTest, EnterAndEscapePressNoButton)
{
    Click(record()->PrintToScreen);
    auto* c = listingChooser();
    c->DisplayRpt.setFocus();
    QTest::keyClick(&c->DisplayRpt, Qt::Key_Return);
    QTest::keyClick(&c->DisplayRpt, Qt::Key_Escape);
    EXPECT_NE(listingChooser(), nullptr);
    EXPECT_FALSE(Forms::IsLoaded("Display"));
}

class EmptyDatabaseTest : public ListingFixture { };

TEST_F(EmptyDatabaseTest, PrintToScreenWithoutAReadingDoesNothing)
{
    Write({});
    OpenDatabase();
    ASSERT_TRUE(record()->Btime.Text().isEmpty());
    Click(record()->PrintToScreen);
    EXPECT_FALSE(Forms::IsLoaded("DisplayScreen"));
    EXPECT_TRUE(Unlocked());
}

// Every control a user can reach is named for screen readers, and the
// buttons take the focus in their order.
TEST_F(ChooserTest, WindowsNameTheirControlsAndOrderTheirButtons)
{
    Click(record()->PrintToScreen);
    for (QWidget* w : listingChooser()->findChildren<QWidget*>())
        if (w->focusPolicy() != Qt::NoFocus && w->isVisible()) {
            EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
        }
    EXPECT_EQ(listingChooser()->Option1.accessibleName(), "Display Standard Readings");
    Click(listingChooser()->DisplayRpt);

    auto* d = Forms::Find<tellora::Display>();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->HelpContextID, 100);
    EXPECT_EQ(d->Picture1.nextInFocusChain(), &d->NextPage);
    EXPECT_EQ(d->NextPage.nextInFocusChain(), &d->Previous);
    EXPECT_EQ(d->Previous.nextInFocusChain(), &d->CloseDisplay);
    EXPECT_EQ(d->Previous.Caption(), "Previous Page");
    for (QWidget* w : d->findChildren<QWidget*>())
        if (w->focusPolicy() != Qt::NoFocus && w->isVisible()) {
            EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
        }
    for (forms::TextBox* box : { &d->FirstDate, &d->FirstTime, &d->LastDate, &d->LastTime, &d->LineCount })
        EXPECT_FALSE(box->isVisible());
    Click(d->CloseDisplay);

    OpenListing(true);
    auto* log = Forms::Find<tellora::DisplayLog>();
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->HelpContextID, 0);
    EXPECT_EQ(log->Picture1.nextInFocusChain(), &log->Next);
    EXPECT_EQ(log->Next.nextInFocusChain(), &log->Previous);
    EXPECT_EQ(log->Previous.nextInFocusChain(), &log->Cancel);
    EXPECT_EQ(log->Label1.Caption(), "Date");
}

} // namespace
