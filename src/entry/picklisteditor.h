#pragma once
// The pick-list editors: one design for the insulin names (AddNames) and the
// injection sites (AddSites), each a short description of its texts.
#include "picklist.h"

#include "platform/dao/dao.h"
#include "platform/forms/controls.h"
#include "platform/forms/form.h"
#include "platform/forms/grid.h"

#include <array>

namespace tellora {

struct PickListEditorText {
    const char* caption;
    int help;
    PickList list;
    const char* storeName; // "insulin names database"
    const char* heading; // column 1
    const char* addButton;
    const char* editButton;
    const char* deleteButton;
    const char* blankEntry;
    bool blankRefocuses; // the entry box is emptied and takes the focus
    const char* alreadyStored;
    const char* limitReached;
    const char* nothingToDelete;
    const char* noMatch;
    const char* noClickedEntry;
    const char* renameToBlank;
    const char* repaired;
    bool refreshCreates; // RefreshGrid makes a missing store
    // Tab positions of Exit, AddNewName, InsName (-1: no tab stop), AddSave,
    // NameGrid, TotalRows, SelectedText, EditName, DeleteName, ExitAdd,
    // EditSave, ExitEdit, Delete, ExitDelete.
    std::array<int, 14> tabs;
};

extern const PickListEditorText InsulinNamesEditor;
extern const PickListEditorText InjectionSitesEditor;

// Shown when a rename's clicked entry is no longer stored.
inline constexpr const char* ClickedEntryGoneMessage = "The entry you clicked is no longer on the list.";

class PickListEditor : public forms::Form {
    Q_OBJECT
public:
    PickListEditor(const char* formName, const PickListEditorText& text);

    forms::TextBox InsName;
    forms::CommandButton AddSave, EditSave, ExitEdit, ExitAdd, Delete, ExitDelete;
    forms::CommandButton AddNewName, EditName, DeleteName, Exit;
    forms::Grid NameGrid;
    forms::TextBox TotalRows;
    forms::TextBox SelectedText;
    forms::Label Line1, Line2, Line3, Line4;

    // Reloads the grid and the entry count from the store. Throws dao::Error.
    void RefreshGrid();
    const PickListEditorText& Description() const { return text_; }

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    void AddNewName_Click();
    void EditName_Click();
    void DeleteName_Click();
    void AddSave_Click();
    void EditSave_Click();
    void Delete_Click();
    void ExitAdd_Click();
    void ExitEdit_Click();
    void ExitDelete_Click();
    void Exit_Click();
    void NameGrid_Click();

    QString StoreFile() const;
    int EntryCount() const { return TotalRows.Text().trimmed().toInt(); }
    void WriteFrame();
    void ReadStore();
    void SetModeButtons(bool enabled);
    // The focus starts on the first control in the window's Tab order that can take it.
    void FocusFirstInTabOrder();
    // After a failed load: repairs what can be repaired without losing
    // anything (an empty unfinished store is made again, a damaged one
    // rebuilt), leaves every other file under the store's name as it is, and
    // returns what to tell the user.
    QString MendStore(const QString& file, const dao::Error& failure);
    // Reports an engine failure of a change and shows the store as it is now.
    void ReportFailure(const dao::Error& e);

    const PickListEditorText& text_;
};

class AddNames : public PickListEditor {
    Q_OBJECT
public:
    static constexpr const char* FormName = "AddNames";
    AddNames()
        : PickListEditor(FormName, InsulinNamesEditor)
    {
    }
};

class AddSites : public PickListEditor {
    Q_OBJECT
public:
    static constexpr const char* FormName = "AddSites";
    AddSites()
        : PickListEditor(FormName, InjectionSitesEditor)
    {
    }
};

} // namespace tellora
