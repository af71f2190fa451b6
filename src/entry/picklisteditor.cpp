#include "picklisteditor.h"

#include "shell/displayrecord.h"
#include "shell/shell.h"

#include "platform/dao/dao.h"
#include "platform/forms/desktop.h"
#include "platform/forms/registry.h"

namespace tellora {

using forms::Forms;

namespace {
// The sites editor, too, asks for a name to delete.
constexpr const char* SelectANameToDelete = "You must select a name to delete.";
} // namespace

const PickListEditorText InsulinNamesEditor {
    .caption = "Add/Edit/Delete Insulin Names",
    .help = 250,
    .list = InsulinNames,
    .storeName = "insulin names database",
    .heading = "Name of Insulin",
    .addButton = "Add New Name(s)",
    .editButton = "Edit Selected Name(s)",
    .deleteButton = "Delete Selected Name(s)",
    .blankEntry = "Blank entries are not allowed",
    .blankRefocuses = true,
    .alreadyStored = "You have already entered this name.",
    .limitReached = "You have reached the 250 name limit.",
    .nothingToDelete = SelectANameToDelete,
    .noMatch = "There are no matching names.",
    .noClickedEntry = "You must click a name on the list.",
    .renameToBlank = "You must use the delete procedure to delete names.",
    .repaired = "The insulin names database was repaired.  It should be compacted.",
    .refreshCreates = true,
    .tabs = { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13 },
};

const PickListEditorText InjectionSitesEditor {
    .caption = "Add / Edit / Delete Injection Sites",
    .help = 260,
    .list = InjectionSites,
    .storeName = "injection sites database",
    .heading = "Injection Site",
    .addButton = "Add New Injection Site(s)",
    .editButton = "Edit Selected Injection Site(s)",
    .deleteButton = "Delete Selected Injection Site(s)",
    .blankEntry = "You cannot enter a blank site.",
    .blankRefocuses = false,
    .alreadyStored = "You have already entered this site.",
    .limitReached = "You have reached the 250 site limit.",
    .nothingToDelete = SelectANameToDelete,
    .noMatch = "There are no matching injection sites.",
    .noClickedEntry = "You must click a site on the list.",
    .renameToBlank = "You must use the delete procedure to delete sites.",
    .repaired = "The injection sites database was repaired.  It should be compacted.",
    .refreshCreates = false,
    .tabs = { 4, 0, -1, 5, 6, 7, 8, 1, 2, 9, 10, 11, 12, 13 },
};

PickListEditor::PickListEditor(const char* formName, const PickListEditorText& text)
    : Form(QString::fromLatin1(formName), forms::BorderStyle::FixedDialog)
    , NameGrid(nullptr, PickListLimit + 1, 2)
    , text_(text)
{
    SetCaption(text.caption);
    SetClientSize(10530, 6075);
    HelpContextID = text.help;
    SetFormFont(forms::SansBold975);
    const auto& t = text.tabs;
    Layout({
        { &Line1, "Line1", "", { 360, 600, 5220, 15 } },
        { &Line2, "Line2", "", { 360, 1980, 5220, 15 } },
        { &Line3, "Line3", "", { 360, 600, 15, 1380 } },
        { &Line4, "Line4", "", { 5580, 600, 15, 1395 } },
        { &InsName, "InsName", "", { 480, 720, 4935, 360 }, t[2], 0, {}, {}, nullptr },
        { &AddSave, "AddSave", "Save", { 480, 1140, 1215, 375 }, t[3], 0, {}, {}, nullptr, false },
        { &EditSave, "EditSave", "Save", { 1740, 1140, 1215, 375 }, t[10], 0, {}, {}, nullptr, false },
        { &ExitEdit, "ExitEdit", "Close", { 3060, 1140, 1215, 375 }, t[11], 0, {}, {}, nullptr, false },
        { &ExitAdd, "ExitAdd", "Close", { 4260, 1140, 1215, 375 }, t[9], 0, {}, {}, nullptr, false },
        { &Delete, "Delete", "Delete", { 1080, 1500, 1215, 375 }, t[12], 0, {}, {}, nullptr, false },
        { &ExitDelete, "ExitDelete", "Close", { 3660, 1500, 1215, 375 }, t[13], 0, {}, {}, nullptr, false },
        { &AddNewName, "AddNewName", text.addButton, { 1680, 2040, 2655, 675 }, t[1] },
        { &EditName, "EditName", text.editButton, { 1680, 3000, 2655, 675 }, t[7] },
        { &DeleteName, "DeleteName", text.deleteButton, { 1680, 3960, 2655, 675 }, t[8] },
        { &Exit, "Exit", "Close Window", { 1680, 4920, 2655, 675 }, t[0] },
        { &NameGrid, "NameGrid", "", { 6000, 720, 4095, 4695 }, t[4] },
        { &TotalRows, "TotalRows", "", { 300, 5460, 615, 360 }, t[5], 0, {}, {}, nullptr, false },
        { &SelectedText, "SelectedText", "", { 5280, 5580, 4935, 375 }, t[6], 0, {}, {}, nullptr, false },
    });
    InsName.SetMaxLength(PickEntrySize);
    InsName.setAccessibleName(QStringLiteral("Entry"));
    NameGrid.setAccessibleName(QString::fromLatin1(text.heading));
    for (forms::Label* line : { &Line1, &Line2, &Line3, &Line4 })
        line->SetBackColor(forms::RGB(0, 0, 0));

    AddNewName.Click = [this] { AddNewName_Click(); };
    EditName.Click = [this] { EditName_Click(); };
    DeleteName.Click = [this] { DeleteName_Click(); };
    AddSave.Click = [this] { AddSave_Click(); };
    EditSave.Click = [this] { EditSave_Click(); };
    Delete.Click = [this] { Delete_Click(); };
    ExitAdd.Click = [this] { ExitAdd_Click(); };
    ExitEdit.Click = [this] { ExitEdit_Click(); };
    ExitDelete.Click = [this] { ExitDelete_Click(); };
    Exit.Click = [this] { Exit_Click(); };
    NameGrid.Click = [this] { NameGrid_Click(); };
}

QString PickListEditor::StoreFile() const
{
    return StoreFileName(text_.list, OpenBaseName());
}

void PickListEditor::WriteFrame()
{
    NameGrid.SetTextMatrix(0, 0, QStringLiteral("#"));
    NameGrid.SetTextMatrix(0, 1, QString::fromLatin1(text_.heading));
    TotalRows.SetText(QStringLiteral("0"));
    for (int row = 1; row <= PickListLimit; ++row)
        NameGrid.SetTextMatrix(row, 0, QStringLiteral(" %1").arg(row));
}

void PickListEditor::ReadStore()
{
    const QStringList entries = ReadEntries(text_.list, StoreFile());
    // The grid has a row for each entry the store may hold, and no more.
    if (entries.size() > PickListLimit)
        throw dao::Error(dao::errDamaged, "The store holds more entries than its list can show.");
    for (int k = 0; k < entries.size(); ++k) {
        NameGrid.SetTextMatrix(k + 1, 1, entries[k]);
        TotalRows.SetText(QStringLiteral(" %1").arg(k + 1));
    }
}

void PickListEditor::Form_Load()
{
    const QString file = StoreFile();
    try {
        NameGrid.SetColAlignment(0, forms::Grid::AlignLeftBottom);
        NameGrid.SetColAlignment(1, forms::Grid::AlignLeftBottom);
        NameGrid.SetColWidth(0, 550);
        NameGrid.SetColWidth(1, 3200);
        WriteFrame();
        if (InspectStore(text_.list, file) == StoreState::Missing) {
            try {
                CreateStore(text_.list, file);
            } catch (const dao::Error& e) {
                // Nothing was made, so there is nothing to repair: say why.
                forms::MsgBox(QStringLiteral("The %1 could not be created.  %2")
                                  .arg(text_.storeName, QString::fromStdString(e.Description())));
                Unload();
                return;
            }
        }
        ReadStore();
        if (EntryCount() > PickListLimit - 1) AddNewName.hide();
        SetReadingLocks(false);
        CentreOnScreen();
        Show();
        FocusFirstInTabOrder();
    } catch (const dao::Error& e) {
        forms::MsgBox(MendStore(file, e));
        Unload();
    }
}

QString PickListEditor::MendStore(const QString& file, const dao::Error& failure)
{
    const QString name = QString::fromLatin1(text_.storeName);
    const QString reason = QString::fromStdString(failure.Description());
    // A store another program holds is left alone, whatever it holds.
    if (failure.Number() == dao::errInUse) return QStringLiteral("The %1 could not be read.  %2").arg(name, reason);
    try {
        switch (InspectStore(text_.list, file)) {
        case StoreState::Unfinished:
            // Holds nothing: the next opening makes the store from the start.
            dao::RemoveFile(file.toStdString());
            return QString::fromLatin1(text_.repaired);
        case StoreState::Damaged:
            // The engine rebuilds only a file of its own; any other it leaves.
            if (dao::DefaultWorkspace().RepairDatabase(file.toStdString())) return QString::fromLatin1(text_.repaired);
            break;
        case StoreState::Foreign:
            return QStringLiteral("The file %1 is not an %2, so it was left as it is.  Move or rename it to have a "
                                  "new %2 made.")
                .arg(file, name);
        case StoreState::Missing:
        case StoreState::Store:
            break;
        }
    } catch (const dao::Error&) {
        return QStringLiteral("The %1 could not be repaired.").arg(name);
    }
    return QStringLiteral("The %1 could not be read.  %2").arg(name, reason);
}

void PickListEditor::FocusFirstInTabOrder()
{
    QWidget* const inDescriptionOrder[14] = { &Exit, &AddNewName, &InsName, &AddSave, &NameGrid, &TotalRows,
        &SelectedText, &EditName, &DeleteName, &ExitAdd, &EditSave, &ExitEdit, &Delete, &ExitDelete };
    QWidget* first = nullptr;
    int firstTab = 0;
    for (int i = 0; i < 14; ++i) {
        QWidget* w = inDescriptionOrder[i];
        const int tab = text_.tabs[std::size_t(i)];
        if (tab < 0 || w->isHidden() || !w->isEnabled()) continue;
        if (!first || tab < firstTab) {
            first = w;
            firstTab = tab;
        }
    }
    if (first) first->setFocus();
}

void PickListEditor::Form_Unload()
{
    SetReadingLocks(true);
}

void PickListEditor::RefreshGrid()
{
    NameGrid.Clear();
    WriteFrame();
    const QString file = StoreFile();
    if (text_.refreshCreates && !dao::FileExists(file.toStdString())) CreateStore(text_.list, file);
    ReadStore();
    AddNewName.setVisible(EntryCount() <= PickListLimit - 1);
}

void PickListEditor::ReportFailure(const dao::Error& e)
{
    forms::MsgBox(
        QStringLiteral("The %1 could not be changed.  %2").arg(text_.storeName, QString::fromStdString(e.what())));
    try {
        RefreshGrid();
    } catch (const dao::Error&) {
        // The grid keeps what it showed; the user may close the window.
    }
}

void PickListEditor::SetModeButtons(bool enabled)
{
    AddNewName.setEnabled(enabled);
    EditName.setEnabled(enabled);
    DeleteName.setEnabled(enabled);
}

void PickListEditor::AddNewName_Click()
{
    AddSave.show();
    ExitAdd.show();
    SetModeButtons(false);
    NameGrid.setEnabled(false);
    InsName.SetText(QString());
    InsName.setFocus();
}

void PickListEditor::EditName_Click()
{
    EditSave.show();
    ExitEdit.show();
    SetModeButtons(false);
}

void PickListEditor::DeleteName_Click()
{
    Delete.show();
    ExitDelete.show();
    SetModeButtons(false);
}

void PickListEditor::ExitAdd_Click()
{
    AddSave.hide();
    ExitAdd.hide();
    SetModeButtons(true);
    NameGrid.setEnabled(true);
}

void PickListEditor::ExitEdit_Click()
{
    EditSave.hide();
    ExitEdit.hide();
    SetModeButtons(true);
    InsName.SetText(QString());
    SelectedText.SetText(QString());
}

void PickListEditor::ExitDelete_Click()
{
    Delete.hide();
    ExitDelete.hide();
    SetModeButtons(true);
    InsName.SetText(QString());
    SelectedText.SetText(QString());
}

void PickListEditor::Exit_Click()
{
    Unload();
}

void PickListEditor::NameGrid_Click()
{
    const QString cell = NameGrid.Text();
    SelectedText.SetText(cell);
    InsName.SetText(cell);
}

void PickListEditor::AddSave_Click()
{
    if (InsName.Text().isEmpty()) {
        forms::MsgBox(text_.blankEntry);
        if (text_.blankRefocuses) {
            InsName.SetText(QString());
            InsName.setFocus();
        }
        return;
    }
    try {
        if (!AddEntry(text_.list, StoreFile(), InsName.Text())) {
            forms::MsgBox(text_.alreadyStored);
            InsName.SetText(QString());
            InsName.setFocus();
            return;
        }
        RefreshGrid();
    } catch (const dao::Error& e) {
        ReportFailure(e);
        return;
    }
    if (EntryCount() > PickListLimit - 1) {
        AddSave.hide();
        forms::MsgBox(text_.limitReached);
    }
    SelectedText.SetText(QString());
    InsName.SetText(QString());
    InsName.setFocus();
}

void PickListEditor::EditSave_Click()
{
    if (SelectedText.Text().isEmpty()) {
        forms::MsgBox(text_.noClickedEntry);
        return;
    }
    if (InsName.Text().isEmpty()) {
        forms::MsgBox(text_.renameToBlank);
        return;
    }
    try {
        switch (RenameEntry(text_.list, StoreFile(), SelectedText.Text(), InsName.Text())) {
        case RenameResult::OldNotFound:
            forms::MsgBox(ClickedEntryGoneMessage);
            return;
        case RenameResult::NewExists:
            forms::MsgBox(text_.alreadyStored);
            return;
        case RenameResult::Renamed:
            break;
        }
        InsName.SetText(QString());
        SelectedText.SetText(QString());
        RefreshGrid();
    } catch (const dao::Error& e) {
        ReportFailure(e);
    }
}

void PickListEditor::Delete_Click()
{
    if (InsName.Text().isEmpty()) {
        forms::MsgBox(text_.nothingToDelete);
        return;
    }
    try {
        const bool deleted = DeleteEntry(text_.list, StoreFile(), InsName.Text());
        if (!deleted) forms::MsgBox(text_.noMatch);
        SelectedText.SetText(QString());
        InsName.SetText(QString());
        if (deleted) RefreshGrid();
    } catch (const dao::Error& e) {
        ReportFailure(e);
    }
}

} // namespace tellora
