#include "platform/forms/grid.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <cmath>
#include <gtest/gtest.h>
#include <ostream>

using forms::Grid;

namespace {

// A line edit that reports LostFocus the way every control does.
struct EventEdit : QLineEdit, forms::ControlEvents {
    void focusOutEvent(QFocusEvent* event) override
    {
        QLineEdit::focusOutEvent(event);
        forms::dispatchFocusOut(this, *this, event->reason());
    }
};

// The pick-list editors' grid, filled as they fill it, in a shown window.
struct GridWindow {
    QWidget window;
    EventEdit* entry = new EventEdit;
    Grid* grid = new Grid(nullptr, 251, 2);
    std::vector<std::string> events;

    GridWindow()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(entry);
        layout->addWidget(grid);
        window.resize(400, 500);
        grid->SetColWidth(0, 550);
        grid->SetColWidth(1, 3200);
        grid->SetColAlignment(0, Grid::AlignLeftBottom);
        grid->SetColAlignment(1, Grid::AlignLeftBottom);
        grid->SetTextMatrix(0, 0, "#");
        grid->SetTextMatrix(0, 1, "Name of Insulin");
        for (int r = 1; r <= 250; ++r)
            grid->SetTextMatrix(r, 0, " " + QString::number(r));
        grid->SetTextMatrix(1, 1, "Humalog");
        grid->SetTextMatrix(2, 1, "Lantus");
        grid->SetTextMatrix(3, 1, "Novolog");
        grid->Click = [this] { events.push_back("Click " + grid->Text().toStdString()); };
        entry->LostFocus = [this] { events.push_back("LostFocus"); };
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        entry->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
    }

    void click(int row, int col)
    {
        const QRect cell = grid->visualRect(grid->model()->index(row, col));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }
};

TEST(Grid, HasItsSizeAndOneFixedRowAndColumn)
{
    Grid grid(nullptr, 251, 2);
    EXPECT_EQ(grid.Rows(), 251);
    EXPECT_EQ(grid.Cols(), 2);
    EXPECT_EQ(grid.FixedRows(), 1);
    EXPECT_EQ(grid.FixedCols(), 1);
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.Col(), 1);
    // There is always a cell that is not fixed.
    grid.SetRows(0);
    grid.SetCols(1);
    EXPECT_EQ(grid.Rows(), 2);
    EXPECT_EQ(grid.Cols(), 2);
}

TEST(Grid, ColumnWidthsAreInTwipsAndAlignmentsApplyBelowTheFixedRow)
{
    Grid grid(nullptr, 251, 2);
    grid.SetColWidth(0, 550);
    grid.SetColWidth(1, 3200);
    EXPECT_EQ(grid.columnWidth(0), 37); // 550 twips to the nearest pixel
    EXPECT_EQ(grid.columnWidth(1), 213);
    EXPECT_NEAR(grid.ColWidth(0), 550, 7);
    EXPECT_NEAR(grid.ColWidth(1), 3200, 7);

    grid.SetColAlignment(0, Grid::AlignLeftBottom);
    grid.SetColAlignment(1, Grid::AlignRightCenter);
    EXPECT_EQ(grid.ColAlignment(0), 2);
    EXPECT_EQ(grid.ColAlignment(1), 7);
    // The stated column alignment is kept; its text stands centred in the row.
    EXPECT_EQ(grid.item(5, 0)->textAlignment(), int(Qt::AlignLeft | Qt::AlignVCenter));
    EXPECT_EQ(grid.item(250, 1)->textAlignment(), int(Qt::AlignRight | Qt::AlignVCenter));
    EXPECT_EQ(grid.item(0, 1)->textAlignment(), int(Qt::AlignLeft | Qt::AlignVCenter));
    grid.SetColAlignment(1, 42); // not an alignment: ignored
    EXPECT_EQ(grid.ColAlignment(1), 7);
}

// Where a cell's text is drawn and how it stands out from its background.
struct DrawnText {
    int top = -1, bottom = -1; // rows of the cell that hold text pixels
    double contrast = 1; // of the text against the cell's background
};

double luminance(QRgb c)
{
    const auto lin = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lin(qRed(c)) + 0.7152 * lin(qGreen(c)) + 0.0722 * lin(qBlue(c));
}

