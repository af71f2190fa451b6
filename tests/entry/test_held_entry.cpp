// Another program holding the readings file or a pick-list store while a
// window saves: a brief hold is waited out and the step lands; a hold longer
// than the busy timeout is reported as the file in use, with the window and
// what was typed into it kept and nothing stored.
#include "entry_fixture.h"

#include "entry/addrds.h"
#include "entry/deletebydate.h"
#include "entry/editrds.h"
#include "entry/picklist.h"
#include "entry/picklisteditor.h"

#include "shell/mdistart.h"

#include "support/held_file.h"

#include <functional>

using namespace entrytest;
using namespace tellora;
using namespace std::chrono_literals;
using testsupport::HeldFile;

namespace {

const QString Qnm = Base + ".qnm";
const QString Qst = Base + ".qst";
const QString InUse = QStringLiteral("The database '%1' is in use by another program.");

class HeldEntry;

// One window's save: `prepare` opens the window and types; `save` is the
// button pressed while the file is held; `landed` and `refused` check the
// outcome of a brief hold and of one longer than the timeout.
struct SaveCase {
    const char* name;
    const QString* file;
    std::function<void(HeldEntry&)> prepare;
    std::function<QWidget&(HeldEntry&)> save;
    std::function<void(HeldEntry&)> landed;
    std::function<void(HeldEntry&)> refused;
};

class HeldEntry : public EntryTest, public ::testing::WithParamInterface<int> {
public:
    using EntryTest::Click;
    using EntryTest::Count;
    using EntryTest::desk;
    using EntryTest::Focus;
    using EntryTest::OpenEditor;
    using EntryTest::Texts;

    DisplayRecord* record = nullptr;

    void SetUp() override
    {
        EntryTest::SetUp();
        AddReading("2024-03-10", "08:30", { { "Bpulse", "72" } });
        AddReading("2024-03-11", "09:00", { { "Bsugar", "140" } });
        record = Open(); // shows the newest: 2024-03-11 09:00
        record->DatabaseName.SetText(Base);
    }

    template<class T> T* Window()
    {
        T* w = forms::Forms::Find<T>();
        if (w) {
            QApplication::setActiveWindow(w);
            QApplication::processEvents();
        }
        return w;
    }

    static void ClickCell(PickListEditor* w, int row)
    {
        const QRect r = w->NameGrid.visualRect(w->NameGrid.model()->index(row, 1));
        QTest::mouseClick(w->NameGrid.viewport(), Qt::LeftButton, {}, r.center());
        QApplication::processEvents();
    }

    // One message, naming the file as in use: the save's own report, or the
    // duplicate check's when that is what met the hold.
    void ExpectInUse(const QString& file)
    {
        ASSERT_EQ(desk.messages.size(), 1u);
        EXPECT_TRUE(desk.messages[0].text.endsWith(InUse.arg(file))) << desk.messages[0].text.toStdString();
    }

    // The fixture anew: no window, the two readings, no store.
    void Restart()
    {
        forms::Forms::Reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (const QString* file : { &DbFile, &Qnm, &Qst })
            dao::RemoveFile(file->toStdString());
        desk.messages.clear();
        SetUp();
    }

    // The case's save, with its file held in each way for `hold`; `check`
    // judges each outcome.
    void Run(const SaveCase& c, std::chrono::milliseconds hold, const std::function<void(HeldEntry&)>& check)
    {
        for (const HeldFile::Mode mode : { HeldFile::Mode::Rollback, HeldFile::Mode::Wal }) {
            SCOPED_TRACE(mode == HeldFile::Mode::Wal ? "held in WAL mode" : "held in a read");
            if (mode == HeldFile::Mode::Wal) Restart();
            c.prepare(*this);
            if (HasFatalFailure()) return;
            desk.messages.clear();
            {
                HeldFile held(c.file->toStdString(), mode, hold);
                Click(c.save(*this));
            }
            check(*this);
        }
    }

