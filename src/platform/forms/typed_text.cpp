#include "typed_text.h"

namespace forms {

QValidator::State TypedTextValidator::validate(QString& input, int& pos) const
{
    if (programSetting_) return Acceptable;
    QString kept;
    kept.reserve(input.size());
    int removedBeforeCursor = 0;
    for (qsizetype i = 0; i < input.size(); ++i) {
        if (IsControl(input[i])) {
            if (i < pos) ++removedBeforeCursor;
            continue;
        }
        kept += input[i];
    }
    if (kept.size() != input.size()) {
        input = kept;
        pos -= removedBeforeCursor;
    }
    return Acceptable;
}

} // namespace forms
