#pragma once
// The basic controls: text box, label, command button and the file list.
// Each derives from its Qt widget and from ControlEvents (events.h).
#include "events.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QString>
#include <QStringList>

namespace forms {

class TextBox : public QLineEdit, public ControlEvents {
    Q_OBJECT
public:
    explicit TextBox(QWidget* parent = nullptr);

    QString Text() const { return text(); }
    // Sets the text (cut to MaxLength when one is set); Change fires when it
    // differs. Control characters the user types, pastes or drops are
    // dropped; text set here stays as given.
    void SetText(const QString& text);
    // A locked box shows its text but the user cannot change it.
    bool Locked() const { return isReadOnly(); }
    void SetLocked(bool locked) { setReadOnly(locked); }
    // Longest text the box takes, typed or pasted; 0 means no limit.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int length);
    void SetBackColor(const QColor& color);
    void SetForeColor(const QColor& color);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int maxLength_ = 0;
    bool settingText_ = false; // SetText is writing: the text stays as given
};

class Label : public QLabel, public ControlEvents {
    Q_OBJECT
public:
    explicit Label(QWidget* parent = nullptr);

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption) { setText(caption); }
    void SetCentred(bool centred);
    void SetForeColor(const QColor& color);
    void SetBackColor(const QColor& color);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// Never a default or cancel button: Enter and Escape press nothing.
class CommandButton : public QPushButton, public ControlEvents {
    Q_OBJECT
public:
    explicit CommandButton(QWidget* parent = nullptr);

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption) { setText(caption); }
    // Presses the button as a click would (runs Click when it is enabled).
    void Press();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

// Lists the files of the current folder that match a pattern ("*.mdb",
// matched without regard to case), as the folder was at the last Refresh
// (the window's load). FileName is the selected file's bare name.
class FileListBox : public QListWidget, public ControlEvents {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);

    QString Pattern() const { return pattern_; }
    void SetPattern(const QString& pattern);
    // Takes a new snapshot of the current folder; nothing is selected.
    void Refresh();
    // The selected file's bare name, empty when none is selected.
    QString FileName() const;
    // Selects the listed file of that name (as a click would); false when not listed.
    bool SelectFile(const QString& name);
    int ListCount() const { return count(); }
    QString List(int index) const;
    int ListIndex() const { return currentRow(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QString pattern_ = QStringLiteral("*.*");
};

} // namespace forms