    std::optional<std::string> Value(const std::string& date, const std::string& time, const std::string& field)
    {
        auto row = Stored(date, time);
        if (!row) return std::nullopt;
        return (*row)[field];
    }
};

const SaveCase cases[] = {
    { "AddRds", &DbFile,
        [](HeldEntry& t) {
            t.Click(t.record->AddReadings);
            auto* w = t.Window<AddRds>();
            ASSERT_NE(w, nullptr);
            t.Focus(w->Bdates);
            t.Focus(w->Btime);
            w->Btime.SetListIndex(w->Btime.findText("8:15 AM"));
            t.Focus(w->Bsugar); // the time list's check runs here, before the hold
            QTest::keyClicks(&w->Bsugar, "104");
        },
        [](HeldEntry& t) -> QWidget& { return t.Window<AddRds>()->SaveRd; },
        [](HeldEntry& t) {
            EXPECT_EQ(forms::Forms::Find<AddRds>(), nullptr);
            EXPECT_EQ(t.Value("2024-03-15", "08:15", "Bsugar"), "104");
            EXPECT_EQ(t.record->Btime.Text(), "8:15 AM");
        },
        [](HeldEntry& t) {
            t.ExpectInUse(DbFile);
            auto* w = forms::Forms::Find<AddRds>();
            ASSERT_NE(w, nullptr);
            EXPECT_EQ(w->Btime.Text(), "8:15 AM");
            EXPECT_EQ(w->Bsugar.Text(), "104");
            EXPECT_EQ(t.Count(), 2);
        } },
    { "EditRds", &DbFile,
        [](HeldEntry& t) {
            t.Click(t.record->Edit);
            auto* w = t.Window<EditRds>();
            ASSERT_NE(w, nullptr);
            w->Bweight.SetText("180");
        },
        [](HeldEntry& t) -> QWidget& { return t.Window<EditRds>()->Save; },
        [](HeldEntry& t) {
            EXPECT_EQ(forms::Forms::Find<EditRds>(), nullptr);
            EXPECT_EQ(t.Value("2024-03-11", "09:00", "Bweight"), "180");
            EXPECT_EQ(t.Count(), 2);
        },
        [](HeldEntry& t) {
            t.ExpectInUse(DbFile);
            auto* w = forms::Forms::Find<EditRds>();
            ASSERT_NE(w, nullptr);
            EXPECT_EQ(w->Bweight.Text(), "180");
            EXPECT_EQ(w->Bsugar.Text(), "140");
            EXPECT_EQ(t.Value("2024-03-11", "09:00", "Bweight"), "-");
            EXPECT_EQ(t.Count(), 2);
        } },
    { "DeleteByDate", &DbFile,
        [](HeldEntry& t) {
            forms::Forms::Find<MDIStart>()->mnuUtilitiesDeleteByDate.Trigger();
            auto* w = t.Window<DeleteByDate>();
            ASSERT_NE(w, nullptr);
            t.Focus(w->Bdates);
            w->Bdates.SetValue(QDate(2024, 3, 11));
        },
        [](HeldEntry& t) -> QWidget& { return t.Window<DeleteByDate>()->Delete; },
        [](HeldEntry& t) {
            EXPECT_EQ(t.Count(), 1);
            EXPECT_EQ(t.record->Bdate.Text(), "2024-03-11");
        },
        [](HeldEntry& t) {
            t.ExpectInUse(DbFile);
            EXPECT_EQ(t.Count(), 2);
            EXPECT_EQ(t.record->Bdate.Text(), "2024-03-11");
        } },
    { "AddNamesAddSave", &Qnm,
        [](HeldEntry& t) {
            auto* w = t.OpenEditor<AddNames>("mnuFileConfigInsNames");
            ASSERT_NE(w, nullptr);
            t.Click(w->AddNewName);
            QTest::keyClicks(&w->InsName, "Lantus");
        },
        [](HeldEntry&) -> QWidget& { return forms::Forms::Find<AddNames>()->AddSave; },
        [](HeldEntry& t) {
            EXPECT_EQ(ReadEntries(InsulinNames, Qnm), QStringList { "Lantus" });
            EXPECT_EQ(forms::Forms::Find<AddNames>()->NameGrid.TextMatrix(1, 1), "Lantus");
        },
        [](HeldEntry& t) {
            EXPECT_EQ(t.Texts(),
                std::vector<QString> { "The insulin names database could not be changed.  " + InUse.arg(Qnm) });
            auto* w = forms::Forms::Find<AddNames>();
            ASSERT_NE(w, nullptr);
            EXPECT_EQ(w->InsName.Text(), "Lantus");
            EXPECT_TRUE(ReadEntries(InsulinNames, Qnm).isEmpty());
        } },
    { "AddSitesEditSave", &Qst,
        [](HeldEntry& t) {
            CreateStore(InjectionSites, Qst);
            AddEntry(InjectionSites, Qst, "arm");
            auto* w = t.OpenEditor<AddSites>("mnuFileConfigInjSites");
            ASSERT_NE(w, nullptr);
            t.Click(w->EditName);
            t.ClickCell(w, 1);
            w->InsName.SetText("hip");
        },
        [](HeldEntry&) -> QWidget& { return forms::Forms::Find<AddSites>()->EditSave; },
        [](HeldEntry& t) { EXPECT_EQ(ReadEntries(InjectionSites, Qst), QStringList { "hip" }); },
        [](HeldEntry& t) {
            EXPECT_EQ(t.Texts(),
                std::vector<QString> { "The injection sites database could not be changed.  " + InUse.arg(Qst) });
            auto* w = forms::Forms::Find<AddSites>();
            ASSERT_NE(w, nullptr);
            EXPECT_EQ(w->InsName.Text(), "hip");
            EXPECT_EQ(w->SelectedText.Text(), "arm");
            EXPECT_EQ(ReadEntries(InjectionSites, Qst), QStringList { "arm" });
        } },
};

std::string CaseName(const ::testing::TestParamInfo<int>& info)
{
    return cases[info.param].name;
}

class HeldBriefly : public HeldEntry { };
class HeldTooLong : public HeldEntry { };

} // namespace

TEST_P(HeldBriefly, TheSaveLandsOnceTheOtherProgramLetsGo)
{
    const SaveCase& c = cases[GetParam()];
    Run(c, 150ms, [&](HeldEntry& t) {
        EXPECT_TRUE(t.desk.messages.empty()) << t.desk.messages[0].text.toStdString();
        c.landed(t);
    });
}

TEST_P(HeldTooLong, TheWindowSaysTheFileIsInUseAndKeepsWhatWasTyped)
{
    testsupport::BusyTimeout shortWait(100ms);
    Run(cases[GetParam()], 10s, cases[GetParam()].refused);
}

INSTANTIATE_TEST_SUITE_P(Windows, HeldBriefly, ::testing::Range(0, int(std::size(cases))), CaseName);
INSTANTIATE_TEST_SUITE_P(Windows, HeldTooLong, ::testing::Range(0, int(std::size(cases))), CaseName);
