#pragma once
// The frame of the maintenance windows: a file list of the program folder's
// "*.mdb" files, a one-line instruction and "Cancel". The window holds the
// maintenance lock while it is loaded and acts at once on a double-click.
// Each window is a description and its action.
#include "maintenance/backupset.h"
#include "platform/forms/controls.h"
#include "platform/forms/form.h"

namespace tellora {

struct MaintenanceWindowDescription {
    const char* name;
    const char* caption;
    int width, height; // inner area, twips
    const char* instruction;
    forms::Twips labelRect, fileRect, cancelRect;
    int help;
    bool hidesStartPanel = true; // false: the lock leaves the start panel alone
};

class MaintenanceForm : public forms::Form {
    Q_OBJECT
public:
    explicit MaintenanceForm(const MaintenanceWindowDescription& description);

    forms::FileListBox File1;
    forms::Label Label1;
    forms::CommandButton Cancel;

protected:
    // Takes the lock, fills the list, centres and shows the window.
    void Form_Load() override;
    // Releases the lock, however the window closes.
    void Form_Unload() override;
    // The window's action on File1.FileName() (empty when nothing is chosen);
    // it ends by closing the window.
    virtual void File1_DblClick() = 0;
    void Cancel_Click();

private:
    bool hidesStartPanel_;
};

// Tells the user how a backup or a restore ended and puts the pointer back
// (after the message when the copy was never configured, before it otherwise).
void ReportSetCopy(const SetCopy& result, const char* failedText, const char* doneText);

} // namespace tellora
