#include "platform/forms/combobox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <gtest/gtest.h>

using forms::ComboBox;

namespace {

// A shown, active window with the combo box focused and one other control.
struct ComboWindow {
    QWidget window;
    ComboBox* combo = new ComboBox;
    QLineEdit* other = new QLineEdit;
    int lost = 0;

    ComboWindow()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(combo);
        layout->addWidget(other);
        combo->LostFocus = [this] { ++lost; };
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        combo->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
        lost = 0;
    }
};

TEST(ComboBox, FillingTheListLeavesTheTextAsItWas)
{
    ComboBox combo;
    combo.AddItem("12:00 AM");
    combo.AddItem("12:15 AM");
    EXPECT_EQ(combo.Text(), "");
    EXPECT_EQ(combo.ListCount(), 2);
    EXPECT_EQ(combo.List(0), "12:00 AM");
    EXPECT_EQ(combo.List(1), "12:15 AM");
    EXPECT_EQ(combo.List(2), "");
    EXPECT_EQ(combo.ListIndex(), -1);

    // A text set before the list is filled stays too.
    ComboBox prefilled;
    prefilled.SetText("08:30 AM");
    prefilled.AddItem("12:00 AM");
    prefilled.AddItem("8:30 AM");
    EXPECT_EQ(prefilled.Text(), "08:30 AM");
}

TEST(ComboBox, TextMayBeAValueTheListDoesNotHold)
{
    ComboBox combo;
    combo.AddItem("Humalog");
    combo.SetText("Lantus");
    EXPECT_EQ(combo.Text(), "Lantus");
    EXPECT_EQ(combo.ListCount(), 1);
    combo.SetListIndex(0);
    EXPECT_EQ(combo.Text(), "Humalog");
    combo.SetText("Novolog");
    EXPECT_EQ(combo.Text(), "Novolog");
    EXPECT_EQ(combo.ListIndex(), -1);
}

TEST(ComboBox, ClearEmptiesListAndText)
{
    ComboBox combo;
    combo.AddItem("a");
    combo.SetText("typed");
    combo.Clear();
    EXPECT_EQ(combo.ListCount(), 0);
    EXPECT_EQ(combo.Text(), "");
}

TEST(ComboBox, TypedTextIsNeitherCompletedNorInsertedNorReplaced)
{
    ComboWindow w;
    w.combo->AddItem("Humalog");
    w.combo->AddItem("Lantus");
    EXPECT_EQ(w.combo->completer(), nullptr);

    QTest::keyClicks(w.combo, "Hum");
    EXPECT_EQ(w.combo->Text(), "Hum");
    QTest::keyClick(w.combo, Qt::Key_Return);
    EXPECT_EQ(w.combo->Text(), "Hum");
    EXPECT_EQ(w.combo->ListCount(), 2);

    // Text equal to an entry but for case stays as typed.
    w.combo->SetText("");
    QTest::keyClicks(w.combo, "humalog");
    QTest::keyClick(w.combo, Qt::Key_Return);
    EXPECT_EQ(w.combo->Text(), "humalog");
    EXPECT_EQ(w.combo->ListCount(), 2);
}

TEST(ComboBox, MaxLengthBoundsTypingPastingAndSetting)
{
    ComboWindow w;
    w.combo->SetMaxLength(20);
    EXPECT_EQ(w.combo->MaxLength(), 20);
    QTest::keyClicks(w.combo, QString(25, QLatin1Char('a')));
    EXPECT_EQ(w.combo->Text(), QString(20, QLatin1Char('a')));

    w.combo->SetText("");
    QApplication::clipboard()->setText(QString(30, QLatin1Char('b')));
    QTest::keyClick(w.combo, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w.combo->Text(), QString(20, QLatin1Char('b')));

    w.combo->SetText(QString(21, QLatin1Char('c')));
    EXPECT_EQ(w.combo->Text().size(), 20);

    w.combo->SetMaxLength(0);
    w.combo->SetText(QString(40, QLatin1Char('d')));
    EXPECT_EQ(w.combo->Text().size(), 40);
}

TEST(ComboBox, KeyPressFiltersTypedCharacters)
{
    ComboWindow w;
    std::vector<int> seen;
    // Digits only, letters turned to "x" for the sake of the test; Backspace passes.
    w.combo->KeyPress = [&](int& key) {
        seen.push_back(key);
        if (key >= 'a' && key <= 'z')
            key = 'x';
        else if (!((key >= '0' && key <= '9') || key == 8 || key == 127 || key == 'x'))
            key = 0;
    };
    QTest::keyClicks(w.combo, "12-a3 ");
    EXPECT_EQ(w.combo->Text(), "12x3");
    QTest::keyClick(w.combo, Qt::Key_Backspace);
    EXPECT_EQ(w.combo->Text(), "12x");
    EXPECT_EQ(seen, (std::vector<int> { '1', '2', '-', 'a', '3', ' ', 8 }));

    // A filter that drops everything, Backspace included, blocks typing.
    w.combo->KeyPress = [](int& key) { key = 0; };
    QTest::keyClicks(w.combo, "9");
    QTest::keyClick(w.combo, Qt::Key_Backspace);
    EXPECT_EQ(w.combo->Text(), "12x");
}

TEST(ComboBox, LostFocusFiresOnLeavingButNotOnOpeningTheList)
{
    ComboWindow w;
    for (int i = 1; i <= 20; ++i)
        w.combo->AddItem(QString::number(i));
    w.combo->showPopup();
    QApplication::processEvents();
    EXPECT_TRUE(w.combo->view()->isVisible());
    EXPECT_EQ(w.lost, 0);
    w.combo->hidePopup();
    QApplication::processEvents();
    EXPECT_EQ(w.lost, 0);
    EXPECT_TRUE(w.combo->hasFocus());

    QTest::keyClick(w.combo, Qt::Key_Tab);
    EXPECT_TRUE(w.other->hasFocus());
    EXPECT_EQ(w.lost, 1);
}

TEST(ComboBox, PickingFromTheListFiresClickAndSetsTheText)
{
    ComboWindow w;
    w.combo->AddItem("Arm");
    w.combo->AddItem("Thigh");
    int clicks = 0;
    w.combo->Click = [&] { ++clicks; };
    w.combo->showPopup();
    QApplication::processEvents();
    QAbstractItemView* view = w.combo->view();
    view->setCurrentIndex(view->model()->index(1, 0));
    QTest::keyClick(view, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(w.combo->Text(), "Thigh");
    EXPECT_EQ(w.combo->ListIndex(), 1);
    EXPECT_EQ(w.lost, 0);
}

TEST(ComboBox, ChangeFiresWhenTheTextChanges)
{
    ComboWindow w;
    int changes = 0;
    w.combo->Change = [&] { ++changes; };
    w.combo->AddItem("a");
    EXPECT_EQ(changes, 0);
    QTest::keyClicks(w.combo, "xy");
    EXPECT_EQ(changes, 2);
    w.combo->SetText("z");
    EXPECT_EQ(changes, 3);
}

TEST(ComboBox, WheelChangesNothingWithoutTheFocus)
{
    ComboWindow w;
    w.combo->AddItem("a");
    w.combo->AddItem("b");
    w.combo->SetText("typed");
    w.other->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    const QPointF at = w.combo->rect().center();
    QWheelEvent wheel(at, w.combo->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
        Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.combo, &wheel);
    EXPECT_EQ(w.combo->Text(), "typed");
    EXPECT_TRUE(w.other->hasFocus());
}

} // namespace
