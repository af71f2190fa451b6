// The focus mark: seen at once when a window opens, around every kind of
// control, in a colour that stands out from what lies around it.
#include "platform/forms/combobox.h"
#include "platform/forms/controls.h"
#include "platform/forms/datepicker.h"
#include "platform/forms/desktop.h"
#include "platform/forms/drivelist.h"
#include "platform/forms/form.h"
#include "platform/forms/grid.h"
#include "platform/forms/optionbutton.h"
#include "platform/forms/picturebox.h"
#include "platform/forms/registry.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using forms::Forms;

namespace {

class Kinds : public forms::Form {
public:
    static constexpr const char* FormName = "Kinds";
    Kinds()
        : Form(FormName)
        , Cells(nullptr, 4, 3)
    {
        SetClientSize(9000, 6000);
        Layout({
            { &Go, "Go", "Go", { 240, 240, 1500, 495 }, 0 },
            { .control = &Box, .name = "Box", .rect = { 240, 960, 2400, 375 }, .tab = 1 },
            { &Choice, "Choice", "One", { 240, 1560, 1800, 375 }, 2 },
            { &Check, "Check", "Two", { 240, 2160, 1800, 375 }, 3 },
            { .control = &Files, .name = "Files", .rect = { 240, 2760, 2400, 1500 }, .tab = 4 },
            { .control = &Names, .name = "Names", .rect = { 3240, 240, 2400, 375 }, .tab = 5 },
            { .control = &Day, .name = "Day", .rect = { 3240, 960, 2400, 375 }, .tab = 6 },
            { .control = &Cells, .name = "Cells", .rect = { 3240, 1560, 2400, 1200 }, .tab = 7 },
            { .control = &Page, .name = "Page", .rect = { 3240, 3120, 2400, 1200 }, .tab = 8 },
            { .control = &Drives, .name = "Drives", .rect = { 6240, 240, 2400, 375 }, .tab = 9 },
            { .control = &Folders, .name = "Folders", .rect = { 6240, 960, 2400, 1500 }, .tab = 10 },
        });
        Names.AddItem("Humalog");
    }
    forms::CommandButton Go;
    forms::TextBox Box;
    forms::OptionButton Choice;
    QCheckBox Check;
    forms::FileListBox Files;
    forms::ComboBox Names;
    forms::DatePicker Day;
    forms::Grid Cells;
    forms::PictureBox Page;
    forms::DriveListBox Drives;
    forms::DirListBox Folders;

protected:
    void Form_Load() override { Show(); }
};

double luminance(QRgb rgb)
{
    auto channel = [](int v) {
        const double c = v / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) + 0.0722 * channel(qBlue(rgb));
}

double contrast(QRgb a, QRgb b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The lowest contrast against the window's background of the two pixel rings
// just outside a control, sampled along all four sides.
double weakestRing(const QImage& shot, const QRect& r, QRgb background)
{
    double weakest = 1e9;
    for (int ring = 1; ring <= 2; ++ring) {
        const QRect o = r.adjusted(-ring, -ring, ring, ring);
        for (int x = o.left() + 2; x < o.right() - 1; x += 3) {
            weakest = std::min({ weakest, contrast(shot.pixel(x, o.top()), background),
                contrast(shot.pixel(x, o.bottom()), background) });
        }
        for (int y = o.top() + 2; y < o.bottom() - 1; y += 3) {
            weakest = std::min({ weakest, contrast(shot.pixel(o.left(), y), background),
                contrast(shot.pixel(o.right(), y), background) });
        }
    }
    return weakest;
}

class FocusMark : public ::testing::Test {
protected:
    void SetUp() override
    {
        Forms::Register(Kinds::FormName, [] { return new Kinds; });
        window = Forms::Load<Kinds>();
        ASSERT_NE(window, nullptr);
        window->activateWindow();
        QApplication::setActiveWindow(window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }
    void TearDown() override
    {
        Forms::Reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QImage shot()
    {
        QCoreApplication::processEvents();
        return window->grab().toImage();
    }
    Kinds* window = nullptr;
};

TEST_F(FocusMark, TheFirstControlIsMarkedWhenTheWindowOpens)
{
    // No key has been pressed: the focus came with the window.
    ASSERT_EQ(QApplication::focusWidget(), &window->Go);
    const QImage image = shot();
    const QRgb background = image.pixel(2, 2);
    EXPECT_GE(weakestRing(image, window->Go.geometry(), background), 3.0);
}

TEST_F(FocusMark, EveryKindOfControlIsMarkedClearly)
{
    for (QWidget* control :
        std::initializer_list<QWidget*> { &window->Go, &window->Box, &window->Choice, &window->Check, &window->Files,
            &window->Names, &window->Day, &window->Cells, &window->Page, &window->Drives, &window->Folders }) {
        SCOPED_TRACE(control->objectName().toStdString());
        control->setFocus(Qt::MouseFocusReason);
        const QImage image = shot();
        const QRgb background = image.pixel(2, 2);
        EXPECT_GE(weakestRing(image, control->geometry(), background), 3.0);
        // The control left shows no mark.
        if (control != &window->Go) {
            EXPECT_LT(weakestRing(image, window->Go.geometry(), background), 3.0);
        }
    }
}

TEST_F(FocusMark, StandsOutFromADarkWindowToo)
{
    QPalette dark = window->palette();
    dark.setColor(QPalette::Window, QColor(0, 0, 128));
    window->setPalette(dark);
    window->Box.setFocus(Qt::TabFocusReason);
    const QImage image = shot();
    const QRgb background = image.pixel(2, 2);
    ASSERT_EQ(QColor(background), QColor(0, 0, 128));
    EXPECT_GE(weakestRing(image, window->Box.geometry(), background), 3.0);
}

// A message box's buttons stand in a row of their own, flush with its edges:
// the ring is drawn whole all the same.
TEST_F(FocusMark, AMessageBoxButtonIsRingedOnEverySide)
{
    QMessageBox box(window);
    box.setWindowTitle(forms::ProgramTitle);
    box.setText("You must enter a valid date.");
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    box.show();
    box.activateWindow();
    QApplication::setActiveWindow(&box);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
    for (QPushButton* button : { ok, cancel }) {
        button->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        const QImage image = box.grab().toImage();
        const QRgb background = image.pixel(2, 2);
        const QRect r(button->mapTo(&box, QPoint(0, 0)), button->size());
        EXPECT_GE(weakestRing(image, r, background), 3.0) << button->text().toStdString();
    }
}

} // namespace
