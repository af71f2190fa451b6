#include "mdistart.h"

#include "shell.h"

#include "platform/forms/desktop.h"
#include "platform/forms/registry.h"

#include <QCloseEvent>
#include <QDir>
#include <QMenuBar>
#include <QVBoxLayout>

namespace tellora {

namespace {

// One pair of chart windows under its submenu: for the bar chart and for the
// line chart, the menu entry, its shortcut and the window it loads. This table
// is the one place that says which entry opens which chart window.
struct ChartCommand {
    const char* submenu;
    const char* caption;
    const char* bar;
    const char* barShortcut;
    const char* barWindow;
    const char* line;
    const char* lineShortcut;
    const char* lineWindow;
};

struct MeasureMenu {
    const char* name;
    const char* caption;
    int help; // the help context ID of the submenu and its entries
    std::vector<ChartCommand> charts;
};

const std::vector<MeasureMenu>& measureMenus()
{
    static const std::vector<MeasureMenu> menus {
        { .name = "mnuGraphsBloodSugar",
            .caption = "&Blood Sugar",
            .help = 170,
            .charts = {
                { "mnuGraphsBSbyDate", "Blood &Sugar by Date", "mnuGraphicsBar1", "F2", "BSbyDate", "linechart1",
                    "Ctrl+F2", "BSbyDateLine" },
                { "mnuGraphicsBSDT", "Blood Sugar by &Date and Time", "Bar2", "F3", "BSbyDateTime", "linechart2",
                    "Ctrl+F3", "BSbyDateTimeLine" },
                { "mnuGraphicsVSbyDateWt", "Blood Sugar by Date and &Weight", "barchart3", "F4", "BSbyDateWt",
                    "linechart3", "Ctrl+F4", "BSbyDateWtLine" },
                { "mnuGraphicsdateBSBP", "Blood Sugar by Date and  Blood &Pressure", "barchart4", "F5", "BSbyDateBP",
                    "linechart4", "Ctrl+F5", "BSbyDateBPLine" },
            } },
        { .name = "mnuGraphsBP",
            .caption = "Blood &Pressure",
            .help = 180,
            .charts = {
                { "mnuGraphsSysbyDate", "Blood Pressure by &Date", "barchart6", "F7", "BPbyDate", "linechart6",
                    "Ctrl+F7", "BPbyDateLine" },
                { "mnuGraphsSPbyDandT", "Blood Pressure and Pulse by Date and &Time", "barchart7", "F8",
                    "BPbyDateTime", "linechart7", "Ctrl+F8", "BPbyDateTimeLine" },
                { "mnuGraphsSysWtbyTimeDate", "Blood Pressure, &Weight by Date and Time", "barchart8", "",
                    "BPWtTimebyDate", "linechart8", "", "BPWtTimebyDateLine" },
                { "mnuGraphsBPWtPulDtTime", "Blood Pressure, Weight,& Pulse by Date and Time", "barchart9", "F9",
                    "BPWtPulTimebyDate", "linechart9", "Ctrl+F9", "BPWtPulTimebyDateLine" },
            } },
        { .name = "mnuGraphsWeight",
            .caption = "&Weight",
            .help = 190,
            .charts = {
                { "mnuGraphsWtbyDate", "Weight &By Date", "barchart10", "F11", "WtbyDate", "linechart10", "Ctrl+F11",
                    "WtbyDateLine" },
                { "mnuGraphsWtandPulbyDate", "Weight and &Pulse by Date", "barchart11", "F12", "WtPulbyDate",
                    "linechart11", "Ctrl+F12", "WtPulbyDateLine" },
                { "mnuGraphswtPulDT", "Weight and Pulse by Date and &Time", "barchart12", "Shift+F2",
                    "WtPulbyDateTime", "linechart12", "Shift+F3", "WtPulbyDateTimeLine" },
            } },
        { .name = "mnuGraphsTemp",
            .caption = "&Temperature",
            .help = 290,
            .charts = {
                { "mnuGraphsTempbyDateTime", "Temp. &By Date and Time", "mnuGraphsTempbyDateTimeBar", "",
                    "TempbyDateTime", "mnuGraphsTempByTimDateLine", "", "TempbyDateTimeLine" },
                { "mnuGraphsTemPulseDtTime", "Temp.,Pulse By & Date and Time", "mnugraphsTempPulseDateTimeBar", "",
                    "TempPulbyDateTime", "mnuGraphsTempPulseDateTimeLine", "", "TempPulbyDateTimeLine" },
            } },
        { .name = "mnuGraphsspo2",
            .caption = "SPO&2",
            .help = 300,
            .charts = {
                { "mnuGraphsspo2datetime", "SPO2 &By Date and Time", "mnuGraphsspo2datetimebar", "",
                    "Spo2byDateTime", "mnuGraphsspo2datetimeline", "", "Spo2byDateTimeLine" },
                { "mnuGraphsspo2puldatetime", "SPO2 and &Pulse by Date and Time", "mnuGraphsspo2pulsedatetimeBar", "",
                    "Spo2PulbyDateTime", "mnuGraphsspo2puldatetimeline", "", "Spo2PulbyDateTimeLine" },
                { "mnuGraphsspo2pultmpdatetime", "SPO2, Pulse, Temp. &By Date and Time", "mnuGraphsSPTBar", "",
                    "Spo2PulTempDateTime", "mnuGraphsSPTLine", "", "Spo2PulTempDateTimeLine" },
            } },
    };
    return menus;
}

// Every chart command with the window it loads: each bar chart entry, then
// its line chart entry, in menu order.
template<class Visit> void ForEachChartEntry(Visit visit)
{
    for (const MeasureMenu& m : measureMenus())
        for (const ChartCommand& c : m.charts) {
            visit(c.bar, c.barWindow);
            visit(c.line, c.lineWindow);
        }
}

std::vector<forms::MenuSpec> menuTable()
{
    std::vector<forms::MenuSpec> rows {
        { 1, "mnuFile", "&File" },
        { 2, "mnuFileConfigureBackup", "&Configure Backup/Restore", "Ctrl+U", 210 },
        { 2, "mnuFileConfigInsNames", "Configure Insulin &Names", "", 250 },
        { 2, "mnuFileConfigInjSites", "Configure Injection &Sites", "", 260 },
        { 2, "mnuFilePrtStdRptbyDate", "&Print Standard Report By Date", "", 270 },
        { 2, "mnuFilePrtInjLogByDate", "Print &Injection Log By Date", "", 280 },
        { 1, "mnuUtilities", "&Utilities" },
        { 2, "mnuUtilitiesComp", "&Compact" },
        { 3, "mnuUtilitiesCompact", "Compact a &Database", "Ctrl+C", 140 },
        { 3, "mnuUtilitiesCompINDbase", "Compact &Insulin Names Database", "", 140 },
        { 3, "mnuUtilitiesCompISDbase", "Compact Injection &Sites Database", "", 140 },
        { 2, "mnuUtilitiesRepair", "&Repair a Database", "Ctrl+R", 130 },
        { 2, "mnuUtilitiesDeleteByDate", "&Delete Records by Date", "", 150 },
        { 2, "mnuUtilitiesBackup", "&Backup Database", "Ctrl+B", 220 },
        { 2, "mnuUtilitiesRestore", "Restore a &Database", "Ctrl+D", 230 },
        { 2, "mnuUtilitiesConvert", "Convert All Mensor and Ardeo Below 3.50 Databases", "", 240 },
        { 2, "mnuUtilitiesConvNewDbase", "Convert Tellora 3.50 and Above Databases", "", 240 },
        { 2, "mnuUtilitiesDeleteDbase", "Delete A Database", "", 310 },
        { 1, "mnuGraphs", "&Graphs" },
    };
    for (const MeasureMenu& m : measureMenus()) {
        rows.push_back({ 2, m.name, m.caption, "", m.help });
        for (const ChartCommand& c : m.charts) {
            rows.push_back({ 3, c.submenu, c.caption, "", m.help });
            rows.push_back({ 4, c.bar, "&Bar Chart", c.barShortcut, m.help });
            rows.push_back({ 4, c.line, "&Line Chart", c.lineShortcut, m.help });
        }
    }
    rows.push_back({ 1, "mnuHelp", "&About" });
    rows.push_back({ 2, "mnuHelpAbout", "&About" });
    return rows;
}

} // namespace

const std::vector<MDIStart::StateEntry>& MDIStart::StateEntries()
{
    static const std::vector<StateEntry> entries {
        { "mnuFileConfigureBackup", false },
        { "mnuUtilitiesRestore", false },
        { "mnuUtilitiesDeleteByDate", true },
        { "mnuUtilitiesCompact", false },
        { "mnuUtilitiesRepair", false },
        { "mnuGraphs", true },
        { "mnuUtilitiesBackup", true },
        { "mnuUtilitiesConvert", false },
        { "mnuFileConfigInsNames", true },
        { "mnuFileConfigInjSites", true },
        { "mnuUtilitiesCompINDbase", true },
        { "mnuUtilitiesCompISDbase", true },
        { "mnuFilePrtStdRptbyDate", true },
        { "mnuFilePrtInjLogByDate", true },
        { "mnuUtilitiesConvNewDbase", false },
        { "mnuUtilitiesDeleteDbase", false },
    };
    return entries;
}

QString MDIStart::ChartWindowOf(const QString& entry)
{
    QString window;
    ForEachChartEntry([&](const char* e, const char* w) {
        if (window.isEmpty() && entry == QLatin1String(e)) window = QString::fromUtf8(w);
    });
    return window;
}

QString MDIStart::ChartEntryOf(const QString& window)
{
    QString entry;
    ForEachChartEntry([&](const char* e, const char* w) {
        if (entry.isEmpty() && window == QLatin1String(w)) entry = QString::fromUtf8(e);
    });
    return entry;
}

MDIStart::MDIStart()
    : Form(FormName, forms::BorderStyle::Sizable)
    , Menu(this, menuTable())
    , mnuFile(Menu["mnuFile"])
    , mnuUtilities(Menu["mnuUtilities"])
    , mnuGraphs(Menu["mnuGraphs"])
    , mnuHelp(Menu["mnuHelp"])
    , mnuFileConfigureBackup(Menu["mnuFileConfigureBackup"])
    , mnuFileConfigInsNames(Menu["mnuFileConfigInsNames"])
    , mnuFileConfigInjSites(Menu["mnuFileConfigInjSites"])
    , mnuFilePrtStdRptbyDate(Menu["mnuFilePrtStdRptbyDate"])
    , mnuFilePrtInjLogByDate(Menu["mnuFilePrtInjLogByDate"])
    , mnuUtilitiesComp(Menu["mnuUtilitiesComp"])
    , mnuUtilitiesCompact(Menu["mnuUtilitiesCompact"])
    , mnuUtilitiesCompINDbase(Menu["mnuUtilitiesCompINDbase"])
    , mnuUtilitiesCompISDbase(Menu["mnuUtilitiesCompISDbase"])
    , mnuUtilitiesRepair(Menu["mnuUtilitiesRepair"])
    , mnuUtilitiesDeleteByDate(Menu["mnuUtilitiesDeleteByDate"])
    , mnuUtilitiesBackup(Menu["mnuUtilitiesBackup"])
    , mnuUtilitiesRestore(Menu["mnuUtilitiesRestore"])
    , mnuUtilitiesConvert(Menu["mnuUtilitiesConvert"])
    , mnuUtilitiesConvNewDbase(Menu["mnuUtilitiesConvNewDbase"])
    , mnuUtilitiesDeleteDbase(Menu["mnuUtilitiesDeleteDbase"])
    , mnuHelpAbout(Menu["mnuHelpAbout"])
{
    forms::Forms::SetMainForm(this);
    SetCaption("Tellora");
    HelpContextID = 30;
    // The black belongs to the area behind the windows; the menu bar keeps
    // the desktop's colours.
    auto* clientArea = new QWidget(this);
    clientArea->setObjectName("ClientArea");
    QPalette black = clientArea->palette();
    black.setColor(QPalette::Window, forms::RGB(0, 0, 0));
    clientArea->setPalette(black);
    clientArea->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(Menu.widget());
    layout->addWidget(clientArea, 1);
    resize(800, 600);

    mnuFileConfigureBackup.Click = [this] { mnuFileConfigureBackup_Click(); };
    mnuFileConfigInsNames.Click = [this] { mnuFileConfigInsNames_Click(); };
    mnuFileConfigInjSites.Click = [this] { mnuFileConfigInjSites_Click(); };
    mnuFilePrtStdRptbyDate.Click = [this] { mnuFilePrtStdRptbyDate_Click(); };
    mnuFilePrtInjLogByDate.Click = [this] { mnuFilePrtInjLogByDate_Click(); };
    mnuUtilitiesCompact.Click = [this] { mnuUtilitiesCompact_Click(); };
    mnuUtilitiesCompINDbase.Click = [this] { mnuUtilitiesCompINDbase_Click(); };
    mnuUtilitiesCompISDbase.Click = [this] { mnuUtilitiesCompISDbase_Click(); };
    mnuUtilitiesRepair.Click = [this] { mnuUtilitiesRepair_Click(); };
    mnuUtilitiesDeleteByDate.Click = [this] { mnuUtilitiesDeleteByDate_Click(); };
    mnuUtilitiesBackup.Click = [this] { mnuUtilitiesBackup_Click(); };
    mnuUtilitiesRestore.Click = [this] { mnuUtilitiesRestore_Click(); };
    mnuUtilitiesConvert.Click = [this] { mnuUtilitiesConvert_Click(); };
    mnuUtilitiesConvNewDbase.Click = [this] { mnuUtilitiesConvNewDbase_Click(); };
    mnuUtilitiesDeleteDbase.Click = [this] { mnuUtilitiesDeleteDbase_Click(); };
    mnuHelpAbout.Click = [this] { mnuHelpAbout_Click(); };
    ForEachChartEntry([this](const char* entry, const char* window) {
        Menu[entry].Click = [this, w = QString::fromUtf8(window)] { Chart_Click(w); };
    });
}

void MDIStart::Form_Load()
{
    // Every file of the program is addressed by its bare name in its folder.
    QDir::setCurrent(forms::ProgramFolder());
    // The closed state: the nine entries that need an open database.
    for (const char* name : { "mnuUtilitiesDeleteByDate", "mnuGraphs", "mnuUtilitiesBackup", "mnuFileConfigInsNames",
             "mnuFileConfigInjSites", "mnuUtilitiesCompINDbase", "mnuUtilitiesCompISDbase", "mnuFilePrtStdRptbyDate",
             "mnuFilePrtInjLogByDate" })
        Menu[name].SetEnabled(false);
    forms::Forms::Load("BloodMenu");
}

void MDIStart::closeEvent(QCloseEvent* event)
{
    // The main window has no closing step of its own: closing it ends the program.
    event->ignore();
    forms::EndProgram();
}

void MDIStart::mnuFileConfigureBackup_Click()
{
    forms::Forms::Load("Cback");
}
void MDIStart::mnuFileConfigInsNames_Click()
{
    forms::Forms::Load("AddNames");
}
void MDIStart::mnuFileConfigInjSites_Click()
{
    forms::Forms::Load("AddSites");
}
void MDIStart::mnuFilePrtStdRptbyDate_Click()
{
    forms::Forms::Load("StdRptByDate");
}
void MDIStart::mnuFilePrtInjLogByDate_Click()
{
    forms::Forms::Load("PrtInsLogByDate");
}
void MDIStart::mnuUtilitiesCompact_Click()
{
    forms::Forms::Load("CompactDbase");
}
void MDIStart::mnuUtilitiesCompINDbase_Click()
{
    forms::Forms::RunCommand("mnuUtilitiesCompINDbase_Click");
}
void MDIStart::mnuUtilitiesCompISDbase_Click()
{
    forms::Forms::RunCommand("mnuUtilitiesCompISDbase_Click");
}
void MDIStart::mnuUtilitiesRepair_Click()
{
    forms::Forms::Load("RepairDbase");
}

void MDIStart::mnuUtilitiesDeleteByDate_Click()
{
    if (ReadingShown()) forms::Forms::Load("DeleteByDate");
}

void MDIStart::mnuUtilitiesBackup_Click()
{
    forms::Forms::RunCommand("BackupDbase");
}
void MDIStart::mnuUtilitiesRestore_Click()
{
    forms::Forms::Load("RestBackup");
}
void MDIStart::mnuUtilitiesConvert_Click()
{
    forms::Forms::Load("ConvertDbase");
}
void MDIStart::mnuUtilitiesConvNewDbase_Click()
{
    forms::Forms::Load("ConvertNewDbase");
}
void MDIStart::mnuUtilitiesDeleteDbase_Click()
{
    forms::Forms::Load("DeleteDbase");
}
void MDIStart::mnuHelpAbout_Click()
{
    forms::Forms::Load("About");
}

void MDIStart::Chart_Click(const QString& window)
{
    if (ReadingShown()) forms::Forms::Load(window);
}

} // namespace tellora
