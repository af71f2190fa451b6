// The desktop services and their seams: message boxes, F1 help, pointer, end.
#include "platform/forms/controls.h"
#include "platform/forms/desktop.h"
#include "platform/forms/form.h"
#include "platform/forms/menu.h"
#include "platform/forms/registry.h"
#include "platform/forms/screenreader.h"
#include "support/tempdir.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

using namespace forms;

namespace {

TEST(MessageBox, DefaultsToTheProgramTitleAndAnOKButton)
{
    RecordingDesktop desk;
    EXPECT_EQ(MsgBox("Hello"), vbOK);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text, "Hello");
    EXPECT_EQ(desk.messages[0].title, "Tellora 3.95");
    EXPECT_EQ(desk.messages[0].buttons, Buttons::OK);
    EXPECT_EQ(desk.messages[0].icon, Icon::None);
}

TEST(MessageBox, AnswersAsScriptedElseWithTheDefaultButton)
{
    struct Case {
        Buttons buttons;
        int defaultButton;
        int expected;
    };
    for (const Case& c : { Case { Buttons::OKCancel, 1, vbOK }, Case { Buttons::OKCancel, 2, vbCancel },
             Case { Buttons::YesNo, 2, vbNo }, Case { Buttons::YesNoCancel, 3, vbCancel },
             Case { Buttons::AbortRetryIgnore, 2, vbRetry }, Case { Buttons::RetryCancel, 1, vbRetry } }) {
        RecordingDesktop desk;
        EXPECT_EQ(MsgBox("q", c.buttons, Icon::Question, "T", c.defaultButton), c.expected);
    }
    RecordingDesktop desk;
    desk.answerNext(vbCancel);
    EXPECT_EQ(MsgBox("Are You Sure?", Buttons::OKCancel, Icon::Question, "Delete Reading"), vbCancel);
    EXPECT_EQ(desk.messages[0].title, "Delete Reading");
    EXPECT_EQ(desk.messages[0].icon, Icon::Question);
    EXPECT_EQ(MsgBox("again", Buttons::OKCancel), vbOK);
}

TEST(Services, BeepPointerAndEndAreRecorded)
{
    RecordingDesktop desk;
    Beep();
    Beep();
    SetMousePointer(vbHourglass);
    SetMousePointer(vbArrow);
    EndProgram();
    EXPECT_EQ(desk.beeps, 2);
    EXPECT_EQ(desk.pointers, (std::vector<int> { 11, 1 }));
    EXPECT_EQ(MousePointer(), 1);
    EXPECT_EQ(desk.endCalls, 1);
}

TEST(Services, RecordingDesktopRestoresThePreviousOne)
{
    RecordingDesktop outer;
    {
        RecordingDesktop inner;
        Beep();
        EXPECT_EQ(inner.beeps, 1);
    }
    Beep();
    EXPECT_EQ(outer.beeps, 1);
}

struct HelpCase {
    bool file;
    bool viewer;
    bool starts;
    bool opened;
    const char* message;
};

TEST(HelpFile, OpensWithTheViewerOrTellsTheUserWhy)
{
    const HelpCase cases[] = {
        { true, true, true, true, nullptr },
        { false, true, true, false, "The help file tellora395.chm was not found in the program folder." },
        { true, false, true, false, "No program to show the help file tellora395.chm is installed." },
        { true, true, false, false, "The help file tellora395.chm could not be opened." },
    };
    for (const HelpCase& c : cases) {
        testsupport::ProgramFolder folder;
        if (c.file) folder.write("tellora395.chm", "ITSF");
        RecordingDesktop desk;
        QStringList started;
        HelpLauncher l;
        l.findViewer = [&] { return c.viewer ? QString("/usr/bin/xchm") : QString(); };
        l.start = [&](const QString& viewer, const QStringList& args) {
            started = QStringList { viewer } + args;
            return c.starts;
        };
        EXPECT_EQ(openHelpFile(30, folder.path(), l), c.opened);
        if (c.message) {
            ASSERT_EQ(desk.messages.size(), 1u);
            EXPECT_EQ(desk.messages[0].text, c.message);
        } else {
            EXPECT_TRUE(desk.messages.empty());
            EXPECT_EQ(started, (QStringList { "/usr/bin/xchm", folder.file("tellora395.chm") }));
        }
    }
}

class HelpWindow : public Form {
public:
    HelpWindow()
        : Form("HelpWindow")
    {
        HelpContextID = 30;
        SetClientSize(4000, 2000);
        Layout({
            { &WithId, "WithId", "With", { 0, 0, 1500, 495 }, 0, 80 },
            { &WithoutId, "WithoutId", "Without", { 0, 600, 1500, 495 }, 1 },
        });
    }
    CommandButton WithId;
    CommandButton WithoutId;

protected:
    void Form_Load() override { Show(); }
};

TEST(HelpKey, AsksForTheFocusedControlsIdElseTheWindows)
{
    RecordingDesktop desk;
    Forms::Register("HelpWindow", [] { return new HelpWindow; });
    auto* w = dynamic_cast<HelpWindow*>(Forms::Load("HelpWindow"));
    ASSERT_NE(w, nullptr);
    QApplication::setActiveWindow(w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    w->WithId.setFocus();
    QTest::keyClick(&w->WithId, Qt::Key_F1);
    w->WithoutId.setFocus();
    QTest::keyClick(&w->WithoutId, Qt::Key_F1);
    EXPECT_EQ(desk.helpContexts, (std::vector<int> { 80, 30 }));
    Forms::Reset();
    Forms::Unregister("HelpWindow");
}

// With no session bus to ask, no screen reader can hear the program: the
// desktop's answer is no, and it comes at once.
TEST(ScreenReader, WithoutASessionBusNoScreenReaderRuns)
{
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tellora-test-bus");
    QElapsedTimer asked;
    asked.start();
    EXPECT_FALSE(screenReaderEnabled());
    EXPECT_FALSE(ScreenReaderRuns());
    EXPECT_LT(asked.elapsed(), 1000);
}

} // namespace
