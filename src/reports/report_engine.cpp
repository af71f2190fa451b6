#include "report_engine.h"

#include "layout/page_layout.h"

#include "shell/format.h"
#include "shell/shell.h"

#include "platform/dao/dao.h"
#include "platform/dao/step_cursor.h"
#include "platform/print/printer.h"

#include <QDir>

#include <memory>

namespace tellora::reports {

using print::Printer;

DataPageLines::Placement DataPageLines::Place(bool hasComment)
{
    Placement at;
    if (++line_ == 61) {
        ++page_;
        line_ = 11;
        at.rowOpensPage = true;
    }
    at.rowLine = line_;
    if (hasComment) {
        if (line_ > 59) {
            ++page_;
            line_ = 11;
            at.commentOpensPage = true;
        } else {
            ++line_;
        }
        at.commentLine = line_;
    }
    return at;
}

namespace {

// The open database with a cursor on BLOOD in the order of Readings, closed
// when it goes out of scope whatever happened.
class Readings {
public:
    Readings()
        : db_(dao::DefaultWorkspace().OpenDatabase(OpenDatabaseName().toStdString()))
        , cursor_(std::make_unique<dao::StepCursor>(*db_, "BLOOD", "Readings"))
    {
    }
    ~Readings()
    {
        cursor_.reset();
        if (db_) db_->Close();
    }
    // Calls `visit` with every reading of the walk, in index order.
    template<class F> void Walk(const ReportWalk& walk, F&& visit)
    {
        dao::StepCursor& c = *cursor_;
        walk.seekFirst(c);
        for (; !c.EOF_(); c.MoveNext()) {
            const Reading r = Reading::From(c);
            if (walk.endsAt && walk.endsAt(r)) return;
            visit(r);
        }
    }

private:
    std::unique_ptr<dao::Database> db_;
    std::unique_ptr<dao::StepCursor> cursor_;
};

// Puts the folder that was current back however the report ends.
class FolderKeeper {
public:
    FolderKeeper()
        : saved_(QDir::currentPath())
    {
    }
    ~FolderKeeper() { QDir::setCurrent(saved_); }

private:
    QString saved_;
};

void Fail(const ReportFailure& failure)
{
    if (failure.beep) forms::Beep();
    forms::MsgBox(failure.text, forms::Buttons::OK, failure.icon, failure.title);
}

QString Trimmed(const Reading& r, Reading::Field f)
{
    QString text = r.Text(f);
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

// One data row at y = line, every value as stored.
void PrintRow(Printer& p, const Reading& r, int line)
{
    const float y = float(line);
    PrintAt(p, 10, y, FormatShortDate(r.Text(Reading::Bdate)));
    PrintAt(p, 19, y, FormatMediumTime(r.Text(Reading::Btime)));
    const std::array<QString, MeasureCount> texts
        = { r.Text(Reading::Bsugar), Trimmed(r, Reading::Bpressure), Trimmed(r, Reading::Dpressure),
              r.Text(Reading::Bpulse), r.Text(Reading::Bweight), r.Text(Reading::Temp), r.Text(Reading::SPO2) };
    PrintCentred(p, 31, y, texts[0]);
    PrintCentred(p, 39, y, texts[1] + QLatin1Char('/') + texts[2]);
    PrintCentred(p, 48, y, texts[3]);
    PrintCentred(p, 58, y, texts[4]);
    PrintCentred(p, 66, y, texts[5]);
    PrintCentred(p, 72.5f, y, texts[6]);
}

// ---- Summary pages ---------------------------------------------------------

enum class Stat { Lowest, Highest, LowestAm, HighestAm, LowestPm, HighestPm, AmAverage, PmAverage, Overall };

struct SummaryLine {
    int row;
    QString text;
};

QString StatText(const MeasureTexts& t, Stat s)
{
    auto halfDay = [](const HalfDayText& h) { return h.value + "   " + h.date + "   " + h.time; };
    switch (s) {
    case Stat::Lowest:
        return t.lowest;
    case Stat::Highest:
        return t.highest;
    case Stat::LowestAm:
        return halfDay(t.lowestAm);
    case Stat::HighestAm:
        return halfDay(t.highestAm);
    case Stat::LowestPm:
        return halfDay(t.lowestPm);
    case Stat::HighestPm:
        return halfDay(t.highestPm);
    case Stat::AmAverage:
        return t.amAverage;
    case Stat::PmAverage:
        return t.pmAverage;
    case Stat::Overall:
        return t.overallAverage;
    }
    return {};
}

// The nine lines of one measure's block, from `row` on: lowest, highest, the
// four half-day extremes, the morning, afternoon and overall averages.
void Block(std::vector<SummaryLine>& out, int row, const SummaryTexts& texts, Measure m, const QString& name,
    const QString& lowestName = {})
{
    const MeasureTexts& t = texts[int(m)];
    const QString low = lowestName.isEmpty() ? name : lowestName;
    const std::pair<QString, Stat> lines[] = {
        { "Lowest " + low, Stat::Lowest },
        { "Highest " + name, Stat::Highest },
        { "Lowest AM " + name, Stat::LowestAm },
        { "Highest AM " + name, Stat::HighestAm },
        { "Lowest PM " + name, Stat::LowestPm },
        { "Highest PM " + name, Stat::HighestPm },
        { "Average AM " + name, Stat::AmAverage },
        { "Average PM " + name, Stat::PmAverage },
        { "Average " + name, Stat::Overall },
    };
    for (const auto& [label, stat] : lines)
        out.push_back({ row++, label + " Reading: " + StatText(t, stat) });
}

void Pressures(std::vector<SummaryLine>& out, const SummaryTexts& texts)
{
    const MeasureTexts& sys = texts[int(Measure::Systolic)];
    const MeasureTexts& dia = texts[int(Measure::Diastolic)];
    int row = 19;
    for (const auto& [t, name] : { std::pair { &sys, "Systolic" }, std::pair { &dia, "Diastolic" } }) {
        const QString n = QString::fromLatin1(name);
        for (const auto& [prefix, stat] :
            { std::pair { "Lowest ", Stat::Lowest }, std::pair { "Highest ", Stat::Highest },
                std::pair { "Lowest AM ", Stat::LowestAm }, std::pair { "Highest AM ", Stat::HighestAm },
                std::pair { "Lowest PM ", Stat::LowestPm }, std::pair { "Highest PM ", Stat::HighestPm } })
            out.push_back({ row++, prefix + n + " Reading: " + StatText(*t, stat) });
    }
    out.push_back({ row++, "Average AM Systolic Reading: " + sys.amAverage });
    out.push_back({ row++, "Average PM Systolic Reading: " + sys.pmAverage });
    out.push_back({ row++, "Average AM Diastolic Reading: " + dia.amAverage });
    out.push_back({ row++, "Average PM Diastolic Reading: " + dia.pmAverage });
    out.push_back({ row, "Average Blood Pressure Reading: " + sys.overallAverage + "/" + dia.overallAverage });
}

void Notices(std::vector<SummaryLine>& out, int row)
{
    out.push_back(
        { row, "The author of this application assumes NO liability for the use or misuse of the above information." });
    out.push_back({ row + 1, "This application in NOT intended to replace professional medical care." });
}

void SummaryHeader(
    std::vector<SummaryLine>& out, const ReportDescription& report, const QString& pageText, const QString& totalText)
{
    out.push_back({ 4, "NAME: " + report.name });
    out.push_back({ 5, report.pageDateLine() });
    out.push_back({ 6, "PAGE #: " + pageText + " OF " + totalText });
    out.push_back({ 7, "Summary Page" });
}

void PrintLines(Printer& p, const std::vector<SummaryLine>& lines)
{
    for (const SummaryLine& l : lines)
        PrintAt(p, 10, float(l.row), l.text);
}

// The two summary pages, the first on the page the caller has begun.
void PrintSummaryPages(Printer& p, const ReportDescription& report, const SummaryTexts& texts, int firstPage, int total)
{
    SetUpReportPage(p);
    std::vector<SummaryLine> first;
    SummaryHeader(first, report, NumberText(firstPage), NumberText(total));
    Block(first, 9, texts, Measure::Sugar, "Blood Sugar");
    Pressures(first, texts);
    Block(first, 37, texts, Measure::Pulse, "Pulse");
    Block(first, 47, texts, Measure::Weight, "Weight");
    Notices(first, 57);
    PrintLines(p, first);

    p.NewPage();
    std::vector<SummaryLine> second;
    SummaryHeader(second, report, NumberText(firstPage + 1), NumberText(total));
    Block(second, 9, texts, Measure::Temperature, "Temperature", "Temerature");
    Block(second, 19, texts, Measure::Spo2, "SPO2");
    Notices(second, 29);
    PrintLines(p, second);
}

} // namespace

ReportOutcome PrintStandardReport(const ReportDescription& report)
{
    if (!ReadingShown()) {
        forms::MsgBox(QString::fromLatin1(NothingToPrintMessage));
        return ReportOutcome::NoReadingShown;
    }
    forms::SetMousePointer(forms::vbHourglass);
    Printer& p = print::current();
    const FolderKeeper folder;
    try {
        Readings readings;
        // Pages and statistics in one pass: both see the same readings.
        DataPageLines counting;
        SummaryStatistics stats(report.averages);
        readings.Walk(report.walk, [&](const Reading& r) {
            if (!r.IsStandard()) return;
            counting.Place(r.Holds(Reading::Bcomm));
            stats.AddReading(r);
        });
        if (counting.Empty()) {
            forms::SetMousePointer(forms::vbArrow);
            forms::MsgBox(QString::fromLatin1(NothingToPrintMessage));
            return ReportOutcome::NothingToPrint;
        }
        const int total = report.dataPages ? counting.Pages() + 2 : 2;

        // A document left open by anyone before is not ours to finish.
        p.KillDoc();
        p.SetOrientation(print::PageOrientation::Portrait);
        SetUpReportPage(p);
        int page = 1;
        if (report.dataPages) {
            PrintPageHeader(p, page, total, report.name, report.pageDateLine());
            DataPageLines lines;
            auto openPage = [&] {
                p.NewPage();
                ++page;
                PrintPageHeader(p, page, total, report.name, report.pageDateLine());
                SetUpReportPage(p);
            };
            readings.Walk(report.walk, [&](const Reading& r) {
                if (!r.IsStandard()) return;
                const bool comment = r.Holds(Reading::Bcomm);
                const DataPageLines::Placement at = lines.Place(comment);
                if (at.rowOpensPage) openPage();
                PrintRow(p, r, at.rowLine);
                stats.AddPrintedRow(r);
                if (comment) {
                    if (at.commentOpensPage) openPage();
                    PrintAt(p, 10, float(at.commentLine), "Comments: " + r.Text(Reading::Bcomm));
                }
            });
            ++page;
            p.NewPage();
        } else {
            readings.Walk(report.walk, [&](const Reading& r) {
                if (r.IsStandard()) stats.AddPrintedRow(r);
            });
        }
        PrintSummaryPages(p, report, stats.Texts(), page, total);
        p.EndDoc();
    } catch (const dao::Error&) {
        p.KillDoc();
        forms::SetMousePointer(forms::vbArrow);
        Fail(ReportFailure {});
        return ReportOutcome::Failed;
    } catch (const print::Error&) {
        p.KillDoc();
        forms::SetMousePointer(forms::vbArrow);
        Fail(ReportFailure {});
        return ReportOutcome::Failed;
    }
    forms::SetMousePointer(forms::vbArrow);
    return ReportOutcome::Printed;
}

ReportOutcome PrintInjectionLog(const ReportDescription& report)
{
    Printer& p = print::current();
    const FolderKeeper folder;
    auto failed = [&](void) {
        p.KillDoc();
        p.SetOrientation(print::PageOrientation::Portrait);
        Fail(report.logFailure);
        return ReportOutcome::Failed;
    };
    try {
        Readings readings;
        std::int64_t count = 0;
        readings.Walk(report.walk, [&](const Reading& r) { count += r.IsInjection(); });
        if (count == 0) {
            forms::MsgBox(report.logNothingToPrint);
            return ReportOutcome::NothingToPrint;
        }
        const std::int64_t pages = (count + LogRowsPerPage - 1) / LogRowsPerPage;

        p.KillDoc();
        p.SetOrientation(print::PageOrientation::Landscape);
        SetUpLogPage(p);
        std::int64_t page = 1, remaining = count;
        int rows = 0;
        float y = LogFirstRowY;
        auto header = [&] {
            PrintLogPageHeader(p, int(page), int(pages), report.name, report.logDateLine());
            DrawLogGrid(p);
        };
        header();
        readings.Walk(report.walk, [&](const Reading& r) {
            if (!r.IsInjection()) return;
            const QString items[6] = { FormatShortDate(r.Text(Reading::Bdate)),
                FormatMediumTime(r.Text(Reading::Btime)), r.Text(Reading::Bsugar), r.Text(Reading::Instype),
                r.Text(Reading::Insamt), r.Text(Reading::Site) };
            for (int i = 0; i < 6; ++i)
                PrintCentred(p, LogColumnCentres[i], y, items[i]);
            y += LogRowPitch;
            --remaining;
            // A page is begun only when another row is sure to follow.
            if (++rows == LogRowsPerPage && remaining > 0) {
                p.NewPage();
                ++page;
                header();
                SetUpLogPage(p);
                y = LogFirstRowY;
                rows = 0;
            }
        });
        p.EndDoc();
        p.SetOrientation(print::PageOrientation::Portrait);
    } catch (const dao::Error&) {
        return failed();
    } catch (const print::Error&) {
        return failed();
    }
    return ReportOutcome::Printed;
}

SummaryTexts SummaryOf(const ReportDescription& report)
{
    Readings readings;
    SummaryStatistics stats(report.averages);
    readings.Walk(report.walk, [&](const Reading& r) {
        if (!r.IsStandard()) return;
        stats.AddReading(r);
        stats.AddPrintedRow(r);
    });
    return stats.Texts();
}

} // namespace tellora::reports
