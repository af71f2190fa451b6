#include "platform/forms/picturebox.h"

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

using forms::PictureBox;

namespace {

const QColor yellow(255, 255, 0);
const QColor black(0, 0, 0);

// A listing page: a box of 10695 x 4935 twips, black, yellow MS Sans Serif 12
// pt bold, scaled 80 by 16 after the character mode.
struct Page {
    QWidget window;
    PictureBox* box = new PictureBox(&window);

    Page()
    {
        window.resize(760, 400);
        box->setGeometry(20, 52, 10695 / 15, 4935 / 15);
        box->SetBackColor(black);
        box->SetForeColor(yellow);
        box->SetFontName("MS Sans Serif");
        box->SetFontSize(12);
        box->SetFontBold(true);
        box->SetScaleMode(PictureBox::ScaleMode::Characters);
        box->Scale(0, 0, 80, 16);
    }

    void print(double x, double y, const QString& text)
    {
        box->SetCurrentX(x);
        box->SetCurrentY(y);
        box->Print(text);
    }

    // Pixels of the interior in a given colour, within an interior rectangle
    // given in scale units.
    int pixelsOf(const QImage& image, const QColor& colour, double x1, double y1, double x2, double y2) const
    {
        const QRect in = box->contentsRect();
        const double sx = in.width() / 80.0, sy = in.height() / 16.0;
        int n = 0;
        for (int py = int(in.top() + y1 * sy); py < int(in.top() + y2 * sy); ++py)
            for (int px = int(in.left() + x1 * sx); px < int(in.left() + x2 * sx); ++px)
                if (QColor(image.pixel(px, py)) == colour) ++n;
        return n;
    }

    QImage image() const { return box->grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

TEST(PictureBox, CharacterModeMeasuresTheInteriorInCharacters)
{
    PictureBox box;
    box.resize(10695 / 15, 4935 / 15);
    box.SetScaleMode(PictureBox::ScaleMode::Characters);
    const QRect in = box.contentsRect();
    EXPECT_DOUBLE_EQ(box.ScaleWidth(), in.width() * 15 / 120.0);
    EXPECT_DOUBLE_EQ(box.ScaleHeight(), in.height() * 15 / 240.0);
    box.SetScaleMode(PictureBox::ScaleMode::Twips);
    EXPECT_DOUBLE_EQ(box.ScaleWidth(), in.width() * 15.0);
}

TEST(PictureBox, UserScaleIsEightyByLinesOfSixteen)
{
    Page page;
    EXPECT_EQ(page.box->GetScaleMode(), PictureBox::ScaleMode::User);
    EXPECT_DOUBLE_EQ(page.box->ScaleWidth(), 80);
    EXPECT_DOUBLE_EQ(page.box->ScaleHeight(), 16);
    EXPECT_DOUBLE_EQ(page.box->ScaleLeft(), 0);
    EXPECT_DOUBLE_EQ(page.box->ScaleTop(), 0);
    // The scale follows the box's size; the units stay.
    page.box->resize(page.box->width() / 2, page.box->height());
    EXPECT_DOUBLE_EQ(page.box->ScaleWidth(), 80);

    PictureBox box;
    box.SetScaleWidth(80);
    box.SetScaleHeight(16);
    EXPECT_EQ(box.GetScaleMode(), PictureBox::ScaleMode::User);
    EXPECT_DOUBLE_EQ(box.ScaleWidth(), 80);
    EXPECT_DOUBLE_EQ(box.ScaleHeight(), 16);
}

TEST(PictureBox, PrintRecordsTextWherePositionColourAndFontSay)
{
    Page page;
    page.print(0, 2, "01/05/2024");
    page.box->SetForeColor(QColor(255, 255, 255));
    page.box->SetFontSize(9.75);
    page.print(34, 2, "120 / 80");

    const auto& list = page.box->DisplayList();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].x, 0);
    EXPECT_EQ(list[0].y, 2);
    EXPECT_EQ(list[0].text, "01/05/2024");
    EXPECT_EQ(list[0].color, yellow);
    EXPECT_EQ(list[0].fontName, "MS Sans Serif");
    EXPECT_EQ(list[0].fontSize, 12);
    EXPECT_TRUE(list[0].fontBold);
    EXPECT_EQ(list[1].x, 34);
    EXPECT_EQ(list[1].color, QColor(255, 255, 255));
    EXPECT_EQ(list[1].fontSize, 9.75);
    EXPECT_EQ(page.box->TextAt(34, 2), "120 / 80");
    EXPECT_EQ(page.box->TextAt(34, 3), std::nullopt);
}

TEST(PictureBox, PrintMovesThePositionOnAndClsHomesIt)
{
    Page page;
    page.print(11, 4, "8:30:00 AM");
    EXPECT_DOUBLE_EQ(page.box->CurrentX(), 0);
    EXPECT_GT(page.box->CurrentY(), 4);
    EXPECT_LT(page.box->CurrentY(), 6);

    page.box->SetCurrentX(12);
    page.box->SetCurrentY(5);
    page.box->Print("ab", false);
    EXPECT_DOUBLE_EQ(page.box->CurrentX(), 12 + page.box->TextWidth("ab"));
    EXPECT_DOUBLE_EQ(page.box->CurrentY(), 5);

    page.box->Cls();
    EXPECT_TRUE(page.box->DisplayList().empty());
    EXPECT_DOUBLE_EQ(page.box->CurrentX(), 0);
    EXPECT_DOUBLE_EQ(page.box->CurrentY(), 0);

    page.box->Scale(5, 2, 85, 18);
    page.box->Cls();
    EXPECT_DOUBLE_EQ(page.box->CurrentX(), 5);
    EXPECT_DOUBLE_EQ(page.box->CurrentY(), 2);
}

TEST(PictureBox, PaintsFromTheDisplayListAtTheScaledPositions)
{
    Page page;
    page.print(0, 0, "Click Previous");
    page.print(40, 8, "WWWW");
    const QImage image = page.image();
    // Text where it was printed, nothing elsewhere on the black page.
    EXPECT_GT(page.pixelsOf(image, yellow, 0, 0, 20, 1), 20);
    EXPECT_GT(page.pixelsOf(image, yellow, 40, 8, 45, 9), 20);
    EXPECT_EQ(page.pixelsOf(image, yellow, 0, 3, 39, 7), 0);
    EXPECT_EQ(page.pixelsOf(image, yellow, 50, 10, 80, 16), 0);
    EXPECT_GT(page.pixelsOf(image, black, 0, 3, 39, 7), 1000);

    page.box->Cls();
    EXPECT_EQ(page.pixelsOf(page.image(), yellow, 0, 0, 80, 16), 0);
}

TEST(PictureBox, WhatWasDrawnBeforeShowingAndWhileCoveredStays)
{
    Page page;
    page.print(0, 0, "There are no additional readings.");
    const QImage before = page.image();
    page.window.show();
    QApplication::setActiveWindow(&page.window);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page.window));

    QWidget cover;
    cover.setGeometry(page.window.geometry());
    cover.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&cover));
    cover.hide();
    page.window.hide();
    page.window.show();
    QApplication::processEvents();

    EXPECT_EQ(page.box->DisplayList().size(), 1u);
    EXPECT_EQ(page.image(), before);
    EXPECT_GT(page.pixelsOf(before, yellow, 0, 0, 30, 1), 50);
}

