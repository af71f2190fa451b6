// What a screen reader is told about the shell's windows and boxes.
#include "shell_fixture.h"

#include <QAccessible>
#include <QLabel>

#include <algorithm>

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
