// What a screen reader is told about the shell's windows and boxes.
#include "shell_fixture.h"

#include "platform/accessible_text.h"
#include "platform/forms/screenreader.h"

#include "support/heard.h"

#include <QAccessible>
#include <QLabel>

#include <algorithm>
#include <vector>

// Readable failure output for texts.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

using namespace shelltest;

QAccessibleInterface* accessible(QObject* object)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    EXPECT_NE(iface, nullptr);
    return iface;
}

// The labels a box is "labelled by".
QList<QObject*> labelsOf(QWidget& box)
{
    QList<QObject*> labels;
    for (const auto& [iface, relation] : accessible(&box)->relations(QAccessible::Label))
        labels << iface->object();
    return labels;
}

class Accessibility : public ShellTest { };

// As the desktop tells the program: accessibility on, and the screen reader
// switched on, or not, until the end of the scope.
struct ScreenReaderRunning {
    explicit ScreenReaderRunning(bool reader = true)
    {
        QAccessible::setActive(true);
        forms::screenReaderEnabled = [reader] { return reader; };
        forms::ScreenReaderSwitched();
    }
    ~ScreenReaderRunning()
    {
        QAccessible::setActive(false);
        forms::screenReaderEnabled = [] { return false; };
        forms::ScreenReaderSwitched();
    }
};

using testsupport::Heard;

// The Tab stops from the focus on, once round.
std::vector<QString> tabRound()
{
    std::vector<QString> names;
    QWidget* first = QApplication::focusWidget();
    for (QWidget* w = first; w && names.size() < 40;) {
        names.push_back(w->objectName());
        QTest::keyClick(w, Qt::Key_Tab);
        w = QApplication::focusWidget();
        if (w == first) break;
    }
    return names;
}

const std::vector<QString> ButtonStops { "NextRecord", "Search", "PreviousRecord", "AddReadings", "Delete", "Edit",
    "PrintReport", "Command1", "PrintToScreen", "LastRecord", "FirstRecord", "Temp", "Spo2" };

TEST_F(Accessibility, WhileAScreenReaderRunsTabReachesEveryBoxOfTheReading)
{
    makeDatabase("JANE_DOE.mdb", { { "2024-03-05", "08:30", "120" } });
    std::vector<QString> withReader = ButtonStops;
    for (const char* box : { "DatabaseName", "Bdates", "Btime", "Bsugar", "Bpressure", "Dpressure", "Bpulse", "Bweight",
             "Bcomm", "Instype", "Insamt", "Site" })
        withReader.push_back(box);
    {
        ScreenReaderRunning reader;
        open("JANE_DOE.mdb");
        ASSERT_NE(record(), nullptr);
        activate(record());
        EXPECT_EQ(QApplication::focusWidget(), &record()->NextRecord);
        EXPECT_EQ(tabRound(), withReader);
    }
    // The reader stopped: the keyboard alone has the drawn order again.
    record()->NextRecord.setFocus();
    EXPECT_EQ(tabRound(), ButtonStops);
    // And a reader started while the window is open is followed.
    ScreenReaderRunning reader;
    EXPECT_EQ(tabRound(), withReader);
}

TEST_F(Accessibility, AccessibilityOnWithoutAScreenReaderKeepsTheDrawnTabOrder)
{
    // A magnifier or a testing tool turns the accessibility bus on; only the
    // desktop's screen-reader switch adds the boxes to the Tab order.
    makeDatabase("JANE_DOE.mdb", { { "2024-03-05", "08:30", "120" } });
    ScreenReaderRunning accessibilityOnly(false);
    open("JANE_DOE.mdb");
    ASSERT_NE(record(), nullptr);
    activate(record());
    EXPECT_EQ(tabRound(), ButtonStops);
    // The screen reader switched on while the window is open is followed.
    forms::screenReaderEnabled = [] { return true; };
    forms::ScreenReaderSwitched();
    EXPECT_EQ(tabRound().size(), ButtonStops.size() + 12);
}

