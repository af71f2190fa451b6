// The chart control: its retained grid, series and axes as read back, the
// layout that drawing follows, and its picture on the printer.
#include "platform/accessible_text.h"
#include "platform/chart/chart_control.h"
#include "platform/print/devices.h"
#include "platform/print/recording_printer.h"

#include "support/tempdir.h"

#include <QAccessible>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

using namespace chart;

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << s.toStdString();
}

namespace {

// A wide chart window's chart: 11415 x 5175 twips.
struct ChartTest : ::testing::Test {
    ChartControl chart;
    ChartTest() { chart.resize(761, 345); }

    void fill(int columns)
    {
        chart.SetColumnCount(columns);
        for (int r = 1; r <= ChartControl::MaxRows; ++r) {
            chart.SetRow(r);
            chart.SetRowLabel(QString("1/%1/2024").arg(r));
            for (int c = 1; c <= columns; ++c) {
                chart.SetColumn(c);
                chart.SetData(QString::number(r * 10 + c));
            }
        }
    }
};

TEST_F(ChartTest, StartsAsABlankGridOf31Rows)
{
    EXPECT_EQ(chart.RowCount(), 31);
    EXPECT_EQ(chart.ColumnCount(), 1);
    EXPECT_EQ(chart.chartType(), ChartType::Bar2D);
    EXPECT_EQ(chart.rowLabel(31), "");
    EXPECT_EQ(chart.value(31, 1), 0);
    EXPECT_FALSE(chart.SecondAxisVisible());
    EXPECT_FALSE(chart.LegendVisible());
}

TEST_F(ChartTest, WritingSomeRowsLeavesTheOthersAsTheyWere)
{
    fill(2);
    for (int r = 1; r <= 5; ++r) {
        chart.SetRow(r);
        chart.SetRowLabel("2/1/2024");
        chart.SetColumn(2);
        chart.SetData("7");
    }
    EXPECT_EQ(chart.rowLabel(5), "2/1/2024");
    EXPECT_EQ(chart.value(5, 2), 7);
    EXPECT_EQ(chart.value(5, 1), 51); // the other column of a written row stays
    EXPECT_EQ(chart.rowLabel(6), "1/6/2024");
    EXPECT_EQ(chart.value(31, 2), 312);
    chart.SetChartType(ChartType::Line2D); // a change of type keeps the grid
    EXPECT_EQ(chart.value(31, 1), 311);
}

TEST_F(ChartTest, ShrinkingDropsRowsAndColumnsThatGrowingBringsBackBlank)
{
    fill(3);
    chart.SetColumnCount(2);
    chart.SetRowCount(10);
    EXPECT_THROW(chart.value(11, 1), std::out_of_range);
    EXPECT_THROW(chart.value(1, 3), std::out_of_range);
    EXPECT_EQ(chart.value(10, 2), 102);
    chart.SetRowCount(31);
    chart.SetColumnCount(3);
    EXPECT_EQ(chart.rowLabel(11), "");
    EXPECT_EQ(chart.value(11, 1), 0);
    EXPECT_EQ(chart.value(1, 3), 0);
    EXPECT_EQ(chart.value(1, 2), 12);
}

TEST_F(ChartTest, RowsAndColumnsOutsideTheGridAreRefused)
{
    chart.SetColumnCount(2);
    EXPECT_THROW(chart.SetRow(0), std::out_of_range);
    EXPECT_THROW(chart.SetRow(32), std::out_of_range);
    EXPECT_THROW(chart.SetColumn(3), std::out_of_range);
    EXPECT_THROW(chart.SetRowCount(32), std::out_of_range);
    EXPECT_THROW(chart.SetColumnCount(6), std::out_of_range);
    EXPECT_THROW(chart.SetColumnCount(0), std::out_of_range);
}

struct CellCase {
    const char* text;
    double value;
};

class CellText : public ChartTest, public ::testing::WithParamInterface<CellCase> { };

TEST_P(CellText, IsReadAsANumber)
{
    chart.SetRow(3);
    chart.SetColumn(1);
    chart.SetData(GetParam().text);
    EXPECT_DOUBLE_EQ(chart.value(3, 1), GetParam().value);
    EXPECT_DOUBLE_EQ(cellNumber(chart.Data()), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Texts, CellText,
    ::testing::Values(CellCase { "120", 120 }, CellCase { "6.5", 6.5 }, CellCase { "185.5", 185.5 },
        CellCase { "0", 0 }, CellCase { "", 0 }, CellCase { "-", 0 }, CellCase { "abc", 0 }, CellCase { " 98", 98 },
        CellCase { "2359", 2359 }, CellCase { "-4", -4 }, CellCase { "1e400", 0 }));

TEST_F(ChartTest, KeepsOneColourOneAxisAndOneLabelPerSeries)
{
    chart.SetColumnCount(3);
    chart.SetColumnLabel(1, "Blood Sugar");
    chart.SetColumnLabel(2, "Systolic Pressure");
    chart.SetSeriesAxis(2, Axis::Second);
    chart.SetSeriesAxis(3, Axis::Second);
    chart.SetSeriesColor(1, QColor(192, 0, 0));
    chart.SetSeriesColor(3, QColor(142, 94, 66));
    EXPECT_EQ(chart.ColumnLabel(2), "Systolic Pressure");
    EXPECT_EQ(chart.SeriesAxis(1), Axis::Value);
    EXPECT_EQ(chart.SeriesAxis(3), Axis::Second);
    EXPECT_EQ(chart.SeriesColor(1), QColor(192, 0, 0));
    EXPECT_EQ(chart.SeriesColor(3), QColor(142, 94, 66));
    chart.SetTitle("Blood Sugar and Blood Pressure by Date");
    chart.SetSecondAxisTitle("Blood Pressure Reading\r\n");
    EXPECT_EQ(chart.Title(), "Blood Sugar and Blood Pressure by Date");
    EXPECT_EQ(chart.SecondAxisTitle(), "Blood Pressure Reading\r\n");
    EXPECT_EQ(chart.accessibleName(), "Blood Sugar and Blood Pressure by Date");
}

TEST_F(ChartTest, EveryRowIsDrawnWithItsOwnLabelRepeatedAndEmptyOnesIncluded)
{
    fill(1);
    chart.setRowLabel(2, "1/1/2024"); // two readings on one date
    chart.setRowLabel(3, "1/1/2024");
    chart.setRowLabel(30, "");
    chart.setRowLabel(31, "");
    const ChartLayout layout = chart.Layout(QRectF(0, 0, 761, 345));
    ASSERT_EQ(layout.categories.size(), 31u);
    EXPECT_EQ(layout.categories[1].label, "1/1/2024");
    EXPECT_EQ(layout.categories[2].label, "1/1/2024");
    EXPECT_EQ(layout.categories[29].label, "");
    for (size_t i = 0; i < layout.categories.size(); ++i) {
        const auto& c = layout.categories[i];
        EXPECT_EQ(c.row, static_cast<int>(i) + 1);
        EXPECT_TRUE(layout.plot.contains(c.slot.center()));
        if (i > 0) {
            // Labels never overlap, so none needs to be dropped.
            EXPECT_GE(c.labelRect.left(), layout.categories[i - 1].labelRect.right() - 0.01);
            EXPECT_GT(c.slot.left(), layout.categories[i - 1].slot.left());
        }
    }
    EXPECT_TRUE(layout.categories[0].labelRotated); // 31 dates do not fit across
}

// Bars of one row stand side by side whatever axis they belong to.
TEST_F(ChartTest, BarsOnTwoAxesStandSideBySideEachOnItsOwnScale)
{
    chart.SetColumnCount(2);
    chart.SetSeriesAxis(2, Axis::Second);
    chart.SetSecondAxisVisible(true);
    for (int r = 1; r <= 31; ++r) {
        chart.setValue(r, 1, 6 + r % 4); // blood sugar
        chart.setValue(r, 2, 70 + r); // weight
    }
    const ChartLayout layout = chart.Layout(QRectF(0, 0, 761, 345));
    ASSERT_EQ(layout.bars.size(), 62u);
    EXPECT_GE(layout.valueRange.maximum, 9);
    EXPECT_LT(layout.valueRange.maximum, 20);
    EXPECT_GE(layout.secondRange.maximum, 101);
    EXPECT_FALSE(layout.secondTicks.empty());
    for (size_t i = 0; i < layout.bars.size(); i += 2) {
        const auto& sugar = layout.bars[i];
        const auto& weight = layout.bars[i + 1];
        ASSERT_EQ(sugar.row, weight.row);
        EXPECT_EQ(sugar.column, 1);
        EXPECT_EQ(weight.column, 2);
        EXPECT_LE(sugar.rect.right(), weight.rect.left() + 0.01);
        EXPECT_TRUE(layout.categories[sugar.row - 1].slot.contains(sugar.rect.center()));
        // Neither measure is flattened by the other's larger numbers.
        EXPECT_GT(sugar.rect.height(), layout.plot.height() / 3);
        EXPECT_GT(weight.rect.height(), layout.plot.height() / 3);
    }
}

TEST_F(ChartTest, TheTimeAxisRunsFrom0To2400LabelledEvery300)
{
    chart.SetColumnCount(2);
    chart.SetSeriesAxis(2, Axis::Second);
    chart.SetSecondAxisVisible(true);
    chart.SetSecondAxisScale(AxisScale::Fixed(0, 2400, 8, 1));
    chart.setValue(1, 2, 1200);
    chart.setValue(2, 2, 2359);
    const ChartLayout layout = chart.Layout(QRectF(0, 0, 761, 345));
    ASSERT_EQ(layout.secondTicks.size(), 9u);
    for (int i = 0; i <= 8; ++i) {
        EXPECT_EQ(layout.secondTicks[i].value, i * 300);
        EXPECT_EQ(layout.secondTicks[i].text, QString::number(i * 300));
    }
    const auto& noon = layout.bars[1];
    ASSERT_EQ(noon.column, 2);
    EXPECT_NEAR(noon.rect.top(), layout.plot.center().y(), 0.5);
    EXPECT_GT(layout.bars[3].rect.top(), layout.plot.top()); // 2359 stays below the top
}

TEST_F(ChartTest, AHiddenSecondAxisDrawsEverySeriesOnTheValueAxis)
{
    chart.SetColumnCount(2);
    chart.SetSeriesAxis(2, Axis::Second);
    chart.setValue(1, 1, 120);
    chart.setValue(1, 2, 80);
    const ChartLayout layout = chart.Layout(QRectF(0, 0, 665, 345));
    EXPECT_TRUE(layout.secondTicks.empty());
    EXPECT_GE(layout.valueRange.maximum, 120);
    EXPECT_NEAR(layout.bars[1].rect.height() / layout.bars[0].rect.height(), 80.0 / 120.0, 0.01);
}

TEST_F(ChartTest, TheAutomaticScaleHoldsEveryValueFromZero)
{
    chart.setValue(1, 1, 142.5);
    const ChartLayout layout = chart.Layout(QRectF(0, 0, 665, 345));
    EXPECT_EQ(layout.valueRange.minimum, 0);
    EXPECT_GE(layout.valueRange.maximum, 142.5);
    EXPECT_LE(layout.valueRange.maximum, 300);
    EXPECT_EQ(layout.valueTicks.front().value, 0);
    EXPECT_EQ(layout.valueTicks.back().value, layout.valueRange.maximum);
    chart.setValue(1, 1, 0); // an empty chart still has a scale
    const ChartLayout empty = chart.Layout(QRectF(0, 0, 665, 345));
    EXPECT_GT(empty.valueRange.maximum, empty.valueRange.minimum);
}

TEST_F(ChartTest, ALineChartDrawsOneLineOfAllRowsPerSeries)
{
    fill(3);
    chart.SetChartType(ChartType::Line2D);
    const ChartLayout layout = chart.Layout(QRectF(0, 0, 761, 345));
    EXPECT_TRUE(layout.bars.empty());
    ASSERT_EQ(layout.lines.size(), 3u);
    for (const auto& line : layout.lines)
        EXPECT_EQ(line.size(), 31);
    EXPECT_LT(layout.lines[0][30].y(), layout.lines[0][0].y()); // larger values stand higher
}

TEST_F(ChartTest, TheLegendNamesTheSeriesOnlyWhenShown)
{
    chart.SetColumnCount(2);
    chart.SetColumnLabel(1, "Systolic");
    chart.SetColumnLabel(2, "Diastolic");
    EXPECT_TRUE(chart.Layout(QRectF(0, 0, 665, 345)).legend.empty());
    chart.SetLegendVisible(true);
    const ChartLayout layout = chart.Layout(QRectF(0, 0, 665, 345));
    ASSERT_EQ(layout.legend.size(), 2u);
    EXPECT_EQ(layout.legend[0].text, "Systolic");
    EXPECT_EQ(layout.legend[1].text, "Diastolic");
    EXPECT_GT(layout.legend[0].swatch.left(), layout.plot.right()); // at the right
}

int pixelsOf(const QImage& image, const QColor& color, const QRect& area)
{
    int n = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += image.pixelColor(x, y).rgb() == color.rgb();
    return n;
}

TEST_F(ChartTest, ThePictureIsTheChartAtItsTwipSize)
{
    chart.resize(665, 345);
    EXPECT_EQ(chart.TwipSize(), QSize(9975, 5175));
    chart.SetColumnCount(2);
    chart.SetSeriesColor(1, QColor(0, 0, 0));
    chart.SetSeriesColor(2, QColor(142, 94, 66));
    chart.SetTitle("Blood Pressure by Date");
    for (int r = 1; r <= 31; ++r) {
        chart.setValue(r, 1, 120);
        chart.setValue(r, 2, 80);
        chart.setRowLabel(r, r == 31 ? QString() : "3/4/2024");
    }
    const QImage picture = chart.Picture(1.0);
    EXPECT_EQ(print::pictureTwips(picture), QSizeF(9975, 5175));
    EXPECT_EQ(print::pictureTwips(chart.Picture()), QSizeF(9975, 5175));
    EXPECT_GT(pixelsOf(picture, QColor(142, 94, 66), picture.rect()), 31 * 20);

    // Each repeated label leaves ink under its own row; the empty one none.
    const ChartLayout layout = chart.Layout(QRectF(0, 0, 665, 345));
    const auto ink = [&](int row) {
        const QRect box = layout.categories[row - 1].labelRect.toAlignedRect();
        return box.width() * box.height() - pixelsOf(picture, Qt::white, box);
    };
    EXPECT_GT(ink(1), 10);
    EXPECT_GT(ink(2), 10);
    EXPECT_GT(ink(30), 10);
    EXPECT_EQ(ink(31), 0);
}

TEST_F(ChartTest, PrintsAtThePrintPositionAtItsOwnSize)
{
    print::ScopedCatalog catalog;
    auto& printer = print::current();
    chart.resize(761, 345);
    printer.SetOrientation(print::PageOrientation::Landscape);
    printer.SetScaleMode(print::ScaleUnit::Twips);
    printer.PaintPicture(chart.Picture(), 2200, 3000);
    printer.EndDoc();
    const auto pictures = catalog.recorder()->OpsOf(print::OpKind::Picture);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].at, QPointF(2200, 3000));
    EXPECT_EQ(pictures[0].size, QSizeF(11415, 5175));
    EXPECT_EQ(pictures[0].orientation, print::PageOrientation::Landscape);
}

