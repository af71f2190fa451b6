#pragma once
// The two listings as the paging tests see them: which readings each lists,
// its buttons, and where a reading's comment stands on the page (the tests
// name every reading by its comment).
#include "listing_fixture.h"

#include <QStringList>

namespace listingtest {

struct ListingKind {
    const char* name; // window
    bool injectionLog; // the chooser's second option
    const char* next; // its next-page button
    std::map<std::string, std::string> listed; // values of a reading it lists
    std::map<std::string, std::string> unlisted; // values of one only the other listing lists
    // The comment of the k-th reading on the page, empty when there is none.
    QString (*commentOf)(const forms::PictureBox& page, int k);
};

inline QString StandardComment(const forms::PictureBox& page, int k)
{
    return page.TextAt(12, 2 * k + 1).value_or(QString());
}

inline QString LogComment(const forms::PictureBox& page, int k)
{
    const QString line = page.TextAt(0, 2 * k + 1).value_or(QString());
    return line.startsWith("Comments: ") ? line.mid(10) : QString();
}

inline const ListingKind StandardListing { "Display", false, "NextPage", { { "Bsugar", "112" }, { "Bpulse", "71" } },
    { { "Instype", "Humalog" }, { "Insamt", "6" } }, StandardComment };
inline const ListingKind LogListing { "DisplayLog", true, "Next", { { "Instype", "Lantus" }, { "Site", "Arm" } },
    { { "Bsugar", "140" }, { "Temp", "98.6" } }, LogComment };

inline std::ostream& operator<<(std::ostream& os, const ListingKind& kind)
{
    return os << kind.name;
}

// Paging a listing over readings written from a pattern: 'L' a reading the
// listing lists, 'o' one that only the other listing lists, 'c' one with
// nothing but a comment. Listed readings carry the comments L1, L2, ... in
// index order; the others o1.. and c1.. .
class PagingTest : public ListingFixture, public ::testing::WithParamInterface<ListingKind> {
protected:
    const ListingKind& kind() const { return GetParam(); }
    std::map<QString, std::size_t> rowOf; // comment -> row

    void Build(const std::string& pattern)
    {
        std::vector<LogRow> rows;
        std::map<char, int> counts;
        for (char c : pattern) {
            const int i = int(rows.size());
            LogRow r { DayOf(i), TimeOfDay(i), {} };
            if (c == 'L')
                r.values = kind().listed;
            else if (c == 'o')
                r.values = kind().unlisted;
            const QString comment = QString(QChar(c)) + QString::number(++counts[c]);
            r.values["Bcomm"] = comment.toStdString();
            rowOf[comment] = rows.size();
            rows.push_back(r);
        }
        Write(rows);
        OpenDatabase();
    }

    // Opens the listing with the reading of that comment current.
    void OpenAt(const QString& comment)
    {
        MakeCurrent(rowOf.at(comment));
        OpenListing(kind().injectionLog);
        ASSERT_NE(window(), nullptr);
        ASSERT_TRUE(window()->Visible());
    }

    tellora::ListingWindow* window() const
    {
        return dynamic_cast<tellora::ListingWindow*>(forms::Forms::Find(kind().name));
    }
    void Next() { Click(*window()->findChild<forms::CommandButton*>(kind().next)); }
    void Previous() { Click(*window()->findChild<forms::CommandButton*>("Previous")); }

    // The comments of the readings on the page, in order.
    QStringList Page() const
    {
        QStringList shown;
        for (int k = 0; k < tellora::RowsPerPage; ++k) {
            const QString c = kind().commentOf(window()->Picture1, k);
            if (!c.isEmpty()) shown << c;
        }
        return shown;
    }
    static QStringList Listed(int from, int to)
    {
        QStringList l;
        for (int i = from; i <= to; ++i)
            l << QStringLiteral("L%1").arg(i);
        return l;
    }

    std::string DateOf(const QString& comment) const { return readings.at(rowOf.at(comment)).date; }
    std::string TimeOf(const QString& comment) const { return readings.at(rowOf.at(comment)).time; }

    // The page state names these readings ("" for an empty key) and count.
    void ExpectState(const QString& first, const QString& last, const char* count) const
    {
        auto* w = window();
        EXPECT_EQ(w->FirstDate.Text().toStdString(), first.isEmpty() ? "" : DateOf(first));
        EXPECT_EQ(w->FirstTime.Text().toStdString(), first.isEmpty() ? "" : TimeOf(first));
        EXPECT_EQ(w->LastDate.Text().toStdString(), last.isEmpty() ? "" : DateOf(last));
        EXPECT_EQ(w->LastTime.Text().toStdString(), last.isEmpty() ? "" : TimeOf(last));
        EXPECT_EQ(w->LineCount.Text(), count);
    }

    // Everything on the page and in its state, to see that a step changed nothing.
    QStringList Snapshot() const
    {
        QStringList s;
        for (const auto& item : window()->Picture1.DisplayList())
            s << QStringLiteral("%1,%2:%3").arg(item.x).arg(item.y).arg(item.text);
        auto* w = window();
        s << w->FirstDate.Text() << w->FirstTime.Text() << w->LastDate.Text() << w->LastTime.Text()
          << w->LineCount.Text();
        return s;
    }
    QStringList Texts() const
    {
        QStringList s;
        for (const auto& item : window()->Picture1.DisplayList())
            s << item.text;
        return s;
    }
};

} // namespace listingtest
