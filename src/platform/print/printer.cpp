#include "platform/print/printer.h"

#include "platform/print/devices.h"

#include <QFontMetricsF>
#include <QHash>
#include <QStringList>

#include <cmath>
#include <optional>
#include <vector>

namespace print {

QSizeF pictureTwips(const QImage& picture)
{
    return picture.deviceIndependentSize() * TwipsPerPixel;
}

void useMetricCompatibleFaces()
{
    static const bool done = [] {
        // Ahead of whatever the system's font configuration would pick.
        QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
        QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
        QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
        return true;
    }();
    (void)done;
}

namespace {

// The last font measured, with its metrics and the widths of the texts
// measured in it.
struct MeasuredFont {
    QFont font;
    std::optional<QFontMetricsF> metrics;
    QHash<QString, double> widths;
};

MeasuredFont& measured(const QFont& font)
{
    useMetricCompatibleFaces();
    // A device of 1440 dots to the inch measures in twips directly.
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32);
        const int dotsPerMeter = qRound(1440 / 0.0254);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    // A report measures thousands of texts in a few fonts (a page's headings
    // in one, its rows in another): the last fonts measured are kept, since
    // making their metrics looks the font engine up anew. Kept for the
    // program's life, never destroyed after the application.
    constexpr std::size_t KeptFonts = 4;
    static auto* kept = new std::vector<MeasuredFont>;
    for (std::size_t i = 0; i < kept->size(); ++i) {
        if (!((*kept)[i].font == font)) continue;
        // The one last used stays first.
        if (i != 0) std::swap((*kept)[0], (*kept)[i]);
        return kept->front();
    }
    if (kept->size() == KeptFonts) kept->pop_back();
    MeasuredFont m;
    m.font = font;
    m.metrics.emplace(font, &device);
    kept->insert(kept->begin(), std::move(m));
    return kept->front();
}

const QFontMetricsF& twipMetrics(const QFont& font)
{
    return *measured(font).metrics;
}

// A text's width in the kept font: a report centres the same few values
// (times, readings, dates) again and again, and each measuring shapes the
// text anew. At most this many widths are kept.
constexpr qsizetype KeptWidths = 4096;

double lineWidth(MeasuredFont& m, const QString& line)
{
    if (const auto it = m.widths.constFind(line); it != m.widths.cend()) return *it;
    const double width = m.metrics->horizontalAdvance(line);
    if (m.widths.size() >= KeptWidths) m.widths.clear();
    m.widths.insert(line, width);
    return width;
}

} // namespace

QSizeF measureTwips(const QString& text, const QFont& font)
{
    MeasuredFont& m = measured(font);
    const QStringList lines = text.split(QLatin1Char('\n'));
    double width = 0;
    for (const QString& line : lines)
        width = std::max(width, lineWidth(m, line));
    return { text.isEmpty() ? 0.0 : width, m.metrics->lineSpacing() * lines.size() };
}

Printer::Printer(std::shared_ptr<Catalog> catalog)
{
    useMetricCompatibleFaces();
    SetCatalog(std::move(catalog));
}

Printer::~Printer()
{
    if (sink_) {
        try {
            sink_->Abort();
        } catch (...) {
        }
    }
}

void Printer::SetCatalog(std::shared_ptr<Catalog> catalog)
{
    KillDoc();
    catalog_ = std::move(catalog);
    reset();
}

void Printer::reset()
{
    device_ = catalog_ ? catalog_->Default() : nullptr;
    lastDefault_ = device_ ? device_->DeviceName() : QString();
    trackDefault_ = true;
    orientation_ = pageOrientation_ = PageOrientation::Portrait;
    scaleMode_ = ScaleUnit::Twips;
    left_ = top_ = 0;
    width_ = height_ = 1;
    currentX_ = currentY_ = 0;
    font_ = QFont(QStringLiteral("Arial"));
    font_.setPointSizeF(10);
    drawWidth_ = 1;
    page_ = 1;
}

