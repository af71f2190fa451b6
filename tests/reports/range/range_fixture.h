#pragma once
// A started program with a readings database open in DisplayRecord, the
// date-range report windows reached through their menu items, a recording
// printer, scripted printer choices and a fixed today.
#include "reports/range/prtinslogbydate.h"
#include "reports/range/register.h"
#include "reports/range/stdrptbydate.h"

#include "shell/shell_fixture.h"

#include "platform/print/printer_choice.h"
#include "platform/print/recording_printer.h"

#include <QDate>

#include <map>
#include <string>
#include <vector>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace rangetest {

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

// The stored date n days after 2024-03-01.
inline std::string Day(int n)
{
    return QDate(2024, 3, 1).addDays(n).toString("yyyy-MM-dd").toStdString();
}

class RangeTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        RegisterRangeReportWindows();
        forms::DatePicker::today = [] { return Today; };
    }
    void TearDown() override
    {
        forms::DatePicker::today = {};
        ShellTest::TearDown();
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

    // DisplayRecord and the three top menus: all locked, or all free.
    bool Locked()
    {
        return !record()->Enabled() && !main()->mnuFile.Enabled() && !main()->mnuUtilities.Enabled()
            && !main()->mnuGraphs.Enabled();
    }
    bool Free()
    {
        return record()->Enabled() && main()->mnuFile.Enabled() && main()->mnuUtilities.Enabled()
            && main()->mnuGraphs.Enabled();
    }

    print::RecordingPrinter& recorder() { return *catalog.recorder(); }

    const QString File = QStringLiteral("JANE_DOE.mdb");
    print::ScopedCatalog catalog;
    print::ScriptedPrinterChoices choices;
};

} // namespace rangetest
