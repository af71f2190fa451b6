// The rules the window runtime applies to every window of the program: a
// disabled window cannot be closed, every window is held by the main window,
// captions show whole, the main window's menu bar keeps its colours.
#include "shell/shell_fixture.h"

#include "charts/window/chart_window.h"
#include "entry/addrds.h"
#include "entry/editrds.h"
#include "listings/displayscreen.h"
#include "wiring.h"

#include "platform/forms/captions.h"

#include <QMenuBar>
#include <QWindow>

namespace {

using namespace shelltest;

class WindowRuntime : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        RegisterAllWindows();
        // Two people's databases holding a reading under the same key.
        makeDatabase("ANN_LEE.mdb", { { "2024-03-01", "08:30", "120" } });
        makeDatabase("BOB_RAY.mdb", { { "2024-03-01", "08:30", "99" } });
    }

    // Unloads every window but the shell's own.
    void CloseOpened()
    {
        for (const QString& name : Forms::Loaded())
            if (!QStringList { "MDIStart", "BloodMenu", "SelectDbase", "DisplayRecord" }.contains(name))
                Forms::Unload(name);
        flushDeletes();
    }

    static std::vector<std::string> Sugars(const QString& file)
    {
        std::vector<std::string> out;
        auto db = dao::DefaultWorkspace().OpenDatabase(file.toStdString());
        auto rs = db->OpenRecordset("BLOOD");
        rs->SetIndex("Readings");
        for (; !rs->EOF_(); rs->MoveNext())
            out.push_back(Reading::From(*rs).Text(Reading::Bsugar).toStdString());
        return out;
    }
};

// A window that disables DisplayRecord while it is open, and how the user opens it.
struct LockingWindow {
    const char* name;
    void (*open)(MDIStart& main, DisplayRecord& record);
};

void PrintTo(const LockingWindow& w, std::ostream* os)
{
    *os << w.name;
}

class DisabledWindow : public WindowRuntime, public ::testing::WithParamInterface<LockingWindow> { };

TEST_P(DisabledWindow, RefusesToCloseAndTheSaveGoesToTheOpenDatabase)
{
    open("ANN_LEE.mdb");
    ASSERT_NE(record(), nullptr);
    GetParam().open(*main(), *record());
    ASSERT_TRUE(Forms::IsLoaded(GetParam().name));
    ASSERT_FALSE(record()->isEnabled());

    // The close box and the window menu close through the desktop; Alt+F4 too.
    record()->close();
    record()->windowHandle()->close();
    QTest::keyClick(record(), Qt::Key_F4, Qt::AltModifier);
    flushDeletes();

    ASSERT_NE(record(), nullptr);
    EXPECT_NE(chooser(), nullptr);
    EXPECT_EQ(OpenDatabaseName(), "ANN_LEE.mdb");
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_TRUE(main()->mnuUtilitiesDeleteByDate.Enabled()); // still the database-open state
    EXPECT_EQ(shown(), "2024-03-01 08:30 AM");

    if (QLatin1String(GetParam().name) == "AddRds") {
        auto* add = Forms::Find<AddRds>();
        add->Btime.SetText("9:00 AM");
        add->Bsugar.SetText("140");
        click(&add->SaveRd);
    } else {
        if (QLatin1String(GetParam().name) != "EditRds") {
            Forms::Unload(GetParam().name);
            flushDeletes();
            click(&record()->Edit);
        }
        auto* edit = Forms::Find<EditRds>();
        ASSERT_NE(edit, nullptr);
        edit->Bsugar.SetText("140");
        click(&edit->Save);
    }
    flushDeletes();
    EXPECT_TRUE(record()->isEnabled());
    EXPECT_TRUE(Sugars("ANN_LEE.mdb") == std::vector<std::string>({ "140" })
        || Sugars("ANN_LEE.mdb") == std::vector<std::string>({ "120", "140" }));
    EXPECT_EQ(Sugars("BOB_RAY.mdb"), std::vector<std::string>({ "99" }));
}

