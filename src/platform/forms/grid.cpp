#include "grid.h"

#include "form.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

namespace forms {

namespace {

const QColor fixedBack(240, 240, 240);

// The horizontal part of an alignment as stated; the rows here are taller
// than the line of text they hold, so a text at their top or bottom edge
// reads as belonging to the next row: every text stands centred in its row.
Qt::Alignment qtAlignment(int alignment)
{
    switch (alignment) {
    case Grid::AlignCenterTop:
    case Grid::AlignCenterCenter:
    case Grid::AlignCenterBottom:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case Grid::AlignRightTop:
    case Grid::AlignRightCenter:
    case Grid::AlignRightBottom:
        return Qt::AlignRight | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

} // namespace

Grid::Grid(QWidget* parent, int rows, int cols)
    : QTableWidget(parent)
{
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(false);
    setFocusPolicy(Qt::StrongFocus);
    setWordWrap(false);
    // A disabled grid (while a name is being added) still shows its names:
    // it takes no input but keeps its colours, not the desktop's grey on grey.
    QPalette p = palette();
    for (QPalette::ColorRole role : { QPalette::Base, QPalette::AlternateBase, QPalette::Text, QPalette::WindowText,
             QPalette::Highlight, QPalette::HighlightedText })
        p.setBrush(QPalette::Disabled, role, p.brush(QPalette::Inactive, role));
    setPalette(p);

    // Keyboard moves skip the fixed cells (they are not enabled items); this
    // catches any other way onto one.
    connect(this, &QTableWidget::currentCellChanged, this, [this](int row, int col, int, int) {
        if (moving_ || row < 0 || col < 0) return;
        if (row < FixedRows() || col < FixedCols()) moveTo(row, col);
    });

    SetCols(cols);
    SetRows(rows);
}

void Grid::SetRows(int rows)
{
    const int old = rowCount();
    setRowCount(std::max(rows, FixedRows() + 1));
    fillCells();
    for (int r = old; r < rowCount(); ++r)
        for (int c = 0; c < columnCount(); ++c)
            styleCell(r, c);
    moveTo(Row(), Col());
}

void Grid::SetCols(int cols)
{
    const int old = columnCount();
    setColumnCount(std::max(cols, FixedCols() + 1));
    alignments_.resize(columnCount(), AlignGeneral);
    fillCells();
    for (int r = 0; r < rowCount(); ++r)
        for (int c = old; c < columnCount(); ++c)
            styleCell(r, c);
    moveTo(Row(), Col());
}

void Grid::fillCells()
{
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < columnCount(); ++c)
            if (!item(r, c)) setItem(r, c, new QTableWidgetItem);
}

void Grid::styleCell(int row, int col)
{
    QTableWidgetItem* cell = item(row, col);
    if (!cell) return;
    if (row < FixedRows() || col < FixedCols()) {
        // Not enabled, so neither keys nor selection land on it; painted as a
        // heading rather than greyed out.
        cell->setFlags(Qt::NoItemFlags);
        cell->setBackground(fixedBack);
        cell->setForeground(QColor(Qt::black));
        if (row < FixedRows())
            cell->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        else
            cell->setTextAlignment(qtAlignment(alignments_[col]));
    } else {
        cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        cell->setTextAlignment(qtAlignment(alignments_[col]));
    }
}

int Grid::ColWidth(int col) const
{
    if (col < 0 || col >= columnCount()) return 0;
    return twips(columnWidth(col));
}

void Grid::SetColWidth(int col, int widthTwips)
{
    if (col < 0 || col >= columnCount()) return;
    // Nearest whole pixel, as the screen can show no finer.
    setColumnWidth(col, pixels(std::max(0, widthTwips)));
}

int Grid::ColAlignment(int col) const
{
    if (col < 0 || col >= columnCount()) return AlignGeneral;
    return alignments_[col];
}

void Grid::SetColAlignment(int col, int alignment)
{
    if (col < 0 || col >= columnCount() || alignment < AlignLeftTop || alignment > AlignGeneral) return;
    alignments_[col] = alignment;
    for (int r = FixedRows(); r < rowCount(); ++r)
        styleCell(r, col);
}

QString Grid::TextMatrix(int row, int col) const
{
    const QTableWidgetItem* cell = item(row, col);
    return cell ? cell->text() : QString();
}

void Grid::SetTextMatrix(int row, int col, const QString& text)
{
    if (QTableWidgetItem* cell = item(row, col)) cell->setText(text);
}

int Grid::clampRow(int row) const
{
    return std::clamp(row, FixedRows(), rowCount() - 1);
}
int Grid::clampCol(int col) const
{
    return std::clamp(col, FixedCols(), columnCount() - 1);
}

int Grid::Row() const
{
    return currentRow() < 0 || rowCount() <= FixedRows() ? FixedRows() : clampRow(currentRow());
}
int Grid::Col() const
{
    return currentColumn() < 0 || columnCount() <= FixedCols() ? FixedCols() : clampCol(currentColumn());
}
void Grid::SetRow(int row)
{
    moveTo(row, Col());
}
void Grid::SetCol(int col)
{
    moveTo(Row(), col);
}

void Grid::moveTo(int row, int col)
{
    if (rowCount() <= FixedRows() || columnCount() <= FixedCols()) return; // still being sized
    moving_ = true;
    setCurrentCell(clampRow(row), clampCol(col));
    moving_ = false;
}

void Grid::Clear()
{
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < columnCount(); ++c)
            SetTextMatrix(r, c, QString());
}

void Grid::keyPressEvent(QKeyEvent* event)
{
    if (dispatchKeyPress(this, *this, event)) return;
    QTableWidget::keyPressEvent(event);
}

void Grid::focusInEvent(QFocusEvent* event)
{
    QTableWidget::focusInEvent(event);
    if (GotFocus && event->reason() != Qt::PopupFocusReason) GotFocus();
}

void Grid::focusOutEvent(QFocusEvent* event)
{
    QTableWidget::focusOutEvent(event);
    dispatchFocusOut(this, *this, event->reason());
}

void Grid::mousePressEvent(QMouseEvent* event)
{
    // The press moves the focus first (the control left fires LostFocus),
    // then the current cell; a press on a fixed cell picks the nearest
    // scrollable one of its row or column.
    pressed_ = false;
    if (event->button() != Qt::LeftButton) return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid()) return;
    if (focusPolicy() & Qt::ClickFocus) setFocus(Qt::MouseFocusReason);
    // The lost-focus handler of the control left may have closed the window.
    if (!isEnabled()) return;
    moveTo(index.row(), index.column());
    pressed_ = true;
}

void Grid::mouseMoveEvent(QMouseEvent*)
{
    // No drag selection: the grid has one current cell.
}

void Grid::mouseReleaseEvent(QMouseEvent* event)
{
    if (!pressed_ || event->button() != Qt::LeftButton) return;
    pressed_ = false;
    if (isEnabled() && Click) Click();
}

void Grid::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid() && DblClick) DblClick();
}

} // namespace forms
