#include "selectdbase.h"

#include "displayrecord.h"
#include "shell.h"

#include "platform/forms/registry.h"

namespace tellora {

SelectDbase::SelectDbase()
    : Form(FormName)
{
    SetCaption("Select Database");
    SetClientSize(4740, 4920);
    HelpContextID = 30;
    SetFormFont(forms::SansBold975);
    Layout({
        { &Label1, "Label1", "Double click the database you want to open.", { 120, 120, 4500, 495 } },
        { .control = &File1, .name = "File1", .rect = { 480, 720, 3780, 3240 }, .tab = 0, .label = &Label1 },
        { &Command1, "Command1", "Cancel", { 1560, 4200, 1620, 495 }, 1 },
    });
    Label1.SetCentred(true);
    File1.DblClick = [this] { File1_DblClick(); };
    Command1.Click = [this] { Command1_Click(); };
}

void SelectDbase::Form_Load()
{
    // The list is the folder as it is now; files made later show next time.
    File1.SetPattern("*.mdb");
    CentreOnScreen();
    Show();
    File1.setFocus();
}

void SelectDbase::File1_DblClick()
{
    // A maintenance window may be about to change any file of the folder.
    if (MaintenanceLockHeld()) return;
    const QString file = File1.FileName();
    // No file selected (or a name too short to lose ".mdb"): nothing opens.
    if (file.size() < 4) {
        Unload();
        return;
    }
    const QString baseName = file.left(file.size() - 4);
    auto* record = dynamic_cast<DisplayRecord*>(forms::Forms::Load(DisplayRecord::FormName));
    if (!record) {
        // The load step reported the failure and closed itself (and us).
        Unload();
        return;
    }
    // Written only once the load step has ended well.
    record->DatabaseName.SetText(baseName);
}

void SelectDbase::Command1_Click()
{
    Unload();
}

} // namespace tellora
