#pragma once
// The chart control: a retained grid of rows (the categories, left to right)
// and columns (the series) with a label per row and a number per cell, drawn
// as a 2D bar or 2D line chart with a title, a value axis, an optional second
// axis and a legend. What is written stays until written over: filling some
// rows leaves the others as they were. Every row label is drawn, repeated and
// empty ones included, so two readings of one date take two labelled rows.
//
// Rows and columns are numbered from 1. Shape and series settings are made
// once by the window that owns the chart; cells and labels by its handlers.
#include <QColor>
#include <QImage>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <vector>

class QPainter;

namespace chart {

enum class ChartType { Bar2D = 1, Line2D = 3 };

// The axis a series is drawn against.
enum class Axis { Value = 1, Second = 2 };

struct AxisScale {
    bool automatic = true;
    double minimum = 0;
    double maximum = 0;
    int majorDivisions = 0; // a labelled tick at each division
    int minorDivisions = 0; // unlabelled ticks within a major division
    static AxisScale Automatic() { return {}; }
    static AxisScale Fixed(double minimum, double maximum, int majorDivisions, int minorDivisions = 1)
    {
        return { false, minimum, maximum, majorDivisions, minorDivisions };
    }
};

struct ChartFonts {
    QString family = QStringLiteral("MS Sans Serif");
    double title = 10;
    double axisTitle = 8;
    double legend = 8.25;
    double tickLabels = 8;
};

// Where things fall when the chart is drawn into a rectangle; for tests and
// for drawing, from one computation.
struct ChartLayout {
    struct Category {
        int row;
        QString label;
        QRectF slot; // the row's share of the plot's width
        QRectF labelRect; // the label's box as drawn
        bool labelRotated = false; // drawn upwards when labels do not fit across
    };
    struct Bar {
        int row;
        int column;
        QRectF rect;
    };
    struct Tick {
        double value;
        double y;
        QString text;
    };
    struct LegendEntry {
        int column;
        QString text;
        QRectF swatch;
    };
    QRectF plot;
    std::vector<Category> categories;
    std::vector<Bar> bars; // bar charts
    std::vector<QPolygonF> lines; // line charts: one per column, in column order
    AxisScale valueRange; // as resolved, never automatic
    AxisScale secondRange;
    std::vector<Tick> valueTicks;
    std::vector<Tick> secondTicks; // empty when the second axis is hidden
    std::vector<LegendEntry> legend; // empty when the legend is hidden
};

class ChartControl : public QWidget {
    Q_OBJECT
public:
    static constexpr int MaxRows = 31;
    static constexpr int MaxColumns = 5;
    static constexpr int TwipsPerPixel = 15;

    explicit ChartControl(QWidget* parent = nullptr);

    // Grid shape. Growing adds blank rows (empty label, 0) and columns; shrinking
    // drops the rows and columns past the new count. Out of range throws
    // std::out_of_range, as does any row or column outside the grid below.
    int RowCount() const { return rowCount_; }
    void SetRowCount(int rows);
    int ColumnCount() const { return columnCount_; }
    void SetColumnCount(int columns);

    // The current cell, through which the windows write the grid.
    int Row() const { return row_; }
    void SetRow(int row);
    int Column() const { return column_; }
    void SetColumn(int column);
    QString RowLabel() const { return rowLabel(row_); }
    void SetRowLabel(const QString& label) { setRowLabel(row_, label); }
    // Cell text: read as a number ("." decimal point, else the system's);
    // a text that is no number is 0.
    QString Data() const;
    void SetData(const QString& text);

    QString rowLabel(int row) const;
    void setRowLabel(int row, const QString& label);
    // What a screen reader hears of a row after its label, not drawn (the
    // time of the reading charted there); kept and cleared as labels are.
    void SetRowDescription(const QString& text) { setRowDescription(row_, text); }
    QString rowDescription(int row) const;
    void setRowDescription(int row, const QString& text);
    double value(int row, int column) const;
    void setValue(int row, int column, double value);

    // Series, one per column.
    QString ColumnLabel(int column) const;
    void SetColumnLabel(int column, const QString& label);
    QColor SeriesColor(int column) const;
    void SetSeriesColor(int column, const QColor& color);
    Axis SeriesAxis(int column) const;
    void SetSeriesAxis(int column, Axis axis);

    ChartType chartType() const { return type_; }
    void SetChartType(ChartType type);

    // Titles may hold line breaks ("\r\n" or "\n").
    QString Title() const { return title_; }
    void SetTitle(const QString& title);
    QString CategoryAxisTitle() const { return categoryTitle_; }
    void SetCategoryAxisTitle(const QString& title);
    QString ValueAxisTitle() const { return valueTitle_; }
    void SetValueAxisTitle(const QString& title);
    QString SecondAxisTitle() const { return secondTitle_; }
    void SetSecondAxisTitle(const QString& title);

    AxisScale ValueAxisScale() const { return valueScale_; }
    void SetValueAxisScale(const AxisScale& scale);
    // Hidden by default; series on a hidden second axis are drawn against the value axis.
    bool SecondAxisVisible() const { return secondVisible_; }
    void SetSecondAxisVisible(bool visible);
    AxisScale SecondAxisScale() const { return secondScale_; }
    void SetSecondAxisScale(const AxisScale& scale);

    // At the right when shown; names the series by their column labels.
    bool LegendVisible() const { return legendVisible_; }
    void SetLegendVisible(bool visible);

    ChartFonts Fonts() const { return fonts_; }
    void SetFonts(const ChartFonts& fonts);

    // Size in twips: 15 to the pixel.
    QSize TwipSize() const;
    // The chart as drawn, at the control's size, for printing: its logical
    // size in pixels times 15 is its twip size.
    QImage Picture(qreal pixelRatio = 2.0) const;
    ChartLayout Layout(const QRectF& area) const;
    void Draw(QPainter& painter, const QRectF& area) const;

    // The chart as text for a screen reader: the title, the axis titles
    // shown, then a line per row: its label, its description and each
    // series' value (a row with neither label nor bar is left out).
    QStringList TextLines() const;
    // The text line a screen reader's reading position is on; Up and Down
    // move it, a change of the chart puts it on the first row (the title
    // when there is none). A change that a step makes while the focus is on
    // another control of the window (its button) speaks the first row there.
    int CaretLine() const { return caretLine_; }
    void SetCaretLine(int line);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Series {
        QString label;
        QColor color;
        Axis axis = Axis::Value;
    };
    void checkRow(int row) const;
    void checkColumn(int column) const;
    bool usesSecond(int column) const;
    QFont font(double points, bool bold = false) const;
    // The lines of TextLines that come before the rows.
    QStringList titleLines() const;
    // Repaints, and tells a screen reader once the handler is done.
    void changed();

    int rowCount_ = MaxRows;
    int columnCount_ = 1;
    int row_ = 1;
    int column_ = 1;
    std::vector<QString> labels_; // MaxRows
    std::vector<QString> descriptions_; // MaxRows
    std::vector<std::vector<double>> cells_; // MaxRows x MaxColumns
    std::vector<Series> series_; // MaxColumns
    ChartType type_ = ChartType::Bar2D;
    QString title_, categoryTitle_, valueTitle_, secondTitle_;
    AxisScale valueScale_, secondScale_;
    bool secondVisible_ = false;
    bool legendVisible_ = false;
    ChartFonts fonts_;
    int caretLine_ = 0;
    bool announcing_ = false;
    QString announced_;
};

// Reads a cell text as the chart does.
double cellNumber(const QString& text);

} // namespace chart
