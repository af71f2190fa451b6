// A screen reader reads the listing page as text, line by line, and hears
// of every new page.
#include "paging_kinds.h"

#include "platform/accessible_text.h"

#include "support/heard.h"

#include <QAccessible>

#include <map>
#include <tuple>

using namespace listingtest;

namespace {

class PageText : public PagingTest {
protected:
    void SetUp() override
    {
        PagingTest::SetUp();
        platform::noticeWatcher() = [this](QAccessibleEvent& event) {
            auto* w = window();
            if (w && event.type() == QAccessible::TextUpdated && event.object() == &w->Picture1)
                announced << static_cast<QAccessibleTextUpdateEvent&>(event).textInserted();
        };
    }
    void TearDown() override
    {
        platform::noticeWatcher() = nullptr;
        PagingTest::TearDown();
    }

    QAccessibleTextInterface* text() const
    {
        QAccessibleInterface* page = QAccessible::queryAccessibleInterface(&window()->Picture1);
        EXPECT_NE(page, nullptr);
        return page ? page->textInterface() : nullptr;
    }
    // The page's lines as the text interface gives them, one at a time.
    QStringList Lines() const
    {
        QAccessibleTextInterface* t = text();
        QStringList lines;
        for (int offset = 0, start = 0, end = 0; t && offset < t->characterCount(); offset = end + 1) {
            lines << t->textAtOffset(offset, QAccessible::LineBoundary, &start, &end).trimmed();
            if (end <= offset) break;
        }
        return lines;
    }
    // What the page shows for the listed readings: a line of values, each
    // under its column's name, then the comment.
    void ExpectRows(const QStringList& lines, int from, int to) const
    {
        static const std::map<std::string, QString> columns { { "Bsugar", "Blood Sugar" }, { "Bpulse", "Pulse" },
            { "Instype", "Insulin Injected" }, { "Site", "Injection Site" } };
        ASSERT_EQ(lines.size(), 2 * (to - from + 1)) << lines.join(" | ").toStdString();
        for (int i = from; i <= to; ++i) {
            const QString& line = lines[2 * (i - from)];
            const QString date = tellora::FormatShortDate(QString::fromStdString(DateOf(QStringLiteral("L%1").arg(i))));
            EXPECT_TRUE(line.startsWith("Date: " + date + ", Time: ")) << line.toStdString();
            for (const auto& [field, value] : kind().listed)
                EXPECT_TRUE(line.contains(", " + columns.at(field) + ": " + QString::fromStdString(value)))
                    << line.toStdString();
            EXPECT_EQ(lines[2 * (i - from) + 1], QStringLiteral("Comments: L%1").arg(i));
        }
    }

    QStringList announced; // the page texts a screen reader was told of
};

TEST_P(PageText, EveryPageIsReadLineByLineAndAnnounced)
{
    Build("LLLLLLLLLL");
    OpenAt("L1");
    QCoreApplication::processEvents();
    ExpectRows(Lines(), 1, 8);
    ASSERT_FALSE(announced.isEmpty());
    EXPECT_EQ(announced.last(), text()->text(0, -1));

    // Up and Down move the reading position a line at a time.
    auto* t = text();
    QTest::keyClick(&window()->Picture1, Qt::Key_Down);
    QTest::keyClick(&window()->Picture1, Qt::Key_Down);
    int start = 0, end = 0;
    EXPECT_EQ(t->textAtOffset(t->cursorPosition(), QAccessible::LineBoundary, &start, &end).trimmed(), Lines()[2]);
    QTest::keyClick(&window()->Picture1, Qt::Key_Up);
    EXPECT_EQ(t->textAtOffset(t->cursorPosition(), QAccessible::LineBoundary, &start, &end).trimmed(), "Comments: L1");

    Next();
    QCoreApplication::processEvents();
    ExpectRows(Lines(), 9, 10);
    EXPECT_EQ(announced.last(), text()->text(0, -1));
    // A new page is read from its top.
    EXPECT_EQ(t->cursorPosition(), 0);

    Previous();
    QCoreApplication::processEvents();
    ExpectRows(Lines(), 1, 8);
    EXPECT_EQ(announced.last(), text()->text(0, -1));
}

TEST_P(PageText, EachPageAStepShowsIsSpokenWhileTheFocusStaysOnItsButton)
{
    Build("LLLLLLLLLL");
    OpenAt("L1");
    QCoreApplication::processEvents();
    testsupport::Heard heard;
    // Forward, back, and back again onto the same first page.
    for (const auto& [button, first, last] :
        { std::tuple { kind().next, 9, 10 }, std::tuple { "Previous", 1, 8 }, std::tuple { "Previous", 1, 8 } }) {
        SCOPED_TRACE(button);
        auto* press = window()->findChild<forms::CommandButton*>(button);
        ASSERT_NE(press, nullptr);
        heard.said.clear();
        press->setFocus(Qt::TabFocusReason);
        QTest::keyClick(press, Qt::Key_Space);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        ASSERT_EQ(heard.said.size(), 1u);
        EXPECT_EQ(heard.said[0].at, press);
        // Line after line, each a sentence.
        QStringList lines = heard.said[0].text.split(". ");
        if (!lines.isEmpty() && lines.last().endsWith('.')) lines.last().chop(1);
        ExpectRows(lines, first, last);
    }
}

INSTANTIATE_TEST_SUITE_P(Listings, PageText, ::testing::Values(StandardListing, LogListing));

} // namespace
