#pragma once
// The printer-choice dialog every print command shows first, behind a factory
// so tests script the user's answer instead of waiting on a real dialog.
#include "platform/print/printer.h"

#include <deque>
#include <functional>
#include <optional>

class QWidget;

namespace print {

// A cancel reported as an error, when the dialog is told to do so.
class CancelError : public Error {
public:
    CancelError()
        : Error(errCancel, "Cancel was selected.")
    {
    }
};

// The flag numbers a print command writes into the dialog, each on its own:
// they are the common print dialog's flags, and the dialog is free to keep
// the last one or combine them.
enum PrinterChoiceFlag : std::int32_t {
    // No selection (4) + no page numbers (8) + a device context back (256):
    // every print command prints whole documents of its own making.
    ChoiceWholeDocument = 268,
    // The printer's own copies setting, since the program never asks for copies.
    ChoicePrinterCopies = 262144,
    // The print setup form: the user picks a printer, not what to print.
    ChoicePrintSetup = 64,
};

class PrinterChoiceDialog {
public:
    virtual ~PrinterChoiceDialog() = default;

    // Presets, and after a confirmation the chosen printer's device name.
    QString DeviceName() const { return deviceName_; }
    void SetDeviceName(const QString& name) { deviceName_ = name; }
    QString DriverName() const { return driverName_; }
    void SetDriverName(const QString& name) { driverName_ = name; }
    QString Port() const { return port_; }
    void SetPort(const QString& port) { port_ = port; }
    std::int16_t PaperBin() const { return paperBin_; }
    void SetPaperBin(std::int16_t bin) { paperBin_ = bin; }
    // Each write is kept, in order.
    void SetFlags(std::int32_t flags) { flags_.push_back(flags); }
    const std::vector<std::int32_t>& FlagsWritten() const { return flags_; }
    bool CancelError() const { return cancelError_; }
    void SetCancelError(bool raise) { cancelError_ = raise; }

    // Shows the dialog over `owner` and returns once the user has closed it:
    // true when a printer was confirmed. A cancel returns false, or throws
    // print::CancelError when CancelError is set.
    bool ShowPrinter(QWidget* owner);

protected:
    // The chosen device name, or nothing on a cancel.
    virtual std::optional<QString> Run(QWidget* owner) = 0;

private:
    QString deviceName_, driverName_, port_;
    std::int16_t paperBin_ = 0;
    std::vector<std::int32_t> flags_;
    bool cancelError_ = false;
};

using PrinterChoiceFactory = std::function<std::unique_ptr<PrinterChoiceDialog>()>;

// A new dialog from the installed factory (the desktop's by default).
std::unique_ptr<PrinterChoiceDialog> createPrinterChoiceDialog();
// An empty factory puts the desktop's back.
void setPrinterChoiceFactory(PrinterChoiceFactory factory);

// The desktop's dialog: the system's print dialog where the system has
// printers (its "print to file" choice answers with the PDF printer, whose
// file it sets), else a small chooser among print::current()'s printers.
class DesktopPrinterChoiceDialog : public PrinterChoiceDialog {
protected:
    std::optional<QString> Run(QWidget* owner) override;
};

// The program's own chooser, which the desktop's dialog shows when the system
// has no printer: the program's printers and, for the PDF printer, its file.
class ProgramPrinterChoiceDialog : public PrinterChoiceDialog {
protected:
    std::optional<QString> Run(QWidget* owner) override;
};

// Scripts the dialog for its lifetime: each dialog shown takes the next
// answer; with none left it is cancelled. Every dialog shown is recorded with
// its presets as they stood when it was shown.
class ScriptedPrinterChoices {
public:
    ScriptedPrinterChoices();
    ~ScriptedPrinterChoices();
    ScriptedPrinterChoices(const ScriptedPrinterChoices&) = delete;
    ScriptedPrinterChoices& operator=(const ScriptedPrinterChoices&) = delete;

    void Choose(const QString& deviceName);
    void ConfirmPreset(); // confirm whatever device name the dialog was preset with
    void Cancel();
    void Fail(); // showing the dialog throws print::Error
    void FailToCreate(); // the next dialog cannot even be created

    struct Shown {
        QString deviceName, driverName, port;
        std::int16_t paperBin = 0;
        std::vector<std::int32_t> flags;
        bool cancelError = false;
        QWidget* owner = nullptr;
    };
    const std::vector<Shown>& shown() const { return shown_; }
    int created() const { return created_; }
    int pending() const { return static_cast<int>(answers_.size()); }

private:
    class Dialog;
    enum class Kind { Choose, Preset, Cancel, Fail };
    struct Answer {
        Kind kind;
        QString name;
    };
    std::deque<Answer> answers_;
    std::vector<Shown> shown_;
    int created_ = 0;
    bool failCreate_ = false;
};

} // namespace print
