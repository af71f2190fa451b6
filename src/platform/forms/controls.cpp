#include "controls.h"

#include "accessible.h"
#include "typed_text.h"

#include <QDir>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegularExpression>

namespace forms {

namespace {
// QLineEdit's own ceiling; our 0 ("no limit") maps to it.
constexpr int noLimit = 32767;
} // namespace

TextBox::TextBox(QWidget* parent)
    : QLineEdit(parent)
{
    QLineEdit::setMaxLength(noLimit);
    setValidator(new TypedTextValidator(this, settingText_));
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (Change) Change();
    });
}

void TextBox::SetText(const QString& text)
{
    // QLineEdit cuts a longer text to its maximum length, as the box does.
    settingText_ = true;
    setText(text);
    settingText_ = false;
}

void TextBox::SetMaxLength(int length)
{
    maxLength_ = std::max(0, length);
    // setMaxLength bounds typing and pasting alike.
    QLineEdit::setMaxLength(maxLength_ > 0 ? maxLength_ : noLimit);
}

void TextBox::SetBackColor(const QColor& color)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, color);
    setPalette(p);
}

void TextBox::SetForeColor(const QColor& color)
{
    QPalette p = palette();
    p.setColor(QPalette::Text, color);
    setPalette(p);
}

void TextBox::keyPressEvent(QKeyEvent* event)
{
    if (!dispatchKeyPress(this, *this, event)) QLineEdit::keyPressEvent(event);
}

void TextBox::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (GotFocus) GotFocus();
}

void TextBox::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    dispatchFocusOut(this, *this, event->reason());
}

void TextBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    QLineEdit::mouseDoubleClickEvent(event);
    if (DblClick) DblClick();
}

Label::Label(QWidget* parent)
    : QLabel(parent)
{
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextFormat(Qt::PlainText);
}

void Label::SetCentred(bool centred)
{
    setAlignment((centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
}

void Label::SetForeColor(const QColor& color)
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
}

void Label::SetBackColor(const QColor& color)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p);
    setAutoFillBackground(true);
}

void Label::mousePressEvent(QMouseEvent* event)
{
    QLabel::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && Click) Click();
}

void Label::mouseDoubleClickEvent(QMouseEvent* event)
{
    QLabel::mouseDoubleClickEvent(event);
    if (DblClick) DblClick();
}

CommandButton::CommandButton(QWidget* parent)
    : QPushButton(parent)
{
    setAutoDefault(false);
    setDefault(false);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QPushButton::clicked, this, [this] {
        // A lost-focus handler that unloaded the window disabled it; the
        // pending click must not run then.
        if (Click && isEnabled() && window()->isEnabled()) Click();
    });
}

void CommandButton::Press()
{
    if (isEnabled()) click();
}

void CommandButton::keyPressEvent(QKeyEvent* event)
{
    if (dispatchKeyPress(this, *this, event)) return;
    // Enter and Escape press nothing: no button is a default or cancel button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void CommandButton::focusInEvent(QFocusEvent* event)
{
    QPushButton::focusInEvent(event);
    if (GotFocus) GotFocus();
}

void CommandButton::focusOutEvent(QFocusEvent* event)
{
    QPushButton::focusOutEvent(event);
    dispatchFocusOut(this, *this, event->reason());
}

FileListBox::FileListBox(QWidget* parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QListWidget::itemClicked, this, [this] {
        if (Click) Click();
    });
}

void FileListBox::SetPattern(const QString& pattern)
{
    pattern_ = pattern;
    Refresh();
}

void FileListBox::Refresh()
{
    clear();
    QDir dir = QDir::current();
    const QRegularExpression re(
        QRegularExpression::wildcardToRegularExpression(pattern_), QRegularExpression::CaseInsensitiveOption);
    QStringList names;
    for (const QString& name : dir.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase))
        if (re.match(name).hasMatch()) names << name;
    addItems(names);
    clearSelection();
    // The first file is current (the one the keyboard starts from and a
    // screen reader names) but not selected: FileName stays empty until the
    // user picks one.
    setCurrentRow(names.isEmpty() ? -1 : 0, QItemSelectionModel::NoUpdate);
}

QString FileListBox::FileName() const
{
    const auto selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

bool FileListBox::SelectFile(const QString& name)
{
    for (int i = 0; i < count(); ++i) {
        if (item(i)->text() == name) {
            setCurrentRow(i);
            item(i)->setSelected(true);
            return true;
        }
    }
    return false;
}

QString FileListBox::List(int index) const
{
    const QListWidgetItem* it = item(index);
    return it ? it->text() : QString();
}

void FileListBox::keyPressEvent(QKeyEvent* event)
{
    if (dispatchKeyPress(this, *this, event)) return;
    // Return picks the current file and is the double-click of the keyboard.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->isAutoRepeat()) {
        event->accept();
        if (QListWidgetItem* current = currentItem()) {
            setCurrentItem(current, QItemSelectionModel::ClearAndSelect);
            if (DblClick) DblClick();
        }
        return;
    }
    QListWidget::keyPressEvent(event);
}

void FileListBox::focusInEvent(QFocusEvent* event)
{
    QListWidget::focusInEvent(event);
    // The current file is the one Return opens: a screen reader names it.
    TellCurrentItem(*this);
    if (GotFocus) GotFocus();
}

void FileListBox::focusOutEvent(QFocusEvent* event)
{
    QListWidget::focusOutEvent(event);
    dispatchFocusOut(this, *this, event->reason());
}

void FileListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    QListWidget::mouseDoubleClickEvent(event);
    // A double-click is an event of its own, on a file or not.
    if (event->button() == Qt::LeftButton && DblClick) DblClick();
}

} // namespace forms
