#include "listing.h"

#include "platform/dao/step_cursor.h"

#include "shell/displayrecord.h"
#include "shell/format.h"
#include "shell/reading.h"
#include "shell/shell.h"
#include "shell/walk.h"

#include "platform/dao/dao.h"
#include "platform/forms/desktop.h"
#include "platform/forms/registry.h"

namespace tellora {

using forms::Forms;

namespace {
const QColor PageColour(0, 0, 0);
} // namespace

QString TrimTrailing(const QString& text)
{
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1) == QLatin1Char(' '))
        --n;
    return text.left(n);
}

void PrintAt(forms::PictureBox& page, double x, double y, const QString& text, const QString& name)
{
    page.SetCurrentX(x);
    page.SetCurrentY(y);
    page.PrintNamed(name, text);
}

ListingWindow::ListingWindow(const char* name, ListingDescription description)
    : Form(QString::fromUtf8(name))
    , description_(std::move(description))
{
    Picture1.SetBackColor(PageColour);
    Picture1.SetForeColor(description_.ink);
    Picture1.SetFontName(QStringLiteral("MS Sans Serif"));
    Picture1.SetFontSize(12);
    Picture1.SetFontBold(true);
}

bool ListingWindow::Qualifies(const Reading& row) const
{
    return (row.*description_.listed)();
}

void ListingWindow::SkipUnlisted(dao::StepCursor& rs) const
{
    if (ReadingsWalk() != Walk::Skipping) return;
    std::vector<dao::RowFilter> tests;
    for (Reading::Field field : description_.listedFields)
        tests.push_back(dao::RowFilter::Holds(FieldName(field), MissingMark));
    rs.SetFilter(dao::RowFilter::AnyOf(std::move(tests)));
    rs.ExpectRows(RowsPerPage + 1);
}

template<class Work> bool ListingWindow::WithReadings(Work&& work)
{
    try {
        ReadingsCursor readings = OpenReadingsPage();
        work(*readings.rs);
        readings.Close();
        return true;
    } catch (const dao::Error& e) {
        // Cursor and database were released as the block unwound; the
        // page stays as it was and the engine's reason is shown.
        forms::MsgBox(e.Number() == dao::errFileReplaced ? FileReplacedText() : QString::fromStdString(e.Description()),
            forms::Buttons::OK, forms::Icon::Exclamation);
        return false;
    }
}

void ListingWindow::PageSetUp()
{
    Picture1.SetScaleMode(forms::PictureBox::ScaleMode::Characters);
    Picture1.Scale(0, 0, 80, 16);
}

int ListingWindow::PageFill(dao::StepCursor& rs, const std::vector<long long>* path)
{
    std::size_t step = 0;
    SkipUnlisted(rs);
    int n = 0;
    QString firstDate, firstTime, lastDate, lastTime;
    while (!rs.EOF_() && n < RowsPerPage) {
        const Reading row = Reading::From(rs);
        if (Qualifies(row)) {
            description_.printRow(Picture1, row, 2 * n);
            lastDate = row.Text(Reading::Bdate);
            lastTime = row.Text(Reading::Btime);
            if (n == 0) {
                firstDate = lastDate;
                firstTime = lastTime;
            }
            ++n;
            // A full page reads no further.
            if (n == RowsPerPage) break;
        }
        if (path && step < path->size())
            rs.SetBookmark((*path)[step++]);
        else
            rs.MoveNext();
    }
    // The page state takes its values once, and only from a page that lists something.
    if (n > 0) {
        FirstDate.SetText(firstDate);
        FirstTime.SetText(firstTime);
        LastDate.SetText(lastDate);
        LastTime.SetText(lastTime);
        LineCount.SetText(QString::number(n));
    }
    return n;
}

int ListingWindow::WalkBack(dao::StepCursor& rs, int limit) const
{
    int count = 0;
    while (!rs.BOF() && count != limit) {
        if (Qualifies(Reading::From(rs))) ++count;
        rs.MovePrevious();
    }
    return count;
}

