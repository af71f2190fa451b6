#include "deletebydate.h"

#include "shell/displayrecord.h"
#include "shell/shell.h"

#include "platform/dao/dao.h"
#include "platform/forms/desktop.h"
#include "platform/forms/registry.h"

namespace tellora {

using forms::Forms;

DeleteByDate::DeleteByDate()
    : Form(FormName, forms::BorderStyle::FixedDialog)
{
    SetCaption("Delete Records By Date");
    SetClientSize(6135, 3630);
    HelpContextID = 150;
    SetFormFont(forms::SansBold975);
    Layout({
        { &Label1, "Label1", "", { 240, 240, 5655, 1335 }, 0 },
        { .control = &Bdates, .name = "Bdates", .rect = { 2100, 1800, 1935, 360 }, .tab = 1, .label = &Label2 },
        { .control = &Bdate, .name = "Bdate", .rect = { 120, 1800, 1215, 285 }, .tab = 2, .visible = false },
        { &Cancel, "Cancel", "Cancel", { 3480, 2640, 1575, 615 }, 3 },
        { &Delete, "Delete", "Delete", { 1080, 2640, 1575, 615 }, 4 },
        { &Label2, "Label2", DeleteWarning, { 360, 300, 5415, 1215 }, 5 },
    });
    Label1.SetBackColor(forms::RGB(255, 255, 255));
    Label2.SetForeColor(forms::RGB(0, 0, 192));
    Label2.setWordWrap(true);
    Label2.raise();
    Bdates.LostFocus = [this] { Bdates_LostFocus(); };
    Delete.Click = [this] { Delete_Click(); };
    Cancel.Click = [this] { Cancel_Click(); };
}

void DeleteByDate::Form_Load()
{
    SetReadingLocks(false);
    Bdates.SetToday();
    CentreOnScreen();
    Show();
    Bdates.setFocus();
}

void DeleteByDate::Form_Unload()
{
    SetReadingLocks(true);
}

void DeleteByDate::Bdates_LostFocus()
{
    Bdate.SetText(Bdates.Stored());
}

void DeleteByDate::Delete_Click()
{
    auto* record = Forms::Find<DisplayRecord>();
    if (!record || record->Btime.Text().isEmpty()) {
        Unload();
        return;
    }
    const std::string limit = Bdate.Text().toStdString();
    try {
        ReadingsTable readings = OpenReadings();
        dao::Recordset& rs = *readings.rs;
        if (rs.EOF_() || rs.Text("Bdate") > limit) {
            readings.Close();
            forms::MsgBox(NothingToDeleteMessage);
            Unload();
            return;
        }
        bool emptied = false;
        {
            // All or nothing: a failure part way leaves every reading in place.
            dao::Transaction deletion(dao::DefaultWorkspace());
            // The readings dated before the limit are exactly those the index
            // holds ahead of the first one dated on or after it: one statement
            // deletes them all.
            readings.db->DeleteBelow("BLOOD", "Bdate", limit);
            rs.Seek(">=", { limit });
            emptied = rs.NoMatch();
            // The newest reading is the one that stays whether or not the
            // commit goes through, so it can be shown before it.
            if (!emptied) {
                rs.MoveLast();
                record->ShowRecord(rs);
            }
            deletion.Commit();
        }
        if (emptied) record->ClearRecord();
        readings.Close();
        record->AnnounceReading();
    } catch (const dao::Error& e) {
        forms::MsgBox(QString::fromLatin1(DeleteFailedMessage) + QString::fromStdString(e.what()));
    }
    Unload();
}

void DeleteByDate::Cancel_Click()
{
    Unload();
}

} // namespace tellora
