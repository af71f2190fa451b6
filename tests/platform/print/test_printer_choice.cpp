// The scripted printer-choice dialog, and the choice step the print commands
// build over it (preset from the current printer, match by upper-cased name).
#include "platform/print/printer_choice.h"
#include "platform/print/recording_printer.h"

#include "platform/print/devices.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

using namespace print;

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << s.toStdString();
}

namespace {

// The print commands' choice step as they will write it over the platform.
bool choosePrinter(QWidget* owner)
{
    std::unique_ptr<PrinterChoiceDialog> dialog;
    Printer& printer = current();
    try {
        dialog = createPrinterChoiceDialog();
        dialog->SetDeviceName(printer.DeviceName());
        dialog->SetDriverName(printer.DriverName());
        dialog->SetPort(printer.Port());
        dialog->SetPaperBin(printer.PaperBin());
        dialog->SetFlags(268);
        printer.SetTrackDefault(false);
        dialog->SetFlags(262144);
        dialog->SetFlags(64);
        dialog->SetCancelError(true);
        if (!dialog->ShowPrinter(owner)) return false;
        const QString chosen = dialog->DeviceName().toUpper();
        if (chosen != printer.DeviceName())
            for (const auto& device : printer.Printers())
                if (device->DeviceName().toUpper() == chosen) printer.Set(device);
        return true;
    } catch (...) {
        return false;
    }
}

struct ChoiceTest : ::testing::Test {
    std::shared_ptr<RecordingPrinter> office = std::make_shared<RecordingPrinter>("Office", "drvA", "LPT1:");
    std::shared_ptr<RecordingPrinter> officeUpper = std::make_shared<RecordingPrinter>("OFFICE", "drvB", "LPT2:");
    std::shared_ptr<RecordingPrinter> lab = std::make_shared<RecordingPrinter>("Lab Laser", "drvC", "USB1:");
    std::shared_ptr<FixedCatalog> installed
        = std::make_shared<FixedCatalog>(std::vector<std::shared_ptr<PrinterDevice>> { office, lab, officeUpper }, 1);
    ScopedCatalog catalog { installed };
    ScriptedPrinterChoices choices;
    QWidget owner;
};

TEST_F(ChoiceTest, TheDialogIsPresetFromTheCurrentPrinterAndRecorded)
{
    lab->SetPaperBin(15);
    choices.ConfirmPreset();
    EXPECT_TRUE(choosePrinter(&owner));
    ASSERT_EQ(choices.shown().size(), 1u);
    const auto& shown = choices.shown()[0];
    EXPECT_EQ(shown.deviceName, "Lab Laser");
    EXPECT_EQ(shown.driverName, "drvC");
    EXPECT_EQ(shown.port, "USB1:");
    EXPECT_EQ(shown.paperBin, 15);
    EXPECT_EQ(shown.flags, (std::vector<std::int32_t> { 268, 262144, 64 }));
    EXPECT_TRUE(shown.cancelError);
    EXPECT_EQ(shown.owner, &owner);
    EXPECT_EQ(current().Device(), lab);
}

struct ChoiceCase {
    const char* name;
    std::function<void(ScriptedPrinterChoices&)> answer;
    bool goesOn;
    const char* current; // device name afterwards
    bool dialogCreated = true; // the default printer stops being followed once a dialog exists
};

class ChoiceAnswers : public ChoiceTest, public ::testing::WithParamInterface<ChoiceCase> { };

TEST_P(ChoiceAnswers, DecideTheCurrentPrinter)
{
    GetParam().answer(choices);
    EXPECT_EQ(choosePrinter(&owner), GetParam().goesOn);
    EXPECT_EQ(current().DeviceName(), GetParam().current);
    EXPECT_EQ(current().TrackDefault(), !GetParam().dialogCreated);
    if (GetParam().dialogCreated) {
        installed->SetDefault(0); // the system's default no longer moves the program's printer
        EXPECT_EQ(current().DeviceName(), GetParam().current);
    }
    EXPECT_EQ(office->DocumentsBegun() + lab->DocumentsBegun() + officeUpper->DocumentsBegun(), 0);
}

INSTANTIATE_TEST_SUITE_P(Answers, ChoiceAnswers,
    ::testing::Values(ChoiceCase { "cancel", [](auto& s) { s.Cancel(); }, false, "Lab Laser" },
        ChoiceCase { "unscripted_is_cancel", [](auto&) {}, false, "Lab Laser" },
        ChoiceCase { "dialog_fails", [](auto& s) { s.Fail(); }, false, "Lab Laser" },
        ChoiceCase { "cannot_create", [](auto& s) { s.FailToCreate(); }, false, "Lab Laser", false },
        ChoiceCase { "another_printer", [](auto& s) { s.Choose("Lab Laser"); }, true, "Lab Laser" },
        ChoiceCase { "case_differs_last_match_wins", [](auto& s) { s.Choose("office"); }, true, "OFFICE" },
        ChoiceCase { "no_match_keeps_current", [](auto& s) { s.Choose("Gone"); }, true, "Lab Laser" },
        ChoiceCase { "empty_name_keeps_current", [](auto& s) { s.Choose(""); }, true, "Lab Laser" }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChoiceTest, ACancelWithoutCancelErrorReturnsFalseAndWithItThrows)
{
    choices.Cancel();
    choices.Cancel();
    auto quiet = createPrinterChoiceDialog();
    EXPECT_FALSE(quiet->ShowPrinter(nullptr));
    auto raising = createPrinterChoiceDialog();
    raising->SetCancelError(true);
    try {
        raising->ShowPrinter(nullptr);
        FAIL() << "no error";
    } catch (const CancelError& e) {
        EXPECT_EQ(e.Number(), errCancel);
    }
    EXPECT_EQ(choices.created(), 2);
    EXPECT_EQ(choices.pending(), 0);
}

TEST_F(ChoiceTest, TheNextDialogIsPresetWithTheLastChoice)
{
    choices.Choose("office");
    choices.Cancel();
    EXPECT_TRUE(choosePrinter(&owner));
    EXPECT_FALSE(choosePrinter(&owner));
    ASSERT_EQ(choices.shown().size(), 2u);
    EXPECT_EQ(choices.shown()[1].deviceName, "OFFICE");
    EXPECT_EQ(choices.shown()[1].driverName, "drvB");
}

TEST(ChoiceFactory, ScriptsAreUninstalledWithTheirGuard)
{
    {
        ScriptedPrinterChoices choices;
        EXPECT_EQ(choices.created(), 0);
        (void)createPrinterChoiceDialog();
        EXPECT_EQ(choices.created(), 1);
    }
    auto desktop = createPrinterChoiceDialog();
    EXPECT_NE(dynamic_cast<DesktopPrinterChoiceDialog*>(desktop.get()), nullptr);
}

// The program's own dialog (no system printer) opens showing every control at
// its size and the whole path of the PDF file.
TEST(ProgramChooser, OpensShowingEveryControlAndTheWholePath)
{
    auto pdf = pdfPrinter();
    const QString before = pdf->OutputPath();
    auto office = std::make_shared<RecordingPrinter>("Office", "drvA", "LPT1:");
    ScopedCatalog catalog { std::make_shared<FixedCatalog>(
        std::vector<std::shared_ptr<PrinterDevice>> { office, pdf }, 1) };
    for (const QString& path : { QString("/root/Documents/Tellora.pdf"),
             QString("/home/ann/Documents/Health/Readings of 2024/Tellora.pdf") }) {
        SCOPED_TRACE(path.toStdString());
        pdf->SetOutputPath(path);
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            seen = true;
            EXPECT_GE(dialog->width(), dialog->sizeHint().width());
            EXPECT_GE(dialog->height(), dialog->sizeHint().height());
            for (QWidget* control : dialog->findChildren<QWidget*>()) {
                if (!control->isVisible() || (!control->inherits("QAbstractButton") && !control->inherits("QComboBox")))
                    continue;
                EXPECT_GE(control->width(), control->sizeHint().width()) << control->metaObject()->className();
                EXPECT_GE(control->height(), control->minimumSizeHint().height()) << control->metaObject()->className();
            }
            const auto boxes = dialog->findChildren<QLineEdit*>();
            ASSERT_EQ(boxes.size(), 1);
            QLineEdit* file = boxes.front();
            EXPECT_EQ(file->text(), path);
            // The room the box gives its text, as the box itself lays it out.
            QStyleOptionFrame option;
            option.initFrom(file);
            option.lineWidth = file->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, file);
            const QRect text = file->style()->subElementRect(QStyle::SE_LineEditContents, &option, file);
            EXPECT_GE(text.width() - 4, file->fontMetrics().horizontalAdvance(path));
            dialog->reject();
        });
        ProgramPrinterChoiceDialog dialog;
        dialog.SetDeviceName(pdf->DeviceName());
        EXPECT_FALSE(dialog.ShowPrinter(nullptr));
        EXPECT_TRUE(seen);
    }
    pdf->SetOutputPath(before);
}

} // namespace
