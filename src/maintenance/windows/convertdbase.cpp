#include "convertdbase.h"

#include "maintenance/scratch.h"

#include "shell/shell.h"

#include "platform/dao/dao.h"
#include "platform/forms/desktop.h"

namespace tellora {

namespace {

const ConverterDescription convertOld {
    ConvertDbase::FormName,
    "Convert Older Database",
    5355,
    6825,
    "Double click the database that you would like to convert to the version 3.50 format.  Running this utility on a "
    "database created with version 3.50 that contains Injection Log data will destroy the Injection data!  Be VERY "
    "careful!!!",
    { 780, 180, 3975, 1695 },
    { 720, 2040, 3975, 255 },
    { 720, 2460, 3975, 3210 },
    { 1620, 5940, 2055, 615 },
    1,
    3,
    0,
    2,
    240,
    ToLayout350,
};

const ConverterDescription convertNew {
    ConvertNewDbase::FormName,
    "Convert Newer Database",
    5190,
    6975,
    "This utility is used to convert databases created in Tellora versions 3.50 and higher to a form which can be "
    "used by Tellora V3.80.  You only need to do this procedure one time for each database.  Double click the "
    "database you wish to convert.",
    { 540, 300, 3915, 1875 },
    { 540, 2400, 4035, 315 },
    { 540, 2880, 4095, 2250 },
    { 1740, 5700, 1635, 735 },
    3,
    1,
    0,
    2,
    0,
    ToCurrentLayout,
};

} // namespace

ConverterWindow::ConverterWindow(const ConverterDescription& d)
    : Form(QString::fromLatin1(d.name))
    , conversion_(d.conversion)
{
    SetCaption(QString::fromLatin1(d.caption));
    SetClientSize(d.width, d.height);
    HelpContextID = d.help;
    SetFormFont(forms::SansBold975);
    Layout({
        { &Label1, "Label1", QString::fromLatin1(d.instruction), d.label, d.labelTab },
        { .control = &Prog, .name = "Prog", .rect = d.prog, .tab = d.progTab, .visible = false },
        { .control = &File1, .name = "File1", .rect = d.list, .tab = d.listTab, .label = &Label1 },
        { &Cancel, "Cancel", "Cancel", d.cancel, d.cancelTab },
    });
    Label1.SetCentred(true);
    Prog.setAccessibleName(QStringLiteral("Conversion progress"));
    File1.DblClick = [this] { File1_DblClick(); };
    Cancel.Click = [this] { Cancel_Click(); };
}

void ConverterWindow::Form_Load()
{
    // Before the list is filled, so a leftover scratch database is never offered.
    try {
        RemoveScratch(QString::fromLatin1(ConversionScratch));
    } catch (const dao::Error& e) {
        forms::MsgBox(QStringLiteral("%1 is left from an earlier conversion and cannot be removed.\n\n%2")
                          .arg(QString::fromLatin1(ConversionScratch), QString::fromStdString(e.Description())));
        Unload();
        return;
    }
    HoldMaintenanceLock(this, true);
    File1.SetPattern("*.mdb");
    CentreOnScreen();
    Show();
    File1.setFocus();
}

void ConverterWindow::Form_Unload()
{
    ReleaseMaintenanceLock(this, true);
}

void ConverterWindow::Cancel_Click()
{
    Unload();
}

void ConverterWindow::File1_DblClick()
{
    // A double-click that chooses no entry takes the failure path too: the
    // empty name cannot be opened, so the message shows and the window closes.
    Prog.SetVisible(true);
    Cancel.setEnabled(false);
    if (MakeWexlo()) CopyData();
    Unload();
}

bool ConverterWindow::MakeWexlo()
{
    try {
        MakeScratchDatabase(conversion_);
        return true;
    } catch (const dao::Error&) {
        forms::MsgBox(QString::fromLatin1(conversion_.failure));
        return false;
    }
}

void ConverterWindow::CopyData()
{
    ConversionProgress progress;
    progress.start = [this](long max) {
        Prog.SetMin(0);
        Prog.SetMax(int(max));
    };
    progress.advance = [this](long row) { Prog.SetValue(int(row)); };
    const ConversionResult result = CopyIntoScratch(conversion_, File1.FileName(), progress);
    if (!result.message.isEmpty()) forms::MsgBox(result.message);
}

ConvertDbase::ConvertDbase()
    : ConverterWindow(convertOld)
{
}

ConvertNewDbase::ConvertNewDbase()
    : ConverterWindow(convertNew)
{
}

} // namespace tellora
