#include "maintenanceform.h"

#include "shell/shell.h"

#include "platform/forms/desktop.h"

namespace tellora {

MaintenanceForm::MaintenanceForm(const MaintenanceWindowDescription& d)
    : Form(QString::fromUtf8(d.name))
    , hidesStartPanel_(d.hidesStartPanel)
{
    SetCaption(QString::fromUtf8(d.caption));
    SetClientSize(d.width, d.height);
    HelpContextID = d.help;
    SetFormFont(forms::SansBold975);
    Layout({
        { .control = &File1, .name = "File1", .rect = d.fileRect, .tab = 0, .label = &Label1 },
        { &Label1, "Label1", QString::fromUtf8(d.instruction), d.labelRect, 1 },
        { &Cancel, "Cancel", "Cancel", d.cancelRect, 2 },
    });
    Label1.SetCentred(true);
    File1.DblClick = [this] { File1_DblClick(); };
    Cancel.Click = [this] { Cancel_Click(); };
}

void MaintenanceForm::Form_Load()
{
    HoldMaintenanceLock(this, hidesStartPanel_);
    // The folder as it is now; files made later show at the next opening.
    File1.SetPattern("*.mdb");
    CentreOnScreen();
    Show();
    File1.setFocus();
}

void MaintenanceForm::Form_Unload()
{
    ReleaseMaintenanceLock(this, hidesStartPanel_);
}

void MaintenanceForm::Cancel_Click()
{
    Unload();
}

void ReportSetCopy(const SetCopy& result, const char* failedText, const char* doneText)
{
    switch (result.outcome) {
    case SetCopy::Outcome::NotConfigured:
        forms::MsgBox("You must run the Configure routine first.");
        forms::SetMousePointer(forms::vbDefault);
        break;
    case SetCopy::Outcome::Failed:
        forms::SetMousePointer(forms::vbDefault);
        forms::MsgBox(failedText);
        break;
    case SetCopy::Outcome::Done:
        forms::SetMousePointer(forms::vbDefault);
        forms::MsgBox(doneText);
        break;
    }
}

} // namespace tellora
