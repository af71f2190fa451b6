#include "chart_window.h"

#include "print_graph.h"

#include "shell/displayrecord.h"
#include "shell/format.h"
#include "shell/reading.h"
#include "shell/shell.h"
#include "shell/walk.h"

#include "platform/dao/dao.h"
#include "platform/dao/step_cursor.h"
#include "platform/forms/desktop.h"
#include "platform/forms/registry.h"
#include "platform/print/choose_printer.h"
#include "platform/print/printer.h"

#include <QDir>

#include <array>
#include <optional>
#include <string_view>

namespace tellora {

using forms::Forms;

namespace {

// A value was taken: the field holds neither the missing mark nor Null.
bool Present(const Reading& r, const char* field)
{
    return r.Holds(Reading::FieldNamed(field));
}

bool Passes(const Reading& r, const FieldTest& test)
{
    for (const char* field : test.fields) {
        const bool present = Present(r, field);
        if (test.any && present) return true;
        if (!test.any && !present) return false;
    }
    return !test.any || test.fields.empty();
}

// The same test for SQLite to evaluate as it walks.
dao::RowFilter FilterOf(const FieldTest& test)
{
    if (test.fields.empty()) return {};
    std::vector<dao::RowFilter> parts;
    for (const char* field : test.fields)
        parts.push_back(dao::RowFilter::Holds(field, MissingMark));
    return test.any ? dao::RowFilter::AnyOf(std::move(parts)) : dao::RowFilter::AllOf(std::move(parts));
}

// What a failed click must put back so the window stays as it was.
struct Snapshot {
    std::array<QString, ChartGroupSize> labels;
    std::array<QString, ChartGroupSize> descriptions;
    std::array<std::array<double, chart::ChartControl::MaxColumns>, ChartGroupSize> cells {};
    QString bdate, btime, lineCount;
};

Snapshot Take(const ChartWindow& w)
{
    Snapshot s;
    for (int r = 1; r <= ChartGroupSize; ++r) {
        s.labels[r - 1] = w.MSChart1.rowLabel(r);
        s.descriptions[r - 1] = w.MSChart1.rowDescription(r);
        for (int c = 1; c <= w.MSChart1.ColumnCount(); ++c)
            s.cells[r - 1][c - 1] = w.MSChart1.value(r, c);
    }
    s.bdate = w.Bdate.Text();
    s.btime = w.Btime.Text();
    s.lineCount = w.LineCount.Text();
    return s;
}

void Restore(ChartWindow& w, const Snapshot& s)
{
    for (int r = 1; r <= ChartGroupSize; ++r) {
        w.MSChart1.setRowLabel(r, s.labels[r - 1]);
        w.MSChart1.setRowDescription(r, s.descriptions[r - 1]);
        for (int c = 1; c <= w.MSChart1.ColumnCount(); ++c)
            w.MSChart1.setValue(r, c, s.cells[r - 1][c - 1]);
    }
    w.Bdate.SetText(s.bdate);
    w.Btime.SetText(s.btime);
    w.LineCount.SetText(s.lineCount);
}

// The open database's BLOOD walked on index Readings, positioned on `key`;
// nothing when no reading holds that key.
std::optional<ReadingsCursor> OpenAt(const QString& date, const QString& time)
{
    ReadingsCursor r = OpenReadingsPage();
    r.rs->Seek({ date.toStdString(), time.toStdString() });
    if (r.rs->NoMatch()) return std::nullopt;
    return r;
}

bool Skipping()
{
    return ReadingsWalk() == Walk::Skipping;
}

bool SameTest(const FieldTest& a, const FieldTest& b)
{
    if (a.any != b.any || a.fields.size() != b.fields.size()) return false;
    for (std::size_t i = 0; i < a.fields.size(); ++i)
        if (std::string_view(a.fields[i]) != b.fields[i]) return false;
    return true;
}

// The open database's BLOOD walked on index Readings, positioned on the row
// the current-reading window shows; nothing when it is no longer stored.
std::optional<ReadingsCursor> OpenAtShown()
{
    ReadingsCursor r = OpenReadingsPage();
    if (!SeekShownReading(*r.rs)) return std::nullopt;
    return r;
}

} // namespace

ChartDescription LineTwin(ChartDescription bar)
{
    bar.name += QStringLiteral("Line");
    bar.type = chart::ChartType::Line2D;
    return bar;
}

ChartWindow::ChartWindow(const ChartDescription& description)
    : Form(description.name, forms::BorderStyle::FixedDialog)
    , description_(description)
{
    const bool narrow = description_.layout == LayoutClass::Narrow;
    SetCaption(description_.caption);
    SetClientSize(description_.ClientWidth(), description_.ClientHeight());
    HelpContextID = description_.helpContextId;
    SetFormFont(forms::SansBold975);
    auto at = [narrow](int n, int w) { return narrow ? n : w; };
    Layout({
        { .control = &MSChart1, .name = "MSChart1", .rect = { at(240, 120), 240, at(9975, 11415), 5175 }, .tab = 0 },
        { .control = &Exit, .name = "Exit", .caption = "Exit", .rect = { at(840, 1320), 5520, 1815, 615 }, .tab = 1 },
        { .control = &Bdate, .name = "Bdate", .rect = { 480, 240, 1815, 285 }, .visible = false },
        { .control = &Btime, .name = "Btime", .rect = { 6720, 240, 1335, 285 }, .visible = false },
        { .control = &NextGroup,
            .name = "NextGroup",
            .caption = "Next",
            .rect = { at(5280, 5760), 5520, 1935, 615 },
            .tab = 4 },
        { .control = &Previous,
            .name = "Previous",
            .caption = "Previous",
            .rect = { at(3000, 3480), 5520, 1935, 615 },
            .tab = 5 },
        { .control = &LineCount, .name = "LineCount", .rect = { 8160, 240, 975, 285 }, .visible = false },
        { .control = &PrintChart,
            .name = "PrintChart",
            .caption = "Print",
            .rect = { at(7560, 8040), 5520, 2055, 615 },
            .tab = 7 },
    });
    if (description_.cornerPicture) {
        Picture1 = std::make_unique<forms::PictureBox>();
        Layout({ { .control = Picture1.get(), .name = "Picture1", .rect = { 0, 0, 2535, 1215 } } });
        // Nothing draws into it; the chart stays on top where they overlap.
        Picture1->lower();
    }

    const auto& columns = description_.columns;
    MSChart1.SetRowCount(ChartGroupSize);
    MSChart1.SetColumnCount(int(columns.size()));
    MSChart1.SetChartType(description_.type);
    MSChart1.SetTitle(description_.title);
    MSChart1.SetCategoryAxisTitle("Date Of Reading");
    MSChart1.SetValueAxisTitle(description_.valueAxisTitle);
    MSChart1.SetValueAxisScale(chart::AxisScale::Automatic());
    MSChart1.SetSecondAxisVisible(description_.secondAxis != SecondAxis::Hidden);
    MSChart1.SetSecondAxisTitle(description_.secondAxisTitle);
    MSChart1.SetSecondAxisScale(description_.secondAxis == SecondAxis::TimeOfDay
            ? chart::AxisScale::Fixed(0, 2400, 8, 1)
            : chart::AxisScale::Automatic());
    for (int c = 1; c <= int(columns.size()); ++c) {
        MSChart1.SetColumnLabel(c, columns[c - 1].label);
        MSChart1.SetSeriesAxis(c, columns[c - 1].axis);
        MSChart1.SetSeriesColor(c, columns[c - 1].color);
    }
    MSChart1.SetLegendVisible(description_.legend);
    MSChart1.SetFonts({ QStringLiteral("MS Sans Serif"), 10, 8, description_.legendPoints, 8 });

    Exit.Click = [this] { Exit_Click(); };
    NextGroup.Click = [this] { NextGroup_Click(); };
    Previous.Click = [this] { Previous_Click(); };
    PrintChart.Click = [this] { PrintChart_Click(); };
}

ChartWindow::~ChartWindow() = default;

void ChartWindow::SetLocks(bool enabled)
{
    SetReadingLocks(enabled);
    locked_ = !enabled;
}

void ChartWindow::Form_Load()
{
    auto* record = Forms::Find<DisplayRecord>();
    if (!record || record->Btime.Text().isEmpty()) {
        // Nothing to chart: a window that stayed loaded and hidden could never be shown.
        Unload();
        return;
    }
    bool drawn = false, replaced = false;
    try {
        if (auto readings = OpenAtShown()) {
            Fill(*readings->rs, Handler::Load);
            readings->Close();
            drawn = true;
        }
    } catch (const dao::Error& e) {
        // The database is released as the block unwinds; the chart is emptied below.
        replaced = e.Number() == dao::errFileReplaced;
    }
    if (!drawn) {
        // The current reading cannot be read (gone, or the database will not
        // open): an empty chart, and a beep to say so.
        BlankFill(1);
        Bdate.SetText(QString());
        Btime.SetText(QString());
        LineCount.SetText("0");
        forms::Beep();
        if (replaced) forms::MsgBox(FileReplacedText(), forms::Buttons::OK, forms::Icon::Exclamation);
    }
    SetLocks(false);
    CentreOnScreen();
    Show();
    // The chart leads the Tab order, so Space does not press "Exit".
    MSChart1.setFocus();
}

void ChartWindow::Form_Unload()
{
    if (locked_) SetLocks(true);
}

dao::RowFilter ChartWindow::WalkFilter(Handler handler) const
{
    // A reading that passes none of the tests of a filling leaves no trace
    // on the window, except as the group's end when Load reads to the end
    // of the table, which Fill looks up itself.
    const ChartDescription& d = description_;
    const bool labels = d.filling == Filling::StepBack && handler != Handler::Next;
    std::vector<dao::RowFilter> tests { FilterOf(d.chartable) };
    if (labels) tests.push_back(FilterOf(d.LabelTest()));
    if (handler == Handler::Next) tests.push_back(FilterOf(d.NextGroupEndTest()));
    if (handler == Handler::Previous) tests.push_back(FilterOf(d.PreviousGroupEndTest()));
    return dao::RowFilter::AnyOf(std::move(tests));
}

void ChartWindow::Fill(dao::StepCursor& rs, Handler handler, const std::vector<long long>* path)
{
    std::size_t step = 0;
    const ChartDescription& d = description_;
    const FieldTest* groupEnd = handler == Handler::Next ? &d.NextGroupEndTest()
        : handler == Handler::Previous                   ? &d.PreviousGroupEndTest()
                                                         : nullptr;
    if (Skipping()) {
        rs.SetFilter(WalkFilter(handler));
        rs.ExpectRows(ChartGroupSize);
    }
    // The hidden boxes take their last values once, when the filling ends.
    std::optional<std::pair<QString, QString>> end;
    int k = 1;
    int n = 0;
    for (;;) {
        if (rs.EOF_()) {
            if (handler == Handler::Load && rs.Filtered() && k <= ChartGroupSize) {
                // Load makes every reading it reads the group's end, those the
                // walk passed over included: so the table's last reading. A
                // full group stops on its last reading before any such one.
                rs.SetFilter({});
                rs.MoveLast();
                const Reading last = Reading::From(rs);
                end = { last.Text(Reading::Bdate), last.Text(Reading::Btime) };
            }
            // Previous leaves the rows after its last reading as they were.
            if (handler != Handler::Previous) BlankFill(k);
            break;
        }
        if (k > ChartGroupSize) break;
        const Reading r = Reading::From(rs);
        if (!groupEnd || Passes(r, *groupEnd)) end = { r.Text(Reading::Bdate), r.Text(Reading::Btime) };
        const bool chartable = Passes(r, d.chartable);
        const bool labelled = d.filling == Filling::Combined ? chartable
            : handler == Handler::Next                       ? true
                                                             : Passes(r, d.LabelTest());
        if (labelled) {
            MSChart1.SetRow(k);
            MSChart1.SetRowLabel(FormatShortDate(r.Text(Reading::Bdate)));
        }
        if (chartable) {
            MSChart1.SetRow(k);
            // A screen reader hears the time of the reading charted beside its date.
            MSChart1.SetRowDescription(FormatMediumTime(r.Text(Reading::Btime)));
            for (int c = 1; c <= int(d.columns.size()); ++c) {
                const ChartColumn& column = d.columns[c - 1];
                MSChart1.SetColumn(c);
                MSChart1.SetData(column.source == ColumnSource::TimeOfReading
                        ? QString::number(TimeOfReadingValue(r.Text(Reading::Btime)))
                        : NumberText(NumberValue(r.Text(Reading::FieldNamed(column.field)))));
            }
            ++k;
            ++n;
            // A full group reads no further: the next reading would only end the loop.
            if (k > ChartGroupSize) break;
        }
        if (path && step < path->size())
            rs.SetBookmark((*path)[step++]);
        else
            rs.MoveNext();
    }
    if (end) {
        Bdate.SetText(end->first);
        Btime.SetText(end->second);
    }
    // Every filling reads at least the reading it starts on.
    LineCount.SetText(QString::number(n));
}

void ChartWindow::BlankFill(int row)
{
    for (int r = row; r <= ChartGroupSize; ++r) {
        MSChart1.SetRow(r);
        MSChart1.SetRowLabel(QString());
        MSChart1.SetRowDescription(QString());
        for (int c = 1; c <= MSChart1.ColumnCount(); ++c) {
            MSChart1.SetColumn(c);
            MSChart1.SetData("0");
        }
    }
}

void ChartWindow::NextGroup_Click()
{
    // A group that is not full means the readings ran out while it was filled.
    if (NumberValue(LineCount.Text()) < ChartGroupSize) {
        forms::Beep();
        return;
    }
    const Snapshot before = Take(*this);
    try {
        auto readings = OpenAt(Bdate.Text(), Btime.Text());
        if (!readings) {
            forms::Beep();
            return;
        }
        dao::StepCursor& rs = *readings->rs;
        // Any reading after the group's end, whether or not it is charted.
        rs.MoveNext();
        if (rs.EOF_()) {
            if (description_.endBeep) forms::Beep();
            readings->Close();
            return;
        }
        Fill(rs, Handler::Next);
        readings->Close();
    } catch (const dao::Error& e) {
        // A failed read keeps the group that was on screen.
        Restore(*this, before);
        forms::Beep();
        if (e.Number() == dao::errFileReplaced)
            forms::MsgBox(FileReplacedText(), forms::Buttons::OK, forms::Icon::Exclamation);
    }
}

void ChartWindow::Previous_Click()
{
    auto* record = Forms::Find<DisplayRecord>();
    if (!record || record->Btime.Text().isEmpty()) return;
    const double count = NumberValue(LineCount.Text());
    const int backStep = count >= ChartGroupSize ? 2 * ChartGroupSize : int(count) + ChartGroupSize;
    const Snapshot before = Take(*this);
    try {
        auto readings = OpenAt(Bdate.Text(), Btime.Text());
        if (!readings) {
            forms::Beep();
            return;
        }
        dao::StepCursor& rs = *readings->rs;
        // Back over backStep - 1 chartable readings, or past the first reading.
        const long long groupEnd = rs.Bookmark();
        // The chartable readings the walk back lands on, newest first.
        std::vector<long long> found;
        if (Skipping()) {
            rs.SetFilter(FilterOf(description_.chartable));
            rs.ExpectRows(backStep - 1);
        }
        int m = 1;
        while (!rs.BOF() && m != backStep) {
            rs.MovePrevious();
            if (rs.BOF()) break;
            if (Passes(Reading::From(rs), description_.chartable)) {
                ++m;
                found.push_back(rs.Bookmark());
            }
        }
        std::vector<long long> path;
        if (rs.BOF()) {
            // The filling's own walk starts at the first reading it would not pass over.
            if (Skipping()) {
                rs.SetFilter(WalkFilter(Handler::Previous));
                // When the filling tests only what the walk back tested, that
                // walk saw every reading up to the group end the filling
                // would read, and the filling goes from one it found to the
                // next and on to the group end without walking between them
                // again; unless a reading with no date or time hides from
                // walks that compare keys.
                const ChartDescription& d = description_;
                const bool sameTests = (d.filling == Filling::Combined || SameTest(d.LabelTest(), d.chartable))
                    && SameTest(d.PreviousGroupEndTest(), d.chartable);
                if (sameTests && !rs.NullKeyed({ Bdate.Text().toStdString(), Btime.Text().toStdString() })) {
                    path.assign(found.rbegin(), found.rend());
                    path.push_back(groupEnd);
                    rs.SetBookmark(path.front());
                    path.erase(path.begin());
                } else {
                    rs.MoveFirst();
                }
            } else {
                rs.MoveFirst();
            }
            forms::Beep();
        }
        // The seek found the group's end, so there is a reading to start on
        // (a skipping walk may stand past the last, and Fill sees to that).
        Fill(rs, Handler::Previous, &path);
        readings->Close();
    } catch (const dao::Error& e) {
        Restore(*this, before);
        forms::Beep();
        if (e.Number() == dao::errFileReplaced)
            forms::MsgBox(FileReplacedText(), forms::Buttons::OK, forms::Icon::Exclamation);
    }
}

void ChartWindow::Exit_Click()
{
    Unload();
}

void ChartWindow::PrintChart_Click()
{
    if (!ChoosePrinter(this)) return;
    std::optional<QString> savedFolder;
    print::Printer& printer = print::current();
    try {
        savedFolder = QDir::currentPath();
        auto* graph = dynamic_cast<PrintGraph*>(Forms::Load(PrintGraph::FormName));
        if (!graph) throw print::Error(print::errPrinter, "the staging window will not load");
        printer.SetOrientation(print::PageOrientation::Landscape);
        printer.SetScaleMode(print::ScaleUnit::Twips);
        // The picture stays inside the program; the user's clipboard is not touched.
        graph->Picture1.Picture = MSChart1.Picture();
        {
            print::Document document(printer);
            printer.PaintPicture(graph->Picture1.Picture, description_.PrintX(), description_.PrintY());
            document.End();
        }
        Forms::Unload(PrintGraph::FormName);
        printer.SetOrientation(print::PageOrientation::Portrait);
        QDir::setCurrent(*savedFolder);
    } catch (const print::Error&) {
        // Any begun document was abandoned by the guard, so it cannot merge into the next one.
        if (printer.InDocument()) printer.KillDoc();
        if (savedFolder) QDir::setCurrent(*savedFolder);
        forms::Beep();
        forms::MsgBox(description_.printFailure, forms::Buttons::OK, forms::Icon::Critical, "Tellora");
        Forms::Unload(PrintGraph::FormName);
    }
}

} // namespace tellora
