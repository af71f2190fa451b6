#pragma once
// The main window: the frame with the menu bar that every other window opens
// over. Its load step makes the program folder current, puts the menus into
// the closed state and loads the start panel.
#include "platform/forms/form.h"
#include "platform/forms/menu.h"

namespace tellora {

class MDIStart : public forms::Form {
    Q_OBJECT
public:
    static constexpr const char* FormName = "MDIStart";
    MDIStart();

    forms::MenuBar Menu;

    // Top menus (and top-menu locks).
    forms::MenuItem& mnuFile;
    forms::MenuItem& mnuUtilities;
    forms::MenuItem& mnuGraphs;
    forms::MenuItem& mnuHelp;
    // "&File"
    forms::MenuItem& mnuFileConfigureBackup;
    forms::MenuItem& mnuFileConfigInsNames;
    forms::MenuItem& mnuFileConfigInjSites;
    forms::MenuItem& mnuFilePrtStdRptbyDate;
    forms::MenuItem& mnuFilePrtInjLogByDate;
    // "&Utilities"
    forms::MenuItem& mnuUtilitiesComp;
    forms::MenuItem& mnuUtilitiesCompact;
    forms::MenuItem& mnuUtilitiesCompINDbase;
    forms::MenuItem& mnuUtilitiesCompISDbase;
    forms::MenuItem& mnuUtilitiesRepair;
    forms::MenuItem& mnuUtilitiesDeleteByDate;
    forms::MenuItem& mnuUtilitiesBackup;
    forms::MenuItem& mnuUtilitiesRestore;
    forms::MenuItem& mnuUtilitiesConvert;
    forms::MenuItem& mnuUtilitiesConvNewDbase;
    forms::MenuItem& mnuUtilitiesDeleteDbase;
    // "&About"
    forms::MenuItem& mnuHelpAbout;
    // The chart entries under "&Graphs" are reached by name: Menu["barchart6"].

    // The sixteen state-bearing entries in the order the current-reading
    // window switches them, with their state while a database is open.
    struct StateEntry {
        const char* name;
        bool enabledWhenOpen;
    };
    static const std::vector<StateEntry>& StateEntries();

    // The window each chart command loads, by entry name; empty for none.
    static QString ChartWindowOf(const QString& entry);
    // The chart command that loads a chart window, by window name; empty for none.
    static QString ChartEntryOf(const QString& window);

protected:
    void Form_Load() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void mnuFileConfigureBackup_Click();
    void mnuFileConfigInsNames_Click();
    void mnuFileConfigInjSites_Click();
    void mnuFilePrtStdRptbyDate_Click();
    void mnuFilePrtInjLogByDate_Click();
    void mnuUtilitiesCompact_Click();
    void mnuUtilitiesCompINDbase_Click();
    void mnuUtilitiesCompISDbase_Click();
    void mnuUtilitiesRepair_Click();
    void mnuUtilitiesDeleteByDate_Click();
    void mnuUtilitiesBackup_Click();
    void mnuUtilitiesRestore_Click();
    void mnuUtilitiesConvert_Click();
    void mnuUtilitiesConvNewDbase_Click();
    void mnuUtilitiesDeleteDbase_Click();
    void mnuHelpAbout_Click();
    // Every "&Bar Chart" and "&Line Chart" entry: the reading-shown test, then its window.
    void Chart_Click(const QString& window);
};

} // namespace tellora
