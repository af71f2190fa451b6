// The window runtime: loading at most once, unloading once, deletion after the
// handler, self-unload in the load step, geometry and fonts.
#include "platform/forms/controls.h"
#include "platform/forms/desktop.h"
#include "platform/forms/form.h"
#include "platform/forms/registry.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontInfo>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

using forms::Form;
using forms::Forms;

namespace {

struct Counts {
    int made = 0, loads = 0, unloads = 0;
};

class Probe : public Form {
public:
    static constexpr const char* FormName = "Probe";
    Probe(Counts& c, bool unloadInLoad, bool showInLoad)
        : Form(FormName)
        , counts(c)
        , unloadInLoad_(unloadInLoad)
        , showInLoad_(showInLoad)
    {
        ++counts.made;
        SetClientSize(7335, 3180);
    }
    Counts& counts;
    // Unloads itself from inside a "handler" and touches itself afterwards.
    bool UnloadFromHandler()
    {
        Unload();
        return Name() == FormName && state() == State::Unloaded;
    }

protected:
    void Form_Load() override
    {
        ++counts.loads;
        if (showInLoad_) Show();
        if (unloadInLoad_) Unload();
    }
    void Form_Unload() override { ++counts.unloads; }

private:
    bool unloadInLoad_, showInLoad_;
};

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class Runtime : public ::testing::Test {
protected:
    void TearDown() override
    {
        Forms::Reset();
        Forms::Unregister(Probe::FormName);
        flushDeletes();
    }
    void registerProbe(bool unloadInLoad = false, bool showInLoad = true)
    {
        Forms::Register(
            Probe::FormName, [this, unloadInLoad, showInLoad] { return new Probe(counts, unloadInLoad, showInLoad); });
    }
    Counts counts;
    forms::RecordingDesktop desk;
};

TEST_F(Runtime, LoadingALoadedWindowDoesNothing)
{
    registerProbe();
    Form* first = Forms::Load("Probe");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Forms::Load("Probe"), first);
    EXPECT_EQ(counts.made, 1);
    EXPECT_EQ(counts.loads, 1);
    EXPECT_EQ(Forms::Find<Probe>(), first);
}

TEST_F(Runtime, UnknownWindowLoadsNothing)
{
    EXPECT_EQ(Forms::Load("NoSuchWindow"), nullptr);
    EXPECT_FALSE(Forms::IsLoaded("NoSuchWindow"));
}

TEST_F(Runtime, UnloadRunsOnceAndDeletesLater)
{
    registerProbe();
    QPointer<Form> f = Forms::Load("Probe");
    Forms::Unload("Probe");
    Forms::Unload(f.data());
    EXPECT_EQ(counts.unloads, 1);
    EXPECT_FALSE(Forms::IsLoaded("Probe"));
    EXPECT_FALSE(f->isVisible());
    ASSERT_FALSE(f.isNull()); // still alive until the handler returns
    flushDeletes();
    EXPECT_TRUE(f.isNull());
}

TEST_F(Runtime, CloseBoxUnloadsOnce)
{
    registerProbe();
    QPointer<Form> f = Forms::Load("Probe");
    f->close();
    f->close();
    EXPECT_EQ(counts.unloads, 1);
    EXPECT_FALSE(Forms::IsLoaded("Probe"));
}

TEST_F(Runtime, WindowMayUnloadItselfInsideItsHandler)
{
    registerProbe();
    auto* p = Forms::Load<Probe>();
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(p->UnloadFromHandler());
    EXPECT_EQ(counts.unloads, 1);
}

TEST_F(Runtime, UnloadInsideLoadStepIsVisibleToTheCaller)
{
    registerProbe(true);
    EXPECT_EQ(Forms::Load("Probe"), nullptr);
    EXPECT_EQ(counts.loads, 1);
    EXPECT_EQ(counts.unloads, 1);
    EXPECT_FALSE(Forms::IsLoaded("Probe"));
    // A new load makes a new window.
    flushDeletes();
    EXPECT_EQ(Forms::Load("Probe"), nullptr);
    EXPECT_EQ(counts.made, 2);
}

TEST_F(Runtime, FindNeverLoads)
{
    registerProbe();
    EXPECT_EQ(Forms::Find("Probe"), nullptr);
    EXPECT_EQ(counts.made, 0);
    Forms::Load("Probe");
    Forms::Unload("Probe");
    EXPECT_EQ(Forms::Find<Probe>(), nullptr);
    EXPECT_EQ(counts.made, 1);
}

