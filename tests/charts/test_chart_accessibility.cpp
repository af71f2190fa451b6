// A screen reader hears a chart's rows with the date and time of each
// reading, and each step's new first row while the focus stays on its button.
#include "chart_fixture.h"

#include "support/heard.h"

using namespace charttest;

namespace {

TEST_F(ChartTest, RowsAreHeardWithTheirTimeAndEachStepSpeaksItsFirstRow)
{
    OpenLog(FullReadings(40), 0);
    ChartWindow* w = OpenChart("barchart6");
    ASSERT_NE(w, nullptr);
    activate(w);
    QCoreApplication::processEvents();
    auto row = [](int i) {
        return LabelOf(i) + (i % 2 ? " 08:00 PM" : " 08:00 AM")
            + QStringLiteral(": Systolic %1, Diastolic 80").arg(100 + i);
    };
    const QStringList lines = w->MSChart1.TextLines();
    ASSERT_EQ(lines.size(), 3 + ChartGroupSize);
    EXPECT_EQ(lines[3], row(0));
    EXPECT_EQ(lines[4], row(1));
    // Taking the focus, the chart is read from its first row.
    QAccessibleInterface* chart = QAccessible::queryAccessibleInterface(&w->MSChart1);
    ASSERT_NE(chart, nullptr);
    int start = 0, end = 0;
    EXPECT_EQ(chart->textInterface()
                  ->textAtOffset(chart->textInterface()->cursorPosition(), QAccessible::LineBoundary, &start, &end)
                  .trimmed(),
        row(0));

    testsupport::Heard heard;
    // Forward, back, and back again at the start, where the same group shows.
    const struct {
        forms::CommandButton& button;
        int first;
    } steps[] = { { w->NextGroup, 31 }, { w->Previous, 0 }, { w->Previous, 0 } };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.button.objectName().toStdString());
        heard.said.clear();
        step.button.setFocus(Qt::TabFocusReason);
        QTest::keyClick(&step.button, Qt::Key_Space);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        ASSERT_EQ(heard.said.size(), 1u);
        EXPECT_EQ(heard.said[0].text, row(step.first));
        EXPECT_EQ(heard.said[0].at, &step.button);
    }
}

} // namespace