TEST(PictureBox, TextPastTheRightEdgeIsClippedThere)
{
    Page page;
    const QString comment = "A comment long enough to run well past the right edge of the page";
    page.print(73, 0, comment);
    const auto& item = page.box->DisplayList().front();
    EXPECT_EQ(item.text, comment); // kept whole in the list
    const QString shown = page.box->VisibleText(item);
    EXPECT_FALSE(shown.isEmpty());
    EXPECT_LT(shown.size(), comment.size());
    EXPECT_TRUE(comment.startsWith(shown));

    // Nothing is painted on the frame right of the interior.
    const QImage image = page.image();
    const QRect in = page.box->contentsRect();
    for (int px = in.right() + 1; px < image.width(); ++px)
        for (int py = in.top(); py < in.top() + in.height() / 16; ++py)
            EXPECT_NE(QColor(image.pixel(px, py)), yellow) << px << "," << py;

    // A short text shows whole.
    page.print(0, 1, "98.6");
    EXPECT_EQ(page.box->VisibleText(page.box->DisplayList().back()), "98.6");
}

TEST(PictureBox, TextSizeIsInScaleUnits)
{
    Page page;
    EXPECT_GT(page.box->TextWidth("WWWW"), page.box->TextWidth("WW"));
    EXPECT_GT(page.box->TextHeight(), 0.5);
    EXPECT_LT(page.box->TextHeight(), 2);
    EXPECT_NEAR(page.box->TextHeight("a\nb"), 2 * page.box->TextHeight(), 1e-9);
}

TEST(PictureBox, ClickFiresOnRelease)
{
    Page page;
    int clicks = 0;
    page.box->Click = [&] { ++clicks; };
    page.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page.window));
    QTest::mouseClick(page.box, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks, 1);
}

} // namespace

namespace {

// A screen reader gets the lines as they show: texts of one height joined
// left to right whatever order they were drawn in, top to bottom, cut at the
// right edge, and nothing that starts below the bottom.
TEST(PictureBox, ShowsScreenReadersItsLinesAsText)
{
    Page page;
    page.print(12, 1, "ok");
    page.print(0, 1, "Comments:");
    page.print(11, 0, "8:30 AM");
    page.print(0, 0, "03/05/2024");
    page.print(70, 0, "a text far too long to show whole");
    page.print(0, 17, "below the page");
    const QStringList lines = page.box->ShownLines();
    ASSERT_EQ(lines.size(), 2) << lines.join(" | ").toStdString();
    EXPECT_TRUE(lines[0].startsWith("03/05/2024 8:30 AM a text")) << lines[0].toStdString();
    EXPECT_FALSE(lines[0].endsWith("whole"));
    EXPECT_EQ(lines[1], "Comments: ok");

    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(page.box);
    ASSERT_NE(iface, nullptr);
    ASSERT_NE(iface->textInterface(), nullptr);
    EXPECT_EQ(iface->textInterface()->text(0, -1), "03/05/2024 8:30 AM " + lines[0].mid(19) + " \nComments: ok ");
    EXPECT_TRUE(iface->state().readOnly);

    page.box->Cls();
    EXPECT_TRUE(page.box->ShownLines().isEmpty());
    EXPECT_EQ(iface->textInterface()->characterCount(), 0);
}

} // namespace
