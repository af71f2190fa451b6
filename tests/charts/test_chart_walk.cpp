// The skipping walk against the row-by-row walk: every chart window, opened
// on random logs (sparse and dense measures, "-", Null, blanks, duplicate
// dates and keys), clicked at random; after every click both walks must
// leave the same grid, hidden boxes and beeps.
#include "chart_fixture.h"

#include "charts/pressure/pressure_charts.h"
#include "charts/sugar/sugar_charts.h"
#include "shell/walk.h"

#include "platform/dao/step_cursor.h"

#include "support/random_log.h"

#include <random>
#include <sstream>

using namespace charttest;

namespace {

// Everything a user, or a later click, can see of a chart window.
std::string Observe(const ChartWindow& w, int beeps)
{
    std::ostringstream out;
    out << "Bdate=" << w.Bdate.Text().toStdString() << " Btime=" << w.Btime.Text().toStdString()
        << " LineCount=" << w.LineCount.Text().toStdString() << " beeps=" << beeps << "\n";
    for (int r = 1; r <= ChartGroupSize; ++r) {
        out << r << " [" << w.MSChart1.rowLabel(r).toStdString() << "]";
        for (int c = 1; c <= w.MSChart1.ColumnCount(); ++c)
            out << " " << w.MSChart1.value(r, c);
        out << "\n";
    }
    return out.str();
}

// Present values include texts a chart reads as 0.
const testsupport::RandomLogTexts LogTexts {
    .present = { "120", "6.5", " 98", "3,5", "", "- ", "ab", "&H1", "-5" },
    .times = { "00:00", "08:30", "12:00", "17:45", "23:59" },
};

// The key of the reading from which exactly a group's worth of readings to
// the end of the table pass `test`: a window opened there fills its group
// just before the readings that end the log.
std::optional<std::pair<std::string, std::string>> FullGroupToTheEnd(const QString& file, const FieldTest& test)
{
    auto db = dao::DefaultWorkspace().OpenDatabase(file.toStdString());
    dao::StepCursor c(*db, "BLOOD", "Readings");
    if (c.EOF_()) return std::nullopt;
    c.MoveLast();
    int count = 0;
    for (; !c.BOF(); c.MovePrevious()) {
        bool passes = !test.any || test.fields.empty();
        for (const char* f : test.fields) {
            const dao::Value v = c.GetValue(f);
            const bool held = v && *v != "-";
            passes = test.any ? passes || held : passes && held;
        }
        if (passes && ++count == ChartGroupSize) return std::make_pair(*c.GetValue("Bdate"), *c.GetValue("Btime"));
    }
    return std::nullopt;
}

class WalkIdentity : public ChartTest {
protected:
    void TearDown() override
    {
        SetReadingsWalk(Walk::Skipping);
        ChartTest::TearDown();
    }

    // Opens the window on the current reading and runs the clicks, observing after each.
    std::vector<std::string> Run(const ChartDescription& d, Walk walk, const std::string& clicks)
    {
        SetReadingsWalk(walk);
        desk.beeps = 0;
        std::vector<std::string> seen;
        auto* w = dynamic_cast<ChartWindow*>(Forms::Load(d.name));
        if (!w) return { "not loaded" };
        seen.push_back(Observe(*w, desk.beeps));
        for (char c : clicks) {
            (c == 'N' ? w->NextGroup : w->Previous).Press();
            seen.push_back(Observe(*w, desk.beeps));
        }
        w->Unload();
        flushDeletes();
        return seen;
    }

    // Every chart window the walks are compared in.
    static std::vector<const ChartDescription*> Windows()
    {
        std::vector<const ChartDescription*> windows;
        for (const auto* charts : { &PressureCharts(), &SugarCharts() })
            for (const ChartDescription& d : *charts)
                windows.push_back(&d);
        return windows;
    }

    // A new database holding a random log, opened in place of the one open.
    std::vector<std::pair<std::string, std::string>> OpenRandomLog(
        const QString& file, std::mt19937& rng, int rows, double density)
    {
        makeDatabase(file);
        auto keys = testsupport::WriteRandomLog(file, rng, rows, density, LogTexts);
        if (record()) {
            record()->Command1.Press();
            flushDeletes();
        }
        open(file);
        return keys;
    }

