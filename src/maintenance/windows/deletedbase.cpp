#include "deletedbase.h"

#include "maintenance/backupset.h"

#include "platform/forms/desktop.h"

namespace tellora {

namespace {
const MaintenanceWindowDescription description {
    .name = DeleteDbase::FormName,
    .caption = "Delete Database",
    .width = 5565,
    .height = 4650,
    .instruction = "Double click the database you  would like to delete.",
    .labelRect = { 120, 300, 5415, 315 },
    .fileRect = { 360, 780, 4875, 2490 },
    .cancelRect = { 2100, 3720, 1395, 495 },
    .help = 310,
};
} // namespace

DeleteDbase::DeleteDbase()
    : MaintenanceForm(description)
{
}

void DeleteDbase::File1_DblClick()
{
    const QString chosen = File1.FileName();
    // Nothing chosen: nothing to delete.
    if (!chosen.isEmpty()) {
        const SetDeletion result = DeleteSet(chosen);
        if (!result.ok() && !result.failed.isEmpty())
            forms::MsgBox(QStringLiteral("%1 could not be deleted.  Close any program that uses it and try again.")
                              .arg(result.failed.join(QStringLiteral(", "))),
                forms::Buttons::OK, forms::Icon::Exclamation);
    }
    Unload();
}

} // namespace tellora
