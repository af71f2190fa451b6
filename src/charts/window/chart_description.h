#pragma once
// What sets one chart window apart from the others. Every chart window is the
// one ChartWindow behaviour over such a description; the pressure, sugar,
// weight and temperature folders each hold theirs as a table.
#include "platform/chart/chart_control.h"
#include "shell/print_messages.h"

#include <QColor>
#include <QString>
#include <QtGlobal>

#include <array>
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <vector>

namespace tellora {

// The value fields a test names, held in place rather than on the heap: a
// description is then plain data to copy, and no test names more fields than
// a reading has value fields.
class FieldList {
public:
    static constexpr std::size_t Capacity = 11;

    constexpr FieldList() = default;
    constexpr FieldList(std::initializer_list<const char*> fields)
    {
        if (fields.size() > Capacity) qFatal("A chart field test names more than %zu fields", Capacity);
        for (const char* field : fields)
            fields_[size_++] = field;
    }

    constexpr const char* const* begin() const { return fields_.data(); }
    constexpr const char* const* end() const { return fields_.data() + size_; }
    constexpr std::size_t size() const { return size_; }
    constexpr bool empty() const { return size_ == 0; }
    constexpr const char* operator[](std::size_t i) const { return fields_[i]; }

private:
    std::array<const char*, Capacity> fields_ {};
    std::size_t size_ = 0;
};

// A test on the value fields of a reading: each named field must hold a value
// (not "-" and not Null), or, with `any`, at least one of them must.
struct FieldTest {
    FieldList fields;
    bool any = false;
};

// Where a column's value comes from.
enum class ColumnSource { Field, TimeOfReading };

struct ChartColumn {
    QString label;
    ColumnSource source = ColumnSource::Field;
    const char* field = ""; // a BLOOD field; unused for the time of reading
    chart::Axis axis = chart::Axis::Value;
    QColor color;
};

// Step-back: the label test decides the row label in Load and Previous, Next
// labels every reading read; combined: the chartable test decides everything.
enum class Filling { StepBack, Combined };

// Narrow and wide windows differ in geometry and print position.
enum class LayoutClass { Narrow, Wide };

// The second axis: hidden, scaled to its own series, or the fixed 0 to 2400
// time-of-reading scale.
enum class SecondAxis { Hidden, Automatic, TimeOfDay };

struct ChartDescription {
    QString name; // the window's registry name, "BPbyDate"
    QString caption; // title bar text, kept exactly
    QString title; // the chart's own title
    chart::ChartType type = chart::ChartType::Bar2D;
    std::vector<ChartColumn> columns;
    FieldTest chartable;
    Filling filling = Filling::Combined;
    // Unset: the chartable test.
    std::optional<FieldTest> labelTest;
    std::optional<FieldTest> nextGroupEndTest;
    std::optional<FieldTest> previousGroupEndTest;
    // Whether Next beeps when no reading at all follows the group's end.
    bool endBeep = false;
    LayoutClass layout = LayoutClass::Wide;
    // The client area's height in twips, where a window differs from its
    // layout class's usual height.
    std::optional<int> clientHeight;
    QString printFailure = QString::fromLatin1(CheckPrinterMessage);
    QString valueAxisTitle;
    SecondAxis secondAxis = SecondAxis::Hidden;
    QString secondAxisTitle;
    bool legend = true;
    double legendPoints = 8.25;
    int helpContextId = 0;
    // An empty picture box at the window's corner (one window has it).
    bool cornerPicture = false;

    const FieldTest& LabelTest() const { return labelTest ? *labelTest : chartable; }
    const FieldTest& NextGroupEndTest() const { return nextGroupEndTest ? *nextGroupEndTest : chartable; }
    const FieldTest& PreviousGroupEndTest() const { return previousGroupEndTest ? *previousGroupEndTest : chartable; }
    int ClientWidth() const { return layout == LayoutClass::Narrow ? 10455 : 11610; }
    int ClientHeight() const { return clientHeight ? *clientHeight : layout == LayoutClass::Narrow ? 6435 : 6450; }
    // Where the chart picture's top-left corner goes on the page, in twips.
    int PrintX() const { return layout == LayoutClass::Narrow ? 2900 : 2200; }
    int PrintY() const { return 3000; }
};

// A bar window's line-chart twin: the same description, type and name changed.
// The main window's menu table says which entry opens which.
ChartDescription LineTwin(ChartDescription bar);

} // namespace tellora
