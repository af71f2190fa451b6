#include "progressbar.h"

#include <algorithm>

namespace forms {

ProgressBar::ProgressBar(QWidget* parent)
    : QProgressBar(parent)
{
    setRange(0, 1000);
    setTextVisible(false);
    present();
}

void ProgressBar::SetMin(int min)
{
    min_ = min;
    max_ = std::max(max_, min_);
    value_ = std::clamp(value_, min_, max_);
    present();
}

void ProgressBar::SetMax(int max)
{
    max_ = max;
    min_ = std::min(min_, max_);
    value_ = std::clamp(value_, min_, max_);
    present();
}

void ProgressBar::SetValue(int value)
{
    value_ = std::clamp(value, min_, max_);
    present();
}

void ProgressBar::present()
{
    // The widget counts in thousandths, whatever the range; it repaints only
    // when that step moves.
    const long long span = static_cast<long long>(max_) - min_;
    const int step = span <= 0 ? 0 : static_cast<int>((static_cast<long long>(value_) - min_) * 1000 / span);
    if (step == shown_)
        return;
    shown_ = step;
    ++repaints_;
    setValue(step);
}

} // namespace forms