    // A reading put in the boxes as ShowRecord would.
    void ShowKey(const std::pair<std::string, std::string>& key)
    {
        record()->Bdate.SetText(QString::fromStdString(key.first));
        record()->Btime.SetText(FormatMediumTime(QString::fromStdString(key.second)));
    }

    static std::string RandomClicks(std::mt19937& rng, int count)
    {
        std::string clicks;
        for (int i = 0; i < count; ++i)
            clicks += rng() % 2 ? 'N' : 'P';
        return clicks;
    }
};

TEST_F(WalkIdentity, EveryChartWindowShowsTheSameAfterEveryClick)
{
    const auto windows = Windows();
    const double densities[] = { 0.0, 0.02, 0.15, 0.5, 0.95 };
    for (unsigned seed = 1; seed <= 10; ++seed) {
        std::mt19937 rng(seed);
        const double density = densities[seed % std::size(densities)];
        const QString file = QStringLiteral("LOG_%1.mdb").arg(seed);
        const auto keys = OpenRandomLog(file, rng, 40 + int(rng() % 160), density);
        ASSERT_NE(record(), nullptr);
        for (const ChartDescription* d : windows) {
            // A random current reading, and one that fills a group up to the
            // end of the log, put in the boxes as ShowRecord would.
            std::vector<std::pair<std::string, std::string>> currents { keys[rng() % keys.size()] };
            if (auto key = FullGroupToTheEnd(file, d->chartable)) currents.push_back(*key);
            for (const auto& current : currents) {
                ShowKey(current);
                const std::string clicks = RandomClicks(rng, 14);
                const auto rowByRow = Run(*d, Walk::RowByRow, clicks);
                const auto skipping = Run(*d, Walk::Skipping, clicks);
                ASSERT_EQ(rowByRow.size(), skipping.size());
                for (std::size_t i = 0; i < rowByRow.size(); ++i)
                    ASSERT_EQ(rowByRow[i], skipping[i])
                        << d->name.toStdString() << ", seed " << seed << ", density " << density << ", after "
                        << (i ? clicks.substr(0, i) : std::string("opening"));
            }
        }
    }
}

// The same with every filtered walk going over to a sorted scan at once or
// midway, in batches of a few rows: the scans must land where the walks do.
TEST_F(WalkIdentity, EveryChartWindowShowsTheSameWhenItsWalksTurnIntoScans)
{
    const auto windows = Windows();
    const double densities[] = { 0.0, 0.02, 0.15, 0.6 };
    struct Switch {
        long long steps;
        int batch;
        // Scans in this many parts, each on a thread of its own, however small the table.
        int ways = 0;
    };
    const Switch switches[] = { { 1, 0 }, { 1, 2 }, { 60, 3 }, { 500, 0 }, { 1, 0, 3 }, { 1, 2, 2 }, { 60, 3, 4 } };
    for (unsigned seed = 21; seed <= 24; ++seed) {
        std::mt19937 rng(seed);
        const double density = densities[seed % std::size(densities)];
        const QString file = QStringLiteral("SCAN_%1.mdb").arg(seed);
        const auto keys = OpenRandomLog(file, rng, 80 + int(rng() % 160), density);
        ASSERT_NE(record(), nullptr);
        for (const ChartDescription* d : windows) {
            const Switch sw = switches[rng() % std::size(switches)];
            ShowKey(keys[rng() % keys.size()]);
            const std::string clicks = RandomClicks(rng, 12);
            const auto rowByRow = Run(*d, Walk::RowByRow, clicks);
            dao::StepCursor::SetScanSwitch(sw.steps, sw.batch);
            dao::StepCursor::SetPartedScan(sw.ways ? 1 : 0, sw.ways);
            const auto scanning = Run(*d, Walk::Skipping, clicks);
            dao::StepCursor::SetScanSwitch(0, 0);
            dao::StepCursor::SetPartedScan(0, 0);
            ASSERT_EQ(rowByRow.size(), scanning.size());
            for (std::size_t i = 0; i < rowByRow.size(); ++i)
                ASSERT_EQ(rowByRow[i], scanning[i])
                    << d->name.toStdString() << ", seed " << seed << ", switch " << sw.steps << "/" << sw.batch << "/"
                    << sw.ways << ", after " << (i ? clicks.substr(0, i) : std::string("opening"));
        }
    }
}

} // namespace
