#pragma once
// A started program with a readings database open in DisplayRecord, the
// date-range report windows reached through their menu items, a recording
// printer, scripted printer choices and a fixed today.
#include "reports/range/prtinslogbydate.h"
#include "reports/range/register.h"
#include "reports/range/stdrptbydate.h"

#include "shell/shell_fixture.h"
#include "support/reading_locks.h"

#include "platform/print/printer_choice.h"
#include "platform/print/recording_printer.h"

#include <QDate>
#include <QStringList>

#include <cmath>

#include <map>
#include <string>
#include <vector>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace rangetest {

using testsupport::Locked;
using testsupport::Unlocked;

using namespace shelltest;

inline const QDate Today(2024, 3, 15);

// A reading: its key and the stored values that differ from "-" (field names
// as in BLOOD, without regard to case).
struct Rd {
    std::string date, time;
    std::map<std::string, std::string> values = {};
};

inline void WriteReadings(const QString& file, const std::vector<Rd>& rows)
{
    auto db = dao::DefaultWorkspace().OpenDatabase(file.toStdString());
    auto rs = db->OpenRecordset("BLOOD");
    {
        dao::Transaction t(dao::DefaultWorkspace());
        for (const Rd& r : rows) {
            rs->AddNew();
            for (const auto& f : ReadingFields)
                rs->SetValue(f.name, std::string("-"));
            rs->SetValue("Bdate", r.date);
            rs->SetValue("Btime", r.time);
            for (const auto& [field, value] : r.values)
                rs->SetValue(field, value);
            rs->Update();
        }
        t.Commit();
    }
    rs->Close();
    db->Close();
}

// The stored date n days after 2024-03-01, its picked day and its date as shown.
inline std::string Day(int n)
{
    return QDate(2024, 3, 1).addDays(n).toString("yyyy-MM-dd").toStdString();
}
inline QDate PickedDay(int n)
{
    return QDate(2024, 3, 1).addDays(n);
}
inline QString ShownDay(int n)
{
    return QDate(2024, 3, 1).addDays(n).toString("M/d/yyyy");
}

// n standard readings, two a day at 08:00 and 20:00 from day `firstDay` on,
// sugar counting up from 100.
inline std::vector<Rd> Standard(int n, int firstDay = 0)
{
    std::vector<Rd> rows;
    for (int i = 0; i < n; ++i)
        rows.push_back({ Day(firstDay + i / 2), i % 2 ? "20:00" : "08:00",
            { { "Bsugar", std::to_string(100 + i) }, { "Bpressure", "120" }, { "Dpressure", "80" } } });
    return rows;
}
// n injection readings laid out the same way.
inline std::vector<Rd> Injections(int n, int firstDay = 0)
{
    std::vector<Rd> rows;
    for (int i = 0; i < n; ++i)
        rows.push_back({ Day(firstDay + i / 2), i % 2 ? "20:00" : "08:00",
            { { "Bsugar", std::to_string(100 + i) }, { "Instype", "Humalog" }, { "Insamt", std::to_string(i) },
                { "Site", "Arm" } } });
    return rows;
}

class RangeTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        RegisterRangeReportWindows();
        desk.clock = QDateTime(Today, QTime(9, 0));
    }

    // Makes the database with these readings and opens it (the newest shows).
    void OpenWith(const std::vector<Rd>& rows)
    {
        makeDatabase(File);
        WriteReadings(File, rows);
        open(File);
        ASSERT_NE(record(), nullptr);
    }

    StdRptByDate* stdWindow() { return Forms::Find<StdRptByDate>(); }
    PrtInsLogByDate* logWindow() { return Forms::Find<PrtInsLogByDate>(); }

    // The menu item, as the user picks it.
    DateRangeWindow* OpenWindow(bool log)
    {
        main()->Menu[log ? "mnuFilePrtInjLogByDate" : "mnuFilePrtStdRptbyDate"].Trigger();
        DateRangeWindow* w = log ? static_cast<DateRangeWindow*>(logWindow()) : stdWindow();
        if (w) activate(w);
        return w;
    }
    static forms::CommandButton& PrintButton(DateRangeWindow* w)
    {
        if (auto* s = dynamic_cast<StdRptByDate*>(w)) return s->PrintRpt;
        return static_cast<PrtInsLogByDate*>(w)->PrtLog;
    }

    // Picks the days as the user does: each picker set while it has the
    // focus, then left, so that its hidden box follows.
    static void Pick(DateRangeWindow* w, const QDate& first, const QDate& last)
    {
        activate(w);
        w->StartDate.setFocus();
        w->StartDate.SetValue(first);
        w->EndDate.setFocus();
        w->EndDate.SetValue(last);
        w->StartDate.setFocus();
        QCoreApplication::processEvents();
    }

    print::RecordingPrinter& recorder() { return *catalog.recorder(); }

    // A printed text in page units: a column and a row of the page's scale.
    struct Printed {
        int page;
        double x, y;
        QString text;
        bool italic;
    };
    // The texts of one document (the last begun when 0), in the order printed.
    std::vector<Printed> Texts(int document = 0)
    {
        if (!document) document = recorder().DocumentsBegun();
        std::vector<Printed> out;
        for (const auto& op : recorder().OpsOf(print::OpKind::Text)) {
            if (op.document != document) continue;
            const bool landscape = op.orientation == print::PageOrientation::Landscape;
            const double x = op.at.x() * (landscape ? 110.0 / 15120 : 80.0 / 11520);
            const double y = op.at.y() * (landscape ? 51.0 / 11520 : 66.0 / 15120);
            out.push_back({ op.page, x, y, op.text, op.font.italic() });
        }
        return out;
    }
    // The texts printed on one row of a page, left to right as printed.
    QStringList Row(int page, double row, int document = 0)
    {
        QStringList out;
        for (const Printed& t : Texts(document))
            if (t.page == page && std::abs(t.y - row) < 0.01) out << t.text;
        return out;
    }
    // Every page's texts, each page as "row: text" lines.
    std::vector<QStringList> Pages(int document = 0)
    {
        std::vector<QStringList> pages;
        for (const Printed& t : Texts(document)) {
            if (int(pages.size()) < t.page) pages.resize(t.page);
            pages[t.page - 1] << QStringLiteral("%1: %2").arg(t.y, 0, 'f', 2).arg(t.text);
        }
        return pages;
    }

    // Picks the range and prints it with a confirmed printer choice.
    void PrintRange(DateRangeWindow* w, const QDate& first, const QDate& last)
    {
        Pick(w, first, last);
        choices.ConfirmPreset();
        click(&PrintButton(w));
        flushDeletes();
    }

    const QString File = QStringLiteral("JANE_DOE.mdb");
    print::ScopedCatalog catalog;
    print::ScriptedPrinterChoices choices;
};

} // namespace rangetest