TEST_F(Accessibility, TheReadingShownIsSpokenWhileTheFocusStaysOnTheButton)
{
    makeDatabase("JANE_DOE.mdb");
    Reading full = Reading::NothingTaken("2024-03-06", "17:45");
    const std::pair<Reading::Field, const char*> values[] = { { Reading::Bsugar, "130" }, { Reading::Bpressure, "128" },
        { Reading::Dpressure, "82" }, { Reading::Bpulse, "71" }, { Reading::Bweight, "80.5" },
        { Reading::Bcomm, "after lunch" }, { Reading::Temp, "36.8" }, { Reading::SPO2, "97" },
        { Reading::Instype, "Humalog" }, { Reading::Insamt, "6" }, { Reading::Site, "arm" } };
    for (const auto& [field, text] : values)
        full[field] = std::string(text);
    writeReadings("JANE_DOE.mdb",
        { Reading::NothingTaken("2024-03-05", "08:30"), Reading::NothingTaken("2024-03-06", "07:00"), full });

    Heard heard;
    open("JANE_DOE.mdb");
    ASSERT_NE(record(), nullptr);
    DisplayRecord& r = *record();
    activate(&r);
    QCoreApplication::processEvents();
    ASSERT_EQ(heard.said.size(), 1u);
    EXPECT_EQ(heard.said[0].at, &r.NextRecord);
    EXPECT_EQ(heard.said[0].text,
        "Date: " + FormatShortDate("2024-03-06")
            + ", Time: 05:45 PM, Blood Sugar: 130, Blood Pressure: systolic 128, Blood Pressure: diastolic 82, "
              "Pulse: 71, Weight: 80.5, Comments: after lunch, Temperature: 36.8, SPO2: 97, Insulin Injected: "
              "Humalog, Dosage: 6, Injection Site: arm");

    // Each press, from the keyboard, speaks the reading it shows (the same
    // one again at either end), and the focus stays where it was.
    const struct {
        forms::CommandButton& button;
        const char* time;
    } presses[] = {
        { r.NextRecord, "05:45 PM" },
        { r.PreviousRecord, "07:00 AM" },
        { r.PreviousRecord, "08:30 AM" },
        { r.PreviousRecord, "08:30 AM" },
        { r.LastRecord, "05:45 PM" },
        { r.FirstRecord, "08:30 AM" },
        { r.NextRecord, "07:00 AM" },
    };
    for (const auto& press : presses) {
        SCOPED_TRACE(press.button.objectName().toStdString() + " to " + press.time);
        heard.said.clear();
        press.button.setFocus(Qt::TabFocusReason);
        QTest::keyClick(&press.button, Qt::Key_Space);
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), &press.button);
        ASSERT_EQ(heard.said.size(), 1u);
        EXPECT_EQ(heard.said[0].at, &press.button);
        EXPECT_TRUE(heard.said[0].text.startsWith("Date: " + r.Bdates.Text() + ", Time: " + press.time + ", "))
            << heard.said[0].text.toStdString();
    }
}

TEST_F(Accessibility, AnEmptyDatabaseAndTheReadingShownAfterADeleteAreSpoken)
{
    makeDatabase("EMPTY_ONE.mdb");
    makeDatabase("JANE_DOE.mdb", { { "2024-03-05", "08:30", "120" }, { "2024-03-06", "07:00", "110" } });
    Heard heard;
    open("EMPTY_ONE.mdb");
    ASSERT_NE(record(), nullptr);
    activate(record());
    QCoreApplication::processEvents();
    EXPECT_EQ(heard.Texts(), std::vector<QString> { "There are no readings." });
    click(&record()->Command1);
    flushDeletes();

    open("JANE_DOE.mdb");
    ASSERT_NE(record(), nullptr);
    DisplayRecord& r = *record();
    activate(&r);
    QCoreApplication::processEvents();
    // Deleting the newest shows the one before it, then none is left; the
    // focus stays on the button, where each result is spoken.
    for (const QString& after : { "Date: " + FormatShortDate("2024-03-05") + ", Time: 08:30 AM, Blood Sugar: 120",
             QStringLiteral("There are no readings.") }) {
        heard.said.clear();
        r.Delete.setFocus(Qt::TabFocusReason);
        QTest::keyClick(&r.Delete, Qt::Key_Space);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !heard.said.empty(); }));
        ASSERT_EQ(heard.said.size(), 1u) << after.toStdString();
        EXPECT_TRUE(heard.said[0].text.startsWith(after)) << heard.said[0].text.toStdString();
        EXPECT_EQ(heard.said[0].at, &r.Delete);
    }
}

