#include "makedatabase.h"

#include "creation.h"

#include "platform/dao/dao.h"
#include "platform/forms/desktop.h"

#include <QFileInfo>

namespace tellora {

MakeDatabase::MakeDatabase()
    : Form(FormName)
{
    SetCaption("Create New Database");
    SetClientSize(7335, 3180);
    HelpContextID = 30;
    SetFormFont(forms::SansBold975);
    Layout({
        { &Label1, "Label1", "Enter the information below and click Create to make a new database.",
            { 120, 240, 7215, 255 }, 0 },
        { &Label2, "Label2", "First Name:", { 600, 720, 1215, 255 }, 1 },
        { &Label3, "Label3", "Last Name:", { 600, 1320, 1215, 255 }, 2 },
        { .control = &FirstName, .name = "FirstName", .rect = { 1920, 720, 4575, 375 }, .tab = 3, .label = &Label2 },
        { .control = &LastName, .name = "LastName", .rect = { 1920, 1320, 4575, 360 }, .tab = 4, .label = &Label3 },
        { &CreateDatabase, "CreateDatabase", "Create", { 1200, 2160, 1935, 615 }, 5 },
        { &CancelMake, "CancelMake", "Cancel", { 4200, 2160, 1935, 615 }, 6 },
    });
    FirstName.KeyPress = [this](int& k) { FirstName_KeyPress(k); };
    LastName.KeyPress = [this](int& k) { LastName_KeyPress(k); };
    FirstName.Change = [this] { FirstName_Change(); };
    LastName.Change = [this] { LastName_Change(); };
    CreateDatabase.Click = [this] { CreateDatabase_Click(); };
    CancelMake.Click = [this] { CancelMake_Click(); };
}

void MakeDatabase::NameKeyFilter(int& keyAscii)
{
    const bool lower = keyAscii >= 'a' && keyAscii <= 'z';
    const bool upper = keyAscii >= 'A' && keyAscii <= 'Z';
    if (!lower && !upper && keyAscii != 8 && keyAscii != 127) {
        keyAscii = 0;
        forms::Beep();
    }
    if (lower) keyAscii = keyAscii - 'a' + 'A';
}

QString MakeDatabase::NameText(const QString& text)
{
    QString out;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z')) out += c.toUpper();
    }
    return out;
}

void MakeDatabase::FilterBox(forms::TextBox& box)
{
    // Text can reach a box without being typed (pasted, dropped); it gets the
    // same rule, so that the file name is always LETTERS_LETTERS.mdb.
    const QString text = box.Text();
    const QString clean = NameText(text);
    if (clean == text) return;
    const int cursor = box.cursorPosition();
    const int removedBefore = cursor - NameText(text.left(cursor)).size();
    if (clean.size() != text.size()) forms::Beep();
    box.SetText(clean); // runs Change again, which finds nothing left to do
    box.setCursorPosition(std::max(0, cursor - removedBefore));
}

void MakeDatabase::Form_Load()
{
    CentreOnScreen();
    Show();
    FirstName.setFocus();
}

void MakeDatabase::CreateDatabase_Click()
{
    const QString fileName = FirstName.Text() + "_" + LastName.Text() + ".mdb";
    if (QFileInfo(fileName).isFile()) {
        forms::Beep();
        forms::MsgBox("That database already exists. Change the first or last name or both to create a new database.");
        return;
    }
    try {
        CreateReadingsDatabase(fileName);
    } catch (const dao::Error& e) {
        // The creation removed its partial file; the names stay for another try.
        forms::MsgBox(QStringLiteral("The database %1 could not be created.  %2")
                          .arg(fileName, QString::fromStdString(e.Description())),
            forms::Buttons::OK, forms::Icon::Exclamation);
        return;
    }
    Unload();
}

void MakeDatabase::CancelMake_Click()
{
    Unload();
}

} // namespace tellora