bool ListingWindow::StartPageBack(
    dao::StepCursor& rs, int limit, const std::vector<std::string>* from, std::vector<long long>& path) const
{
    // As WalkBack and the move after it, without the walk past the last
    // reading counted or the walk forward again over what was counted.
    const long long start = rs.BOF() ? 0 : rs.Bookmark();
    // The listed readings counted, newest first.
    std::vector<long long> counted;
    while (!rs.BOF()) {
        const Reading row = Reading::From(rs);
        if (Qualifies(row)) {
            counted.push_back(rs.Bookmark());
            if (int(counted.size()) == limit) break;
        }
        rs.MovePrevious();
    }
    const int count = int(counted.size());
    // A walk keyed from a reading passes over readings with no date or time
    // near its key, which a walk from either end does not: then the moves
    // are made as they always were.
    const bool hidden = from && rs.NullKeyed(*from);
    if (count == limit) {
        const Reading row = Reading::From(rs);
        if (hidden
            || rs.NullKeyed({ row.Text(Reading::Bdate).toStdString(), row.Text(Reading::Btime).toStdString() })) {
            rs.MovePrevious();
            rs.MoveNext();
        } else {
            // The page goes on over the readings counted, newest last.
            path.assign(counted.rbegin() + 1, counted.rend());
        }
        return true;
    }
    if (hidden) {
        rs.MoveFirst();
        return true;
    }
    // The walk back saw every listed reading up to where it began: the fill
    // goes from one to the next, and on from there.
    path.assign(counted.rbegin(), counted.rend());
    if (from && (path.empty() || path.back() != start)) path.push_back(start);
    if (path.empty()) return false;
    rs.SetBookmark(path.front());
    path.erase(path.begin());
    return true;
}

int ListingWindow::LineCountValue() const
{
    return int(NumberValue(LineCount.Text()));
}

void ListingWindow::Form_Load()
{
    SetReadingLocks(false);
    auto* record = Forms::Find<DisplayRecord>();
    const QString date = record ? record->Bdate.Text() : QString();
    const QString time = record ? FormatShortTime(record->Btime.Text()) : QString();
    const bool read = WithReadings([&](dao::StepCursor& rs) {
        // From the row shown, not merely the first with its date and time.
        const bool found = SeekShownReading(rs);
        // The current reading always names a stored one; should it be gone,
        // the page lists nothing and Previous still finds the last page.
        const Reading current = found ? Reading::From(rs) : Reading {};
        LastDate.SetText(!found ? date : current.Text(Reading::Bdate));
        LastTime.SetText(!found ? time : current.Text(Reading::Btime));
        LineCount.SetText(QStringLiteral("0"));
        PageSetUp();
        PageFill(rs);
        if (LineCountValue() == 0) PrintAt(Picture1, 0, 0, QStringLiteral("Click Previous"));
    });
    if (!read) {
        Unload();
        return;
    }
    CentreOnScreen();
    Show();
}

void ListingWindow::Form_Unload()
{
    SetReadingLocks(true);
}

void ListingWindow::PageForward()
{
    if (!ReadingShown() || LineCountValue() < RowsPerPage) return;
    WithReadings([&](dao::StepCursor& rs) {
        rs.Seek({ LastDate.Text().toStdString(), LastTime.Text().toStdString() });
        if (rs.NoMatch()) return;
        // Any reading after the last one printed, listed or not.
        rs.MoveNext();
        // The last reading printed is the last in the index: no signal.
        if (rs.EOF_()) return;
        Picture1.Cls();
        PageSetUp();
        if (PageFill(rs) == 0) {
            LineCount.SetText(QStringLiteral("0"));
            forms::Beep();
            PrintAt(Picture1, 0, 0, QStringLiteral("There are no additional readings."));
            FirstDate.SetText(QString());
            FirstTime.SetText(QString());
            LastDate.SetText(QString());
            LastTime.SetText(QString());
        }
    });
}

void ListingWindow::PageBack()
{
    WithReadings([&](dao::StepCursor& rs) {
        int limit = 0;
        const std::vector<std::string> first { FirstDate.Text().toStdString(), FirstTime.Text().toStdString() };
        if (FirstDate.Text().isEmpty()) {
            // Past the end: the last page of the listing.
            SkipUnlisted(rs);
            rs.MoveLast();
            limit = RowsPerPage;
        } else {
            rs.Seek(first);
            if (rs.NoMatch()) return;
            SkipUnlisted(rs);
            // The page's own first reading is counted too.
            limit = RowsPerPage + 1;
        }
        if (ReadingsWalk() == Walk::Skipping) {
            std::vector<long long> path;
            const bool fill = StartPageBack(rs, limit, FirstDate.Text().isEmpty() ? nullptr : &first, path);
            Picture1.Cls();
            PageSetUp();
            // Nothing is listed at all: a fill would print nothing.
            if (fill) PageFill(rs, &path);
            return;
        }
        // The walk leaves the cursor just before the last reading it counted.
        // Reaching the limit, that reading starts the new page; otherwise the
        // walk ran off the start and the listing's first reading does.
        if (WalkBack(rs, limit) == limit)
            rs.MoveNext();
        else
            rs.MoveFirst();
        Picture1.Cls();
        PageSetUp();
        PageFill(rs);
    });
}

} // namespace tellora
