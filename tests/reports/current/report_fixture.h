#pragma once
// A started program with a readings database open in DisplayRecord, the
// report chooser registered, a recording printer and scripted printer
// choices; helpers to print as the user does and to read the printed texts
// back in page units.
#include "reports/current/printreports.h"
#include "reports/current/register.h"

#include "shell/shell_fixture.h"
#include "support/reading_locks.h"

#include "platform/print/printer_choice.h"
#include "platform/print/recording_printer.h"

#include <QDate>
#include <QDir>

#include <optional>
#include <string>
#include <vector>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace reporttest {

using testsupport::Locked;
using testsupport::Unlocked;

using namespace shelltest;
using print::OpKind;
using print::PageOrientation;

// A reading as stored; "-" where not taken.
struct Rd {
    std::string date, time;
    std::string sugar = "-", systolic = "-", diastolic = "-", pulse = "-", weight = "-", temp = "-", spo2 = "-";
    std::string comment = "-", instype = "-", insamt = "-", site = "-";
};

// Reading i of a steady log, two a day at 08:00 and 20:00 from 1 March 2024.
inline std::string DateOf(int i)
{
    return QDate(2024, 3, 1).addDays(i / 2).toString("yyyy-MM-dd").toStdString();
}
inline std::string TimeOf(int i)
{
    return i % 2 ? "20:00" : "08:00";
}
inline QString ShownDateOf(int i)
{
    return QDate(2024, 3, 1).addDays(i / 2).toString("M/d/yyyy");
}

// n standard readings (sugar 100 + i, pressure 120/80, pulse 70) from reading `first` on.
inline std::vector<Rd> Standard(int n, int first = 0)
{
    std::vector<Rd> rows;
    for (int i = first; i < first + n; ++i)
        rows.push_back({ .date = DateOf(i),
            .time = TimeOf(i),
            .sugar = std::to_string(100 + i),
            .systolic = "120",
            .diastolic = "80",
            .pulse = "70" });
    return rows;
}

// n injection readings (Humalog, 4 units, Arm) from reading `first` on.
inline std::vector<Rd> Injections(int n, int first = 0)
{
    std::vector<Rd> rows;
    for (int i = first; i < first + n; ++i)
        rows.push_back({ .date = DateOf(i),
            .time = TimeOf(i),
            .sugar = std::to_string(100 + i),
            .instype = "Humalog",
            .insamt = std::to_string(i),
            .site = "Arm" });
    return rows;
}

inline void Write(const QString& file, const std::vector<Rd>& rows)
{
    auto db = dao::DefaultWorkspace().OpenDatabase(file.toStdString());
    auto rs = db->OpenRecordset("BLOOD");
    for (const Rd& r : rows) {
        Reading reading;
        const std::pair<Reading::Field, const std::string*> fields[] = { { Reading::Bdate, &r.date },
            { Reading::Btime, &r.time }, { Reading::Bsugar, &r.sugar }, { Reading::Bpressure, &r.systolic },
            { Reading::Dpressure, &r.diastolic }, { Reading::Bpulse, &r.pulse }, { Reading::Bweight, &r.weight },
            { Reading::Temp, &r.temp }, { Reading::SPO2, &r.spo2 }, { Reading::Bcomm, &r.comment },
            { Reading::Instype, &r.instype }, { Reading::Insamt, &r.insamt }, { Reading::Site, &r.site } };
        for (const auto& [f, v] : fields)
            reading[f] = *v;
        rs->AddNew();
        reading.WriteTo(*rs);
        rs->Update();
    }
    rs->Close();
    db->Close();
}

// A printed text in the page's own units.
struct PrintedText {
    int page;
    double x, y;
    QString text;
    QFont font;
};

class ReportTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        RegisterCurrentReportWindows();
    }

    // Makes ANN_LEE.mdb with the rows, opens it and shows row `current`
    // (DisplayRecord shows the newest reading on opening).
    void OpenWith(const std::vector<Rd>& rows, std::optional<std::size_t> current = 0)
    {
        makeDatabase("ANN_LEE.mdb");
        Write("ANN_LEE.mdb", rows);
        open("ANN_LEE.mdb");
        ASSERT_NE(record(), nullptr);
        if (current && !rows.empty()) Show(rows.at(*current).date, rows.at(*current).time);
    }

    void Show(const std::string& date, const std::string& time)
    {
        auto db = dao::DefaultWorkspace().OpenDatabase(OpenDatabaseName().toStdString());
        auto rs = db->OpenRecordset("BLOOD");
        rs->SetIndex("Readings");
        rs->Seek("=", { date, time });
        ASSERT_FALSE(rs->NoMatch()) << date << " " << time;
        record()->ShowRecord(*rs);
    }

    // "Print Report" on the current-reading window.
    PrintReports* Chooser()
    {
        if (auto* w = Forms::Find<PrintReports>()) return w;
        click(&record()->PrintReport);
        return Forms::Find<PrintReports>();
    }

    // Picks a report, confirms the printer choice and clicks Print.
    void PrintReport(bool standard)
    {
        PrintReports* w = Chooser();
        ASSERT_NE(w, nullptr);
        if (!standard) {
            activate(w);
            QTest::mouseClick(&w->Option2, Qt::LeftButton, {}, QPoint(5, w->Option2.height() / 2));
            ASSERT_TRUE(w->Option2.Value());
        }
        choices.ConfirmPreset();
        click(&w->Print);
    }

    print::RecordingPrinter& recorder() { return *catalog.recorder(); }

    // The texts of a document's pages in page units: 80 x 66 portrait, 110 x 51 landscape.
    std::vector<PrintedText> Texts(int document = 0, int page = 0)
    {
        if (document == 0) document = recorder().DocumentsBegun();
        std::vector<PrintedText> out;
        for (const auto& op : recorder().Ops()) {
            if (op.kind != OpKind::Text || op.document != document || (page && op.page != page)) continue;
            const bool landscape = op.orientation == PageOrientation::Landscape;
            const double ux = landscape ? 15120 / 110.0 : 11520 / 80.0;
            const double uy = landscape ? 11520 / 51.0 : 15120 / 66.0;
            out.push_back({ op.page, op.at.x() / ux, op.at.y() / uy, op.text, op.font });
        }
        return out;
    }

    // The texts printed at x = 10 on a page, by row.
    std::map<int, QString> Lines(int page, int document = 0)
    {
        std::map<int, QString> rows;
        for (const auto& t : Texts(document, page))
            if (std::abs(t.x - 10) < 1e-4) rows[int(std::lround(t.y))] = t.text;
        return rows;
    }

    std::optional<PrintedText> Find(const QString& text, int page = 0)
    {
        for (const auto& t : Texts(0, page))
            if (t.text == text) return t;
        return std::nullopt;
    }

    QString Today() const { return desk.clock.date().toString("M/d/yyyy"); }

    print::ScopedCatalog catalog;
    print::ScriptedPrinterChoices choices;
};

} // namespace reporttest
