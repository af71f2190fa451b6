// The two converters: databases of the older layouts rebuilt in place from
// their windows, with the progress bar; and every refusal and failure leaving
// the source byte for byte as it was, with no scratch database behind.
#include "layouts_fixture.h"

using namespace maintest;

namespace {

const std::vector<Reading> oldRows {
    reading("2001-06-02", "08:00", { { F::Bsugar, "120" }, { F::Bcomm, "first" } }),
    reading("2001-06-01", "21:15", { { F::Bpressure, "130" }, { F::Dpressure, "85" }, { F::Bpulse, "72" } }),
    reading("2001-06-02", "07:45", { { F::Bweight, "80.5" } }),
};

class Conversion : public MaintenanceTest {
protected:
    ConverterWindow* window(const char* name) { return dynamic_cast<ConverterWindow*>(Forms::Find(name)); }

    // Opens the converter from its menu and double-clicks `file`, recording
    // the progress bar as each message box comes up and at the end.
    void convert(const char* name, const QString& file)
    {
        forms::MenuItem& item = std::string(name) == ConvertDbase::FormName ? main()->mnuUtilitiesConvert
                                                                            : main()->mnuUtilitiesConvNewDbase;
        ASSERT_TRUE(item.Trigger());
        ConverterWindow* w = window(name);
        ASSERT_NE(w, nullptr);
        EXPECT_FALSE(w->Prog.isVisibleTo(w));
        EXPECT_EQ(lockState(), "no panel");
        QPointer<ConverterWindow> alive(w);
        desk.onMessage = [&](const forms::MessageBoxCall&) {
            progVisible = alive->Prog.isVisibleTo(alive);
            cancelEnabled = alive->Cancel.isEnabled();
        };
        doubleClick(w->File1, file);
        ASSERT_FALSE(alive.isNull()); // unloaded, but not yet deleted
        prog = { alive->Prog.Min(), alive->Prog.Max(), alive->Prog.Value() };
        flushDeletes();
        EXPECT_EQ(window(name), nullptr);
        EXPECT_EQ(lockState(), "panel file utilities about");
    }

