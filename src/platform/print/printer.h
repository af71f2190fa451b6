#pragma once
// The program's printer: one object for the whole process, shared by chart
// printing and the printed reports, over replaceable devices (the system's
// printers, a PDF file printer, a recording printer for tests).
//
// Positions are given in the printer's scale: twips, character cells or a
// user scale laid over the printable area. Every device works in twips from
// the printable area's top-left corner.
#include <QFont>
#include <QImage>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include "platform/error.h"
#include <cstdint>
#include <memory>

#include <stdexcept>
#include <string>
#include <vector>

namespace print {

enum class PageOrientation { Portrait = 1, Landscape = 2 };

enum class ScaleUnit {
    User = 0,
    Twips = 1,
    Points = 2,
    Pixels = 3,
    Characters = 4,
    Inches = 5,
    Millimeters = 6,
    Centimeters = 7,
};

// Error numbers, kept stable so callers can tell failures apart.
enum ErrorCode : int {
    errPrinter = 482,
    errNoPrinter = 484,
    errInvalidScale = 380,
    errCancel = 32755,
};

// The engine's and the printer's failures are one type (platform/error.h).
using Error = platform::Error;

// Screen pictures (the chart's) are drawn at 15 twips to the logical pixel.
inline constexpr double TwipsPerPixel = 15.0;
// A picture's own size in twips.
QSizeF pictureTwips(const QImage& picture);

// The Windows faces the reports ask for print in their metric-compatible
// installed faces ("Times New Roman" in Liberation Serif, "Arial" in Liberation
// Sans, "Courier New" in Liberation Mono), so a text measures and centres as
// it would in the face named. Done once; every printer call makes sure of it.
void useMetricCompatibleFaces();

// Width and height (line spacing) of a text in twips, measured the same way
// on every device so layouts do not depend on which printer is current.
QSizeF measureTwips(const QString& text, const QFont& font);

// The pages of one document on its way to a device. Positions are twips from
// the printable area's top-left corner. Destroying a sink that was neither
// finished nor aborted abandons the document: nothing of it is delivered.
class DocumentSink {
public:
    virtual ~DocumentSink() = default;
    virtual void NewPage(PageOrientation orientation) = 0;
    // `at` is the top-left corner of the text's line.
    virtual void Text(QPointF at, const QString& text, const QFont& font) = 0;
    virtual void Line(QPointF from, QPointF to, int widthDots) = 0;
    virtual void Picture(QPointF at, const QImage& picture) = 0;
    virtual void Finish() = 0;
    virtual void Abort() = 0;
};

// One installed printer.
class PrinterDevice {
public:
    virtual ~PrinterDevice() = default;
    virtual QString DeviceName() const = 0;
    virtual QString DriverName() const = 0;
    virtual QString Port() const = 0;
    virtual std::int16_t PaperBin() const { return 7; } // automatic selection
    // The printable area in twips for a page of this orientation.
    virtual QSizeF PrintableTwips(PageOrientation orientation) const = 0;
    // Opens a document whose first page has this orientation; throws Error.
    virtual std::unique_ptr<DocumentSink> Begin(PageOrientation orientation) = 0;
};

// The installed printers and the system's default among them.
class Catalog {
public:
    virtual ~Catalog() = default;
    // Every printer once, in a stable order; the same printer is the same object.
    virtual std::vector<std::shared_ptr<PrinterDevice>> Installed() const = 0;
    // The system's default printer; null when there is none.
    virtual std::shared_ptr<PrinterDevice> Default() const = 0;
};

class Printer {
public:
    explicit Printer(std::shared_ptr<Catalog> catalog);
    ~Printer();
    Printer(const Printer&) = delete;
    Printer& operator=(const Printer&) = delete;

    // Replaces the installed printers (tests, start-up): any open document is
    // abandoned and every setting returns to its initial value.
    void SetCatalog(std::shared_ptr<Catalog> catalog);

    // Installed printers and the current one.
    std::vector<std::shared_ptr<PrinterDevice>> Printers() const;
    // Makes `device` the current printer; an open document is abandoned first.
    void Set(std::shared_ptr<PrinterDevice> device);
    // The current printer; throws Error(errNoPrinter) when none is installed.
    std::shared_ptr<PrinterDevice> Device() const;
    bool HasDevice() const;

    QString DeviceName() const { return Device()->DeviceName(); }
    QString DriverName() const { return Device()->DriverName(); }
    QString Port() const { return Device()->Port(); }
    std::int16_t PaperBin() const { return Device()->PaperBin(); }

    // While true (the initial state) the current printer follows changes of
    // the system's default printer, between documents.
    bool TrackDefault() const { return trackDefault_; }
    void SetTrackDefault(bool track);

