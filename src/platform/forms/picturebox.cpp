#include "picturebox.h"

#include "accessible.h"
#include "form.h"

#include "platform/accessible_text.h"

#include <QAccessible>
#include <QFocusEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <map>
#include <utility>

namespace forms {

namespace {

constexpr double twipsPerPixel = TwipsPerPixel;

// Twips in one unit of a fixed scale mode, across and down.
double twipsAcross(PictureBox::ScaleMode mode)
{
    switch (mode) {
    case PictureBox::ScaleMode::Points:
        return 20;
    case PictureBox::ScaleMode::Pixels:
        return twipsPerPixel;
    case PictureBox::ScaleMode::Characters:
        return 120;
    default:
        return 1;
    }
}

double twipsDown(PictureBox::ScaleMode mode)
{
    return mode == PictureBox::ScaleMode::Characters ? 240 : twipsAcross(mode);
}

} // namespace

PictureBox::PictureBox(QWidget* parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setFocusPolicy(Qt::StrongFocus);
    // We paint every pixel of the interior ourselves, from the display list.
    setAttribute(Qt::WA_OpaquePaintEvent);
    InstallAccessibility();
}

void PictureBox::SetScaleMode(ScaleMode mode)
{
    if (mode == ScaleMode::User) {
        // Keep the present scale as the user's own.
        width_ = ScaleWidth();
        height_ = ScaleHeight();
        mode_ = mode;
        return;
    }
    mode_ = mode;
    left_ = 0;
    top_ = 0;
}

void PictureBox::Scale(double x1, double y1, double x2, double y2)
{
    if (x2 == x1 || y2 == y1) return; // no scale can be zero units across
    mode_ = ScaleMode::User;
    left_ = x1;
    top_ = y1;
    width_ = x2 - x1;
    height_ = y2 - y1;
}

double PictureBox::ScaleWidth() const
{
    if (mode_ == ScaleMode::User) return width_;
    return contentsRect().width() * twipsPerPixel / twipsAcross(mode_);
}

double PictureBox::ScaleHeight() const
{
    if (mode_ == ScaleMode::User) return height_;
    return contentsRect().height() * twipsPerPixel / twipsDown(mode_);
}

void PictureBox::SetScaleWidth(double width)
{
    if (width == 0) return;
    SetScaleMode(ScaleMode::User);
    width_ = width;
}

void PictureBox::SetScaleHeight(double height)
{
    if (height == 0) return;
    SetScaleMode(ScaleMode::User);
    height_ = height;
}

void PictureBox::SetBackColor(const QColor& color)
{
    backColor_ = color;
    update();
}

void PictureBox::SetFontSize(double points)
{
    if (points > 0) fontSize_ = points;
}

double PictureBox::pixelsPerUnitX() const
{
    if (mode_ != ScaleMode::User) return twipsAcross(mode_) / twipsPerPixel;
    return width_ == 0 ? 0 : contentsRect().width() / width_;
}

double PictureBox::pixelsPerUnitY() const
{
    if (mode_ != ScaleMode::User) return twipsDown(mode_) / twipsPerPixel;
    return height_ == 0 ? 0 : contentsRect().height() / height_;
}

QPointF PictureBox::toPixels(double x, double y) const
{
    const QRect r = contentsRect();
    return QPointF(r.left() + (x - left_) * pixelsPerUnitX(), r.top() + (y - top_) * pixelsPerUnitY());
}

QFont PictureBox::fontOf(const QString& name, double size, bool bold) const
{
    // The face the program names, as installed here; the list keeps the name.
    QFont f(installedFamily(name));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(size);
    f.setBold(bold);
    return f;
}

const QFontMetricsF& PictureBox::metricsOf(const QString& name, double size, bool bold) const
{
    const int dpi = logicalDpiY();
    if (!kept_.metrics || kept_.name != name || kept_.size != size || kept_.bold != bold || kept_.dpi != dpi) {
        kept_.name = name;
        kept_.size = size;
        kept_.bold = bold;
        kept_.dpi = dpi;
        kept_.font = fontOf(name, size, bold);
        kept_.metrics.emplace(kept_.font, this);
    }
    return *kept_.metrics;
}

double PictureBox::TextWidth(const QString& text) const
{
    const double perUnit = pixelsPerUnitX();
    return perUnit == 0 ? 0 : currentMetrics().horizontalAdvance(text) / perUnit;
}

double PictureBox::TextHeight(const QString& text) const
{
    const double perUnit = pixelsPerUnitY();
    const int lines = std::max<qsizetype>(1, text.count(QLatin1Char('\n')) + 1);
    return perUnit == 0 ? 0 : currentMetrics().height() * lines / perUnit;
}

void PictureBox::Print(const QString& text, bool newline)
{
    drawn_.push_back({ currentX_, currentY_, text, foreColor_, fontName_, fontSize_, fontBold_ });
    if (newline) {
        currentY_ += TextHeight();
        currentX_ = left_;
    } else {
        currentX_ += TextWidth(text);
    }
    update();
    textChanged();
}

void PictureBox::PrintNamed(const QString& name, const QString& text, bool newline)
{
    Print(text, newline);
    drawn_.back().name = name;
}

void PictureBox::Cls()
{
    cleared_ = true;
    drawn_.clear();
    currentX_ = left_;
    currentY_ = top_;
    update();
    textChanged();
}

std::optional<QString> PictureBox::TextAt(double x, double y) const
{
    for (auto it = drawn_.rbegin(); it != drawn_.rend(); ++it)
        if (it->x == x && it->y == y) return it->text;
    return std::nullopt;
}

QString PictureBox::VisibleText(const DrawnText& item) const
{
    const double room = contentsRect().right() + 1 - toPixels(item.x, item.y).x();
    if (room <= 0) return QString();
    const QFontMetricsF& metrics = metricsOf(item.fontName, item.fontSize, item.fontBold);
    qsizetype shown = item.text.size();
    while (shown > 0 && metrics.horizontalAdvance(item.text.left(shown)) > room)
        --shown;
    return item.text.left(shown);
}

QStringList PictureBox::ShownLines() const
{
    const QRect interior = contentsRect();
    // Pixel row of the text's top, then its left edge.
    std::map<int, std::multimap<double, const DrawnText*>> rows;
    for (const DrawnText& item : drawn_) {
        const QPointF at = toPixels(item.x, item.y);
        if (at.y() < interior.top() || at.y() > interior.bottom() || at.x() < interior.left()) continue;
        if (!VisibleText(item).trimmed().isEmpty()) rows[qRound(at.y())].emplace(at.x(), &item);
    }
    QStringList lines;
    for (const auto& [y, texts] : rows) {
        QStringList parts;
        bool named = false;
        for (const auto& [x, item] : texts) {
            const QString shown = VisibleText(*item).trimmed();
            named = named || !item->name.isEmpty();
            parts << (item->name.isEmpty() ? shown : item->name + QStringLiteral(": ") + shown);
        }
        lines << parts.join(named ? QStringLiteral(", ") : QStringLiteral(" "));
    }
    return lines;
}

void PictureBox::SetCaretLine(int line)
{
    caretLine_ = std::clamp(line, 0, std::max(0, int(ShownLines().size()) - 1));
}

void PictureBox::moveCaretLine(int by)
{
    const int count = ShownLines().size();
    const int line = std::clamp(caretLine_ + by, 0, std::max(0, count - 1));
    if (line == caretLine_) return;
    caretLine_ = line;
    QAccessibleTextCursorEvent moved(this, platform::LinesAccessible::OffsetOfLine(ShownLines(), caretLine_));
    platform::Notify(moved);
}

void PictureBox::textChanged()
{
    if (announcing_) return;
    announcing_ = true;
    QTimer::singleShot(0, this, [this] { announceText(); });
}

void PictureBox::announceText()
{
    announcing_ = false;
    // The same page drawn again by a step is a step's result all the same.
    const bool redrawn = std::exchange(cleared_, false);
    const QStringList lines = ShownLines();
    const QString text = platform::LinesAccessible::Joined(lines);
    if (text != announced_) {
        caretLine_ = 0;
        const QString before = std::exchange(announced_, text);
        QAccessibleTextUpdateEvent changed(this, 0, before, text);
        platform::Notify(changed);
        QAccessibleTextCursorEvent moved(this, 0);
        platform::Notify(moved);
    } else if (!redrawn) {
        return;
    }
    if (!lines.isEmpty()) AnnounceRedrawn(*this, platform::LinesAccessible::Sentences(lines));
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect interior = contentsRect();
    painter.setClipRect(interior);
    painter.fillRect(interior, backColor_);
    for (const DrawnText& item : drawn_) {
        const QFontMetricsF& metrics = metricsOf(item.fontName, item.fontSize, item.fontBold);
        painter.setFont(kept_.font);
        painter.setPen(item.color);
        const QPointF at = toPixels(item.x, item.y);
        painter.drawText(QPointF(at.x(), at.y() + metrics.ascent()), item.text);
    }
}

void PictureBox::keyPressEvent(QKeyEvent* event)
{
    if (dispatchKeyPress(this, *this, event)) return;
    // The reading position walks the shown lines.
    if (event->modifiers() == Qt::NoModifier && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        moveCaretLine(event->key() == Qt::Key_Up ? -1 : 1);
        event->accept();
        return;
    }
    QFrame::keyPressEvent(event);
}

void PictureBox::focusInEvent(QFocusEvent* event)
{
    QFrame::focusInEvent(event);
    if (GotFocus && event->reason() != Qt::PopupFocusReason) GotFocus();
}

void PictureBox::focusOutEvent(QFocusEvent* event)
{
    QFrame::focusOutEvent(event);
    dispatchFocusOut(this, *this, event->reason());
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    QFrame::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && Click) Click();
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    QFrame::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && DblClick) DblClick();
}

} // namespace forms
