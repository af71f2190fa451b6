// The skipping walk against the row-by-row walk: both listings, opened on
// random logs (rare and common listed readings, "-", Null, trailing blanks,
// duplicate dates and keys), paged at random; after every click both walks
// must leave the same page, page state, notices and beeps.
#include "listing_fixture.h"

#include "shell/walk.h"

#include "platform/dao/step_cursor.h"

#include <random>
#include <sstream>

using namespace listingtest;

namespace {

std::string Observe(const tellora::ListingWindow& w, int beeps)
{
    std::ostringstream out;
    out << "First=" << w.FirstDate.Text().toStdString() << " " << w.FirstTime.Text().toStdString()
        << " Last=" << w.LastDate.Text().toStdString() << " " << w.LastTime.Text().toStdString()
        << " LineCount=" << w.LineCount.Text().toStdString() << " beeps=" << beeps << "\n";
    for (const auto& t : w.Picture1.DisplayList())
        out << t.x << "," << t.y << " " << t.text.toStdString() << "\n";
    return out.str();
}

const char* const ValueFields[]
    = { "Bsugar", "Bpressure", "Dpressure", "Bpulse", "Bweight", "Bcomm", "Instype", "Insamt", "Site", "SPO2", "Temp" };

class ListingWalkIdentity : public ListingFixture {
protected:
    void TearDown() override
    {
        tellora::SetReadingsWalk(tellora::Walk::Skipping);
        ListingFixture::TearDown();
    }

    std::vector<std::pair<std::string, std::string>> WriteRandomLog(std::mt19937& rng, int rows, double density)
    {
        const std::vector<std::string> present = { "120", "Hu ", "- ", "", " -", "12" };
        std::uniform_real_distribution<double> chance(0, 1);
        tellora::CreateReadingsDatabase(DatabaseFile);
        auto db = dao::DefaultWorkspace().OpenDatabase(DatabaseFile.toStdString());
        auto rs = db->OpenRecordset("BLOOD");
        // One commit for the whole log, not one synced write per reading.
        dao::Transaction writing(dao::DefaultWorkspace());
        const int days = std::max(1, rows / 3);
        std::vector<std::pair<std::string, std::string>> keys;
        for (int i = 0; i < rows; ++i) {
            rs->AddNew();
            rs->SetValue("Bdate", QDate(2024, 1, 1).addDays(int(rng() % days)).toString("yyyy-MM-dd").toStdString());
            rs->SetValue("Btime", std::vector<std::string> { "00:00", "08:30", "17:45" }[rng() % 3]);
            keys.emplace_back(*rs->GetValue("Bdate"), *rs->GetValue("Btime"));
            for (const char* f : ValueFields) {
                if (chance(rng) < density)
                    rs->SetValue(f, present[rng() % present.size()]);
                else if (chance(rng) < 0.05)
                    rs->SetValue(f, std::nullopt);
                else
                    rs->SetValue(f, std::string("-"));
            }
            rs->Update();
        }
        // Half the logs end in a few readings that hold nothing. The newest
        // reading, which the database opens on, holds no Null.
        const bool quietEnd = rng() % 2;
        const int last = quietEnd ? 1 + int(rng() % 3) : 1;
        for (int i = 0; i < last; ++i) {
            rs->AddNew();
            keys.emplace_back(i + 1 < last ? "2098-06-0" + std::to_string(i + 1) : "2099-12-31", "23:59");
            rs->SetValue("Bdate", keys.back().first);
            rs->SetValue("Btime", keys.back().second);
            for (const char* f : ValueFields)
                rs->SetValue(
                    f, !quietEnd && chance(rng) < density ? present[rng() % present.size()] : std::string("-"));
            rs->Update();
        }
        writing.Commit();
        rs->Close();
        db->Close();
        return keys;
    }