    // The orientation of pages begun from now on; within a document it takes
    // effect at the next page.
    PageOrientation Orientation() const { return orientation_; }
    void SetOrientation(PageOrientation orientation) { orientation_ = orientation; }

    ScaleUnit ScaleMode() const { return scaleMode_; }
    // A unit other than User puts the origin back at the printable corner.
    void SetScaleMode(ScaleUnit mode);
    // User scale: (x1, y1) at the printable area's top-left corner, (x2, y2)
    // at its bottom-right corner.
    void Scale(double x1, double y1, double x2, double y2);
    double ScaleLeft() const;
    double ScaleTop() const;
    // The printable area's size in the current scale.
    double ScaleWidth() const;
    double ScaleHeight() const;
    void SetScaleLeft(double v);
    void SetScaleTop(double v);
    void SetScaleWidth(double v);
    void SetScaleHeight(double v);

    double CurrentX() const { return currentX_; }
    double CurrentY() const { return currentY_; }
    void SetCurrentX(double x) { currentX_ = x; }
    void SetCurrentY(double y) { currentY_ = y; }

    QString FontName() const { return font_.family(); }
    double FontSize() const { return font_.pointSizeF(); }
    bool FontBold() const { return font_.bold(); }
    bool FontItalic() const { return font_.italic(); }
    bool FontUnderline() const { return font_.underline(); }
    void SetFontName(const QString& name) { font_.setFamily(name); }
    void SetFontSize(double points);
    void SetFontBold(bool on) { font_.setBold(on); }
    void SetFontItalic(bool on) { font_.setItalic(on); }
    void SetFontUnderline(bool on) { font_.setUnderline(on); }
    QFont Font() const { return font_; }

    // Line width in device dots.
    int DrawWidth() const { return drawWidth_; }
    void SetDrawWidth(int dots) { drawWidth_ = dots < 1 ? 1 : dots; }

    // Prints `text` with its top-left corner at the current position, then
    // moves to the start of the next line (CurrentX to the left edge,
    // CurrentY down by the text's height).
    void Print(const QString& text = QString());
    // Prints `text` and stays on the line, CurrentX just after it.
    void PrintSameLine(const QString& text);
    // Measured in the current font and scale; printing nothing.
    double TextWidth(const QString& text) const;
    double TextHeight(const QString& text) const;
    // A straight line in DrawWidth; the current position moves to (x2, y2).
    void Line(double x1, double y1, double x2, double y2);
    // A line given by its start and a step: from (x, y) to (x + dx, y + dy).
    void LineStep(double x, double y, double dx, double dy) { Line(x, y, x + dx, y + dy); }
    // The picture at its own size with its top-left corner at (x, y).
    void PaintPicture(const QImage& picture, double x, double y);

    // Output begins a document if none is open. Any failure of the device
    // abandons the whole document before the error goes on, so a failed
    // document never merges into the next one.
    void NewPage();
    void EndDoc();
    void KillDoc();
    bool InDocument() const { return sink_ != nullptr; }
    // The number of the page being printed (1 outside a document).
    int Page() const { return page_; }

private:
    void reset();
    void followDefault() const;
    DocumentSink& sink();
    // Ends the document's hold on the printer: the sink leaves it (the caller
    // finishes or abandons it) and the page and position start over.
    std::unique_ptr<DocumentSink> takeSink();
    template<class F> void guarded(F&& step);
    QSizeF printable() const;
    double unitX() const; // twips per horizontal unit
    double unitY() const;
    QPointF toTwips(double x, double y) const;
    void makeUser();

    std::shared_ptr<Catalog> catalog_;
    mutable std::shared_ptr<PrinterDevice> device_;
    mutable QString lastDefault_;
    bool trackDefault_ = true;
    PageOrientation orientation_ = PageOrientation::Portrait;
    PageOrientation pageOrientation_ = PageOrientation::Portrait;
    ScaleUnit scaleMode_ = ScaleUnit::Twips;
    double left_ = 0, top_ = 0, width_ = 1, height_ = 1; // user scale only
    double currentX_ = 0, currentY_ = 0;
    QFont font_;
    int drawWidth_ = 1;
    std::unique_ptr<DocumentSink> sink_;
    int page_ = 1;
};

// The program's printer, over the system's printers and the PDF printer.
Printer& current();

// Keeps a document from outliving an error: unless End() ran, the destructor
// abandons the document. Its constructor abandons any document left open.
class Document {
public:
    explicit Document(Printer& printer);
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;
    void End();

private:
    Printer& printer_;
    bool ended_ = false;
};

} // namespace print
