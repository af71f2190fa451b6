#pragma once
// The real printers: the system's (Qt Print Support) and a PDF file printer
// that is always installed, so a machine with no printer can still print.
#include "platform/print/printer.h"

#include <QPrinterInfo>

#include <map>

namespace print {

// A printer of the system's print service.
class SystemPrinter : public PrinterDevice {
public:
    explicit SystemPrinter(const QPrinterInfo& info);
    QString DeviceName() const override { return info_.printerName(); }
    QString DriverName() const override { return info_.makeAndModel(); }
    QString Port() const override { return info_.location(); }
    QSizeF PrintableTwips(PageOrientation orientation) const override;
    std::unique_ptr<DocumentSink> Begin(PageOrientation orientation) override;

private:
    QPrinterInfo info_;
    QSizeF portrait_;
};

// Writes each document to one PDF file, US Letter with quarter-inch margins.
// The file is replaced only when the document ends; an abandoned document
// leaves whatever file was there before.
class PdfPrinter : public PrinterDevice {
public:
    static QString defaultName() { return QStringLiteral("PDF File"); }
    explicit PdfPrinter(QString outputPath, QString name = defaultName());
    QString DeviceName() const override { return name_; }
    QString DriverName() const override { return QStringLiteral("PDF"); }
    QString Port() const override { return path_; }
    QString OutputPath() const { return path_; }
    void SetOutputPath(const QString& path) { path_ = path; }
    QSizeF PrintableTwips(PageOrientation orientation) const override;
    std::unique_ptr<DocumentSink> Begin(PageOrientation orientation) override;

private:
    QString path_;
    QString name_;
};

// Where the PDF printer writes unless the user chooses a file: Tellora.pdf in
// the desktop's documents folder when that folder exists, else in the home
// folder, so that the file offered can be written as it stands.
QString defaultPdfFile();
// The program's PDF printer (its file is defaultPdfFile() until one is chosen).
std::shared_ptr<PdfPrinter> pdfPrinter();

// The system's printers in the print service's order, then the PDF printer.
// The default is the system's default printer, else the PDF printer.
class SystemCatalog : public Catalog {
public:
    std::vector<std::shared_ptr<PrinterDevice>> Installed() const override;
    std::shared_ptr<PrinterDevice> Default() const override;

private:
    std::shared_ptr<PrinterDevice> wrap(const QPrinterInfo& info) const;
    mutable std::map<QString, std::shared_ptr<PrinterDevice>> known_;
};

std::shared_ptr<Catalog> systemCatalog();

} // namespace print