TEST_F(Accessibility, AFileListTakingTheFocusNamesItsCurrentFile)
{
    makeDatabase("ALICE_A.mdb");
    makeDatabase("BOB_B.mdb");
    Heard heard;
    click(&panel()->Command2);
    ASSERT_NE(chooser(), nullptr);
    activate(chooser());
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), &chooser()->File1);
    ASSERT_FALSE(heard.focused.empty());
    EXPECT_EQ(heard.focused.back(), "ALICE_A.mdb");
    // Named, not chosen: the file is picked by Return or a double-click.
    EXPECT_EQ(chooser()->File1.FileName(), "");
}

TEST_F(Accessibility, WindowsAreFramesOrDialogsNamedByWhatTheyAre)
{
    makeDatabase("JANE_DOE.mdb", { { "2024-03-05", "08:30", "120" } });
    EXPECT_EQ(accessible(main())->role(), QAccessible::Window);
    EXPECT_EQ(accessible(main())->text(QAccessible::Name), "Tellora");
    EXPECT_EQ(accessible(panel())->role(), QAccessible::Dialog);
    EXPECT_EQ(accessible(panel())->text(QAccessible::Name), "Tellora start panel");

    click(&panel()->Command2);
    ASSERT_NE(chooser(), nullptr);
    EXPECT_EQ(accessible(chooser())->role(), QAccessible::Dialog);
    EXPECT_EQ(accessible(chooser())->text(QAccessible::Name), "Select Database");
    click(&chooser()->Command1);
    flushDeletes();

    open("JANE_DOE.mdb");
    ASSERT_NE(record(), nullptr);
    EXPECT_EQ(accessible(record())->role(), QAccessible::Dialog);
    EXPECT_EQ(accessible(record())->text(QAccessible::Name), "Current Reading");

    // No window of the program is a nameless filler.
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (qobject_cast<forms::Form*>(top)) {
            EXPECT_NE(accessible(top)->role(), QAccessible::Client) << top->objectName().toStdString();
        }
    }
}

TEST_F(Accessibility, EveryBoxOfTheCurrentReadingIsLabelledByItsLabel)
{
    makeDatabase("JANE_DOE.mdb", { { "2024-03-05", "08:30", "120" } });
    open("JANE_DOE.mdb");
    DisplayRecord& r = *record();
    const struct {
        forms::TextBox& box;
        const char* name;
        QList<QLabel*> labels;
    } cases[] = {
        { r.DatabaseName, "Database now open:", { &r.lblDatabase } },
        { r.Bdates, "Date:", { &r.lblDate } },
        { r.Btime, "Time:", { &r.lblTime } },
        { r.Bsugar, "Blood Sugar:", { &r.lblSugar } },
        { r.Bpressure, "Blood Pressure: systolic", { &r.lblSystolic } },
        { r.Dpressure, "Blood Pressure: diastolic", { &r.lblDiastolic } },
        { r.Bpulse, "Pulse:", { &r.lblPulse } },
        { r.Bweight, "Weight:", { &r.lblWeight } },
        { r.Bcomm, "Comments:", { &r.lblComments } },
        { r.Temp, "Temperature:", { &r.lblTemp } },
        { r.Spo2, "SPO2:", { &r.lblSpo2 } },
        { r.Instype, "Insulin Injected:", { &r.lblInstype } },
        { r.Insamt, "Dosage:", { &r.lblInsamt } },
        { r.Site, "Injection Site:", { &r.lblSite } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.box.objectName().toStdString());
        EXPECT_EQ(accessible(&c.box)->text(QAccessible::Name), c.name);
        QList<QObject*> expected(c.labels.begin(), c.labels.end());
        QList<QObject*> found = labelsOf(c.box);
        std::sort(expected.begin(), expected.end());
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, expected);
    }
    // A screen reader reads a box by its one label: the word behind each
    // pressure box speaks for the heading too, and the heading ties to neither.
    EXPECT_EQ(accessible(&r.lblDiastolic)->text(QAccessible::Name), "Blood Pressure: diastolic");
    EXPECT_EQ(r.lblPressure.buddy(), nullptr);
    // The captions stay as drawn: no label grew an access key.
    EXPECT_EQ(r.lblPressure.text(), "Blood Pressure:");
    EXPECT_EQ(r.lblDiastolic.text(), "diastolic");
}

} // namespace