    struct Prog {
        int min = -1, max = -1, value = -1;
        bool operator==(const Prog&) const = default;
    } prog;
    bool progVisible = false, cancelEnabled = true;
};

TEST_F(Conversion, APre350DatabaseBecomesA350OneAndThenACurrentOne)
{
    makeLayout("OLD_ONE.mdb", Layout::Pre350, oldRows);
    convert(ConvertDbase::FormName, "OLD_ONE.mdb");
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_FALSE(folder.exists("Wexlo.mdb"));
    EXPECT_EQ(prog, (Prog { 0, 3, 3 }));
    EXPECT_EQ(fieldNames("OLD_ONE.mdb"),
        (std::vector<std::string> { "Bdate(15)", "Btime(15)", "Bsugar(6)", "Bpressure(3)", "Bpulse(3)", "Bweight(6)",
            "Bcomm(50)", "Dpressure(3)", "Instype(20)", "Insamt(6)", "Site(20)" }));
    EXPECT_EQ(rowsOf("OLD_ONE.mdb"),
        (std::vector<std::string> {
            "Bdate=2001-06-01 Btime=21:15 Bsugar=- Bpressure=130 Bpulse=72 Bweight=- Bcomm=- Dpressure=85 Instype=- "
            "Insamt=- Site=-",
            "Bdate=2001-06-02 Btime=07:45 Bsugar=- Bpressure=- Bpulse=- Bweight=80.5 Bcomm=- Dpressure=- Instype=- "
            "Insamt=- Site=-",
            "Bdate=2001-06-02 Btime=08:00 Bsugar=120 Bpressure=- Bpulse=- Bweight=- Bcomm=first Dpressure=- Instype=- "
            "Insamt=- Site=-",
        }));
    {
        auto db = dao::DefaultWorkspace().OpenDatabase("OLD_ONE.mdb");
        EXPECT_EQ(db->Locale(), DatabaseLocale);
        EXPECT_EQ(db->Version(), dao::dbVersion30);
        EXPECT_EQ(db->TableDefs().size(), 1u); // NOTES is not carried over
    }

    convert(ConvertNewDbase::FormName, "OLD_ONE.mdb");
    EXPECT_TRUE(desk.messages.empty());
    auto db = dao::DefaultWorkspace().OpenDatabase("OLD_ONE.mdb");
    EXPECT_TRUE(HasCurrentLayout(*db));
    db->Close();
    EXPECT_EQ(rowsOf("OLD_ONE.mdb")[2],
        "Bdate=2001-06-02 Btime=08:00 Bsugar=120 Bpressure=- Bpulse=- Bweight=- Bcomm=first Dpressure=- Instype=- "
        "Insamt=- Site=- SPO2=- Temp=-");
}

TEST_F(Conversion, A350DatabaseKeepsItsInjectionsInTheCurrentLayout)
{
    makeLayout("MID_ONE.mdb", Layout::V350,
        { reading("2005-01-01", "08:00", { { F::Instype, "Humalog" }, { F::Insamt, "4" }, { F::Site, "arm" } }) });
    convert(ConvertNewDbase::FormName, "MID_ONE.mdb");
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_EQ(prog, (Prog { 0, 1, 1 }));
    EXPECT_EQ(rowsOf("MID_ONE.mdb"),
        (std::vector<std::string> { "Bdate=2005-01-01 Btime=08:00 Bsugar=- Bpressure=- Bpulse=- Bweight=- Bcomm=- "
                                    "Dpressure=- Instype=Humalog Insamt=4 Site=arm SPO2=- Temp=-" }));
}

// Every refusal and failure: the converter's own message alone, the source
// unchanged byte for byte, no "Wexlo.mdb" left, the window closed.
TEST_F(Conversion, ASourceThatCannotBeConvertedWholeIsLeftAsItWas)
{
    struct Case {
        const char* name;
        const char* window;
        std::function<void()> make;
        const char* failStep = "";
        int failAfter = 0;
    };
    const char* oldC = ConvertDbase::FormName;
    const char* newC = ConvertNewDbase::FormName;
    auto with = [](std::map<F, dao::Value> v) { return reading("2001-06-03", "09:00", v); };
    auto rows = [&](Reading extra) {
        auto r = oldRows;
        r.push_back(extra);
        return r;
    };
    const std::vector<Case> cases {
        { "injections in a 3.50 database", oldC,
            [&] {
                makeLayout("X.mdb", Layout::V350, rows(with({ { F::Site, "leg" } })));
            } },
        { "SpO2 in a current database", newC,
            [&] {
                makeLayout("X.mdb", Layout::Current, rows(with({ { F::SPO2, "97" } })));
            } },
        { "temperature in a current database", newC,
            [&] {
                makeLayout("X.mdb", Layout::Current, rows(with({ { F::Temp, "36.6" } })));
            } },
        { "comment too long", oldC,
            [&] {
                makeLayout("X.mdb", Layout::Pre350, rows(with({ { F::Bcomm, std::string(51, 'c') } })));
            } },
        { "null value", oldC,
            [&] {
                makeLayout("X.mdb", Layout::Pre350, rows(with({ { F::Bsugar, std::nullopt } })));
            } },
        { "no index", oldC, [&] { makeLayout("X.mdb", Layout::Pre350, oldRows, { .index = false }); } },
        { "no table", oldC, [&] { makeLayout("X.mdb", Layout::Pre350, oldRows, { .table = "BLOODS" }); } },
        { "a field missing", newC, [&] { makeLayout("X.mdb", Layout::V350, oldRows, { .without = { "Site" } }); } },
        { "pre-3.50 to the current layout", newC, [&] { makeLayout("X.mdb", Layout::Pre350, oldRows); } },
        { "not a database", oldC, [this] { folder.write("X.mdb", QByteArray(5000, 'x')); } },
        { "scratch cannot be made", oldC, [&] { makeLayout("X.mdb", Layout::Pre350, oldRows); }, "create" },
        { "copy fails midway", newC, [&] { makeLayout("X.mdb", Layout::V350, oldRows); }, "copy", 2 },
        { "commit fails", oldC, [&] { makeLayout("X.mdb", Layout::Pre350, oldRows); }, "commit" },
        { "before the rename", newC, [&] { makeLayout("X.mdb", Layout::V350, oldRows); }, "replace" },
        { "flush fails", oldC, [&] { makeLayout("X.mdb", Layout::Pre350, oldRows); }, "file:sync" },
        { "rename fails", newC, [&] { makeLayout("X.mdb", Layout::V350, oldRows); }, "file:rename" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(folder.file("X.mdb"));
        desk.messages.clear();
        c.make();
        const QByteArray bytes = folder.read("X.mdb");
        {
            const std::string step = c.failStep;
            std::optional<FailAt> fail;
            std::optional<FailFileStep> failFile;
            if (step.rfind("file:", 0) == 0)
                failFile.emplace(step.substr(5), "X.mdb");
            else if (!step.empty())
                fail.emplace(step, c.failAfter);
            convert(c.window, "X.mdb");
        }
        EXPECT_EQ(messages(),
            (std::vector<QString> {
                c.window == oldC ? "This database cannon be converted." : "This database cannot be converted." }));
        EXPECT_EQ(folder.read("X.mdb"), bytes);
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList { "X.mdb" });
        EXPECT_TRUE(progVisible);
        EXPECT_FALSE(cancelEnabled);
    }
}

TEST_F(Conversion, AnEmptySourceIsReportedAndLeftUnconverted)
{
    makeLayout("EMPTY.mdb", Layout::Pre350, {});
    const QByteArray bytes = folder.read("EMPTY.mdb");
    convert(ConvertDbase::FormName, "EMPTY.mdb");
    EXPECT_EQ(messages(), (std::vector<QString> { "There are no records in the selected database." }));
    EXPECT_EQ(folder.read("EMPTY.mdb"), bytes);
    EXPECT_FALSE(folder.exists("Wexlo.mdb"));
}

TEST_F(Conversion, ALeftoverScratchDatabaseGoesAtOpeningEvenOnCancel)
{
    makeLayout("OLD_ONE.mdb", Layout::Pre350, oldRows);
    const QByteArray bytes = folder.read("OLD_ONE.mdb");
    for (const char* name : { ConvertDbase::FormName, ConvertNewDbase::FormName }) {
        SCOPED_TRACE(name);
        folder.write("Wexlo.mdb", "left from a crash");
        forms::MenuItem& item = std::string(name) == ConvertDbase::FormName ? main()->mnuUtilitiesConvert
                                                                            : main()->mnuUtilitiesConvNewDbase;
        ASSERT_TRUE(item.Trigger());
        EXPECT_FALSE(folder.exists("Wexlo.mdb"));
        EXPECT_EQ(listed(window(name)->File1), QStringList { "OLD_ONE.mdb" });
        EXPECT_EQ(lockState(), "no panel");
        window(name)->Cancel.Press();
        flushDeletes();
        EXPECT_EQ(lockState(), "panel file utilities about");
    }
    EXPECT_EQ(folder.read("OLD_ONE.mdb"), bytes);
    EXPECT_TRUE(desk.messages.empty());
}

TEST_F(Conversion, TheWindowsAreLaidOutAsDescribed)
{
    struct Case {
        const char* name;
        const char* caption;
        int help;
    };
    for (const Case& c : { Case { ConvertDbase::FormName, "Convert Older Database", 240 },
             Case { ConvertNewDbase::FormName, "Convert Newer Database", 0 } }) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(Forms::Load(c.name), nullptr);
        ConverterWindow* w = window(c.name);
        EXPECT_EQ(w->Caption(), c.caption);
        EXPECT_EQ(w->HelpContextID, c.help);
        EXPECT_TRUE(w->Label1.Caption().contains(std::string(c.name) == ConvertDbase::FormName
                ? "will destroy the Injection data!  Be VERY careful!!!"
                : "used by Tellora V3.80.  You only need"));
        w->Cancel.Press();
        flushDeletes();
    }
}