std::vector<std::shared_ptr<PrinterDevice>> Printer::Printers() const
{
    return catalog_ ? catalog_->Installed() : std::vector<std::shared_ptr<PrinterDevice>> {};
}

void Printer::Set(std::shared_ptr<PrinterDevice> device)
{
    if (!device) return;
    if (device != device_) KillDoc();
    device_ = std::move(device);
}

void Printer::followDefault() const
{
    // Never switch under an open document: its pages belong to one printer.
    if (!trackDefault_ || sink_ || !catalog_) return;
    auto def = catalog_->Default();
    const QString name = def ? def->DeviceName() : QString();
    if (def && name != lastDefault_) device_ = def;
    lastDefault_ = name;
}

std::shared_ptr<PrinterDevice> Printer::Device() const
{
    followDefault();
    if (!device_) throw Error(errNoPrinter, "No printer is installed.");
    return device_;
}

bool Printer::HasDevice() const
{
    followDefault();
    return device_ != nullptr;
}

void Printer::SetTrackDefault(bool track)
{
    if (track && !trackDefault_) {
        // Picking tracking up again means following the default from now on.
        trackDefault_ = true;
        lastDefault_.clear();
        followDefault();
    }
    trackDefault_ = track;
}

QSizeF Printer::printable() const
{
    return Device()->PrintableTwips(sink_ ? pageOrientation_ : orientation_);
}

static double unitTwips(ScaleUnit mode, bool vertical)
{
    switch (mode) {
    case ScaleUnit::Twips:
        return 1;
    case ScaleUnit::Points:
        return 20;
    case ScaleUnit::Pixels:
        return TwipsPerPixel;
    case ScaleUnit::Characters:
        return vertical ? 240 : 120;
    case ScaleUnit::Inches:
        return 1440;
    case ScaleUnit::Millimeters:
        return 1440 / 25.4;
    case ScaleUnit::Centimeters:
        return 1440 / 2.54;
    case ScaleUnit::User:
        break;
    }
    return 1;
}

double Printer::unitX() const
{
    if (scaleMode_ != ScaleUnit::User) return unitTwips(scaleMode_, false);
    return printable().width() / width_;
}

double Printer::unitY() const
{
    if (scaleMode_ != ScaleUnit::User) return unitTwips(scaleMode_, true);
    return printable().height() / height_;
}

QPointF Printer::toTwips(double x, double y) const
{
    return { (x - ScaleLeft()) * unitX(), (y - ScaleTop()) * unitY() };
}

void Printer::SetScaleMode(ScaleUnit mode)
{
    if (mode == ScaleUnit::User) {
        makeUser();
        return;
    }
    scaleMode_ = mode;
    left_ = top_ = 0;
}

void Printer::makeUser()
{
    if (scaleMode_ == ScaleUnit::User) return;
    const QSizeF area = printable();
    width_ = area.width() / unitTwips(scaleMode_, false);
    height_ = area.height() / unitTwips(scaleMode_, true);
    left_ = top_ = 0;
    scaleMode_ = ScaleUnit::User;
}

void Printer::Scale(double x1, double y1, double x2, double y2)
{
    if (x2 == x1 || y2 == y1) throw Error(errInvalidScale, "Invalid scale.");
    scaleMode_ = ScaleUnit::User;
    left_ = x1;
    top_ = y1;
    width_ = x2 - x1;
    height_ = y2 - y1;
}

double Printer::ScaleLeft() const
{
    return scaleMode_ == ScaleUnit::User ? left_ : 0;
}
double Printer::ScaleTop() const
{
    return scaleMode_ == ScaleUnit::User ? top_ : 0;
}

double Printer::ScaleWidth() const
{
    return scaleMode_ == ScaleUnit::User ? width_ : printable().width() / unitTwips(scaleMode_, false);
}

