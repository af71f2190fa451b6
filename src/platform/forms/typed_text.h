#pragma once
// What a user may put into a one-line box: typing a control character (Tab,
// line feed, carriage return, Escape) enters nothing, and pasting or dropping
// text enters none either. Text the program sets stays as it is.
#include <QValidator>

namespace forms {

class TypedTextValidator : public QValidator {
public:
    // `programSetting` is true while the box's owner sets its text itself.
    TypedTextValidator(QObject* parent, const bool& programSetting)
        : QValidator(parent)
        , programSetting_(programSetting)
    {
    }

    State validate(QString& input, int& pos) const override;

    static bool IsControl(QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; }

private:
    const bool& programSetting_;
};

} // namespace forms
