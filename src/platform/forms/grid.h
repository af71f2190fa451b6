#pragma once
// A grid of text cells with one fixed (heading) row and one fixed column, as
// the pick-list editors use it. Cells are read-only to the user: a click makes
// a cell current and fires Click; the program writes the texts.
#include "events.h"

#include <QString>
#include <QTableWidget>
#include <vector>

namespace forms {

class Grid : public QTableWidget, public ControlEvents {
    Q_OBJECT
public:
    // Column alignment values as the program states them.
    enum Alignment : int {
        AlignLeftTop = 0,
        AlignLeftCenter = 1,
        AlignLeftBottom = 2,
        AlignCenterTop = 3,
        AlignCenterCenter = 4,
        AlignCenterBottom = 5,
        AlignRightTop = 6,
        AlignRightCenter = 7,
        AlignRightBottom = 8,
        AlignGeneral = 9,
    };

    explicit Grid(QWidget* parent = nullptr, int rows = 2, int cols = 2);

    int FixedRows() const { return 1; }
    int FixedCols() const { return 1; }

    // At least one row and one column beyond the fixed ones; texts of the
    // cells that remain are kept.
    int Rows() const { return rowCount(); }
    void SetRows(int rows);
    int Cols() const { return columnCount(); }
    void SetCols(int cols);

    // Width of a column in twips (15 to a pixel).
    int ColWidth(int col) const;
    void SetColWidth(int col, int widthTwips);
    // Alignment of a column's cells below the fixed row; the fixed cells keep
    // theirs (left, centred).
    int ColAlignment(int col) const;
    void SetColAlignment(int col, int alignment);

    // Text of any cell, fixed ones included; a cell outside the grid reads
    // empty and is not written.
    QString TextMatrix(int row, int col) const;
    void SetTextMatrix(int row, int col, const QString& text);

    // The current cell, never a fixed one: a value outside the scrollable
    // cells is brought to the nearest one.
    int Row() const;
    void SetRow(int row);
    int Col() const;
    void SetCol(int col);

    // Text of the current cell.
    QString Text() const { return TextMatrix(Row(), Col()); }
    void SetText(const QString& text) { SetTextMatrix(Row(), Col(), text); }

    // Empties every cell; rows, columns, widths and alignments stay.
    void Clear();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void fillCells();
    void styleCell(int row, int col);
    void moveTo(int row, int col);
    int clampRow(int row) const;
    int clampCol(int col) const;

    std::vector<int> alignments_;
    bool pressed_ = false;
    bool moving_ = false;
};

} // namespace forms
