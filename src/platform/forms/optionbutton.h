#pragma once
// An option button: one of a group of choices on the same window, of which
// one at most is selected. Taking the focus selects it, so the first button
// of a group is chosen when its window opens with the focus on it.
#include "events.h"

#include <QRadioButton>

namespace forms {

class OptionButton : public QRadioButton, public ControlEvents {
    Q_OBJECT
public:
    explicit OptionButton(QWidget* parent = nullptr);

    bool Value() const { return isChecked(); }
    // Selecting one clears the others of its window; Click fires on selection.
    void SetValue(bool value);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

} // namespace forms
