#pragma once
// A control that only draws what it shows tells a screen reader the same as
// read-only text of lines, with a reading position at the start of a line.
#include <QAccessible>
#include <QAccessibleWidget>
#include <QStringList>
#include <QWidget>

#include <algorithm>
#include <functional>

namespace platform {

// Every notice to a screen reader goes through Notify, so that tests can
// watch them where no screen reader listens (Qt drops them then).
using NoticeWatcher = std::function<void(QAccessibleEvent&)>;
inline NoticeWatcher& noticeWatcher()
{
    static NoticeWatcher watcher;
    return watcher;
}
inline void Notify(QAccessibleEvent& event)
{
    if (noticeWatcher()) noticeWatcher()(event);
    QAccessible::updateAccessibility(&event);
}

class LinesAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    // lines: what the control shows now; caretLine/setCaretLine: the line
    // the reading position is on, kept by the control. A described control
    // gives its whole text as its description too.
    enum class Described { No, Yes };
    LinesAccessible(QWidget* control, QAccessible::Role role, Described described, std::function<QStringList()> lines,
        std::function<int()> caretLine, std::function<void(int)> setCaretLine)
        : QAccessibleWidget(control, role)
        , described_(described == Described::Yes)
        , lines_(std::move(lines))
        , caretLine_(std::move(caretLine))
        , setCaretLine_(std::move(setCaretLine))
    {
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        s.multiLine = true;
        return s;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value) return all();
        // The description is the text as a whole, for reading at once.
        if (t == QAccessible::Description && described_) return Sentences(lines_());
        return QAccessibleWidget::text(t);
    }

    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override { }
    void removeSelection(int) override { }
    void setSelection(int, int, int) override { }
    int cursorPosition() const override { return OffsetOfLine(lines_(), caretLine_()); }
    void setCursorPosition(int position) override { setCaretLine_(LineAtOffset(lines_(), position)); }
    QString text(int startOffset, int endOffset) const override
    {
        const QString text = all();
        const int size = int(text.size());
        startOffset = std::clamp(startOffset, 0, size);
        endOffset = endOffset < 0 ? size : std::clamp(endOffset, startOffset, size);
        return text.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(all().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override { }
    QString attributes(int offset, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return {};
    }

    // The text as given: each line ends in a blank, then "\n" between
    // lines. Orca (as on Debian 12) leaves out the last character of a line
    // it reads; the blank is what it leaves out.
    static QString Joined(const QStringList& lines)
    {
        QStringList ended;
        for (const QString& line : lines)
            ended << line + QLatin1Char(' ');
        return ended.join(QLatin1Char('\n'));
    }
    // The lines as one text to speak, each heard as a sentence (a reader
    // speaks a description on one line).
    static QString Sentences(const QStringList& lines)
    {
        QString spoken;
        for (const QString& line : lines) {
            if (!spoken.isEmpty())
                spoken += spoken.endsWith(QLatin1Char('.')) ? QStringLiteral(" ") : QStringLiteral(". ");
            spoken += line;
        }
        return spoken;
    }
    // Where line `line` starts in the text (the last line's start for a line
    // past the end).
    static int OffsetOfLine(const QStringList& lines, int line)
    {
        int offset = 0;
        for (int i = 0; i < std::min<int>(line, int(lines.size()) - 1); ++i)
            offset += int(lines[i].size()) + 2;
        return offset;
    }
    // The line that holds `offset` in the text.
    static int LineAtOffset(const QStringList& lines, int offset)
    {
        int line = 0;
        for (int start = 0; line + 1 < lines.size() && start + lines[line].size() + 2 <= offset; ++line)
            start += int(lines[line].size()) + 2;
        return line;
    }

private:
    QString all() const { return Joined(lines_()); }

    bool described_;
    std::function<QStringList()> lines_;
    std::function<int()> caretLine_;
    std::function<void(int)> setCaretLine_;
};

} // namespace platform
