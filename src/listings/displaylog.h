#pragma once
// The injection-log listing: every reading with an insulin value, from the
// current reading on, eight to a page.
#include "listing.h"

#include "platform/forms/controls.h"

namespace tellora {

class DisplayLog : public ListingWindow {
    Q_OBJECT
public:
    static constexpr const char* FormName = "DisplayLog";
    DisplayLog();

    // What this listing shows and how it prints a reading.
    static const ListingDescription& Description();

    forms::CommandButton Next;
    forms::CommandButton Previous;
    forms::CommandButton Cancel;
    forms::Label Label1, Label2, Label3, Label4, Label5, Label6, Label7;

private:
    void Next_Click() { PageForward(); }
    void Previous_Click() { PageBack(); }
    void Cancel_Click() { Unload(); }
};

} // namespace tellora
