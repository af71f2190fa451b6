#include "choose_printer.h"

#include "platform/print/printer.h"
#include "platform/print/printer_choice.h"

namespace tellora {

bool ChoosePrinter(QWidget* owner)
{
    try {
        print::Printer& p = print::current();
        auto dialog = print::createPrinterChoiceDialog();
        if (!dialog) return false;
        dialog->SetDeviceName(p.DeviceName());
        dialog->SetDriverName(p.DriverName());
        dialog->SetPort(p.Port());
        dialog->SetPaperBin(p.PaperBin());
        dialog->SetFlags(print::ChoiceWholeDocument);
        // From the first print command on, the program keeps its own printer
        // whatever the user later makes the system's default.
        p.SetTrackDefault(false);
        dialog->SetFlags(print::ChoicePrinterCopies);
        dialog->SetFlags(print::ChoicePrintSetup);
        dialog->SetCancelError(true);
        if (!dialog->ShowPrinter(owner)) return false;
        const QString chosen = dialog->DeviceName().toUpper();
        if (chosen == p.DeviceName()) return true;
        // Names that differ only in case are one printer; the last match wins.
        for (const auto& device : p.Printers())
            if (device->DeviceName().toUpper() == chosen) p.Set(device);
        return true;
    } catch (const print::Error&) {
        // No printer installed, a cancel or a failing dialog ends the command quietly.
        return false;
    }
}

} // namespace tellora
