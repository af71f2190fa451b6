#include "searchrds.h"

#include "shell/displayrecord.h"
#include "shell/shell.h"

#include "platform/dao/dao.h"
#include "platform/forms/desktop.h"
#include "platform/forms/registry.h"

namespace tellora {

using forms::Forms;

SearchRds::SearchRds()
    : Form(FormName, forms::BorderStyle::FixedDialog)
{
    SetCaption("Search Records");
    SetClientSize(4680, 2520);
    HelpContextID = 90;
    Layout({
        { .control = &Bdates, .name = "Bdates", .rect = { 1320, 840, 1935, 360 }, .tab = 0, .label = &Label1 },
        { .control = &Label1,
            .name = "Label1",
            .caption = "Select a date to search.",
            .rect = { 480, 240, 3735, 375 },
            .tab = 1,
            .font = forms::SansBold975 },
        { .control = &Search,
            .name = "Search",
            .caption = "Search",
            .rect = { 480, 1560, 1575, 615 },
            .tab = 2,
            .font = forms::SansBold975 },
        { .control = &CancelSearch,
            .name = "CancelSearch",
            .caption = "Cancel",
            .rect = { 2640, 1560, 1575, 615 },
            .tab = 3,
            .font = forms::SansBold975 },
        { .control = &Bdate, .name = "Bdate", .rect = { 120, 120, 1215, 285 }, .visible = false },
    });
    Label1.SetCentred(true);
    Bdate.SetLocked(true);
    Bdates.LostFocus = [this] { Bdates_LostFocus(); };
    Search.Click = [this] { Search_Click(); };
    CancelSearch.Click = [this] { CancelSearch_Click(); };
}

void SearchRds::Form_Load()
{
    SetReadingLocks(false);
    Bdates.SetToday();
    CentreOnScreen();
    Show();
    Bdates.setFocus();
}

void SearchRds::Form_Unload()
{
    SetReadingLocks(true);
}

void SearchRds::Bdates_LostFocus()
{
    Bdate.SetText(Bdates.Stored());
}

void SearchRds::Search_Click()
{
    bool found = false;
    try {
        ReadingsTable readings = OpenReadings();
        readings.rs->Seek(">=", { Bdate.Text().toStdString() });
        if (!readings.rs->NoMatch()) {
            found = true;
            if (auto* record = Forms::Find<DisplayRecord>()) {
                record->ShowRecord(*readings.rs);
                record->AnnounceReading();
            }
        }
        readings.Close();
    } catch (const dao::Error& e) {
        forms::MsgBox(QString::fromLatin1(SearchFailedMessage) + QString::fromStdString(e.what()));
        return;
    }
    if (!found) {
        forms::Beep();
        forms::MsgBox(NothingFoundMessage);
        return;
    }
    Unload();
}

void SearchRds::CancelSearch_Click()
{
    Unload();
}

} // namespace tellora
