// The skipping walk against the row-by-row walk: both listings, opened on
// random logs (rare and common listed readings, "-", Null, trailing blanks,
// duplicate dates and keys), paged at random; after every click both walks
// must leave the same page, page state, notices and beeps.
#include "listing_fixture.h"

#include "shell/walk.h"

#include "platform/dao/step_cursor.h"
#include "support/random_log.h"

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

const testsupport::RandomLogTexts LogTexts {
    .present = { "120", "Hu ", "- ", "", " -", "12" },
    .times = { "00:00", "08:30", "17:45" },
};

class ListingWalkIdentity : public ListingFixture {
protected:
    void TearDown() override
    {
        tellora::SetReadingsWalk(tellora::Walk::Skipping);
        ListingFixture::TearDown();
    }

    // A new database holding a random log, opened in place of the one open.
    std::vector<std::pair<std::string, std::string>> OpenRandomLog(std::mt19937& rng, int rows, double density)
    {
        if (record()) {
            record()->Command1.Press();
            shelltest::flushDeletes();
        }
        QFile::remove(DatabaseFile);
        tellora::CreateReadingsDatabase(DatabaseFile);
        auto keys = testsupport::WriteRandomLog(DatabaseFile, rng, rows, density, LogTexts);
        OpenDatabase();
        return keys;
    }

    // A random current reading, put in the boxes as ShowRecord would.
    void ShowKey(const std::pair<std::string, std::string>& key)
    {
        record()->Bdate.SetText(QString::fromStdString(key.first));
        record()->Btime.SetText(tellora::FormatMediumTime(QString::fromStdString(key.second)));
    }

    static std::string RandomClicks(std::mt19937& rng, int count)
    {
        std::string clicks;
        for (int i = 0; i < count; ++i)
            clicks += rng() % 3 ? 'N' : 'P';
        return clicks;
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
        const auto keys = OpenRandomLog(rng, 30 + int(rng() % 250), density);
        for (bool injectionLog : { false, true }) {
            for (int round = 0; round < 3; ++round) {
                ShowKey(keys[rng() % keys.size()]);
                const std::string clicks = RandomClicks(rng, 12);
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
        // Scans in this many parts, each on a thread of its own, however small the table.
        int ways = 0;
    };
    const Switch switches[] = { { 1, 0 }, { 1, 2 }, { 60, 3 }, { 500, 0 }, { 1, 0, 3 }, { 60, 2, 4 } };
    for (unsigned seed = 31; seed <= 36; ++seed) {
        std::mt19937 rng(seed);
        const double density = densities[seed % std::size(densities)];
        const auto keys = OpenRandomLog(rng, 60 + int(rng() % 250), density);
        for (bool injectionLog : { false, true }) {
            for (const Switch sw : switches) {
                ShowKey(keys[rng() % keys.size()]);
                const std::string clicks = RandomClicks(rng, 12);
                const auto rowByRow = Run(injectionLog, tellora::Walk::RowByRow, clicks);
                dao::StepCursor::SetScanSwitch(sw.steps, sw.batch);
                dao::StepCursor::SetPartedScan(sw.ways ? 1 : 0, sw.ways);
                const auto scanning = Run(injectionLog, tellora::Walk::Skipping, clicks);
                dao::StepCursor::SetScanSwitch(0, 0);
                dao::StepCursor::SetPartedScan(0, 0);
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
