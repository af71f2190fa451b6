#include "platform/chart/chart_control.h"

#include "platform/accessible_text.h"
#include "platform/forms/accessible.h"

#include <QAccessible>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLocale>
#include <QPainter>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

namespace chart {

namespace {

const QColor defaultColors[ChartControl::MaxColumns]
    = { QColor(0, 0, 255), QColor(255, 0, 0), QColor(0, 160, 0), QColor(255, 160, 0), QColor(128, 0, 128) };

QStringList linesOf(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // A title that ends in a line break takes a second, empty line.
    return t.isEmpty() ? QStringList() : t.split(QLatin1Char('\n'));
}

double niceStep(double raw)
{
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double norm = raw / magnitude;
    const double nice = norm <= 1 ? 1 : norm <= 2 ? 2 : norm <= 2.5 ? 2.5 : norm <= 5 ? 5 : 10;
    return nice * magnitude;
}

AxisScale resolve(const AxisScale& scale, const std::vector<double>& values)
{
    if (!scale.automatic) {
        AxisScale fixed = scale;
        if (fixed.maximum <= fixed.minimum) fixed.maximum = fixed.minimum + 1;
        fixed.majorDivisions = std::max(1, fixed.majorDivisions);
        return fixed;
    }
    double lo = 0, hi = 0;
    for (double v : values) {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    if (hi - lo <= 0) hi = lo + 1;
    const double step = niceStep((hi - lo) / 5);
    lo = std::floor(lo / step + 1e-9) * step;
    hi = std::ceil(hi / step - 1e-9) * step;
    if (hi <= lo) hi = lo + step;
    return { false, lo, hi, static_cast<int>(std::lround((hi - lo) / step)), 1 };
}

QString tickText(double v, double step)
{
    // Round away the noise of repeated addition before printing.
    const double snapped = std::round(v / step * 1e6) / 1e6 * step;
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(std::abs(snapped) < step * 1e-9 ? 0.0 : snapped, 'g', 12);
}

// Draws `text` upwards, filling the box `b` whose height is the text's length.
void drawUp(QPainter& painter, const QRectF& b, const QString& text, Qt::Alignment align)
{
    painter.save();
    painter.translate(b.left(), b.bottom());
    painter.rotate(-90);
    painter.drawText(QRectF(0, 0, b.height(), b.width()), align | Qt::TextDontClip, text);
    painter.restore();
}

// A number as the chart's axes print one.
QString valueText(double v)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(v, 'g', 12);
}

QAccessibleInterface* accessibleChart(const QString& key, QObject* object)
{
    auto* control = qobject_cast<ChartControl*>(object);
    if (!control || key != QLatin1String(object->metaObject()->className())) return nullptr;
    return new platform::LinesAccessible(
        control, QAccessible::Chart, platform::LinesAccessible::Described::Yes,
        [control] { return control->TextLines(); }, [control] { return control->CaretLine(); },
        [control](int line) { control->SetCaretLine(line); });
}

} // namespace

double cellNumber(const QString& text)
{
    const QString t = text.trimmed();
    bool ok = false;
    double v = QLocale::c().toDouble(t, &ok);
    if (!ok) v = QLocale().toDouble(t, &ok);
    return ok && std::isfinite(v) ? v : 0.0;
}

ChartControl::ChartControl(QWidget* parent)
    : QWidget(parent)
    , labels_(MaxRows)
    , descriptions_(MaxRows)
    , cells_(MaxRows, std::vector<double>(MaxColumns, 0.0))
    , series_(MaxColumns)
{
    for (int c = 0; c < MaxColumns; ++c)
        series_[c].color = defaultColors[c];
    setAttribute(Qt::WA_OpaquePaintEvent);
    // A control of its window's Tab order, which can hold the focus.
    setFocusPolicy(Qt::StrongFocus);
    static const bool installed = [] {
        QAccessible::installFactory(accessibleChart);
        return true;
    }();
    (void)installed;
}

QStringList ChartControl::titleLines() const
{
    QStringList lines;
    for (const QString& title : { title_, categoryTitle_, valueTitle_, secondVisible_ ? secondTitle_ : QString() }) {
        const QString line = linesOf(title).join(QLatin1Char(' ')).simplified();
        if (!line.isEmpty()) lines << line;
    }
    return lines;
}

QStringList ChartControl::TextLines() const
{
    QStringList lines = titleLines();
    for (int row = 1; row <= rowCount_; ++row) {
        QStringList values;
        for (int column = 1; column <= columnCount_; ++column) {
            const QString series = series_[column - 1].label.simplified();
            const QString value = valueText(cells_[row - 1][column - 1]);
            values << (series.isEmpty() ? value : series + QLatin1Char(' ') + value);
        }
        const QString label
            = (labels_[row - 1].simplified() + QLatin1Char(' ') + descriptions_[row - 1].simplified()).trimmed();
        // A row with no label and nothing to draw shows as an empty slot.
        const auto& cells = cells_[row - 1];
        if (label.isEmpty()
            && std::all_of(cells.begin(), cells.begin() + columnCount_, [](double v) { return v == 0; }))
            continue;
        lines << (label.isEmpty() ? QString() : label + QStringLiteral(": ")) + values.join(QStringLiteral(", "));
    }
    return lines;
}

void ChartControl::SetCaretLine(int line)
{
    caretLine_ = std::clamp(line, 0, std::max(0, int(TextLines().size()) - 1));
}

void ChartControl::changed()
{
    update();
    // One notice for all the writes of a handler.
    if (announcing_) return;
    announcing_ = true;
    QTimer::singleShot(0, this, [this] {
        announcing_ = false;
        const QStringList lines = TextLines();
        const int firstRow = int(titleLines().size());
        const QString text = platform::LinesAccessible::Joined(lines);
        if (text != announced_) {
            // Read from the first reading charted: the titles are the chart's name.
            caretLine_ = firstRow < lines.size() ? firstRow : 0;
            const QString before = std::exchange(announced_, text);
            QAccessibleEvent described(this, QAccessible::DescriptionChanged);
            platform::Notify(described);
            QAccessibleTextUpdateEvent updated(this, 0, before, text);
            platform::Notify(updated);
        }
        // A step that draws the same group again has a result all the same.
        if (firstRow < lines.size()) forms::AnnounceRedrawn(*this, lines[firstRow]);
    });
}

void ChartControl::keyPressEvent(QKeyEvent* event)
{
    // The reading position walks the text lines.
    if (event->modifiers() == Qt::NoModifier && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        const QStringList lines = TextLines();
        const int line
            = std::clamp(caretLine_ + (event->key() == Qt::Key_Up ? -1 : 1), 0, std::max(0, int(lines.size()) - 1));
        if (line != caretLine_) {
            caretLine_ = line;
            QAccessibleTextCursorEvent moved(this, platform::LinesAccessible::OffsetOfLine(lines, line));
            platform::Notify(moved);
        }
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ChartControl::checkRow(int row) const
{
    if (row < 1 || row > rowCount_) throw std::out_of_range("chart row out of range");
}

void ChartControl::checkColumn(int column) const
{
    if (column < 1 || column > columnCount_) throw std::out_of_range("chart column out of range");
}

void ChartControl::SetRowCount(int rows)
{
    if (rows < 1 || rows > MaxRows) throw std::out_of_range("chart row count out of range");
    for (int r = rows; r < MaxRows; ++r) {
        labels_[r].clear();
        descriptions_[r].clear();
        std::fill(cells_[r].begin(), cells_[r].end(), 0.0);
    }
    rowCount_ = rows;
    row_ = std::min(row_, rows);
    changed();
}

void ChartControl::SetColumnCount(int columns)
{
    if (columns < 1 || columns > MaxColumns) throw std::out_of_range("chart column count out of range");
    for (auto& row : cells_)
        std::fill(row.begin() + columns, row.end(), 0.0);
    columnCount_ = columns;
    column_ = std::min(column_, columns);
    changed();
}

void ChartControl::SetRow(int row)
{
    checkRow(row);
    row_ = row;
}

void ChartControl::SetColumn(int column)
{
    checkColumn(column);
    column_ = column;
}

QString ChartControl::Data() const
{
    return QString::number(value(row_, column_), 'g', 15);
}

void ChartControl::SetData(const QString& text)
{
    setValue(row_, column_, cellNumber(text));
}

QString ChartControl::rowDescription(int row) const
{
    checkRow(row);
    return descriptions_[row - 1];
}

void ChartControl::setRowDescription(int row, const QString& text)
{
    checkRow(row);
    descriptions_[row - 1] = text;
    changed();
}

QString ChartControl::rowLabel(int row) const
{
    checkRow(row);
    return labels_[row - 1];
}

void ChartControl::setRowLabel(int row, const QString& label)
{
    checkRow(row);
    labels_[row - 1] = label;
    changed();
}

double ChartControl::value(int row, int column) const
{
    checkRow(row);
    checkColumn(column);
    return cells_[row - 1][column - 1];
}

void ChartControl::setValue(int row, int column, double value)
{
    checkRow(row);
    checkColumn(column);
    cells_[row - 1][column - 1] = std::isfinite(value) ? value : 0.0;
    changed();
}

QString ChartControl::ColumnLabel(int column) const
{
    checkColumn(column);
    return series_[column - 1].label;
}

void ChartControl::SetColumnLabel(int column, const QString& label)
{
    checkColumn(column);
    series_[column - 1].label = label;
    changed();
}

QColor ChartControl::SeriesColor(int column) const
{
    checkColumn(column);
    return series_[column - 1].color;
}

void ChartControl::SetSeriesColor(int column, const QColor& color)
{
    checkColumn(column);
    series_[column - 1].color = color;
    changed();
}

Axis ChartControl::SeriesAxis(int column) const
{
    checkColumn(column);
    return series_[column - 1].axis;
}

void ChartControl::SetSeriesAxis(int column, Axis axis)
{
    checkColumn(column);
    series_[column - 1].axis = axis;
    changed();
}

void ChartControl::SetChartType(ChartType type)
{
    type_ = type;
    changed();
}

void ChartControl::SetTitle(const QString& title)
{
    title_ = title;
    // The chart has no caption of its own: its title names it.
    setAccessibleName(linesOf(title).join(QLatin1Char(' ')));
    changed();
}

void ChartControl::SetCategoryAxisTitle(const QString& title)
{
    categoryTitle_ = title;
    changed();
}

void ChartControl::SetValueAxisTitle(const QString& title)
{
    valueTitle_ = title;
    changed();
}

void ChartControl::SetSecondAxisTitle(const QString& title)
{
    secondTitle_ = title;
    changed();
}

void ChartControl::SetValueAxisScale(const AxisScale& scale)
{
    valueScale_ = scale;
    changed();
}

void ChartControl::SetSecondAxisVisible(bool visible)
{
    secondVisible_ = visible;
    changed();
}

void ChartControl::SetSecondAxisScale(const AxisScale& scale)
{
    secondScale_ = scale;
    changed();
}

void ChartControl::SetLegendVisible(bool visible)
{
    legendVisible_ = visible;
    changed();
}

void ChartControl::SetFonts(const ChartFonts& fonts)
{
    fonts_ = fonts;
    changed();
}

bool ChartControl::usesSecond(int column) const
{
    return secondVisible_ && series_[column - 1].axis == Axis::Second;
}

QFont ChartControl::font(double points, bool bold) const
{
    QFont f(fonts_.family);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

QSize ChartControl::TwipSize() const
{
    return QSize(width() * TwipsPerPixel, height() * TwipsPerPixel);
}

ChartLayout ChartControl::Layout(const QRectF& area) const
{
    ChartLayout out;
    const double pad = 6;
    QRectF r = area.adjusted(pad, pad, -pad, -pad);

    const QFontMetricsF titleFm(font(fonts_.title));
    const QFontMetricsF axisFm(font(fonts_.axisTitle));
    const QFontMetricsF tickFm(font(fonts_.tickLabels));
    const QFontMetricsF legendFm(font(fonts_.legend));

    const QStringList titleLines = linesOf(title_);
    if (!titleLines.isEmpty()) r.setTop(r.top() + titleLines.size() * titleFm.lineSpacing() + 4);

    if (legendVisible_) {
        double textWidth = 0;
        for (int c = 1; c <= columnCount_; ++c)
            textWidth = std::max(textWidth, legendFm.horizontalAdvance(series_[c - 1].label));
        const double swatch = 10, gap = 5;
        const double width = swatch + gap + textWidth;
        const double step = std::max(legendFm.lineSpacing(), swatch) + 4;
        double y = r.center().y() - step * columnCount_ / 2;
        const double x = r.right() - width;
        for (int c = 1; c <= columnCount_; ++c, y += step)
            out.legend.push_back({ c, series_[c - 1].label, QRectF(x, y + (step - swatch) / 2, swatch, swatch) });
        r.setRight(x - 10);
    }

    std::vector<double> primary, second;
    for (int c = 1; c <= columnCount_; ++c)
        for (int row = 0; row < rowCount_; ++row)
            (usesSecond(c) ? second : primary).push_back(cells_[row][c - 1]);
    out.valueRange = resolve(valueScale_, primary);
    out.secondRange = resolve(secondScale_, second);

    const auto tickTexts = [&](const AxisScale& range) {
        std::vector<ChartLayout::Tick> ticks;
        const double step = (range.maximum - range.minimum) / range.majorDivisions;
        for (int i = 0; i <= range.majorDivisions; ++i) {
            const double v = range.minimum + i * step;
            ticks.push_back({ v, 0, tickText(v, step) });
        }
        return ticks;
    };
    out.valueTicks = tickTexts(out.valueRange);
    if (secondVisible_) out.secondTicks = tickTexts(out.secondRange);
    const auto widest = [&](const std::vector<ChartLayout::Tick>& ticks) {
        double w = 0;
        for (const auto& t : ticks)
            w = std::max(w, tickFm.horizontalAdvance(t.text));
        return w;
    };

    const double valueTitleW = linesOf(valueTitle_).size() * axisFm.lineSpacing();
    const double secondTitleW = secondVisible_ ? linesOf(secondTitle_).size() * axisFm.lineSpacing() : 0;
    const double left = valueTitleW + (valueTitleW > 0 ? 6 : 0) + widest(out.valueTicks) + 6;
    const double right = secondVisible_ ? widest(out.secondTicks) + 6 + secondTitleW + (secondTitleW > 0 ? 6 : 0) : 8;
    const double categoryTitleH = linesOf(categoryTitle_).size() * axisFm.lineSpacing();

    const double plotWidth = std::max(1.0, r.width() - left - right);
    const double slotW = plotWidth / rowCount_;
    double labelW = 0;
    for (int row = 0; row < rowCount_; ++row)
        labelW = std::max(labelW, tickFm.horizontalAdvance(labels_[row]));
    // Labels that do not fit across their slot stand upright, so none is skipped.
    const bool rotated = labelW > slotW - 2;
    const double labelH = (rotated ? labelW : tickFm.lineSpacing()) + 6;
    const double top = r.top() + tickFm.height() / 2;
    out.plot = QRectF(r.left() + left, top, plotWidth,
        std::max(1.0, r.bottom() - top - labelH - categoryTitleH - (categoryTitleH > 0 ? 2 : 0)));
    const QRectF& plot = out.plot;

    const auto yOf = [&](const AxisScale& range, double v) {
        v = std::clamp(v, range.minimum, range.maximum);
        return plot.bottom() - (v - range.minimum) / (range.maximum - range.minimum) * plot.height();
    };
    for (auto& t : out.valueTicks)
        t.y = yOf(out.valueRange, t.value);
    for (auto& t : out.secondTicks)
        t.y = yOf(out.secondRange, t.value);

    for (int row = 1; row <= rowCount_; ++row) {
        const QRectF slot(plot.left() + (row - 1) * slotW, plot.top(), slotW, plot.height());
        const QString& label = labels_[row - 1];
        const double w = tickFm.horizontalAdvance(label);
        const double ls = tickFm.lineSpacing();
        const QRectF box = rotated ? QRectF(slot.center().x() - ls / 2, plot.bottom() + 4, ls, w)
                                   : QRectF(slot.center().x() - w / 2, plot.bottom() + 3, w, ls);
        out.categories.push_back({ row, label, slot, box, rotated });
    }

    if (type_ == ChartType::Bar2D) {
        const double group = slotW * 0.8;
        const double barW = group / columnCount_;
        for (const auto& category : out.categories)
            for (int c = 1; c <= columnCount_; ++c) {
                const AxisScale& range = usesSecond(c) ? out.secondRange : out.valueRange;
                const double base = yOf(range, 0);
                const double tip = yOf(range, cells_[category.row - 1][c - 1]);
                const double x = category.slot.left() + slotW * 0.1 + (c - 1) * barW;
                out.bars.push_back({ category.row, c, QRectF(x, std::min(base, tip), barW, std::abs(base - tip)) });
            }
    } else {
        for (int c = 1; c <= columnCount_; ++c) {
            const AxisScale& range = usesSecond(c) ? out.secondRange : out.valueRange;
            QPolygonF line;
            for (const auto& category : out.categories)
                line << QPointF(category.slot.center().x(), yOf(range, cells_[category.row - 1][c - 1]));
            out.lines.push_back(line);
        }
    }
    return out;
}

void ChartControl::Draw(QPainter& painter, const QRectF& area) const
{
    const ChartLayout layout = Layout(area);
    const QRectF& plot = layout.plot;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(area, Qt::white);
    painter.setPen(Qt::black);

    const QStringList titleLines = linesOf(title_);
    if (!titleLines.isEmpty()) {
        painter.setFont(font(fonts_.title));
        const double h = titleLines.size() * QFontMetricsF(painter.font()).lineSpacing();
        painter.drawText(QRectF(area.left(), area.top() + 6, area.width(), h), Qt::AlignCenter, titleLines.join('\n'));
    }

    // Grid lines at the value axis's divisions, then the frame.
    painter.setFont(font(fonts_.tickLabels));
    const QFontMetricsF tickFm(painter.font());
    for (const auto& tick : layout.valueTicks) {
        painter.setPen(QColor(192, 192, 192));
        painter.drawLine(QPointF(plot.left(), tick.y), QPointF(plot.right(), tick.y));
        painter.setPen(Qt::black);
        const double w = tickFm.horizontalAdvance(tick.text);
        painter.drawText(QRectF(plot.left() - 6 - w, tick.y - tickFm.height() / 2, w, tickFm.height()),
            Qt::AlignRight | Qt::AlignVCenter, tick.text);
    }
    for (const auto& tick : layout.secondTicks) {
        painter.drawLine(QPointF(plot.right(), tick.y), QPointF(plot.right() + 3, tick.y));
        const double w = tickFm.horizontalAdvance(tick.text);
        painter.drawText(QRectF(plot.right() + 6, tick.y - tickFm.height() / 2, w, tickFm.height()),
            Qt::AlignLeft | Qt::AlignVCenter, tick.text);
    }
    if (!layout.secondTicks.empty() && layout.secondRange.minorDivisions > 1) {
        const double step = (layout.secondTicks.size() > 1) ? layout.secondTicks[0].y - layout.secondTicks[1].y : 0;
        for (size_t i = 0; i + 1 < layout.secondTicks.size(); ++i)
            for (int m = 1; m < layout.secondRange.minorDivisions; ++m) {
                const double y = layout.secondTicks[i].y - step * m / layout.secondRange.minorDivisions;
                painter.drawLine(QPointF(plot.right(), y), QPointF(plot.right() + 2, y));
            }
    }

    painter.setRenderHint(QPainter::Antialiasing, type_ == ChartType::Line2D);
    for (const auto& bar : layout.bars) {
        const QColor color = series_[bar.column - 1].color;
        painter.fillRect(bar.rect, color);
        if (bar.rect.height() >= 1) {
            painter.setPen(color.darker(150));
            painter.drawRect(bar.rect);
        }
    }
    for (size_t c = 0; c < layout.lines.size(); ++c) {
        painter.setPen(QPen(series_[c].color, 2));
        painter.drawPolyline(layout.lines[c]);
    }
    painter.setRenderHint(QPainter::Antialiasing, false);

    painter.setPen(Qt::black);
    painter.drawRect(plot);
    for (const auto& category : layout.categories) {
        painter.drawLine(
            QPointF(category.slot.right(), plot.bottom()), QPointF(category.slot.right(), plot.bottom() + 3));
        if (category.label.isEmpty()) continue;
        if (category.labelRotated)
            drawUp(painter, category.labelRect, category.label, Qt::AlignRight | Qt::AlignVCenter);
        else
            painter.drawText(category.labelRect, Qt::AlignCenter | Qt::TextDontClip, category.label);
    }

    painter.setFont(font(fonts_.axisTitle));
    const QFontMetricsF axisFm(painter.font());
    double labelsBottom = plot.bottom();
    for (const auto& category : layout.categories)
        labelsBottom = std::max(labelsBottom, category.labelRect.bottom());
    const QStringList categoryLines = linesOf(categoryTitle_);
    if (!categoryLines.isEmpty())
        painter.drawText(
            QRectF(plot.left(), labelsBottom + 4, plot.width(), categoryLines.size() * axisFm.lineSpacing()),
            Qt::AlignCenter | Qt::TextDontClip, categoryLines.join('\n'));
    const QStringList valueLines = linesOf(valueTitle_);
    if (!valueLines.isEmpty())
        drawUp(painter, QRectF(area.left() + 6, plot.top(), valueLines.size() * axisFm.lineSpacing(), plot.height()),
            valueLines.join('\n'), Qt::AlignCenter);
    const QStringList secondLines = linesOf(secondTitle_);
    if (secondVisible_ && !secondLines.isEmpty()) {
        double w = 0;
        for (const auto& tick : layout.secondTicks)
            w = std::max(w, tickFm.horizontalAdvance(tick.text));
        drawUp(painter,
            QRectF(plot.right() + 6 + w + 6, plot.top(), secondLines.size() * axisFm.lineSpacing(), plot.height()),
            secondLines.join('\n'), Qt::AlignCenter);
    }

    painter.setFont(font(fonts_.legend));
    const QFontMetricsF legendFm(painter.font());
    for (const auto& entry : layout.legend) {
        painter.fillRect(entry.swatch, series_[entry.column - 1].color);
        painter.setPen(Qt::black);
        painter.drawRect(entry.swatch);
        painter.drawText(
            QPointF(entry.swatch.right() + 5, entry.swatch.center().y() + legendFm.ascent() / 2 - 1), entry.text);
    }
    painter.restore();
}

QImage ChartControl::Picture(qreal pixelRatio) const
{
    const QSize logical = size().expandedTo(QSize(1, 1));
    QImage image(logical * pixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::white);
    QPainter painter(&image);
    Draw(painter, QRectF(QPointF(0, 0), QSizeF(logical)));
    return image;
}

void ChartControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    Draw(painter, rect());
}

} // namespace chart
