#include "displayrecord.h"

#include "bloodmenu.h"
#include "creation.h"
#include "format.h"
#include "mdistart.h"
#include "selectdbase.h"
#include "shell.h"

#include "platform/dao/dao.h"
#include "platform/forms/accessible.h"
#include "platform/forms/desktop.h"
#include "platform/forms/registry.h"

#include "reading.h"

#include <QTimer>

#include <algorithm>
#include <array>

namespace tellora {

using forms::Forms;

namespace {
const forms::FontSpec HelpFont { QStringLiteral("MS Sans Serif"), 12, true };
const forms::FontSpec HeadingFont { QStringLiteral("MS Sans Serif"), 9.75, true, true };
const forms::FontSpec DefaultFont {};

// Column and row positions, in twips.
constexpr int labelL = 240, labelW = 1815, boxL = 2160, boxW = 2415;
constexpr int rlabelL = 5880, rlabelW = 1935, rboxL = 7920, rboxW = 2535;
constexpr int boxH = 375, labelH = 255;
constexpr int row(int i)
{
    return 1200 + 480 * i;
}
constexpr int buttonH = 615;
} // namespace

DisplayRecord::DisplayRecord()
    : Form(FormName)
{
    SetCaption("Current Reading");
    SetClientSize(10710, 7155);
    HelpContextID = 30;
    SetFormFont(forms::SansBold975);
    // Five stepping buttons across, then two rows of three.
    constexpr int smallW = 1095, wideW = 2295, gap = 120;
    constexpr int row1 = 4680, row2 = 5460, row3 = 6240;
    constexpr int x0 = (10710 - (2 * smallW + 3 * wideW + 4 * gap)) / 2;
    constexpr int bigW = 2895, bigGap = 240, x1 = (10710 - (3 * bigW + 2 * bigGap)) / 2;
    Layout({
        { .control = &Label9,
            .name = "Label9",
            .caption = "Press the F1 key if you need Help",
            .rect = { 2400, 120, 5910, 375 },
            .font = HelpFont },
        { &lblDatabase, "lblDatabase", "Database now open:", { 2160, 645, 2295, labelH } },
        { .control = &DatabaseName, .name = "DatabaseName", .rect = { 4560, 600, 3615, boxH }, .label = &lblDatabase },

        { &lblDate, "lblDate", "Date:", { labelL, row(0) + 45, labelW, labelH } },
        { .control = &Bdates, .name = "Bdates", .rect = { boxL, row(0), boxW, boxH }, .label = &lblDate },
        { .control = &Bdate,
            .name = "Bdate",
            .rect = { 4680, row(0), 1095, boxH },
            .font = DefaultFont,
            .visible = false },
        { &lblTime, "lblTime", "Time:", { labelL, row(1) + 45, labelW, labelH } },
        { .control = &Btime, .name = "Btime", .rect = { boxL, row(1), boxW, boxH }, .label = &lblTime },
        { &lblSugar, "lblSugar", "Blood Sugar:", { labelL, row(2) + 45, labelW, labelH } },
        { .control = &Bsugar, .name = "Bsugar", .rect = { boxL, row(2), boxW, boxH }, .label = &lblSugar },
        { &lblPressure, "lblPressure", "Blood Pressure:", { labelL, row(3) + 45, labelW, labelH } },
        { .control = &Bpressure, .name = "Bpressure", .rect = { boxL, row(3), 735, boxH }, .label = &lblPressure },
        { &lblSystolic, "lblSystolic", "systolic", { 2955, row(3) + 45, 855, labelH } },
        { .control = &Dpressure, .name = "Dpressure", .rect = { 3840, row(3), 735, boxH }, .label = &lblDiastolic },
        { &lblDiastolic, "lblDiastolic", "diastolic", { 4620, row(3) + 45, 1095, labelH } },
        { &lblPulse, "lblPulse", "Pulse:", { labelL, row(4) + 45, labelW, labelH } },
        { .control = &Bpulse, .name = "Bpulse", .rect = { boxL, row(4), boxW, boxH }, .label = &lblPulse },
        { &lblWeight, "lblWeight", "Weight:", { labelL, row(5) + 45, labelW, labelH } },
        { .control = &Bweight, .name = "Bweight", .rect = { boxL, row(5), boxW, boxH }, .label = &lblWeight },
        { &lblComments, "lblComments", "Comments:", { labelL, row(6) + 45, labelW, labelH } },
        { .control = &Bcomm, .name = "Bcomm", .rect = { boxL, row(6), 8295, boxH }, .label = &lblComments },

        { &lblTemp, "lblTemp", "Temperature:", { rlabelL, row(0) + 45, rlabelW, labelH } },
        { .control = &Temp, .name = "Temp", .rect = { rboxL, row(0), rboxW, boxH }, .tab = 12, .label = &lblTemp },
        { &lblSpo2, "lblSpo2", "SPO2:", { rlabelL, row(1) + 45, rlabelW, labelH } },
        { .control = &Spo2, .name = "Spo2", .rect = { rboxL, row(1), rboxW, boxH }, .tab = 13, .label = &lblSpo2 },
        { .control = &lblInsulin,
            .name = "lblInsulin",
            .caption = "Insulin Dosage Information",
            .rect = { rlabelL, row(2) + 45, 4575, labelH },
            .font = HeadingFont },
        { &lblInstype, "lblInstype", "Insulin Injected:", { rlabelL, row(3) + 45, rlabelW, labelH } },
        { .control = &Instype, .name = "Instype", .rect = { rboxL, row(3), rboxW, boxH }, .label = &lblInstype },
        { &lblInsamt, "lblInsamt", "Dosage:", { rlabelL, row(4) + 45, rlabelW, labelH } },
        { .control = &Insamt, .name = "Insamt", .rect = { rboxL, row(4), rboxW, boxH }, .label = &lblInsamt },
        { &lblSite, "lblSite", "Injection Site:", { rlabelL, row(5) + 45, rlabelW, labelH } },
        { .control = &Site, .name = "Site", .rect = { rboxL, row(5), rboxW, boxH }, .label = &lblSite },

        { &FirstRecord, "FirstRecord", "<<", { x0, row1, smallW, buttonH }, 11, 0, {},
            "Show the first reading in the database." },
        { &PreviousRecord, "PreviousRecord", "Previous Record", { x0 + smallW + gap, row1, wideW, buttonH }, 3, 0, {},
            "Display the previous record." },
        { &Search, "Search", "Search", { x0 + smallW + wideW + 2 * gap, row1, wideW, buttonH }, 2, 90, {},
            "Search by date." },
        { &NextRecord, "NextRecord", "Next Record", { x0 + smallW + 2 * wideW + 3 * gap, row1, wideW, buttonH }, 1, 0,
            {}, "Display the next reading." },
        { &LastRecord, "LastRecord", ">>", { x0 + smallW + 3 * wideW + 4 * gap, row1, smallW, buttonH }, 10, 0, {},
            "Show the last reading in the database." },
        { &Edit, "Edit", "Edit Reading", { x1, row2, bigW, buttonH }, 6, 60, {}, "Edit the displayed record." },
        { &Delete, "Delete", "Delete Reading", { x1 + bigW + bigGap, row2, bigW, buttonH }, 5, 80, {},
            "Delete the current record." },
        { &AddReadings, "AddReadings", "Add Readings", { x1 + 2 * (bigW + bigGap), row2, bigW, buttonH }, 4, 50, {},
            "Add new readings to the database." },
        { &PrintToScreen, "PrintToScreen", "Print To Screen", { x1, row3, bigW, buttonH }, 9, 100, {},
            "Print all records, from the one displayed, to the screen." },
        { &Command1, "Command1", "Close Database", { x1 + bigW + bigGap, row3, bigW, buttonH }, 8, 110, {},
            "Close the current database." },
        { &PrintReport, "PrintReport", "Print Report", { x1 + 2 * (bigW + bigGap), row3, bigW, buttonH }, 7, 200, {},
            "Prints the report from the record displayed." },
    });
    // The heading names both pressure boxes; the word behind each tells them apart.
    LabelBox(Bpressure, { &lblPressure, &lblSystolic });
    LabelBox(Dpressure, { &lblPressure, &lblDiastolic });
    Label9.SetForeColor(forms::RGB(0, 0, 192));
    Label9.SetCentred(true);
    lblInsulin.SetCentred(true);
    const QColor buttonFace = palette().color(QPalette::Button);
    for (forms::TextBox* box : { &DatabaseName, &Bdates, &Bdate, &Btime, &Bsugar, &Bpressure, &Dpressure, &Bpulse,
             &Bweight, &Bcomm, &Temp, &Spo2, &Instype, &Insamt, &Site }) {
        box->SetLocked(true);
        if (box != &Bdate) box->SetBackColor(buttonFace);
    }
    for (forms::TextBox* box : { &Instype, &Insamt, &Site })
        box->SetMaxLength(DesignLimit(*box));
    // A blind user reads the reading box by box; the keyboard alone keeps the
    // Tab order as drawn.
    forms::TabStopsWhileReading(Spo2,
        { &DatabaseName, &Bdates, &Btime, &Bsugar, &Bpressure, &Dpressure, &Bpulse, &Bweight, &Bcomm, &Instype, &Insamt,
            &Site });

    FirstRecord.Click = [this] { FirstRecord_Click(); };
    LastRecord.Click = [this] { LastRecord_Click(); };
    PreviousRecord.Click = [this] { PreviousRecord_Click(); };
    NextRecord.Click = [this] { NextRecord_Click(); };
    Delete.Click = [this] { Delete_Click(); };
    Command1.Click = [this] { Command1_Click(); };
    AddReadings.Click = [this] { AddReadings_Click(); };
    Edit.Click = [this] { Edit_Click(); };
    Search.Click = [this] { Search_Click(); };
    PrintToScreen.Click = [this] { PrintToScreen_Click(); };
    PrintReport.Click = [this] { PrintReport_Click(); };
}

void DisplayRecord::SetMenuState(bool databaseOpen)
{
    auto* main = Forms::Find<MDIStart>();
    if (!main) return;
    for (const auto& entry : MDIStart::StateEntries())
        main->Menu[entry.name].SetEnabled(databaseOpen ? entry.enabledWhenOpen : !entry.enabledWhenOpen);
}

void DisplayRecord::Form_Load()
{
    try {
        SetStartPanelVisible(false);
        SetMenuState(true);
        auto* select = Forms::Find<SelectDbase>();
        if (!select) throw dao::Error(dao::errInvalidArgument, "no database chosen");
        {
            ReadingsTable readings = OpenReadings();
            // A file of an older layout (or another program's) takes the
            // failure path, whose message points to the converter.
            if (!HasCurrentLayout(*readings.db))
                throw dao::Error(dao::errNotADatabase, "not a readings database of the current layout");
            if (!readings.rs->EOF_()) {
                readings.rs->MoveLast();
                ShowRecord(*readings.rs);
            }
            readings.Close();
        }
        CentreOnScreen();
        Show();
        NextRecord.setFocus();
        select->Hide();
        AnnounceReading(NextRecord);
    } catch (const dao::Error& e) {
        // Database and recordset were released as the block above unwound.
        // A file another program holds is whole: repairing or restoring it,
        // as the general message advises, would lose what that program has
        // yet to write into it.
        if (e.Number() == dao::errInUse)
            forms::MsgBox(QString::fromStdString(e.Description()));
        else
            forms::MsgBox(OpenFailureMessage);
        Unload();
    }
}

void DisplayRecord::Form_Unload()
{
    Forms::Unload(SelectDbase::FormName);
    auto* main = Forms::Find<MDIStart>();
    if (main) {
        main->mnuFileConfigureBackup.SetEnabled(true);
        main->mnuUtilitiesRestore.SetEnabled(true);
    }
    SetStartPanelVisible(true);
    if (main)
        for (const auto& entry : MDIStart::StateEntries())
            if (QLatin1String(entry.name) != "mnuFileConfigureBackup"
                && QLatin1String(entry.name) != "mnuUtilitiesRestore")
                main->Menu[entry.name].SetEnabled(!entry.enabledWhenOpen);
}

void DisplayRecord::ShowRecord(dao::Recordset& rs)
{
    const Reading reading = Reading::From(rs);
    const long long row = rs.Bookmark();
    ShowReading(reading);
    shownRow_ = row;
}

void DisplayRecord::ShowReading(const Reading& reading)
{
    // Every text is taken before the first box is written; a value without
    // one (written by another program) shows as nothing.
    const QString stored = reading.Text(Reading::Btime);
    const QString date = reading.Text(Reading::Bdate);
    std::array<QString, std::size(ValueFields)> values;
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = reading.Text(ValueFields[i]);
    // A time kept under a format this system cannot read still shows, so the
    // reading can be stepped past, edited and deleted.
    const QString time = FormatMediumTime(stored);

    Bdates.SetText(FormatShortDate(date));
    Bdate.SetText(date);
    Btime.SetText(time.isEmpty() ? stored : time);
    for (std::size_t i = 0; i < values.size(); ++i) {
        forms::TextBox& box = ValueBox(ValueFields[i]);
        // A value longer than the box's limit (a file written elsewhere)
        // shows whole, so the edit window takes it whole.
        if (box.MaxLength() > 0) box.SetMaxLength(std::max<int>(DesignLimit(box), int(values[i].size())));
        box.SetText(values[i]);
    }
    shownRow_.reset();
}

int DisplayRecord::DesignLimit(const forms::TextBox& box) const
{
    if (&box == &Instype || &box == &Site) return 20;
    if (&box == &Insamt) return 6;
    return 0;
}

forms::TextBox& DisplayRecord::ValueBox(Reading::Field field)
{
    switch (field) {
    case Reading::Bsugar:
        return Bsugar;
    case Reading::Bpressure:
        return Bpressure;
    case Reading::Dpressure:
        return Dpressure;
    case Reading::Bpulse:
        return Bpulse;
    case Reading::Bweight:
        return Bweight;
    case Reading::Bcomm:
        return Bcomm;
    case Reading::Instype:
        return Instype;
    case Reading::Insamt:
        return Insamt;
    case Reading::Site:
        return Site;
    case Reading::Temp:
        return Temp;
    case Reading::SPO2:
        return Spo2;
    default:
        return field == Reading::Bdate ? Bdate : Btime;
    }
}

QString DisplayRecord::ReadingText() const
{
    if (Btime.Text().isEmpty()) return {};
    QStringList parts;
    for (const forms::TextBox* box : { &Bdates, &Btime, &Bsugar, &Bpressure, &Dpressure, &Bpulse, &Bweight, &Bcomm,
             &Temp, &Spo2, &Instype, &Insamt, &Site })
        parts << box->accessibleName() + QLatin1Char(' ') + box->Text();
    return parts.join(QStringLiteral(", "));
}

QString DisplayRecord::SpokenReading() const
{
    const QString reading = ReadingText();
    return reading.isEmpty() ? QStringLiteral("There are no readings.") : reading;
}

void DisplayRecord::AnnounceReading(QWidget& where)
{
    // The boxes change under the focused button, which a screen reader does
    // not follow: it is told the reading shown.
    forms::Announce(where, SpokenReading());
}

void DisplayRecord::AnnounceReading()
{
    AnnounceReading(*this);
}

void DisplayRecord::ClearRecord()
{
    for (forms::TextBox* box : { &Bdates, &Bdate, &Btime, &Bsugar, &Bpressure, &Dpressure, &Bpulse, &Bweight, &Bcomm,
             &Instype, &Insamt, &Site, &Temp, &Spo2 })
        box->SetText(QString());
    shownRow_.reset();
}

void DisplayRecord::WithReadings(const std::function<void(dao::Recordset&)>& work)
{
    if (Btime.Text().isEmpty()) return;
    try {
        ReadingsTable readings = OpenReadings();
        work(*readings.rs);
        readings.Close();
    } catch (const dao::Error& e) {
        // The shown reading stays as it was; the engine's reason is shown.
        forms::Beep();
        forms::MsgBox(QString::fromStdString(e.Description()), forms::Buttons::OK, forms::Icon::Exclamation);
    }
}

bool DisplayRecord::FindCurrent(dao::Recordset& rs)
{
    if (!SeekShownReading(rs)) {
        // The shown reading is no longer stored: change nothing.
        forms::Beep();
        return false;
    }
    return true;
}

void DisplayRecord::FirstRecord_Click()
{
    WithReadings([this](dao::Recordset& rs) {
        if (!rs.BOF()) rs.MoveFirst();
        if (!rs.BOF() && !rs.EOF_()) ShowRecord(rs);
    });
    AnnounceReading(FirstRecord);
}

void DisplayRecord::LastRecord_Click()
{
    WithReadings([this](dao::Recordset& rs) {
        if (!rs.EOF_()) rs.MoveLast();
        if (!rs.BOF() && !rs.EOF_()) ShowRecord(rs);
    });
    AnnounceReading(LastRecord);
}

void DisplayRecord::NextRecord_Click()
{
    WithReadings([this](dao::Recordset& rs) {
        if (!FindCurrent(rs)) return;
        rs.MoveNext();
        if (!rs.EOF_()) {
            ShowRecord(rs);
            return;
        }
        // The end of the data: a beep, and the newest reading shown again.
        forms::Beep();
        rs.MovePrevious();
        ShowRecord(rs);
    });
    AnnounceReading(NextRecord);
}

void DisplayRecord::PreviousRecord_Click()
{
    WithReadings([this](dao::Recordset& rs) {
        if (!FindCurrent(rs)) return;
        rs.MovePrevious();
        if (!rs.BOF()) {
            ShowRecord(rs);
            return;
        }
        forms::Beep();
        rs.MoveFirst();
        ShowRecord(rs);
    });
    AnnounceReading(PreviousRecord);
}

void DisplayRecord::Delete_Click()
{
    bool deleted = false;
    WithReadings([this, &deleted](dao::Recordset& rs) {
        if (forms::MsgBox("Are You Sure?", forms::Buttons::OKCancel, forms::Icon::Question, "Delete Reading", 1)
            != forms::vbOK)
            return;
        if (!FindCurrent(rs)) return;
        rs.Delete();
        deleted = true;
        ClearRecord();
        rs.MoveNext();
        if (!rs.EOF_()) {
            ShowRecord(rs);
            return;
        }
        rs.MovePrevious();
        if (!rs.BOF()) ShowRecord(rs);
    });
    // Qt has the window back as the confirmation closes, the desktop some
    // moments later, and a screen reader drops a text spoken before that.
    if (deleted) QTimer::singleShot(500, this, [this] { AnnounceReading(); });
}

void DisplayRecord::Command1_Click()
{
    Unload();
}

void DisplayRecord::AddReadings_Click()
{
    forms::SetMousePointer(forms::vbHourglass);
    Forms::Load("AddRds");
    forms::SetMousePointer(forms::vbArrow);
}

void DisplayRecord::Edit_Click()
{
    if (!Btime.Text().isEmpty()) Forms::Load("EditRds");
}

void DisplayRecord::Search_Click()
{
    if (!Btime.Text().isEmpty()) Forms::Load("SearchRds");
}

void DisplayRecord::PrintToScreen_Click()
{
    if (!Btime.Text().isEmpty()) Forms::Load("DisplayScreen");
}

void DisplayRecord::PrintReport_Click()
{
    Forms::Load("PrintReports");
}

} // namespace tellora
