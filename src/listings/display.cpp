#include "display.h"

#include "shell/format.h"

namespace tellora {

namespace {

void PrintStandardRow(forms::PictureBox& page, const Reading& row, int line)
{
    // Each value under the name of its column, as a screen reader hears it.
    PrintAt(page, 0, line, FormatShortDate(row.Text(Reading::Bdate)), QStringLiteral("Date"));
    PrintAt(page, 11, line, FormatMediumTime(row.Text(Reading::Btime)), QStringLiteral("Time"));
    PrintAt(page, 23, line, row.Text(Reading::Bsugar), QStringLiteral("Blood Sugar"));
    PrintAt(page, 34, line,
        TrimTrailing(row.Text(Reading::Bpressure)) + QStringLiteral(" / ") + TrimTrailing(row.Text(Reading::Dpressure)),
        QStringLiteral("Blood Pressure"));
    PrintAt(page, 46, line, row.Text(Reading::Bpulse), QStringLiteral("Pulse"));
    PrintAt(page, 56, line, row.Text(Reading::Bweight), QStringLiteral("Weight"));
    PrintAt(page, 65, line, row.Text(Reading::Temp), QStringLiteral("Temperature"));
    PrintAt(page, 73, line, row.Text(Reading::SPO2), QStringLiteral("SPO2"));
    PrintAt(page, 0, line + 1, QStringLiteral("Comments:"));
    PrintAt(page, 12, line + 1, row.Text(Reading::Bcomm));
}

} // namespace

const ListingDescription& Display::Description()
{
    static const ListingDescription description {
        .listed = &Reading::IsStandard,
        .listedFields = { std::begin(Reading::StandardFields), std::end(Reading::StandardFields) },
        .printRow = PrintStandardRow,
        .ink = forms::RGB(255, 255, 0),
    };
    return description;
}

Display::Display()
    : ListingWindow(FormName, Description())
{
    SetCaption("Display Database");
    SetClientSize(11325, 6675);
    HelpContextID = 100;
    SetFormFont(forms::SansBold975);
    Layout({
        { .control = &Picture1,
            .name = "Picture1",
            .caption = "Display Database",
            .rect = { 300, 780, 10695, 4935 },
            .tab = 0 },
        { &NextPage, "NextPage", "Next Page", { 7080, 5880, 2055, 615 }, 1 },
        { &Previous, "Previous", "Previous Page", { 4560, 5880, 2055, 615 }, 10 },
        { &CloseDisplay, "CloseDisplay", "Exit Display", { 2040, 5880, 2055, 615 }, 11 },
        { &Label1, "Label1", "Date:", { 360, 480, 855, 255 } },
        { &Label2, "Label2", "Time:", { 1860, 480, 975, 255 } },
        { &Label3, "Label3", "Blood", { 3120, 240, 1095, 255 } },
        { &Label4, "Label4", "Sugar", { 3240, 480, 855, 255 } },
        { &Label5, "Label5", "Blood", { 4680, 240, 855, 255 } },
        { &Label6, "Label6", "Pressure", { 4560, 480, 1095, 255 } },
        { &Label7, "Label7", "Pulse", { 5940, 480, 975, 255 } },
        { &Label8, "Label8", "Weight", { 7140, 480, 1095, 255 } },
        { &Label9, "Label9", "Temperature", { 8340, 480, 1395, 375 } },
        { &Label10, "Label10", "SPO2", { 9960, 480, 735, 195 } },
        { .control = &LastDate, .name = "LastDate", .visible = false },
        { .control = &LastTime, .name = "LastTime", .visible = false },
        { .control = &LineCount, .name = "LineCount", .visible = false },
        { .control = &FirstDate, .name = "FirstDate", .visible = false },
        { .control = &FirstTime, .name = "FirstTime", .visible = false },
    });
    for (forms::Label* label : { &Label1, &Label2, &Label3, &Label4, &Label5, &Label6, &Label7, &Label8 })
        label->SetCentred(true);
    NextPage.Click = [this] { NextPage_Click(); };
    Previous.Click = [this] { Previous_Click(); };
    CloseDisplay.Click = [this] { CloseDisplay_Click(); };
}

} // namespace tellora
