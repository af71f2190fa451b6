#include "cback.h"

#include "maintenance/backupconfig.h"
#include "shell/shell.h"

#include "platform/forms/desktop.h"
#include "platform/forms/registry.h"

namespace tellora {

Cback::Cback()
    : Form(FormName)
{
    SetCaption("Configure Backup");
    SetClientSize(6015, 2895);
    HelpContextID = 210;
    SetFormFont(forms::SansBold975);
    Layout({
        { &Label1, "Label1", "Browse for the path to your backup location below.", { 360, 360, 5295, 255 }, 0 },
        { &Browse, "Browse", "Browse", { 4320, 720, 1455, 495 }, 1 },
        { .control = &Bpath, .name = "Bpath", .rect = { 120, 1320, 5775, 360 }, .tab = 2, .label = &Label1 },
        { &SaveCon, "SaveCon", "Save", { 840, 1920, 1695, 615 }, 3 },
        { &CancelCon, "CancelCon", "Cancel", { 3360, 1920, 1695, 615 }, 4 },
    });
    // No length limit on the box: a path too long to store is refused at
    // "Save", never cut.
    Bpath.SetLocked(true);
    Bpath.SetBackColor(forms::RGB(192, 192, 255));
    Browse.Click = [this] { Browse_Click(); };
    SaveCon.Click = [this] { SaveCon_Click(); };
    CancelCon.Click = [this] { CancelCon_Click(); };
}

void Cback::Form_Load()
{
    const BackupConfig config = ReadBackupConfig();
    if (config.state == BackupConfig::State::Read)
        Bpath.SetText(config.path);
    CentreOnScreen();
    Show();
    HoldMaintenanceLock(this, true);
    if (config.state == BackupConfig::State::Unreadable)
        forms::MsgBox("The backup configuration (BACKUP.CFG) cannot be read.  Choose the backup folder again and "
                      "save it.",
            forms::Buttons::OK, forms::Icon::Exclamation);
}

void Cback::Form_Unload()
{
    ReleaseMaintenanceLock(this, true);
    // The browser only ever serves this window.
    forms::Forms::Unload(Brow::FormName);
}

void Cback::Browse_Click() { forms::Forms::Load(Brow::FormName); }

void Cback::SaveCon_Click()
{
    const QString path = Bpath.Text();
    if (path.isEmpty())
        return;
    if (const BackupPathProblem problem = CheckBackupPath(path); problem != BackupPathProblem::None) {
        forms::MsgBox(BackupPathMessage(problem), forms::Buttons::OK, forms::Icon::Exclamation);
        return;
    }
    if (const files::Result saved = SaveBackupPath(path); !saved) {
        forms::MsgBox(QStringLiteral("The backup configuration could not be saved.  %1").arg(saved.error),
            forms::Buttons::OK, forms::Icon::Exclamation);
        return;
    }
    Unload();
}

void Cback::CancelCon_Click() { Unload(); }

Brow::Brow()
    : Form(FormName)
{
    SetCaption("Browse For Backup Folder");
    SetClientSize(6180, 5475);
    HelpContextID = 210;
    SetFormFont(forms::SansBold975);
    Layout({
        { &Drive1, "Drive1", "Drive", { 360, 480, 5535, 360 }, 0 },
        { &Dir1, "Dir1", "Folder", { 360, 840, 5535, 2790 }, 1 },
        { .control = &Text1, .name = "Text1", .rect = { 360, 3600, 5535, 375 } },
        { &Save, "Save", "OK", { 1200, 4200, 1695, 615 }, 2 },
        { &CancelBrowse, "CancelBrowse", "Cancel", { 3360, 4200, 1695, 615 }, 3 },
    });
    Text1.setAccessibleName("Chosen folder");
    Text1.SetLocked(true);
    Text1.setFocusPolicy(Qt::NoFocus);
    Text1.SetForeColor(forms::RGB(255, 255, 255));
    Text1.SetBackColor(forms::RGB(0, 0, 0));
    Drive1.Change = [this] { Drive1_Change(); };
    Dir1.Change = [this] { Dir1_Change(); };
    Save.Click = [this] { Save_Click(); };
    CancelBrowse.Click = [this] { CancelBrowse_Click(); };
}

void Brow::Form_Load()
{
    CentreOnScreen();
    Show();
}

void Brow::Dir1_Change() { Text1.SetText(Dir1.Path()); }

void Brow::Drive1_Change()
{
    // Moves to the drive's current folder, which the folder change shows.
    if (Dir1.SetPath(Drive1.Drive())) {
        Dir1.setFocus();
        return;
    }
    forms::MsgBox("The drive you have selected is invalid.", forms::Buttons::OK, forms::Icon::None,
        forms::ProgramTitle);
    // Back at the current drive and folder, as a fresh browser starts.
    Unload();
    forms::Forms::Load(FormName);
}

void Brow::Save_Click()
{
    const QString chosen = Text1.Text();
    auto* cback = forms::Forms::Load<Cback>();
    if (cback)
        cback->Bpath.SetText(chosen);
    Unload();
}

void Brow::CancelBrowse_Click() { Unload(); }

} // namespace tellora
