#include "platform/print/devices.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QStandardPaths>

#include <malloc.h>
#include <optional>

namespace print {

namespace {

QSizeF swapFor(QSizeF portrait, PageOrientation orientation)
{
    return orientation == PageOrientation::Landscape ? portrait.transposed() : portrait;
}

QPageLayout::Orientation qtOrientation(PageOrientation orientation)
{
    return orientation == PageOrientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
}

// Paints twips onto a paged device whose origin is the printable corner.
class PainterSink : public DocumentSink {
public:
    void NewPage(PageOrientation orientation) override
    {
        setOrientation(orientation);
        if (!device()->newPage()) throw Error(errPrinter, "The printer could not begin a new page.");
    }

    void Text(QPointF at, const QString& text, const QFont& font) override
    {
        // A page prints many texts in one font: the font and its ascent are
        // set up again only when the font changes.
        if (!textFont_ || !(*textFont_ == font)) {
            painter_.setFont(font);
            ascent_ = QFontMetricsF(font, device()).ascent();
            textFont_ = font;
        }
        if (!textPen_) {
            painter_.setPen(Qt::black);
            textPen_ = true;
        }
        painter_.drawText(QPointF(at.x() * k(), at.y() * k() + ascent_), text);
    }

    void Line(QPointF from, QPointF to, int widthDots) override
    {
        painter_.setPen(QPen(Qt::black, std::max(1, widthDots)));
        textPen_ = false;
        painter_.drawLine(from * k(), to * k());
    }

    void Picture(QPointF at, const QImage& picture) override
    {
        painter_.drawImage(QRectF(at * k(), pictureTwips(picture) * k()), picture);
    }

protected:
    void start(PageOrientation orientation)
    {
        setOrientation(orientation);
        if (!painter_.begin(device())) throw Error(errPrinter, "The printer could not begin the document.");
        painter_.setRenderHint(QPainter::Antialiasing);
        painter_.setRenderHint(QPainter::SmoothPixmapTransform);
    }

    bool endPainting() { return !painter_.isActive() || painter_.end(); }

    virtual QPagedPaintDevice* device() = 0;
    virtual void setOrientation(PageOrientation orientation) = 0;

    QPainter painter_;

private:
    double k() { return device()->logicalDpiX() / 1440.0; }

    std::optional<QFont> textFont_;
    double ascent_ = 0;
    bool textPen_ = false; // the painter's pen is the one texts print with
};

class SystemSink : public PainterSink {
public:
    SystemSink(const QPrinterInfo& info, PageOrientation orientation)
        : printer_(info, QPrinter::HighResolution)
    {
        start(orientation);
    }
    ~SystemSink() override
    {
        if (painter_.isActive()) {
            printer_.abort();
            painter_.end();
        }
    }
    void Finish() override
    {
        if (!endPainting() || printer_.printerState() == QPrinter::Error)
            throw Error(errPrinter, "The printer failed to print the document.");
    }
    void Abort() override
    {
        printer_.abort();
        endPainting();
    }

protected:
    QPagedPaintDevice* device() override { return &printer_; }
    void setOrientation(PageOrientation orientation) override
    {
        printer_.setPageOrientation(qtOrientation(orientation));
    }

private:
    QPrinter printer_;
};

const QMarginsF pdfMargins(18, 18, 18, 18); // points: a quarter inch

// The PDF writer compresses each page through buffers it frees again, some
// just over 16 MiB; left to itself the allocator maps and unmaps them for
// every page and faults them in anew, which costs a long report a third of
// its time. Keep them on the heap: the largest mapping threshold the
// allocator takes, and up to 64 MiB of free heap kept with them.
void KeepPageBuffers()
{
    static const bool kept = [] {
        mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
        mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
        return true;
    }();
    (void)kept;
}

class PdfSink : public PainterSink {
public:
    PdfSink(const QString& path, PageOrientation orientation)
        : file_(path)
    {
        KeepPageBuffers();
        if (!file_.open(QIODevice::WriteOnly))
            throw Error(errPrinter, "Cannot write the file " + path.toStdString() + ".");
        writer_ = std::make_unique<QPdfWriter>(&file_);
        writer_->setResolution(1200);
        writer_->setCreator(QStringLiteral("Tellora"));
        start(orientation);
    }
    ~PdfSink() override
    {
        // Without a commit the save file discards what was written.
        endPainting();
        writer_.reset();
    }
    void Finish() override
    {
        const bool painted = endPainting();
        writer_.reset();
        if (!painted || !file_.commit())
            throw Error(errPrinter, "Cannot write the file " + file_.fileName().toStdString() + ".");
    }
    void Abort() override
    {
        endPainting();
        writer_.reset();
        file_.cancelWriting();
    }

protected:
    QPagedPaintDevice* device() override { return writer_.get(); }
    void setOrientation(PageOrientation orientation) override
    {
        writer_->setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), qtOrientation(orientation), pdfMargins));
    }

