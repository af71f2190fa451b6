#include "displaylog.h"

#include "shell/format.h"

namespace tellora {

namespace {

void PrintLogRow(forms::PictureBox& page, const Reading& row, int line)
{
    // Each value under the name of its column, as a screen reader hears it.
    PrintAt(page, 0, line, FormatShortDate(row.Text(Reading::Bdate)), QStringLiteral("Date"));
    PrintAt(page, 11, line, FormatMediumTime(row.Text(Reading::Btime)), QStringLiteral("Time"));
    PrintAt(page, 22, line, row.Text(Reading::Bsugar), QStringLiteral("Blood Sugar"));
    PrintAt(page, 30, line, TrimTrailing(row.Text(Reading::Instype)), QStringLiteral("Insulin Injected"));
    PrintAt(page, 51, line, TrimTrailing(row.Text(Reading::Insamt)), QStringLiteral("Dosage"));
    PrintAt(page, 57, line, TrimTrailing(row.Text(Reading::Site)), QStringLiteral("Injection Site"));
    PrintAt(page, 0, line + 1, QStringLiteral("Comments: ") + row.Text(Reading::Bcomm));
}

} // namespace

const ListingDescription& DisplayLog::Description()
{
    static const ListingDescription description {
        .listed = &Reading::IsInjection,
        .listedFields = { std::begin(Reading::InjectionFields), std::end(Reading::InjectionFields) },
        .printRow = PrintLogRow,
        .ink = forms::RGB(255, 255, 255),
    };
    return description;
}

DisplayLog::DisplayLog()
    : ListingWindow(FormName, Description())
{
    SetCaption("Injection Log Readings");
    SetClientSize(11295, 6615);
    SetFormFont(forms::SansBold975);
    Layout({
        { .control = &Picture1,
            .name = "Picture1",
            .caption = "Injection Log Readings",
            .rect = { 240, 720, 10935, 4875 },
            .tab = 0 },
        { &Next, "Next", "Next", { 7260, 5760, 2055, 615 }, 1 },
        { &Previous, "Previous", "Previous", { 4500, 5760, 2055, 615 }, 2 },
        { &Cancel, "Cancel", "Exit Display", { 1740, 5760, 2055, 615 }, 3 },
        { &Label1, "Label1", "Date", { 600, 420, 555, 195 } },
        { &Label2, "Label2", "Time", { 2040, 420, 675, 255 } },
        { &Label3, "Label3", "Blood", { 3240, 180, 675, 255 } },
        { &Label4, "Label4", "Sugar", { 3240, 420, 675, 255 } },
        { &Label5, "Label5", "Insulin Injected", { 4740, 420, 1755, 315 } },
        { &Label6, "Label6", "Dosage", { 6900, 420, 855, 255 } },
        { &Label7, "Label7", "Injection Site", { 8520, 420, 1455, 195 } },
        { .control = &LastDate, .name = "LastDate", .visible = false },
        { .control = &LastTime, .name = "LastTime", .visible = false },
        { .control = &LineCount, .name = "LineCount", .visible = false },
        { .control = &FirstDate, .name = "FirstDate", .visible = false },
        { .control = &FirstTime, .name = "FirstTime", .visible = false },
    });
    Label3.SetCentred(true);
    Label4.SetCentred(true);
    Next.Click = [this] { Next_Click(); };
    Previous.Click = [this] { Previous_Click(); };
    Cancel.Click = [this] { Cancel_Click(); };
}

} // namespace tellora
