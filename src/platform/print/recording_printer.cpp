#include "platform/print/recording_printer.h"

#include "platform/print/devices.h"

namespace print {

class RecordingPrinter::Sink : public DocumentSink {
public:
    explicit Sink(RecordingPrinter& owner)
        : owner_(owner)
    {
    }
    ~Sink() override
    {
        if (owner_.open_) owner_.open_ = false; // abandoned: nothing more is recorded for it
    }
    void NewPage(PageOrientation orientation) override
    {
        ++owner_.page_;
        owner_.orientation_ = orientation;
        owner_.record({ .kind = OpKind::NewPage });
    }
    void Text(QPointF at, const QString& text, const QFont& font) override
    {
        owner_.record({ .kind = OpKind::Text, .at = at, .text = text, .font = font });
    }
    void Line(QPointF from, QPointF to, int widthDots) override
    {
        owner_.record({ .kind = OpKind::Line, .at = from, .to = to, .width = widthDots });
    }
    void Picture(QPointF at, const QImage& picture) override
    {
        owner_.record({ .kind = OpKind::Picture, .at = at, .size = pictureTwips(picture), .picture = picture });
    }
    void Finish() override
    {
        owner_.record({ .kind = OpKind::EndDoc });
        owner_.open_ = false;
    }
    void Abort() override
    {
        if (!owner_.open_) return;
        owner_.open_ = false;
        owner_.failKind_.reset(); // an abort itself never fails
        owner_.record({ .kind = OpKind::KillDoc });
    }

private:
    RecordingPrinter& owner_;
};

RecordingPrinter::RecordingPrinter(QString deviceName, QString driverName, QString port, QSizeF portraitTwips)
    : device_(std::move(deviceName))
    , driver_(std::move(driverName))
    , port_(std::move(port))
    , portrait_(portraitTwips)
{
}

QSizeF RecordingPrinter::PrintableTwips(PageOrientation orientation) const
{
    return orientation == PageOrientation::Landscape ? portrait_.transposed() : portrait_;
}

std::unique_ptr<DocumentSink> RecordingPrinter::Begin(PageOrientation orientation)
{
    if (failKind_ == OpKind::BeginDoc && --failCountdown_ == 0) {
        failKind_.reset();
        throw Error(errPrinter, "The recording printer failed to begin a document.");
    }
    ++documents_;
    page_ = 1;
    orientation_ = orientation;
    open_ = true;
    record({ .kind = OpKind::BeginDoc });
    return std::make_unique<Sink>(*this);
}

void RecordingPrinter::FailAt(OpKind kind, int occurrence)
{
    failKind_ = kind;
    failCountdown_ = occurrence;
}

void RecordingPrinter::record(RecordedOp op)
{
    op.document = documents_;
    op.page = page_;
    op.orientation = orientation_;
    // A refused operation is not recorded: the page never got it.
    if (failKind_ == op.kind && op.kind != OpKind::BeginDoc && --failCountdown_ == 0) {
        failKind_.reset();
        throw Error(errPrinter, "The recording printer failed.");
    }
    ops_.push_back(std::move(op));
}

std::vector<RecordedOp> RecordingPrinter::OpsOf(OpKind kind) const
{
    std::vector<RecordedOp> found;
    for (const auto& op : ops_)
        if (op.kind == kind) found.push_back(op);
    return found;
}

std::vector<RecordedOp> RecordingPrinter::PageOps(int document, int page) const
{
    std::vector<RecordedOp> found;
    for (const auto& op : ops_)
        if (op.document == document && op.page == page
            && (op.kind == OpKind::Text || op.kind == OpKind::Line || op.kind == OpKind::Picture))
            found.push_back(op);
    return found;
}

int RecordingPrinter::count(OpKind kind) const
{
    int n = 0;
    for (const auto& op : ops_)
        n += op.kind == kind;
    return n;
}

int RecordingPrinter::Pages(int document) const
{
    if (document == 0) document = documents_;
    int pages = 0;
    for (const auto& op : ops_)
        if (op.document == document) pages = std::max(pages, op.page);
    return pages;
}

void RecordingPrinter::Clear()
{
    ops_.clear();
    documents_ = 0;
    page_ = 0;
    failKind_.reset();
}

FixedCatalog::FixedCatalog(std::vector<std::shared_ptr<PrinterDevice>> printers, int defaultIndex)
    : printers_(std::move(printers))
    , default_(defaultIndex)
{
}

std::shared_ptr<PrinterDevice> FixedCatalog::Default() const
{
    if (default_ < 0 || default_ >= static_cast<int>(printers_.size())) return nullptr;
    return printers_[default_];
}

ScopedCatalog::ScopedCatalog(std::shared_ptr<Catalog> catalog)
    : catalog_(std::move(catalog))
{
    current().SetCatalog(catalog_);
}

ScopedCatalog::ScopedCatalog()
    : ScopedCatalog(std::make_shared<FixedCatalog>(
        std::vector<std::shared_ptr<PrinterDevice>> { std::make_shared<RecordingPrinter>(QStringLiteral("Recorder")) }))
{
}

ScopedCatalog::~ScopedCatalog()
{
    current().SetCatalog(systemCatalog());
}

std::shared_ptr<RecordingPrinter> ScopedCatalog::recorder() const
{
    const auto all = catalog_->Installed();
    return all.empty() ? nullptr : std::dynamic_pointer_cast<RecordingPrinter>(all.front());
}

} // namespace print
