#pragma once
// Test printers: a device that records every operation with its arguments
// and the document boundaries, a fixed list of installed printers, and a
// guard that puts them under the program's printer for one test.
#include "platform/print/printer.h"

#include <optional>

namespace print {

enum class OpKind { BeginDoc, NewPage, Text, Line, Picture, EndDoc, KillDoc };

struct RecordedOp {
    OpKind kind;
    int document = 0; // 1 for the first document this device began
    int page = 0; // page of that document, from 1
    PageOrientation orientation = PageOrientation::Portrait; // of the page
    QPointF at {}; // twips from the printable corner: text's top-left, line start, picture's top-left
    QPointF to {}; // line end
    QString text {};
    QFont font {};
    int width = 0; // line width in dots
    QSizeF size {}; // picture's size in twips
    QImage picture {};
};

class RecordingPrinter : public PrinterDevice {
public:
    // A US Letter page with quarter-inch margins unless told otherwise.
    explicit RecordingPrinter(QString deviceName, QString driverName = QStringLiteral("recorder"),
        QString port = QStringLiteral("REC:"), QSizeF portraitTwips = QSizeF(11520, 15120));

    QString DeviceName() const override { return device_; }
    QString DriverName() const override { return driver_; }
    QString Port() const override { return port_; }
    std::int16_t PaperBin() const override { return paperBin_; }
    void SetPaperBin(std::int16_t bin) { paperBin_ = bin; }
    QSizeF PrintableTwips(PageOrientation orientation) const override;
    std::unique_ptr<DocumentSink> Begin(PageOrientation orientation) override;

    // The `occurrence`-th next operation of this kind throws Error(errPrinter)
    // and is not recorded; a failing BeginDoc begins no document.
    void FailAt(OpKind kind, int occurrence = 1);

    const std::vector<RecordedOp>& Ops() const { return ops_; }
    std::vector<RecordedOp> OpsOf(OpKind kind) const;
    // Operations drawn on a page (texts, lines, pictures) of one document.
    std::vector<RecordedOp> PageOps(int document, int page) const;
    int DocumentsBegun() const { return documents_; }
    int DocumentsEnded() const { return count(OpKind::EndDoc); }
    int DocumentsKilled() const { return count(OpKind::KillDoc); }
    bool DocumentOpen() const { return open_; }
    // Pages of a document (the last begun when 0).
    int Pages(int document = 0) const;
    void Clear();

private:
    class Sink;
    void record(RecordedOp op);
    int count(OpKind kind) const;

    QString device_, driver_, port_;
    std::int16_t paperBin_ = 7;
    QSizeF portrait_;
    std::vector<RecordedOp> ops_;
    int documents_ = 0;
    int page_ = 0;
    PageOrientation orientation_ = PageOrientation::Portrait;
    bool open_ = false;
    std::optional<OpKind> failKind_;
    int failCountdown_ = 0;
};

// A fixed list of installed printers with a settable default.
class FixedCatalog : public Catalog {
public:
    explicit FixedCatalog(std::vector<std::shared_ptr<PrinterDevice>> printers, int defaultIndex = 0);
    std::vector<std::shared_ptr<PrinterDevice>> Installed() const override { return printers_; }
    std::shared_ptr<PrinterDevice> Default() const override;
    // -1: no default printer.
    void SetDefault(int index) { default_ = index; }

private:
    std::vector<std::shared_ptr<PrinterDevice>> printers_;
    int default_;
};

// Installs a catalog under print::current() for its lifetime; afterwards the
// program's printer is back on the system's printers, settings reset.
class ScopedCatalog {
public:
    explicit ScopedCatalog(std::shared_ptr<Catalog> catalog);
    // One recording printer named "Recorder", the default.
    ScopedCatalog();
    ~ScopedCatalog();
    ScopedCatalog(const ScopedCatalog&) = delete;
    ScopedCatalog& operator=(const ScopedCatalog&) = delete;
    // The first installed printer as a recorder (null when it is not one).
    std::shared_ptr<RecordingPrinter> recorder() const;

private:
    std::shared_ptr<Catalog> catalog_;
};

} // namespace print
