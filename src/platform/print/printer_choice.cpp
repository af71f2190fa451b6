#include "platform/print/printer_choice.h"

#include "platform/print/devices.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace print {

bool PrinterChoiceDialog::ShowPrinter(QWidget* owner)
{
    const std::optional<QString> chosen = Run(owner);
    if (!chosen) {
        if (cancelError_) throw print::CancelError();
        return false;
    }
    deviceName_ = *chosen;
    return true;
}

namespace {

PrinterChoiceFactory& factory()
{
    static PrinterChoiceFactory installed;
    return installed;
}

// With no system printer: choose among the program's printers (the PDF
// printer at least) and, for the PDF printer, its file.
std::optional<QString> runChooser(QWidget* owner, const QString& preset)
{
    QDialog dialog(owner);
    dialog.setWindowTitle(QStringLiteral("Print"));
    auto* form = new QFormLayout(&dialog);

    auto* printers = new QComboBox(&dialog);
    printers->setAccessibleName(QStringLiteral("Printer:"));
    for (const auto& device : current().Printers())
        printers->addItem(device->DeviceName());
    const int at = printers->findText(preset, Qt::MatchFixedString);
    if (at >= 0) printers->setCurrentIndex(at);
    form->addRow(QStringLiteral("Printer:"), printers);

    auto pdf = pdfPrinter();
    auto* file = new QLineEdit(pdf->OutputPath(), &dialog);
    file->setAccessibleName(QStringLiteral("File:"));
    auto* browse = new QPushButton(QStringLiteral("Browse..."), &dialog);
    browse->setAccessibleName(QStringLiteral("Browse..."));
    // The box is as wide as the whole path (within the screen), so the
    // dialog opens showing all of it.
    const auto fitPath = [file] {
        const QFontMetrics fm = file->fontMetrics();
        const int chrome = file->sizeHint().width() - fm.horizontalAdvance(QLatin1Char('x')) * 17;
        int width = fm.horizontalAdvance(file->text()) + chrome + fm.averageCharWidth();
        if (const QScreen* screen = file->screen())
            width = std::min(width, screen->availableGeometry().width() * 3 / 4);
        file->setMinimumWidth(std::max(width, file->sizeHint().width()));
    };
    fitPath();
    QObject::connect(file, &QLineEdit::textChanged, &dialog, fitPath);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(file);
    fileRow->addWidget(browse);
    form->addRow(QStringLiteral("File:"), fileRow);
    QObject::connect(browse, &QPushButton::clicked, &dialog, [&] {
        const QString path = QFileDialog::getSaveFileName(
            &dialog, QStringLiteral("Print to File"), file->text(), QStringLiteral("PDF files (*.pdf)"));
        if (!path.isEmpty()) file->setText(path);
    });
    const auto showFile = [&] {
        const bool isPdf = printers->currentText() == pdf->DeviceName();
        file->setEnabled(isPdf);
        browse->setEnabled(isPdf);
    };
    QObject::connect(printers, &QComboBox::currentIndexChanged, &dialog, showFile);
    showFile();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(QStringLiteral("Cancel"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    dialog.adjustSize();

    if (dialog.exec() != QDialog::Accepted || printers->currentIndex() < 0) return std::nullopt;
    if (printers->currentText() == pdf->DeviceName() && !file->text().trimmed().isEmpty())
        pdf->SetOutputPath(file->text().trimmed());
    return printers->currentText();
}

} // namespace

std::optional<QString> ProgramPrinterChoiceDialog::Run(QWidget* owner)
{
    return runChooser(owner, DeviceName());
}

std::optional<QString> DesktopPrinterChoiceDialog::Run(QWidget* owner)
{
    if (QPrinterInfo::availablePrinters().isEmpty()) return runChooser(owner, DeviceName());

    auto pdf = pdfPrinter();
    QPrinter printer(QPrinter::HighResolution);
    if (DeviceName().compare(pdf->DeviceName(), Qt::CaseInsensitive) == 0) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf->OutputPath());
    } else {
        for (const QPrinterInfo& info : QPrinterInfo::availablePrinters())
            if (info.printerName().compare(DeviceName(), Qt::CaseInsensitive) == 0)
                printer.setPrinterName(info.printerName());
    }
    QPrintDialog dialog(&printer, owner);
    // The program prints whole documents: no selection, no page numbers.
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        if (!printer.outputFileName().isEmpty()) pdf->SetOutputPath(printer.outputFileName());
        return pdf->DeviceName();
    }
    return printer.printerName();
}

std::unique_ptr<PrinterChoiceDialog> createPrinterChoiceDialog()
{
    if (factory()) return factory()();
    return std::make_unique<DesktopPrinterChoiceDialog>();
}

void setPrinterChoiceFactory(PrinterChoiceFactory installed)
{
    factory() = std::move(installed);
}

class ScriptedPrinterChoices::Dialog : public PrinterChoiceDialog {
public:
    explicit Dialog(ScriptedPrinterChoices& script)
        : script_(script)
    {
    }

protected:
    std::optional<QString> Run(QWidget* owner) override
    {
        script_.shown_.push_back(
            { DeviceName(), DriverName(), Port(), PaperBin(), FlagsWritten(), CancelError(), owner });
        if (script_.answers_.empty()) return std::nullopt;
        const Answer answer = script_.answers_.front();
        script_.answers_.pop_front();
        switch (answer.kind) {
        case Kind::Choose:
            return answer.name;
        case Kind::Preset:
            return DeviceName();
        case Kind::Cancel:
            return std::nullopt;
        case Kind::Fail:
            throw Error(errPrinter, "The printer-choice dialog failed.");
        }
        return std::nullopt;
    }

private:
    ScriptedPrinterChoices& script_;
};

ScriptedPrinterChoices::ScriptedPrinterChoices()
{
    setPrinterChoiceFactory([this]() -> std::unique_ptr<PrinterChoiceDialog> {
        if (failCreate_) {
            failCreate_ = false;
            throw Error(errPrinter, "The printer-choice dialog cannot be created.");
        }
        ++created_;
        return std::make_unique<Dialog>(*this);
    });
}

ScriptedPrinterChoices::~ScriptedPrinterChoices()
{
    setPrinterChoiceFactory({});
}

void ScriptedPrinterChoices::Choose(const QString& deviceName)
{
    answers_.push_back({ Kind::Choose, deviceName });
}
void ScriptedPrinterChoices::ConfirmPreset()
{
    answers_.push_back({ Kind::Preset, {} });
}
void ScriptedPrinterChoices::Cancel()
{
    answers_.push_back({ Kind::Cancel, {} });
}
void ScriptedPrinterChoices::Fail()
{
    answers_.push_back({ Kind::Fail, {} });
}
void ScriptedPrinterChoices::FailToCreate()
{
    failCreate_ = true;
}

} // namespace print
