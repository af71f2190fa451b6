#pragma once
// The standard-readings listing: every reading with a measured value, from
// the current reading on, eight to a page.
#include "listing.h"

#include "platform/forms/controls.h"

namespace tellora {

class Display : public ListingWindow {
    Q_OBJECT
public:
    static constexpr const char* FormName = "Display";
    Display();

    // What this listing shows and how it prints a reading.
    static const ListingDescription& Description();

    forms::CommandButton NextPage;
    forms::CommandButton Previous;
    forms::CommandButton CloseDisplay;
    forms::Label Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8, Label9, Label10;

private:
    void NextPage_Click() { PageForward(); }
    void Previous_Click() { PageBack(); }
    void CloseDisplay_Click() { Unload(); }
};

} // namespace tellora
