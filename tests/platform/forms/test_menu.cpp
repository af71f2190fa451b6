// Menus: the tree from a table, separators, shortcuts, states and the rule
// that an entry under a disabled menu does nothing.
#include "platform/forms/controls.h"
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

// A window the frame holds, as the registry holds the program's windows: a box
// and a button of its own on the key of the frame's "&About" menu.
class HeldWindow : public forms::Form {
public:
    explicit HeldWindow(QWidget* frame)
        : Form("Held")
    {
        setParent(frame, windowFlags());
        SetClientSize(4500, 2000);
        Layout({
            { &Box, "Box", "", { 120, 120, 2000, 375 }, 0 },
            { &Own, "Own", "&About", { 120, 720, 1500, 495 }, 1 },
        });
        Own.Click = [this] { ++ownClicks; };
    }
    forms::TextBox Box;
    forms::CommandButton Own;
    int ownClicks = 0;
};

TEST_F(Menus, TopMenusOpenByTheirAccessKeysFromAnyWindowTheFrameHolds)
{
    HeldWindow held(&frame);
    held.show();
    // The offscreen desktop hands the activation to no window when a menu
    // closes; a real one gives it back to the window under the menu.
    const auto activate = [&] {
        QApplication::setActiveWindow(&held);
        return QTest::qWaitForWindowActive(&held);
    };
    ASSERT_TRUE(activate());
    held.Box.setFocus();

    // Alt+F opens "&File" on its first entry, and the key is no character for the box.
    QTest::keyClick(&held.Box, Qt::Key_F, Qt::AltModifier);
    QMenu* file = frame.Menu["mnuFile"].Submenu();
    ASSERT_EQ(QApplication::activePopupWidget(), file);
    EXPECT_EQ(file->activeAction(), frame.Menu["mnuFileOne"].Action());
    EXPECT_EQ(frame.Menu.widget()->activeAction(), frame.Menu["mnuFile"].Action());
    // Return chooses the entry, as from the frame.
    QTest::keyClick(file, Qt::Key_Return);
    EXPECT_EQ(clicked, (std::vector<QString> { "mnuFileOne" }));
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_TRUE(held.Box.Text().isEmpty());

    // Escape closes it, and the frame's menu bar keeps no hold on the keys.
    ASSERT_TRUE(activate());
    QTest::keyClick(&held.Box, Qt::Key_F, Qt::AltModifier);
    ASSERT_EQ(QApplication::activePopupWidget(), file);
    QTest::keyClick(file, Qt::Key_Escape);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame.Menu.widget()->activeAction() == nullptr; }));
    ASSERT_TRUE(activate());
    EXPECT_EQ(QApplication::focusWidget(), &held.Box);

    // The window's own control on a menu's key comes first.
    QTest::keyClick(&held.Box, Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return held.ownClicks == 1; }));

    // A locked menu opens from no window, as on the frame.
    frame.Menu["mnuFile"].SetEnabled(false);
    QTest::keyClick(&held.Box, Qt::Key_F, Qt::AltModifier);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_TRUE(held.Box.Text().isEmpty());

    // A first entry that is a submenu is marked, not opened: the keys stay with the menu.
    frame.Menu["mnuFile"].SetEnabled(true);
    frame.Menu["mnuFileOne"].Action()->setVisible(false);
    frame.Menu["mnuFileTwo"].Action()->setVisible(false);
    ASSERT_TRUE(activate());
    QTest::keyClick(&held.Box, Qt::Key_F, Qt::AltModifier);
    EXPECT_EQ(QApplication::activePopupWidget(), file);
    EXPECT_EQ(file->activeAction(), frame.Menu["mnuFileSub"].Action());
    QTest::keyClick(file, Qt::Key_Escape);
}

TEST(MenuTable, RefusesASkippedLevel)
{
    QWidget owner;
    EXPECT_THROW(forms::MenuBar(&owner, { { 1, "a", "A" }, { 3, "b", "B" } }), std::invalid_argument);
}

} // namespace
