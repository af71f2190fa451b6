#include "captions.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <cmath>

namespace forms {

namespace {

// The font a control was given before any fitting, so a later fitting
// starts from it again.
constexpr const char* BaseFontProperty = "tellora.captionBaseFont";

// The text as drawn: "&" marks an access key and is not shown, "&&" shows one.
QString shownText(const QString& caption)
{
    QString out;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) ++i;
        out += caption[i];
    }
    return out;
}

bool wraps(const QWidget* control)
{
    auto* label = qobject_cast<const QLabel*>(control);
    return label && label->wordWrap();
}

int roomFor(const QWidget* control, const QFont& font)
{
    const QStyle* style = control->style();
    QStyleOptionButton option;
    option.initFrom(control);
    option.rect = control->rect();
    option.fontMetrics = QFontMetrics(font);
    if (auto* label = qobject_cast<const QLabel*>(control))
        return label->contentsRect().width() - 2 * label->margin() - std::max(0, label->indent());
    if (qobject_cast<const QRadioButton*>(control))
        return style->subElementRect(QStyle::SE_RadioButtonContents, &option, control).width();
    if (qobject_cast<const QCheckBox*>(control))
        return style->subElementRect(QStyle::SE_CheckBoxContents, &option, control).width();
    if (qobject_cast<const QPushButton*>(control))
        return style->subElementRect(QStyle::SE_PushButtonContents, &option, control).width()
            - 2 * style->pixelMetric(QStyle::PM_ButtonMargin, &option, control) / 2;
    return control->width();
}

bool fitsWith(const QWidget* control, const QFont& font)
{
    const QString text = shownText(CaptionOf(control));
    if (text.isEmpty()) return true;
    const QFontMetricsF metrics(font);
    const int room = roomFor(control, font);
    const double lineHeight = metrics.lineSpacing();
    const int lines = std::max(1, int(std::floor(control->contentsRect().height() / lineHeight)));
    if (!wraps(control) || lines < 2) {
        double widest = 0;
        for (const QString& line : text.split(QLatin1Char('\n')))
            widest = std::max(widest, metrics.horizontalAdvance(line));
        return std::ceil(widest) <= room;
    }
    const QRectF need = metrics.boundingRect(QRectF(0, 0, room, 1e6), Qt::TextWordWrap, text);
    return need.width() <= room && need.height() <= lines * lineHeight + 0.5;
}

QString narrowFace()
{
    static const QString face = [] {
        const QStringList installed = QFontDatabase::families();
        for (const char* candidate : { "Liberation Sans Narrow", "Arial Narrow", "Nimbus Sans Narrow" })
            if (installed.contains(QString::fromLatin1(candidate))) return QString::fromLatin1(candidate);
        return QString();
    }();
    return face;
}

void fit(QWidget* control)
{
    QVariant stored = control->property(BaseFontProperty);
    if (!stored.isValid()) {
        control->setProperty(BaseFontProperty, control->font());
        stored = control->property(BaseFontProperty);
    }
    const QFont base = stored.value<QFont>();
    if (fitsWith(control, base)) {
        if (control->font() != base) control->setFont(base);
        return;
    }
    // A smaller size of the same face, down to three quarters of it; then a
    // narrow face at the size asked for; then smaller still.
    const double points = base.pointSizeF();
    QFont f = base;
    for (double p = points - 0.25; p >= points * 0.75; p -= 0.25) {
        f.setPointSizeF(p);
        if (fitsWith(control, f)) {
            control->setFont(f);
            return;
        }
    }
    if (!narrowFace().isEmpty()) {
        QFont narrow = base;
        narrow.setFamily(narrowFace());
        for (double p = points; p >= points * 0.6; p -= 0.25) {
            narrow.setPointSizeF(p);
            if (fitsWith(control, narrow)) {
                control->setFont(narrow);
                return;
            }
        }
    }
    for (double p = points * 0.75; p >= 4; p -= 0.25) {
        f.setPointSizeF(p);
        if (fitsWith(control, f)) break;
    }
    control->setFont(f);
}

} // namespace

QString CaptionOf(const QWidget* control)
{
    if (auto* label = qobject_cast<const QLabel*>(control))
        return label->textFormat() == Qt::RichText ? QString() : label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(control)) return button->text();
    return {};
}

int CaptionRoom(const QWidget* control)
{
    return roomFor(control, control->font());
}

bool CaptionFits(const QWidget* control)
{
    return fitsWith(control, control->font());
}

void FitCaptions(QWidget* window)
{
    for (QWidget* control : window->findChildren<QWidget*>())
        if (!CaptionOf(control).isEmpty()) fit(control);
}

} // namespace forms
