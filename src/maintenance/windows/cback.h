#pragma once
// "Configure Backup": shows the stored backup folder and saves the one chosen
// in the folder browser Brow into BACKUP.CFG. Holds the maintenance lock.
#include "platform/forms/controls.h"
#include "platform/forms/drivelist.h"
#include "platform/forms/form.h"

namespace tellora {

class Cback : public forms::Form {
    Q_OBJECT
public:
    static constexpr const char* FormName = "Cback";
    Cback();

    forms::Label Label1;
    forms::CommandButton Browse;
    forms::TextBox Bpath;
    forms::CommandButton SaveCon;
    forms::CommandButton CancelCon;

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    void Browse_Click();
    void SaveCon_Click();
    void CancelCon_Click();
};

// "Browse For Backup Folder": a drive list and a folder list; "OK" puts the
// opened folder into Cback's path box. Holds no lock.
class Brow : public forms::Form {
    Q_OBJECT
public:
    static constexpr const char* FormName = "Brow";
    Brow();

    forms::DriveListBox Drive1;
    forms::DirListBox Dir1;
    forms::TextBox Text1;
    forms::CommandButton Save;
    forms::CommandButton CancelBrowse;

protected:
    void Form_Load() override;

private:
    void Drive1_Change();
    void Dir1_Change();
    void Save_Click();
    void CancelBrowse_Click();
};

} // namespace tellora