    std::vector<std::string> Run(bool injectionLog, tellora::Walk walk, const std::string& clicks)
    {
        tellora::SetReadingsWalk(walk);
        desk.beeps = 0;
        // Through the chooser, pressed directly: no window activation to wait for.
        record()->PrintToScreen.Press();
        listingChooser()->Option2.SetValue(injectionLog);
        listingChooser()->Option1.SetValue(!injectionLog);
        listingChooser()->DisplayRpt.Press();
        tellora::ListingWindow* w = injectionLog
            ? static_cast<tellora::ListingWindow*>(forms::Forms::Find<tellora::DisplayLog>())
            : forms::Forms::Find<tellora::Display>();
        if (!w) return { "not loaded" };
        std::vector<std::string> seen { Observe(*w, desk.beeps) };
        auto* next = w->findChild<forms::CommandButton*>(injectionLog ? "Next" : "NextPage");
        auto* previous = w->findChild<forms::CommandButton*>("Previous");
        for (char c : clicks) {
            (c == 'N' ? next : previous)->Press();
            seen.push_back(Observe(*w, desk.beeps));
        }
        w->Unload();
        shelltest::flushDeletes();
        return seen;
    }
};

TEST_F(ListingWalkIdentity, BothListingsShowTheSameAfterEveryClick)
{
    const double densities[] = { 0.0, 0.01, 0.04, 0.2, 0.9 };
    for (unsigned seed = 1; seed <= 12; ++seed) {
        std::mt19937 rng(seed);
        const double density = densities[seed % std::size(densities)];
        if (record()) {
            record()->Command1.Press();
            shelltest::flushDeletes();
        }
        QFile::remove(DatabaseFile);
        const auto keys = WriteRandomLog(rng, 30 + int(rng() % 250), density);
        OpenDatabase();
        for (bool injectionLog : { false, true }) {
            for (int round = 0; round < 3; ++round) {
                // A random current reading, put in the boxes as ShowRecord would.
                const auto& [date, time] = keys[rng() % keys.size()];
                record()->Bdate.SetText(QString::fromStdString(date));
                record()->Btime.SetText(tellora::FormatMediumTime(QString::fromStdString(time)));
                std::string clicks;
                for (int i = 0; i < 12; ++i)
                    clicks += rng() % 3 ? 'N' : 'P';
                const auto rowByRow = Run(injectionLog, tellora::Walk::RowByRow, clicks);
                const auto skipping = Run(injectionLog, tellora::Walk::Skipping, clicks);
                ASSERT_EQ(rowByRow.size(), skipping.size());
                for (std::size_t i = 0; i < rowByRow.size(); ++i)
                    ASSERT_EQ(rowByRow[i], skipping[i])
                        << (injectionLog ? "DisplayLog" : "Display") << ", seed " << seed << ", density " << density
                        << ", after " << (i ? clicks.substr(0, i) : std::string("opening"));
            }
        }
    }
}

// The same with every filtered walk going over to a sorted scan at once or
// midway, in batches of a few rows: the scans must land where the walks do.
TEST_F(ListingWalkIdentity, BothListingsShowTheSameWhenTheirWalksTurnIntoScans)
{
    const double densities[] = { 0.0, 0.01, 0.05, 0.3 };
    struct Switch {
        long long steps;
        int batch;
    };
    const Switch switches[] = { { 1, 0 }, { 1, 2 }, { 60, 3 }, { 500, 0 } };
    for (unsigned seed = 31; seed <= 36; ++seed) {
        std::mt19937 rng(seed);
        const double density = densities[seed % std::size(densities)];
        if (record()) {
            record()->Command1.Press();
            shelltest::flushDeletes();
        }
        QFile::remove(DatabaseFile);
        const auto keys = WriteRandomLog(rng, 60 + int(rng() % 250), density);
        OpenDatabase();
        for (bool injectionLog : { false, true }) {
            for (const Switch sw : switches) {
                const auto& [date, time] = keys[rng() % keys.size()];
                record()->Bdate.SetText(QString::fromStdString(date));
                record()->Btime.SetText(tellora::FormatMediumTime(QString::fromStdString(time)));
                std::string clicks;
                for (int i = 0; i < 12; ++i)
                    clicks += rng() % 3 ? 'N' : 'P';
                const auto rowByRow = Run(injectionLog, tellora::Walk::RowByRow, clicks);
                dao::StepCursor::SetScanSwitch(sw.steps, sw.batch);
                const auto scanning = Run(injectionLog, tellora::Walk::Skipping, clicks);
                dao::StepCursor::SetScanSwitch(0, 0);
                ASSERT_EQ(rowByRow.size(), scanning.size());
                for (std::size_t i = 0; i < rowByRow.size(); ++i)
                    ASSERT_EQ(rowByRow[i], scanning[i])
                        << (injectionLog ? "DisplayLog" : "Display") << ", seed " << seed << ", switch " << sw.steps
                        << "/" << sw.batch << ", after " << (i ? clicks.substr(0, i) : std::string("opening"));
            }
        }
    }
}

} // namespace