INSTANTIATE_TEST_SUITE_P(EachKind, DisabledWindow,
    ::testing::Values(LockingWindow { "AddRds", [](MDIStart&, DisplayRecord& r) { click(&r.AddReadings); } },
        LockingWindow { "EditRds", [](MDIStart&, DisplayRecord& r) { click(&r.Edit); } },
        LockingWindow { "Display",
            [](MDIStart&, DisplayRecord& r) {
                click(&r.PrintToScreen);
                click(&Forms::Find<DisplayScreen>()->DisplayRpt);
            } },
        LockingWindow { "BPbyDate", [](MDIStart& m, DisplayRecord&) { m.Menu["barchart6"].Trigger(); } },
        LockingWindow { "AddNames", [](MDIStart& m, DisplayRecord&) { m.mnuFileConfigInsNames.Trigger(); } }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowRuntime, EveryWindowIsHeldByTheMainWindow)
{
    open("ANN_LEE.mdb");
    main()->Menu["barchart6"].Trigger();
    QWindow* frame = main()->windowHandle();
    ASSERT_NE(frame, nullptr);
    for (const char* name : { "BloodMenu", "SelectDbase", "DisplayRecord", "BPbyDate" }) {
        forms::Form* w = Forms::Find(name);
        ASSERT_NE(w, nullptr) << name;
        ASSERT_NE(w->windowHandle(), nullptr) << name;
        // The chart blocks the current-reading window and is held by it, above it.
        QWindow* holder = QLatin1String(name) == "BPbyDate" ? record()->windowHandle() : frame;
        EXPECT_EQ(w->windowHandle()->transientParent(), holder) << name;
    }
}

TEST_F(WindowRuntime, TheMenuBarKeepsItsColoursOverTheBlackArea)
{
    const QMenuBar* bar = main()->Menu.widget();
    EXPECT_NE(bar->palette().color(QPalette::Window), QColor(Qt::black));
    EXPECT_NE(bar->palette().color(QPalette::ButtonText), bar->palette().color(QPalette::Window));
    const auto* area = main()->findChild<QWidget*>("ClientArea");
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(area->palette().color(QPalette::Window), QColor(Qt::black));
    EXPECT_TRUE(area->autoFillBackground());
}

TEST_F(WindowRuntime, WindowsAreCentredByTheirOuterSize)
{
    click(&panel()->Command2);
    forms::Form* w = chooser();
    ASSERT_NE(w, nullptr);
    const QMargins m = w->FrameMargins();
    const QRect screen = w->screen()->geometry();
    const QRect outer(w->pos(), w->size().grownBy(m));
    EXPECT_NEAR(outer.center().x(), screen.center().x(), 1);
    EXPECT_NEAR(outer.center().y(), screen.center().y(), 1);
}

TEST_F(WindowRuntime, TheChartOpensWithTheFocusOnTheChart)
{
    open("ANN_LEE.mdb");
    main()->Menu["barchart6"].Trigger();
    auto* chart = dynamic_cast<ChartWindow*>(Forms::Find("BPbyDate"));
    ASSERT_NE(chart, nullptr);
    activate(chart);
    EXPECT_EQ(chart->focusWidget(), &chart->MSChart1);
    // Space on the focused chart presses nothing.
    QTest::keyClick(chart->focusWidget(), Qt::Key_Space);
    EXPECT_TRUE(Forms::IsLoaded("BPbyDate"));
}

TEST_F(WindowRuntime, EveryCaptionOfEveryWindowShowsWhole)
{
    open("ANN_LEE.mdb");
    ASSERT_NE(record(), nullptr);
    int checked = 0;
    for (const QString& name : Forms::Registered()) {
        forms::Form* w = Forms::Load(name);
        if (!w) continue;
        for (QWidget* control : w->findChildren<QWidget*>()) {
            if (forms::CaptionOf(control).isEmpty() || !control->isVisibleTo(w)) continue;
            ++checked;
            EXPECT_TRUE(forms::CaptionFits(control))
                << name.toStdString() << "." << control->objectName().toStdString() << " \""
                << forms::CaptionOf(control).toStdString() << "\" needs more than " << forms::CaptionRoom(control)
                << " pixels";
        }
        CloseOpened();
    }
    EXPECT_GT(checked, 100);
}

} // namespace
