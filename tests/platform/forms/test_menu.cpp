// Menus: the tree from a table, separators, shortcuts, states and the rule
// that an entry under a disabled menu does nothing.
#include "platform/forms/desktop.h"
#include "platform/forms/form.h"
#include "platform/forms/menu.h"
#include "platform/forms/registry.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

class Frame : public forms::Form {
public:
    Frame()
        : Form("Frame", forms::BorderStyle::Sizable)
        , Menu(this,
              {
                  { 1, "mnuFile", "&File" },
                  { 2, "mnuFileOne", "&One", "Ctrl+U", 210 },
                  { 2, "mnuFileTwo", "&Two", "", 250 },
                  { 2, "mnuFileSub", "&Sub" },
                  { 3, "mnuFileSubA", "Sub &A", "F2", 170 },
                  { 3, "mnuFileSubB", "Sub &B", "Shift+F3", 170 },
                  { 1, "mnuHelp", "&About" },
                  { 2, "mnuHelpAbout", "&About" },
              })
    {
        auto* l = new QVBoxLayout(this);
        l->setMenuBar(Menu.widget());
        resize(400, 300);
    }
    forms::MenuBar Menu;
};

class Menus : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame.show();
        QApplication::setActiveWindow(&frame);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
        for (auto* item : frame.Menu.All())
            item->Click = [this, item] { clicked.push_back(item->Name()); };
    }
    forms::RecordingDesktop desk;
    Frame frame;
    std::vector<QString> clicked;
};

TEST_F(Menus, TreeCarriesCaptionsShortcutsAndHelpIDs)
{
    auto& menu = frame.Menu;
    ASSERT_EQ(menu.Menus().size(), 2u);
    EXPECT_EQ(menu["mnuFile"].Items().size(), 3u);
    EXPECT_EQ(menu["mnuFileSubA"].Parent(), &menu["mnuFileSub"]);
    EXPECT_EQ(menu["mnuFileOne"].Caption(), "&One");
    EXPECT_EQ(menu["mnuFileOne"].Action()->text(), "&One");
    EXPECT_EQ(menu["mnuFileOne"].Shortcut(), QKeySequence("Ctrl+U"));
    EXPECT_EQ(menu["mnuFileSubB"].Shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F3));
    EXPECT_EQ(menu["mnuFileTwo"].HelpContextID(), 250);
    EXPECT_EQ(menu.Find("mnuNothing"), nullptr);
}

TEST_F(Menus, SeparatorStandsBetweenNeighbouringEntries)
{
    const auto actions = frame.Menu["mnuFile"].Submenu()->actions();
    ASSERT_EQ(actions.size(), 5);
    EXPECT_FALSE(actions[0]->isSeparator());
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_FALSE(actions[2]->isSeparator());
    EXPECT_TRUE(actions[3]->isSeparator());
    EXPECT_EQ(actions[4], frame.Menu["mnuFileSub"].Action());
}

TEST_F(Menus, ShortcutRunsAnAvailableEntry)
{
    QTest::keyClick(&frame, Qt::Key_U, Qt::ControlModifier);
    QTest::keyClick(&frame, Qt::Key_F2);
    QTest::keyClick(&frame, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(clicked, (std::vector<QString> { "mnuFileOne", "mnuFileSubA", "mnuFileSubB" }));
}

TEST_F(Menus, DisabledEntryAndEntriesUnderADisabledMenuDoNothing)
{
    frame.Menu["mnuFileOne"].SetEnabled(false);
    QTest::keyClick(&frame, Qt::Key_U, Qt::ControlModifier);
    EXPECT_FALSE(frame.Menu["mnuFileOne"].Trigger());
    EXPECT_TRUE(clicked.empty());

    frame.Menu["mnuFile"].SetEnabled(false);
    EXPECT_FALSE(frame.Menu["mnuFileSubA"].Available());
    EXPECT_TRUE(frame.Menu["mnuFileSubA"].Enabled());
    QTest::keyClick(&frame, Qt::Key_F2);
    frame.Menu["mnuFileSubA"].Action()->trigger();
    EXPECT_TRUE(clicked.empty());

    frame.Menu["mnuFile"].SetEnabled(true);
    QTest::keyClick(&frame, Qt::Key_F2);
    EXPECT_EQ(clicked, (std::vector<QString> { "mnuFileSubA" }));
}

TEST_F(Menus, StateShowsInTheMenuBar)
{
    frame.Menu["mnuHelp"].SetEnabled(false);
    EXPECT_FALSE(frame.Menu["mnuHelp"].Action()->isEnabled());
    frame.Menu["mnuHelp"].SetEnabled(true);
    EXPECT_TRUE(frame.Menu["mnuHelp"].Action()->isEnabled());
}

TEST(MenuTable, RefusesASkippedLevel)
{
    QWidget owner;
    EXPECT_THROW(forms::MenuBar(&owner, { { 1, "a", "A" }, { 3, "b", "B" } }), std::invalid_argument);
}

} // namespace