// The progress bar moves in steps the user can see, not once per row.
TEST_F(Conversion, TheProgressBarRepaintsOnlyWhenItVisiblyMoves)
{
    std::vector<Reading> many;
    for (int i = 0; i < 3000; ++i)
        many.push_back(reading("2002-01-01", QString::asprintf("%02d:%02d", i / 60 % 24, i % 60).toStdString(),
            { { F::Bcomm, std::to_string(i) } }));
    makeLayout("MANY.mdb", Layout::V350, many);
    ASSERT_TRUE(main()->mnuUtilitiesConvNewDbase.Trigger());
    ConverterWindow* w = window(ConvertNewDbase::FormName);
    QPointer<ConverterWindow> alive(w);
    doubleClick(w->File1, "MANY.mdb");
    ASSERT_FALSE(alive.isNull());
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_EQ(rowsOf("MANY.mdb").size(), 3000u);
    EXPECT_EQ(alive->Prog.Value(), 3000);
    EXPECT_GE(alive->Prog.Repaints(), 10);
    EXPECT_LE(alive->Prog.Repaints(), 101);
}

TEST_F(Conversion, ADoubleClickThatChoosesNoEntryTakesTheFailurePath)
{
    for (const auto& [name, failure] : { std::pair { ConvertDbase::FormName, "This database cannon be converted." },
             std::pair { ConvertNewDbase::FormName, "This database cannot be converted." } }) {
        SCOPED_TRACE(name);
        desk.messages.clear();
        forms::MenuItem& item = std::string(name) == ConvertDbase::FormName ? main()->mnuUtilitiesConvert
                                                                            : main()->mnuUtilitiesConvNewDbase;
        ASSERT_TRUE(item.Trigger());
        ConverterWindow* w = window(name);
        ASSERT_NE(w, nullptr);
        ASSERT_EQ(w->File1.ListCount(), 0);
        activate(w);
        QTest::mouseDClick(w->File1.viewport(), Qt::LeftButton, {}, QPoint(5, w->File1.viewport()->height() - 5));
        flushDeletes();
        EXPECT_EQ(messages(), (std::vector<QString> { failure }));
        EXPECT_EQ(window(name), nullptr);
        EXPECT_EQ(lockState(), "panel file utilities about");
        EXPECT_FALSE(folder.exists("Wexlo.mdb"));
    }
}

} // namespace