double Printer::ScaleHeight() const
{
    return scaleMode_ == ScaleUnit::User ? height_ : printable().height() / unitTwips(scaleMode_, true);
}

void Printer::SetScaleLeft(double v)
{
    makeUser();
    left_ = v;
}

void Printer::SetScaleTop(double v)
{
    makeUser();
    top_ = v;
}

void Printer::SetScaleWidth(double v)
{
    if (v == 0) throw Error(errInvalidScale, "Invalid scale.");
    makeUser();
    width_ = v;
}

void Printer::SetScaleHeight(double v)
{
    if (v == 0) throw Error(errInvalidScale, "Invalid scale.");
    makeUser();
    height_ = v;
}

void Printer::SetFontSize(double points)
{
    if (points > 0) font_.setPointSizeF(points);
}

double Printer::TextWidth(const QString& text) const
{
    return measureTwips(text, font_).width() / unitX();
}

double Printer::TextHeight(const QString& text) const
{
    // Only the lines count for the height: nothing is shaped.
    const qsizetype lines = text.isEmpty() ? 1 : text.count(QLatin1Char('\n')) + 1;
    return twipMetrics(font_).lineSpacing() * lines / unitY();
}

DocumentSink& Printer::sink()
{
    if (!sink_) {
        auto device = Device();
        sink_ = device->Begin(orientation_);
        if (!sink_) throw Error(errPrinter, "The printer did not begin the document.");
        pageOrientation_ = orientation_;
        page_ = 1;
    }
    return *sink_;
}

template<class F> void Printer::guarded(F&& step)
{
    try {
        step();
    } catch (...) {
        KillDoc();
        throw;
    }
}

void Printer::Print(const QString& text)
{
    guarded([&] {
        DocumentSink& out = sink();
        if (!text.isEmpty()) out.Text(toTwips(currentX_, currentY_), text, font_);
        currentY_ += TextHeight(text);
        currentX_ = ScaleLeft();
    });
}

void Printer::PrintSameLine(const QString& text)
{
    guarded([&] {
        DocumentSink& out = sink();
        if (!text.isEmpty()) out.Text(toTwips(currentX_, currentY_), text, font_);
        currentX_ += TextWidth(text);
    });
}

void Printer::Line(double x1, double y1, double x2, double y2)
{
    guarded([&] {
        sink().Line(toTwips(x1, y1), toTwips(x2, y2), drawWidth_);
        currentX_ = x2;
        currentY_ = y2;
    });
}

void Printer::PaintPicture(const QImage& picture, double x, double y)
{
    guarded([&] { sink().Picture(toTwips(x, y), picture); });
}

void Printer::NewPage()
{
    guarded([&] {
        DocumentSink& out = sink();
        out.NewPage(orientation_);
        pageOrientation_ = orientation_;
        ++page_;
        currentX_ = ScaleLeft();
        currentY_ = ScaleTop();
    });
}

std::unique_ptr<DocumentSink> Printer::takeSink()
{
    auto out = std::move(sink_);
    page_ = 1;
    currentX_ = ScaleLeft();
    currentY_ = ScaleTop();
    return out;
}

void Printer::EndDoc()
{
    if (!sink_) return;
    auto out = takeSink();
    try {
        out->Finish();
    } catch (...) {
        try {
            out->Abort();
        } catch (...) {
        }
        throw;
    }
}

void Printer::KillDoc()
{
    if (!sink_) return;
    auto out = takeSink();
    try {
        out->Abort();
    } catch (...) {
        // Abandoning must not fail: the sink's destructor drops what is left.
    }
}

Printer& current()
{
    static Printer printer(systemCatalog());
    return printer;
}

Document::Document(Printer& printer)
    : printer_(printer)
{
    printer_.KillDoc();
}

Document::~Document()
{
    if (!ended_) printer_.KillDoc();
}

void Document::End()
{
    ended_ = true;
    printer_.EndDoc();
}

} // namespace print