DrawnText drawnText(Grid& grid, int row, int col)
{
    const QImage image = grid.viewport()->grab().toImage();
    const QRect cell = grid.visualRect(grid.model()->index(row, col)).adjusted(1, 1, -2, -2);
    const QRgb back = image.pixel(cell.right() - 1, cell.center().y()); // right of the short text
    DrawnText t;
    double most = 0;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            const double d = std::abs(luminance(p) - luminance(back));
            if (d > 0.05) {
                if (t.top < 0) t.top = y - cell.top();
                t.bottom = y - cell.top();
            }
            if (d > most) {
                most = d;
                const double a = luminance(p), b = luminance(back);
                t.contrast = (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
            }
        }
    return t;
}

TEST(Grid, TextsStandCentredInTheirRowsAndStayReadableWhileTheGridIsDisabled)
{
    GridWindow w;
    w.grid->SetRow(1);
    for (bool enabled : { true, false }) {
        w.grid->setEnabled(enabled);
        QApplication::processEvents();
        for (int row : { 1, 2 }) { // the current row and another
            for (int col : { 0, 1 }) {
                SCOPED_TRACE(testing::Message() << "enabled " << enabled << " row " << row << " col " << col);
                const int height = w.grid->rowHeight(row) - 3;
                const DrawnText t = drawnText(*w.grid, row, col);
                ASSERT_GE(t.top, 0) << "no text drawn";
                // As much room above the text as below it, to a pixel or two.
                EXPECT_LE(std::abs(t.top - (height - 1 - t.bottom)), 2)
                    << t.top << ".." << t.bottom << " of " << height;
                EXPECT_GE(t.contrast, 3.0);
            }
        }
    }
}

TEST(Grid, CellTextsAreReadAndWrittenByRowAndColumn)
{
    Grid grid(nullptr, 251, 2);
    grid.SetTextMatrix(0, 1, "Injection Site");
    grid.SetTextMatrix(250, 1, "last");
    grid.SetTextMatrix(251, 1, "outside");
    grid.SetTextMatrix(1, 2, "outside");
    EXPECT_EQ(grid.TextMatrix(0, 1), "Injection Site");
    EXPECT_EQ(grid.TextMatrix(250, 1), "last");
    EXPECT_EQ(grid.TextMatrix(251, 1), "");
    EXPECT_EQ(grid.TextMatrix(-1, 0), "");
    EXPECT_EQ(grid.TextMatrix(1, 1), "");
}

TEST(Grid, ClearEmptiesEveryCellAndKeepsTheShape)
{
    Grid grid(nullptr, 251, 2);
    grid.SetColWidth(1, 3200);
    grid.SetColAlignment(1, Grid::AlignLeftBottom);
    grid.SetTextMatrix(0, 0, "#");
    grid.SetTextMatrix(17, 1, "x");
    grid.Clear();
    EXPECT_EQ(grid.TextMatrix(0, 0), "");
    EXPECT_EQ(grid.TextMatrix(17, 1), "");
    EXPECT_EQ(grid.Rows(), 251);
    EXPECT_EQ(grid.Cols(), 2);
    EXPECT_EQ(grid.columnWidth(1), 213);
    EXPECT_EQ(grid.ColAlignment(1), 2);
}

struct CellCase {
    int row, col; // asked for
    int wantRow, wantCol; // current cell after
};

void PrintTo(const CellCase& c, std::ostream* os)
{
    *os << c.row << "," << c.col;
}

class GridCurrentCell : public ::testing::TestWithParam<CellCase> { };

TEST_P(GridCurrentCell, IsNeverAFixedCell)
{
    Grid grid(nullptr, 251, 2);
    grid.SetRow(GetParam().row);
    grid.SetCol(GetParam().col);
    EXPECT_EQ(grid.Row(), GetParam().wantRow);
    EXPECT_EQ(grid.Col(), GetParam().wantCol);
    EXPECT_EQ(grid.currentRow(), GetParam().wantRow);
    EXPECT_EQ(grid.currentColumn(), GetParam().wantCol);
}

INSTANTIATE_TEST_SUITE_P(Cells, GridCurrentCell,
    ::testing::Values(CellCase { 5, 1, 5, 1 }, CellCase { 0, 1, 1, 1 }, CellCase { 5, 0, 5, 1 },
        CellCase { 0, 0, 1, 1 }, CellCase { 250, 1, 250, 1 }, CellCase { 400, 3, 250, 1 }, CellCase { -3, -3, 1, 1 }));

