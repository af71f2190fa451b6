#pragma once
// Whether an open window holds the readings: while it does, DisplayRecord and
// the main window's three top menus are all locked; afterwards all are free.
#include "platform/forms/registry.h"
#include "shell/displayrecord.h"
#include "shell/mdistart.h"

namespace testsupport {

inline bool Locked()
{
    const auto* main = forms::Forms::Find<tellora::MDIStart>();
    const auto* record = forms::Forms::Find<tellora::DisplayRecord>();
    return !record->Enabled() && !main->mnuFile.Enabled() && !main->mnuUtilities.Enabled()
        && !main->mnuGraphs.Enabled();
}

inline bool Unlocked()
{
    const auto* main = forms::Forms::Find<tellora::MDIStart>();
    const auto* record = forms::Forms::Find<tellora::DisplayRecord>();
    return record->Enabled() && main->mnuFile.Enabled() && main->mnuUtilities.Enabled() && main->mnuGraphs.Enabled();
}

} // namespace testsupport
