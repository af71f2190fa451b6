#include "entry_fixture.h"

#include <QAccessible>

#include "entry/addrds.h"
#include "entry/picklist.h"

#include "shell/mdistart.h"

using namespace entrytest;
using tellora::AddRds;
using tellora::DisplayRecord;

namespace {

class AddRdsTest : public EntryTest {
protected:
    DisplayRecord* record = nullptr;
    AddRds* w = nullptr;

    void OpenAdd()
    {
        record = Open();
        Click(record->AddReadings);
        w = forms::Forms::Find<AddRds>();
        ASSERT_NE(w, nullptr);
        QApplication::setActiveWindow(w);
        QApplication::processEvents();
    }

    // Picks a time from the list as the user would: the picker loses the
    // focus to the list (so Bdate follows it), then an entry is chosen.
    void PickTime(const QString& time)
    {
        Focus(w->Bdates);
        Focus(w->Btime);
        w->Btime.SetListIndex(w->Btime.findText(time));
    }
};

TEST(QuarterHours, FirstNinthAndLast)
{
    const QStringList times = tellora::QuarterHourTimes();
    ASSERT_EQ(times.size(), 96);
    EXPECT_EQ(times[0], "12:00 AM");
    EXPECT_EQ(times[4], "1:00 AM");
    EXPECT_EQ(times[47], "11:45 AM");
    EXPECT_EQ(times[48], "12:00 PM");
    EXPECT_EQ(times[95], "11:45 PM");
    for (const QString& t : times)
        EXPECT_FALSE(t.startsWith('0')) << t.toStdString();
}

struct FilterCase {
    const char* box;
    QString before; // text already in the box
    int key;
    bool taken;
    bool beeps;
};

void PrintTo(const FilterCase& c, std::ostream* os)
{
    *os << c.box << " '" << c.before.toStdString() << "' + " << c.key;
}

class KeyFilters : public AddRdsTest, public ::testing::WithParamInterface<FilterCase> { };

TEST_P(KeyFilters, TakeOrDropTheKey)
{
    OpenAdd();
    const FilterCase& c = GetParam();
    QWidget* box = w->findChild<QWidget*>(c.box);
    ASSERT_NE(box, nullptr);
    if (auto* t = qobject_cast<forms::TextBox*>(box))
        t->SetText(c.before);
    else
        static_cast<forms::ComboBox*>(box)->SetText(c.before);
    Focus(*box);
    const int beeps = desk.beeps;
    if (c.key == 8)
        QTest::keyClick(box, Qt::Key_Backspace);
    else
        QTest::keyClick(box, char(c.key));
    auto text = [&] {
        if (auto* t = qobject_cast<forms::TextBox*>(box)) return t->Text();
        return static_cast<forms::ComboBox*>(box)->Text();
    };
    const QString expected = c.key == 8 ? c.before.left(c.before.size() - 1) : c.before + QChar(c.key);
    EXPECT_EQ(text(), c.taken ? expected : c.before);
    EXPECT_EQ(desk.beeps - beeps, c.beeps ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Table, KeyFilters,
    ::testing::Values(FilterCase { "Bpressure", "", '5', true, false },
        FilterCase { "Bpressure", "1", 'a', false, true }, FilterCase { "Bpressure", "1", '.', false, true },
        FilterCase { "Bpressure", "1", ' ', false, true }, FilterCase { "Bpressure", "1", '-', false, true },
        FilterCase { "Bpressure", "12", 8, true, false },
        FilterCase { "Bpressure", "123", '4', false, false }, // the box holds 3
        FilterCase { "Bpulse", "7", 'x', false, true }, FilterCase { "Dpressure", "8", '0', true, false },
        FilterCase { "Bsugar", "5", '.', true, false }, FilterCase { "Temp", "98..", '.', true, false },
        FilterCase { "Temp", "98.6", 'F', false, true }, FilterCase { "Spo2", "", '.', true, false },
        FilterCase { "Bweight", "150", 'k', false, true }, FilterCase { "Temp", "123456", '7', false, false },
        FilterCase { "Insamt", "12", 'a', false, true }, FilterCase { "Insamt", "12", '3', true, false },
        FilterCase { "Insamt", "123456", '7', false, true }, FilterCase { "Insamt", "123456", 8, true, false },
        FilterCase { "Instype", "Humalog", ' ', true, false },
        FilterCase { "Instype", "abcdefghijklmnopqrst", 'u', false, false },
        FilterCase { "Instype", "abcdefghijklmnopqrst", 8, true, false },
        FilterCase { "Site", "abcdefghijklmnopqrst", 'u', false, false },
        FilterCase { "Site", "arm", '!', true, false }, FilterCase { "Btime", "", '8', false, false },
        FilterCase { "Bcomm", "ok", '!', true, false }));

TEST_F(AddRdsTest, LoadLocksAndFillsListsFromTheStores)
{
    record = Open();
    record->DatabaseName.SetText(Base);
    tellora::CreateStore(tellora::InsulinNames, Base + ".qnm");
    for (const char* n : { "b", "A", "c" })
        tellora::AddEntry(tellora::InsulinNames, Base + ".qnm", n);
    Click(record->AddReadings);
    w = forms::Forms::Find<AddRds>();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(desk.pointers, (std::vector<int> { forms::vbHourglass, forms::vbArrow }));
    EXPECT_FALSE(record->isEnabled());
    auto* main = forms::Forms::Find<tellora::MDIStart>();
    EXPECT_FALSE(main->mnuFile.Enabled());
    EXPECT_FALSE(main->mnuUtilities.Enabled());
    EXPECT_FALSE(main->mnuGraphs.Enabled());
    EXPECT_EQ(w->Bdates.Value(), Today);
    EXPECT_EQ(w->Bdate.Text(), "");
    EXPECT_EQ(w->Btime.ListCount(), 96);
    EXPECT_EQ(w->Btime.Text(), "");
    EXPECT_EQ(w->Insamt.ListCount(), 200);
    EXPECT_EQ(w->Insamt.List(199), "200");
    ASSERT_EQ(w->Instype.ListCount(), 3);
    EXPECT_EQ(w->Instype.List(0), "A");
    EXPECT_EQ(w->Instype.List(2), "c");
    EXPECT_EQ(w->Site.ListCount(), 0);
    EXPECT_FALSE(tellora::ReadEntries(tellora::InjectionSites, Base + ".qst").size());
    EXPECT_FALSE(folder.exists(Base + ".qst")); // readers never create a store

    w->close(); // the close box
    QApplication::processEvents();
    EXPECT_TRUE(record->isEnabled());
    EXPECT_TRUE(main->mnuFile.Enabled());
    EXPECT_TRUE(main->mnuGraphs.Enabled());
}

TEST_F(AddRdsTest, SaveWithEveryValueEmptyStoresElevenMissingMarks)
{
    OpenAdd();
    PickTime("8:15 AM");
    Click(w->SaveRd);
    EXPECT_EQ(forms::Forms::Find<AddRds>(), nullptr);
    auto row = Stored("2024-03-15", "08:15");
    ASSERT_TRUE(row);
    int marks = 0;
    for (const auto& [field, value] : *row)
        marks += value == "-";
    EXPECT_EQ(marks, 11);
    EXPECT_EQ(record->Btime.Text(), "8:15 AM");
    EXPECT_EQ(record->Bdate.Text(), "2024-03-15");
    EXPECT_EQ(record->Bdates.Text(), "3/15/2024");
    EXPECT_EQ(record->Spo2.Text(), "-");
    EXPECT_TRUE(record->isEnabled());
    EXPECT_TRUE(desk.messages.empty());
}

TEST_F(AddRdsTest, SaveStoresTypedValuesAndBlanksAsTyped)
{
    OpenAdd();
    PickTime("12:00 PM");
    QTest::keyClicks(&w->Bsugar, "104.5");
    QTest::keyClicks(&w->Bpressure, "1205"); // fourth digit refused by the box
    w->Instype.SetText("NPH");
    w->Bcomm.SetText("   ");
    Click(w->SaveRd);
    auto row = Stored("2024-03-15", "12:00");
    ASSERT_TRUE(row);
    EXPECT_EQ((*row)["Bsugar"], "104.5");
    EXPECT_EQ((*row)["Bpressure"], "120");
    EXPECT_EQ((*row)["Instype"], "NPH");
    EXPECT_EQ((*row)["Bcomm"], "   ");
}

TEST_F(AddRdsTest, MissingDateThenMissingTimeAreRefused)
{
    OpenAdd();
    w->SaveRd.Press(); // the picker never lost the focus: no stored date
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text, tellora::NoDateMessage);
    EXPECT_EQ(desk.messages[0].title, "Tellora 3.95");
    EXPECT_EQ(desk.beeps, 1);
    Click(w->SaveRd); // the picker loses the focus now; no time chosen
    ASSERT_EQ(desk.messages.size(), 2u);
    EXPECT_EQ(desk.messages[1].text, tellora::NoTimeMessage);
    EXPECT_EQ(desk.beeps, 2);
    EXPECT_EQ(QApplication::focusWidget(), &w->Btime);
    EXPECT_EQ(Count(), 0);
    EXPECT_NE(forms::Forms::Find<AddRds>(), nullptr);
}

TEST_F(AddRdsTest, DuplicateFoundAtSaveShowsTheStoredReading)
{
    AddReading("2024-03-15", "00:00", { { "Bsugar", "99" } });
    OpenAdd();
    PickTime("12:00 AM");
    w->Bsugar.SetText("150");
    w->SaveRd.Press(); // no focus move: the check runs at Save
    EXPECT_EQ(Texts(), std::vector<QString> { tellora::DuplicateMessage });
    EXPECT_EQ(desk.beeps, 1);
    EXPECT_EQ(forms::Forms::Find<AddRds>(), nullptr);
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ((*Stored("2024-03-15", "00:00"))["Bsugar"], "99");
    EXPECT_EQ(record->Bsugar.Text(), "99");
    EXPECT_EQ(record->Btime.Text(), "12:00 AM");
    EXPECT_TRUE(record->isEnabled());
}

TEST_F(AddRdsTest, DuplicateFoundWhenTheTimeListLosesTheFocus)
{
    AddReading("2024-03-15", "08:15", { { "Bpulse", "60" } });
    OpenAdd();
    PickTime("8:15 AM");
    Focus(w->Bsugar);
    EXPECT_EQ(Texts(), std::vector<QString> { tellora::DuplicateMessage });
    EXPECT_EQ(forms::Forms::Find<AddRds>(), nullptr);
    EXPECT_EQ(record->Bpulse.Text(), "60");
    EXPECT_EQ(Count(), 1);
}

TEST_F(AddRdsTest, LeavingTheTimeListForSaveOrCancelRunsTheCheckAndNothingElse)
{
    AddReading("2024-03-15", "08:15", { { "Bpulse", "60" } });
    for (bool viaSave : { true, false }) {
        desk.messages.clear();
        OpenAdd();
        PickTime("8:15 AM");
        w->Bpulse.SetText("99");
        Click(viaSave ? static_cast<QWidget&>(w->SaveRd) : static_cast<QWidget&>(w->CancelAdd));
        // The check closed the window as the focus left the list; the
        // button's own handler never ran, so nothing was saved or said twice.
        EXPECT_EQ(Texts(), std::vector<QString> { tellora::DuplicateMessage });
        EXPECT_EQ(forms::Forms::Find<AddRds>(), nullptr);
        EXPECT_EQ(record->Bpulse.Text(), "60");
        EXPECT_EQ(Count(), 1);
        EXPECT_TRUE(record->isEnabled());
    }
}

TEST_F(AddRdsTest, ATimeTextThatNamesNoTimeIsRefused)
{
    OpenAdd();
    Focus(w->Bdates);
    Focus(w->Bsugar);
    w->Btime.SetText("soon"); // as a paste from the edit field's menu would leave it
    Click(w->SaveRd);
    EXPECT_EQ(Texts(), std::vector<QString> { tellora::NoTimeMessage });
    EXPECT_EQ(Count(), 0);
    EXPECT_NE(forms::Forms::Find<AddRds>(), nullptr);
}

TEST_F(AddRdsTest, ACheckTheEngineRefusesIsReportedAndTheWindowStays)
{
    OpenAdd();
    QFile::remove(folder.file(DbFile)); // the database went away behind the window
    PickTime("9:00 AM");
    Focus(w->Bsugar);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_TRUE(desk.messages[0].text.startsWith(tellora::CheckFailedMessage));
    EXPECT_NE(forms::Forms::Find<AddRds>(), nullptr);
    EXPECT_FALSE(folder.exists(DbFile)); // no empty database made in its place
}

TEST_F(AddRdsTest, MidnightAndNoonAreDifferentKeys)
{
    AddReading("2024-03-15", "00:00");
    OpenAdd();
    PickTime("12:00 PM");
    Focus(w->Bsugar);
    EXPECT_TRUE(desk.messages.empty());
    Click(w->SaveRd);
    EXPECT_EQ(Count(), 2);
}

TEST_F(AddRdsTest, CombosAndCommentKeepToTheirFieldsWhenPasted)
{
    OpenAdd();
    QApplication::clipboard(); // ensure the clipboard exists offscreen
    w->Instype.SetText(QString(30, 'x'));
    w->Site.SetText(QString(30, 'y'));
    w->Insamt.SetText("12345678");
    w->Bcomm.SetText(QString(60, 'z'));
    EXPECT_EQ(w->Instype.Text().size(), 20);
    EXPECT_EQ(w->Site.Text().size(), 20);
    EXPECT_EQ(w->Insamt.Text().size(), 6);
    EXPECT_EQ(w->Bcomm.Text().size(), 45);
    EXPECT_EQ(w->Instype.MaxLength(), 20);
    EXPECT_EQ(w->Bcomm.MaxLength(), 45);
}

TEST_F(AddRdsTest, EngineFailureAtSaveIsReportedAndTheWindowStays)
{
    OpenAdd();
    Sql(DbFile, "CREATE TRIGGER refuse BEFORE INSERT ON BLOOD BEGIN SELECT RAISE(ABORT, 'disk refused'); END");
    PickTime("9:00 AM");
    w->Bsugar.SetText("101");
    Click(w->SaveRd);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_TRUE(desk.messages[0].text.startsWith(tellora::SaveFailedMessage));
    EXPECT_NE(forms::Forms::Find<AddRds>(), nullptr);
    EXPECT_EQ(Count(), 0);
    EXPECT_EQ(record->Btime.Text(), ""); // DisplayRecord was not written
}

TEST_F(AddRdsTest, PickedDateReachesTheKeyWhenThePickerLosesTheFocus)
{
    OpenAdd();
    Focus(w->Bdates);
    w->Bdates.SetValue(QDate(2023, 12, 31));
    Focus(w->Btime);
    w->Btime.SetListIndex(95);
    Click(w->SaveRd);
    EXPECT_TRUE(Stored("2023-12-31", "23:45"));
    EXPECT_EQ(record->Bdates.Text(), "12/31/2023");
}

} // namespace

// A screen reader names each box by its label and tells the two pressure
// boxes apart by the word behind each.
TEST_F(AddRdsTest, BoxesAreLabelledByTheirLabels)
{
    record = Open();
    Click(record->AddReadings);
    w = forms::Forms::Find<AddRds>();
    ASSERT_NE(w, nullptr);
    const struct {
        QWidget& box;
        const char* name;
        QLabel& label;
    } cases[] = {
        { w->Bdates, "Date of reading:", w->lblDate },
        { w->Bsugar, "Blood sugar:", w->lblSugar },
        { w->Bpressure, "Blood Pressure: systolic", w->lblSystolic },
        { w->Dpressure, "Blood Pressure: diastolic", w->lblDiastolic },
        { w->Site, "Injection Site:", w->lblSite },
        { w->Bcomm, "Comments:", w->lblComm },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QAccessibleInterface* box = QAccessible::queryAccessibleInterface(&c.box);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(QAccessible::Name).toStdString(), c.name);
        QList<QObject*> labels;
        for (const auto& [label, relation] : box->relations(QAccessible::Label))
            labels << label->object();
        EXPECT_TRUE(labels.contains(&c.label));
    }
}
