#pragma once
// The on-screen listing: readings from the current one on, in index order,
// eight to a page of a picture box, paged forward and back. One behaviour;
// each listing window is a short description of which readings it lists
// and how it prints one.
//
// Where the page stands lives in five hidden boxes (FirstDate, FirstTime:
// the first reading on the page, empty when past the end; LastDate,
// LastTime: the last reading printed; LineCount: how many the page holds),
// so nothing is held between clicks: every step opens the database, walks
// the index with one cursor and closes it again.
#include "shell/reading.h"

#include "platform/forms/controls.h"
#include "platform/forms/form.h"
#include "platform/forms/picturebox.h"

#include <QColor>
#include <QString>

#include <vector>

namespace dao {
class StepCursor;
}

namespace tellora {

// Prints a reading on lines `line` and `line + 1`.
using RowPrinter = void (*)(forms::PictureBox& page, const Reading& row, int line);

struct ListingDescription {
    // The listing test: Reading::IsStandard or Reading::IsInjection.
    bool (Reading::*listed)() const = nullptr;
    // The fields that test looks at (Reading::StandardFields or
    // Reading::InjectionFields), for SQLite to test as it walks.
    std::vector<Reading::Field> listedFields;
    RowPrinter printRow = nullptr;
    // The colour of the text on the black page.
    QColor ink;
};

inline constexpr int RowsPerPage = 8;

// The text less its trailing blanks.
QString TrimTrailing(const QString& text);
// Prints a text with its top left corner at (x, y) of the page; with a
// name, a screen reader hears the text under the name of its column.
void PrintAt(forms::PictureBox& page, double x, double y, const QString& text, const QString& name = {});

class ListingWindow : public forms::Form {
    Q_OBJECT
public:
    forms::PictureBox Picture1;
    forms::TextBox LastDate;
    forms::TextBox LastTime;
    forms::TextBox LineCount;
    forms::TextBox FirstDate;
    forms::TextBox FirstTime;

    // The window's listing test.
    bool Qualifies(const Reading& row) const;

protected:
    ListingWindow(const char* name, ListingDescription description);

    // Locks the current-reading window and the menus, prints the first page
    // from the current reading on, centres and shows the window.
    void Form_Load() override;
    // Releases what the load step locked, however the window closes.
    void Form_Unload() override;

    // The next page after a full one; the end-of-data notice with a beep
    // when none of the readings that follow belongs in the listing.
    void PageForward();
    // The page of up to eight listed readings before the one on screen, or
    // the last page when past the end.
    void PageBack();

private:
    // Runs `work` with a cursor on BLOOD of the open database in the order of
    // index Readings, and releases both before it returns. An engine failure
    // is reported and gives false.
    template<class Work> bool WithReadings(Work&& work);
    void PageSetUp();
    // Prints the listed readings from the cursor on until the page is full or
    // the table ends; returns how many it printed.
    // With `path`, the rows the fill would walk to first, in order, after the
    // row it starts on: it goes to each by its bookmark, then walks on.
    int PageFill(dao::StepCursor& rs, const std::vector<long long>* path = nullptr);
    // Counts listed readings from the cursor back, up to `limit`, moving back
    // after each reading; returns the count.
    int WalkBack(dao::StepCursor& rs, int limit) const;
    // The skipping walk's way to the start of the page before: leaves the
    // cursor on the reading the page starts from, or gives false when no
    // reading is listed at all; `path` gets what the fill can go to by
    // bookmark instead of walking again.
    bool StartPageBack(
        dao::StepCursor& rs, int limit, const std::vector<std::string>* from, std::vector<long long>& path) const;
    int LineCountValue() const;
    // Lets the cursor's walk pass over the readings this listing does not
    // list (when the program walks that way); the row under it stays.
    void SkipUnlisted(dao::StepCursor& rs) const;

    ListingDescription description_;
};

} // namespace tellora
