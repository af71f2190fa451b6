#pragma once
// A drawing surface for text, with a scale of its own. What is drawn goes into
// a display list that the box paints from, so its contents survive being
// covered and can be read back by tests.
#include "events.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QFrame>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace forms {

class PictureBox : public QFrame, public ControlEvents {
    Q_OBJECT
public:
    // Units of the scale; User is the one Scale() or a ScaleWidth/ScaleHeight
    // assignment sets. A character is 120 twips wide and 240 high.
    enum class ScaleMode : int { User = 0, Twips = 1, Points = 2, Pixels = 3, Characters = 4 };

    // One text as it was drawn: top left corner in scale units at the time.
    struct DrawnText {
        double x = 0;
        double y = 0;
        QString text;
        QColor color;
        QString fontName;
        double fontSize = 0;
        bool fontBold = false;
        QString name; // what a screen reader hears the text as: "Name: text"
    };

    explicit PictureBox(QWidget* parent = nullptr);

    ScaleMode GetScaleMode() const { return mode_; }
    // Sets the unit; the origin goes to the top left and the scale to the
    // interior's size in that unit.
    void SetScaleMode(ScaleMode mode);
    // A user scale: (x1, y1) is the top left corner of the interior, (x2, y2)
    // the bottom right.
    void Scale(double x1, double y1, double x2, double y2);
    double ScaleLeft() const { return left_; }
    double ScaleTop() const { return top_; }
    double ScaleWidth() const;
    double ScaleHeight() const;
    void SetScaleWidth(double width);
    void SetScaleHeight(double height);

    double CurrentX() const { return currentX_; }
    double CurrentY() const { return currentY_; }
    void SetCurrentX(double x) { currentX_ = x; }
    void SetCurrentY(double y) { currentY_ = y; }

    QColor ForeColor() const { return foreColor_; }
    void SetForeColor(const QColor& color) { foreColor_ = color; }
    QColor BackColor() const { return backColor_; }
    void SetBackColor(const QColor& color);

    QString FontName() const { return fontName_; }
    void SetFontName(const QString& name) { fontName_ = name; }
    double FontSize() const { return fontSize_; }
    void SetFontSize(double points);
    bool FontBold() const { return fontBold_; }
    void SetFontBold(bool bold) { fontBold_ = bold; }

    // Draws the text at the current position in the current colour and font.
    // With newline the position then moves to the start of the next line,
    // otherwise just past the text.
    void Print(const QString& text, bool newline = true);
    // Draws as Print does; a screen reader hears the text under its name
    // ("Blood Sugar: 120"), as it hears a labelled box, and the texts of a
    // line that holds named ones apart ("Date: 03/05/2024, Time: 08:30 AM").
    void PrintNamed(const QString& name, const QString& text, bool newline = true);
    // Clears the surface and moves the position to the scale's top left.
    void Cls();

    // Size of a text in the current font, in scale units.
    double TextWidth(const QString& text) const;
    double TextHeight(const QString& text = QStringLiteral("X")) const;

    // Everything drawn since the last Cls, in drawing order.
    const std::vector<DrawnText>& DisplayList() const { return drawn_; }
    // The text drawn last at exactly (x, y), if any.
    std::optional<QString> TextAt(double x, double y) const;
    // The part of a drawn text that shows whole inside the right edge.
    QString VisibleText(const DrawnText& item) const;
    // What the box shows, as a screen reader reads it: the texts that start
    // inside it, a line for each height they stand at (top to bottom), left
    // to right within a line, as far as each shows, each under its name.
    // A drawing that a step makes while the focus is on another control of
    // the window (its button) is spoken there, line after line.
    QStringList ShownLines() const;
    // The line a screen reader's reading position is on. Up and Down move
    // it; a new drawing puts it back on the first line.
    int CaretLine() const { return caretLine_; }
    void SetCaretLine(int line);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QFont fontOf(const QString& name, double size, bool bold) const;
    QFont currentFont() const { return fontOf(fontName_, fontSize_, fontBold_); }
    // The metrics of a font on this box, kept for the last font asked for: a
    // listing measures thousands of texts in one or two fonts, and each new
    // metrics object looks the font engine up again.
    const QFontMetricsF& metricsOf(const QString& name, double size, bool bold) const;
    const QFontMetricsF& currentMetrics() const { return metricsOf(fontName_, fontSize_, fontBold_); }
    // Pixels per scale unit across and down; 0 while the box has no size
    // under a user scale.
    double pixelsPerUnitX() const;
    double pixelsPerUnitY() const;
    QPointF toPixels(double x, double y) const;
    // Tells a screen reader once, after the drawing calls of one handler,
    // that the shown text changed.
    void textChanged();
    void announceText();
    void moveCaretLine(int by);

    ScaleMode mode_ = ScaleMode::Twips;
    double left_ = 0;
    double top_ = 0;
    double width_ = 0; // user scale only
    double height_ = 0;
    double currentX_ = 0;
    double currentY_ = 0;
    QColor foreColor_ = QColor(0, 0, 0);
    QColor backColor_ = QColor(240, 240, 240);
    QString fontName_ = QStringLiteral("MS Sans Serif");
    double fontSize_ = 8.25;
    bool fontBold_ = false;
    std::vector<DrawnText> drawn_;
    int caretLine_ = 0;
    bool announcing_ = false;
    bool cleared_ = false; // cleared since the screen reader was last told
    QString announced_; // the text a screen reader was last told of
    struct KeptMetrics {
        QString name;
        double size = 0;
        bool bold = false;
        int dpi = 0;
        QFont font;
        std::optional<QFontMetricsF> metrics;
    };
    mutable KeptMetrics kept_;
};

} // namespace forms
