#pragma once
// The progress bar: Min, Max and Value, painted only when the filled part
// visibly moves, so a long loop can set Value for every row cheaply.
#include <QProgressBar>

namespace forms {

class ProgressBar : public QProgressBar {
    Q_OBJECT
public:
    explicit ProgressBar(QWidget* parent = nullptr);

    bool Visible() const { return isVisible(); }
    void SetVisible(bool visible) { setVisible(visible); }
    int Min() const { return min_; }
    int Max() const { return max_; }
    int Value() const { return value_; }
    // Values outside Min..Max are brought to the nearest end.
    void SetMin(int min);
    void SetMax(int max);
    void SetValue(int value);
    // How many times the bar was told to repaint (for the cost of a loop).
    int Repaints() const { return repaints_; }

private:
    void present();
    int min_ = 0, max_ = 100, value_ = 0;
    int shown_ = -1; // the step last painted, in thousandths
    int repaints_ = 0;
};

} // namespace forms