TEST_F(ChartTest, PrintsToAOneLandscapePagePdf)
{
    testsupport::ProgramFolder folder;
    auto pdf = std::make_shared<print::PdfPrinter>(folder.file("chart.pdf"));
    print::ScopedCatalog catalog(
        std::make_shared<print::FixedCatalog>(std::vector<std::shared_ptr<print::PrinterDevice>> { pdf }));
    auto& printer = print::current();
    fill(2);
    chart.SetTitle("Blood Pressure by Date");
    printer.SetOrientation(print::PageOrientation::Landscape);
    printer.SetScaleMode(print::ScaleUnit::Twips);
    printer.PaintPicture(chart.Picture(), 2200, 3000);
    printer.EndDoc();

    QProcess info;
    info.start("pdfinfo", { folder.file("chart.pdf") });
    ASSERT_TRUE(info.waitForFinished(30000));
    const QString out = QString::fromUtf8(info.readAllStandardOutput());
    EXPECT_TRUE(out.contains(QRegularExpression("Pages:\\s+1\\n"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QRegularExpression("Page size:\\s+792 x 612"))) << out.toStdString();
}

} // namespace

namespace {

// What a screen reader gets instead of the drawing: the titles, then each
// row's label with its series' values, as the description and as text lines.
TEST_F(ChartTest, ScreenReadersGetTheChartAsText)
{
    QStringList notices;
    platform::noticeWatcher() = [&](QAccessibleEvent& event) {
        if (event.object() == &chart && event.type() == QAccessible::TextUpdated)
            notices << static_cast<QAccessibleTextUpdateEvent&>(event).textInserted();
    };
    chart.SetTitle("Blood Pressure and Pulse\r\nby Date");
    chart.SetCategoryAxisTitle("Date Of Reading");
    chart.SetValueAxisTitle("Systolic Pressure and Pulse");
    chart.SetSecondAxisTitle("Approx. Time of Reading");
    chart.SetColumnCount(2);
    chart.SetColumnLabel(1, "Systolic");
    chart.SetColumnLabel(2, "Pulse");
    const char* cells[4][3]
        = { { "3/5/2024", "120", "71" }, { "3/5/2024", "118.5", "0" }, { "", "0", "0" }, { "", "0", "66" } };
    chart.SetRowCount(4);
    for (int r = 1; r <= 4; ++r) {
        chart.SetRow(r);
        chart.SetRowLabel(cells[r - 1][0]);
        for (int c = 1; c <= 2; ++c) {
            chart.SetColumn(c);
            chart.SetData(cells[r - 1][c]);
        }
    }
    // A row's description is heard after its label, and is not drawn.
    chart.setRowDescription(1, "8:30 AM");
    const QStringList expected { "Blood Pressure and Pulse by Date", "Date Of Reading", "Systolic Pressure and Pulse",
        "3/5/2024 8:30 AM: Systolic 120, Pulse 71", "3/5/2024: Systolic 118.5, Pulse 0", "Systolic 0, Pulse 66" };

    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&chart);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::Chart);
    EXPECT_EQ(iface->text(QAccessible::Name), "Blood Pressure and Pulse by Date");
    // Spoken whole as the chart takes the focus: a line a sentence.
    EXPECT_EQ(iface->text(QAccessible::Description),
        "Blood Pressure and Pulse by Date. Date Of Reading. Systolic Pressure and Pulse. 3/5/2024 8:30 AM: Systolic "
        "120, Pulse 71. 3/5/2024: Systolic 118.5, Pulse 0. Systolic 0, Pulse 66");
    QAccessibleTextInterface* text = iface->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(0, text->characterCount()), platform::LinesAccessible::Joined(expected));
    int start = 0, end = 0;
    const int row1 = platform::LinesAccessible::OffsetOfLine(expected, 3);
    EXPECT_EQ(text->textAtOffset(row1, QAccessible::LineBoundary, &start, &end).trimmed(), expected[3]);

    // One notice for all the writes, once they are done.
    EXPECT_TRUE(notices.isEmpty());
    QCoreApplication::processEvents();
    EXPECT_EQ(notices, QStringList { platform::LinesAccessible::Joined(expected) });

    // A change leaves the reading position on the first row, where a screen
    // reader starts reading the chart; Down reads on from there.
    EXPECT_EQ(text->cursorPosition(), row1);
    QTest::keyClick(&chart, Qt::Key_Down);
    EXPECT_EQ(
        text->textAtOffset(text->cursorPosition(), QAccessible::LineBoundary, &start, &end).trimmed(), expected[4]);
    // A shown second axis adds its title.
    chart.SetSecondAxisVisible(true);
    EXPECT_EQ(chart.TextLines().mid(0, 4),
        (QStringList { expected[0], expected[1], expected[2], "Approx. Time of Reading" }));
    platform::noticeWatcher() = nullptr;
}

} // namespace
