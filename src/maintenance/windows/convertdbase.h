#pragma once
// The two converter windows: each lists the "*.mdb" files of the program
// folder and, on a double-click, rebuilds the chosen database in its target
// layout through the scratch database "Wexlo.mdb", showing the progress.
// The windows differ only in their description.
#include "maintenance/conversion.h"

#include "platform/forms/controls.h"
#include "platform/forms/form.h"
#include "platform/forms/progressbar.h"

namespace tellora {

struct ConverterDescription {
    const char* name;
    const char* caption;
    int width, height; // inner area, twips
    const char* instruction;
    // Positions and Tab order of Label1, Prog, File1 and Cancel.
    forms::Twips label, prog, list, cancel;
    int labelTab, progTab, listTab, cancelTab;
    int help;
    const Conversion& conversion;
};

class ConverterWindow : public forms::Form {
    Q_OBJECT
public:
    forms::Label Label1;
    forms::ProgressBar Prog;
    forms::FileListBox File1;
    forms::CommandButton Cancel;

    // Makes the empty scratch database; false (after the failure message)
    // when it cannot be made.
    bool MakeWexlo();
    // Copies the chosen database into the scratch database and puts that in
    // its place, reporting an empty source or a failure.
    void CopyData();

protected:
    explicit ConverterWindow(const ConverterDescription& description);
    // Removes a leftover scratch database, then takes the maintenance lock,
    // fills the list, centres and shows the window.
    void Form_Load() override;
    void Form_Unload() override;

private:
    void File1_DblClick();
    void Cancel_Click();

    const Conversion& conversion_;
};

class ConvertDbase : public ConverterWindow {
    Q_OBJECT
public:
    static constexpr const char* FormName = "ConvertDbase";
    ConvertDbase();
};

class ConvertNewDbase : public ConverterWindow {
    Q_OBJECT
public:
    static constexpr const char* FormName = "ConvertNewDbase";
    ConvertNewDbase();
};

} // namespace tellora
