#include "combobox.h"

#include "typed_text.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QWheelEvent>

namespace forms {

namespace {
// What QLineEdit itself allows; our 0 ("no limit") maps to it.
constexpr int noLimit = 32767;
} // namespace

ComboBox::ComboBox(QWidget* parent)
    : QComboBox(parent)
{
    setEditable(true);
    setCompleter(nullptr);
    setInsertPolicy(QComboBox::NoInsert);
    // With duplicates "allowed", Enter does not look the typed text up in the
    // list and swap it for an entry that matches it without regard to case.
    setDuplicatesEnabled(true);
    setFocusPolicy(Qt::StrongFocus);
    setMaxVisibleItems(12);
    lineEdit()->setMaxLength(noLimit);
    lineEdit()->setValidator(new TypedTextValidator(this, settingText_));

    connect(this, &QComboBox::editTextChanged, this, [this] {
        if (Change) Change();
    });
    connect(this, qOverload<int>(&QComboBox::activated), this, [this] {
        if (Click) Click();
    });
}

void ComboBox::AddItem(const QString& item)
{
    // An editable combo box puts its first entry into an empty edit field;
    // ours keeps whatever text it had.
    const QString text = currentText();
    const bool first = count() == 0;
    const QSignalBlocker blocker(this);
    addItem(item);
    if (first) {
        setCurrentIndex(-1);
        settingText_ = true;
        setEditText(text);
        settingText_ = false;
    }
}

void ComboBox::Clear()
{
    clear();
    clearEditText();
}

void ComboBox::SetListIndex(int index)
{
    if (index < -1 || index >= count()) return;
    setCurrentIndex(index);
}

void ComboBox::SetText(const QString& text)
{
    // An entry equal to the text stays unpicked: the text is what was set.
    if (currentIndex() != -1) {
        const QSignalBlocker blocker(this);
        setCurrentIndex(-1);
    }
    settingText_ = true;
    setEditText(text);
    settingText_ = false;
}

void ComboBox::SetMaxLength(int length)
{
    maxLength_ = std::max(0, length);
    lineEdit()->setMaxLength(maxLength_ == 0 ? noLimit : maxLength_);
}

void ComboBox::keyPressEvent(QKeyEvent* event)
{
    if (dispatchKeyPress(this, *this, event)) return;
    QComboBox::keyPressEvent(event);
}

void ComboBox::focusInEvent(QFocusEvent* event)
{
    QComboBox::focusInEvent(event);
    if (GotFocus && event->reason() != Qt::PopupFocusReason) GotFocus();
}

void ComboBox::focusOutEvent(QFocusEvent* event)
{
    QComboBox::focusOutEvent(event);
    dispatchFocusOut(this, *this, event->reason());
}

void ComboBox::wheelEvent(QWheelEvent* event)
{
    // No change of entry under a wheel the user turns while reading elsewhere.
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}

} // namespace forms