private:
    QSaveFile file_;
    std::unique_ptr<QPdfWriter> writer_;
};

} // namespace

SystemPrinter::SystemPrinter(const QPrinterInfo& info)
    : info_(info)
{
    QPrinter printer(info_, QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Portrait);
    portrait_ = printer.pageLayout().paintRect(QPageLayout::Inch).size() * 1440;
}

QSizeF SystemPrinter::PrintableTwips(PageOrientation orientation) const
{
    return swapFor(portrait_, orientation);
}

std::unique_ptr<DocumentSink> SystemPrinter::Begin(PageOrientation orientation)
{
    return std::make_unique<SystemSink>(info_, orientation);
}

PdfPrinter::PdfPrinter(QString outputPath, QString name)
    : path_(std::move(outputPath))
    , name_(std::move(name))
{
}

QSizeF PdfPrinter::PrintableTwips(PageOrientation orientation) const
{
    // Every position printed asks for it: the page never changes, so it is worked out once.
    static const QSizeF portrait = QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, pdfMargins)
                                       .paintRect(QPageLayout::Inch)
                                       .size()
        * 1440;
    return swapFor(portrait, orientation);
}

std::unique_ptr<DocumentSink> PdfPrinter::Begin(PageOrientation orientation)
{
    if (path_.isEmpty()) throw Error(errPrinter, "No file is chosen for the PDF printer.");
    return std::make_unique<PdfSink>(path_, orientation);
}

QString defaultPdfFile()
{
    // The desktop names a documents folder even where none was ever made
    // (fresh desktops, server installs); a file there could not be written.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
    return QDir(folder).filePath(QStringLiteral("Tellora.pdf"));
}

std::shared_ptr<PdfPrinter> pdfPrinter()
{
    static const auto pdf = std::make_shared<PdfPrinter>(defaultPdfFile());
    return pdf;
}

std::shared_ptr<PrinterDevice> SystemCatalog::wrap(const QPrinterInfo& info) const
{
    auto& slot = known_[info.printerName()];
    if (!slot) slot = std::make_shared<SystemPrinter>(info);
    return slot;
}

std::vector<std::shared_ptr<PrinterDevice>> SystemCatalog::Installed() const
{
    std::vector<std::shared_ptr<PrinterDevice>> all;
    for (const QPrinterInfo& info : QPrinterInfo::availablePrinters())
        all.push_back(wrap(info));
    all.push_back(pdfPrinter());
    return all;
}

std::shared_ptr<PrinterDevice> SystemCatalog::Default() const
{
    const QPrinterInfo def = QPrinterInfo::defaultPrinter();
    if (!def.isNull() && !def.printerName().isEmpty()) return wrap(def);
    return pdfPrinter();
}

std::shared_ptr<Catalog> systemCatalog()
{
    return std::make_shared<SystemCatalog>();
}

} // namespace print
