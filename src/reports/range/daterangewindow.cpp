#include "daterangewindow.h"

#include "shell/shell.h"

#include "platform/forms/desktop.h"
#include "platform/print/choose_printer.h"

namespace tellora {

DateRangeWindow::DateRangeWindow(const char* name)
    : Form(QString::fromUtf8(name), forms::BorderStyle::FixedDialog)
{
    SetFormFont(forms::SansBold975);
    StartDate.LostFocus = [this] { StartDate_LostFocus(); };
    EndDate.LostFocus = [this] { EndDate_LostFocus(); };
    Cancel.Click = [this] { Cancel_Click(); };
}

DateRange DateRangeWindow::Range() const
{
    return DateRange { Bdates.Text(), Edates.Text(), StartDate.Value(), EndDate.Value() };
}

void DateRangeWindow::Form_Load()
{
    SetReadingLocks(false);
    CentreOnScreen();
    Show();
    StartDate.SetToday();
    EndDate.SetToday();
    Edates.SetText(EndDate.Stored());
    Bdates.SetText(StartDate.Stored());
    StartDate.setFocus();
}

void DateRangeWindow::Form_Unload()
{
    SetReadingLocks(true);
}

void DateRangeWindow::StartDate_LostFocus()
{
    Bdates.SetText(StartDate.Stored());
    Edates.SetText(EndDate.Stored());
}

void DateRangeWindow::EndDate_LostFocus()
{
    Bdates.SetText(StartDate.Stored());
    Edates.SetText(EndDate.Stored());
}

void DateRangeWindow::Cancel_Click()
{
    Unload();
}

bool DateRangeWindow::ReadyToPrint()
{
    // Stored dates compare as texts, character by character.
    if (Bdates.Text().toStdString() > Edates.Text().toStdString()) {
        forms::MsgBox(ReversedRangeMessage);
        return false;
    }
    if (!ReadingShown()) {
        forms::MsgBox(NoReadingsToPrintMessage);
        return false;
    }
    return ChoosePrinter(this);
}

} // namespace tellora
