#include "about.h"

namespace tellora {

About::About()
    : Form(FormName, forms::BorderStyle::None)
{
    SetCaption("About Tellora");
    SetClientSize(5400, 5325);
    SetBackColor(forms::RGB(0, 0, 64));
    SetFormFont(forms::SansBold975);
    Layout({
        { &lblTitle, "lblTitle", "Tellora", { 120, 120, 5175, 255 } },
        { &lblVersion, "lblVersion", "Version 3.95", { 120, 360, 5175, 255 } },
        { &lblNotice, "lblNotice", "A personal log of health readings.", { 120, 600, 5175, 495 } },
        { &lblInfo, "lblInfo", "Each person's readings are kept in a database of their own in the program folder.",
            { 120, 1080, 5175, 495 } },
        { &lblNotes, "lblNotes",
            "Readings can be stepped through, added, edited, searched, listed, charted and printed. "
            "The databases can be backed up, restored, compacted and repaired from the Utilities menu. "
            "Press F1 in any window for help.",
            { 120, 1560, 5175, 2115 } },
        { &lblComments, "lblComments", "Comments and suggestions are always welcome.", { 120, 3720, 5115, 495 } },
        { &Close, "Close", "Close", { 1860, 4440, 1815, 495 }, 0 },
    });
    for (forms::Label* l : { &lblTitle, &lblVersion, &lblNotice })
        l->SetCentred(true);
    for (forms::Label* l : { &lblTitle, &lblVersion, &lblNotice, &lblInfo, &lblNotes, &lblComments })
        l->SetForeColor(forms::RGB(255, 255, 255));
    Close.Click = [this] { Close_Click(); };
}

void About::Form_Load()
{
    CentreOnScreen();
    Show();
}

void About::Form_LostFocus()
{
    Unload();
}
void About::Close_Click()
{
    Unload();
}

} // namespace tellora