TEST_F(Runtime, LoadedButHiddenIsARealState)
{
    registerProbe(false, false);
    Form* f = Forms::Load("Probe");
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(Forms::IsLoaded("Probe"));
    EXPECT_FALSE(f->Visible());
    f->Show();
    f->Hide();
    EXPECT_TRUE(Forms::IsLoaded("Probe"));
}

TEST_F(Runtime, ResetForgetsWithoutUnloadSteps)
{
    registerProbe();
    Forms::Load("Probe");
    Forms::Reset();
    EXPECT_EQ(counts.unloads, 0);
    EXPECT_TRUE(Forms::Loaded().isEmpty());
}

TEST_F(Runtime, GeometryIsInTwipsAndCentredByTheFormula)
{
    registerProbe();
    Form* f = Forms::Load("Probe");
    EXPECT_EQ(f->width(), 489); // 7335 / 15
    EXPECT_EQ(f->height(), 212);
    EXPECT_EQ(f->Width(), 7335);
    f->Move(1500, 3000);
    EXPECT_EQ(f->pos(), QPoint(100, 200));
    EXPECT_EQ(f->Left(), 1500);
    f->CentreOnScreen();
    const QRect screen = f->screen()->geometry();
    // By the window's outer size: the frame and title bar count.
    const QSize outer = f->size().grownBy(f->FrameMargins());
    EXPECT_EQ(f->x(), screen.width() / 2 - outer.width() / 2);
    EXPECT_EQ(f->y(), screen.height() / 2 - outer.height() / 2);
}

TEST_F(Runtime, FixedBorderWindowsDoNotResize)
{
    registerProbe();
    Form* f = Forms::Load("Probe");
    EXPECT_EQ(f->minimumSize(), f->maximumSize());
}

TEST_F(Runtime, WindowsFontsMapToAnInstalledFace)
{
    const QFont f = forms::makeFont(forms::SansBold975);
    EXPECT_EQ(f.family(), "Liberation Sans");
    EXPECT_DOUBLE_EQ(f.pointSizeF(), 9.75);
    EXPECT_TRUE(f.bold());
    EXPECT_EQ(QFontInfo(f).family(), "Liberation Sans");
    EXPECT_EQ(forms::installedFamily("Courier New"), "Courier New");
}

TEST_F(Runtime, WindowsLoadedAfterTheMainFormOpenOverIt)
{
    Counts mainCounts;
    auto* main = new Probe(mainCounts, false, false);
    Forms::SetMainForm(main);
    registerProbe();
    Form* f = Forms::Load("Probe");
    EXPECT_EQ(f->parentWidget(), main);
    EXPECT_TRUE(f->isWindow());
    Forms::Unload(f);
    flushDeletes();
    Forms::SetMainForm(nullptr);
    delete main;
}

TEST_F(Runtime, CommandsRunByName)
{
    int runs = 0;
    EXPECT_FALSE(Forms::RunCommand("BackupDbase"));
    Forms::RegisterCommand("BackupDbase", [&] { ++runs; });
    EXPECT_TRUE(Forms::RunCommand("BackupDbase"));
    EXPECT_EQ(runs, 1);
}

// A window of a given border with two buttons; while it is open it blocks
// the window named `blocks`, as the program's windows block the one they
// were opened from.
class Held : public Form {
public:
    Held(const QString& name, forms::BorderStyle border, QString blocks = {})
        : Form(name, border)
        , blocks_(std::move(blocks))
    {
        SetClientSize(4500, 3000);
        Layout({
            { &First, "First", "First", { 120, 120, 1500, 495 }, 0 },
            { &Second, "Second", "Second", { 120, 720, 1500, 495 }, 1 },
        });
    }
    forms::CommandButton First, Second;

protected:
    void Form_Load() override
    {
        if (Form* blocked = Forms::Find(blocks_)) blocked->SetEnabled(false);
        CentreOnScreen();
        Show();
    }
    void Form_Unload() override
    {
        if (Form* blocked = Forms::Find(blocks_)) blocked->SetEnabled(true);
    }

private:
    QString blocks_;
};

class HeldWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        main = new Held("Main", forms::BorderStyle::Sizable);
        Forms::SetMainForm(main);
        main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
        add("Panel", forms::BorderStyle::None);
        add("Reading", forms::BorderStyle::FixedDialog);
        add("Listing", forms::BorderStyle::Sizable, "Reading");
        add("Chart", forms::BorderStyle::FixedDialog, "Reading");
    }
    void TearDown() override
    {
        Forms::Reset();
        for (const char* name : { "Panel", "Reading", "Listing", "Chart" })
            Forms::Unregister(name);
        flushDeletes();
    }
    void add(const QString& name, forms::BorderStyle border, const QString& blocks = {})
    {
        Forms::Register(name, [=] { return new Held(name, border, blocks); });
    }
    Held* load(const char* name)
    {
        auto* f = dynamic_cast<Held*>(Forms::Load(name));
        EXPECT_NE(f, nullptr) << name;
        if (f) {
            EXPECT_TRUE(settlesActive(f)) << name << " is not active once loaded";
        }
        return f;
    }
    static bool settlesActive(QWidget* w)
    {
        for (int i = 0; i < 50 && !w->isActiveWindow(); ++i)
            QTest::qWait(5);
        return w->isActiveWindow();
    }
    // Activates the main window as the desktop does and waits until it has
    // taken the activation, however briefly.
    void activateMain()
    {
        struct Watch : QObject {
            bool activated = false;
            bool eventFilter(QObject*, QEvent* e) override
            {
                if (e->type() == QEvent::WindowActivate) activated = true;
                return false;
            }
        } watch;
        main->installEventFilter(&watch);
        main->activateWindow();
        EXPECT_TRUE(QTest::qWaitFor([&] { return watch.activated; }, 1000));
        main->removeEventFilter(&watch);
    }
    Form* main = nullptr;
    forms::RecordingDesktop desk;
};

TEST_F(HeldWindows, EveryWindowIsTheDesktopsTransientOfTheMainWindowWhateverItsBorder)
{
    for (const char* name : { "Panel", "Reading", "Listing" }) {
        SCOPED_TRACE(name);
        Form* f = load(name);
        ASSERT_NE(f, nullptr);
        QWindow* w = f->windowHandle();
        ASSERT_NE(w, nullptr);
        // The listing blocks the reading window, which holds it in turn.
        QWindow* holder = f->Name() == "Listing" ? Forms::Find("Reading")->windowHandle() : main->windowHandle();
        EXPECT_EQ(w->transientParent(), holder);
        // The desktop keeps only dialog-type windows above the window they
        // are transient for; a plain top-level window may go under it.
        EXPECT_EQ(w->type(), Qt::Dialog);
    }
    // The borderless one stays borderless, the sizable one sizable.
    EXPECT_TRUE(Forms::Find("Panel")->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(Forms::Find("Listing")->windowFlags() & Qt::MSWindowsFixedSizeDialogHint);
    EXPECT_NE(Forms::Find("Listing")->minimumSize(), Forms::Find("Listing")->maximumSize());
}

TEST_F(HeldWindows, ClosingAWindowGivesTheActivationAndTheFocusBackToTheWindowItCameFrom)
{
    Held* panel = load("Panel");
    Held* reading = load("Reading");
    ASSERT_TRUE(panel && reading);
    reading->Second.setFocus();
    ASSERT_EQ(QApplication::focusWidget(), &reading->Second);
    // The reading window is blocked while the chart is open, which takes its
    // focus away; the chart comes up active on top of it.
    Held* chart = load("Chart");
    ASSERT_NE(chart, nullptr);
    EXPECT_FALSE(reading->isEnabled());
    chart->Second.setFocus();
    Forms::Unload(chart);
    EXPECT_TRUE(settlesActive(reading));
    EXPECT_EQ(QApplication::focusWidget(), &reading->Second);
    // Closing the reading window goes back to the panel, not the main window.
    Forms::Unload(reading);
    EXPECT_TRUE(settlesActive(panel));
    EXPECT_NE(QApplication::activeWindow(), main);
}

TEST_F(HeldWindows, AWindowThatBlocksAnotherIsTheDesktopsTransientOfIt)
{
    Held* reading = load("Reading");
    Held* chart = load("Chart");
    ASSERT_TRUE(reading && chart);
    // So the desktop keeps the chart above the reading window, whichever is clicked.
    EXPECT_EQ(chart->windowHandle()->transientParent(), reading->windowHandle());
    EXPECT_EQ(reading->windowHandle()->transientParent(), main->windowHandle());
    Forms::Unload(chart);
    flushDeletes();
    // Once the reading window is free again, a window blocks nothing.
    Held* panel = load("Panel");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->windowHandle()->transientParent(), main->windowHandle());
}

