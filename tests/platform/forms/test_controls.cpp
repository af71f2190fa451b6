// The controls: key filters, lost focus before a click, MaxLength, buttons
// that are never default or cancel, the file list.
#include "platform/forms/combobox.h"
#include "platform/forms/controls.h"
#include "platform/forms/desktop.h"
#include "platform/forms/form.h"
#include "platform/forms/registry.h"
#include "support/tempdir.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using forms::Forms;

namespace {

class Panel : public forms::Form {
public:
    static constexpr const char* FormName = "Panel";
    Panel()
        : Form(FormName)
    {
        SetClientSize(6000, 4000);
        Layout({
            { .control = &Box, .name = "Box", .rect = { 120, 120, 3000, 375 }, .tab = 0 },
            { &Button, "Button", "Go", { 120, 600, 1500, 495 }, 1 },
            { .control = &Other, .name = "Other", .rect = { 120, 1200, 3000, 375 }, .tab = 2 },
            { .control = &Files, .name = "Files", .rect = { 3200, 120, 2500, 3000 }, .tab = 3 },
        });
    }
    forms::TextBox Box;
    forms::CommandButton Button;
    forms::TextBox Other;
    forms::FileListBox Files;

protected:
    void Form_Load() override { Show(); }
};

void activate(QWidget* w)
{
    w->show();
    w->activateWindow();
    QApplication::setActiveWindow(w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
}

class Controls : public ::testing::Test {
protected:
    void SetUp() override
    {
        Forms::Register(Panel::FormName, [] { return new Panel; });
        panel = Forms::Load<Panel>();
        ASSERT_NE(panel, nullptr);
        activate(panel);
    }
    void TearDown() override
    {
        Forms::Reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    forms::RecordingDesktop desk;
    Panel* panel = nullptr;
};

struct KeyCase {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int expected; // the code KeyPress sees, -1 for none
};

TEST_F(Controls, KeyPressSeesCharacterCodes)
{
    const std::vector<KeyCase> cases {
        { Qt::Key_A, Qt::NoModifier, 'a' },
        { Qt::Key_A, Qt::ShiftModifier, 'A' },
        { Qt::Key_1, Qt::NoModifier, '1' },
        { Qt::Key_Space, Qt::NoModifier, ' ' },
        { Qt::Key_Backspace, Qt::NoModifier, 8 },
        { Qt::Key_Backspace, Qt::ControlModifier, 127 },
        { Qt::Key_Return, Qt::NoModifier, 13 },
        { Qt::Key_Enter, Qt::KeypadModifier, 13 },
        { Qt::Key_Escape, Qt::NoModifier, 27 },
        { Qt::Key_Tab, Qt::NoModifier, -1 },
        { Qt::Key_Delete, Qt::NoModifier, -1 },
        { Qt::Key_Left, Qt::NoModifier, -1 },
        { Qt::Key_Down, Qt::NoModifier, -1 },
        { Qt::Key_F5, Qt::NoModifier, -1 },
    };
    for (const KeyCase& c : cases) {
        int seen = -1;
        panel->Box.KeyPress = [&](int& k) { seen = k; };
        panel->Box.setFocus();
        const QString text = (c.expected > 0) ? QString(QChar(c.expected)) : QString();
        QKeyEvent press(QEvent::KeyPress, c.key, c.modifiers, text);
        QApplication::sendEvent(&panel->Box, &press);
        EXPECT_EQ(seen, c.expected) << "key " << c.key;
    }
}

TEST_F(Controls, KeyPressMayDropOrReplace)
{
    panel->Box.KeyPress = [](int& k) {
        if (k == '1')
            k = 0;
        else if (k >= 'a' && k <= 'z')
            k -= 32;
    };
    panel->Box.setFocus();
    QTest::keyClicks(&panel->Box, "ab1c");
    EXPECT_EQ(panel->Box.Text(), "ABC");
    QTest::keyClick(&panel->Box, Qt::Key_Backspace);
    EXPECT_EQ(panel->Box.Text(), "AB");
}

TEST_F(Controls, ReplacingWithBackspaceActsAsBackspace)
{
    panel->Box.SetText("XY");
    panel->Box.KeyPress = [](int& k) {
        if (k == '#') k = 8;
    };
    panel->Box.setFocus();
    panel->Box.end(false);
    QTest::keyClicks(&panel->Box, "#");
    EXPECT_EQ(panel->Box.Text(), "X");
}

TEST_F(Controls, MaxLengthBoundsTypingAndPasting)
{
    panel->Box.SetMaxLength(6);
    panel->Box.setFocus();
    QTest::keyClicks(&panel->Box, "12345678");
    EXPECT_EQ(panel->Box.Text(), "123456");
    panel->Box.clear();
    panel->Box.insert("abcdefghij"); // what a paste does
    EXPECT_EQ(panel->Box.Text(), "abcdef");
    panel->Box.SetText("0123456789");
    EXPECT_EQ(panel->Box.Text(), "012345");
    panel->Box.SetMaxLength(0);
    panel->Box.SetText(QString(100, 'x'));
    EXPECT_EQ(panel->Box.Text().size(), 100);
}

TEST_F(Controls, PastedControlCharactersAreDropped)
{
    const QString pasted = QStringLiteral("a\tb\nc\rd\x1b"
                                          "e\x7f");
    panel->Box.setFocus();
    panel->Box.SetText("[]");
    panel->Box.setCursorPosition(1);
    panel->Box.insert(pasted); // what a paste or a drop does
    EXPECT_EQ(panel->Box.Text(), "[abcde]");
    EXPECT_EQ(panel->Box.cursorPosition(), 6);
    panel->Box.SetText(pasted); // the program's own text stays as given
    EXPECT_EQ(panel->Box.Text(), pasted);

    forms::ComboBox combo;
    combo.AddItem("listed");
    combo.lineEdit()->insert(pasted);
    EXPECT_EQ(combo.Text(), "abcde");
    combo.SetText(pasted);
    EXPECT_EQ(combo.Text(), pasted);
}

TEST_F(Controls, LockedBoxRefusesTyping)
{
    panel->Box.SetText("kept");
    panel->Box.SetLocked(true);
    panel->Box.setFocus();
    QTest::keyClicks(&panel->Box, "zz");
    EXPECT_EQ(panel->Box.Text(), "kept");
}

TEST_F(Controls, LostFocusFiresBeforeTheClickOfTheNextControl)
{
    std::vector<std::string> order;
    panel->Box.LostFocus = [&] { order.push_back("Box_LostFocus"); };
    panel->Button.GotFocus = [&] { order.push_back("Button_GotFocus"); };
    panel->Button.Click = [&] { order.push_back("Button_Click"); };
    panel->Box.setFocus();
    QTest::mouseClick(&panel->Button, Qt::LeftButton);
    EXPECT_EQ(order, (std::vector<std::string> { "Box_LostFocus", "Button_GotFocus", "Button_Click" }));
}

TEST_F(Controls, LostFocusThatUnloadsTheWindowCancelsThePendingClick)
{
    int clicks = 0;
    panel->Box.LostFocus = [&] { panel->Unload(); };
    panel->Button.Click = [&] { ++clicks; };
    panel->Box.setFocus();
    QTest::mouseClick(&panel->Button, Qt::LeftButton);
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(Forms::IsLoaded("Panel"));
}

TEST_F(Controls, LostFocusOnlyForMovesWithinTheWindow)
{
    int lost = 0;
    panel->Box.LostFocus = [&] { ++lost; };
    panel->Box.setFocus();
    QWidget other;
    other.setFocusPolicy(Qt::StrongFocus);
    activate(&other);
    EXPECT_EQ(lost, 0);
    activate(panel);
    panel->Box.setFocus();
    panel->Other.setFocus(Qt::TabFocusReason);
    EXPECT_EQ(lost, 1);
}

TEST_F(Controls, EnterAndEscapePressNoButton)
{
    int clicks = 0;
    panel->Button.Click = [&] { ++clicks; };
    panel->Button.setFocus();
    QTest::keyClick(&panel->Button, Qt::Key_Return);
    QTest::keyClick(&panel->Button, Qt::Key_Enter);
    QTest::keyClick(&panel->Button, Qt::Key_Escape);
    panel->Box.setFocus();
    QTest::keyClick(&panel->Box, Qt::Key_Return);
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(panel->Button.isDefault());
    EXPECT_FALSE(panel->Button.autoDefault());
    panel->Button.setFocus();
    QTest::keyClick(&panel->Button, Qt::Key_Space);
    EXPECT_EQ(clicks, 1);
}

TEST_F(Controls, LayoutNamesPlacesAndOrdersControls)
{
    EXPECT_EQ(panel->Button.objectName(), "Button");
    EXPECT_EQ(panel->Button.Caption(), "Go");
    EXPECT_EQ(panel->Button.accessibleName(), "Go");
    EXPECT_EQ(panel->Button.geometry(), QRect(8, 40, 100, 33));
    EXPECT_EQ(panel->Box.nextInFocusChain(), &panel->Button);
}

TEST_F(Controls, FileListMatchesThePatternWithoutRegardToCase)
{
    testsupport::ProgramFolder folder;
    folder.write("ann_lee.mdb", "x");
    folder.write("BOB_RAY.MDB", "x");
    folder.write("notes.txt", "x");
    folder.write("old.mdb.bak", "x");
    QDir(folder.path()).mkdir("folder.mdb");
    panel->Files.SetPattern("*.mdb");
    ASSERT_EQ(panel->Files.ListCount(), 2);
    EXPECT_EQ(panel->Files.List(0), "ann_lee.mdb");
    EXPECT_EQ(panel->Files.List(1), "BOB_RAY.MDB");
    EXPECT_EQ(panel->Files.FileName(), "");
    // A snapshot: a file made afterwards shows after the next refresh only.
    folder.write("cy_day.mdb", "x");
    EXPECT_EQ(panel->Files.ListCount(), 2);
    panel->Files.Refresh();
    EXPECT_EQ(panel->Files.ListCount(), 3);
}

TEST_F(Controls, FileListDoubleClickIsAnEventOfItsOwn)
{
    testsupport::ProgramFolder folder;
    folder.write("ann_lee.mdb", "x");
    panel->Files.SetPattern("*.mdb");
    QString named = "unset";
    panel->Files.DblClick = [&] { named = panel->Files.FileName(); };
    const QRect r = panel->Files.visualItemRect(panel->Files.item(0));
    QTest::mouseClick(panel->Files.viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(panel->Files.viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(named, "ann_lee.mdb");
    // On no file at all it still fires, with no file name.
    panel->Files.clearSelection();
    named = "unset";
    QTest::mouseDClick(panel->Files.viewport(), Qt::LeftButton, {}, QPoint(5, panel->Files.viewport()->height() - 5));
    EXPECT_EQ(named, "");
}

TEST_F(Controls, FileListTakesReturnOnItsCurrentFileAsTheDoubleClick)
{
    testsupport::ProgramFolder folder;
    folder.write("ann_lee.mdb", "x");
    folder.write("bob_ray.mdb", "x");
    auto& files = panel->Files;
    files.SetPattern("*.mdb");
    // The first file is current, so the keyboard and a screen reader start
    // there, but nothing is picked until the user picks it.
    ASSERT_NE(files.currentItem(), nullptr);
    EXPECT_EQ(files.currentItem()->text(), "ann_lee.mdb");
    EXPECT_EQ(files.FileName(), "");
    QStringList opened;
    files.DblClick = [&] { opened << files.FileName(); };
    files.setFocus();
    QTest::keyClick(&files, Qt::Key_Return);
    QTest::keyClick(&files, Qt::Key_Down);
    EXPECT_EQ(opened, QStringList { "ann_lee.mdb" }); // an arrow moves, it opens nothing
    QTest::keyClick(&files, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(opened, (QStringList { "ann_lee.mdb", "bob_ray.mdb" }));

    // An empty list has no current file, and Return opens nothing.
    testsupport::ProgramFolder empty;
    files.Refresh();
    EXPECT_EQ(files.currentItem(), nullptr);
    QTest::keyClick(&files, Qt::Key_Return);
    EXPECT_EQ(opened.size(), 2);
}

} // namespace
