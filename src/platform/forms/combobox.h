#pragma once
// An editable list: a list of offered values with an edit field whose text is
// what counts. Typed text is never completed, never added to the list and
// never replaced by a list entry that matches it.
#include "events.h"

#include <QComboBox>
#include <QString>

namespace forms {

class ComboBox : public QComboBox, public ControlEvents {
    Q_OBJECT
public:
    explicit ComboBox(QWidget* parent = nullptr);

    // Appends an entry; the edit field keeps its text.
    void AddItem(const QString& item);
    // Empties the list and the edit field.
    void Clear();
    int ListCount() const { return count(); }
    // Entry i (from 0); empty when there is none.
    QString List(int index) const { return itemText(index); }
    // Index of the entry last picked from the list, -1 when the text was set
    // or typed.
    int ListIndex() const { return currentIndex(); }
    void SetListIndex(int index);

    QString Text() const { return currentText(); }
    // Any text, whether or not the list holds it; cut to MaxLength when one is
    // set. Control characters the user types or pastes are dropped; text set
    // here stays as given.
    void SetText(const QString& text);

    // Longest text the edit field takes, typed or pasted; 0 means no limit.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int length);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    int maxLength_ = 0;
    bool settingText_ = false; // SetText is writing: the text stays as given
};

} // namespace forms
