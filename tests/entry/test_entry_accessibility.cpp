// A screen reader hears the reading each entry window leaves shown, once the
// focus is back in the current-reading window.
#include "entry_fixture.h"

#include "entry/addrds.h"
#include "entry/deletebydate.h"
#include "entry/editrds.h"
#include "entry/searchrds.h"

#include "support/heard.h"

#include <functional>

using namespace entrytest;
using tellora::DisplayRecord;

namespace {

class SpokenResult : public EntryTest {
public:
    DisplayRecord* record = nullptr;

    void SetUp() override
    {
        EntryTest::SetUp();
        AddReading("2024-03-05", "12:00", { { "Bpulse", "1" } });
        AddReading("2024-03-10", "07:00", { { "Bpulse", "2" } });
        AddReading("2024-03-10", "20:00", { { "Bpulse", "3" } });
        record = Open();
        Settle();
    }

    // The current-reading window active again, as the desktop hands it back.
    void Settle()
    {
        QApplication::setActiveWindow(record);
        record->activateWindow();
        QApplication::processEvents();
        QApplication::processEvents();
    }

    template<class W> W* Opened()
    {
        auto* w = forms::Forms::Find<W>();
        EXPECT_NE(w, nullptr);
        if (w) QApplication::setActiveWindow(w);
        return w;
    }

    template<class W> void Pick(W* w, const QDate& date)
    {
        Focus(w->Bdates);
        w->Bdates.SetValue(date);
    }
};

TEST_F(SpokenResult, TheReadingEachEntryWindowLeavesShownIsSpoken)
{
    const QString march10 = tellora::FormatShortDate("2024-03-10");
    const struct {
        const char* command;
        std::function<void(SpokenResult&)> run;
        QString heard; // how the text spoken begins
    } cases[] = {
        { "Save Changes",
            [](SpokenResult& t) {
                Click(t.record->Edit);
                auto* w = t.Opened<tellora::EditRds>();
                w->Bpulse.SetText("9");
                Click(w->Save);
            },
            "Date: " + march10
                + ", Time: 08:00 PM, Blood Sugar: -, Blood Pressure: systolic -, "
                  "Blood Pressure: diastolic -, Pulse: 9, " },
        { "Search",
            [](SpokenResult& t) {
                Click(t.record->Search);
                auto* w = t.Opened<tellora::SearchRds>();
                t.Pick(w, QDate(2024, 3, 6));
                Click(w->Search);
            },
            "Date: " + march10 + ", Time: 07:00 AM, " },
        { "Add",
            [](SpokenResult& t) {
                Click(t.record->AddReadings);
                auto* w = t.Opened<tellora::AddRds>();
                Focus(w->Bdates);
                Focus(w->Btime);
                w->Btime.SetListIndex(w->Btime.findText("8:15 AM"));
                Click(w->SaveRd);
            },
            "Date: " + tellora::FormatShortDate("2024-03-15") + ", Time: 8:15 AM, " },
        { "Delete Records by Date",
            [](SpokenResult& t) {
                forms::Forms::Find<tellora::MDIStart>()->mnuUtilitiesDeleteByDate.Trigger();
                auto* w = t.Opened<tellora::DeleteByDate>();
                t.Pick(w, QDate(2024, 3, 8));
                Click(w->Delete);
            },
            "Date: " + tellora::FormatShortDate("2024-03-15") + ", Time: 08:15 AM, " },
        { "Delete Records by Date, none left",
            [](SpokenResult& t) {
                forms::Forms::Find<tellora::MDIStart>()->mnuUtilitiesDeleteByDate.Trigger();
                auto* w = t.Opened<tellora::DeleteByDate>();
                t.Pick(w, QDate(2024, 3, 20));
                Click(w->Delete);
            },
            "There are no readings." },
    };
    // One after another, each on the reading the one before left shown.
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        testsupport::Heard heard;
        c.run(*this);
        EXPECT_TRUE(desk.messages.empty());
        Settle();
        ASSERT_FALSE(heard.said.empty());
        const auto& said = heard.said.back();
        EXPECT_TRUE(said.text.startsWith(c.heard)) << said.text.toStdString();
        ASSERT_NE(said.at, nullptr);
        EXPECT_EQ(static_cast<QWidget*>(said.at)->window(), record);
    }
}

} // namespace
