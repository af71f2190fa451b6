#pragma once

#include <vector>
// The chart window every chart shares: up to 31 chartable readings from the
// current reading on, paged forward and back in index order, printed on a
// landscape page. A window is this behaviour over its description.
//
// Between clicks it keeps only its controls: the chart grid, the hidden
// boxes Bdate and Btime (the stored key of the group's end) and LineCount
// (the chartable readings charted by the last filling). The database is
// opened per click and closed before the handler returns.
#include "chart_description.h"

#include "platform/chart/chart_control.h"
#include "platform/forms/controls.h"
#include "platform/forms/form.h"
#include "platform/forms/picturebox.h"

#include <memory>

namespace dao {
class RowFilter;
class StepCursor;
} // namespace dao

namespace tellora {

inline constexpr int ChartGroupSize = 31;

class ChartWindow : public forms::Form {
    Q_OBJECT
public:
    explicit ChartWindow(const ChartDescription& description);
    ~ChartWindow() override;

    const ChartDescription& Description() const { return description_; }

    chart::ChartControl MSChart1;
    forms::CommandButton Exit;
    forms::TextBox Bdate;
    forms::TextBox Btime;
    forms::CommandButton NextGroup;
    forms::CommandButton Previous;
    forms::TextBox LineCount;
    forms::CommandButton PrintChart;
    // Only where the description asks for it; it carries nothing.
    std::unique_ptr<forms::PictureBox> Picture1;

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    enum class Handler { Load, Next, Previous };

    void NextGroup_Click();
    void Previous_Click();
    void Exit_Click();
    void PrintChart_Click();

    // Fills from the cursor's row on, starting in row 1. With `path`, the
    // readings the filling would walk to first, in order, after the row it
    // starts on: it goes to each by its bookmark, then walks on.
    void Fill(dao::StepCursor& rs, Handler handler, const std::vector<long long>* path = nullptr);
    // The readings a filling of `handler` needs to see when the walk skips.
    dao::RowFilter WalkFilter(Handler handler) const;
    // An empty label and 0 in every column of the rows from `row` to 31.
    void BlankFill(int row);
    void SetLocks(bool enabled);

    ChartDescription description_;
    bool locked_ = false;
};

} // namespace tellora