TEST(Grid, TextIsTheCurrentCellsText)
{
    Grid grid(nullptr, 251, 2);
    grid.SetTextMatrix(4, 1, "Thigh");
    grid.SetRow(4);
    EXPECT_EQ(grid.Text(), "Thigh");
    grid.SetText("Arm");
    EXPECT_EQ(grid.TextMatrix(4, 1), "Arm");
}

TEST(Grid, ClickMakesTheCellCurrentAfterTheLeftControlsLostFocus)
{
    GridWindow w;
    w.click(2, 1);
    EXPECT_EQ(w.events, (std::vector<std::string> { "LostFocus", "Click Lantus" }));
    EXPECT_EQ(w.grid->Row(), 2);
    EXPECT_EQ(w.grid->Col(), 1);

    // A row without an entry reads as empty.
    w.click(7, 1);
    EXPECT_EQ(w.events.back(), "Click ");
    EXPECT_EQ(w.grid->Row(), 7);
}

struct ClickCase {
    int row, col;
    int wantRow;
    const char* event;
};

void PrintTo(const ClickCase& c, std::ostream* os)
{
    *os << c.row << "," << c.col;
}

class GridFixedClick : public ::testing::TestWithParam<ClickCase> { };

TEST_P(GridFixedClick, LandsOnTheNearestScrollableCell)
{
    GridWindow w;
    w.grid->SetRow(2);
    w.click(GetParam().row, GetParam().col);
    EXPECT_EQ(w.grid->Row(), GetParam().wantRow);
    EXPECT_EQ(w.grid->Col(), 1);
    EXPECT_EQ(w.events.back(), GetParam().event);
}

INSTANTIATE_TEST_SUITE_P(Fixed, GridFixedClick,
    ::testing::Values(ClickCase { 3, 0, 3, "Click Novolog" }, ClickCase { 0, 1, 1, "Click Humalog" },
        ClickCase { 0, 0, 1, "Click Humalog" }));

TEST(Grid, NoClickWhenTheLeftControlsLostFocusClosedTheWindow)
{
    GridWindow w;
    w.entry->LostFocus = [&] {
        w.events.push_back("LostFocus");
        w.window.setEnabled(false);
    };
    w.click(3, 1);
    EXPECT_EQ(w.events, (std::vector<std::string> { "LostFocus" }));
    EXPECT_EQ(w.grid->Row(), 1);
}

TEST(Grid, KeysNeverMoveOntoAFixedCell)
{
    GridWindow w;
    w.grid->setFocus(Qt::TabFocusReason);
    w.grid->SetRow(1);
    w.grid->SetCol(1);
    QTest::keyClick(w.grid, Qt::Key_Up);
    QTest::keyClick(w.grid, Qt::Key_Left);
    QTest::keyClick(w.grid, Qt::Key_Home);
    EXPECT_EQ(w.grid->Row(), 1);
    EXPECT_EQ(w.grid->Col(), 1);
    QTest::keyClick(w.grid, Qt::Key_Down);
    EXPECT_EQ(w.grid->Row(), 2);
    QTest::keyClick(w.grid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(w.grid->Row(), 250);
}

TEST(Grid, DisabledGridTakesNoClick)
{
    GridWindow w;
    w.grid->setEnabled(false);
    w.click(2, 1);
    EXPECT_TRUE(w.events.empty());
    EXPECT_EQ(w.grid->Row(), 1);
}

TEST(Grid, CellsCannotBeEditedByTheUser)
{
    GridWindow w;
    w.grid->setFocus(Qt::TabFocusReason);
    w.grid->SetRow(1);
    QTest::keyClicks(w.grid, "zz");
    QTest::keyClick(w.grid, Qt::Key_F2);
    QTest::mouseDClick(
        w.grid->viewport(), Qt::LeftButton, {}, w.grid->visualRect(w.grid->model()->index(1, 1)).center());
    EXPECT_EQ(w.grid->TextMatrix(1, 1), "Humalog");
    EXPECT_EQ(w.grid->indexWidget(w.grid->model()->index(1, 1)), nullptr);
    EXPECT_EQ(w.grid->findChild<QLineEdit*>(), nullptr); // no cell editor opened
}

} // namespace
