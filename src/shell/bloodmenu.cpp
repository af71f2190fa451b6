#include "bloodmenu.h"

#include "platform/forms/desktop.h"
#include "platform/forms/registry.h"

#include <QCloseEvent>

namespace tellora {

BloodMenu::BloodMenu()
    : Form(FormName, forms::BorderStyle::None)
{
    SetCaption("Tellora");
    // The caption is never shown; a screen reader says what the panel is.
    setAccessibleName(QStringLiteral("Tellora start panel"));
    SetClientSize(6570, 2640);
    HelpContextID = 30;
    SetBackColor(forms::RGB(0, 0, 0));
    SetFormFont(forms::SansBold975);
    Layout({
        { &Command1, "Command1", "Create New Database", { 1800, 0, 3255, 615 }, 0 },
        { &Command2, "Command2", "Open An Existing Database", { 1800, 840, 3255, 615 }, 1 },
        { &Command3, "Command3", "Exit Program", { 1800, 1680, 3255, 615 }, 2 },
    });
    Command1.Click = [this] { Command1_Click(); };
    Command2.Click = [this] { Command2_Click(); };
    Command3.Click = [this] { Command3_Click(); };
}

void BloodMenu::Form_Load()
{
    CentreOnScreen();
    Show();
}

void BloodMenu::closeEvent(QCloseEvent* event)
{
    // The program's home is never unloaded: the desktop's close (Alt+F4)
    // leaves it on screen with its focus, so that the user is never left in
    // the empty main window. "Exit Program" ends the program.
    event->ignore();
}

void BloodMenu::Command1_Click()
{
    forms::Forms::Load("MakeDatabase");
}
void BloodMenu::Command2_Click()
{
    forms::Forms::Load("SelectDbase");
}
// Nothing is open between user actions, so ending at once loses nothing.
void BloodMenu::Command3_Click()
{
    forms::EndProgram();
}

} // namespace tellora