TEST_F(HeldWindows, AMessageOfAMainWindowCommandGivesTheActivationBackToTheWindowTheUserWasIn)
{
    Held* reading = load("Reading");
    ASSERT_NE(reading, nullptr);
    reading->Second.setFocus();
    // A click on the main window's menu bar makes it the active window.
    main->activateWindow();
    ASSERT_TRUE(settlesActive(main));
    QWidget* over = nullptr;
    desk.onMessage = [&](const forms::MessageBoxCall&) { over = forms::workingWindow(); };
    forms::MsgBox("**** Backup Successful ****");
    // The box stood over the window the user was in, and that window has the keys again.
    EXPECT_EQ(over, reading);
    EXPECT_TRUE(settlesActive(reading));
    EXPECT_EQ(QApplication::focusWidget(), &reading->Second);
}

// The desktop chooses a window of its own when one goes away, and on a busy
// machine its choice, often the main window, comes after the activation the
// program handed on: the main window then passes it to the window the user
// works in, for every way a window goes away.
TEST_F(HeldWindows, TheMainWindowActivatedByTheDesktopAfterAWindowWentAwayPassesTheActivationOn)
{
    struct Case {
        const char* goesAway;
        const char* workIn;
    };
    for (const Case& c :
        { Case { "Chart", "Reading" }, Case { "message box", "Reading" }, Case { "Reading", "Panel" } }) {
        SCOPED_TRACE(c.goesAway);
        Held* panel = load("Panel");
        Held* reading = load("Reading");
        ASSERT_TRUE(panel && reading);
        reading->Second.setFocus();
        if (c.goesAway == std::string("Chart")) {
            ASSERT_NE(load("Chart"), nullptr);
            Forms::Unload(Forms::Find("Chart"));
        } else if (c.goesAway == std::string("message box")) {
            forms::MsgBox("**** Backup Successful ****");
        } else {
            Forms::Unload(reading);
        }
        auto* workIn = dynamic_cast<Held*>(Forms::Find(c.workIn));
        ASSERT_TRUE(settlesActive(workIn));
        // The desktop's choice comes last.
        activateMain();
        EXPECT_TRUE(settlesActive(workIn));
        EXPECT_NE(QApplication::activeWindow(), main);
        if (workIn == reading) {
            EXPECT_EQ(QApplication::focusWidget(), &reading->Second);
        }
        Forms::Unload(Forms::Find("Reading"));
        Forms::Unload(panel);
        flushDeletes();
    }
}

// A window hidden while the desktop was giving it back the activation (a menu
// opened from it had just closed) takes that activation late, hidden; the
// focus then moves past its hidden control. Shown again, it gives the focus
// to the control the user left, not the next one.
TEST_F(HeldWindows, AWindowActivatedWhileHiddenGivesTheFocusBackToTheControlTheUserLeft)
{
    Held* panel = load("Panel");
    ASSERT_NE(panel, nullptr);
    panel->First.setFocus();
    ASSERT_EQ(QApplication::focusWidget(), &panel->First);
    panel->Hide();
    QApplication::setActiveWindow(panel);
    Held* reading = load("Reading");
    ASSERT_NE(reading, nullptr);
    Forms::Unload(reading);
    panel->Show();
    EXPECT_TRUE(settlesActive(panel));
    EXPECT_EQ(QApplication::focusWidget(), &panel->First);
}

TEST_F(HeldWindows, AClickAfterAWindowWentAwayLeavesTheMainWindowActive)
{
    Held* reading = load("Reading");
    ASSERT_NE(reading, nullptr);
    ASSERT_NE(load("Chart"), nullptr);
    Forms::Unload(Forms::Find("Chart"));
    ASSERT_TRUE(settlesActive(reading));
    // The user clicks the main window (its menu bar): the activation is the user's.
    QTest::mousePress(main, Qt::LeftButton, {}, QPoint(5, 5));
    activateMain();
    QTest::mouseRelease(main, Qt::LeftButton, {}, QPoint(5, 5));
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), main);
}

} // namespace
